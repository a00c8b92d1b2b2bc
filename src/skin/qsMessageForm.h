#pragma once

#include "skin/qsSkinData.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class TqsSkinForm;
class TqsSkinStdLabel;
class TqsSkinCheckRadioBox;

// The message window: a modal dialog with a frame of its own (QSF) whose controls live in
// the frame's client area.
class TqsMessageForm : public QDialog {
    Q_OBJECT
public:
    // A window placed at X, Y (screen coordinates) or, when X < -10000, centred in the
    // primary screen's work area when it is shown. The caller owns it.
    static std::unique_ptr<TqsMessageForm> CreateEx(int X, int Y);

    // The frame: border, caption strip with the close box, system menu, fade-in.
    TqsSkinForm* QSF;

    // The text label, and the show-again check box when the builder adds one.
    TqsSkinStdLabel* Message = nullptr;
    TqsSkinCheckRadioBox* DisplayCheckBox = nullptr;

    // The area the controls are laid out in; its origin is the client origin.
    QWidget* Client() const;
    QSize ClientSize() const;
    // Sets the client size; the window takes the outer size that goes with it.
    void SetClientSize(QSize size);

    // Outer geometry as the frame draws it: client plus border and caption strip.
    static QSize ClientToOuter(QSize client);
    QSize OuterSize() const { return ClientToOuter(ClientSize()); }
    // Size limits of the outer width: 120, and the work-area width of the window's monitor.
    int GetMinWidth() const;
    int GetMaxWidth() const;

    // Top-left of the outer window in screen coordinates, and moving it there.
    QPoint OuterPos() const;
    void MoveOuterTo(QPoint topLeft);

    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }
    QString HelpFile() const { return helpFile_; }
    void SetHelpFile(const QString& file) { helpFile_ = file; }

    // Settings the message component hands to the window's frame.
    struct FrameSettings {
        QPointer<TqsSkinData> SkinData;
        QPointer<TqsSkinData> MenusSkinData;
        bool AlphaBlend = false;
        bool AlphaBlendAnimation = false;
        quint8 AlphaBlendValue = 200;
    };
    const FrameSettings& Frame() const { return frame_; }
    void SetFrame(const FrameSettings& settings);

    // The modal result: a non-zero value ends the modal loop with that result.
    int ModalResult() const { return result(); }
    void SetModalResult(int value);

    // Shows the window modally and returns its modal result.
    int ShowModal();

    // Opens the application's help at the window's help context (and help file).
    void HelpButtonClick(QObject* Sender);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

public Q_SLOTS:
    // Closing the window any other way than by a button (close box, Alt+F4) gives 2.
    void reject() override;

private:
    TqsMessageForm(int X, int Y);
    bool centred_;
    int helpContext_ = 0;
    QString helpFile_;
    FrameSettings frame_;
};
