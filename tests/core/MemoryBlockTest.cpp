#include "framework/core/MemoryBlock.h"

#include "framework/core/RuntimeException.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>

using fw::MemoryBlock;
using fw::OutOfBoundsException;

namespace {

constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();

struct Accessor {
    const char* name;
    std::int64_t width;
    std::function<void(MemoryBlock&, std::int64_t)> use;
};

const Accessor accessors[] = {
    { "UInt8Value", 1, [](MemoryBlock& m, std::int64_t at) { (void)m.UInt8Value(at); } },
    { "UInt16Value", 2, [](MemoryBlock& m, std::int64_t at) { (void)m.UInt16Value(at); } },
    { "Int16Value", 2, [](MemoryBlock& m, std::int64_t at) { (void)m.Int16Value(at); } },
    { "Int32Value", 4, [](MemoryBlock& m, std::int64_t at) { (void)m.Int32Value(at); } },
    { "SetInt32Value", 4, [](MemoryBlock& m, std::int64_t at) { m.SetInt32Value(at, -1); } },
};

TEST(MemoryBlock, EveryAccessStaysInsideTheBlock)
{
    const std::string bytes("\x01\x02\x03\x04\x05\x06", 6);
    for (const Accessor& a : accessors) {
        SCOPED_TRACE(a.name);
        MemoryBlock block(bytes);
        const std::int64_t last = block.Size() - a.width;
        EXPECT_NO_THROW(a.use(block, 0));
        EXPECT_NO_THROW(a.use(block, last));
        // Past the end, before the start, and offsets whose sum with the
        // width would overflow.
        for (std::int64_t at : { last + 1, block.Size(), std::int64_t(-1), -a.width, Min, Max, Max - 1, Max - a.width + 1 }) {
            SCOPED_TRACE(at);
            MemoryBlock b(bytes);
            EXPECT_THROW(a.use(b, at), OutOfBoundsException);
            EXPECT_EQ(b.StringValue(), bytes);
        }
        MemoryBlock empty(std::string {});
        EXPECT_THROW(a.use(empty, 0), OutOfBoundsException);
    }
}

TEST(MemoryBlock, ByteOrder)
{
    MemoryBlock block(std::string("\x49\x49\x2A\x00\x13\xC6\x01\x84", 8));
    EXPECT_TRUE(block.LittleEndian);
    EXPECT_EQ(block.UInt16Value(0), 0x4949);
    EXPECT_EQ(block.UInt16Value(2), 42);
    EXPECT_EQ(block.UInt16Value(4), 0xC613);
    EXPECT_EQ(block.Int16Value(4), static_cast<std::int16_t>(0xC613));
    EXPECT_EQ(block.Int32Value(4), static_cast<std::int32_t>(0x8401C613u));
    EXPECT_EQ(block.UInt8Value(7), 0x84);

    block.LittleEndian = false;
    EXPECT_EQ(block.UInt16Value(2), 0x2A00);
    EXPECT_EQ(block.UInt16Value(4), 0x13C6);
    EXPECT_EQ(block.Int16Value(6), 0x0184);
    EXPECT_EQ(block.Int32Value(4), 0x13C60184);
    EXPECT_EQ(block.Int32Value(0), 0x49492A00);
    EXPECT_EQ(block.UInt8Value(7), 0x84);
}

TEST(MemoryBlock, SetInt32ValueChangesOnlyItsFourBytes)
{
    const std::string bytes("\xAA\x00\xBB\xCC\xDD\xEE\xFF", 7);

    MemoryBlock le(bytes);
    le.SetInt32Value(2, 0x0201);
    EXPECT_EQ(le.StringValue(), std::string("\xAA\x00\x01\x02\x00\x00\xFF", 7));
    EXPECT_EQ(le.Int32Value(2), 0x0201);

    MemoryBlock be(bytes);
    be.LittleEndian = false;
    be.SetInt32Value(3, -2);
    EXPECT_EQ(be.StringValue(), std::string("\xAA\x00\xBB\xFF\xFF\xFF\xFE", 7));
    EXPECT_EQ(be.Int32Value(3), -2);
    EXPECT_EQ(be.Size(), 7);
}

}
