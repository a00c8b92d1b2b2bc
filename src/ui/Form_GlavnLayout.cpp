// The layout rule, the branch panel's show and hide, the picture pane's stretching and
// the about window.
#include "ui/Form_Glavn.h"
#include "ui/Form_ob_prilojenii.h"
#include "ui/PictureView.h"

#include <QEvent>
#include <QGroupBox>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

void TForm_Glavn::FormResize() {
    // W and H are the outer size: frame, caption and menu bar included.
    const int W = frameGeometry().width();
    const int H = frameGeometry().height();
    const int T = kTreeWidth;

    Button_podluchit_bazy->move(W / 2 - Button_podluchit_bazy->width() / 2, H / 2);
    GroupBox_Rab_Vet_Tree->move(T, 0);
    setPaneLeft(GroupBox_Rab_Vet_Tree->isVisibleTo(this) ? T + kPanelWidth : T);
}

void TForm_Glavn::setPaneLeft(int left) {
    // The rule's size for the panes, W - T by H, is larger than what the client area has
    // right of the tree: a pane of that size reaches past the window's right and bottom
    // edges, with its scroll bar, the ends of its lines and the right part of a centred
    // picture out of sight. A pane ends at the client area's edges instead.
    const QSize client = centralWidget()->size();
    const QRect pane(left, 0, std::max(0, client.width() - left), client.height());
    Image1->setGeometry(pane);
    RichEdit->setGeometry(pane);
}

void TForm_Glavn::PokazatClick() {
    GroupBox_Rab_Vet_Tree->show();
    setPaneLeft(kTreeWidth + kPanelWidth);
}

void TForm_Glavn::SkrytClick() {
    GroupBox_Rab_Vet_Tree->hide();
    setPaneLeft(kTreeWidth);
}

void TForm_Glavn::N_StrechClick() {
    Image1->setStretch(true);
}

void TForm_Glavn::N_norm_syzeClick() {
    Image1->setStretch(false);
}

void TForm_Glavn::N2Click() {
    Form_ob_prilojenii->show();
    Form_ob_prilojenii->raise();
    Form_ob_prilojenii->activateWindow();
}

void TForm_Glavn::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TForm_Glavn::eventFilter(QObject* watched, QEvent* event) {
    // The tree is docked to the left edge over the full client height.
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        dockTreeView(centralWidget()->size());
        setPaneLeft(Image1->x()); // the panes end at the client area's edges
    }
    return QMainWindow::eventFilter(watched, event);
}
