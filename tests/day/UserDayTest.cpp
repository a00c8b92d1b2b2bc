// A user's day with the program, told as one story: the first start in a new folder, the
// tree grown, a picture and a document attached and looked at, a text written, saved and
// exported, a backup, a rename and a delete, the close; then a second start in the same
// folder that finds everything as it was left, and a backup that opens as a base and a
// tree file. Everything goes through the real window as a person uses it: clicks in the
// tree and on buttons, typed text, the context menu, the file dialogs, and each message
// answered with its button.
#include "ProgramFolder.h"
#include "infobase/store/RecordStore.h"
#include "infobase/tree/TreeFile.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"
#include "platform/DesktopServices.h"
#include "skin/qsMessageForm.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinStdLabel.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Typing as a person does, Cyrillic and line breaks included, after selecting what is there.
void type(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(field, Qt::Key_Return);
        } else {
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// The person at the screen: answers every message with its button, types the prepared
// file name into a file dialog and accepts it, picks the prepared item of a context menu.
class Person : public QObject {
public:
    Person() {
        poll_.setInterval(10);
        connect(&poll_, &QTimer::timeout, this, &Person::look);
        poll_.start();
    }

    QStringList messages;    // every message's text, in order
    QStringList fileAnswers; // what to type into the next file dialogs, in order
    QStringList fileDialogs; // the titles of the file dialogs answered
    QString menuChoice;      // the caption to pick in the next context menu

    // The messages since the last call.
    QStringList take() {
        QStringList taken = messages;
        messages.clear();
        return taken;
    }

private:
    void look() {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            menu != nullptr && !menuChoice.isEmpty()) {
            for (QAction* action : menu->actions()) {
                if (action->text() == menuChoice) {
                    menuChoice.clear();
                    // Clicked after this look returns: the command the item starts may show
                    // messages, which the next looks answer.
                    const QPoint at = menu->actionGeometry(action).center();
                    QTimer::singleShot(
                        0, menu, [menu, at] { QTest::mouseClick(menu, Qt::LeftButton, {}, at); });
                    return;
                }
            }
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (auto* message = qobject_cast<TqsMessageForm*>(modal)) {
            // Read once; pressed (again) until the window has gone, as a person presses a
            // button that did not react the first time.
            if (modal != answered_) {
                answered_ = modal;
                messages << message->Message->Caption();
            }
            const auto buttons = message->findChildren<TqsSkinButton*>();
            if (!buttons.isEmpty() && QTest::qWaitForWindowActive(modal, 1000) &&
                QTest::qWaitForWindowExposed(modal, 1000)) {
                QTest::mouseClick(buttons.first(), Qt::LeftButton, {},
                                  buttons.first()->rect().center());
            }
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal);
                   dialog != nullptr && modal != answered_ && !fileAnswers.isEmpty()) {
            answered_ = modal;
            fileDialogs << dialog->windowTitle();
            // The whole path goes into the name field, as when pasted, and is accepted there.
            // (The dialog's Open button follows only names that match the chosen kind and
            // that its folder listing, filled by a thread of its own, already holds.)
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(fileAnswers.takeFirst());
            static_cast<QDialog*>(dialog)->accept();
        }
    }

    QTimer poll_;
    QPointer<QWidget> answered_;
};

QModelIndex branchIndex(QAbstractItemModel* model, const QString& name,
                        const QModelIndex& parent = {}) {
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == name) {
            return index;
        }
        if (const QModelIndex inside = branchIndex(model, name, index); inside.isValid()) {
            return inside;
        }
    }
    return {};
}

QStringList treeTexts(QAbstractItemModel* model, const QModelIndex& parent = {},
                      const QString& path = {}) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        const QString here = path + index.data().toString();
        texts << here << treeTexts(model, index, here + u'/');
    }
    return texts;
}

QStringList nodePaths(const infobase::TTreeNode* node, const QString& path = {}) {
    QStringList paths;
    for (; node != nullptr; node = node->getNextSibling()) {
        paths << path + node->Text()
              << nodePaths(node->getFirstChild(), path + node->Text() + u'/');
    }
    return paths;
}

class Day {
public:
    explicit Day(ProgramFolder& program) : program_(program) { program.watch.stop(); }

    TForm_Glavn& window() { return *program_.window; }

    void clickBranch(const QString& name) {
        QTreeView* tree = window().TreeView1;
        const QModelIndex index = branchIndex(tree->model(), name);
        ASSERT_TRUE(index.isValid()) << name.toStdString();
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        settle();
    }
    void press(QToolButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }
    void chooseFromTextMenu(const QString& caption) {
        person.menuChoice = caption;
        // A right click, as the window system delivers it to the pane.
        QWidget* pane = window().RichEdit->viewport();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {40, 40},
                                     pane->mapToGlobal(QPoint(40, 40)));
        QApplication::sendEvent(pane, &rightClick);
        ASSERT_TRUE(QTest::qWaitFor([&] { return person.menuChoice.isEmpty(); }, 3000))
            << caption.toStdString();
        settle();
    }
    static void settle() { QTest::qWait(30); }

    Person person;

private:
    ProgramFolder& program_;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray jpegPhoto() {
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "JPG");
    return bytes;
}

// A small PDF, as a scanner would make one (the program only stores and hands it on).
const QByteArray kContract =
    "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer << >>\n%%EOF\n";

TEST(UserDay, FromTheFirstStartToTheSecond) {
    ProgramFolder program;
    program.createBase(); // what the start-up wrapper gives a new folder
    const QString photoFile = program.path(QStringLiteral("Море.jpg"));
    const QString contractFile = program.path(QStringLiteral("Договор аренды.pdf"));
    const QString exportFile = program.path(QStringLiteral("Отпуск.docx"));
    {
        QFile f(photoFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(jpegPhoto());
    }
    {
        QFile f(contractFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kContract);
    }
    QStringList opened;
    platform::ScopedDesktopServices desktop({{}, {}, [&](const QString& path) {
                                                 opened << path;
                                                 return QStringList{QStringLiteral("true")};
                                             }});

    // --- The first start: a new folder has no tree file yet.
    auto day = std::make_unique<Day>(program);
    TForm_Glavn& window = program.start();
    EXPECT_EQ(day->person.take(),
              QStringList{QStringLiteral("Возможно Вы в первый раз открываете приложение.\r"
                                         "Не найден файл: TreeView.dat.\r"
                                         "Конфигурация дерева останется старой.\r"
                                         "Вы можете снова её создать и сохранить.")});
    day->press(window.Button_podluchit_bazy);
    ASSERT_TRUE(window.Store.Connected());
    window.Pokazat->trigger();
    ASSERT_TRUE(window.GroupBox_Rab_Vet_Tree->isVisible());

    // --- Two branches and a sub-branch.
    type(window.Edit_Mame_Vetok, QStringLiteral("Отпуск"));
    type(window.Memo_opisanie, QStringLiteral("Лето 2026"));
    day->press(window.SpeedButton_vvod_vetki);
    type(window.Edit_Mame_Vetok, QStringLiteral("Документы"));
    type(window.Memo_opisanie, QStringLiteral("Бумаги"));
    day->press(window.SpeedButton_vvod_vetki);
    day->clickBranch(QStringLiteral("Документы"));
    type(window.Edit_Mame_Vetok, QStringLiteral("Договор"));
    type(window.Memo_opisanie, QStringLiteral("Аренда дачи"));
    day->press(window.SpeedButton_vvod_podvetki);
    EXPECT_EQ(treeTexts(window.TreeView1->model()),
              (QStringList{"Отпуск", "Документы", "Документы/Договор"}));
    EXPECT_TRUE(day->person.take().isEmpty());

    // --- A photo for the holiday, the contract for its branch.
    day->clickBranch(QStringLiteral("Отпуск"));
    day->person.fileAnswers << photoFile;
    day->press(window.SpeedButton_File);
    EXPECT_EQ(day->person.take(), QStringList{QStringLiteral("Файл добавлен в базу!")});
    day->clickBranch(QStringLiteral("Договор"));
    day->person.take(); // the branch has no attachment yet: nothing to show
    day->person.fileAnswers << contractFile;
    day->press(window.SpeedButton_File);
    EXPECT_EQ(day->person.take(), QStringList{QStringLiteral("Файл добавлен в базу!")});

    // --- Looking at them: the picture shows; the contract is not a picture and says so.
    day->clickBranch(QStringLiteral("Отпуск"));
    EXPECT_TRUE(day->person.take().isEmpty());
    EXPECT_NEAR(window.Image1->picture().pixelColor(10, 10).blue(), 200, 4); // JPEG is lossy
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), QStringLiteral("Лето 2026"));
    EXPECT_EQ(fileBytes(program.path(QStringLiteral("Temp/Dokument.jpg"))), jpegPhoto());
    day->clickBranch(QStringLiteral("Договор"));
    EXPECT_EQ(day->person.take(),
              QStringList{QStringLiteral("Это файл не jpg.\rОткройте его кликнув кнопку "
                                         "\"Открыть прикреплённый файл отдельно\".")});
    EXPECT_EQ(fileBytes(program.path(QStringLiteral("Temp/Dokument.pdf"))), kContract);
    day->press(window.SpeedButton4);
    EXPECT_EQ(opened, QStringList{program.path(QStringLiteral("Temp/Dokument.pdf"))});

    // --- A text for the holiday: written, saved, still there after looking elsewhere.
    day->clickBranch(QStringLiteral("Отпуск"));
    day->press(window.SpeedButton1);
    ASSERT_TRUE(window.RichEdit->isVisible());
    type(window.RichEdit, QStringLiteral("Море и горы\nВторая строка"));
    day->chooseFromTextMenu(QStringLiteral("  Сохранить в базе"));
    EXPECT_EQ(day->person.take(), QStringList{QStringLiteral("Сохранено.")});
    day->clickBranch(QStringLiteral("Документы"));
    day->clickBranch(QStringLiteral("Отпуск"));
    EXPECT_TRUE(window.RichEdit->isVisible());
    EXPECT_EQ(window.RichEdit->toPlainText(), QStringLiteral("Море и горы\nВторая строка"));

    // --- Exported to a document, which the desktop then opens.
    day->person.fileAnswers << exportFile;
    day->chooseFromTextMenu(QStringLiteral("  Сохранить в Word"));
    EXPECT_EQ(day->person.fileDialogs.last(), QStringLiteral("Сохранение файла в Word"));
    EXPECT_EQ(opened.last(), exportFile);
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
                {QStringLiteral("-p"), exportFile, QStringLiteral("word/document.xml")});
    ASSERT_TRUE(unzip.waitForFinished());
    const QString document = QString::fromUtf8(unzip.readAllStandardOutput());
    for (const char* piece : {"Отпуск", "Море и горы", "Вторая строка", "Вывел:"}) {
        EXPECT_TRUE(document.contains(QString::fromUtf8(piece))) << piece;
    }

    // --- The backup, then a rename and a delete after it.
    window.N_save_copy->trigger();
    Day::settle();
    EXPECT_EQ(day->person.take(),
              QStringList{QStringLiteral("Копии файлов баз дерева\r"
                                         "скопированы в папку Backup copies.")});
    day->clickBranch(QStringLiteral("Отпуск"));
    type(window.Edit_Mame_Vetok, QStringLiteral("Отпуск на море"));
    day->press(window.SpeedButton3);
    day->clickBranch(QStringLiteral("Договор"));
    day->person.take();
    day->press(window.SpeedButton_Delete);
    EXPECT_EQ(treeTexts(window.TreeView1->model()), (QStringList{"Отпуск на море", "Документы"}));
    EXPECT_TRUE(day->person.take().isEmpty());

    // --- The close clears Temp.
    window.close();
    Day::settle();
    EXPECT_EQ(day->person.take(), QStringList{QStringLiteral("Мусор удален.")});
    EXPECT_FALSE(QFileInfo::exists(program.path(QStringLiteral("Temp"))));
    program.window.reset();

    // --- The second start: everything as it was left.
    TForm_Glavn& again = program.start();
    EXPECT_TRUE(day->person.take().isEmpty());
    day->press(again.Button_podluchit_bazy);
    again.Pokazat->trigger();
    EXPECT_EQ(treeTexts(again.TreeView1->model()), (QStringList{"Отпуск на море", "Документы"}));
    day->clickBranch(QStringLiteral("Отпуск на море"));
    EXPECT_TRUE(again.RichEdit->isVisible());
    EXPECT_EQ(again.RichEdit->toPlainText(), QStringLiteral("Море и горы\nВторая строка"));
    EXPECT_EQ(again.Edit_Mame_Vetok->text(), QStringLiteral("Отпуск на море"));
    opened.clear();
    day->press(again.SpeedButton4);
    EXPECT_EQ(opened, QStringList{program.path(QStringLiteral("Temp/Dokument.jpg"))});
    EXPECT_EQ(fileBytes(program.path(QStringLiteral("Temp/Dokument.jpg"))), jpegPhoto());
    day->clickBranch(QStringLiteral("Документы"));
    EXPECT_EQ(again.Memo_opisanie->toPlainText(), QStringLiteral("Бумаги"));
    infobase::BranchQuery& records = again.Store.Query_Glav;
    EXPECT_EQ(records.RecordCount(), 2); // the contract's record went with its branch
    ASSERT_TRUE(records.LocateOwn(QStringLiteral("Отпуск на море")));
    EXPECT_EQ(records.FieldByName("Texty").AsString(),
              QStringLiteral("Море и горы\r\nВторая строка"));
    EXPECT_EQ(records.FieldByName("Opisanie").AsString(), QStringLiteral("Лето 2026"));
    EXPECT_FALSE(records.LocateOwn(QStringLiteral("Договор")));
    again.close();
    Day::settle();
    program.window.reset();

    // --- The backup pair: a base and a tree file as they were at the backup.
    infobase::RecordStore backup;
    backup.connect(program.path(QStringLiteral("Backup copies/Quorlent.mdb")));
    EXPECT_EQ(backup.Query_Glav.RecordCount(), 3);
    ASSERT_TRUE(backup.Query_Glav.LocateOwn(QStringLiteral("Договор")));
    QBuffer contract;
    contract.open(QIODevice::WriteOnly);
    backup.Query_Glav.FieldByName("File").SaveToStream(contract);
    EXPECT_EQ(contract.data(), kContract);
    ASSERT_TRUE(backup.Query_Glav.LocateOwn(QStringLiteral("Отпуск")));
    EXPECT_EQ(backup.Query_Glav.FieldByName("Texty").AsString(),
              QStringLiteral("Море и горы\r\nВторая строка"));
    infobase::TreeViewState state;
    infobase::TTreeNodes nodes;
    infobase::readTreeFile(program.path(QStringLiteral("Backup copies/TreeView.dat")), state,
                           nodes);
    EXPECT_EQ(nodePaths(nodes.getFirstNode()),
              (QStringList{"Отпуск", "Документы", "Документы/Договор"}));
}

} // namespace
