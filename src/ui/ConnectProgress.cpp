#include "ui/ConnectProgress.h"

#include <QProgressBar>

namespace {

constexpr qint64 kRepaintMs = 40;
constexpr int kSteps = 1000;

} // namespace

ConnectProgress::ConnectProgress(QProgressBar& bar, std::function<void()> paint, qint64 momentMs)
    : bar_(bar), paint_(std::move(paint)), momentMs_(momentMs) {
    clock_.start();
}

ConnectProgress::~ConnectProgress() {
    if (shown_) {
        bar_.hide();
        bar_.setAccessibleName(barName_);
    }
}

void ConnectProgress::tell(double done) {
    const qint64 now = clock_.elapsed();
    if (now < momentMs_ || (shown_ && now - paintedAt_ < kRepaintMs)) {
        return;
    }
    if (!shown_) {
        shown_ = true;
        barName_ = bar_.accessibleName();
        bar_.setAccessibleName(QStringLiteral("Ход подключения"));
        bar_.setRange(0, kSteps);
        bar_.show();
    }
    bar_.setValue(int(done * kSteps));
    paint_();
    paintedAt_ = clock_.elapsed();
}
