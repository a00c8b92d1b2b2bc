#include "big_bases_data.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordNameIndex.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"
#include "infobase/wholefile/TreeCommit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTextStream>
#include <algorithm>
#include <random>

namespace big_bases {

namespace {

QString dataFolder() {
    const QString named = qEnvironmentVariable("QUORLENT_BENCH_DATA");
    return named.isEmpty()
               ? QCoreApplication::applicationDirPath() + QStringLiteral("/big_bases_data")
               : named;
}

// Words of everyday notes, as UTF-8, one space after each; the rare word is put in by hand.
QByteArray wordSoup() {
    static const char* const kWords[] = {
        "договор", "аренда",  "склад",   "ключи",   "охрана", "письмо", "счёт",  "оплата",
        "встреча", "проект",  "отчёт",   "дом",     "сад",    "ремонт", "товар", "поставка",
        "звонок",  "адрес",   "телефон", "заметка", "план",   "бюджет", "смета", "акт",
        "invoice", "meeting", "garden",  "report",  "river",  "keys",   "год",   "месяц"};
    std::mt19937 random(29);
    QByteArray soup;
    soup.reserve(1 << 20);
    while (soup.size() < (1 << 20)) {
        soup += kWords[random() % std::size(kWords)];
        soup += ' ';
    }
    return soup;
}

// About `bytes` bytes of the soup from a place chosen by the number, whole words only.
QByteArray textOf(const QByteArray& soup, int number, int bytes) {
    qsizetype from = qsizetype((quint64(number) * 7919u) % quint64(soup.size() - bytes - 64));
    from = soup.indexOf(' ', from) + 1;
    qsizetype to = soup.indexOf(' ', from + bytes);
    return soup.mid(from, to - from);
}

QByteArray smallPicture() {
    QImage image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 255 / 320, y * 255 / 240, (x * y) % 256));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return bytes;
}

void generate(const Shape& shape, const QString& folder) {
    QDir(folder).mkpath(QStringLiteral("Data"));
    infobase::TTreeNodes tree;
    tree.BeginUpdate();
    for (int a = 0; a < shape.top; ++a) {
        infobase::TTreeNode* top = tree.AddChild(nullptr, QStringLiteral("Ветка %1").arg(a));
        for (int b = 0; b < shape.middle; ++b) {
            infobase::TTreeNode* middle =
                tree.AddChild(top, QStringLiteral("Раздел %1.%2").arg(a).arg(b));
            for (int c = 0; c < shape.leaves; ++c) {
                tree.AddChild(middle, leafName(a, b, c));
            }
        }
    }
    infobase::TTreeNode* sorted = tree.AddChild(nullptr, kSortBranch);
    std::vector<int> order(kSortChildren);
    for (int i = 0; i < kSortChildren; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (const int i : order) {
        tree.AddChild(sorted, QStringLiteral("Элемент %1").arg(i));
    }
    tree.EndUpdate();
    infobase::writeTreeFile(folder + QStringLiteral("/Data/TreeView.dat"),
                            infobase::TreeViewState{}, tree);

    const QString basePath = folder + QStringLiteral("/Data/Quorlent.mdb");
    infobase::branch_table::createBaseFile(basePath);
    auto base =
        infobase::SqlcipherConnection::open(basePath, infobase::branch_table::kPassword, {});
    base.execute("PRAGMA synchronous=OFF");
    base.execute("BEGIN");
    // A branch without a picture has no File at all, as the program leaves it.
    infobase::SqlStatement plain =
        base.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, "
                     "RashirenieFile) VALUES ('11.12.2026', ?, ?, ?, 0)");
    infobase::SqlStatement pictured = base.prepare(
        "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, File) "
        "VALUES ('11.12.2026', ?, ?, ?, 0, ?)");
    const QByteArray soup = wordSoup();
    const QByteArray picture = shape.pictureEvery ? smallPicture() : QByteArray();
    int number = 0;
    for (infobase::TTreeNode* node = tree.getFirstNode(); node; node = node->GetNext(), ++number) {
        const bool withPicture = shape.pictureEvery != 0 && number % shape.pictureEvery == 1;
        infobase::SqlStatement& insert = withPicture ? pictured : plain;
        insert.bindText(1, node->Text().toUtf8());
        const bool texts = shape.textEvery != 0 && number % shape.textEvery == 0;
        insert.bindText(2, texts ? textOf(soup, number * 31, 100) : QByteArray());
        QByteArray text;
        if (texts) {
            text = textOf(soup, number, shape.textBytes);
            if (number % (1000 * shape.textEvery) == 0) {
                text.insert(text.size() / 2, ' ' + kRareWord.toUtf8() + ' ');
            }
        }
        insert.bindText(3, text);
        if (withPicture) {
            insert.bindBlob(4, picture);
        }
        insert.step();
        insert.reset();
    }
    base.execute("COMMIT");
    // As a base the program has committed a tree to holds it: otherwise every connect of a
    // fresh copy would learn the digest of the whole tree file, which a user's base does once.
    QFile treeFile(folder + QStringLiteral("/Data/TreeView.dat"));
    treeFile.open(QIODevice::ReadOnly);
    infobase::storeTreeFileDigestOnce(base, infobase::treeFileDigest(treeFile.readAll()));
}

} // namespace

QString leafName(int top, int middle, int leaf) {
    return QStringLiteral("Запись %1.%2.%3").arg(top).arg(middle).arg(leaf);
}

QString programFolder(const Shape& shape) {
    const QString folder = dataFolder() + u'/' + QLatin1String(shape.name);
    const QString basePath = folder + QStringLiteral("/Data/Quorlent.mdb");
    if (QFileInfo::exists(basePath)) {
        // A base generated by an earlier version lacks the record name index: made once here,
        // so that every round's connect finds it, as a connect after the first one does.
        const auto base =
            infobase::SqlcipherConnection::open(basePath, infobase::branch_table::kPassword, {});
        if (!infobase::record_name_index::present(base)) {
            QTextStream(stderr) << "adding the record name index to " << basePath << "…\n";
            infobase::record_name_index::make(base, {});
        }
        return folder;
    }
    // Made beside its place and renamed into it, so that a stopped run leaves no half base.
    const QString making = folder + QStringLiteral(".making");
    QDir(making).removeRecursively();
    QElapsedTimer took;
    took.start();
    QTextStream(stderr) << "generating the " << shape.name << " base under " << folder << "…\n";
    generate(shape, making);
    QDir().rename(making, folder);
    QTextStream(stderr) << "  done in " << took.elapsed() / 1000.0 << " s\n";
    return folder;
}

} // namespace big_bases
