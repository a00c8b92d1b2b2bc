// Going to a search hit in a branch's text: the text is shown in the text pane with the hit
// selected and in sight, also for a branch with sub-branches, whose click shows no text; F3
// and Shift+F3 then step to the next and the previous place of the search's query in the
// text the pane shows.
#include "common/Failure.h"
#include "infobase/search/TextMatches.h"
#include "infobase/store/BranchText.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QAction>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

namespace {

// Selects the place in the pane and scrolls it into view, a sixth of the pane down, so that
// the lines before it show too and a search window over the pane's lower part leaves it in
// sight.
void selectInPane(QTextEdit* pane, const infobase::search::TextMatch& match) {
    QTextCursor cursor(pane->document());
    cursor.setPosition(int(match.start));
    cursor.setPosition(int(match.start + match.length), QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    pane->ensureCursorVisible();
    QScrollBar* scroll = pane->verticalScrollBar();
    scroll->setValue(scroll->value() + pane->cursorRect().top() - pane->viewport()->height() / 6);
}

} // namespace

void TForm_Glavn::createHitSteps() {
    const auto step = [this](const char* name, QKeySequence keys, bool forward) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        // In the whole window and in the search window it owns.
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, forward] { stepHit(forward); });
        return action;
    };
    N_sled_nayden = step("N_sled_nayden", QKeySequence(Qt::Key_F3), true);
    N_pred_nayden = step("N_pred_nayden", QKeySequence(Qt::SHIFT | Qt::Key_F3), false);
}

QString TForm_Glavn::searchQuery() const {
    return SearchBar1 ? SearchBar1->field()->text() : QString();
}

void TForm_Glavn::showFoundText(infobase::TTreeNode* node) {
    const QModelIndex index = TreeModel->indexOf(node);
    // A branch without sub-branches has its text in the pane already, from the click.
    if (!(RichEdit->isVisibleTo(this) && paneBranch_ == index)) {
        try {
            if (!Query_Glav.LocateOwn(node->Text())) {
                return;
            }
            const QString texty = Query_Glav.FieldByName(QStringLiteral("Texty")).AsString();
            if (texty.isEmpty()) {
                return;
            }
            Image1->hide();
            RichEdit->show();
            showPaneText(infobase::paneTextFromTexty(texty));
            // A save from the pane now goes to this branch's own record.
            paneBranch_ = index;
        } catch (const Failure&) {
            return; // the branch stays shown as its click showed it
        }
    }
    const std::vector<infobase::search::TextMatch> matches =
        infobase::search::matchesIn(RichEdit->toPlainText(), searchQuery());
    if (!matches.empty()) {
        selectInPane(RichEdit, matches.front());
    }
}

void TForm_Glavn::stepHit(bool forward) {
    if (!RichEdit->isVisibleTo(this)) {
        return;
    }
    const std::vector<infobase::search::TextMatch> matches =
        infobase::search::matchesIn(RichEdit->toPlainText(), searchQuery());
    if (matches.empty()) {
        return;
    }
    const QTextCursor cursor = RichEdit->textCursor();
    // From the selection or the caret; past the last place, round to the first again.
    const infobase::search::TextMatch* next = nullptr;
    if (forward) {
        const auto after = std::find_if(matches.begin(), matches.end(), [&](const auto& match) {
            return match.start >= cursor.selectionEnd();
        });
        next = after != matches.end() ? &*after : &matches.front();
    } else {
        const auto before = std::find_if(matches.rbegin(), matches.rend(), [&](const auto& match) {
            return match.start < cursor.selectionStart();
        });
        next = before != matches.rend() ? &*before : &matches.back();
    }
    selectInPane(RichEdit, *next);
}
