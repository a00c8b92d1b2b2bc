#pragma once

#include "infobase/search/BaseStamp.h"
#include "infobase/search/HitList.h"
#include "infobase/search/MatchPlace.h"
#include "infobase/search/RecordChangeLog.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QThread;
class QTimer;

namespace infobase {
class SqlcipherConnection;
class TTreeNode;
class TTreeNodes;
} // namespace infobase

namespace infobase::search {

class RecordCorpus;
class TreeOrder;

// The search over the branches of a tree and the records of its base, kept as new as the
// data: its results are never older than the last change of the tree or the base.
//
// The records are read into a RecordCorpus by a thread of its own, through a connection of
// its own, so that a large base never holds up the window; the query then runs on the
// caller's thread over what was read, in a few milliseconds. That thread also gives the
// base its record change log (RecordChangeLog.h) when it has none. When the base changes
// (through the program's connection, which it watches, or through another program) only
// the records the log names are read again, through the program's connection; without a
// log (a base that cannot be written), or after a change of very many records, the results
// are dropped and everything is read again, and until then ready() is false.
//
// The records are held only while watching: setWatching(false) frees them, and the next
// query or watch reads them again. A query that holds the previous one is looked for among
// the previous results only.
class BranchSearch : public QObject {
    Q_OBJECT
public:
    // The tree and the connection stay the caller's and must outlive this object. Reads the
    // records at the first query or watch.
    BranchSearch(const TTreeNodes& tree, const SqlcipherConnection& store, QString baseFile,
                 QObject* parent = nullptr);
    ~BranchSearch() override;

    // Searches for the text (SearchFold.h; FindBranches.h).
    void setQuery(const QString& text);
    const QString& query() const { return query_; }
    // Limits the results to one branch and its sub-branches: the function names that branch
    // each time the query runs (nullptr: the whole tree). Without a function, the whole tree.
    void setScope(std::function<const TTreeNode*()> scope);

    // The results of the query, in the tree's order; empty while not ready().
    const std::vector<BranchHit>& hits() const { return results_.hits(); }
    // False while the records are being read again after a change.
    bool ready() const { return ready_; }
    // Why the records could not be read the last time, or empty.
    const QString& failure() const { return failure_; }

    // The tree's changes, each told as its view model tells it. Results on screen follow
    // each change where it happened: the results of branches that go are dropped at once,
    // before the nodes go, and the query looks again at the branches changed only. (Results
    // kept to one branch, and those of a query still running, are dropped and made again
    // once the change is done.)
    // Before a branch and its sub-branches are removed:
    void branchGoing(const TTreeNode* root);
    // After a branch (with any sub-branches) was inserted:
    void branchCame(const TTreeNode* root);
    // Around a move of a branch with its sub-branches:
    void branchMoving(const TTreeNode* root);
    void branchMoved(const TTreeNode* root);
    // After a branch's text changed:
    void branchRenamed(const TTreeNode* node);
    // Before any other change (a reset, a new order of siblings): the tree order is made
    // again and the query runs again.
    void treeChanged();
    // While watching, whether the base changed since the records were read; when it did,
    // reads the rows that changed (or drops the results and reads all records again) and
    // runs the query again. Cheap enough to call before each paint of the results.
    // While watching, this also runs each time the program waits for input and at least
    // once a second.
    void checkBase();
    // Watching while the results are on screen; a search not watching keeps no results up
    // to date until it watches again, and frees the records it read.
    void setWatching(bool watching);

    // The records read from the base since this object was made, each time one was read:
    // all of them at a reading, each changed one at an update.
    qint64 rowsRead() const { return rowsRead_; }
    // The heap the records and the tree order hold now.
    std::size_t memoryBytes() const;

Q_SIGNALS:
    // The results, ready() or failure() changed.
    void resultsChanged();

private:
    void startReading();
    void finishReading(std::shared_ptr<RecordCorpus> records,
                       std::optional<change_log::Position> position, QString failure);
    // Brings the records up to date with the base, row by row when the log allows, else by
    // dropping them and reading them again; true when rows changed in place.
    bool bringUpToDate();
    // Reads the rows the log names as changed, unless everything must be read again.
    enum class RowUpdate { Unchanged, Followed, Changed, ReadAgain };
    RowUpdate updateRows(const BaseStamp& now);
    // Runs the query, unless the base changed since the records were read.
    void refresh();
    void run();
    void drop();
    void freeRecords();
    void followTree();
    // Whether the results are those of the query over the whole tree as the order holds it,
    // and can follow a change in place.
    bool followable() const;
    // The results at those places (in order) looked for again, and told.
    void lookAgainAt(const std::vector<int>& places);

    const TTreeNodes& tree_;
    const SqlcipherConnection& store_;
    const QString baseFile_;
    QString query_;
    std::function<const TTreeNode*()> scope_;
    std::shared_ptr<RecordCorpus> records_;
    // Where records_ stands in the base's change log; none without a log.
    std::optional<change_log::Position> logPosition_;
    BaseStamp recordsStamp_; // the base as records_ shows it
    BaseStamp readingStamp_; // the base as the reading under way shows it
    std::unique_ptr<TreeOrder> order_;
    HitList results_;
    // What the results are of, so that a query holding theirs looks among them only.
    QByteArray hitsQuery_; // folded
    const TTreeNode* hitsScope_ = nullptr;
    bool hitsExtendable_ = false;
    // A branch on its way to another place, and the places it leaves.
    const TTreeNode* movingBranch_ = nullptr;
    std::pair<int, int> movingPlaces_;
    qint64 rowsRead_ = 0;
    bool discardReading_ = false; // the reading under way is no longer wanted
    bool ready_ = false;
    bool runQueued_ = false;
    bool watching_ = false;
    QString failure_;
    QThread* reader_ = nullptr;
    QTimer* heartbeat_ = nullptr;
    QMetaObject::Connection idleWatch_;
};

} // namespace infobase::search
