#include "skin/qsAccessibility.h"

#include "skin/qsDrawing.h"
#include "skin/qsMessageForm.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"
#include "skin/qsSkinStdLabel.h"

#include <QAccessibleWidget>
#include <QKeySequence>

namespace {

// A caption as a reader speaks it: the access-key marker dropped, one line break per line.
QString SpokenCaption(const QString& caption, bool accessMarked = true) {
    QString text = accessMarked ? qsdraw::ShowCaption(caption).Text : caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// The message window's own English words (its caption, buttons and check box) as a
// Russian reader hears them; the window still shows them in English. Other texts stay.
QString InRussian(const QString& spoken) {
    static const struct {
        const char* english;
        const char* russian;
    } words[] = {
        {"Yes", "Да"},
        {"No", "Нет"},
        {"OK", "ОК"},
        {"Cancel", "Отмена"},
        {"Abort", "Прервать"},
        {"Retry", "Повторить"},
        {"Ignore", "Пропустить"},
        {"All", "Все"},
        {"NoToAll", "Нет для всех"},
        {"YesToAll", "Да для всех"},
        {"Help", "Справка"},
        {"Close", "Закрыть"},
        {"Warning", "Предупреждение"},
        {"Error", "Ошибка"},
        {"Information", "Информация"},
        {"Confirm", "Подтверждение"},
        {"Do not display this message again", "Больше не показывать это сообщение"},
    };
    for (const auto& word : words) {
        if (spoken == QLatin1String(word.english)) {
            return QString::fromUtf8(word.russian);
        }
    }
    return spoken;
}

QString LabelText(const TqsSkinStdLabel* label) {
    return SpokenCaption(label->Caption(), label->ShowAccelChar());
}

// "Alt+Y" for a caption "&Yes"; empty without an access key.
QString AccessKeyBinding(const QString& caption) {
    const QChar key = qsdraw::AccessKey(caption);
    if (key.isNull()) {
        return {};
    }
    return QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(key.unicode())))
        .toString(QKeySequence::NativeText);
}

class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(TqsSkinStdLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return LabelText(static_cast<TqsSkinStdLabel*>(widget()));
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
};

// Name, access key and press action common to the push button and the check box.
class AccessibleControl : public QAccessibleWidget {
public:
    AccessibleControl(TqsSkinCustomControl* control, QAccessible::Role role)
        : QAccessibleWidget(control, role) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return InRussian(SpokenCaption(control()->Caption()));
        }
        if (t == QAccessible::Accelerator) {
            return AccessKeyBinding(control()->Caption());
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) {
            const QString binding = AccessKeyBinding(control()->Caption());
            return binding.isEmpty() ? QStringList{} : QStringList{binding};
        }
        return QAccessibleWidget::keyBindingsForAction(action);
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            if (widget()->isEnabled()) {
                press();
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }

protected:
    virtual void press() = 0;
    TqsSkinCustomControl* control() const { return static_cast<TqsSkinCustomControl*>(widget()); }
};

class AccessibleButton : public AccessibleControl {
public:
    explicit AccessibleButton(TqsSkinButton* button)
        : AccessibleControl(button, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State s = AccessibleControl::state();
        s.defaultButton = button()->Default();
        s.pressed = button()->Down();
        if (button()->CheckedMode()) {
            s.checkable = true;
            s.checked = button()->Down();
        }
        return s;
    }

protected:
    void press() override { button()->Click(); }

private:
    TqsSkinButton* button() const { return static_cast<TqsSkinButton*>(widget()); }
};

class AccessibleCheckBox : public AccessibleControl {
public:
    explicit AccessibleCheckBox(TqsSkinCheckRadioBox* box)
        : AccessibleControl(box, QAccessible::CheckBox) {}

    QAccessible::Role role() const override {
        return box()->Radio() ? QAccessible::RadioButton : QAccessible::CheckBox;
    }
    QAccessible::State state() const override {
        QAccessible::State s = AccessibleControl::state();
        s.checkable = true;
        s.checked = box()->State() == TqsSkinCheckRadioBox::cbChecked;
        s.checkStateMixed = box()->State() == TqsSkinCheckRadioBox::cbGrayed;
        return s;
    }
    QStringList actionNames() const override {
        return QStringList{toggleAction()} + AccessibleControl::actionNames();
    }
    void doAction(const QString& action) override {
        AccessibleControl::doAction(action == toggleAction() ? pressAction() : action);
    }

protected:
    void press() override { box()->Toggle(); }

private:
    TqsSkinCheckRadioBox* box() const { return static_cast<TqsSkinCheckRadioBox*>(widget()); }
};

// The message window: an alert named by its caption and described by its text.
class AccessibleMessageForm : public QAccessibleWidget {
public:
    explicit AccessibleMessageForm(TqsMessageForm* form)
        : QAccessibleWidget(form, QAccessible::AlertMessage) {}

    QString text(QAccessible::Text t) const override {
        const auto* form = static_cast<TqsMessageForm*>(widget());
        if (t == QAccessible::Name && form->accessibleName().isEmpty()) {
            return InRussian(QAccessibleWidget::text(t));
        }
        if (t == QAccessible::Description && form->accessibleDescription().isEmpty() &&
            form->Message != nullptr) {
            return LabelText(form->Message);
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* SkinAccessibleFactory(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    if (className == QLatin1String("TqsSkinStdLabel")) {
        return new AccessibleLabel(static_cast<TqsSkinStdLabel*>(object));
    }
    if (className == QLatin1String("TqsSkinButton")) {
        return new AccessibleButton(static_cast<TqsSkinButton*>(object));
    }
    if (className == QLatin1String("TqsSkinCheckRadioBox")) {
        return new AccessibleCheckBox(static_cast<TqsSkinCheckRadioBox*>(object));
    }
    if (className == QLatin1String("TqsMessageForm")) {
        return new AccessibleMessageForm(static_cast<TqsMessageForm*>(object));
    }
    return nullptr;
}

} // namespace

void InstallSkinAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(SkinAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void AnnounceNameChange(QObject* control) {
    QAccessibleEvent event(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void AnnounceCheckStateChange(QObject* control) {
    QAccessible::State changed;
    changed.checked = true;
    changed.checkStateMixed = true;
    QAccessibleStateChangeEvent event(control, changed);
    QAccessible::updateAccessibility(&event);
}
