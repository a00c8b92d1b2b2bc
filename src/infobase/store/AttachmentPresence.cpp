#include "infobase/store/AttachmentPresence.h"

#include "infobase/store/BranchField.h"

#include <QIODevice>

namespace infobase {
namespace {

struct FirstByteSeen {};

// A device that stops the read at the first byte handed to it.
class FirstByteProbe : public QIODevice {
public:
    FirstByteProbe() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (size > 0) {
            throw FirstByteSeen{};
        }
        return 0;
    }
};

} // namespace

bool hasAttachment(const BranchField& file) {
    FirstByteProbe probe;
    try {
        file.SaveToStream(probe);
    } catch (const FirstByteSeen&) {
        return true;
    }
    return false;
}

} // namespace infobase
