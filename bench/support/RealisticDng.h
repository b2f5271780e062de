#pragma once

// A DNG header of the usual shape for the benchmarks: IFD0 at offset 8 with
// 47 entries sorted by tag, DNGVersion and DNGBackwardVersion (1.2.0.0) at
// entries 26 and 27, values longer than four bytes stored after IFD0.

#include <cstdint>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace benchdng {

enum Type : std::uint16_t { BYTE = 1, ASCII = 2, SHORT = 3, LONG = 4, RATIONAL = 5, SRATIONAL = 10 };

struct Field {
    std::uint16_t tag;
    Type type;
    std::uint32_t count;
    std::string value; // count items of the type, little-endian
};

inline std::string u16(std::uint16_t v) { return { static_cast<char>(v & 0xFF), static_cast<char>(v >> 8) }; }

inline std::string u32(std::uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

inline Field shorts(std::uint16_t tag, std::vector<std::uint16_t> values)
{
    std::string s;
    for (auto v : values)
        s += u16(v);
    return { tag, SHORT, static_cast<std::uint32_t>(values.size()), s };
}

inline Field longs(std::uint16_t tag, std::uint32_t value) { return { tag, LONG, 1, u32(value) }; }

inline Field text(std::uint16_t tag, const std::string& s) { return { tag, ASCII, static_cast<std::uint32_t>(s.size() + 1), s + '\0' }; }

inline Field bytes(std::uint16_t tag, std::string s) { return { tag, BYTE, static_cast<std::uint32_t>(s.size()), std::move(s) }; }

inline Field rationals(std::uint16_t tag, Type type, std::vector<std::pair<std::int32_t, std::int32_t>> values)
{
    std::string s;
    for (auto [n, d] : values)
        s += u32(static_cast<std::uint32_t>(n)) + u32(static_cast<std::uint32_t>(d));
    return { tag, type, static_cast<std::uint32_t>(values.size()), s };
}

inline std::string filler(std::size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 131 + seed * 7 + 11) & 0xFF);
    return s;
}

// IFD0 at offset 8, sorted by tag, DNGVersion and DNGBackwardVersion (1.2.0.0)
// at entries 26 and 27, values longer than four bytes stored after IFD0 in
// entry order; the XMP packet and the private data run past byte 1024.
inline std::string dngHead(unsigned i)
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

// Creates path (it must not exist) with head at offset 0 and a sparse tail up
// to length bytes, so a tree of thousands of multi-megabyte files is cheap.
inline bool writeSparseFile(const std::string& path, const std::string& head, off_t length)
{
    int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size())
        && ::ftruncate(fd, length) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

}
