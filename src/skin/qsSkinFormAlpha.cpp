// Translucency and the fade-in of the frame's window. A window is "layered" while its opacity
// is in force; without it the window is plainly opaque.
#include "skin/qsSkinForm.h"
#include "skin/qsSkinFormGeometry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace {

constexpr int kOpaque = 255;
// A fade-in step waits until more than this many milliseconds have passed since the last one.
constexpr qint64 kFadeStepMs = 5;

} // namespace

void TqsSkinForm::SetAlphaBlend(bool value) {
    if (value == FAlphaBlend) {
        return;
    }
    FAlphaBlend = value;
    SetLayered(value);
    if (value) {
        ApplyOpacity(FAlphaBlendValue);
    }
}

void TqsSkinForm::SetAlphaBlendValue(int value) {
    value = std::clamp(value, 0, kOpaque);
    if (value == FAlphaBlendValue) {
        return;
    }
    FAlphaBlendValue = value;
    if (FAlphaBlend) {
        ApplyOpacity(value);
    }
}

void TqsSkinForm::StartFadeIn() {
    SetLayered(true);
    ApplyOpacity(0);
    FFadeInTimer.start();
}

void TqsSkinForm::FadeInTimerTick() {
    FFadeInTimer.stop();
    const int target = AlphaBlendAnimation && !FAlphaBlend ? kOpaque : FAlphaBlendValue;
    if (AlphaBlendAnimation) {
        const QPointer<TqsSkinForm> self(this);
        QCoreApplication::processEvents();
        if (self == nullptr) {
            return; // the window went away while its first frame was being drawn
        }
        QElapsedTimer clock;
        clock.start();
        qint64 lastStep = 0;
        for (int opacity : qsframe::FadeInOpacities(target)) {
            while (clock.elapsed() - lastStep <= kFadeStepMs) {
                QThread::msleep(1);
            }
            lastStep = clock.elapsed();
            ApplyOpacity(opacity);
        }
    } else if (target != kOpaque) {
        ApplyOpacity(FAlphaBlendValue);
    }
    if (target == kOpaque) {
        SetLayered(false);
    }
}

void TqsSkinForm::SetLayered(bool layered) {
    FLayered = layered;
    if (!layered) {
        FAppliedOpacity = kOpaque;
        FForm->setWindowOpacity(1.0);
    }
}

void TqsSkinForm::ApplyOpacity(int opacity) {
    FAppliedOpacity = opacity;
    FForm->setWindowOpacity(opacity / double(kOpaque));
}
