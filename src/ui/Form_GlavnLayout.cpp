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

void TForm_Glavn::FormResize() {
    // W and H are the outer size: frame, caption and menu bar included.
    const int W = frameGeometry().width();
    const int H = frameGeometry().height();
    const int T = kTreeWidth;

    Button_podluchit_bazy->move(W / 2 - Button_podluchit_bazy->width() / 2, H / 2);
    // The panes keep the full width W - T even while the panel pushes them right by P:
    // they then reach past the right edge and the window clips them.
    const int paneLeft = GroupBox_Rab_Vet_Tree->isVisibleTo(this) ? T + kPanelWidth : T;
    Image1->setGeometry(paneLeft, 0, W - T, H);
    GroupBox_Rab_Vet_Tree->move(T, 0);
    RichEdit->setGeometry(paneLeft, 0, W - T, H);
}

void TForm_Glavn::setPaneLeft(int left) {
    Image1->move(left, Image1->y());
    RichEdit->move(left, RichEdit->y());
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
    }
    return QMainWindow::eventFilter(watched, event);
}
