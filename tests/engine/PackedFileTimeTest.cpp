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

TEST(PackedFileTimeTest, NewerTestComparesPackedTimesSigned)
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
    const Case cases[] = {
        {"same two-second slot", noon + 1, noon, false},
        {"one slot later", noon + 2, noon + 1, true},
        {"destination newer", noon, noon + 4, false},
        {"destination missing", noon, std::nullopt, true},
        {"source missing", std::nullopt, noon, false},
        {"both missing", std::nullopt, std::nullopt, false},
        {"source before 1980, destination missing", LocalSeconds(1979, 6, 1, 0, 0, 0), std::nullopt, false},
        {"source before 1980, destination older", LocalSeconds(1979, 6, 1, 0, 0, 0), LocalSeconds(1970, 1, 2, 0, 0, 0),
         false},
        {"source 2044, destination missing", LocalSeconds(2044, 6, 1, 0, 0, 0), std::nullopt, false},
        {"source 2044, destination 2043", LocalSeconds(2044, 6, 1, 0, 0, 0), LocalSeconds(2043, 6, 1, 0, 0, 0), false},
        {"source 2045, destination 2044", LocalSeconds(2045, 6, 1, 0, 0, 0), LocalSeconds(2044, 6, 1, 0, 0, 0), true},
        {"source 2043, destination 2044", LocalSeconds(2043, 6, 1, 0, 0, 0), LocalSeconds(2044, 6, 1, 0, 0, 0), true},
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
