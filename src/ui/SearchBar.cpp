#include "ui/SearchBar.h"

#include "infobase/search/BranchSearch.h"
#include "ui/Fonts.h"
#include "ui/SearchResultsModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QSize kSize{560, 460};
// Where the window first stands inside the main window: over the right-hand panes, clear of
// the tree.
constexpr QPoint kOffset{480, 80};

} // namespace

SearchBar::SearchBar(const infobase::TTreeNodes& tree, const infobase::SqlcipherConnection& store,
                     const QString& baseFile, QWidget* window)
    : QWidget(window, Qt::Tool),
      search_(std::make_unique<infobase::search::BranchSearch>(tree, store, baseFile)),
      field_(new QLineEdit(this)), count_(new QLabel(this)), list_(new QListView(this)),
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

    count_->setObjectName(QStringLiteral("Label_naydeno"));
    // Read as the text it shows ("Найдено: 3"), which its name would hide.
    count_->setAccessibleDescription(QStringLiteral("Число найденных"));

    list_->setObjectName(QStringLiteral("ListView_naydeno"));
    list_->setAccessibleName(QStringLiteral("Найдено"));
    list_->setModel(results_);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is two lines high: only the rows on screen are asked for their text (and
    // read their excerpt), however many were found.
    list_->setUniformItemSizes(true);
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setSpacing(2);
    list_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(count_);
    layout->addWidget(list_, 1);

    connect(field_, &QLineEdit::textChanged, search_.get(),
            &infobase::search::BranchSearch::setQuery);
    connect(search_.get(), &infobase::search::BranchSearch::resultsChanged, this,
            &SearchBar::showCount);
    // activated: a double click, or Enter on the current row (the filter below).
    connect(list_, &QListView::activated, this,
            [this](const QModelIndex& index) { choose(index.row()); });
}

SearchBar::~SearchBar() = default;

void SearchBar::open() {
    if (!isVisible()) {
        move(parentWidget()->mapToGlobal(kOffset));
    }
    show();
    raise();
    activateWindow();
    field_->setFocus();
    field_->selectAll();
}

void SearchBar::treeChanged() {
    search_->treeChanged();
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
        Q_EMIT branchChosen(node);
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
    if (watched == list_ && enter) {
        choose(list_->currentIndex().row());
        return true;
    }
    return false;
}

void SearchBar::showEvent(QShowEvent* event) {
    search_->setWatching(true);
    QWidget::showEvent(event);
}

void SearchBar::hideEvent(QHideEvent* event) {
    search_->setWatching(false);
    QWidget::hideEvent(event);
}
