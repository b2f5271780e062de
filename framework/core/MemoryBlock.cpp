#include "framework/core/MemoryBlock.h"

#include "framework/core/RuntimeException.h"

namespace fw {

void MemoryBlock::check(std::int64_t offset, std::int64_t width) const
{
    // Written so that no sum can overflow: offset is compared with what is left.
    if (offset < 0 || offset > Size() || width > Size() - offset)
        throw OutOfBoundsException();
}

std::uint32_t MemoryBlock::read(std::int64_t offset, int width) const
{
    check(offset, width);
    std::uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
        auto byte = static_cast<std::uint32_t>(static_cast<unsigned char>(mBytes[static_cast<std::size_t>(offset + i)]));
        int shift = LittleEndian ? 8 * i : 8 * (width - 1 - i);
        v |= byte << shift;
    }
    return v;
}

std::uint8_t MemoryBlock::UInt8Value(std::int64_t offset) const
{
    return static_cast<std::uint8_t>(read(offset, 1));
}

std::uint16_t MemoryBlock::UInt16Value(std::int64_t offset) const
{
    return static_cast<std::uint16_t>(read(offset, 2));
}

std::int16_t MemoryBlock::Int16Value(std::int64_t offset) const
{
    return static_cast<std::int16_t>(read(offset, 2));
}

std::int32_t MemoryBlock::Int32Value(std::int64_t offset) const
{
    return static_cast<std::int32_t>(read(offset, 4));
}

void MemoryBlock::SetInt32Value(std::int64_t offset, std::int32_t value)
{
    check(offset, 4);
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        int shift = LittleEndian ? 8 * i : 8 * (3 - i);
        mBytes[static_cast<std::size_t>(offset + i)] = static_cast<char>((v >> shift) & 0xFF);
    }
}

}
