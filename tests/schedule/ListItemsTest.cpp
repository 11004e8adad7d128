#include <gtest/gtest.h>

#include "schedule/ListItems.h"

using namespace brellow;

TEST(ListItemsTest, SplitsLikeTheStoredListsNeed)
{
    struct Case {
        std::string text;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"1,15", {"1", "15"}},
        {"1, 15", {"1", "15"}},
        {"1 15", {"1", "15"}},
        {"1 , 15", {"1", "15"}},
        {"1,,15", {"1", "", "15"}},
        {"1,", {"1", ""}},
        {",", {"", ""}},
        {"\"1\",2", {"1", "2"}},
        {"\"1 5\",\"a\"\"b\"", {"1 5", "a\"b"}},
        {"\"open", {"open"}},
        {"  \t\n1,2", {"1", "2"}},
        {"1\t2\r\n", {"1", "2"}},
        {"None selected", {"None", "selected"}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitListText(c.text), c.items) << '"' << c.text << '"';
}

TEST(ListItemsTest, WholeNumbers)
{
    struct Case {
        std::string text;
        std::optional<int> number;
    };
    const Case cases[] = {
        {"15", 15},    {"0", 0},           {"-1", -1},           {"+3", 3},         {"007", 7},
        {"", std::nullopt}, {"None", std::nullopt}, {"1a", std::nullopt}, {" 1", std::nullopt},
        {"-", std::nullopt}, {"99999999999", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WholeNumber(c.text), c.number) << '"' << c.text << '"';
}
