#pragma once

#include "framework/core/Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fw {

// A reference to a file or folder by its native path, kept as bytes: Linux
// file names need not be UTF-8, and every name must stay usable. A symbolic
// link is an alias.
class FolderItem : public Object {
public:
    // path is absolute; a trailing slash is dropped.
    explicit FolderItem(std::string path);
    static Ref<FolderItem> FromPath(std::string path) { return make<FolderItem>(std::move(path)); }

    // The last component of the path ("/" for the root).
    std::string Name() const;
    // The full path, as the bytes handed to the operating system.
    const std::string& AbsolutePath() const { return mPath; }

    bool Exists() const;
    // A folder, links not followed: a link to a folder is an alias, not a folder.
    // A reference that TrueItem or Child made reports the kind its entry had
    // then, without asking the file system again.
    bool Directory() const;
    bool Alias() const;

    // The folder that holds this item, or none for the root.
    Ref<FolderItem> Parent() const;

    // The entry of that name in this folder with links resolved to the item
    // they name; none when the entry, or the item a link names, is missing.
    Ref<FolderItem> Child(const std::string& name) const;

    // Reading Count takes a snapshot of the folder's entries, sorted by name
    // bytes; TrueItem(i), from 1, indexes that snapshot and does not follow
    // links. A folder that cannot be read has no entries. TrueItem gives none
    // for an index outside the snapshot or an entry that no longer exists.
    std::int64_t Count();
    Ref<FolderItem> TrueItem(std::int64_t index);

private:
    bool kind(unsigned& mode) const;

    std::string mPath;
    std::unique_ptr<std::vector<std::string>> mEntries;
    unsigned mKnownMode = 0; // 0: not known

};

}
