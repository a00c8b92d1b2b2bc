// The frame's system menu, rebuilt each time it pops up from the window's current state.
#include "skin/qsSkinForm.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>

void TqsSkinForm::PopupSystemMenu(QPoint globalPos) {
    const bool minimized = FForm->isMinimized();
    QMenu menu(FForm);
    menu.setObjectName(QStringLiteral("SystemMenu"));
    std::vector<std::pair<QAction*, std::function<void()>>> commands;
    const auto add = [&](const QString& text, std::function<void()> command) {
        commands.emplace_back(menu.addAction(text), std::move(command));
    };

    if (FBorderIcons.testFlag(biMinimize) && !minimized) {
        add(QStringLiteral("Mi&nimize"), [this] { RunCommand(TqsCaptionCommand::Minimize); });
    }
    if (FBorderIcons.testFlag(biMaximize) && !FMaximized) {
        add(QStringLiteral("Ma&ximize"), [this] { RunCommand(TqsCaptionCommand::Maximize); });
    }
    if (minimized || FMaximized || FRolledUp) {
        add(QStringLiteral("&Restore"), [this] { Restore(); });
    }
    if (FBorderIcons.testFlag(biRollUp) && !FRolledUp && !minimized) {
        add(QStringLiteral("Ro&llUp"), [this] { RunCommand(TqsCaptionCommand::RollUp); });
    }
    if (FBorderIcons.testFlag(biMinimizeToTray)) {
        add(QStringLiteral("Minimize to &Tray"),
            [this] { RunCommand(TqsCaptionCommand::MinimizeToTray); });
    }
    if (!commands.empty()) {
        menu.addSeparator();
    }
    add(QStringLiteral("&Close"), [this] { RunCommand(TqsCaptionCommand::Close); });
    // Shown beside the item; the key itself reaches the window as the platform's close command.
    commands.back().first->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    commands.back().first->setShortcutContext(Qt::WidgetShortcut);

    const QPointer<TqsSkinForm> self(this);
    QAction* chosen = menu.exec(globalPos);
    if (self == nullptr || chosen == nullptr) {
        return;
    }
    for (const auto& [action, command] : commands) {
        if (action == chosen) {
            command();
            return;
        }
    }
}
