#include "infobase/wholefile/TreeFileRewrite.h"

#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeStream.h"
#include "infobase/wholefile/FileStamp.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>

namespace infobase {
namespace {

// The tree the file and the entries make, and the view state its file is to get.
RewriteOutcome::State readAndCarryOut(const RewriteInput& input, TreeViewState& view,
                                      TTreeNodes& tree) {
    QFile file(input.target);
    if (!file.open(QIODevice::ReadOnly)) {
        // A file the base holds the digest of and that is gone was removed by someone else.
        if (!file.exists()) {
            return RewriteOutcome::FileChanged;
        }
        throw Failure(file.errorString());
    }
    // Mapped, not copied: the bytes are read twice (the digest, the tree) and may be many.
    const qint64 size = file.size();
    uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    QByteArray bytes = mapped ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), size)
                              : file.readAll();
    if (treeFileDigest(bytes) != input.digest) {
        return RewriteOutcome::FileChanged;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ReadComponent(buffer, view, tree);
    for (const tree_journal::Entry& entry : input.entries) {
        for (const TreeChange& change : entry.changes) {
            applyTreeChange(tree, change);
        }
        view = entry.view;
    }
    return RewriteOutcome::Written;
}

} // namespace

QString treeFileNotRewrittenNotice(const QString& treeFile, const QString& reason) {
    return QStringLiteral("Изменения дерева сохранены в базе, но файл %1 пока не удалось "
                          "переписать: %2\rОн будет переписан позже: при следующем изменении "
                          "дерева, копировании данных, закрытии или запуске программы.")
        .arg(QDir::toNativeSeparators(treeFile), reason);
}

RewriteOutcome rewriteTreeFile(const RewriteInput& input) {
    RewriteOutcome outcome;
    outcome.target = input.target;
    outcome.stamp = input.stamp;
    try {
        QByteArray bytes;
        {
            TreeViewState view;
            TTreeNodes tree;
            outcome.state = readAndCarryOut(input, view, tree);
            if (outcome.state != RewriteOutcome::Written) {
                return outcome;
            }
            bytes = treeFileBytes(view, tree);
        }
        writeFileSynced(pendingTreeFile(input.target), bytes);
        reachedTreeCommitStep(TreeCommitStep::TemporaryWritten);
        outcome.tree = {input.digest, treeFileDigest(bytes), input.entries.back().seq};
    } catch (const Failure& failure) {
        outcome.state = RewriteOutcome::Failed;
        outcome.reason = failure.message();
    } catch (const std::exception& failure) {
        outcome.state = RewriteOutcome::Failed;
        outcome.reason = QString::fromLocal8Bit(failure.what());
    }
    return outcome;
}

bool bringTreeFileUpToDate(const QString& baseFile, const QString& treeFile) {
    // Opened for writing, as the connect opens it: a killed run's unfinished transaction is
    // then rolled back first, which a reader alone cannot do.
    std::optional<SqlcipherConnection> base;
    try {
        if (QFileInfo(baseFile).isFile()) {
            base.emplace(SqlcipherConnection::open(baseFile, branch_table::kPassword, {}));
        }
    } catch (const Failure&) {
        // A base that cannot be read now keeps its changes for the connect, which carries
        // them out on this same file: the pair stays whole as it is.
    }
    const PendingTreeOutcome earlier =
        base ? settlePendingTree(*base, treeFile) : settlePendingTreeOf(baseFile, treeFile);
    if (earlier.state == PendingTree::Stuck || earlier.state == PendingTree::Unknown) {
        throw Failure(earlier.reason);
    }
    bool changed = earlier.state == PendingTree::Placed;
    try {
        if (!base || !tree_journal::any(*base)) {
            return changed;
        }
    } catch (const Failure&) {
        return changed;
    }
    TreeFileRewriter rewriter(*base, treeFile);
    rewriter.setOnReplaced([&changed] { changed = true; });
    if (!rewriter.flush()) {
        throw Failure(QStringLiteral("файл заменён другой программой"));
    }
    return changed;
}

TreeFileRewriter::TreeFileRewriter(const SqlcipherConnection& connection, QString treeFile)
    : connection_(connection), treeFile_(std::move(treeFile)) {}

TreeFileRewriter::~TreeFileRewriter() {
    cancel();
}

bool TreeFileRewriter::journalUsable() const {
    return !fileChanged_ && !storedTreeFileDigest(connection_).isEmpty();
}

void TreeFileRewriter::requireFileInPlace() const {
    if (!running_) {
        requireTreeFileInPlace(connection_, treeFile_);
    }
}

std::optional<RewriteInput> TreeFileRewriter::nextInput() {
    // A new file an earlier commit left beside the tree file is what the entries follow.
    const PendingTreeOutcome earlier = settlePendingTree(connection_, treeFile_);
    if (earlier.state == PendingTree::Stuck || earlier.state == PendingTree::Unknown) {
        throw Failure(earlier.reason);
    }
    if (earlier.state == PendingTree::Placed && onReplaced_) {
        onReplaced_();
    }
    RewriteInput input;
    input.entries = tree_journal::entries(connection_);
    if (input.entries.empty()) {
        return std::nullopt;
    }
    input.digest = storedTreeFileDigest(connection_);
    input.target = treeFileTarget(treeFile_);
    input.stamp = fileStamp(input.target);
    return input;
}

void TreeFileRewriter::schedule() {
    if (running_) {
        again_ = true;
        return;
    }
    again_ = false;
    std::optional<RewriteInput> input;
    try {
        input = nextInput();
    } catch (const Failure& failure) {
        problem(failure.message());
        return;
    }
    if (!input) {
        return;
    }
    running_ = true;
    const quint64 round = ++round_;
    worker_ = std::thread([this, round, input = std::move(*input)] {
        outcome_ = rewriteTreeFile(input);
        QMetaObject::invokeMethod(
            this, [this, round] { finishRound(round); }, Qt::QueuedConnection);
    });
}

void TreeFileRewriter::finishRound(quint64 round) {
    // flush or cancel may have ended the round already.
    if (!running_ || round != round_) {
        return;
    }
    // Events are handled inside some commands (to paint their progress): a transaction of
    // theirs that is open then is not joined; the round ends a moment later.
    if (!sqlite3_get_autocommit(connection_.handle())) {
        QTimer::singleShot(20, this, [this, round] { finishRound(round); });
        return;
    }
    worker_.join();
    running_ = false;
    try {
        if (!place(outcome_)) {
            return;
        }
    } catch (const Failure& failure) {
        problem(failure.message());
        return;
    }
    // Entries made while the round ran go in the next one.
    bool more = again_;
    try {
        more = more || tree_journal::any(connection_);
    } catch (const Failure&) {
    }
    if (more) {
        schedule();
    }
}

bool TreeFileRewriter::place(const RewriteOutcome& outcome) {
    switch (outcome.state) {
    case RewriteOutcome::FileChanged:
        fileChanged_ = true;
        return false;
    case RewriteOutcome::Failed:
        throw Failure(outcome.reason);
    case RewriteOutcome::Written:
        break;
    }
    // Another program that wrote the tree file while the round read it would be overwritten.
    if (fileStamp(outcome.target) != outcome.stamp) {
        QFile::remove(pendingTreeFile(outcome.target));
        fileChanged_ = true;
        return false;
    }
    const RewrittenPlacement placed = placeRewrittenTree(connection_, treeFile_, outcome.tree);
    if (placed.stale) {
        return true; // a whole-file commit came between; the next round starts from it
    }
    if (!placed.placed) {
        throw Failure(placed.reason);
    }
    if (onReplaced_) {
        onReplaced_();
    }
    return true;
}

bool TreeFileRewriter::flush() {
    if (running_) {
        worker_.join();
        running_ = false;
        if (!place(outcome_)) {
            return false;
        }
    }
    again_ = false;
    while (const std::optional<RewriteInput> input = nextInput()) {
        ++round_;
        if (!place(rewriteTreeFile(*input))) {
            return false;
        }
    }
    return true;
}

void TreeFileRewriter::cancel() {
    if (!running_) {
        return;
    }
    worker_.join();
    running_ = false;
    again_ = false;
    if (outcome_.state == RewriteOutcome::Written) {
        try {
            QFile::remove(pendingTreeFile(treeFileTarget(treeFile_)));
        } catch (const Failure&) {
        }
    }
}

void TreeFileRewriter::problem(const QString& reason) const {
    if (onProblem_) {
        onProblem_(treeFileNotRewrittenNotice(treeFile_, reason));
    }
}

} // namespace infobase
