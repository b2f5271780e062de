#include "framework/core/Text.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(Text, StrRightCompare)
{
    EXPECT_EQ(Str(0), "0");
    EXPECT_EQ(Str(255), "255");
    EXPECT_EQ(Str(-7), "-7");
    EXPECT_EQ(Right("IMG_0001.DNG", 4), ".DNG");
    EXPECT_EQ(Right("dng", 4), "dng");
    EXPECT_EQ(Right("x\xC3\xA9.dng", 5), "\xC3\xA9.dng"); // é is one character
    EXPECT_EQ(Right("\xFF\xFE", 1), "\xFE");             // stray bytes count one each
    EXPECT_EQ(RuntimeStringCompare(".DnG", ".dng"), 0);
    EXPECT_NE(RuntimeStringCompare(".dnh", ".dng"), 0);
    EXPECT_NE(RuntimeStringCompare("dng", ".dng"), 0);
}
