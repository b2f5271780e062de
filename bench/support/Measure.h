#pragma once

// What both benchmarks measure with: the floor every file costs, medians,
// the version entry's place in a header, and a scratch folder.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace benchsupport {

constexpr std::size_t HeaderWindow = 1024;

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The least any tool must do to one file: open it, read its first 1024
// bytes and write them back, close it.
inline bool floorTouch(const std::string& path)
{
    char buf[HeaderWindow];
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::pread(fd, buf, HeaderWindow, 0) == static_cast<ssize_t>(HeaderWindow)
        && ::pwrite(fd, buf, HeaderWindow, 0) == static_cast<ssize_t>(HeaderWindow);
    ::close(fd);
    return ok;
}

// The index of IFD0's DNGBackwardVersion entry in a header, or -1.
inline long versionEntryIndex(const std::string& head)
{
    auto at16 = [&](std::size_t at) { return unsigned(std::uint8_t(head[at])) | unsigned(std::uint8_t(head[at + 1])) << 8; };
    unsigned entries = at16(8);
    for (unsigned k = 0; k < entries; ++k)
        if (at16(10 + 12 * k) == 0xC613)
            return static_cast<long>(k);
    return -1;
}

// A folder made under the temporary directory; it and everything in it go
// when the object does, however the run ends.
struct ScratchFolder {
    std::string path;

    explicit ScratchFolder(const char* prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

}
