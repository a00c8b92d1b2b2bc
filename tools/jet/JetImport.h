#pragma once

#include <QString>
#include <functional>

namespace jet {

// What an import brought across.
struct ImportSummary {
    qint64 records = 0;
    qint64 attachmentBytes = 0;
    qint64 milliseconds = 0;
    QString keptOldBase; // where the old file is kept, when it was the base itself
};

// Told how far an import has come: records and stored bytes read of the Windows base.
struct ImportStep {
    qint64 records = 0, totalRecords = 0;
    qint64 bytes = 0, totalBytes = 0;
};
using ImportProgress = std::function<void(const ImportStep&)>;

// Brings the branch records of the Windows program's Jet 4.0 base across into a new base of
// the program at basePath, whole or not at all: the new base is written beside under its own
// name, checked (the Jet table's own row count, every value's declared length, the check the
// backup uses) and only then put in place. When basePath names the Jet file itself, that file
// is kept beside unchanged under a name of its own. Otherwise nothing may exist at basePath.
// Throws Failure with a Russian message; nothing is then left behind.
ImportSummary importJetBase(const QString& jetPath, const QString& basePath,
                            const ImportProgress& progress);

} // namespace jet
