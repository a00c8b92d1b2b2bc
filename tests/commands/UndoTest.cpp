// Undo and redo through the real window: every command that changes the data is done, taken
// back and done again, the data files compared byte for byte with what they held; and the
// refusals that keep an undo from overwriting what another program did.
#include "BranchWindow.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

namespace {

using infobase::branch_table::kPassword;

const QStringList kTree{"Корень", "Корень/Лист", "Корень/Альфа", "Фото", "Другой"};

QByteArray attachmentBytes() {
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i) {
        bytes.append(char(i * 7));
    }
    return bytes;
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Everything the data files hold: the tree file's bytes and every record row, every column
// with its storage class, the attachment's bytes included.
struct Files {
    QByteArray tree;
    QList<QByteArray> rows;
    bool operator==(const Files&) const = default;
};

void PrintTo(const Files& files, std::ostream* out) {
    *out << "tree of " << files.tree.size() << " bytes; rows:";
    for (const QByteArray& row : files.rows) {
        *out << "\n  " << row.left(200).toStdString();
    }
}

// The commands of the table below drive the fixture, so its helpers are open to them.
class Undo : public ::testing::Test {
public:
    BranchWindow program{kTree,
                         {{"Корень", "о корне"},
                          {"Лист", "о листе", "текст листа"},
                          {"Альфа"},
                          {"Фото", "описание фото", "текст фото", 3, attachmentBytes()},
                          {"Другой"}}};
    TForm_Glavn& window = program.window();

    QString basePath() const { return program.program.path("Data/Quorlent.mdb"); }
    infobase::SqlcipherConnection openBase() const {
        return infobase::SqlcipherConnection::open(basePath(), kPassword, {});
    }

    // The files once the program brought the tree file up to date (as at the close), or as
    // they stand.
    Files files(bool upToDate = true) const {
        if (upToDate) {
            program.program.window->writeTreeFileNow();
        }
        Files files;
        QFile tree(program.program.path("Data/TreeView.dat"));
        EXPECT_TRUE(tree.open(QIODevice::ReadOnly));
        files.tree = tree.readAll();
        const infobase::SqlcipherConnection base = openBase();
        infobase::SqlStatement rows =
            base.prepare("SELECT rowid, Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, File "
                         "FROM Tab_DB_Delphi_10 ORDER BY rowid");
        while (rows.step()) {
            QByteArray row;
            for (int column = 0; column < 7; ++column) {
                row += QByteArray::number(rows.columnType(column)) + ':' +
                       rows.columnText(column).toHex() + '|';
            }
            files.rows << row;
        }
        return files;
    }

    int keptImages() const {
        infobase::SqlStatement count = openBase().prepare("SELECT count(*) FROM UndoRecordImages");
        count.step();
        return int(count.columnInt64(0));
    }

    void select(const QString& path) { program.clickLabel(path); }
    void typeName(const QString& name) { window.Edit_Mame_Vetok->setText(name); }
    void keyInTree(int key, Qt::KeyboardModifiers modifiers) {
        // A message window that was answered leaves no window active on this platform.
        QApplication::setActiveWindow(&window);
        window.TreeView1->setFocus();
        QTest::keyClick(window.TreeView1, Qt::Key(key), modifiers);
        settle();
    }
    void attach(const QString& path) {
        QTimer::singleShot(0, window.OpenDialog1, [this, path] {
            window.OpenDialog1->findChild<QLineEdit*>("fileNameEdit")->setText(path);
            static_cast<QDialog*>(window.OpenDialog1)->accept(); // the Open button
        });
        program.press(window.SpeedButton_File);
    }
};

struct Command {
    const char* name;
    QString caption; // what "Отменить" and "Повторить" name
    std::function<void(Undo&)> run;
};

TEST_F(Undo, EveryCommandIsTakenBackAndDoneAgainByteForByte) {
    const QString picture = program.program.path("picture.jpg");
    {
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jpegPicture(QSize(8, 8), Qt::red));
    }
    const std::vector<Command> commands{
        {"add", "добавление ветки «Новая»",
         [](Undo& t) {
             t.select("Другой");
             t.typeName("Новая");
             t.program.press(t.window.SpeedButton_vvod_vetki);
         }},
        {"sub-branch", "добавление подветки «Подветка»",
         [](Undo& t) {
             t.select("Корень/Альфа");
             t.typeName("Подветка");
             t.program.press(t.window.SpeedButton_vvod_podvetki);
         }},
        {"rename", "переименование «Лист»",
         [](Undo& t) {
             t.select("Корень/Лист");
             t.typeName("Листок");
             t.program.press(t.window.SpeedButton3);
         }},
        {"description", "замену описания «Фото»",
         [](Undo& t) {
             t.select("Фото");
             t.window.Memo_opisanie->setPlainText("новое описание");
             t.program.press(t.window.SpeedButton_zam_opisanie_podvetki);
         }},
        {"text save", "сохранение текста «Другой»",
         [](Undo& t) {
             t.select("Другой");
             t.program.press(t.window.SpeedButton1);
             t.window.RichEdit->setPlainText("новый текст");
             t.window.N5->trigger();
             settle();
         }},
        {"attach", "прикрепление файла к «Фото»",
         [picture](Undo& t) {
             t.select("Фото");
             t.attach(picture);
         }},
        {"move", "перемещение «Другой»",
         [](Undo& t) {
             t.select("Другой");
             t.keyInTree(Qt::Key_Up, Qt::ControlModifier);
         }},
        {"sort", "упорядочение подветок «Корень»",
         [](Undo& t) {
             t.select("Корень");
             t.window.N_po_alfavitu->trigger();
             settle();
         }},
        {"delete", "удаление «Фото»",
         [](Undo& t) {
             t.select("Фото");
             t.program.press(t.window.SpeedButton_Delete);
         }},
    };
    // Each command goes on from the state the one before it left.
    for (const Command& command : commands) {
        SCOPED_TRACE(command.name);
        const Files before = files();
        const QStringList treeBefore = program.treeFileNodes();
        command.run(*this);
        const Files after = files();
        ASSERT_NE(after, before);
        EXPECT_EQ(window.N_otmenit->text(), "Отменить " + command.caption);
        EXPECT_TRUE(window.N_otmenit->isEnabled());

        program.forgetMessages();
        keyInTree(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(files(), before) << program.messages().join('\n').toStdString();
        EXPECT_EQ(window.N_povtorit->text(), "Повторить " + command.caption);
        EXPECT_EQ(window.TreeNodes.Count(), treeBefore.size());

        keyInTree(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(files(), after);

        window.N_otmenit->trigger(); // the menu's item
        settle();
        EXPECT_EQ(files(), before);
        keyInTree(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(files(), after);
    }
    // Every step stays in the history, the oldest taken back last.
    for (std::size_t i = 0; i < commands.size(); ++i) {
        window.N_otmenit->trigger();
        settle();
    }
    EXPECT_FALSE(window.N_otmenit->isEnabled());
    EXPECT_EQ(window.N_otmenit->text(), "Отменить");
    EXPECT_EQ(program.treeFileNodes(), kTree);
    EXPECT_EQ(program.column("Фото", "Texty"), "текст фото");
    EXPECT_EQ(program.column("Фото", "Opisanie"), "описание фото");
}

TEST_F(Undo, MenuIsLastInTheBarAndEmptyUntilAChange) {
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_FALSE(bar.isEmpty());
    EXPECT_EQ(bar.last()->menu(), window.N_pravka);
    EXPECT_EQ(window.N_pravka->title(), "Правка");
    EXPECT_FALSE(window.N_otmenit->isEnabled());
    EXPECT_FALSE(window.N_povtorit->isEnabled());
    EXPECT_EQ(window.N_otmenit->text(), "Отменить");
    EXPECT_EQ(window.N_povtorit->text(), "Повторить");

    // A command that changes nothing leaves no step.
    select("Фото");
    typeName("Другой");
    program.press(window.SpeedButton_vvod_vetki); // the name is taken
    EXPECT_FALSE(window.N_otmenit->isEnabled());
}

TEST_F(Undo, CtrlZInAFieldIsTheFieldsOwnTypingUndo) {
    select("Фото");
    program.press(window.SpeedButton_Delete);
    const Files deleted = files();
    window.Edit_Mame_Vetok->setFocus();
    QTest::keyClicks(window.Edit_Mame_Vetok, "abc");
    QTest::keyClick(window.Edit_Mame_Vetok, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(window.Edit_Mame_Vetok->text(), "");
    EXPECT_EQ(files(), deleted);

    window.RichEdit->show();
    window.RichEdit->setFocus();
    QTest::keyClick(window.RichEdit, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(files(), deleted);
    EXPECT_TRUE(window.N_otmenit->isEnabled());
}

TEST_F(Undo, ANewCommandAfterAnUndoForgetsWhatCouldBeDoneAgain) {
    select("Фото");
    program.press(window.SpeedButton_Delete);
    window.N_otmenit->trigger();
    settle();
    EXPECT_TRUE(window.N_povtorit->isEnabled());
    EXPECT_EQ(keptImages(), 1); // the deleted record's image waits for a redo

    select("Другой");
    typeName("Новая");
    program.press(window.SpeedButton_vvod_vetki);
    EXPECT_FALSE(window.N_povtorit->isEnabled());
    EXPECT_EQ(window.N_otmenit->text(), "Отменить добавление ветки «Новая»");
    EXPECT_EQ(keptImages(), 1); // the delete's image went; the add keeps its own
}

TEST_F(Undo, IsRefusedWithNothingChangedWhenItCannotBeDone) {
    struct Case {
        const char* name;
        std::function<void(Undo&)> command;
        std::function<void(Undo&, infobase::SqlcipherConnection&)> otherProgram;
        QString message;
    };
    const std::vector<Case> cases{
        {"the record was changed",
         [](Undo& t) {
             t.select("Фото");
             t.window.Memo_opisanie->setPlainText("новое описание");
             t.program.press(t.window.SpeedButton_zam_opisanie_podvetki);
         },
         [](Undo&, infobase::SqlcipherConnection& base) {
             base.execute("UPDATE Tab_DB_Delphi_10 SET Texty = 'чужой' WHERE Imya_vetok = 'Фото'");
         },
         "Запись ветки «Фото» изменена другой программой. Отменить нельзя."},
        {"the name was taken",
         [](Undo& t) {
             t.select("Фото");
             t.program.press(t.window.SpeedButton_Delete);
         },
         [](Undo&, infobase::SqlcipherConnection& base) {
             base.execute("INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('Фото')");
         },
         "Ветка с названием «Фото» уже есть. Отменить нельзя."},
        {"the tree file was changed",
         [](Undo& t) {
             t.select("Другой");
             t.keyInTree(Qt::Key_Up, Qt::ControlModifier);
         },
         [](Undo& t, infobase::SqlcipherConnection&) {
             QFile tree(t.program.program.path("Data/TreeView.dat"));
             ASSERT_TRUE(tree.open(QIODevice::Append));
             tree.write("x");
         },
         "Файл дерева изменён другой программой. Отменить нельзя."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.command(*this);
        window.writeTreeFileNow();
        {
            infobase::SqlcipherConnection base = openBase();
            c.otherProgram(*this, base);
        }
        const Files changed = files(false);
        program.forgetMessages();
        window.N_otmenit->trigger();
        settle();
        EXPECT_EQ(files(false), changed);
        EXPECT_TRUE(program.messages().contains(c.message))
            << program.messages().join('\n').toStdString();
        EXPECT_TRUE(window.N_otmenit->isEnabled()); // the step stays
    }
}

TEST_F(Undo, IsRefusedWhileAnotherProgramHoldsTheBase) {
    select("Фото");
    program.press(window.SpeedButton_Delete);
    const Files deleted = files();
    {
        infobase::SqlcipherConnection other = openBase();
        other.execute("BEGIN IMMEDIATE");
        program.forgetMessages();
        window.N_otmenit->trigger();
        settle();
        EXPECT_TRUE(
            program.messages().contains("База занята другой программой. Ничего не изменено."))
            << program.messages().join('\n').toStdString();
        other.execute("ROLLBACK");
    }
    EXPECT_EQ(files(), deleted);
    EXPECT_FALSE(QFile::exists(program.program.path("Data/TreeView.dat.pending")));
    EXPECT_EQ(program.treeFileNodes(),
              QStringList({"Корень", "Корень/Лист", "Корень/Альфа", "Другой"}));

    window.N_otmenit->trigger(); // once the base is free again
    settle();
    EXPECT_EQ(program.treeFileNodes(), kTree);
    EXPECT_EQ(program.column("Фото", "Texty"), "текст фото");
}

} // namespace
