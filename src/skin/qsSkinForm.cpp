#include "skin/qsSkinForm.h"

#include "skin/qsDrawing.h"
#include "skin/qsFontCellHeight.h"
#include "skin/qsSkinFormGeometry.h"
#include "skin/qsSkinFormPaint.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <limits>

using namespace qsframe;

namespace {

// Result of a modal window closed from its frame or by the platform's close command.
constexpr int kCancelResult = 2;

constexpr int kMouseTimerInterval = 50;

// Hands the key presses of one window's widgets to its frame before the widgets see them.
class ShortcutHook : public QObject {
public:
    ShortcutHook(QObject* parent, QWidget* form, std::function<bool(QKeyEvent*)> handler)
        : QObject(parent), FForm(form), FHandler(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* widget = qobject_cast<QWidget*>(watched);
        return widget != nullptr && widget->window() == FForm &&
               FHandler(static_cast<QKeyEvent*>(event));
    }

private:
    QWidget* FForm;
    std::function<bool(QKeyEvent*)> FHandler;
};

} // namespace

TqsSkinForm::TqsSkinForm(QWidget* AOwner)
    : QObject(AOwner), FForm(AOwner), FClientArea(new QWidget(AOwner)),
      FShortcutHook(
          new ShortcutHook(this, AOwner, [this](QKeyEvent* e) { return ShortcutEvent(e); })) {
    const QPalette palette = AOwner->palette();
    DefCaptionFont = FontOfCellHeight(QStringLiteral("Tahoma"), 13, true);
    DefCaptionFontColor = qsdraw::BtnText(palette);
    DefInActiveCaptionFont = DefCaptionFont;
    DefInActiveCaptionFontColor = qsdraw::BtnShadow(palette);

    FClientArea->setObjectName(QStringLiteral("ClientArea"));
    FMouseTimer.setInterval(kMouseTimerInterval);
    connect(&FMouseTimer, &QTimer::timeout, this, &TqsSkinForm::MouseTimerTick);
    FFadeInTimer.setSingleShot(true);
    FFadeInTimer.setInterval(1);
    connect(&FFadeInTimer, &QTimer::timeout, this, &TqsSkinForm::FadeInTimerTick);

    // The platform draws no frame, caption or caption buttons of its own: the window's own
    // border icons are cleared (Qt drops the frameless hint again when a customized window still
    // asks for caption buttons). Changing the flags re-creates the native window if there is one.
    constexpr Qt::WindowFlags kPlatformCaption =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
        Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint;
    FForm->setWindowFlags((FForm->windowFlags() & ~kPlatformCaption) | Qt::FramelessWindowHint);
    FForm->setMouseTracking(true);
    FForm->installEventFilter(this);
    qApp->installEventFilter(FShortcutHook);
    FActive = FForm->isActiveWindow();
    SetUpDefaultFrame();
}

TqsSkinForm::~TqsSkinForm() {
    FMouseTimer.stop();
    FFadeInTimer.stop();
    qApp->removeEventFilter(FShortcutHook);
    FForm->removeEventFilter(this);
}

void TqsSkinForm::SetClientSize(int clientWidth, int clientHeight) {
    ResizeOuter(OuterSizeForClient(QSize(clientWidth, clientHeight)));
}

void TqsSkinForm::SetSkinData(TqsSkinData* value) {
    FSkinData = value;
    SetUpDefaultFrame();
}

void TqsSkinForm::SetUpDefaultFrame() {
    FObjectList.clear();
    FActiveObject = -1;
    FMouseCaptureObject = -1;
    const QSize size = FForm->size();
    const QSize minimum(GetMinWidth(), GetMinHeight());
    if (size.width() < minimum.width() || size.height() < minimum.height()) {
        ResizeOuter(size.expandedTo(minimum));
    }
    SizeChanged();
    FMouseTimer.start();
}

void TqsSkinForm::SetBorderIcons(TqsBorderIcons value) {
    if (value == FBorderIcons) {
        return;
    }
    FBorderIcons = value;
    // The buttons are made again, with the new visibility, on the next paint.
    FObjectList.clear();
    FActiveObject = -1;
    FMouseCaptureObject = -1;
    FForm->update();
}

int TqsSkinForm::GetMinWidth() const {
    if (MinClientWidth > 0) {
        return MinClientWidth + kNonClientWidth;
    }
    return MinWidth > 0 ? MinWidth : kDefaultMinWidth;
}

int TqsSkinForm::GetMaxWidth() const {
    if (MaxClientWidth > 0) {
        return MaxClientWidth + kNonClientWidth;
    }
    if (MaxWidth > 0) {
        return MaxWidth;
    }
    return WorkArea().width();
}

int TqsSkinForm::GetMinHeight() const {
    if (MinClientHeight > 0) {
        return MinClientHeight + kNonClientHeight;
    }
    return std::max(kNonClientHeight, MinHeight);
}

int TqsSkinForm::GetMaxHeight() const {
    if (MaxClientHeight > 0) {
        return MaxClientHeight + kNonClientHeight;
    }
    if (MaxHeight > 0) {
        return MaxHeight;
    }
    return WorkArea().height();
}

QRect TqsSkinForm::WorkArea() const {
    // The monitor that holds the window's centre, else the one nearest to it.
    const QPoint centre = FForm->geometry().center();
    QScreen* nearest = QGuiApplication::primaryScreen();
    int nearestDistance = std::numeric_limits<int>::max();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const int dx = std::max({g.left() - centre.x(), 0, centre.x() - g.right()});
        const int dy = std::max({g.top() - centre.y(), 0, centre.y() - g.bottom()});
        if (dx + dy < nearestDistance) {
            nearestDistance = dx + dy;
            nearest = screen;
        }
    }
    return nearest->availableGeometry();
}

TqsHitArea TqsSkinForm::HitTest(QPoint windowPos) const {
    return qsframe::HitTest(windowPos, FObjectList, FForm->size());
}

void TqsSkinForm::EnsureCaptionButtons() {
    if (FObjectList.empty()) {
        FObjectList = DefaultCaptionButtons(FBorderIcons);
        PlaceCaptionButtons(FObjectList, FForm->width());
    }
}

void TqsSkinForm::SizeChanged() {
    PlaceCaptionButtons(FObjectList, FForm->width());
    FClientArea->setGeometry(ClientRectFor(FForm->size()));
    // The window's region is its full outer rectangle.
    const QRegion region(FForm->rect());
    if (FForm->mask() != region) {
        FForm->setMask(region);
    }
    FForm->update();
}

bool TqsSkinForm::eventFilter(QObject* watched, QEvent* event) {
    return watched == FForm && FormEvent(event);
}

bool TqsSkinForm::FormEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        PaintFrame(static_cast<QPaintEvent*>(event));
        return false; // the window may still paint its client area
    case QEvent::Resize:
        SizeChanged();
        return false;
    case QEvent::WindowActivate:
        SetActive(true);
        return false;
    case QEvent::WindowDeactivate:
        SetActive(false);
        return false;
    case QEvent::WindowTitleChange:
        FForm->update();
        return false;
    case QEvent::Show:
        if (!event->spontaneous() && (FAlphaBlend || AlphaBlendAnimation)) {
            StartFadeIn();
        }
        return false;
    case QEvent::Close:
        return CloseEvent(static_cast<QCloseEvent*>(event));
    case QEvent::MouseButtonPress:
        return MousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return MouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return MouseRelease(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick:
        return MouseDoubleClick(static_cast<QMouseEvent*>(event));
    default:
        return false;
    }
}

void TqsSkinForm::PaintFrame(QPaintEvent* event) {
    EnsureCaptionButtons();
    const QPalette palette = FForm->palette();
    const QRect client = ClientRectFor(FForm->size());
    QPainter painter(FForm);
    // Background of the client area.
    painter.fillRect(client.intersected(event->rect()), qsdraw::BtnFace(palette));

    const QRegion frame = QRegion(FForm->rect()).subtracted(client);
    if (!event->region().intersects(frame)) {
        return;
    }
    TqsCaptionLook look;
    look.Caption = FForm->windowTitle();
    look.Font = FActive ? DefCaptionFont : DefInActiveCaptionFont;
    look.TextColor = FActive ? DefCaptionFontColor : DefInActiveCaptionFontColor;
    look.Direction = FForm->layoutDirection();
    look.Maximized = FMaximized;
    look.RolledUp = FRolledUp;
    painter.setClipRegion(frame);
    painter.drawPixmap(kBorderWidth, kBorderWidth,
                       RenderCaptionStrip(FForm->width(), FObjectList, look, palette));
    PaintBorder(painter, FForm->size(), palette);
}

void TqsSkinForm::SetActive(bool active) {
    FActive = active;
    if (!active) {
        ClearHover();
    }
    FForm->update(QRegion(FForm->rect()).subtracted(ClientRectFor(FForm->size())));
}

bool TqsSkinForm::CloseEvent(QCloseEvent* event) {
    // The platform's close command (the window manager's Alt+F4 or close request) ends a shown
    // dialog with "cancel", like the close box. Closes that the program makes itself, a dialog's
    // own done() among them, keep their results.
    auto* dialog = qobject_cast<QDialog*>(FForm);
    if (!event->spontaneous() || dialog == nullptr || !dialog->isVisible()) {
        return false;
    }
    dialog->done(kCancelResult);
    event->accept();
    return true;
}

void TqsSkinForm::CloseWindow() {
    auto* dialog = qobject_cast<QDialog*>(FForm);
    if (dialog != nullptr && dialog->isVisible()) {
        dialog->done(kCancelResult);
    } else {
        FForm->close();
    }
}
