#include "ui/FileDialogColumns.h"

#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

void nameByLabels(QWidget* dialog) {
    // The folder list is read with its label "Перейти к", which the toolkit does not tie to
    // it; a list to choose from is named by its value.
    auto* folderLabel = dialog->findChild<QLabel*>(QStringLiteral("lookInLabel"));
    auto* folders = dialog->findChild<QWidget*>(QStringLiteral("lookInCombo"));
    if (folderLabel != nullptr && folders != nullptr) {
        folderLabel->setBuddy(folders);
    }
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        QWidget* field = label->buddy();
        if (field != nullptr && field != folders && field->accessibleName().isEmpty()) {
            QString name = label->text();
            name.remove(u'&');
            if (name.endsWith(u':')) {
                name.chop(1);
            }
            field->setAccessibleName(name);
        }
    }
}

namespace {

class WholeColumns : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            nameByLabels(static_cast<QWidget*>(watched));
            for (auto* list : watched->findChildren<QTreeView*>(QStringLiteral("treeView"))) {
                QHeaderView* header = list->header();
                header->setStretchLastSection(false);
                header->setSectionResizeMode(0, QHeaderView::Stretch);
                for (int column = 1; column < header->count(); ++column) {
                    header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
                }
            }
        }
        return false;
    }
};

} // namespace

void showWholeFileColumns(QFileDialog* dialog) {
    dialog->installEventFilter(new WholeColumns(dialog));
}
