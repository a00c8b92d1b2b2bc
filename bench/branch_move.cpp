// Moving a branch in a tree of 100 000 nodes: a key move of a top-level branch of 1 000
// nodes (shown expanded) and a drop of a sub-branch of 111 nodes under another branch, each
// through the program's own handler (the move in memory, the view following it, the whole
// tree file replaced safely), against the floor in the same run: the same tree file's bytes
// written raw with fwrite, fsync and rename. The tree file writer alone is measured too: it
// also syncs the folder after the rename, which is most of what a move costs above the floor.
#include "ConnectedWindow.h"
#include "GuiBenchmarkMain.h"
#include "SampleTree.h"
#include "infobase/store/BranchTable.h"
#include "infobase/tree/TreeFile.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

struct Program {
    QTemporaryDir folder;
    std::unique_ptr<TForm_Glavn> window;
    QString treePath;
};

Program& program() {
    static Program* made = [] {
        auto* p = new Program;
        QDir(p->folder.path()).mkpath(QStringLiteral("Data"));
        QDir::setCurrent(p->folder.path());
        p->treePath = p->folder.filePath(QStringLiteral("Data/TreeView.dat"));
        infobase::branch_table::createBaseFile(
            p->folder.filePath(QStringLiteral("Data/Quorlent.mdb")));
        infobase::TTreeNodes nodes;
        growSampleTree(nodes);
        infobase::writeTreeFile(p->treePath, infobase::TreeViewState{}, nodes);

        p->window = startConnectedWindow(QSize(1920, 1080));
        QCoreApplication::processEvents();
        return p;
    }();
    return *made;
}

infobase::TTreeNode* topBranch(TForm_Glavn& window, int index) {
    return window.TreeNodes.TopItem(index);
}

void BM_MoveBranchByKey(benchmark::State& state) {
    TForm_Glavn& window = *program().window;
    infobase::TTreeNode* branch = topBranch(window, 50);
    const QModelIndex shown = window.TreeModel->indexOf(branch);
    window.TreeView1->expand(shown);
    window.TreeView1->expand(window.TreeModel->indexOf(branch->Item(0)));
    window.TreeView1->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
    bool down = true;
    for (auto _ : state) {
        window.MoveSelectedBranch(down ? infobase::BranchStep::Down : infobase::BranchStep::Up);
        QCoreApplication::processEvents(); // the view lays itself out again
        down = !down;
    }
    state.counters["nodes"] = window.TreeNodes.Count();
}

void BM_DropBranch(benchmark::State& state) {
    TForm_Glavn& window = *program().window;
    infobase::TTreeNode* dragged = topBranch(window, 10)->Item(3);
    window.TreeView1->selectionModel()->setCurrentIndex(window.TreeModel->indexOf(dragged),
                                                        QItemSelectionModel::ClearAndSelect);
    int round = 0;
    for (auto _ : state) {
        window.DropBranch(dragged, topBranch(window, ++round % 2 == 0 ? 10 : 20), 9);
        QCoreApplication::processEvents();
    }
    state.counters["nodes"] = window.TreeNodes.Count();
}

void BM_WriteTreeFileAlone(benchmark::State& state) {
    TForm_Glavn& window = *program().window;
    for (auto _ : state) {
        infobase::writeTreeFile(window.Base + QStringLiteral("/Data/TreeView.dat"),
                                window.TreeView1State, window.TreeNodes);
    }
}

void BM_FloorRawFile(benchmark::State& state) {
    Program& p = program();
    QFile stored(p.treePath);
    stored.open(QIODevice::ReadOnly);
    const QByteArray bytes = stored.readAll();
    stored.close();
    const QByteArray path = QFile::encodeName(p.folder.filePath(QStringLiteral("raw.dat")));
    const QByteArray temp = path + ".tmp";
    for (auto _ : state) {
        std::FILE* file = std::fopen(temp.constData(), "wb");
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
        std::fflush(file);
        ::fsync(fileno(file));
        std::fclose(file);
        std::rename(temp.constData(), path.constData());
    }
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
}

// Five repetitions of each, so that the report gives medians to compare.
#define MOVE_BENCHMARK(name)                                                                       \
    BENCHMARK(name)                                                                                \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->MinTime(1)                                                                               \
        ->Repetitions(5)                                                                           \
        ->ReportAggregatesOnly(true)
MOVE_BENCHMARK(BM_MoveBranchByKey);
MOVE_BENCHMARK(BM_DropBranch);
MOVE_BENCHMARK(BM_WriteTreeFileAlone);
MOVE_BENCHMARK(BM_FloorRawFile);

} // namespace

int main(int argc, char** argv) {
    return runGuiBenchmarks(argc, argv, [] { program().window.reset(); });
}
