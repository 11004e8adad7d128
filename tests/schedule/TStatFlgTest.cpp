#include <gtest/gtest.h>

#include "schedule/TStatFlg.h"

using brellow::TStacFlg;

TEST(TStacFlgTest, StartsOffTogglesAndClears)
{
    TStacFlg flag;
    EXPECT_EQ(flag.Value(), 0);
    flag.Toggle();
    EXPECT_EQ(flag.Value(), 1);
    flag.Toggle();
    EXPECT_EQ(flag.Value(), 0);
    flag.Toggle();
    flag.Clear();
    EXPECT_EQ(flag.Value(), 0);
    flag.Clear();
    EXPECT_EQ(flag.Value(), 0);
}
