#include "app/TerminationRequest.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int requestPipe[2] = {-1, -1};

// Only what is safe inside a signal handler: one write to the pipe.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(requestPipe[1], &byte, 1);
}

} // namespace

void watchTerminationRequests(std::function<void()> onRequest) {
    if (::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the program still runs; it just cannot end on a request
    }
    auto* notifier =
        new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, onRequest = std::move(onRequest)] {
                         char bytes[16];
                         while (::read(requestPipe[0], bytes, sizeof bytes) > 0) {
                         }
                         notifier->setEnabled(false); // one request is enough
                         onRequest();
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
