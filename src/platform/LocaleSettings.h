#pragma once

#include <optional>
#include <string>

namespace brellow {

struct TimeOfDay {
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
};

// The user's time and date conventions, read once at start-up from the C library's locale
// and passed down. Every formatting and parsing function takes this value, so tests pass
// their own.
//
// longTimePattern tokens: h / hh (hour, hh with a leading zero), n / nn (minutes),
// s / ss (seconds), ampm (AM/PM marker; its presence makes the clock 12-hour),
// ':' (the time separator), "..." (literal text); any other character stands for itself.
struct LocaleSettings {
    std::string longTimePattern = "hh:nn:ss";
    std::string timeSeparator = ":";
    std::string dateSeparator = "/";
    std::string amMarker = "AM";
    std::string pmMarker = "PM";
    std::string decimalSeparator = ".";

    // Conventions of the user's environment (LC_TIME, LC_NUMERIC), whatever the
    // process's current locale is; the defaults above when it cannot be read.
    static LocaleSettings FromEnvironment();
    // Conventions of one named locale ("" is the environment's); nothing when the system
    // does not have it.
    static std::optional<LocaleSettings> FromLocale(const std::string& name);
};

// What the C library says about a locale's times and dates.
struct LocaleFormats {
    std::string timeFormat;      // T_FMT
    std::string ampmTimeFormat;  // T_FMT_AMPM
    std::string dateFormat;      // D_FMT
    std::string amMarker;
    std::string pmMarker;
    std::string radix;
};

// Maps the C library's formats onto separator-shaped settings: a time format other than
// hour, minutes and seconds joined by one separator (ja_JP's "%H時%M分%S秒") becomes a
// 24-hour "hh:nn:ss" with ":", a date format other than three numbers joined by one
// separator ("%Y年%m月%d日") gets "/".
LocaleSettings SettingsFromFormats(const LocaleFormats& formats);

// Converts a strftime time format (as the C library gives it) into a long time pattern.
std::string LongTimePatternFromStrftime(const std::string& format, const std::string& ampmFormat);

// A time of day written with the long time pattern.
std::string FormatLongTime(const LocaleSettings& settings, const TimeOfDay& time);

// A time of day read with the long time pattern. Texts written under other settings are
// understood as well, so a stored time survives a change of locale: 24-hour "H:mm[:ss]",
// 12-hour with these settings' or the C locale's AM/PM markers before or after it, and
// "H時MM分SS秒". Anything else gives no value.
std::optional<TimeOfDay> ParseLongTime(const LocaleSettings& settings, const std::string& text);

}  // namespace brellow
