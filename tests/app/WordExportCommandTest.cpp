#include "DocxReadBack.h"
#include "ProgramFolder.h"
#include "platform/DesktopServices.h"
#include "platform/LogonName.h"
#include "ui/Form_Glavn.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// How the save dialog stood when it came up.
struct DialogSeen {
    QString title;
    QStringList filters;
    QString selectedFilter;
    QString folder;
    QString fileName;
    QString defaultSuffix;
    bool ownDialog = false;
    bool asksBeforeReplacing = true;
    QStringList captions; // of the buttons and labels, in the language Qt speaks
};

class WordExportCommand : public ::testing::Test {
protected:
    WordExportCommand() {
        qputenv("HOME", QFile::encodeName(home.path()));
        window = &program.start();
        program.watch.seen.clear(); // what start-up showed
        window->Edit_Mame_Vetok->setText(QStringLiteral("Сад"));
        window->RichEdit->setPlainText(QStringLiteral("Яблони\tгруши\nвишни"));
        setLogonName(QStringLiteral("ivanov"));
        program.watch.onShown = [this](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                answer(*dialog);
            }
        };
    }
    ~WordExportCommand() override { qputenv("HOME", previousHome); }

    void setLogonName(const QString& name) {
        window->PRes.fill(0);
        std::copy(name.utf16(), name.utf16() + name.size(), window->PRes.begin());
        window->BRes = true;
    }

    // Chooses "  Сохранить в Word" from the text pane's menu, as the event loop delivers it,
    // and answers the save dialog with `path`, or with Cancel when `path` is empty. Returns
    // when the command and whatever it showed are over.
    void exportTo(const QString& path) {
        chosen = path;
        bool finished = false;
        QTimer::singleShot(0, window, [&] {
            const struct Done {
                bool& flag;
                ~Done() { flag = true; }
            } done{finished};
            window->Word1->trigger();
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 20000));
    }

    void answer(QFileDialog& dialog) {
        seen = DialogSeen{dialog.windowTitle(),
                          dialog.nameFilters(),
                          dialog.selectedNameFilter(),
                          dialog.directory().absolutePath(),
                          dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                          dialog.defaultSuffix(),
                          dialog.testOption(QFileDialog::DontUseNativeDialog),
                          !dialog.testOption(QFileDialog::DontConfirmOverwrite),
                          {}};
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        for (const QAbstractButton* button : buttons->buttons()) {
            seen.captions << button->text();
        }
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            seen.captions << label->text();
        }
        if (chosen.isEmpty()) {
            buttons->button(QDialogButtonBox::Cancel)->click();
            return;
        }
        // Typed over the preset name, as a person enters a whole path.
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);
        buttons->button(QDialogButtonBox::Save)->click();
    }

    // The kinds of the modal windows the commands showed.
    QStringList windowsShown() const {
        QStringList kinds;
        for (const ModalWatch::Seen& shown : program.watch.seen) {
            kinds << shown.kind;
        }
        return kinds;
    }

    QString inHome(const QString& name) const { return home.filePath(name); }

    QTemporaryDir home;
    QByteArray previousHome = qgetenv("HOME");
    ProgramFolder program;
    TForm_Glavn* window = nullptr;
    QString chosen;
    DialogSeen seen;
    QStringList opened;
    platform::ScopedDesktopServices services{{
        [] { return QDateTime(QDate(2026, 12, 10), QTime(9, 30)); },
        [] { return QLocale(QLocale::Russian, QLocale::Russia); },
        [this](const QString& path) {
            opened << path;
            // No application for it (xdg-open's status): still no error.
            return QStringList{QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("exit 3")};
        },
    }};
};

TEST_F(WordExportCommand, OffersTheSaveDialogAndMakesNothingWhenCancelled) {
    exportTo(QString());
    EXPECT_EQ(seen.title, QStringLiteral("Сохранение файла в Word"));
    EXPECT_EQ(seen.filters, (QStringList{QStringLiteral("DOC_Files (*.doc)"),
                                         QStringLiteral("DOCX_Files (*.docx)")}));
    EXPECT_EQ(seen.selectedFilter, QStringLiteral("DOC_Files (*.doc)"));
    EXPECT_EQ(seen.folder, home.path());
    EXPECT_EQ(seen.fileName, QStringLiteral("Сад"));
    EXPECT_EQ(seen.defaultSuffix, QString());
    EXPECT_TRUE(seen.ownDialog);
    EXPECT_FALSE(seen.asksBeforeReplacing);
    // Qt's own dialog speaks Russian, whatever the system's language.
    EXPECT_EQ(seen.captions,
              (QStringList{QStringLiteral("&Сохранить"), QStringLiteral("Отмена"),
                           QStringLiteral("Перейти к:"), QStringLiteral("&Имя файла:"),
                           QStringLiteral("Типы файлов:")}));

    EXPECT_EQ(windowsShown(), QStringList{QStringLiteral("QFileDialog")});
    // (Qt's dialog keeps its own settings under the home folder's hidden folders.)
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(opened.isEmpty());
}

// Each export writes its own file with what the window shows at that moment, signed with the
// logon name (or the system's full name where the logon name was not obtained) and today's
// date, and hands it to the desktop.
TEST_F(WordExportCommand, TwoExportsMakeTwoDocumentsEachHandedToTheDesktop) {
    exportTo(inHome(QStringLiteral("first.docx")));
    window->Edit_Mame_Vetok->clear();
    window->RichEdit->clear();
    window->BRes = false;
    exportTo(inHome(QStringLiteral("second.doc")));

    EXPECT_EQ(windowsShown(),
              (QStringList{QStringLiteral("QFileDialog"), QStringLiteral("QFileDialog")}));
    EXPECT_EQ(seen.fileName, QString()) << "an empty name field presets an empty name";
    EXPECT_EQ(opened, (QStringList{inHome(QStringLiteral("first.docx")),
                                   inHome(QStringLiteral("second.doc"))}));
    EXPECT_TRUE(unzipTestPasses(opened.value(0)));
    EXPECT_EQ(paragraphTexts(readDocxBack(opened.value(0))),
              (QStringList{QStringLiteral("Сад"), QString(), QStringLiteral("Яблони\tгруши"),
                           QStringLiteral("вишни"),
                           QStringLiteral("Вывел:  (ivanov);   Дата: 10.12.2026")}));
    EXPECT_EQ(paragraphTexts(readDocxBack(opened.value(1))),
              (QStringList{QString(), QString(), QString(),
                           QStringLiteral("Вывел:  (") + platform::systemLogonName() +
                               QStringLiteral(");   Дата: 10.12.2026")}));
}

TEST_F(WordExportCommand, ReplacesAnExistingFileWithoutAsking) {
    const QString path = inHome(QStringLiteral("Сад.doc"));
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier document");
    }
    exportTo(path);
    EXPECT_EQ(windowsShown(), QStringList{QStringLiteral("QFileDialog")});
    EXPECT_EQ(paragraphTexts(readDocxBack(path)).value(0), QStringLiteral("Сад"));
    EXPECT_EQ(opened, QStringList{path});
}

// The name as typed, or with ".docx" added when it does not end in a Word extension.
TEST_F(WordExportCommand, ANameWithoutTheDocumentsExtensionGetsDocx) {
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {{"Заметки", "Заметки.docx"},
                 {"Протокол 10.12", "Протокол 10.12.docx"},
                 {"Список.txt", "Список.txt.docx"},
                 {"Письмо.doc", "Письмо.doc"},
                 {"Отчёт.DOCX", "Отчёт.DOCX"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        opened.clear();
        exportTo(inHome(QString::fromUtf8(c.typed)));
        const QString saved = inHome(QString::fromUtf8(c.saved));
        EXPECT_EQ(opened, QStringList{saved});
        EXPECT_EQ(paragraphTexts(readDocxBack(saved)).value(0), QStringLiteral("Сад"));
    }
    EXPECT_FALSE(QFile::exists(inHome(QStringLiteral("Заметки"))));
    EXPECT_FALSE(QFile::exists(inHome(QStringLiteral("Письмо.doc.docx"))));
}

TEST_F(WordExportCommand, AFolderThatCannotBeWrittenGivesTheErrorReportAndNoFile) {
    // Not even an administrator can create a file there.
    const QString path = QStringLiteral("/proc/Сад.docx");
    exportTo(path);
    EXPECT_EQ(windowsShown(), (QStringList{QStringLiteral("QFileDialog"), QStringLiteral("box")}));
    EXPECT_TRUE(program.watch.seen.value(1).text.startsWith(
        QStringLiteral("Cannot create file \"/proc/Сад.docx\".")))
        << program.watch.seen.value(1).text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
