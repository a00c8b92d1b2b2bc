// Adding a branch ("Ввести ветку") in a tree of 100 000 nodes whose base holds 100 000
// records: the program's own handler (the node added, a record inserted and posted, the
// whole tree file replaced safely), against the floor in the same run: the same tree file's
// bytes written raw with fwrite, fsync and rename, plus one bare INSERT in its own
// transaction on the same base.
#include "ConnectedWindow.h"
#include "GuiBenchmarkMain.h"
#include "SampleTree.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "ui/Form_Glavn.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kRecords = 100'000;

struct Program {
    QTemporaryDir folder;
    std::unique_ptr<TForm_Glavn> window;
    QString basePath;
    QString treePath;
    int added = 0;
};

Program& program() {
    static Program* made = [] {
        auto* p = new Program;
        QDir(p->folder.path()).mkpath(QStringLiteral("Data"));
        QDir::setCurrent(p->folder.path());
        p->basePath = p->folder.filePath(QStringLiteral("Data/Quorlent.mdb"));
        p->treePath = p->folder.filePath(QStringLiteral("Data/TreeView.dat"));
        infobase::branch_table::createBaseFile(p->basePath);
        {
            auto base = infobase::SqlcipherConnection::open(p->basePath,
                                                            infobase::branch_table::kPassword, {});
            base.execute("BEGIN");
            infobase::SqlStatement insert =
                base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, "
                             "RashirenieFile) VALUES ('01.01.2026', ?, ?, '', 0)");
            for (int i = 0; i < kRecords; ++i) {
                insert.bindText(1, QStringLiteral("Запись %1").arg(i).toUtf8());
                insert.bindText(2, QStringLiteral("Описание записи номер %1").arg(i).toUtf8());
                insert.step();
                insert.reset();
            }
            base.execute("COMMIT");
        }
        infobase::TTreeNodes nodes;
        growSampleTree(nodes);
        infobase::writeTreeFile(p->treePath, infobase::TreeViewState{}, nodes);

        p->window = startConnectedWindow(QSize(1920, 1080));
        QCoreApplication::processEvents();
        return p;
    }();
    return *made;
}

void BM_AddBranch(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        p.window->Edit_Mame_Vetok->setText(QStringLiteral("Новая ветка %1").arg(++p.added));
        p.window->SpeedButton_vvod_vetkiClick();
    }
    state.counters["nodes"] = p.window->TreeNodes.Count();
    state.counters["records"] = p.window->Query_Glav.RecordCount();
}

void BM_FloorRawFileAndInsert(benchmark::State& state) {
    Program& p = program();
    QFile stored(p.treePath);
    stored.open(QIODevice::ReadOnly);
    const QByteArray bytes = stored.readAll();
    stored.close();
    const QByteArray path = QFile::encodeName(p.folder.filePath(QStringLiteral("raw.dat")));
    const QByteArray temp = path + ".tmp";
    auto base =
        infobase::SqlcipherConnection::open(p.basePath, infobase::branch_table::kPassword, {});
    infobase::SqlStatement insert =
        base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie) VALUES (?, ?, ?)");
    int added = 0;
    for (auto _ : state) {
        std::FILE* file = std::fopen(temp.constData(), "wb");
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
        std::fflush(file);
        ::fsync(fileno(file));
        std::fclose(file);
        std::rename(temp.constData(), path.constData());

        base.execute("BEGIN");
        insert.bindText(1, "05.03.2026");
        insert.bindText(2, QStringLiteral("Сырая ветка %1").arg(++added).toUtf8());
        insert.bindText(3, "");
        insert.step();
        insert.reset();
        base.execute("COMMIT");
    }
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
}

BENCHMARK(BM_AddBranch)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2);
BENCHMARK(BM_FloorRawFileAndInsert)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    return runGuiBenchmarks(argc, argv, [] { program().window.reset(); });
}
