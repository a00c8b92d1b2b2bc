#include "ProgramFolder.h"

#include "infobase/store/BranchTable.h"
#include "ui/Form_Glavn.h"
#include "ui/ProgramWindows.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

ProgramFolder::ProgramFolder() : previous_(QDir::currentPath()) {
    QDir(folder_.path()).mkpath(QStringLiteral("Data"));
    QDir::setCurrent(folder_.path());
}

ProgramFolder::~ProgramFolder() {
    window.reset();
    QDir::setCurrent(previous_);
}

void ProgramFolder::createBase() const {
    infobase::branch_table::createBaseFile(path(QStringLiteral("Data/Quorlent.mdb")));
}

void ProgramFolder::writeFile(const QString& tail, const QByteArray& bytes) const {
    QFile file(path(tail));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << tail.toStdString();
    file.write(bytes);
}

TForm_Glavn& ProgramFolder::create() {
    window = ui::createProgramWindows();
    return *window;
}

TForm_Glavn& ProgramFolder::show(bool fullSplash) {
    if (!fullSplash) {
        TForm_Glavn* shown = window.get();
        QTimer::singleShot(0, shown, [shown] { shown->Timer1Timer(); });
    }
    window->showMaximized();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
}
