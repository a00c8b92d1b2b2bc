#pragma once

#include <QString>

namespace platform {

// What became of a folder that must be private to the user (decrypted attachments).
enum class PrivateFolder {
    Ready,      // it exists, is the user's own and readable by the user only
    NotCreated, // it is missing and could not be made
    NotOwn,     // something of that name is there that is not the user's own folder (another
                // user's folder, a link, a file): what is put there could be read or swapped
};

// Creates the last level of `path` readable, writable and searchable by its owner only.
// An existing folder of the user's own is made so (another local user could otherwise swap
// a file in it before the viewer reads it); anything else of that name is left alone.
PrivateFolder createPrivateFolder(const QString& path);

// Removes a folder and everything in it for good (symbolic links are removed, not
// followed; a link in the folder's place is not removed either). Returns true when nothing of
// it is left.
bool removeFolderTree(const QString& path);

} // namespace platform
