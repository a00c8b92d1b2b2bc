// The right-hand panes tell a screen reader whose picture and whose text they show: the
// picture pane belongs to the branch last shown, the text pane to the branch its text is
// saved into.
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QTextEdit>

namespace {

QString paneName(const QString& pane, const infobase::TTreeNode* branch) {
    return branch ? pane + QStringLiteral(" «") + branch->Text() + QStringLiteral("»") : pane;
}

void rename(QWidget* pane, const QString& name) {
    if (pane->accessibleName() != name) {
        pane->setAccessibleName(name); // tells the reader
    }
}

} // namespace

void TForm_Glavn::nameShownPanes() {
    rename(Image1, paneName(QStringLiteral("Картинка ветки"), nodeOf(shownBranch_)));
    rename(RichEdit, paneName(QStringLiteral("Текст ветки"), nodeOf(paneBranch_)));
}
