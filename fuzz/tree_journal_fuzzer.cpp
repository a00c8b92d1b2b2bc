#include "TreeJournalCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer entry: every input must hold to what checkTreeJournalInput checks.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString problem = checkTreeJournalInput(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
