#include "ui/SearchBar.h"

#include "infobase/search/BranchSearch.h"
#include "infobase/search/HitText.h"
#include "ui/Fonts.h"
#include "ui/SearchResultsModel.h"
#include "ui/TreeModelAdapter.h"
#include "ui/WholeAccentsDelegate.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr QSize kSize{560, 460};

} // namespace

SearchBar::SearchBar(const infobase::TTreeNodes& tree, const TreeModelAdapter& treeModel,
                     const infobase::SqlcipherConnection& store, const QString& baseFile,
                     QWidget* window)
    : QWidget(window, Qt::Tool), tree_(tree), treeModel_(treeModel),
      search_(std::make_unique<infobase::search::BranchSearch>(tree, store, baseFile)),
      field_(new QLineEdit(this)), withinBranch_(new QCheckBox(this)), scope_(new QLabel(this)),
      count_(new QLabel(this)), list_(new QListView(this)),
      results_(new SearchResultsModel(*search_, store, this)) {
    setObjectName(QStringLiteral("SearchBar"));
    setWindowTitle(QStringLiteral("Поиск"));
    setAccessibleName(QStringLiteral("Поиск"));
    setFont(ui::tahoma(13));
    resize(kSize);

    field_->setObjectName(QStringLiteral("Edit_poisk"));
    field_->setAccessibleName(QStringLiteral("Найти"));
    field_->setPlaceholderText(QStringLiteral("Название, описание или текст ветки"));
    field_->setClearButtonEnabled(true);
    for (QToolButton* clear : field_->findChildren<QToolButton*>()) {
        clear->setAccessibleName(QStringLiteral("Очистить поле поиска"));
    }
    field_->installEventFilter(this);

    withinBranch_->setObjectName(QStringLiteral("CheckBox_v_vetke"));
    withinBranch_->setText(QStringLiteral("Искать только в этой ветке"));
    withinBranch_->setAccessibleName(withinBranch_->text());
    scope_->setObjectName(QStringLiteral("Label_vetka_poiska"));
    // Read as the path it shows, which a name would hide.
    scope_->setAccessibleDescription(QStringLiteral("Ветка поиска"));
    scope_->setTextFormat(Qt::PlainText);
    scope_->hide();

    count_->setObjectName(QStringLiteral("Label_naydeno"));
    // Read as the text it shows ("Найдено: 3"), which its name would hide.
    count_->setAccessibleDescription(QStringLiteral("Число найденных"));

    list_->setObjectName(QStringLiteral("ListView_naydeno"));
    list_->setAccessibleName(QStringLiteral("Найдено"));
    list_->setModel(results_);
    list_->setItemDelegate(new WholeAccentsDelegate(list_));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is two lines high: only the rows on screen are asked for their text (and
    // read their excerpt), however many were found.
    list_->setUniformItemSizes(true);
    // A key that finds most of a million branches would lay out every row before the list is
    // shown: the first rows are laid out at once, the rest a slice at a time between events,
    // so typing never waits for the whole list.
    list_->setLayoutMode(QListView::Batched);
    list_->setBatchSize(10'000);
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setSpacing(2);
    list_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(withinBranch_);
    layout->addWidget(scope_);
    layout->addWidget(count_);
    layout->addWidget(list_, 1);

    connect(field_, &QLineEdit::textChanged, search_.get(),
            &infobase::search::BranchSearch::setQuery);
    connect(search_.get(), &infobase::search::BranchSearch::resultsChanged, this,
            &SearchBar::showCount);
    connect(withinBranch_, &QCheckBox::toggled, this, &SearchBar::limitToBranch);
    followTree();
    const auto followScope = [this] { this->followScope(); };
    connect(&treeModel_, &QAbstractItemModel::rowsRemoved, this, followScope);
    connect(&treeModel_, &QAbstractItemModel::rowsMoved, this, followScope);
    connect(&treeModel_, &QAbstractItemModel::layoutChanged, this, followScope);
    connect(&treeModel_, &QAbstractItemModel::modelReset, this, followScope);
    connect(&treeModel_, &QAbstractItemModel::dataChanged, this, followScope);
    // activated: a double click, or Enter on the current row (the filter below).
    connect(list_, &QListView::activated, this,
            [this](const QModelIndex& index) { choose(index.row()); });
}

SearchBar::~SearchBar() = default;

void SearchBar::open(const std::function<QRect(QSize)>& place) {
    // Hidden, the window keeps where it was last: the user may have put it there.
    if (!placed_) {
        place_ = place;
        placed_ = true;
        awaitingFrame_ = true;
        placeFrame(frameMargins());
    }
    show();
    if (QWindow* surface = windowHandle()) {
        surface->removeEventFilter(this);
        surface->installEventFilter(this);
    }
    raise();
    activateWindow();
    field_->setFocus();
    field_->selectAll();
}

QMargins SearchBar::frameMargins() const {
    const bool measured = testAttribute(Qt::WA_WState_Created) && frameGeometry() != geometry();
    const QWidget* measuredWindow = measured ? this : parentWidget()->window();
    const QRect outer = measuredWindow->frameGeometry();
    const QRect inner = measuredWindow->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void SearchBar::placeFrame(QMargins frame) {
    placedMargins_ = frame;
    const QRect outer = place_(kSize.grownBy(frame));
    resize(outer.size().shrunkBy(frame));
    move(outer.topLeft()); // a top-level window's position is its frame's
}

void SearchBar::followTree() {
    using Search = infobase::search::BranchSearch;
    Search* search = search_.get();
    const TreeModelAdapter* model = &treeModel_;
    const auto nodesAt = [model](const QModelIndex& parent, int first, int last, auto tell) {
        for (int row = first; row <= last; ++row) {
            tell(model->nodeAt(model->index(row, 0, parent)));
        }
    };
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, search,
            [=](const QModelIndex& parent, int first, int last) {
                nodesAt(parent, first, last, [search](auto* node) { search->branchGoing(node); });
            });
    connect(model, &QAbstractItemModel::rowsInserted, search,
            [=](const QModelIndex& parent, int first, int last) {
                nodesAt(parent, first, last, [search](auto* node) { search->branchCame(node); });
            });
    connect(model, &QAbstractItemModel::dataChanged, search,
            [=](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                nodesAt(topLeft.parent(), topLeft.row(), bottomRight.row(),
                        [search](auto* node) { search->branchRenamed(node); });
            });
    // The model moves one row at a time.
    connect(model, &QAbstractItemModel::rowsAboutToBeMoved, search,
            [this, search, model](const QModelIndex& parent, int first) {
                movingBranch_ = model->nodeAt(model->index(first, 0, parent));
                search->branchMoving(movingBranch_);
            });
    connect(model, &QAbstractItemModel::rowsMoved, search, [this, search] {
        search->branchMoved(movingBranch_);
        movingBranch_ = nullptr;
    });
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, search, &Search::treeChanged);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, search, &Search::treeChanged);
}

void SearchBar::limitToBranch(bool within) {
    infobase::TTreeNode* selected = within ? tree_.Selected() : nullptr;
    if (within && !selected) {
        // Nothing to search within: the box stays clear and says why.
        const QSignalBlocker quiet(withinBranch_);
        withinBranch_->setChecked(false);
        scope_->setText(QStringLiteral("Выберите ветку в дереве."));
        scope_->show();
        return;
    }
    scopeBranch_ =
        selected ? QPersistentModelIndex(treeModel_.indexOf(selected)) : QPersistentModelIndex();
    scope_->setVisible(selected != nullptr);
    if (selected) {
        scope_->setText(infobase::search::branchPath(selected));
        search_->setScope([this]() -> const infobase::TTreeNode* {
            return scopeBranch_.isValid() ? treeModel_.nodeAt(scopeBranch_) : nullptr;
        });
    } else {
        search_->setScope({});
    }
}

void SearchBar::followScope() {
    if (!withinBranch_->isChecked()) {
        return;
    }
    if (!scopeBranch_.isValid()) {
        withinBranch_->setChecked(false); // its branch is gone: the whole tree again
        return;
    }
    scope_->setText(infobase::search::branchPath(treeModel_.nodeAt(scopeBranch_)));
}

void SearchBar::showCount() {
    if (search_->query().isEmpty()) {
        count_->clear();
    } else if (!search_->ready()) {
        count_->setText(search_->failure().isEmpty() ? QStringLiteral("Поиск…") : QString());
    } else {
        // "Найдено: 12 345", its thousands apart as a Russian reader writes them.
        count_->setText(QStringLiteral("Найдено: ") +
                        QLocale(QLocale::Russian).toString(qulonglong(search_->hits().size())));
    }
}

void SearchBar::choose(int row) {
    if (infobase::TTreeNode* node = results_->nodeAt(row)) {
        Q_EMIT branchChosen(node, results_->foundInText(row));
    }
}

bool SearchBar::event(QEvent* event) {
    // Before the window paints (its controls paint together, on this request), so that no
    // picture of it shows results older than the base.
    if (event->type() == QEvent::UpdateRequest) {
        search_->checkBase();
    }
    return QWidget::event(event);
}

void SearchBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        // The keyboard goes on in the main window, whatever the window system activates.
        parentWidget()->activateWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool SearchBar::eventFilter(QObject* watched, QEvent* event) {
    // The desktop tells the frame when it first draws the window: placed again once, should
    // the frame be other than was assumed.
    if (watched == windowHandle() && awaitingFrame_ &&
        (event->type() == QEvent::Expose || event->type() == QEvent::Move ||
         event->type() == QEvent::Resize) &&
        frameGeometry() != geometry()) {
        awaitingFrame_ = false;
        if (frameMargins() != placedMargins_) {
            placeFrame(frameMargins());
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == field_ && enter) {
        // Enter in the field chooses the marked result, or the first one.
        const QModelIndex current = list_->currentIndex();
        choose(current.isValid() ? current.row() : 0);
        return true;
    }
    if (watched == field_ && key == Qt::Key_Down && results_->nodeAt(0)) {
        list_->setFocus();
        list_->setCurrentIndex(
            results_->index(list_->currentIndex().isValid() ? list_->currentIndex().row() : 0));
        return true;
    }
    if (watched == list_) {
        finishListLayout();
    }
    if (watched == list_ && enter) {
        choose(list_->currentIndex().row());
        return true;
    }
    return false;
}

void SearchBar::finishListLayout() {
    // A key may go past the rows laid out so far (End, Page Down) and must find them all.
    const int rows = results_->rowCount();
    if (rows == 0 || !list_->visualRect(results_->index(rows - 1, 0)).isEmpty()) {
        return;
    }
    list_->setLayoutMode(QListView::SinglePass);
    list_->doItemsLayout();
    list_->setLayoutMode(QListView::Batched);
}

void SearchBar::showEvent(QShowEvent* event) {
    search_->setWatching(true);
    QWidget::showEvent(event);
}

void SearchBar::hideEvent(QHideEvent* event) {
    search_->setWatching(false);
    QWidget::hideEvent(event);
}
