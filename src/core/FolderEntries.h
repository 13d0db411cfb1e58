#pragma once

#include <QByteArray>

#include <memory>

#include <dirent.h>

// The one walk over a folder's entries by their bytes on disk, below every listing and every
// look-up by name: what the entries are called and what kind they are, nothing decoded.
namespace FolderEntries {

// Calls `visit(const dirent&)` for every entry of the folder at the on-disk path `folder` (the
// working folder when empty), "." and ".." left out, in the order the system gives. False when
// the folder cannot be read.
template <typename Visit> bool forEach(const QByteArray& folder, Visit&& visit) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(
        ::opendir(folder.isEmpty() ? "." : folder.constData()), &::closedir);
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        visit(*entry);
    }
    return true;
}

} // namespace FolderEntries
