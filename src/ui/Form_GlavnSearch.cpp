// The search: "Поиск" at the end of the main menu and Ctrl+F open the search window; a
// result chosen there is shown as a click on its branch shows it, and a hit in a text shows
// that text with the hit selected (Form_GlavnSearchHits.cpp).
#include "infobase/AppPaths.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/SearchBar.h"
#include "ui/SearchWindowPlace.h"
#include "ui/TreeModelAdapter.h"

#include <QMenuBar>
#include <QScreen>
#include <QTreeView>

void TForm_Glavn::createSearchCommand() {
    N_poisk = new QAction(QStringLiteral("Поиск"), menuBar());
    N_poisk->setObjectName(QStringLiteral("N_poisk"));
    N_poisk->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    menuBar()->addAction(N_poisk);
    connect(N_poisk, &QAction::triggered, this, &TForm_Glavn::N_poiskClick);
    createHitSteps();
}

void TForm_Glavn::N_poiskClick() {
    if (!Store.Connected()) {
        showMessage(QStringLiteral("Сначала подключите базу."));
        return;
    }
    if (!SearchBar1) {
        SearchBar1 = std::make_unique<SearchBar>(TreeNodes, *TreeModel, Store.ADOConnection1,
                                                 infobase::AppPaths{Base}.baseFile(), this);
        // The search window follows every change of the tree itself.
        connect(SearchBar1.get(), &SearchBar::branchChosen, this,
                [this](infobase::TTreeNode* node, bool inText) {
                    showFoundBranch(node);
                    if (inText) {
                        showFoundText(node);
                    }
                });
    }
    SearchBar1->open([this](QSize frame) {
        const QRect pane(Image1->mapToGlobal(QPoint(0, 0)), Image1->size());
        return ui::searchWindowFrame(frameGeometry(), pane, screen()->availableGeometry(), frame);
    });
}

void TForm_Glavn::showFoundBranch(infobase::TTreeNode* node) {
    const QModelIndex index = TreeModel->indexOf(node);
    if (!index.isValid()) {
        return;
    }
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        TreeView1->expand(up);
    }
    TreeView1->setCurrentIndex(index);
    TreeView1->scrollTo(index);
    TreeView1Click();
}
