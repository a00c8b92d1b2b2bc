#include "ui/Form_ob_prilojenii.h"

#include "ui/Fonts.h"
#include "ui/ScreenPlacement.h"

#include <QPlainTextEdit>

namespace {

const QStringList kAboutLines{
    QStringLiteral("Приложение для упорядоченного хранения любой"),
    QStringLiteral("информации в виде файлов или записей"),
    QStringLiteral("отображающихся в дереве. Есть возможность "),
    QStringLiteral("копирования резервных копий."),
    QString(),
    QStringLiteral("Версии:"),
    QStringLiteral("1. v.1.0 (14.02.2016) — дерево веток и подветок, описание каждой ветки."),
    QStringLiteral("2. v.2.0 (03.06.2016) — ветки хранятся в защищённой паролем базе."),
    QStringLiteral("3. v.3.0 (21.10.2016) — к ветке можно прикрепить картинку JPEG и "
                   "посмотреть её справа от дерева."),
    QStringLiteral("4. v.4.0 (09.03.2017) — прикрепление документов PDF, DOCX и архивов RAR, "
                   "открытие файла отдельно."),
    QStringLiteral("5. v.5.0 (27.08.2017) — поле текста ветки с сохранением в базе."),
    QStringLiteral("6. v.6.0 (15.01.2018) — переименование и удаление веток, редактирование "
                   "описания."),
    QStringLiteral("7. v.7.0 (02.07.2018) — сохранение текста ветки в документ Word."),
    QStringLiteral("8. v.8.0 (19.11.2018) — резервная копия базы и дерева с индикатором хода."),
    QStringLiteral("9. v.9.0 (06.05.2019) — заставка, новое оформление окон и сообщений, "
                   "ускорен показ больших картинок."),
};

} // namespace

TForm_ob_prilojenii::TForm_ob_prilojenii(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Memo1(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("Form_ob_prilojenii"));
    setWindowTitle(QStringLiteral("Окно о приложении"));
    setFixedSize(kClientSize);
    setFont(ui::msSansSerifBold(19));
    QPalette blue = palette();
    blue.setColor(QPalette::Text, Qt::blue);
    blue.setColor(QPalette::WindowText, Qt::blue);
    setPalette(blue);

    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(rect());
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName(QStringLiteral("О приложении"));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(kAboutLines.join(QLatin1Char('\n')));

    ui::centreOnScreenWhenShown(this);
}
