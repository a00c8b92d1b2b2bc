#pragma once

#include <QString>
#include <functional>

// How the application shows a help topic: the help file (empty for the application's own)
// and the topic's context number.
using ApplicationHelpHandler = std::function<void(const QString& helpFile, int context)>;

// Replaces the application's help handler; an empty handler restores the default, which
// opens a given help file with the desktop's viewer (the program has no help of its own).
void SetApplicationHelpHandler(ApplicationHelpHandler handler);

// Shows the help topic through the current handler.
void ShowApplicationHelp(const QString& helpFile, int context);
