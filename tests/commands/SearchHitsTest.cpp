// The search window's place on the screen, going to a hit in a text (F3, Shift+F3) and a
// search kept to one branch, through the real window.
#include "BranchWindow.h"
#include "SearchWindowDriver.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

namespace {

// The screen made that large for the life of the object (the offscreen screen is 800 × 600),
// the main window standing in its designed size at the screen's top left corner.
class ScreenOfSize {
public:
    ScreenOfSize(TForm_Glavn& window, QSize size)
        : screen_(QGuiApplication::primaryScreen()), before_(screen_->geometry()) {
        resize(QRect(QPoint(0, 0), size));
        window.showNormal();
        window.setGeometry(QRect(QPoint(0, 0), TForm_Glavn::kDesignedClientSize));
        QCoreApplication::processEvents();
    }
    ~ScreenOfSize() { resize(before_); }

private:
    void resize(const QRect& geometry) {
        QWindowSystemInterface::handleScreenGeometryChange(screen_, geometry, geometry);
        QWindowSystemInterface::flushWindowSystemEvents();
    }
    QScreen* screen_;
    QRect before_;
};

QString lines(int from, int to) {
    QStringList text;
    for (int i = from; i < to; ++i) {
        text << QStringLiteral("Строка %1 без того, что ищут.").arg(i);
    }
    return text.join("\r\n");
}

// "Дом" has a sub-branch and a long text with "ключ" on three lines far down; "Кухня" has the
// word near its start.
const QString kHouseText = lines(0, 120) + "\r\nЗдесь лежит ключ от двери.\r\n" + lines(121, 180) +
                           "\r\nВторой ключ у соседа.\r\n" + lines(181, 190) +
                           "\r\nЗапасной КЛЮЧ в саду.\r\n" + lines(191, 230);

class SearchHits : public ::testing::Test {
protected:
    BranchWindow program{{"Дом", "Дом/Кухня", "Дом/Кухня/Полка", "Кафе", "Сад"},
                         {
                             {"Дом", "дом у реки", kHouseText},
                             {"Кухня", "", "На кухне ключ не держим."},
                             {"Полка", "", "Кофе в зёрнах, café noir."},
                             {"Кафе", "", "Café de Flore, CAFE и кафе."},
                             {"Сад", "", "Вишни и кафе у дороги."},
                         }};
    TForm_Glavn& window = program.window();

    SearchBar& bar() { return openSearch(window); }

    QStringList find(const QString& query) {
        bar().field()->setText(query);
        waitForResults(bar());
        return listRows(bar(), RowText::FirstLine);
    }

    void choose(int row) {
        bar().list()->setFocus();
        bar().list()->setCurrentIndex(bar().list()->model()->index(row, 0));
        QTest::keyClick(bar().list(), Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    // The pane's selection, and whether it stands inside the pane's viewport, clear of the
    // search window.
    QString selected() const { return window.RichEdit->textCursor().selectedText(); }
    int selectedLine() const { return window.RichEdit->textCursor().block().blockNumber(); }
    void expectInSight() {
        QTextEdit* pane = window.RichEdit;
        const QRect hit = pane->cursorRect();
        EXPECT_TRUE(pane->viewport()->rect().contains(hit)) << "scrolled into view";
        const QRect onScreen(pane->viewport()->mapToGlobal(hit.topLeft()), hit.size());
        EXPECT_FALSE(onScreen.intersects(bar().frameGeometry())) << "not under the search window";
    }
};

TEST_F(SearchHits, AHitInATextIsShownSelectedAndF3StepsThroughTheText) {
    const ScreenOfSize screen(window, {1400, 900});
    ASSERT_EQ(find("ключ"), (QStringList{"Дом", "Дом / Кухня"}));

    // "Дом" has a sub-branch: a click shows the cross, a text hit shows its text.
    choose(0);
    EXPECT_EQ(window.TreeNodes.Selected(), program.node("Дом"));
    EXPECT_TRUE(window.RichEdit->isVisible());
    EXPECT_FALSE(window.Image1->isVisible());
    EXPECT_EQ(window.Memo_opisanie->toPlainText(), "дом у реки");
    EXPECT_EQ(selected(), "ключ");
    EXPECT_EQ(selectedLine(), 120);
    expectInSight();

    // F3 and Shift+F3, in the search window and in the main window, round at the ends.
    bar().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bar()));
    const struct {
        QWidget* where;
        Qt::KeyboardModifiers modifiers;
        int line;
        const char* text;
    } steps[] = {
        {bar().list(), Qt::NoModifier, 180, "ключ"},
        {bar().list(), Qt::NoModifier, 190, "КЛЮЧ"},
        {bar().list(), Qt::NoModifier, 120, "ключ"},
        {bar().field(), Qt::ShiftModifier, 190, "КЛЮЧ"},
        {bar().field(), Qt::ShiftModifier, 180, "ключ"},
    };
    for (const auto& step : steps) {
        QTest::keyClick(step.where, Qt::Key_F3, step.modifiers);
        EXPECT_EQ(selectedLine(), step.line);
        EXPECT_EQ(selected(), step.text);
        expectInSight();
    }
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.RichEdit->setFocus();
    QTest::keyClick(window.RichEdit, Qt::Key_F3);
    EXPECT_EQ(selectedLine(), 190);

    // The shown text is the branch's own: a save goes to its record and no other.
    window.RichEdit->setPlainText("Ключ теперь у меня.");
    window.N5->trigger();
    EXPECT_EQ(program.column("Дом", "Texty"), "Ключ теперь у меня.");
    EXPECT_EQ(program.column("Кухня", "Texty"), "На кухне ключ не держим.");
    EXPECT_EQ(program.messages(), QStringList{"Сохранено."});

    // A branch without sub-branches: its click shows the text, the hit is selected in it.
    ASSERT_EQ(find("ключ"), (QStringList{"Дом", "Дом / Кухня"}));
    choose(1);
    EXPECT_EQ(window.TreeNodes.Selected(), program.node("Дом/Кухня"));
    EXPECT_EQ(window.RichEdit->toPlainText(), "На кухне ключ не держим.");
    EXPECT_EQ(selected(), "ключ");
    EXPECT_EQ(window.RichEdit->textCursor().selectionStart(), 9);
}

TEST_F(SearchHits, TheWindowHidesNoControlOfThePanelAndStaysWhereItWasPut) {
    QWidget* panel = window.GroupBox_Rab_Vet_Tree;
    const auto panelOnScreen = [&] {
        return QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size());
    };
    {
        // Room at the right of the main window.
        const ScreenOfSize screen(window, {2000, 1000});
        const QRect frame = bar().frameGeometry();
        EXPECT_GE(frame.left(), window.frameGeometry().right() + 1);
        EXPECT_TRUE(QRect(0, 0, 2000, 1000).contains(frame));
        EXPECT_EQ(bar().size(), QSize(560, 460));
    }
    window.SearchBar1.reset();
    {
        // No room beside it: over the picture pane, wholly inside it.
        const ScreenOfSize screen(window, {1400, 900});
        const QRect frame = bar().frameGeometry();
        const QRect pane(window.Image1->mapToGlobal(QPoint(0, 0)), window.Image1->size());
        EXPECT_TRUE(pane.contains(frame)) << "inside the pane";
        EXPECT_FALSE(frame.intersects(panelOnScreen()));

        // Moved by the user, closed and opened again: where the user put it.
        bar().move(frame.topLeft() - QPoint(300, 200));
        bar().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&bar()));
        QTest::keyClick(bar().field(), Qt::Key_Escape);
        ASSERT_FALSE(window.SearchBar1->isVisible());
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.TreeView1, Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(window.SearchBar1->isVisible());
        EXPECT_EQ(bar().frameGeometry().topLeft(), frame.topLeft() - QPoint(300, 200));
    }
}

TEST_F(SearchHits, ASearchKeptToOneBranchAndAccentsFolded) {
    // Accents ignored as letter case is: "cafe" finds café, CAFE and кафе stays Cyrillic.
    EXPECT_EQ(find("cafe"), (QStringList{"Дом / Кухня / Полка", "Кафе"}));
    EXPECT_EQ(find("кафе"), (QStringList{"Кафе", "Сад"}));

    QCheckBox* within = bar().withinBranch();
    EXPECT_EQ(within->text(), "Искать только в этой ветке");
    EXPECT_EQ(within->accessibleName(), within->text());
    EXPECT_FALSE(within->isChecked());

    // Without a selected branch the box stays clear and says what it needs.
    within->click();
    EXPECT_FALSE(within->isChecked());
    EXPECT_EQ(bar().scope()->text(), "Выберите ветку в дереве.");

    program.clickLabel("Дом");
    within->click();
    ASSERT_TRUE(within->isChecked());
    EXPECT_EQ(bar().scope()->text(), "Дом");
    EXPECT_EQ(find("кафе"), QStringList{"Ничего не найдено."});
    EXPECT_EQ(find("cafe"), QStringList{"Дом / Кухня / Полка"});
    EXPECT_EQ(find("дом"), QStringList{"Дом"});

    // Choosing a result inside keeps the scope; the scope follows a rename of its branch.
    choose(0);
    window.TreeView1->expandAll();
    program.clickLabel("Дом");
    window.Edit_Mame_Vetok->setText("Дача");
    program.press(window.SpeedButton3);
    EXPECT_EQ(bar().scope()->text(), "Дача");
    EXPECT_EQ(find("cafe"), QStringList{"Дача / Кухня / Полка"});

    // Its branch deleted: the whole tree again.
    program.clickLabel("Дача/Кухня/Полка");
    program.press(window.SpeedButton_Delete);
    program.clickLabel("Дача/Кухня");
    program.press(window.SpeedButton_Delete);
    program.clickLabel("Дача");
    program.press(window.SpeedButton_Delete);
    EXPECT_FALSE(within->isChecked());
    EXPECT_EQ(find("кафе"), (QStringList{"Кафе", "Сад"}));

    // Unchecked by the user: the whole tree too.
    program.clickLabel("Сад");
    within->click();
    EXPECT_EQ(find("кафе"), QStringList{"Сад"});
    within->click();
    EXPECT_EQ(find("кафе"), (QStringList{"Кафе", "Сад"}));
    EXPECT_FALSE(bar().scope()->isVisible());
}

} // namespace
