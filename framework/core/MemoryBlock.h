#pragma once

#include "framework/core/Object.h"

#include <cstdint>
#include <string>

namespace fw {

// A byte buffer of fixed size. Every access is checked against the size
// (negative offsets included) and raises OutOfBoundsException instead of
// touching a byte outside the block.
class MemoryBlock : public Object {
public:
    explicit MemoryBlock(std::string bytes) : mBytes(std::move(bytes)) { }

    std::int64_t Size() const { return static_cast<std::int64_t>(mBytes.size()); }
    const std::string& StringValue() const { return mBytes; }

    // Byte order of the multi-byte accessors; little-endian, as on this machine.
    bool LittleEndian = true;

    std::uint8_t UInt8Value(std::int64_t offset) const;
    std::uint16_t UInt16Value(std::int64_t offset) const;
    std::int16_t Int16Value(std::int64_t offset) const;
    std::int32_t Int32Value(std::int64_t offset) const;
    void SetInt32Value(std::int64_t offset, std::int32_t value);

private:
    void check(std::int64_t offset, std::int64_t width) const;
    std::uint32_t read(std::int64_t offset, int width) const;

    std::string mBytes;
};

}
