// TreeView1's display settings: the ones its tree file keeps are held in TreeView1State
// and applied to the widget; the docking keeps the state's bounds current.
#include "ui/Fonts.h"
#include "ui/Form_Glavn.h"

#include <QTreeView>

namespace {

QFont fontOf(const infobase::TreeViewFont& spec, const QFont& windowFont) {
    QFont font(spec.Name.isEmpty() ? windowFont.family() : spec.Name);
    // A negative height is the character height, a positive one the cell height; the
    // toolkit knows only the former, which the cell height comes close to.
    font.setPixelSize(std::max(1, std::abs(spec.Height)));
    font.setBold(spec.Style & infobase::fsBold);
    font.setItalic(spec.Style & infobase::fsItalic);
    font.setUnderline(spec.Style & infobase::fsUnderline);
    font.setStrikeOut(spec.Style & infobase::fsStrikeOut);
    return font;
}

} // namespace

void TForm_Glavn::applyTreeViewState() {
    const infobase::TreeViewState& state = TreeView1State;
    TreeView1->setFont(state.ParentFont ? font() : fontOf(state.Font, font()));
    TreeView1->setIndentation(std::max(0, state.Indent));
    TreeView1->viewport()->setCursor(state.Cursor == infobase::crHandPoint ? Qt::PointingHandCursor
                                                                           : Qt::ArrowCursor);
    TreeView1->collapseAll();
    dockTreeView(centralWidget()->size());
}

void TForm_Glavn::dockTreeView(QSize clientSize) {
    TreeView1State.alignWithin(clientSize.width(), clientSize.height());
    const infobase::TBounds& b = TreeView1State.bounds;
    TreeView1->setGeometry(b.Left, b.Top, b.Width, b.Height);
}
