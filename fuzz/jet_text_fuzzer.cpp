#include "common/Failure.h"
#include "jet/JetText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer entry: every stored text value of a Jet base decodes, or ends in a Failure, and
// never to more characters than its bytes can hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView stored(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QString text = jet::decodeJetText(stored);
        const bool compressed = stored.startsWith("\xFF\xFE");
        const qsizetype most = compressed ? qsizetype(size) - 2 : qsizetype(size) / 2;
        if (text.size() > most) {
            std::fprintf(stderr, "%lld characters from %zu bytes\n", qint64(text.size()), size);
            std::abort();
        }
    } catch (const Failure&) {
    }
    return 0;
}
