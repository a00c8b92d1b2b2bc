#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace infobase {

// One file of a set that replaces earlier files all at once: the new file waits under a
// hidden temporary name beside its destination; once put in place, the temporary name
// holds the earlier file, if there was one.
struct Replacement {
    QString temporary;
    QString destination;
    ino_t copy = 0; // the new file's identity, which tells after a kill where it is
    bool hadEarlier = false;
    bool keep = false; // holds an earlier file that could not be put back
};

// The hidden temporary name beside a destination: ".<name>.swap".
QString temporaryFor(const QString& destination);

// Puts every new file in place, as one. First a journal naming them all is written durably
// in `journalFolder`; from then on the set counts as replaced, and a process killed half way
// is completed by finishReplacements. Then each file is put in place, the folders synced,
// and the journal removed; the temporary names hold the earlier files afterwards. When a
// file cannot be put in place, those put before it get their earlier files back, the
// journal goes, and Failure is thrown. `step` is called between the steps.
void replaceAll(const QString& journalFolder, std::vector<Replacement>& files,
                const std::function<void()>& step);

// Whether a journal in `folder` names new files still to be put in place: their temporary
// files must stay until finishReplacements has put them there.
bool replacementPending(const QString& folder);

// What a replacement killed half way left in `folder`: a journal there is carried out to
// the end (or, when that fails, undone; then Failure is thrown). Afterwards the temporary
// files of `names` and an unfinished journal are removed: without a journal they hold
// nothing anyone needs. No other file is touched.
void finishReplacements(const QString& folder, const QStringList& names);

} // namespace infobase
