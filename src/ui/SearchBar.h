#pragma once

#include <QMargins>
#include <QPersistentModelIndex>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class SearchResultsModel;
class TreeModelAdapter;
namespace infobase {
class SqlcipherConnection;
class TTreeNode;
class TTreeNodes;
namespace search {
class BranchSearch;
}
} // namespace infobase

// The search window: a small window of its own, not modal, beside the main window or over its
// picture pane (SearchWindowPlace.h). The field searches as the user types; "Искать только в
// этой ветке" limits the search to the branch selected in the tree when it is checked, and that
// branch's sub-branches; the list shows what was found and a count above it. Down goes from
// the field to the list, Ctrl+F back to the field; Enter or a double click on a result chooses
// its branch (the main window's Ctrl+F reaches this window too); Escape closes the window.
// While it is open it keeps its results as new as the tree and the base.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    SearchBar(const infobase::TTreeNodes& tree, const TreeModelAdapter& treeModel,
              const infobase::SqlcipherConnection& store, const QString& baseFile, QWidget* window);
    ~SearchBar() override;

    // Shows the window (or brings it to the front) with the field's text selected. The first
    // time its frame stands where `place` puts a frame of the size given (once more when the
    // desktop has measured the frame); afterwards where it was last.
    void open(const std::function<QRect(QSize)>& place);

    QLineEdit* field() const { return field_; }
    QCheckBox* withinBranch() const { return withinBranch_; }
    QLabel* scope() const { return scope_; }
    QLabel* count() const { return count_; }
    QListView* list() const { return list_; }
    const infobase::search::BranchSearch& search() const { return *search_; }

Q_SIGNALS:
    // A result was chosen; inText when the branch was found in its text.
    void branchChosen(infobase::TTreeNode* node, bool inText);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showCount();
    void choose(int row);
    // Lays out at once the rows the list has not laid out yet.
    void finishListLayout();
    // Takes the selected branch as the search's scope, or the whole tree again.
    void limitToBranch(bool within);
    // After a change of the tree: the scope's path shown anew, or the whole tree searched
    // once the scope's branch is gone.
    void followScope();
    // Tells the search every change of the tree, before any node goes.
    void followTree();

    const infobase::TTreeNodes& tree_;
    const TreeModelAdapter& treeModel_;
    std::unique_ptr<infobase::search::BranchSearch> search_;
    QPersistentModelIndex scopeBranch_;
    const infobase::TTreeNode* movingBranch_ = nullptr;
    // Puts the frame, of those margins, where place_ says.
    void placeFrame(QMargins frame);
    // The frame's margins as far as they are known: before the desktop has measured them,
    // those of the main window's frame.
    QMargins frameMargins() const;

    std::function<QRect(QSize)> place_;
    bool placed_ = false;
    bool awaitingFrame_ = false; // placed with margins the desktop has not confirmed yet
    QMargins placedMargins_;
    QLineEdit* field_;
    QCheckBox* withinBranch_;
    QLabel* scope_;
    QLabel* count_;
    QListView* list_;
    SearchResultsModel* results_;
};
