#include "ProgramFolder.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"

#include <QGroupBox>
#include <QProgressBar>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(Layout, PlacesButtonAndPanesByTheOuterSize) {
    ProgramFolder program;
    TForm_Glavn& window = program.start();
    window.showNormal();
    QTest::qWait(0);
    EXPECT_EQ(window.centralWidget()->size(), TForm_Glavn::kDesignedClientSize)
        << "restored to the designed client area, below the menu bar";
    const struct {
        QSize outer;
        bool panel;
    } cases[] = {{{1340, 790}, false}, {{1340, 790}, true},   {{1001, 641}, false},
                 {{1001, 641}, true},  {{1920, 1080}, false}, {{1920, 1080}, true},
                 {{900, 500}, false},  {{900, 500}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2 panel %3")
                         .arg(c.outer.width())
                         .arg(c.outer.height())
                         .arg(c.panel)
                         .toStdString());
        c.panel ? window.PokazatClick() : window.SkrytClick();
        // resize() sets the size inside the frame; the rule works on the outer size.
        const QSize frame = window.frameGeometry().size() - window.size();
        window.resize(c.outer - frame);
        QTest::qWait(0);
        const int W = window.frameGeometry().width();
        const int H = window.frameGeometry().height();
        ASSERT_EQ(QSize(W, H), c.outer);
        EXPECT_EQ(window.Button_podluchit_bazy->geometry(), QRect(W / 2 - 241 / 2, H / 2, 241, 89));
        // The panes start where the rule puts them and end at the client area's right and
        // bottom edges, never past them.
        const QRect client = window.centralWidget()->rect();
        const int left = c.panel ? 457 + 464 : 457;
        const QRect pane(left, 0, std::max(0, client.width() - left), client.height());
        EXPECT_EQ(window.Image1->geometry(), pane);
        EXPECT_EQ(window.RichEdit->geometry(), pane);
        EXPECT_EQ(window.GroupBox_Rab_Vet_Tree->geometry(), QRect(457, 0, 464, 732));
        EXPECT_EQ(window.TreeView1->geometry(), QRect(0, 0, 457, window.centralWidget()->height()));
        EXPECT_EQ(window.ProgressBar1->geometry(), QRect(122, 8, 329, 25));
    }
    // Showing and hiding the panel moves the panes and fits them again.
    window.resize(1300, 700);
    QTest::qWait(0);
    const QRect client = window.centralWidget()->rect();
    for (const bool panel : {true, false, true}) {
        panel ? window.PokazatClick() : window.SkrytClick();
        const int left = panel ? 457 + 464 : 457;
        EXPECT_EQ(window.RichEdit->geometry(),
                  QRect(left, 0, client.width() - left, client.height()))
            << "panel " << panel;
        EXPECT_EQ(window.Image1->geometry(), window.RichEdit->geometry());
    }
}

} // namespace
