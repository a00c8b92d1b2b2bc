#pragma once

class QFileDialog;
class QWidget;

// Makes the detail list of a file dialog show its size, kind and date columns whole (the
// Russian dates and kinds are longer than the widths the toolkit gives them; the name column
// takes the rest), and names its fields for a screen reader by their labels. Applied each
// time the dialog is shown.
void showWholeFileColumns(QFileDialog* dialog);

// Names each field of `dialog` that has a label by that label's text, for a screen reader.
void nameByLabels(QWidget* dialog);
