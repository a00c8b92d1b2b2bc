#include "ui/VisualStyle.h"

#include "platform/VisualStyles.h"
#include "ui/GeneralErrorReport.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>

namespace ui {

bool applyVisualStyle(const QString& name, const QString& folder) {
    const std::optional<platform::VisualStyle> style =
        platform::VisualStyleRegistry(folder).find(name);
    if (!style) {
        QMessageBox box(QMessageBox::NoIcon, programTitle(), platform::styleNotFoundMessage(name),
                        QMessageBox::Ok);
        box.exec();
        return false;
    }
    if (QStyle* base = QStyleFactory::create(style->baseStyle)) {
        QApplication::setStyle(base);
    }
    QApplication::setPalette(style->palette);
    return true;
}

} // namespace ui
