#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class SearchResultsModel;
namespace infobase {
class SqlcipherConnection;
class TTreeNode;
class TTreeNodes;
namespace search {
class BranchSearch;
}
} // namespace infobase

// The search window: a small window of its own beside the main window, not modal. The field
// searches as the user types; the list shows what was found and a count above it. Down goes
// from the field to the list, Ctrl+F back to the field; Enter or a double click on a result chooses
// its branch (the main window's Ctrl+F reaches this window too); Escape closes the window. While it
// is open it keeps its results as new as the tree and the base.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    SearchBar(const infobase::TTreeNodes& tree, const infobase::SqlcipherConnection& store,
              const QString& baseFile, QWidget* window);
    ~SearchBar() override;

    // Shows the window (or brings it to the front) with the field's text selected.
    void open();
    // Call before the tree's nodes change or go.
    void treeChanged();

    QLineEdit* field() const { return field_; }
    QLabel* count() const { return count_; }
    QListView* list() const { return list_; }

Q_SIGNALS:
    void branchChosen(infobase::TTreeNode* node);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showCount();
    void choose(int row);

    std::unique_ptr<infobase::search::BranchSearch> search_;
    QLineEdit* field_;
    QLabel* count_;
    QListView* list_;
    SearchResultsModel* results_;
};
