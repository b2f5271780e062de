#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "velmorra-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    mPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Make everything writable again first: tests take permissions away.
    for (auto it = fs::recursive_directory_iterator(mPath, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(mPath, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(mPath, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    fs::path p = fs::path(mPath) / name;
    fs::create_directories(p.parent_path());
    writeFile(p.string(), bytes);
    return p.string();
}

std::string TempDir::mkdir(const std::string& name) const
{
    fs::path p = fs::path(mPath) / name;
    fs::create_directories(p);
    return p.string();
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

}
