#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "FileTimes.h"
#include "TempFolder.h"
#include "engine/PackedFileTime.h"

using namespace brellow;
using namespace brellow::testing;

namespace {

constexpr uint32_t Packed(int year, int month, int day, int hour, int minute, int second)
{
    return uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 | uint32_t(hour) << 11 |
           uint32_t(minute) << 5 | uint32_t(second / 2);
}

}  // namespace

TEST(PackedFileTimeTest, PacksLocalTimesOfTheRepresentableYears)
{
    struct Case {
        int64_t local;
        int32_t expected;
    };
    const Case cases[] = {
        {LocalSeconds(1980, 1, 1, 0, 0, 0), 0x00210000},
        {LocalSeconds(2020, 5, 1, 12, 34, 57), int32_t(Packed(2020, 5, 1, 12, 34, 57))},
        {LocalSeconds(2043, 12, 31, 23, 59, 59), int32_t(Packed(2043, 12, 31, 23, 59, 59))},
        // From 2044 on the top bit is set: the value is negative.
        {LocalSeconds(2044, 1, 1, 0, 0, 0), int32_t(0x80210000u)},
        {LocalSeconds(2107, 12, 31, 23, 59, 59), int32_t(Packed(2107, 12, 31, 23, 59, 59))},
        {LocalSeconds(1979, 12, 31, 23, 59, 59), -1},
        {LocalSeconds(2108, 1, 1, 0, 0, 0), -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PackDosDateTime(c.local), c.expected) << c.local;
    }
    EXPECT_LT(PackDosDateTime(LocalSeconds(2044, 1, 1, 0, 0, 0)), 0);
}

TEST(PackedFileTimeTest, NewerTestComparesTwoSecondSlotsOfAnyYear)
{
    const FixedTimeZone zone;
    const TempFolder folder;
    struct Case {
        const char* name;
        std::optional<int64_t> source;  // none: missing
        std::optional<int64_t> destination;
        bool newer;
    };
    const int64_t noon = LocalSeconds(2020, 5, 1, 12, 0, 0);
    const auto newYear = [](int year) { return LocalSeconds(year, 1, 1, 0, 0, 0); };
    const Case cases[] = {
        {"same two-second slot", noon + 1, noon, false},
        {"one slot later", noon + 2, noon + 1, true},
        {"destination newer", noon, noon + 4, false},
        {"destination missing", noon, std::nullopt, true},
        {"source missing", std::nullopt, noon, false},
        {"both missing", std::nullopt, std::nullopt, false},
        // 1979/1980: old files are backed up, and in their true order.
        {"1979 over missing", newYear(1979), std::nullopt, true},
        {"1970 over missing", LocalSeconds(1970, 1, 1, 0, 0, 0), std::nullopt, true},
        {"1980 over 1979", newYear(1980), newYear(1980) - 2, true},
        {"1979 over 1980", newYear(1980) - 2, newYear(1980), false},
        {"1979 same slot", newYear(1980) - 1, newYear(1980) - 2, false},
        {"1979 one slot later", newYear(1980) - 2, newYear(1980) - 3, true},
        {"1969 same slot", LocalSeconds(1969, 6, 1, 0, 0, 1), LocalSeconds(1969, 6, 1, 0, 0, 0), false},
        {"1969 one slot later", LocalSeconds(1969, 6, 1, 0, 0, 2), LocalSeconds(1969, 6, 1, 0, 0, 1), true},
        // 2043/2044: a later file is newer even when its packed value turns negative.
        {"2044 over missing", newYear(2044), std::nullopt, true},
        {"2044 over 2043", newYear(2044), newYear(2044) - 2, true},
        {"2043 over 2044", newYear(2044) - 2, newYear(2044), false},
        {"2044 same slot", newYear(2044) + 1, newYear(2044), false},
        {"2045 over 2044", newYear(2045), newYear(2044), true},
        // 2107/2108: past the packed range the order still holds.
        {"2108 over missing", newYear(2108), std::nullopt, true},
        {"2108 over 2107", newYear(2108), newYear(2108) - 2, true},
        {"2107 over 2108", newYear(2108) - 2, newYear(2108), false},
        {"2108 one slot later", newYear(2108) + 2, newYear(2108), true},
        {"2108 same slot", newYear(2108) + 1, newYear(2108), false},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string source = folder / ("source" + std::to_string(index));
        const std::string destination = folder / ("destination" + std::to_string(index));
        ++index;
        if (c.source)
            WriteFile(source, "s", *c.source);
        if (c.destination)
            WriteFile(destination, "d", *c.destination);
        EXPECT_EQ(IsSourceNewer(source, destination), c.newer) << c.name;
    }
}

TEST(PackedFileTimeTest, NewerTestAgreesWithThePackedComparisonFrom1980To2043)
{
    const FixedTimeZone zone;
    const TempFolder folder;
    const int64_t moments[] = {
        LocalSeconds(1980, 1, 1, 0, 0, 0), LocalSeconds(1980, 1, 1, 0, 0, 1), LocalSeconds(1980, 1, 1, 0, 0, 2),
        LocalSeconds(1999, 12, 31, 23, 59, 59), LocalSeconds(2000, 1, 1, 0, 0, 0), LocalSeconds(2020, 5, 1, 12, 0, 3),
        LocalSeconds(2020, 5, 1, 12, 0, 4), LocalSeconds(2043, 12, 31, 23, 59, 58),
        LocalSeconds(2043, 12, 31, 23, 59, 59),
    };
    int index = 0;
    for (const int64_t source : moments) {
        for (const int64_t destination : moments) {
            const std::string s = folder / ("s" + std::to_string(index));
            const std::string d = folder / ("d" + std::to_string(index));
            ++index;
            WriteFile(s, "s", source);
            WriteFile(d, "d", destination);
            EXPECT_EQ(IsSourceNewer(s, d), PackedFileTime(d) < PackedFileTime(s)) << source << " over " << destination;
        }
    }
}

TEST(PackedFileTimeTest, FoldersAndSpecialFilesHaveNoTime)
{
    const FixedTimeZone zone;
    const TempFolder folder;
    const std::string source = folder / "source";
    WriteFile(source, "s", LocalSeconds(2020, 5, 1, 12, 0, 0));
    std::filesystem::create_directory(folder / "folder");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);

    EXPECT_EQ(PackedFileTime(folder / "folder"), -1);
    EXPECT_EQ(PackedFileTime(folder / "pipe"), -1);
    EXPECT_EQ(PackedFileTime(folder / "missing"), -1);
    // A folder standing where the copy belongs counts as missing: a copy is attempted.
    EXPECT_TRUE(IsSourceNewer(source, folder / "folder"));
    EXPECT_FALSE(IsSourceNewer(folder / "pipe", folder / "missing"));
}

TEST(PackedFileTimeTest, ShiftsByTheOffsetInForceNow)
{
    // Summer and winter files both get today's offset, whichever season today is in.
    const FixedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const TempFolder folder;
    WriteFile(folder / "winter", "w", LocalSeconds(2020, 1, 15, 12, 0, 0));
    WriteFile(folder / "summer", "s", LocalSeconds(2020, 7, 15, 12, 0, 0));
    EXPECT_EQ(PackedFileTime(folder / "winter"), int32_t(Packed(2020, 1, 15, 12, 0, 0)));
    EXPECT_EQ(PackedFileTime(folder / "summer"), int32_t(Packed(2020, 7, 15, 12, 0, 0)));
}
