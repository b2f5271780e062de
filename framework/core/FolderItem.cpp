#include "framework/core/FolderItem.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace fw {

FolderItem::FolderItem(std::string path)
    : mPath(std::move(path))
{
    while (mPath.size() > 1 && mPath.back() == '/')
        mPath.pop_back();
}

std::string FolderItem::Name() const
{
    auto slash = mPath.rfind('/');
    if (slash == std::string::npos)
        return mPath;
    if (mPath.size() == 1)
        return mPath;
    return mPath.substr(slash + 1);
}

static bool lstatPath(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st) == 0;
}

bool FolderItem::Exists() const
{
    struct stat st;
    return lstatPath(mPath, st);
}

bool FolderItem::kind(unsigned& mode) const
{
    if (mKnownMode) {
        mode = mKnownMode;
        return true;
    }
    struct stat st;
    if (!lstatPath(mPath, st))
        return false;
    mode = st.st_mode;
    return true;
}

bool FolderItem::Directory() const
{
    unsigned mode;
    return kind(mode) && S_ISDIR(mode);
}

bool FolderItem::Alias() const
{
    unsigned mode;
    return kind(mode) && S_ISLNK(mode);
}

Ref<FolderItem> FolderItem::Parent() const
{
    auto slash = mPath.rfind('/');
    if (slash == std::string::npos || mPath.size() == 1)
        return nullptr;
    return make<FolderItem>(slash == 0 ? std::string("/") : mPath.substr(0, slash));
}

Ref<FolderItem> FolderItem::Child(const std::string& name) const
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return nullptr;
    std::string path = mPath == "/" ? "/" + name : mPath + "/" + name;
    struct stat st;
    if (!lstatPath(path, st))
        return nullptr;
    if (!S_ISLNK(st.st_mode)) {
        auto item = make<FolderItem>(std::move(path));
        item->mKnownMode = st.st_mode;
        return item;
    }
    // realpath follows the whole chain of links and fails on a missing
    // target or a loop, so the result is always an item that exists.
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return nullptr;
    std::string target(resolved);
    std::free(resolved);
    return make<FolderItem>(std::move(target));
}

std::int64_t FolderItem::Count()
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(mPath.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            std::string_view n(e->d_name);
            if (n == "." || n == "..")
                continue;
            names.emplace_back(n);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    mEntries = std::make_unique<std::vector<std::string>>(std::move(names));
    return static_cast<std::int64_t>(mEntries->size());
}

Ref<FolderItem> FolderItem::TrueItem(std::int64_t index)
{
    if (!mEntries)
        Count();
    if (index < 1 || index > static_cast<std::int64_t>(mEntries->size()))
        return nullptr;
    const std::string& name = (*mEntries)[static_cast<std::size_t>(index - 1)];
    auto item = make<FolderItem>(mPath == "/" ? "/" + name : mPath + "/" + name);
    struct stat st;
    if (!lstatPath(item->mPath, st))
        return nullptr;
    item->mKnownMode = st.st_mode;
    return item;
}

}
