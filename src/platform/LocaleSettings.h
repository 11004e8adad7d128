#pragma once

#include <optional>
#include <string>

namespace brellow {

struct TimeOfDay {
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
};

// The user's time and date conventions, read once from the C library's locale. Every
// formatting and parsing function takes this value, so tests pass their own.
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
    // process's current locale is.
    static LocaleSettings FromEnvironment();
};

// The settings of the user's environment, read on first use.
const LocaleSettings& UserLocale();

// Converts a strftime time format (as the C library gives it) into a long time pattern.
std::string LongTimePatternFromStrftime(const std::string& format, const std::string& ampmFormat);

// A time of day written with the long time pattern.
std::string FormatLongTime(const LocaleSettings& settings, const TimeOfDay& time);

// A time of day read with the long time pattern. A text that does not follow the pattern
// but is a plain 24-hour "H:mm" or "H:mm:ss" is understood as well, so that texts written
// before the user changed the settings stay readable. Anything else gives no value.
std::optional<TimeOfDay> ParseLongTime(const LocaleSettings& settings, const std::string& text);

}  // namespace brellow
