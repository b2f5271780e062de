// Throughput of the header engine against the floor set by the file I/O it
// cannot avoid: one open, one 1024-byte read and one 1024-byte write per file.
//
//   bench_engine [N]    N files (default 10000)
//
// The engine runs as the application runs it: one cooperative thread that
// converts the files one by one, with a yield point after each, driven by the
// scheduler in time slices. The last line is the median engine/floor ratio.

#include "dngpatch/convertFile.h"
#include "framework/core/FolderItem.h"
#include "framework/core/Scheduler.h"
#include "framework/core/Thread.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t HeaderWindow = 1024;
constexpr int Rounds = 7;

// ---- A DNG file of the usual shape ----

enum Type : std::uint16_t { BYTE = 1, ASCII = 2, SHORT = 3, LONG = 4, RATIONAL = 5, SRATIONAL = 10 };

struct Field {
    std::uint16_t tag;
    Type type;
    std::uint32_t count;
    std::string value; // count items of the type, little-endian
};

std::string u16(std::uint16_t v) { return { static_cast<char>(v & 0xFF), static_cast<char>(v >> 8) }; }

std::string u32(std::uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

Field shorts(std::uint16_t tag, std::vector<std::uint16_t> values)
{
    std::string s;
    for (auto v : values)
        s += u16(v);
    return { tag, SHORT, static_cast<std::uint32_t>(values.size()), s };
}

Field longs(std::uint16_t tag, std::uint32_t value) { return { tag, LONG, 1, u32(value) }; }

Field text(std::uint16_t tag, const std::string& s) { return { tag, ASCII, static_cast<std::uint32_t>(s.size() + 1), s + '\0' }; }

Field bytes(std::uint16_t tag, std::string s) { return { tag, BYTE, static_cast<std::uint32_t>(s.size()), std::move(s) }; }

Field rationals(std::uint16_t tag, Type type, std::vector<std::pair<std::int32_t, std::int32_t>> values)
{
    std::string s;
    for (auto [n, d] : values)
        s += u32(static_cast<std::uint32_t>(n)) + u32(static_cast<std::uint32_t>(d));
    return { tag, type, static_cast<std::uint32_t>(values.size()), s };
}

std::string filler(std::size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 131 + seed * 7 + 11) & 0xFF);
    return s;
}

// IFD0 at offset 8, sorted by tag, DNGVersion and DNGBackwardVersion (1.2.0.0)
// at entries 26 and 27, values longer than four bytes stored after IFD0 in
// entry order; the XMP packet and the private data run past byte 1024.
std::string dngHead(unsigned i)
{
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08u", 4000000 + i);
    char when[20];
    std::snprintf(when, sizeof when, "2024:05:%02u 10:%02u:%02u", 1 + i % 28, i / 60 % 60, i % 60);
    const std::vector<Field> fields = {
        longs(0x00FE, 1),                            // NewSubfileType: preview
        longs(0x0100, 720),                          // ImageWidth
        longs(0x0101, 480),                          // ImageLength
        shorts(0x0102, { 8, 8, 8 }),                 // BitsPerSample
        shorts(0x0103, { 1 }),                       // Compression
        shorts(0x0106, { 2 }),                       // PhotometricInterpretation
        text(0x010F, "Velmorra Bench"),              // Make
        text(0x0110, "Bench Camera Mark II"),        // Model
        longs(0x0111, 65536),                        // StripOffsets
        shorts(0x0112, { 1 }),                       // Orientation
        shorts(0x0115, { 3 }),                       // SamplesPerPixel
        longs(0x0116, 480),                          // RowsPerStrip
        longs(0x0117, 720 * 480 * 3),                // StripByteCounts
        rationals(0x011A, RATIONAL, { { 300, 1 } }), // XResolution
        rationals(0x011B, RATIONAL, { { 300, 1 } }), // YResolution
        shorts(0x011C, { 1 }),                       // PlanarConfiguration
        shorts(0x0128, { 2 }),                       // ResolutionUnit
        text(0x0131, "Bench Firmware Ver 1.40"),     // Software
        text(0x0132, when),                          // DateTime
        text(0x013B, "Velmorra"),                    // Artist
        longs(0x014A, 60000),                        // SubIFDs
        bytes(0x02BC, filler(2400, i)),              // XMP
        text(0x8298, "Velmorra developers"),         // Copyright
        longs(0x8769, 61000),                        // ExifIFD
        longs(0x8825, 62000),                        // GPSInfo
        bytes(0x9216, { 1, 0, 0, 0 }),               // TIFF/EPStandardID
        bytes(0xC612, { 1, 4, 0, 0 }),               // DNGVersion
        bytes(0xC613, { 1, 2, 0, 0 }),               // DNGBackwardVersion
        text(0xC614, "Velmorra Bench Camera"),       // UniqueCameraModel
        rationals(0xC621, SRATIONAL, { { 7712, 10000 }, { -2432, 10000 }, { -869, 10000 }, { -4389, 10000 }, { 12229, 10000 }, { 2342, 10000 }, { -652, 10000 }, { 1563, 10000 }, { 6234, 10000 } }),
        rationals(0xC622, SRATIONAL, { { 7218, 10000 }, { -1973, 10000 }, { -726, 10000 }, { -3809, 10000 }, { 11650, 10000 }, { 2372, 10000 }, { -599, 10000 }, { 1352, 10000 }, { 6185, 10000 } }),
        rationals(0xC627, RATIONAL, { { 1, 1 }, { 1, 1 }, { 1, 1 } }),              // AnalogBalance
        rationals(0xC628, RATIONAL, { { 4096, 8784 }, { 1, 1 }, { 4096, 6912 } }),  // AsShotNeutral
        rationals(0xC62A, SRATIONAL, { { -70, 100 } }),                            // BaselineExposure
        rationals(0xC62B, RATIONAL, { { 80, 100 } }),                              // BaselineNoise
        rationals(0xC62C, RATIONAL, { { 120, 100 } }),                             // BaselineSharpness
        rationals(0xC62E, RATIONAL, { { 1, 1 } }),                                 // LinearResponseLimit
        text(0xC62F, serial),                                                      // CameraSerialNumber
        rationals(0xC630, RATIONAL, { { 18, 1 }, { 135, 1 }, { 35, 10 }, { 56, 10 } }), // LensInfo
        rationals(0xC633, RATIONAL, { { 1, 1 } }),                                 // ShadowScale
        bytes(0xC634, filler(1800, i + 1)),                                        // DNGPrivateData
        shorts(0xC65A, { 17 }),                                                    // CalibrationIlluminant1
        shorts(0xC65B, { 21 }),                                                    // CalibrationIlluminant2
        bytes(0xC65D, filler(16, i)),                                              // RawDataUniqueID
        text(0xC6F4, "com.velmorra.bench"),                                        // ProfileCalibrationSignature
        text(0xC6F8, "Embedded"),                                                  // ProfileName
        longs(0xC6FD, 0),                                                          // ProfileEmbedPolicy
    };

    std::string ifd = u16(static_cast<std::uint16_t>(fields.size()));
    std::string data;
    const std::size_t dataStart = 8 + 2 + 12 * fields.size() + 4;
    for (const Field& f : fields) {
        ifd += u16(f.tag) + u16(f.type) + u32(f.count);
        if (f.value.size() <= 4) {
            ifd += f.value + std::string(4 - f.value.size(), '\0');
        } else {
            ifd += u32(static_cast<std::uint32_t>(dataStart + data.size()));
            data += f.value;
            if (data.size() % 2)
                data += '\0'; // values start on a word boundary
        }
    }
    ifd += u32(0); // no IFD1
    return "II" + u16(42) + u32(8) + ifd + data;
}

// ---- The two loops under test ----

class Batch : public fw::Thread {
public:
    Batch(const std::vector<fw::Ref<fw::FolderItem>>& files, std::vector<std::string>& results)
        : mFiles(files)
        , mResults(results)
    {
    }

protected:
    void Event_Run() override
    {
        for (std::size_t i = 0; i < mFiles.size(); ++i) {
            mResults[i].clear();
            dngpatch::convertFile(mFiles[i], mResults[i], mMode);
            fw::YieldPoint();
        }
    }

private:
    const std::vector<fw::Ref<fw::FolderItem>>& mFiles;
    std::vector<std::string>& mResults;
    std::int32_t mMode = dngpatch::ModeMakeCompatible;
};

bool floorPass(const std::vector<std::string>& paths)
{
    char buf[HeaderWindow];
    for (const std::string& p : paths) {
        int fd = ::open(p.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return false;
        bool ok = ::pread(fd, buf, HeaderWindow, 0) == static_cast<ssize_t>(HeaderWindow)
            && ::pwrite(fd, buf, HeaderWindow, 0) == static_cast<ssize_t>(HeaderWindow);
        ::close(fd);
        if (!ok)
            return false;
    }
    return true;
}

double seconds(const std::function<void()>& f)
{
    auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The folder and every file in it go when the run ends, however it ends.
struct Folder {
    std::string path;
    ~Folder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};

int fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "bench_engine: %s: %s\n", what, detail.c_str());
    return 1;
}

}

int main(int argc, char** argv)
{
    long n = 10000;
    if (argc > 1) {
        char* end = nullptr;
        n = std::strtol(argv[1], &end, 10);
        if (*end || n <= 0)
            return fail("not a file count", argv[1]);
    }

    Folder folder;
    std::string pattern = (std::filesystem::temp_directory_path() / "velmorra-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return fail("cannot make a folder", pattern);
    folder.path = pattern;

    std::vector<std::string> paths;
    std::vector<std::string> headers; // each file's first 1024 bytes
    std::vector<fw::Ref<fw::FolderItem>> files;
    for (long i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/IMG_%05ld.DNG", i);
        std::string path = folder.path + name;
        std::string head = dngHead(static_cast<unsigned>(i));
        // A few MB each, as a sparse tail.
        off_t length = (off_t(3) << 20) + off_t(i % 5) * (off_t(256) << 10);
        int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        bool ok = fd >= 0 && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size())
            && ::ftruncate(fd, length) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok)
            return fail("cannot make", path);
        paths.push_back(path);
        headers.push_back(head.substr(0, HeaderWindow));
        files.push_back(fw::FolderItem::FromPath(path));
    }

    auto reset = [&]() -> bool {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            int fd = ::open(paths[i].c_str(), O_WRONLY | O_CLOEXEC);
            bool ok = fd >= 0 && ::pwrite(fd, headers[i].data(), HeaderWindow, 0) == static_cast<ssize_t>(HeaderWindow);
            if (fd >= 0)
                ::close(fd);
            if (!ok)
                return false;
        }
        return true;
    };

    const std::string& h = headers.front();
    auto at16 = [&](std::size_t at) { return unsigned(std::uint8_t(h[at])) | unsigned(std::uint8_t(h[at + 1])) << 8; };
    unsigned entries = at16(8), versionEntry = 0;
    while (versionEntry < entries && at16(10 + 12 * versionEntry) != 0xC613)
        ++versionEntry;
    std::printf("bench_engine: %ld files of a few MB, %u IFD0 entries, DNGBackwardVersion at entry %u\n", n, entries,
        versionEntry);
    std::vector<double> floorRates, engineRates, ratios;
    std::vector<std::string> results(files.size());
    for (int round = 1; round <= Rounds; ++round) {
        if (!reset())
            return fail("cannot reset", folder.path);
        double floorTime = 0, engineTime = 0;
        bool floorOk = true;
        auto runFloor = [&] { floorTime = seconds([&] { floorOk = floorPass(paths); }); };
        auto runEngine = [&] {
            auto batch = fw::make<Batch>(files, results);
            engineTime = seconds([&] {
                batch->Run();
                fw::Scheduler::RunUntilIdle();
            });
        };
        // Take turns at going first, so neither always finds the cache as
        // the other left it.
        if (round % 2) {
            runFloor();
            runEngine();
        } else {
            runEngine();
            runFloor();
        }
        if (!floorOk)
            return fail("floor loop failed", folder.path);
        for (std::size_t i = 0; i < results.size(); ++i)
            if (results[i] != "ok")
                return fail(paths[i].c_str(), "\"" + results[i] + "\"");

        double floorRate = double(n) / floorTime, engineRate = double(n) / engineTime;
        floorRates.push_back(floorRate);
        engineRates.push_back(engineRate);
        ratios.push_back(engineTime / floorTime);
        std::printf("round %d: floor %.0f files/s, engine %.0f files/s, ratio %.2f\n", round, floorRate, engineRate,
            engineTime / floorTime);
    }

    std::printf("floor (open, pread 1024, pwrite 1024, close): %.0f files/s\n", median(floorRates));
    std::printf("engine (convertFile, mode 0, on a scheduled thread): %.0f files/s\n", median(engineRates));
    std::printf("engine/floor ratio: %.2f\n", median(ratios));
    return 0;
}
