#include "BranchProgram.h"
#include "infobase/store/AttachmentFiles.h"
#include "ui/Form_Glavn.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString kAdded = QStringLiteral("Файл добавлен в базу!");

// Presses the attach button and picks `chosen` in the file dialog (a cancel for an empty
// path); `afterChoice` runs once the dialog has closed, before the command reads the file.
// Gives the attach button's caption at the moment the first message showed.
QString attach(BranchProgram& program, const QString& chosen,
               const std::function<void()>& afterChoice = {}) {
    QString captionAtMessage;
    program.program.watch.onShown = [&](QWidget* modal) {
        if (captionAtMessage.isNull() && qobject_cast<QFileDialog*>(modal) == nullptr) {
            captionAtMessage = program.window().SpeedButton_File->text();
        }
    };
    whenShown<QFileDialog>([chosen, afterChoice](QFileDialog* dialog) {
        if (chosen.isEmpty()) {
            dialog->reject();
            return;
        }
        typeFileName(dialog, chosen);
        if (afterChoice) {
            afterChoice();
        }
    });
    QTest::mouseClick(program.window().SpeedButton_File, Qt::LeftButton);
    program.program.watch.onShown = {};
    return captionAtMessage;
}

TEST(Attach, StoresEachKindWhateverTheLetterCaseAndReplacesTheAttachment) {
    BranchProgram program({QStringLiteral("Фото")});
    TForm_Glavn& window = program.window();
    program.clickBranch(QStringLiteral("Фото"));
    ASSERT_EQ(window.Edit_Mame_Vetok->text(), QStringLiteral("Фото"));

    const struct {
        const char* name;
        int kind;
    } cases[] = {{"scan.pdf", 3},    {"IMG_0001.JPG", 0}, {"letter.Docx", 2},
                 {"archive.rar", 1}, {"photo.jpg", 0},    {"PRICE.PDF", 3}};
    char salt = 1;
    for (const auto& one : cases) {
        SCOPED_TRACE(one.name);
        const QByteArray bytes = binaryBytes(salt++);
        const QString chosen = program.writeFile(QString::fromLatin1(one.name), bytes);
        EXPECT_EQ(attach(program, chosen), QStringLiteral("Подождите......"))
            << "the waiting caption stands while the command works";
        EXPECT_EQ(program.takeMessages(), QStringList{kAdded});
        EXPECT_EQ(window.SpeedButton_File->text(), QStringLiteral("    Прикрепить файл"));
        EXPECT_EQ(program.column(QStringLiteral("Фото"), "File"), bytes);
        EXPECT_EQ(program.column(QStringLiteral("Фото"), "RashirenieFile").toInt(), one.kind);
    }
}

TEST(Attach, TheDialogOffersTheFourKindsPdfFirstAndStartsInTheProgramFolder) {
    BranchProgram program({QStringLiteral("Фото")});
    TForm_Glavn& window = program.window();
    program.clickBranch(QStringLiteral("Фото"));
    QStringList filters;
    QString folder;
    QString selectedFilter;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        selectedFilter = dialog->selectedNameFilter();
        dialog->reject();
    });
    // The dialog starts in the program folder again after the user browsed elsewhere.
    window.OpenDialog1->setDirectory(QDir::rootPath());
    QTest::mouseClick(window.SpeedButton_File, Qt::LeftButton);

    EXPECT_EQ(
        filters,
        (QStringList{QStringLiteral("PDF файлы (*.pdf)"), QStringLiteral("DOCX файлы (*.docx)"),
                     QStringLiteral("JPG файлы (*.jpg)"), QStringLiteral("RAR файлы (*.rar)")}));
    EXPECT_EQ(selectedFilter, filters.value(0));
    EXPECT_EQ(folder, QDir(window.Base).absolutePath());
    EXPECT_TRUE(window.OpenDialog1->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(window.OpenDialog1->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(program.takeMessages(), QStringList{QStringLiteral("Ошибка ввода!")});
}

// Every refusal leaves the record as it was: its earlier attachment and kind.
TEST(Attach, RefusalsChangeNoRecord) {
    BranchProgram program({QStringLiteral("Фото"), QStringLiteral("Фотоальбом")},
                          {QStringLiteral("Фот")});
    TForm_Glavn& window = program.window();
    program.clickBranch(QStringLiteral("Фото"));
    const QByteArray earlier = binaryBytes(7);
    attach(program, program.writeFile(QStringLiteral("earlier.rar"), earlier));
    ASSERT_EQ(program.takeMessages(), QStringList{kAdded});

    const QString tooBig = program.path(QStringLiteral("huge.pdf"));
    {
        QFile file(tooBig);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(
            file.resize(infobase::BranchQuery::maxAttachmentSize() + 1)); // sparse: takes no disk
    }
    const QString limitMessage =
        QStringLiteral("Файл слишком большой! Можно прикрепить файл не больше %1 байт.")
            .arg(QLocale().toString(infobase::BranchQuery::maxAttachmentSize()));
    const struct {
        const char* situation;
        QString branch;
        QString chosen;
        QString message;
    } cases[] = {
        {"cancel", QStringLiteral("Фото"), QString(), QStringLiteral("Ошибка ввода!")},
        {"another kind", QStringLiteral("Фото"),
         program.writeFile(QStringLiteral("notes.txt"), "x"),
         QStringLiteral("Можно прикрепить только файлы PDF, DOCX, JPG или RAR!")},
        {"no extension", QStringLiteral("Фото"), program.writeFile(QStringLiteral("README"), "x"),
         QStringLiteral("Можно прикрепить только файлы PDF, DOCX, JPG или RAR!")},
        {"too big", QStringLiteral("Фото"), tooBig, limitMessage},
        // "Фот" has no record; the lookup by prefix would land on "Фото".
        {"no own record", QStringLiteral("Фот"),
         program.writeFile(QStringLiteral("new.pdf"), "new"),
         QStringLiteral("У ветки «Фот» нет своей записи в базе. Файл не прикреплён.")},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.situation);
        program.clickBranch(one.branch);
        attach(program, one.chosen);
        EXPECT_EQ(program.takeMessages(), QStringList{one.message});
        EXPECT_EQ(window.SpeedButton_File->text(), QStringLiteral("    Прикрепить файл"))
            << "the command never began its work";
        EXPECT_EQ(program.column(QStringLiteral("Фото"), "File"), earlier);
        EXPECT_EQ(program.column(QStringLiteral("Фото"), "RashirenieFile").toInt(), 1);
        EXPECT_EQ(program.column(QStringLiteral("Фотоальбом"), "File"), QByteArray(""));
        EXPECT_TRUE(program.column(QStringLiteral("Фот"), "File").isNull());
    }
}

TEST(Attach, WithoutSelectedBranchAsksForOneBeforeAnyDialog) {
    BranchProgram program({QStringLiteral("Фото")});
    QTest::mouseClick(program.window().SpeedButton_File, Qt::LeftButton);
    QTest::mouseClick(program.window().SpeedButton4, Qt::LeftButton);
    const QString noBranch = QStringLiteral("Вы не выбрали в какой ветке делаем подветку!");
    ASSERT_EQ(program.program.watch.seen.size(), 2) << "no file dialog among them";
    EXPECT_EQ(program.takeMessages(), (QStringList{noBranch, noBranch}));
}

// The chosen file is gone when the command reads it: the error box tells why, the record
// and the store stay as they were, and the next attach works.
TEST(Attach, AFileGoneBeforeTheReadIsReportedAndTheStoreStaysUsable) {
    BranchProgram program({QStringLiteral("Фото")});
    TForm_Glavn& window = program.window();
    program.clickBranch(QStringLiteral("Фото"));
    const QString chosen = program.writeFile(QStringLiteral("gone.pdf"), "soon gone");
    attach(program, chosen, [chosen] { QFile::remove(chosen); });

    ASSERT_EQ(program.errorBoxes().size(), 1);
    EXPECT_TRUE(program.errorBoxes()[0].contains(chosen)) << program.errorBoxes()[0].toStdString();
    EXPECT_TRUE(program.takeMessages().isEmpty());
    EXPECT_EQ(window.SpeedButton_File->text(), QStringLiteral("    Прикрепить файл"));
    EXPECT_EQ(program.column(QStringLiteral("Фото"), "File"), QByteArray(""));

    const QByteArray bytes = binaryBytes(3);
    attach(program, program.writeFile(QStringLiteral("here.docx"), bytes));
    EXPECT_EQ(program.takeMessages(), QStringList{kAdded});
    EXPECT_EQ(program.column(QStringLiteral("Фото"), "File"), bytes);
    EXPECT_EQ(program.column(QStringLiteral("Фото"), "RashirenieFile").toInt(), 2);
}

} // namespace
