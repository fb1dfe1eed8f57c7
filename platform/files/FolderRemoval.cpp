#include "platform/files/FolderRemoval.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Deeper trees are left alone rather than held open one descriptor per level.
constexpr int kMaxDepth = 64;

bool removeContents(int folder, const char* keep, int depth);

bool removeFolder(int parent, const char* name, int depth)
{
    if (depth > kMaxDepth)
        return false;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return errno == ENOENT;
    // A folder of ours without write permission would keep its entries; one of others stays.
    ::fchmod(folder, S_IRWXU);
    const bool emptied = removeContents(folder, nullptr, depth);
    ::close(folder);
    return emptied && (::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT);
}

} // namespace

std::vector<std::string> FolderEntries(int folder, const char* keep)
{
    std::vector<std::string> names;
    const int listing = ::dup(folder); // the directory stream takes this descriptor over
    if (listing < 0)
        return names;
    DIR* stream = ::fdopendir(listing);
    if (!stream) {
        ::close(listing);
        return names;
    }
    ::rewinddir(stream); // a duplicate shares the position of an earlier listing
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != ".." && (!keep || name != keep))
            names.emplace_back(name);
    }
    ::closedir(stream);
    return names;
}

namespace {

bool removeContents(int folder, const char* keep, int depth)
{
    bool all = true;
    for (const std::string& name : FolderEntries(folder, keep)) {
        struct stat info = {};
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            all = all && errno == ENOENT;
            continue;
        }
        if (S_ISDIR(info.st_mode))
            all = removeFolder(folder, name.c_str(), depth + 1) && all;
        else if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT)
            all = false;
    }
    return all;
}

} // namespace

bool RemoveFolderContents(int folder, const char* keep)
{
    return removeContents(folder, keep, 0);
}
