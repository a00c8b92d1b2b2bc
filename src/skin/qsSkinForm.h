#pragma once

#include "skin/qsSkinFormTypes.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <vector>

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QWidget;
class TqsSkinData;

// The frame component of a window whose frame the program draws itself. Attached to a
// top-level widget (its owner), it makes the window frameless and takes over everything
// outside the client area: the 3-pixel border and the 19-pixel caption strip, their painting,
// hit-testing (the caption drags the window; there is no resizing), the caption buttons and
// their pointer feedback, the right-click system menu, the background of the client area, the
// window region, translucency and the fade-in. The window's controls belong in ClientArea(),
// a child placed 3 pixels in from the left, right and bottom edges and 22 from the top.
//
// Without skin data (the only case this program meets) the frame draws its plain default look.
class TqsSkinForm : public QObject {
    Q_OBJECT

public:
    explicit TqsSkinForm(QWidget* AOwner);
    ~TqsSkinForm() override;

    QWidget* Form() const { return FForm; }
    // The parent of the window's controls; its coordinates are the window's client coordinates.
    QWidget* ClientArea() const { return FClientArea; }
    // Gives the window the fixed outer size that holds a client area of the given size.
    void SetClientSize(int clientWidth, int clientHeight);

    TqsSkinData* SkinData() const { return FSkinData; }
    // Sets the frame up again for the given skin data (none draws the default frame).
    void SetSkinData(TqsSkinData* value);
    TqsSkinData* MenusSkinData() const { return FMenusSkinData; }
    void SetMenusSkinData(TqsSkinData* value) { FMenusSkinData = value; }

    TqsBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TqsBorderIcons value);

    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool value);
    int AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(int value);
    // Fade the window in when it is shown.
    bool AlphaBlendAnimation = false;
    // Whether the window is currently drawn through its opacity (translucent or fading in).
    bool IsLayered() const { return FLayered; }
    // The opacity currently applied, 0 to 255.
    int AppliedOpacity() const { return FAppliedOpacity; }

    // Snapping of the window to the work area's edges while it is dragged by its caption, and
    // the distance in pixels at which an edge catches it. A snapping window is moved by the
    // frame itself rather than by the platform's move loop.
    bool Magnetic = false;
    int MagneticSize = 5;

    // Caption fonts of the active and the inactive window, with their text colours.
    QFont DefCaptionFont;
    QColor DefCaptionFontColor;
    QFont DefInActiveCaptionFont;
    QColor DefInActiveCaptionFontColor;

    // Size limits; 0 means none set.
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;
    int MinClientWidth = 0;
    int MinClientHeight = 0;
    int MaxClientWidth = 0;
    int MaxClientHeight = 0;
    int GetMinWidth() const;
    int GetMaxWidth() const;
    int GetMinHeight() const;
    int GetMaxHeight() const;
    // The work area of the monitor that holds the window, or of the one nearest to it.
    QRect WorkArea() const;

    // The caption buttons (created on the first paint), the hovered one and the one holding
    // the mouse capture (-1 for none), and the timer that follows the pointer over them.
    const std::vector<TqsCaptionButton>& ObjectList() const { return FObjectList; }
    int ActiveObject() const { return FActiveObject; }
    int MouseCaptureObject() const { return FMouseCaptureObject; }
    const QTimer& MouseTimer() const { return FMouseTimer; }

    bool IsActive() const { return FActive; }
    bool IsRolledUp() const { return FRolledUp; }
    bool IsMaximized() const { return FMaximized; }
    TqsHitArea HitTest(QPoint windowPos) const;

Q_SIGNALS:
    // The tray button or menu item hid the window; whoever keeps a tray icon shows it.
    void MinimizedToTray();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FormEvent(QEvent* event);
    // Sees the key presses of the window and of every widget in it before they do.
    bool ShortcutEvent(QKeyEvent* event);
    void SetUpDefaultFrame();
    void EnsureCaptionButtons();
    // Places the buttons and the client area for the window's size, and gives the window its
    // region.
    void SizeChanged();
    void PaintFrame(QPaintEvent* event);
    void SetActive(bool active);
    bool CloseEvent(QCloseEvent* event);
    // Closes the window the way its close box does.
    void CloseWindow();

    // Pointer handling (qsSkinFormInput.cpp).
    bool MousePress(QMouseEvent* event);
    bool MouseMove(QMouseEvent* event);
    bool MouseRelease(QMouseEvent* event);
    bool MouseDoubleClick(QMouseEvent* event);
    void UpdateHover(QPoint windowPos);
    void SetActiveObject(int index);
    void ClearHover();
    void RepaintObject(int index);
    void MouseTimerTick();
    void RunCommand(TqsCaptionCommand command);
    void ToggleMaximize();
    void ToggleRollUp();
    void Restore();
    int FindObject(TqsCaptionCommand command) const;
    // Where the system menu opens when its button or Alt+Space asks for it.
    QPoint SystemMenuPosition() const;
    void ResizeOuter(QSize size);
    // Pops the system menu up at a screen position and runs the chosen item
    // (qsSkinFormMenu.cpp).
    void PopupSystemMenu(QPoint globalPos);

    // Translucency and fade-in (qsSkinFormAlpha.cpp).
    void StartFadeIn();
    void FadeInTimerTick();
    void SetLayered(bool layered);
    void ApplyOpacity(int opacity);

    QWidget* FForm;
    QWidget* FClientArea;
    // Routes the window's key presses to ShortcutEvent (qsSkinFormInput.cpp).
    QObject* FShortcutHook;
    TqsSkinData* FSkinData = nullptr;
    TqsSkinData* FMenusSkinData = nullptr;
    TqsBorderIcons FBorderIcons{biSystemMenu | biMinimize | biMaximize | biRollUp};
    bool FAlphaBlend = false;
    int FAlphaBlendValue = 200;
    bool FLayered = false;
    int FAppliedOpacity = 255;

    std::vector<TqsCaptionButton> FObjectList;
    int FActiveObject = -1;
    int FMouseCaptureObject = -1;
    QTimer FMouseTimer;
    QTimer FFadeInTimer;

    bool FActive = false;
    bool FRolledUp = false;
    int FUnrolledHeight = 0;
    bool FMaximized = false;
    QRect FRestoreGeometry;
    // Dragging by the caption when the platform has no move loop of its own.
    bool FMoving = false;
    QPoint FDragOffset;
};
