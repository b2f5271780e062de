#include "dngpatch/convertFile.h"

#include "framework/core/BinaryStream.h"
#include "framework/core/FolderItem.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Scheduler.h"
#include "framework/core/Thread.h"
#include "tests/support/TempDir.h"

#include "tests/support/Worker.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using dngpatch::convertFile;
using fw::FolderItem;
using testsupport::readFile;
using testsupport::TempDir;

namespace {

// ---- Fixture headers, byte by byte ----

// One IFD0 entry as it sits in the file: tag, field type, value count and
// the four bytes of the value field.
struct Entry {
    std::uint16_t tag;
    std::int16_t type;
    std::int32_t count;
    std::array<std::uint8_t, 4> value;
};

constexpr std::uint16_t BackwardVersionTag = 0xC613;

Entry version(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
    std::int16_t type = 1, std::int32_t count = 4)
{
    return { BackwardVersionTag, type, count, { b0, b1, b2, b3 } };
}

const Entry V11 = version(1, 1, 0, 0);
const Entry V12 = version(1, 2, 0, 0);

// An entry the engine must pass over: a LONG holding 8000.
Entry other(std::uint16_t tag = 0x0100)
{
    return { tag, 4, 1, { 0x40, 0x1F, 0x00, 0x00 } };
}

std::vector<Entry> others(std::size_t count)
{
    std::vector<Entry> v;
    for (std::size_t i = 0; i < count; ++i)
        v.push_back(other(static_cast<std::uint16_t>(0x0100 + i)));
    return v;
}

std::vector<Entry> operator+(std::vector<Entry> a, const std::vector<Entry>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void le16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void le32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// "49 49 2A 00" -> those bytes.
std::string hex(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == ' ')
            continue;
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
        ++i;
    }
    return out;
}

// The offset of IFD0 entry k (from 0): the 8-byte TIFF header, the 2-byte
// entry count, then 12 bytes per entry.
constexpr std::size_t entryAt(std::size_t k) { return 10 + 12 * k; }
// The version entry's second value byte: the only byte a patch changes.
constexpr std::size_t minorAt(std::size_t k) { return entryAt(k) + 9; }

// An Intel-order TIFF header with IFD0 at offset 8, the entry count (the
// number of entries unless given), the entries, and then a byte pattern up
// to length bytes, so that a stray write past the entries shows.
std::string dng(const std::vector<Entry>& entries, std::size_t length = 0,
    std::optional<std::uint16_t> count = std::nullopt)
{
    std::string out = hex("49 49 2A 00 08 00 00 00");
    le16(out, count ? *count : static_cast<std::uint16_t>(entries.size()));
    for (const Entry& e : entries) {
        le16(out, e.tag);
        le16(out, static_cast<std::uint16_t>(e.type));
        le32(out, static_cast<std::uint32_t>(e.count));
        for (std::uint8_t b : e.value)
            out += static_cast<char>(b);
    }
    for (std::size_t i = out.size(); i < length; ++i)
        out += static_cast<char>((i * 31 + 7) & 0xFF);
    return out;
}

std::string withBytes(std::string s, std::size_t at, const std::string& bytes)
{
    s.replace(at, bytes.size(), bytes);
    return s;
}

std::string withByte(std::string s, std::size_t at, std::uint8_t b)
{
    s[at] = static_cast<char>(b);
    return s;
}

testing::AssertionResult sameBytes(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return testing::AssertionSuccess();
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << "length " << actual.size() << ", expected " << expected.size();
    std::size_t i = 0;
    while (actual[i] == expected[i])
        ++i;
    return testing::AssertionFailure() << "first difference at byte " << i << ": "
                                       << int(static_cast<unsigned char>(actual[i])) << ", expected "
                                       << int(static_cast<unsigned char>(expected[i]));
}

// ---- File times: a file that is never written keeps an old mtime ----

const timespec OldTime { 978307200, 123456789 }; // 2001-01-01

void setOldMtime(const std::string& path)
{
    const timespec times[2] = { OldTime, OldTime };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

bool hasOldMtime(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && st.st_mtim.tv_sec == OldTime.tv_sec
        && st.st_mtim.tv_nsec == OldTime.tv_nsec;
}

std::string convert(const std::string& path, std::int32_t mode)
{
    std::string result = "sentinel";
    convertFile(FolderItem::FromPath(path), result, mode);
    return result;
}

// ---- The table ----

struct Case {
    std::string name;
    std::string bytes;
    std::int32_t mode;
    std::string status;
    // The whole file afterwards; none when it must not be written at all.
    std::optional<std::string> after;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::vector<Case> cases()
{
    const std::string plain = dng({ V12 });
    std::vector<Case> t;

    // Fewer than 8 bytes: no TIFF header at all.
    for (std::size_t n = 0; n < 8; ++n)
        t.push_back({ "Length" + std::to_string(n), plain.substr(0, n), 0, "invalid file", {} });

    std::vector<Case> rest = {
        { "BigEndian", withBytes(plain, 0, hex("4D 4D 00 2A 00 00 00 08")), 0, "not a K-3 DNG file", {} },
        { "IntelMarkThenBigEndianMagic", withBytes(plain, 2, hex("00 2A")), 0, "not a K-3 DNG file", {} },
        { "Magic43", withBytes(plain, 2, hex("2B 00")), 0, "not a K-3 DNG file", {} },

        // IFD0 elsewhere is refused even when the version entry is in place.
        { "Ifd0At16", withBytes(plain, 4, hex("10 00 00 00")), 0, "unexpected data (1)", {} },
        { "Ifd0OffsetHighByte", withBytes(plain, 4, hex("08 00 00 01")), 0, "unexpected data (1)", {} },

        // The walk runs out of header window.
        { "HeaderOnly", hex("49 49 2A 00 08 00 00 00"), 0, "unexpected data (2)", {} },
        { "CountHalf", hex("49 49 2A 00 08 00 00 00 01"), 0, "unexpected data (2)", {} },
        { "CountOneNoEntry", hex("49 49 2A 00 08 00 00 00 01 00"), 0, "unexpected data (2)", {} },
        { "SecondTagCut", dng({ other(), V12 }).substr(0, entryAt(1) + 1), 0, "unexpected data (2)", {} },
        { "VersionCountCut", plain.substr(0, entryAt(0) + 6), 0, "unexpected data (2)", {} },
        { "VersionValueCut", plain.substr(0, entryAt(0) + 10), 0, "unexpected data (2)", {} },
        { "VersionValueCutCheckOnly", plain.substr(0, entryAt(0) + 10), 2, "unexpected data (2)", {} },
        // Entry 84 starts at 1018: its count runs past byte 1023.
        { "VersionAsEntry84", dng(others(84) + std::vector { V12 }, 1100), 0, "unexpected data (2)", {} },
        { "NoVersionIn86", dng(others(86)), 0, "unexpected data (2)", {} },
        { "NoVersionCount65535", dng(others(86), 0, 65535), 0, "unexpected data (2)", {} },

        // No version entry among the n entries.
        { "NoEntries", hex("49 49 2A 00 08 00 00 00 00 00"), 0, "unexpected data (3)", {} },
        { "CountZeroBeforeVersion", dng({ V12 }, 0, 0), 0, "unexpected data (3)", {} },
        { "CountStopsBeforeVersion", dng({ other(), V12 }, 0, 1), 0, "unexpected data (3)", {} },
        { "NoVersionIn85", dng(others(85)), 0, "unexpected data (3)", {} },

        // A malformed first version entry decides, whatever follows it.
        { "VersionType7", dng({ version(1, 2, 0, 0, 7) }), 0, "unexpected data (4)", {} },
        { "VersionType257", dng({ version(1, 2, 0, 0, 0x0101) }), 0, "unexpected data (4)", {} },
        { "VersionCount2", dng({ version(1, 2, 0, 0, 1, 2) }), 0, "unexpected data (4)", {} },
        { "VersionCountHighBits", dng({ version(1, 2, 0, 0, 1, 0x01000004) }), 0, "unexpected data (4)", {} },
        { "Type7ThenProper", dng({ version(1, 2, 0, 0, 7), V12 }), 0, "unexpected data (4)", {} },
        { "Count2ThenProper", dng({ version(1, 2, 0, 0, 1, 2), V12 }), 0, "unexpected data (4)", {} },
        { "Count2CheckOnly", dng({ version(1, 2, 0, 0, 1, 2) }), 2, "unexpected data (4)", {} },
        { "Entry84Type3", dng(others(84) + std::vector { version(1, 2, 0, 0, 3) }, 1100), 0, "unexpected data (4)", {} },

        // Check only: the four bytes as they are, never a write.
        { "Check12", plain, 2, "v1.2.0.0", {} },
        { "Check255", dng({ version(0xFF, 0x00, 0x0A, 0x01) }), 2, "v255.0.10.1", {} },
        { "CheckType7", dng({ version(1, 2, 0, 0, 7) }), 2, "unexpected data (4)", {} },

        // All four bytes are compared.
        { "Wrong13Mode0", dng({ version(1, 3, 0, 0) }), 0, "wrong version: 1.3.0.0", {} },
        { "Wrong13Mode1", dng({ version(1, 3, 0, 0) }), 1, "wrong version: 1.3.0.0", {} },
        { "Wrong1201Mode0", dng({ version(1, 2, 0, 1) }), 0, "wrong version: 1.2.0.1", {} },
        { "Wrong1101Mode1", dng({ version(1, 1, 0, 1) }), 1, "wrong version: 1.1.0.1", {} },

        { "AlreadyCompatible", dng({ V11 }), 0, "ok (no change)", {} },
        { "AlreadyOriginal", dng({ V12 }), 1, "ok (no change)", {} },
        { "Mode100AlreadyOriginal", dng({ V12 }), 100, "ok (no change)", {} },
        { "FirstVersionEntryDecides", dng({ V11, V12 }), 0, "ok (no change)", {} },

        // Patched: one byte, the length kept, nothing appended.
        { "MakeCompatible", plain, 0, "ok", withByte(plain, minorAt(0), 1) },
        { "Revert", dng({ V11 }), 1, "ok", withByte(dng({ V11 }), minorAt(0), 2) },
        { "RevertModeMinus1", dng({ V11 }), -1, "ok", withByte(dng({ V11 }), minorAt(0), 2) },
        { "RevertMode3", dng({ V11 }), 3, "ok", withByte(dng({ V11 }), minorAt(0), 2) },
        { "RevertMode100", dng({ V11 }), 100, "ok", withByte(dng({ V11 }), minorAt(0), 2) },
        { "AfterOtherEntries", dng({ other(), other(0x0101), V12, other(0xC614) }, 300), 0, "ok",
            withByte(dng({ other(), other(0x0101), V12, other(0xC614) }, 300), minorAt(2), 1) },
        // Tags are not assumed sorted: a higher tag does not end the walk.
        { "HigherTagsFirst", dng({ other(0xFFFF), other(0xC614), V12 }), 0, "ok",
            withByte(dng({ other(0xFFFF), other(0xC614), V12 }), minorAt(2), 1) },
        { "FirstOfTwoVersionEntries", dng({ V12, version(1, 3, 0, 0) }), 0, "ok",
            withByte(dng({ V12, version(1, 3, 0, 0) }), minorAt(0), 1) },
        // Entry 83 is the last whole entry in the window (tag at 1006); the
        // bytes past 1024 must stay as they are.
        { "VersionAsEntry83", dng(others(83) + std::vector { V12 }, 1100), 0, "ok",
            withByte(dng(others(83) + std::vector { V12 }, 1100), minorAt(83), 1) },
        { "LongFile", dng({ V12 }, 5000), 0, "ok", withByte(dng({ V12 }, 5000), minorAt(0), 1) },
    };
    t.insert(t.end(), rest.begin(), rest.end());
    return t;
}

class ConvertFileCase : public testing::TestWithParam<Case> { };

TEST_P(ConvertFileCase, StatusAndBytesAfter)
{
    const Case& c = GetParam();
    TempDir dir;
    std::string path = dir.write("IMG_0001.DNG", c.bytes);
    setOldMtime(path);

    EXPECT_EQ(convert(path, c.mode), c.status);

    std::string after = readFile(path);
    if (c.after) {
        EXPECT_TRUE(sameBytes(after, *c.after));
    } else {
        EXPECT_TRUE(sameBytes(after, c.bytes));
        // Not even the same bytes written back.
        EXPECT_TRUE(hasOldMtime(path)) << "file was written";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertFileCase, testing::ValuesIn(cases()),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(ConvertFile, ProcessingAgain)
{
    TempDir dir;
    const std::string original = dng({ other(), V12 }, 2048);
    std::string path = dir.write("a.dng", original);

    EXPECT_EQ(convert(path, 0), "ok");
    EXPECT_TRUE(sameBytes(readFile(path), withByte(original, minorAt(1), 1)));
    EXPECT_EQ(convert(path, 0), "ok (no change)");
    EXPECT_EQ(convert(path, 1), "ok");
    EXPECT_TRUE(sameBytes(readFile(path), original));
    EXPECT_EQ(convert(path, 1), "ok (no change)");
}

// ---- Failures of the file itself ----

// Runs fn in a child process and gives back the text it returned, so a test
// can change the process's identity or limits without touching its own.
std::string inChild(const std::function<std::string()>& fn)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    pid_t pid = ::fork();
    if (pid < 0)
        return "fork failed";
    if (pid == 0) {
        ::close(fds[0]);
        std::string out;
        try {
            out = fn();
        } catch (const std::exception& e) {
            out = std::string("exception: ") + e.what();
        } catch (...) {
            out = "exception";
        }
        std::size_t done = 0;
        while (done < out.size()) {
            ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        out += "[child did not exit normally]";
    return out;
}

TEST(ConvertFile, ReadOnlyFileFailsToOpenInEveryMode)
{
    TempDir dir;
    const std::string original = dng({ V12 });
    std::string path = dir.write("IMG_0002.DNG", original);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    // Let an unprivileged child reach the file.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);

    std::string out = inChild([&]() -> std::string {
        // Root may write any file: become nobody first.
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return "cannot drop privileges";
        int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0)
            return "unreadable";
        ::close(fd);
        std::string statuses;
        for (std::int32_t mode : { 0, 1, 2 })
            statuses += convert(path, mode) + "\n";
        return statuses;
    });
    if (out == "unreadable")
        GTEST_SKIP() << "the temporary folder cannot be reached without privileges";

    EXPECT_EQ(out, "open (r/w) failed\nopen (r/w) failed\nopen (r/w) failed\n");
    EXPECT_EQ(readFile(path), original);
}

TEST(ConvertFile, NotARegularFileFailsToOpen)
{
    TempDir dir;
    std::string folder = dir.mkdir("folder.dng");
    std::string fifo = dir.file("fifo.dng");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);

    // Opening a FIFO must not wait for a writer; a hang ends the process.
    ::alarm(10);
    for (const std::string& path : { dir.file("missing.dng"), folder, fifo, std::string("/dev/null") }) {
        for (std::int32_t mode : { 0, 2 }) {
            SCOPED_TRACE(path + " mode " + std::to_string(mode));
            EXPECT_EQ(convert(path, mode), "open (r/w) failed");
        }
    }
    ::alarm(0);
}

TEST(ConvertFile, ReadErrorAfterOpenLeavesTheCall)
{
    // The process's own memory file is a regular file that opens for
    // reading and writing, but reading at offset 0 (never mapped) fails.
    const std::string path = "/proc/self/mem";
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    ASSERT_TRUE(S_ISREG(st.st_mode));
    ASSERT_EQ(st.st_size, 0);
    auto file = FolderItem::FromPath(path);
    {
        auto stream = fw::BinaryStream::Open(file, true);
        EXPECT_THROW(stream->Read(1024), fw::IOException);
    }

    for (std::int32_t mode : { 0, 2 }) {
        std::string result = "sentinel";
        EXPECT_THROW(convertFile(file, result, mode), fw::IOException);
        EXPECT_EQ(result, "sentinel");
    }
}

TEST(ConvertFile, MissingReferenceLeavesTheCall)
{
    std::string result = "sentinel";
    EXPECT_THROW(convertFile(nullptr, result, 0), fw::NilObjectException);
    EXPECT_EQ(result, "sentinel");
}

TEST(ConvertFile, WriteFailureLeavesTheFile)
{
    TempDir dir;
    const std::string original = dng({ other(), V12 }, 1500);
    std::string path = dir.write("IMG_0003.DNG", original);

    // With a file size limit of 0 every write, even in place, fails (EFBIG).
    std::string out = inChild([&]() -> std::string {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit;
        if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
            return "getrlimit failed";
        limit.rlim_cur = 0;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return "setrlimit failed";
        return convert(path, 0);
    });

    EXPECT_EQ(out, "write failed");
    EXPECT_TRUE(sameBytes(readFile(path), original));
}

// ---- The mode, read when the walk reaches the version entry ----

using testsupport::Worker;

class ConvertFileOnThread : public testing::Test {
protected:
    void SetUp() override { fw::Scheduler::SetManual(true); }
    void TearDown() override
    {
        fw::Scheduler::Shutdown();
        fw::Scheduler::SetManual(false);
        fw::Scheduler::SetMainYieldHook({});
    }

    // A worker that converts path with the mode as mode reads at the time.
    fw::Ref<Worker> converter(const std::string& path)
    {
        return fw::make<Worker>([this, path] { convertFile(FolderItem::FromPath(path), result, mode); });
    }

    TempDir dir;
    std::int32_t mode = 0;
    std::string result;
};

TEST_F(ConvertFileOnThread, ModeChangedAtYieldApplies)
{
    const std::string original = dng({ other(), other(0x0101), other(0x0102), V12, other(0xC614) });
    std::string path = dir.write("a.dng", original);
    auto worker = converter(path);
    worker->Run();

    ASSERT_TRUE(fw::Scheduler::Step(*worker)); // yielded after entry 0
    mode = 2;
    fw::Scheduler::RunToEnd(*worker);

    EXPECT_EQ(result, "v1.2.0.0");
    EXPECT_EQ(readFile(path), original);
}

TEST_F(ConvertFileOnThread, OneYieldPerEntryPassedOver)
{
    struct Walk {
        std::vector<Entry> entries;
        int yields;
        std::string status;
    };
    const Walk walks[] = {
        { { other(), other(0x0101), other(0x0102), V12, other(0xC614) }, 3, "ok" },
        { { V12, other(0xC614), other(0xC615), other(0xC616), other(0xC617) }, 0, "ok" },
        { { other(), version(1, 2, 0, 0, 7), other(0xC614) }, 1, "unexpected data (4)" },
        { others(86), 85, "unexpected data (2)" },
    };
    for (const Walk& w : walks) {
        SCOPED_TRACE(w.status + " after " + std::to_string(w.yields));
        std::string path = dir.write("a.dng", dng(w.entries));
        result = "not written";
        auto worker = converter(path);
        worker->Run();
        int yields = 0;
        while (fw::Scheduler::Step(*worker))
            ++yields;
        EXPECT_EQ(yields, w.yields);
        EXPECT_EQ(result, w.status);
    }
}

}
