#pragma once

#include <QString>

#include <exception>

// A failure of a command: carries the text the user is shown. Commands throw it; the
// application object catches it at the event loop and shows the standard error box.
class Failure : public std::exception {
public:
    explicit Failure(QString message)
        : message_(std::move(message)), utf8_(message_.toUtf8()) {}

    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Ends a command without any message: the event loop swallows it.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
