#pragma once

#include <QString>

namespace infobase {

// A branch's text (Texty) keeps its lines separated by CR LF. The text pane's editor
// separates them its own way; these two turn one into the other, so that a text shown
// and saved again keeps its bytes. A lone CR or LF in a stored text is a line break too,
// and is saved back as CR LF.

// The pane's plain text for a stored text: every CR LF, lone CR and lone LF becomes '\n'.
QString paneTextFromTexty(const QString& texty);

// The stored text for the pane's raw text (QTextDocument::toRawText(), which keeps
// non-breaking spaces): paragraph separators (U+2029), line separators (U+2028) and '\n'
// become CR LF; every other character stays as it is.
QString textyFromPaneText(const QString& raw);

} // namespace infobase
