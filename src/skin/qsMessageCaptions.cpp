#include "skin/qsMessageCaptions.h"

#include <QGuiApplication>
#include <array>

namespace {

// The program's English string resources of the message window.
constexpr const char* kContext = "qsMessages";

struct ButtonResource {
    const char* componentName;
    const char* caption;
    const char* skinKey;
    int modalResult;
};

constexpr std::array<ButtonResource, kMsgDlgBtnCount> kButtons{{
    {"Yes", QT_TRANSLATE_NOOP("qsMessages", "&Yes"), "MSG_BTN_YES", mrYes},
    {"No", QT_TRANSLATE_NOOP("qsMessages", "&No"), "MSG_BTN_NO", mrNo},
    {"OK", QT_TRANSLATE_NOOP("qsMessages", "OK"), "MSG_BTN_OK", mrOk},
    {"Cancel", QT_TRANSLATE_NOOP("qsMessages", "Cancel"), "MSG_BTN_CANCEL", mrCancel},
    {"Abort", QT_TRANSLATE_NOOP("qsMessages", "&Abort"), "MSG_BTN_ABORT", mrAbort},
    {"Retry", QT_TRANSLATE_NOOP("qsMessages", "&Retry"), "MSG_BTN_RETRY", mrRetry},
    {"Ignore", QT_TRANSLATE_NOOP("qsMessages", "&Ignore"), "MSG_BTN_IGNORE", mrIgnore},
    {"All", QT_TRANSLATE_NOOP("qsMessages", "&All"), "MSG_BTN_ALL", mrAll},
    {"NoToAll", QT_TRANSLATE_NOOP("qsMessages", "N&oToAll"), "MSG_BTN_NOTOALL", mrNoToAll},
    {"YesToAll", QT_TRANSLATE_NOOP("qsMessages", "&YesToAll"), "MSG_BTN_YESTOALL", mrYesToAll},
    {"Help", QT_TRANSLATE_NOOP("qsMessages", "&Help"), "MSG_BTN_HELP", mrNone},
    {"Close", QT_TRANSLATE_NOOP("qsMessages", "Close"), nullptr, mrClose},
}};

struct TypeResource {
    const char* caption;
    const char* skinKey;
};

constexpr std::array<TypeResource, mtCustom> kTypes{{
    {QT_TRANSLATE_NOOP("qsMessages", "Warning"), "MSG_CAP_WARNING"},
    {QT_TRANSLATE_NOOP("qsMessages", "Error"), "MSG_CAP_ERROR"},
    {QT_TRANSLATE_NOOP("qsMessages", "Information"), "MSG_CAP_INFORMATION"},
    {QT_TRANSLATE_NOOP("qsMessages", "Confirm"), "MSG_CAP_CONFIRM"},
}};

constexpr const char* kShowAgainCaption =
    QT_TRANSLATE_NOOP("qsMessages", "Do not display this message again");

QString resourceString(const char* text) {
    return QCoreApplication::translate(kContext, text);
}

// The caption tables, filled from the string resources on first use and never changed.
struct CaptionTables {
    std::array<QString, kMsgDlgBtnCount> buttons;
    std::array<QString, mtCustom> types;

    CaptionTables() {
        for (int b = 0; b < kMsgDlgBtnCount; ++b) {
            buttons[b] = resourceString(kButtons[b].caption);
        }
        for (int t = 0; t < mtCustom; ++t) {
            types[t] = resourceString(kTypes[t].caption);
        }
    }
};

const CaptionTables& captionTables() {
    static const CaptionTables tables;
    return tables;
}

} // namespace

QString ButtonComponentName(TMsgDlgBtn B) {
    return QString::fromLatin1(kButtons[B].componentName);
}

int ButtonModalResult(TMsgDlgBtn B) {
    return kButtons[B].modalResult;
}

QString GetButtonCaption(TMsgDlgBtn B, TqsSkinData* ASkinData) {
    const char* key = kButtons[B].skinKey;
    if (ASkinData != nullptr && ASkinData->HasResourceStrData() && key != nullptr) {
        return ASkinData->ResourceStr(QString::fromLatin1(key));
    }
    return captionTables().buttons[B];
}

QString GetMsgCaption(TMsgDlgType DT, TqsSkinData* ASkinData) {
    if (DT == mtCustom) {
        return QGuiApplication::applicationDisplayName();
    }
    if (ASkinData != nullptr && ASkinData->HasResourceStrData()) {
        return ASkinData->ResourceStr(QString::fromLatin1(kTypes[DT].skinKey));
    }
    return captionTables().types[DT];
}

QString ShowAgainFlagCaption(TqsSkinData* ASkinData) {
    if (ASkinData != nullptr && ASkinData->HasResourceStrData()) {
        const QString skinned = ASkinData->ResourceStr(QStringLiteral("MSG_CAP_SHOWFLAG"));
        if (!skinned.isEmpty()) {
            return skinned;
        }
    }
    return resourceString(kShowAgainCaption);
}
