#pragma once

#include <QString>

namespace platform {

// Creates the last level of `path` readable, writable and searchable by its owner only,
// for files that must not be visible to other users (decrypted attachments). An existing
// folder is left as it is. Returns whether the folder exists afterwards.
bool createPrivateFolder(const QString& path);

// Removes a folder and everything in it for good (symbolic links are removed, not
// followed). Returns true when nothing of it is left.
bool removeFolderTree(const QString& path);

} // namespace platform
