#include "CrashGuard.h"

#include <QFile>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace jet {
namespace {

constexpr std::array kSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

char halfWritten[4096];
const char kMessage[] = "quorlent-tool: Файл базы Windows повреждён так, что библиотека "
                        "чтения libmdb аварийно завершилась. Ничего не перенесено, файл "
                        "не изменён.\n";
struct sigaction previous[kSignals.size()];
int savedError = -1; // the process's own standard error, while libmdb's goes nowhere

void onCrash(int) {
    if (halfWritten[0] != '\0') {
        ::unlink(halfWritten);
    }
    [[maybe_unused]] const ssize_t written = ::write(savedError, kMessage, sizeof kMessage - 1);
    ::_exit(CrashGuard::kExitStatus);
}

} // namespace

CrashGuard::CrashGuard(const QString& halfWrittenFile) {
    const QByteArray name = QFile::encodeName(halfWrittenFile);
    std::memset(halfWritten, 0, sizeof halfWritten);
    if (name.size() < qsizetype(sizeof halfWritten)) {
        std::memcpy(halfWritten, name.constData(), std::size_t(name.size()));
    }
    std::fflush(stderr);
    savedError = ::dup(STDERR_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDERR_FILENO);
        ::close(nowhere);
    }
    struct sigaction action {};
    action.sa_handler = onCrash;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &previous[i]);
    }
}

CrashGuard::~CrashGuard() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &previous[i], nullptr);
    }
    halfWritten[0] = '\0';
    std::fflush(stderr);
    if (savedError >= 0) {
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
        savedError = -1;
    }
}

} // namespace jet
