// What assistive technology reads from the message window: roles, names, the description,
// states, and the actions that press buttons and toggle the check box.
#include "skin/qsMessageBuilders.h"
#include "skin/qsSkinButton.h"
#include "skin/qsSkinCheckRadioBox.h"
#include "skin/qsSkinStdLabel.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<TqsMessageForm> Build(const QString& text, TMsgDlgButtons buttons, bool showAgain) {
    FontDescription font;
    font.Height = -19;
    font.Bold = true;
    return CreateMessageDialog(text, mtInformation, buttons, nullptr, nullptr,
                               QStringLiteral("button"), QStringLiteral("stdlabel"), font, font,
                               true, false, false, 200, showAgain, false, -10001, -10001);
}

// Every object under `root` that a reader presents, as "role: name", in tree order; plain
// containers without a name are passed through.
void Collect(QAccessibleInterface* root, QStringList& seen) {
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (child == nullptr) {
            continue;
        }
        const QString name = child->text(QAccessible::Name);
        if (child->role() != QAccessible::Client || !name.isEmpty()) {
            seen << QStringLiteral("%1: %2").arg(int(child->role()), 0, 16).arg(name);
        }
        Collect(child, seen);
    }
}

QString Seen(QAccessible::Role role, const QString& name) {
    return QStringLiteral("%1: %2").arg(int(role), 0, 16).arg(name);
}

QAccessibleInterface* Of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

TEST(MessageAccessibility, TheWindowIsAnAlertNamedByItsCaptionAndDescribedByItsText) {
    const auto form = Build(QStringLiteral("Saved && closed.\rThe base is kept."), {mbYes, mbNo},
                            /*showAgain=*/true);
    QAccessibleInterface* window = Of(form.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::AlertMessage);
    // The window shows its English words; the reader says them in Russian.
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Информация"));
    const QString shown = QStringLiteral("Saved & closed.\nThe base is kept.");
    EXPECT_EQ(window->text(QAccessible::Description), shown);

    QStringList seen;
    Collect(window, seen);
    for (const QString& expected :
         {Seen(QAccessible::StaticText, shown), Seen(QAccessible::Button, QStringLiteral("Да")),
          Seen(QAccessible::Button, QStringLiteral("Нет")),
          Seen(QAccessible::CheckBox, QStringLiteral("Больше не показывать это сообщение"))}) {
        EXPECT_TRUE(seen.contains(expected)) << expected.toStdString() << " among "
                                             << seen.join(QStringLiteral(" | ")).toStdString();
    }

    QAccessibleInterface* yes = Of(form->findChild<TqsSkinButton*>(QStringLiteral("Yes")));
    QAccessibleInterface* no = Of(form->findChild<TqsSkinButton*>(QStringLiteral("No")));
    EXPECT_TRUE(yes->state().defaultButton);
    EXPECT_FALSE(no->state().defaultButton);
    EXPECT_TRUE(yes->state().focusable);
    EXPECT_EQ(yes->text(QAccessible::Accelerator), QStringLiteral("Alt+Y"));
    EXPECT_EQ(
        yes->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
        QStringList{QStringLiteral("Alt+Y")});
}

TEST(MessageAccessibility, PressingAButtonEndsTheWindowWithItsResult) {
    const auto form = Build(QStringLiteral("Delete?"), {mbYes, mbNo}, false);
    auto* noButton = form->findChild<TqsSkinButton*>(QStringLiteral("No"));
    QAccessibleActionInterface* no = Of(noButton)->actionInterface();
    ASSERT_NE(no, nullptr);
    EXPECT_TRUE(no->actionNames().contains(QAccessibleActionInterface::pressAction()));

    noButton->setEnabled(false);
    no->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form->result(), 0) << "a disabled button is not pressed";
    noButton->setEnabled(true);
    no->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form->result(), 7);
}

TEST(MessageAccessibility, TheCheckBoxTellsAndChangesItsState) {
    const auto form = Build(QStringLiteral("Delete?"), {mbYes}, true);
    TqsSkinCheckRadioBox* box = form->DisplayCheckBox;
    QAccessibleInterface* read = Of(box);
    EXPECT_TRUE(read->state().checkable);
    EXPECT_TRUE(read->state().checked);

    read->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(box->Checked());
    EXPECT_FALSE(read->state().checked);
    read->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(box->Checked());

    box->SetState(TqsSkinCheckRadioBox::cbGrayed);
    EXPECT_TRUE(read->state().checkStateMixed);
    EXPECT_FALSE(read->state().checked);
    box->SetRadio(true);
    EXPECT_EQ(read->role(), QAccessible::RadioButton);
}

TEST(MessageAccessibility, ALabelIsNamedByWhatItShows) {
    QWidget panel;
    struct Case {
        QString caption;
        bool showAccelChar;
        QString name;
    };
    const Case cases[] = {
        {QStringLiteral("&Save"), true, QStringLiteral("Save")},
        {QStringLiteral("&Save"), false, QStringLiteral("&Save")},
        {QStringLiteral("One\r\nTwo\rThree"), true, QStringLiteral("One\nTwo\nThree")},
        {QString(), true, QString()},
    };
    for (const Case& c : cases) {
        auto* label = new TqsSkinStdLabel(&panel);
        label->SetShowAccelChar(c.showAccelChar);
        label->SetCaption(c.caption);
        QAccessibleInterface* read = Of(label);
        EXPECT_EQ(read->role(), QAccessible::StaticText) << c.caption.toStdString();
        EXPECT_EQ(read->text(QAccessible::Name), c.name) << c.caption.toStdString();
    }
}
