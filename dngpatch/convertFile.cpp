#include "dngpatch/convertFile.h"

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Text.h"
#include "framework/core/Thread.h"

namespace dngpatch {

using namespace fw;

namespace {

// The header is checked within this many leading bytes, and only they are
// ever written back.
constexpr std::int64_t HeaderWindow = 1024;

constexpr std::uint16_t IntelByteOrder = 0x4949; // "II"
constexpr std::uint16_t TiffMagic = 42;
constexpr std::int32_t FirstIfdOffset = 8;      // IFD0 right after the header
constexpr std::int64_t EntryCountOffset = 8;
constexpr std::int64_t FirstEntryOffset = 10;
constexpr std::int64_t EntrySize = 12;
constexpr std::uint16_t DNGBackwardVersionTag = 0xC613;
constexpr std::int16_t TypeByte = 1;
constexpr std::int32_t VersionByteCount = 4;

// Versions as the entry's four value bytes read as one little-endian Int32.
constexpr std::int32_t Version1_1 = 0x0101; // 01 01 00 00
constexpr std::int32_t Version1_2 = 0x0201; // 01 02 00 00

std::string versionText(const MemoryBlock& header, std::int64_t at)
{
    return Str(header.UInt8Value(at)) + "." + Str(header.UInt8Value(at + 1)) + "."
        + Str(header.UInt8Value(at + 2)) + "." + Str(header.UInt8Value(at + 3));
}

std::string messageOr(const RuntimeException& e, const char* fallback)
{
    return e.Message.empty() ? std::string(fallback) : e.Message;
}

}

void convertFile(const Ref<FolderItem>& file, std::string& result, const std::int32_t& mode)
{
    Ref<BinaryStream> stream;
    try {
        stream = BinaryStream::Open(file, true);
    } catch (const IOException& e) {
        result = messageOr(e, "open (r/w) failed");
        return;
    }

    // Unguarded: a read error after a successful open leaves the call.
    MemoryBlock header(stream->Read(HeaderWindow));
    if (header.Size() < 8) {
        result = "invalid file";
        return;
    }
    header.LittleEndian = true;

    // TIFF header: byte order, magic number, offset of IFD0.
    if (header.UInt16Value(0) != IntelByteOrder || header.UInt16Value(2) != TiffMagic) {
        result = "not a K-3 DNG file";
        return;
    }
    if (header.Int32Value(4) != FirstIfdOffset) {
        result = "unexpected data (1)";
        return;
    }

    bool found = false;
    try {
        std::uint16_t n = header.UInt16Value(EntryCountOffset);
        for (std::int64_t i = 1; i <= n; ++i) {
            // Each IFD entry: tag (2), field type (2), count (4), value (4).
            std::int64_t p = FirstEntryOffset + EntrySize * (i - 1);
            if (header.UInt16Value(p) != DNGBackwardVersionTag) {
                YieldPoint();
                continue;
            }
            if (header.Int16Value(p + 2) != TypeByte || header.Int32Value(p + 4) != VersionByteCount) {
                result = "unexpected data (4)";
                return;
            }
            std::int32_t version = header.Int32Value(p + 8);
            std::int32_t m = mode;
            if (m == ModeCheckOnly) {
                result = "v" + versionText(header, p + 8);
                return;
            }
            std::int32_t target = m == ModeMakeCompatible ? Version1_1 : Version1_2;
            std::int32_t source = m == ModeMakeCompatible ? Version1_2 : Version1_1;
            if (version == target) {
                result = "ok (no change)";
                return;
            }
            if (version != source) {
                result = "wrong version: " + versionText(header, p + 8);
                return;
            }
            header.SetInt32Value(p + 8, target);
            found = true;
            break;
        }
    } catch (const OutOfBoundsException&) {
        result = "unexpected data (2)";
        return;
    }
    if (!found) {
        result = "unexpected data (3)";
        return;
    }

    try {
        stream->SetPosition(0);
        stream->Write(header.StringValue());
        stream->Close();
    } catch (const IOException& e) {
        result = messageOr(e, "write failed");
        return;
    }
    result = "ok";
}

}
