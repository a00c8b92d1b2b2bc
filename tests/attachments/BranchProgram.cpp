#include "BranchProgram.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

infobase::SqlcipherConnection openBase(const QString& path) {
    return infobase::SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
}

} // namespace

BranchProgram::BranchProgram(const QStringList& records, const QStringList& treeOnly) {
    program.createBase();
    for (const QString& name : records) {
        execute("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok) VALUES ('01.02.2026', '" +
                name.toUtf8() + "')");
    }
    TForm_Glavn& shown = program.start();
    shown.Button_podluchit_bazy->click();
    EXPECT_TRUE(shown.Store.Connected());
    for (const QString& name : records + treeOnly) {
        shown.TreeNodes.Add(nullptr, name);
    }
    shown.Pokazat->trigger();
    takeMessages(); // the start-up's word on the missing tree file
}

void BranchProgram::clickBranch(const QString& text) {
    TForm_Glavn& shown = window();
    for (int row = 0; row < shown.TreeNodes.TopCount(); ++row) {
        infobase::TTreeNode* node = shown.TreeNodes.TopItem(row);
        if (node->Text() == text) {
            const QRect place = shown.TreeView1->visualRect(shown.TreeModel->indexOf(node));
            QTest::mouseClick(shown.TreeView1->viewport(), Qt::LeftButton, {}, place.center());
            QCoreApplication::processEvents(); // the click is handled once the release is done
            takeMessages();                    // what the click says is the click's business
            return;
        }
    }
    ADD_FAILURE() << "no branch " << text.toStdString();
}

QString BranchProgram::writeFile(const QString& name, const QByteArray& bytes) const {
    program.writeFile(name, bytes);
    return program.path(name);
}

QStringList BranchProgram::takeMessages() {
    QStringList texts;
    for (const ModalWatch::Seen& seen : program.watch.seen) {
        if (seen.kind == QStringLiteral("message")) {
            texts << seen.text;
        }
    }
    program.watch.seen.clear();
    return texts;
}

QStringList BranchProgram::errorBoxes() const {
    QStringList texts;
    for (const ModalWatch::Seen& seen : program.watch.seen) {
        if (seen.kind == QStringLiteral("box")) {
            texts << seen.text;
        }
    }
    return texts;
}

QByteArray BranchProgram::column(const QString& name, const char* columnName) const {
    const infobase::SqlcipherConnection base = openBase(path(QStringLiteral("Data/Quorlent.mdb")));
    infobase::SqlStatement read = base.prepare(QByteArray("SELECT ") + columnName +
                                               " FROM Tab_DB_Delphi_10 WHERE Imya_vetok = ?");
    read.bindText(1, name.toUtf8());
    if (!read.step()) {
        return QByteArray();
    }
    QByteArray value = read.columnText(0);
    return value.isNull() ? QByteArray("") : value;
}

void BranchProgram::execute(const QByteArray& sql) const {
    openBase(path(QStringLiteral("Data/Quorlent.mdb"))).execute(sql);
}

void typeFileName(QFileDialog* dialog, const QString& path) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path); // the dialog follows the name field's text as it does when typing
    static_cast<QDialog*>(dialog)->accept(); // the Open button
}

void typeText(QWidget* widget, const QString& text) {
    for (const QChar letter : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
    }
}

QByteArray binaryBytes(char salt) {
    QByteArray bytes;
    for (int i = 0; i < 512; ++i) {
        bytes.append(static_cast<char>(i ^ salt));
    }
    return bytes;
}
