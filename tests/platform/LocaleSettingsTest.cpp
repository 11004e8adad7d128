#include <gtest/gtest.h>

#include "platform/LocaleSettings.h"

using namespace brellow;

namespace {

LocaleSettings TwentyFourHourNoZero()
{
    LocaleSettings s;
    s.longTimePattern = "h:nn:ss";
    return s;
}

LocaleSettings TwelveHour()
{
    LocaleSettings s;
    s.longTimePattern = "h:nn:ss ampm";
    return s;
}

LocaleSettings DottedWithMarkerFirst()
{
    LocaleSettings s;
    s.longTimePattern = "ampm hh:nn:ss";
    s.timeSeparator = ".";
    s.amMarker = "午前";
    s.pmMarker = "午後";
    return s;
}

}  // namespace

TEST(LocaleSettings, PatternFromStrftimeFormats)
{
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"%H:%M:%S", "hh:nn:ss"},
        {"%T", "hh:nn:ss"},
        {"%r", "hh:nn:ss ampm"},
        {"%k:%M:%S", "h:nn:ss"},
        {"%l:%M:%S %p", "h:nn:ss ampm"},
        {"%H時%M分%S秒", "hh時nn分ss秒"},
        {"%Hh%M", "hh\"h\"nn"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LongTimePatternFromStrftime(c.format, "%I:%M:%S %p"), c.expected) << c.format;
}

TEST(LocaleSettings, FormatsTimesWithTheUsersConventions)
{
    const struct {
        LocaleSettings settings;
        TimeOfDay time;
        const char* expected;
    } cases[] = {
        {LocaleSettings(), {12, 0, 0}, "12:00:00"},
        {LocaleSettings(), {7, 5, 0}, "07:05:00"},
        {TwentyFourHourNoZero(), {7, 5, 0}, "7:05:00"},
        {TwelveHour(), {0, 30, 9}, "12:30:09 AM"},
        {TwelveHour(), {13, 0, 0}, "1:00:00 PM"},
        {DottedWithMarkerFirst(), {15, 4, 5}, "午後 03.04.05"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLongTime(c.settings, c.time), c.expected) << c.expected;
}

TEST(LocaleSettings, ParsesWhatItFormats)
{
    for (const LocaleSettings& settings : {LocaleSettings(), TwentyFourHourNoZero(), TwelveHour(), DottedWithMarkerFirst()}) {
        for (const TimeOfDay time : {TimeOfDay{0, 0, 0}, TimeOfDay{7, 5, 9}, TimeOfDay{12, 0, 0}, TimeOfDay{23, 59, 59}}) {
            const auto parsed = ParseLongTime(settings, FormatLongTime(settings, time));
            ASSERT_TRUE(parsed.has_value()) << FormatLongTime(settings, time);
            EXPECT_EQ(parsed->hour, time.hour);
            EXPECT_EQ(parsed->minute, time.minute);
            EXPECT_EQ(parsed->second, time.second);
        }
    }
}

TEST(LocaleSettings, ParsingFallsBackToPlainTwentyFourHourTimes)
{
    const auto withSeconds = ParseLongTime(DottedWithMarkerFirst(), "12:00:30");
    ASSERT_TRUE(withSeconds.has_value());
    EXPECT_EQ(withSeconds->hour, 12);
    EXPECT_EQ(withSeconds->second, 30);
    const auto withoutSeconds = ParseLongTime(TwelveHour(), "18:45");
    ASSERT_TRUE(withoutSeconds.has_value());
    EXPECT_EQ(withoutSeconds->hour, 18);
    EXPECT_EQ(withoutSeconds->minute, 45);
}

TEST(LocaleSettings, RejectsTextsThatAreNoTime)
{
    for (const char* text : {"", "None selected", "25:00:00", "12:60:00", "12", "12:00:00x", "ab:cd"})
        EXPECT_FALSE(ParseLongTime(LocaleSettings(), text).has_value()) << text;
}
