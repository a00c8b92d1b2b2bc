#pragma once

#include "skin/qsFont.h"
#include "skin/qsSkinData.h"

#include <QPointer>
#include <QWidget>

class QKeyEvent;

// A control of the message window that paints itself. It carries the skin properties
// every such control has; this program's skin data holds no control pictures, so the
// controls always draw their default look from DefaultFont and the system colours.
class TqsSkinCustomControl : public QWidget {
    Q_OBJECT
public:
    explicit TqsSkinCustomControl(QWidget* parent, const QString& skinDataName);

    TqsSkinData* SkinData() const { return FSkinData; }
    void SetSkinData(TqsSkinData* value) { FSkinData = value; }
    QString SkinDataName() const { return FSkinDataName; }
    void SetSkinDataName(const QString& value) { FSkinDataName = value; }
    const FontDescription& DefaultFont() const { return FDefaultFont; }
    void SetDefaultFont(const FontDescription& value);
    bool UseSkinFont() const { return FUseSkinFont; }
    void SetUseSkinFont(bool value) { FUseSkinFont = value; }
    // Size used when there is no skin entry; 0 means none. A positive height sets the
    // control's height at once.
    int DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int value);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);

    // Enter or Escape offered by the window to all its controls after the focused control
    // let it pass; true when the control used it.
    virtual bool DialogKey(int key, Qt::KeyboardModifiers modifiers);
    // A character offered to all controls of the window for their access keys.
    virtual bool DialogChar(QChar character);

    // Whether the control can take the focus now: allowed to, enabled and shown.
    bool CanTakeFocus() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    QPointer<TqsSkinData> FSkinData;
    QString FSkinDataName;
    FontDescription FDefaultFont;
    bool FUseSkinFont = true;
    int FDefaultWidth = 0;
    int FDefaultHeight = 0;
    QString FCaption;
};

// Offers a key that the focused control let pass to every control of `window`: Enter and
// Escape as dialog keys, a character (with or without Alt) for access keys. Returns true
// when a control used it.
bool OfferDialogKey(QWidget* window, const QKeyEvent& event);
