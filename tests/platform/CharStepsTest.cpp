#include <gtest/gtest.h>

#include "platform/CharSteps.h"

using namespace brellow;

TEST(CharSteps, FindsTheLastSeparatorOverMultiByteText)
{
    const std::string path = "/home/ユーザー/写真/旅行";
    const auto pos = LastSeparator(path);
    ASSERT_NE(pos, std::string::npos);
    EXPECT_EQ(path.substr(pos + 1), "旅行");
    EXPECT_EQ(LastSeparator("旅行"), std::string::npos);
    EXPECT_EQ(LastSeparator("/"), 0u);
}

TEST(CharSteps, StepsWholeCharacters)
{
    const std::string text = "a日\xF0\x9F\x93\x81/";  // ASCII, 3-byte, 4-byte, separator
    EXPECT_EQ(CharLength(text, 0), 1u);
    EXPECT_EQ(CharLength(text, 1), 3u);
    EXPECT_EQ(CharLength(text, 4), 4u);
    EXPECT_EQ(CharLength(text, 8), 1u);
    // A lead byte whose continuation is cut off counts as one byte.
    EXPECT_EQ(CharLength(std::string("\xE6/"), 0), 1u);
}

TEST(CharSteps, EndsWithSeparator)
{
    EXPECT_TRUE(EndsWithSeparator("/"));
    EXPECT_TRUE(EndsWithSeparator("/データ/"));
    EXPECT_FALSE(EndsWithSeparator("/データ"));
    EXPECT_FALSE(EndsWithSeparator(""));
}
