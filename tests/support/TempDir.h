#pragma once

#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return mPath; }
    std::string file(const std::string& name) const { return mPath + "/" + name; }

    // Writes bytes to name (relative to the folder), creating parent folders.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string mkdir(const std::string& name) const;

private:
    std::string mPath;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

}
