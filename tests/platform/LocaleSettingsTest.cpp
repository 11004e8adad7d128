#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

TEST(LocaleSettings, MapsTheCLibraryFormatsOntoSeparatorShapedSettings)
{
    const struct {
        const char* timeFormat;
        const char* dateFormat;
        const char* pattern;
        const char* timeSeparator;
        const char* dateSeparator;
    } cases[] = {
        {"%H:%M:%S", "%m/%d/%y", "hh:nn:ss", ":", "/"},
        {"%T", "%d.%m.%Y", "hh:nn:ss", ":", "."},
        {"%H.%M.%S", "%Y-%m-%d", "hh:nn:ss", ".", "-"},
        {"%k:%M:%S", "%F", "h:nn:ss", ":", "-"},
        {"%r", "%D", "hh:nn:ss ampm", ":", "/"},
        {"%p %l:%M:%S", "%e/%m/%Y", "ampm h:nn:ss", ":", "/"},
        // Not of the shape: a 24-hour clock with ":" and "/".
        {"%H時%M分%S秒", "%Y年%m月%d日", "hh:nn:ss", ":", "/"},
        {"%Hh%M", "%d %B %Y", "hh:nn:ss", ":", "/"},
        {"%H:%M", "%d.%m-%Y", "hh:nn:ss", ":", "/"},
    };
    for (const auto& c : cases) {
        LocaleFormats formats;
        formats.timeFormat = c.timeFormat;
        formats.ampmTimeFormat = "%I:%M:%S %p";
        formats.dateFormat = c.dateFormat;
        const LocaleSettings settings = SettingsFromFormats(formats);
        EXPECT_EQ(settings.longTimePattern, c.pattern) << c.timeFormat;
        EXPECT_EQ(settings.timeSeparator, c.timeSeparator) << c.timeFormat;
        EXPECT_EQ(settings.dateSeparator, c.dateSeparator) << c.dateFormat;
    }
}

// The locales the setup generates, read from the system as the program reads them.
TEST(LocaleSettings, ReadsTheInstalledLocales)
{
    const struct {
        const char* name;
        const char* pattern;
        const char* dateSeparator;
        const char* decimalSeparator;
        const char* sevenFive;
    } cases[] = {
        {"ja_JP.UTF-8", "hh:nn:ss", "/", ".", "07:05:00"},
        {"de_DE.UTF-8", "hh:nn:ss", ".", ",", "07:05:00"},
        {"en_US.UTF-8", "hh:nn:ss ampm", "/", ".", "07:05:00 AM"},
        {"C.UTF-8", "hh:nn:ss", "/", ".", "07:05:00"},
    };
    for (const auto& c : cases) {
        const std::optional<LocaleSettings> settings = LocaleSettings::FromLocale(c.name);
        ASSERT_TRUE(settings.has_value()) << c.name << " is not installed (scripts/setup generates it)";
        EXPECT_EQ(settings->longTimePattern, c.pattern) << c.name;
        EXPECT_EQ(settings->timeSeparator, ":") << c.name;
        EXPECT_EQ(settings->dateSeparator, c.dateSeparator) << c.name;
        EXPECT_EQ(settings->decimalSeparator, c.decimalSeparator) << c.name;
        EXPECT_EQ(FormatLongTime(*settings, {7, 5, 0}), c.sevenFive) << c.name;
    }
}

// A time stored under one locale (with ":" and the C locale's markers, as the installed
// ones have) is the same time under every other one.
TEST(LocaleSettings, StoredTimesSurviveAChangeOfLocale)
{
    std::vector<LocaleSettings> locales = {LocaleSettings(), TwentyFourHourNoZero(), TwelveHour()};
    for (const char* name : {"ja_JP.UTF-8", "de_DE.UTF-8", "en_US.UTF-8", "C.UTF-8"}) {
        const std::optional<LocaleSettings> settings = LocaleSettings::FromLocale(name);
        ASSERT_TRUE(settings.has_value()) << name;
        locales.push_back(*settings);
    }
    for (const LocaleSettings& writer : locales) {
        for (const LocaleSettings& reader : locales) {
            for (const TimeOfDay time : {TimeOfDay{0, 0, 0}, TimeOfDay{7, 5, 9}, TimeOfDay{12, 0, 0}, TimeOfDay{23, 59, 59}}) {
                const std::string text = FormatLongTime(writer, time);
                const auto parsed = ParseLongTime(reader, text);
                ASSERT_TRUE(parsed.has_value()) << text << " read with " << reader.longTimePattern;
                EXPECT_EQ(parsed->hour * 3600 + parsed->minute * 60 + parsed->second,
                          time.hour * 3600 + time.minute * 60 + time.second)
                    << text << " read with " << reader.longTimePattern;
            }
        }
    }
}

TEST(LocaleSettings, ReadsTheFormsOtherSettingsWrote)
{
    const struct {
        const char* text;
        int hour;
        int minute;
        int second;
    } cases[] = {
        {"12時00分00秒", 12, 0, 0},  // written under ja_JP by the current release
        {"7時05分09秒", 7, 5, 9},
        {"18:45", 18, 45, 0},
        {"7:05:00 PM", 19, 5, 0},
        {"pm 12:00:00", 12, 0, 0},
        {"12:00:00 AM", 0, 0, 0},
        {"午後 3:04:05", 15, 4, 5},  // the settings' own markers, on the other side
        {"03.04.05 午前", 3, 4, 5},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseLongTime(DottedWithMarkerFirst(), c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed->hour, c.hour) << c.text;
        EXPECT_EQ(parsed->minute, c.minute) << c.text;
        EXPECT_EQ(parsed->second, c.second) << c.text;
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
    for (const char* text : {"", "None selected", "25:00:00", "12:60:00", "12", "12:00:00x", "ab:cd", "13:00:00 PM",
                             "0:30:00 AM", "AM", "12時", "12時00秒"})
        EXPECT_FALSE(ParseLongTime(LocaleSettings(), text).has_value()) << text;
}
