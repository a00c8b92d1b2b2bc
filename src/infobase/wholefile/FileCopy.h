#pragma once

#include <QString>
#include <functional>

namespace infobase {

// Told how far a copy has come: first (0, total) before any byte, then after each piece.
using CopyProgress = std::function<void(qint64 copied, qint64 total)>;

// A copy moves on in pieces of this size; progress is reported after each.
inline constexpr qint64 kCopyPieceBytes = qint64(8) << 20;

// The system's text for an errno value.
QString systemErrorText(int error);

// Writes all bytes to the descriptor at its current offset; a short or failed write throws
// Failure "Cannot write file …" naming targetName.
void writeAllBytes(int target, const char* data, qint64 size, const QString& targetName);

// Copies the first `size` bytes of the source descriptor into the empty target descriptor,
// in the kernel where it can (copy_file_range), and leaves the holes of a sparse source as
// holes. A source that ends before `size` bytes ends the copy with Failure instead of
// producing a file padded with zeros; any other failure of a read or a write throws Failure
// with the system's text. The target is not synced here.
void copyFileData(int source, int target, qint64 size, const QString& sourceName,
                  const QString& targetName, const CopyProgress& progress);

// The failure for a source that became shorter than it was when its copy began.
[[noreturn]] void throwSourceShrank(const QString& sourceName);

} // namespace infobase
