#pragma once

#include "framework/core/FolderItem.h"

#include <cstdint>
#include <string>

namespace fw {

// A byte stream on one regular file, over a POSIX file descriptor.
// Failures raise IOException with an empty Message and the OS error in Detail.
class BinaryStream : public Object {
public:
    // Opens an existing regular file at byte 0, for reading and writing when
    // write is true. Anything else (folder, FIFO, device, socket) raises
    // IOException without blocking; a missing reference raises NilObjectException.
    static Ref<BinaryStream> Open(const Ref<FolderItem>& file, bool write);

    ~BinaryStream() override;

    // Up to count bytes from the position; fewer only at the end of the file.
    std::string Read(std::int64_t count);
    // Writes every byte at the position, or raises IOException.
    void Write(const std::string& bytes);

    std::int64_t Position() const { return mPosition; }
    void SetPosition(std::int64_t position);

    // Closes the file; raises nothing, and a second Close does nothing.
    void Close();
    bool IsOpen() const { return mFd >= 0; }

    BinaryStream(int fd, std::string path);

private:
    int mFd = -1;
    std::int64_t mPosition = 0;
    std::string mPath;
};

}
