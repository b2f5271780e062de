// Hostile file systems: things named like DNG files that are not files,
// links that go nowhere or in circles, trees too deep to name, huge folders,
// files that change between the drop and their turn, and places the user
// may not write or read. None may hang, crash or lose the rest of the drop.

#include "tests/app/QueueFixtures.h"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace queuefixtures;
using testsupport::AppHarness;
using testsupport::TempDir;

namespace {

std::map<std::string, std::string> statusByPath(AppHarness& app)
{
    std::map<std::string, std::string> out;
    auto s = app.statuses(), p = app.paths();
    for (std::size_t i = 0; i < s.size(); ++i)
        out[p[i]] = s[i];
    return out;
}

// Removes a tree through folder descriptors, so depth is no limit.
void removeTree(int parent, const char* name)
{
    int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        if (DIR* d = ::fdopendir(fd)) {
            std::vector<std::string> names;
            while (dirent* e = ::readdir(d))
                if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..")
                    names.emplace_back(e->d_name);
            for (auto& n : names)
                if (::unlinkat(::dirfd(d), n.c_str(), 0) != 0)
                    removeTree(::dirfd(d), n.c_str());
            ::closedir(d);
        } else {
            ::close(fd);
        }
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

}

TEST(Hostile, SpecialFilesNamedDngGetOpenFailedWithoutHanging)
{
    AppHarness app;
    TempDir dir;
    std::string folder = dir.mkdir("drop");
    std::string fifo = folder + "/pipe.dng";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string sock = folder + "/socket.dng";
    int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sock.c_str());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::string device = folder + "/device.dng";
    bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; // like /dev/null
    std::string good = dir.write("drop/z.dng", dngBytes());

    dropPaths(app, { folder });
    ASSERT_TRUE(finish(app));
    auto st = statusByPath(app);
    EXPECT_EQ(st[fifo], "open (r/w) failed");
    EXPECT_EQ(st[sock], "open (r/w) failed");
    if (haveDevice) {
        EXPECT_EQ(st[device], "open (r/w) failed");
    }
    EXPECT_EQ(st[good], "ok");
    ::close(s);
}

TEST(Hostile, DanglingLinksAndLinkLoopsAreSkipped)
{
    AppHarness app;
    TempDir dir;
    std::string good = dir.write("a.dng", dngBytes());
    std::string inside = dir.write("folder/b.dng", dngBytes());
    std::string dangling = dir.file("gone.dng"), loopA = dir.file("loopA.dng"), loopB = dir.file("loopB.dng");
    ASSERT_EQ(::symlink(dir.file("missing.dng").c_str(), dangling.c_str()), 0);
    ASSERT_EQ(::symlink(loopB.c_str(), loopA.c_str()), 0);
    ASSERT_EQ(::symlink(loopA.c_str(), loopB.c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("nothing").c_str(), dir.file("folder/dangling.dng").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("folder").c_str(), dir.file("folder/self").c_str()), 0);
    ASSERT_EQ(::symlink("x.dng", dir.file("folder/x.dng").c_str()), 0); // names itself

    dropPaths(app, { dangling, loopA, dir.file("folder"), loopB, good });
    ASSERT_TRUE(finish(app));
    EXPECT_EQ(app.paths(), (std::vector<std::string> { inside, good }));
    EXPECT_EQ(app.statuses(), (std::vector<std::string> { "ok", "ok" }));
    EXPECT_EQ(app.beeps, 0);
}

TEST(Hostile, TreeDeeperThanAPathCanNameIsWalkedAsFarAsItCanBe)
{
    AppHarness app;
    TempDir dir;
    // Each level adds 101 bytes to the path: about 60 levels pass PATH_MAX.
    const std::string level(100, 'd');
    int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::vector<std::string> nameable;
    std::string path = dir.path();
    const std::string bytes = dngBytes();
    for (int depth = 0; depth < 80; ++depth) {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
        path += "/" + level;
        int f = ::openat(fd, "f.dng", O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(f, 0);
        ASSERT_EQ(::write(f, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(f);
        if ((path + "/f.dng").size() < PATH_MAX)
            nameable.push_back(path + "/f.dng");
    }
    ::close(fd);
    ASSERT_GT(nameable.size(), 10u);
    // Depth first, and a folder's "ddd..." sorts before its "f.dng".
    std::reverse(nameable.begin(), nameable.end());

    dropPaths(app, { dir.path() });
    ASSERT_TRUE(finish(app));
    EXPECT_TRUE(app.paths() == nameable) << app.paths().size() << " rows listed, " << nameable.size() << " nameable";
    for (auto& s : app.statuses())
        EXPECT_EQ(s, "ok");

    int top = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    removeTree(top, level.c_str());
    ::close(top);
}

TEST(Hostile, FolderOfAHundredThousandEntries)
{
    AppHarness app;
    TempDir dir;
    std::string folder = dir.mkdir("many");
    const std::string bytes = dngBytes();
    std::vector<std::string> expected;
    for (int i = 0; i < 100000; ++i) {
        char name[32];
        bool dng = i % 1000 == 0;
        std::snprintf(name, sizeof name, "%06d.%s", i, dng ? "dng" : "txt");
        std::string p = folder + "/" + name;
        int f = ::open(p.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(f, 0);
        if (dng) {
            ASSERT_EQ(::write(f, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
            expected.push_back(p);
        }
        ::close(f);
    }
    dropPaths(app, { folder });
    ASSERT_TRUE(finish(app));
    EXPECT_TRUE(app.paths() == expected) << app.paths().size() << " rows";
    for (auto& s : app.statuses())
        EXPECT_EQ(s, "ok");
}

TEST(Hostile, FilesThatChangeBetweenTheDropAndTheirTurn)
{
    AppHarness app;
    TempDir dir;
    std::string deleted = dir.write("1.dng", dngBytes());
    std::string truncated = dir.write("2.dng", dngBytes());
    std::string replaced = dir.write("3.dng", dngBytes());
    std::string kept = dir.write("4.dng", dngBytes());
    fw::Scheduler::SetManual(true); // the worker waits until the files have changed
    dropPaths(app, { deleted, truncated, replaced, kept });
    ASSERT_EQ(::unlink(deleted.c_str()), 0);
    ASSERT_EQ(::truncate(truncated.c_str(), 0), 0);
    ASSERT_EQ(::unlink(replaced.c_str()), 0);
    ASSERT_EQ(::mkdir(replaced.c_str(), 0755), 0);
    fw::Scheduler::RunToEnd(worker(app));
    list(app).FlushView();
    EXPECT_EQ(app.statuses(), (std::vector<std::string> { "open (r/w) failed", "invalid file", "open (r/w) failed", "ok" }));
    EXPECT_EQ(testsupport::readFile(truncated), "");
}

// Runs the application as an unprivileged user (as root, in a child that
// gives its rights away), so that permissions are real even under CI.
TEST(Hostile, UnwritableFilesAndUnreadableFoldersAsAnOrdinaryUser)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    std::string readOnly = dir.write("drop/ro.dng", dngBytes());
    std::string good = dir.write("drop/rw.dng", dngBytes());
    std::string hidden = dir.write("drop/locked/x.dng", dngBytes());
    std::string after = dir.write("drop/zz/y.dng", dngBytes());
    for (auto& p : { readOnly, good, hidden, after })
        ::chmod(p.c_str(), 0644);
    for (auto& d : { "drop", "drop/zz" })
        ::chmod(dir.file(d).c_str(), 0777);
    ::chmod(readOnly.c_str(), 0444);
    ::chmod(dir.file("drop/locked").c_str(), 0000);
    // The toolkit wants a runtime folder of the user's own; given any other
    // it makes one in /tmp and leaves it there.
    std::string runtime = dir.mkdir("runtime");
    ::chmod(runtime.c_str(), 0700);
    if (::geteuid() == 0) {
        for (auto& p : { good, after, runtime })
            ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        ::setenv("HOME", dir.path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        if (int fd = ::open(good.c_str(), O_RDONLY); fd < 0)
            ::_exit(5);
        else
            ::close(fd);
        std::string out;
        {
            AppHarness app;
            dropPaths(app, { dir.file("drop") });
            if (!finish(app))
                ::_exit(4);
            auto s = app.statuses(), p = app.paths();
            for (std::size_t i = 0; i < s.size(); ++i)
                out += p[i] + "\t" + s[i] + "\n";
        }
        ssize_t ignored = ::write(fds[1], out.data(), out.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        got.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(dir.file("drop/locked").c_str(), 0755);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 5)
        GTEST_SKIP() << "the temporary folder cannot be reached without privileges";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(got, readOnly + "\topen (r/w) failed\n" + good + "\tok\n" + after + "\tok\n");
}
