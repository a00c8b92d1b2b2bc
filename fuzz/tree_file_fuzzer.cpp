#include "TreeFileCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer entry: every input must read cleanly or fail with the reader's own text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString problem = checkTreeFileInput(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
