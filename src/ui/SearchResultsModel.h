#pragma once

#include "infobase/search/MatchPlace.h"

#include <QAbstractListModel>
#include <QHash>
#include <utility>

namespace infobase {
class SqlcipherConnection;
class TTreeNode;
namespace search {
class BranchSearch;
}
} // namespace infobase

// The search's results as a list: one row per branch found, showing its path, where it
// matched and an excerpt; or one row that says nothing was found or the base could not be
// read. It follows every change of the search's results.
class SearchResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    SearchResultsModel(const infobase::search::BranchSearch& search,
                       const infobase::SqlcipherConnection& store, QObject* parent = nullptr);

    // The branch of a row, or nullptr for a row that is no result.
    infobase::TTreeNode* nodeAt(int row) const;
    // Whether the row's branch was found in its text.
    bool foundInText(int row) const;

    // The view asks for every row's index each time it lays the list out: made here without
    // the checks of the base class, which ask for the row count again for each row.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString notice() const;
    QString resultText(int row) const;
    QString excerptOf(const infobase::search::BranchHit& hit) const;

    const infobase::search::BranchSearch& search_;
    const infobase::SqlcipherConnection& store_;
    mutable QHash<int, QString> texts_; // rows already shown, read once per result list
    // The excerpts already read, by record and place, for that query and those records.
    mutable QHash<std::pair<qint64, int>, QString> excerpts_;
    mutable QString excerptsQuery_;
    mutable qint64 excerptsRead_ = -1;
};
