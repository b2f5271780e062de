#include "framework/core/Dictionary.h"

#include "framework/core/FolderItem.h"
#include "framework/core/RuntimeException.h"

#include <gtest/gtest.h>

using fw::Dictionary;
using fw::Variant;

namespace {

TEST(Dictionary, TextKeysMatchByBytes)
{
    Dictionary d;
    d.SetValue("/photos/IMG_0001.DNG", std::int32_t(1));
    d.SetValue("/photos/img_0001.dng", std::int32_t(2));
    d.SetValue(std::string("/photos/\xFF\xFE.dng"), std::int32_t(3));
    d.SetValue(std::string("a\0b", 3), std::int32_t(4));

    EXPECT_EQ(d.Count(), 4);
    EXPECT_EQ(d.Value("/photos/IMG_0001.DNG").Int32Value(), 1);
    EXPECT_EQ(d.Value("/photos/img_0001.dng").Int32Value(), 2);
    EXPECT_EQ(d.Value(std::string("/photos/\xFF\xFE.dng")).Int32Value(), 3);
    EXPECT_EQ(d.Value(std::string("a\0b", 3)).Int32Value(), 4);
    EXPECT_FALSE(d.HasKey("/photos/Img_0001.dng"));
    EXPECT_FALSE(d.HasKey("a")); // a text stops at no NUL byte
    EXPECT_THROW(d.Value("/photos/IMG_0001.dng"), fw::KeyNotFoundException);

    d.SetValue("/photos/IMG_0001.DNG", "replaced");
    EXPECT_EQ(d.Count(), 4);
    EXPECT_EQ(d.Value("/photos/IMG_0001.DNG").StringValue(), "replaced");
}

TEST(Dictionary, KeysOfOtherKinds)
{
    Dictionary d;
    // Integers are one key whatever their width.
    d.SetValue(std::int32_t(7), "seven");
    EXPECT_TRUE(d.HasKey(std::int64_t(7)));
    EXPECT_FALSE(d.HasKey("7"));
    EXPECT_FALSE(d.HasKey(true));

    // Objects are keys by identity.
    auto a = fw::FolderItem::FromPath("/photos/a.dng");
    auto same = fw::FolderItem::FromPath("/photos/a.dng");
    d.SetValue(fw::Ref<fw::Object>(a), std::int32_t(1));
    EXPECT_TRUE(d.HasKey(fw::Ref<fw::Object>(a)));
    EXPECT_FALSE(d.HasKey(fw::Ref<fw::Object>(same)));
    EXPECT_THROW(d.Value(Variant()), fw::KeyNotFoundException);
}

}
