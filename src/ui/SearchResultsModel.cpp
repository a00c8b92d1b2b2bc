#include "ui/SearchResultsModel.h"

#include "infobase/search/BranchSearch.h"
#include "infobase/search/HitText.h"

namespace search = infobase::search;

namespace {

QString placeCaption(search::MatchPlace place) {
    switch (place) {
    case search::MatchPlace::Name:
        return QStringLiteral("в названии");
    case search::MatchPlace::Description:
        return QStringLiteral("в описании");
    case search::MatchPlace::Text:
        return QStringLiteral("в тексте");
    case search::MatchPlace::None:
        break;
    }
    return {};
}

} // namespace

SearchResultsModel::SearchResultsModel(const search::BranchSearch& search,
                                       const infobase::SqlcipherConnection& store, QObject* parent)
    : QAbstractListModel(parent), search_(search), store_(store) {
    connect(&search, &search::BranchSearch::resultsChanged, this, [this] {
        beginResetModel();
        texts_.clear();
        endResetModel();
    });
}

QString SearchResultsModel::notice() const {
    if (!search_.failure().isEmpty()) {
        // The database's own words are English: the reader gets the fact, not them.
        return QStringLiteral("Не удалось прочитать базу. Поиск повторится при следующем "
                              "изменении запроса или базы.");
    }
    if (search_.ready() && search_.hits().empty() && !search_.query().isEmpty()) {
        return QStringLiteral("Ничего не найдено.");
    }
    return {};
}

infobase::TTreeNode* SearchResultsModel::nodeAt(int row) const {
    const auto& hits = search_.hits();
    return row >= 0 && row < static_cast<int>(hits.size()) ? hits[row].node : nullptr;
}

bool SearchResultsModel::foundInText(int row) const {
    return nodeAt(row) && search_.hits()[row].place == search::MatchPlace::Text;
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    const int hits = static_cast<int>(search_.hits().size());
    return hits > 0 ? hits : notice().isEmpty() ? 0 : 1;
}

QModelIndex SearchResultsModel::index(int row, int column, const QModelIndex& parent) const {
    const std::size_t hits = search_.hits().size();
    const std::size_t rows = hits > 0 ? hits : std::size_t(rowCount());
    return column == 0 && row >= 0 && std::size_t(row) < rows && !parent.isValid()
               ? createIndex(row, 0)
               : QModelIndex();
}

QString SearchResultsModel::resultText(int row) const {
    if (const auto cached = texts_.constFind(row); cached != texts_.cend()) {
        return *cached;
    }
    const search::BranchHit& hit = search_.hits()[row];
    QString text = search::branchPath(hit.node) + u'\n' + placeCaption(hit.place);
    if (const QString excerpt = excerptOf(hit); !excerpt.isEmpty()) {
        text += QStringLiteral(": ") + excerpt;
    }
    texts_.insert(row, text);
    return text;
}

QString SearchResultsModel::excerptOf(const search::BranchHit& hit) const {
    // An excerpt stays what it was until the query or a record changes: a command that
    // changes only the tree reads none of them again.
    if (excerptsQuery_ != search_.query() || excerptsRead_ != search_.rowsRead()) {
        excerpts_.clear();
        excerptsQuery_ = search_.query();
        excerptsRead_ = search_.rowsRead();
    }
    const std::pair<qint64, int> key(hit.rowId, int(hit.place));
    if (const auto cached = excerpts_.constFind(key); cached != excerpts_.cend()) {
        return *cached;
    }
    const QString excerpt = search::hitExcerpt(store_, hit, search_.query());
    excerpts_.insert(key, excerpt);
    return excerpt;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::ToolTipRole)) {
        return {};
    }
    if (search_.hits().empty()) {
        return notice();
    }
    return resultText(index.row());
}

Qt::ItemFlags SearchResultsModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || search_.hits().empty()) {
        return Qt::ItemIsEnabled; // the notice: read, never chosen
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
