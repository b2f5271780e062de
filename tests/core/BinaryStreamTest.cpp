#include "framework/core/BinaryStream.h"

#include "framework/core/RuntimeException.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using fw::BinaryStream;
using fw::FolderItem;
using testsupport::readFile;
using testsupport::TempDir;

namespace {

fw::Ref<BinaryStream> open(const std::string& path, bool write)
{
    return BinaryStream::Open(FolderItem::FromPath(path), write);
}

// The descriptor this process holds on path, or -1.
int descriptorOn(const std::string& given)
{
    // The descriptor names the file by its resolved path.
    const std::string path = std::filesystem::weakly_canonical(given).string();
    int found = -1;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    while (dirent* e = ::readdir(dir)) {
        char target[4096];
        std::string link = std::string("/proc/self/fd/") + e->d_name;
        ssize_t n = ::readlink(link.c_str(), target, sizeof target);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path)
            found = std::atoi(e->d_name);
    }
    ::closedir(dir);
    return found;
}

TEST(BinaryStream, OpensOnlyExistingRegularFiles)
{
    TempDir dir;
    std::string folder = dir.mkdir("folder");
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);

    std::string socketPath = dir.file("socket");
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    // A FIFO opened for reading would wait for a writer: a hang ends the
    // process instead of the test.
    ::alarm(10);
    for (const std::string& path : { dir.file("missing"), folder, fifo, socketPath, std::string("/dev/null") }) {
        for (bool write : { true, false }) {
            SCOPED_TRACE(path + (write ? " r/w" : " read"));
            try {
                open(path, write);
                ADD_FAILURE() << "opened";
            } catch (const fw::IOException& e) {
                // Callers show their own text when the message is empty.
                EXPECT_EQ(e.Message, "");
                EXPECT_NE(e.Detail.find(path), std::string::npos) << e.Detail;
            }
        }
    }
    ::alarm(0);
    ::close(sock);

    EXPECT_THROW(BinaryStream::Open(nullptr, false), fw::NilObjectException);
}

TEST(BinaryStream, ReadGivesUpToTheCountAsked)
{
    TempDir dir;
    std::string path = dir.write("f", std::string("ab\0defghij", 10));
    auto s = open(path, false);

    EXPECT_EQ(s->Read(4), std::string("ab\0d", 4));
    EXPECT_EQ(s->Position(), 4);
    EXPECT_EQ(s->Read(100), "efghij");
    EXPECT_EQ(s->Position(), 10);
    EXPECT_EQ(s->Read(5), "");
    EXPECT_EQ(s->Position(), 10);
    s->SetPosition(8);
    EXPECT_EQ(s->Read(1), "i");
    EXPECT_EQ(s->Read(0), "");
    EXPECT_THROW(s->SetPosition(-1), fw::IOException);
    EXPECT_THROW(s->Write("x"), fw::IOException); // opened for reading only
    EXPECT_EQ(readFile(path), std::string("ab\0defghij", 10));
}

TEST(BinaryStream, WriteOverwritesInPlaceAtA64BitPosition)
{
    TempDir dir;
    std::string path = dir.write("f", "abcdef");
    auto s = open(path, true);

    s->SetPosition(2);
    s->Write("XY");
    EXPECT_EQ(s->Position(), 4);
    EXPECT_EQ(readFile(path), "abXYef");

    // Past 4 GiB: the file is sparse, so this costs nothing.
    const std::int64_t far = (std::int64_t(5) << 30) + 3;
    s->SetPosition(far);
    s->Write("Z");
    EXPECT_EQ(s->Position(), far + 1);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, far + 1);
    s->SetPosition(far);
    EXPECT_EQ(s->Read(10), "Z");
    s->SetPosition(0);
    EXPECT_EQ(s->Read(6), "abXYef");
}

TEST(BinaryStream, CloseAndReleaseFreeTheDescriptor)
{
    TempDir dir;
    std::string path = dir.write("f", "abc");

    auto closed = open(path, true);
    int fd = descriptorOn(path);
    ASSERT_GE(fd, 0);
    closed->Close();
    EXPECT_FALSE(closed->IsOpen());
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_NO_THROW(closed->Close());
    EXPECT_THROW(closed->Read(1), fw::IOException);
    EXPECT_THROW(closed->Write("x"), fw::IOException);

    auto released = open(path, true);
    fd = descriptorOn(path);
    ASSERT_GE(fd, 0);
    released.reset();
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(descriptorOn(path), -1);
}

}
