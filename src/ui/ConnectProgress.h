#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>

class QProgressBar;

// The progress bar of a connect that takes longer than a moment: shown, named for the
// connect, once the connect has run for the moment; then moved and repainted (through the
// window's paint callback) at most every few hundredths of a second as the connect tells how
// far it got. Hidden again, with its own accessible name back, when the connect ends.
class ConnectProgress {
public:
    ConnectProgress(QProgressBar& bar, std::function<void()> paint, qint64 momentMs = 300);
    ~ConnectProgress();
    ConnectProgress(const ConnectProgress&) = delete;
    ConnectProgress& operator=(const ConnectProgress&) = delete;

    // How far the connect got, from 0 to 1.
    void tell(double done);

private:
    QProgressBar& bar_;
    std::function<void()> paint_;
    qint64 momentMs_;
    QElapsedTimer clock_;
    qint64 paintedAt_ = 0;
    bool shown_ = false;
    QString barName_;
};
