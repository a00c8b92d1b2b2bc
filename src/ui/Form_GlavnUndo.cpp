// Undo and redo of the changes of the data: the menu "Правка" at the end of the menu bar,
// its keys, and an undo or redo carried out as a command of its own. The history itself (what
// a step keeps and how it is exchanged) lives in infobase::UndoHistory.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/wholefile/TreeCommit.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeInputDrop.h"
#include "ui/TreeModelAdapter.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

namespace {

using infobase::UndoCommand;

// What a step takes back, as the object of "Отменить" and "Повторить".
QString stepCaption(const infobase::UndoHistory::StepInfo& step) {
    const auto named = [&step](const char* text) { return QString::fromUtf8(text).arg(step.name); };
    switch (step.command) {
    case UndoCommand::AddBranch:
        return named("добавление ветки «%1»");
    case UndoCommand::AddSubBranch:
        return named("добавление подветки «%1»");
    case UndoCommand::Rename:
        return named("переименование «%1»");
    case UndoCommand::Delete:
        return named("удаление «%1»");
    case UndoCommand::Description:
        return named("замену описания «%1»");
    case UndoCommand::TextSave:
        return named("сохранение текста «%1»");
    case UndoCommand::Attach:
        return named("прикрепление файла к «%1»");
    case UndoCommand::Move:
        return named("перемещение «%1»");
    case UndoCommand::Sort:
        return step.name.isEmpty() ? QStringLiteral("упорядочение верхнего уровня")
                                   : named("упорядочение подветок «%1»");
    }
    return {};
}

QString refusalText(const infobase::UndoRefusal& refusal, bool back) {
    const QString cannot =
        back ? QStringLiteral("Отменить нельзя.") : QStringLiteral("Повторить нельзя.");
    switch (refusal.reason()) {
    case infobase::UndoRefusal::RecordChanged:
        return QStringLiteral("Запись ветки «%1» изменена другой программой. %2")
            .arg(refusal.name(), cannot);
    case infobase::UndoRefusal::NameTaken:
        return QStringLiteral("Ветка с названием «%1» уже есть. %2").arg(refusal.name(), cannot);
    case infobase::UndoRefusal::TreeChanged:
        return QStringLiteral("Файл дерева изменён другой программой. %1").arg(cannot);
    case infobase::UndoRefusal::BaseLocked:
        break;
    }
    return QStringLiteral("База занята другой программой. Ничего не изменено.");
}

} // namespace

void TForm_Glavn::createUndoCommands() {
    N_pravka = new QMenu(QStringLiteral("Правка"), menuBar());
    N_pravka->setObjectName(QStringLiteral("N_pravka"));
    menuBar()->addMenu(N_pravka);
    N_otmenit = N_pravka->addAction(QString());
    N_otmenit->setObjectName(QStringLiteral("N_otmenit"));
    N_otmenit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    N_povtorit = N_pravka->addAction(QString());
    N_povtorit->setObjectName(QStringLiteral("N_povtorit"));
    N_povtorit->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // The keys act anywhere in the window; a text field or the text pane with the focus
    // takes them first for its own typing undo.
    addAction(N_otmenit);
    addAction(N_povtorit);
    connect(N_otmenit, &QAction::triggered, this, &TForm_Glavn::N_otmenitClick);
    connect(N_povtorit, &QAction::triggered, this, &TForm_Glavn::N_povtoritClick);
    UndoHistory1.setOnChange([this] { showUndoState(); });
    UndoHistory1.followTree(TreeNodes, TreeView1State);
    UndoHistory1.setTreeCommit(
        [this](const std::function<void()>& recordWork) { return storeTreeChanges(recordWork); });
    showUndoState();
}

void TForm_Glavn::startUndoHistory() {
    UndoHistory1.start(Store.ADOConnection1, Query_Glav, infobase::AppPaths{Base}.treeFile());
    showUndoState();
}

void TForm_Glavn::showUndoState() {
    const infobase::UndoHistory::StepInfo* undoable = UndoHistory1.undoable();
    const infobase::UndoHistory::StepInfo* redoable = UndoHistory1.redoable();
    N_otmenit->setText(undoable ? QStringLiteral("Отменить ") + stepCaption(*undoable)
                                : QStringLiteral("Отменить"));
    N_otmenit->setEnabled(undoable != nullptr);
    N_povtorit->setText(redoable ? QStringLiteral("Повторить ") + stepCaption(*redoable)
                                 : QStringLiteral("Повторить"));
    N_povtorit->setEnabled(redoable != nullptr);
}

infobase::UndoHistory::Recording TForm_Glavn::recordUndo(infobase::UndoCommand command,
                                                         const QString& name) {
    return UndoHistory1.record(command, name);
}

void TForm_Glavn::N_otmenitClick() {
    runHistoryStep(true);
}

void TForm_Glavn::N_povtoritClick() {
    runHistoryStep(false);
}

void TForm_Glavn::runHistoryStep(bool back) {
    const TreeInputDrop drop(TreeView1);
    if ((back ? UndoHistory1.undoable() : UndoHistory1.redoable()) == nullptr) {
        return;
    }
    infobase::UndoHistory::Outcome outcome;
    try {
        outcome = back ? UndoHistory1.undo() : UndoHistory1.redo();
    } catch (const infobase::UndoRefusal& refusal) {
        showMessage(refusalText(refusal, back));
        return;
    } catch (const Failure&) {
        showMessage(back ? QStringLiteral("Не удалось отменить. Ничего не изменено.")
                         : QStringLiteral("Не удалось повторить. Ничего не изменено."));
        return;
    }
    if (!outcome.notice.isEmpty()) {
        showMessage(outcome.notice); // the change is in the base and stays; the tree file waits
    }
    if (outcome.treeChanged) {
        applyTreeViewState(); // the view state the tree file held is back with it
    }
    // The branch the step changed is shown, as a click on it shows it.
    for (infobase::TTreeNode* node = TreeNodes.getFirstNode(); node; node = node->GetNext()) {
        if (node->Text() == outcome.focus) {
            showFoundBranch(node);
            return;
        }
    }
}
