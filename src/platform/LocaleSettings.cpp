#include "platform/LocaleSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <regex>
#include <utility>

namespace brellow {

namespace {

void AppendLiteral(std::string& pattern, char c)
{
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '"') {
        pattern += '"';
        pattern += c == '"' ? '\'' : c;
        pattern += '"';
    } else {
        pattern += c;
    }
}

std::string Convert(const std::string& format, const std::string& ampmFormat, int depth)
{
    std::string pattern;
    for (std::string::size_type i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            AppendLiteral(pattern, format[i]);
            continue;
        }
        char conv = format[++i];
        while ((conv == 'E' || conv == 'O' || conv == '-' || conv == '_' || conv == '0') && i + 1 < format.size())
            conv = format[++i];
        switch (conv) {
        case 'H':
        case 'I':
            pattern += "hh";
            break;
        case 'k':
        case 'l':
            pattern += "h";
            break;
        case 'M':
            pattern += "nn";
            break;
        case 'S':
            pattern += "ss";
            break;
        case 'p':
        case 'P':
            pattern += "ampm";
            break;
        case 'T':
            pattern += "hh:nn:ss";
            break;
        case 'R':
            pattern += "hh:nn";
            break;
        case 'r':
            if (depth == 0)
                pattern += Convert(ampmFormat, ampmFormat, depth + 1);
            break;
        case '%':
            pattern += '%';
            break;
        default:
            break;
        }
    }
    return pattern;
}

bool StartsWithIgnoringCase(const std::string& text, std::string::size_type pos, const std::string& word)
{
    if (word.empty() || pos + word.size() > text.size())
        return false;
    for (std::string::size_type i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[pos + i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    }
    return true;
}

// Reads one or two digits.
bool ReadNumber(const std::string& text, std::string::size_type& pos, int& value)
{
    std::string::size_type digits = 0;
    value = 0;
    while (digits < 2 && pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

void SkipBlanks(const std::string& text, std::string::size_type& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
}

std::optional<TimeOfDay> ParseWithPattern(const LocaleSettings& settings, const std::string& text)
{
    const std::string& pattern = settings.longTimePattern;
    TimeOfDay time;
    bool hasHour = false;
    bool hasMinute = false;
    bool twelveHour = false;
    int marker = 0;  // 0 none, 1 am, 2 pm
    std::string::size_type t = 0;
    for (std::string::size_type p = 0; p < pattern.size();) {
        const char c = pattern[p];
        if (c == 'h' || c == 'n' || c == 's') {
            p += (p + 1 < pattern.size() && pattern[p + 1] == c) ? 2 : 1;
            int value = 0;
            if (!ReadNumber(text, t, value))
                return std::nullopt;
            if (c == 'h') {
                time.hour = value;
                hasHour = true;
            } else if (c == 'n') {
                time.minute = value;
                hasMinute = true;
            } else {
                time.second = value;
            }
        } else if (pattern.compare(p, 4, "ampm") == 0) {
            p += 4;
            twelveHour = true;
            SkipBlanks(text, t);
            if (StartsWithIgnoringCase(text, t, settings.amMarker)) {
                t += settings.amMarker.size();
                marker = 1;
            } else if (StartsWithIgnoringCase(text, t, settings.pmMarker)) {
                t += settings.pmMarker.size();
                marker = 2;
            }
        } else if (c == ':') {
            ++p;
            if (text.compare(t, settings.timeSeparator.size(), settings.timeSeparator) != 0)
                return std::nullopt;
            t += settings.timeSeparator.size();
        } else if (c == ' ') {
            ++p;
            SkipBlanks(text, t);
        } else if (c == '"') {
            const std::string::size_type close = pattern.find('"', p + 1);
            const std::string literal = pattern.substr(p + 1, close == std::string::npos ? std::string::npos : close - p - 1);
            p = close == std::string::npos ? pattern.size() : close + 1;
            if (text.compare(t, literal.size(), literal) != 0)
                return std::nullopt;
            t += literal.size();
        } else {
            ++p;
            if (t >= text.size() || text[t] != c)
                return std::nullopt;
            ++t;
        }
    }
    SkipBlanks(text, t);
    if (t != text.size() || !hasHour || !hasMinute)
        return std::nullopt;
    if (twelveHour && marker != 0) {
        if (time.hour < 1 || time.hour > 12)
            return std::nullopt;
        time.hour %= 12;
        if (marker == 2)
            time.hour += 12;
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 59)
        return std::nullopt;
    return time;
}

std::string Trimmed(const std::string& text)
{
    const std::string::size_type first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Hour, minutes and optional seconds in one of the given long time patterns.
std::optional<TimeOfDay> ParseAnyOf(const std::string& separator, std::initializer_list<const char*> patterns,
                                    const std::string& text)
{
    LocaleSettings plain;
    plain.timeSeparator = separator;
    for (const char* pattern : patterns) {
        plain.longTimePattern = pattern;
        if (auto time = ParseWithPattern(plain, text))
            return time;
    }
    return std::nullopt;
}

// A 24-hour time with the settings' separator or ":", or in the "12時00分00秒" form.
std::optional<TimeOfDay> ParseCore(const LocaleSettings& settings, const std::string& text)
{
    if (auto time = ParseAnyOf(settings.timeSeparator, {"h:nn:ss", "h:nn"}, text))
        return time;
    if (auto time = ParseAnyOf(":", {"h:nn:ss", "h:nn"}, text))
        return time;
    return ParseAnyOf(":", {"h\"時\"nn\"分\"ss\"秒\"", "h\"時\"nn\"分\""}, text);
}

// Texts written under other settings: an AM/PM marker (these settings' or the C locale's)
// before or after a time of one of the shapes ParseCore reads.
std::optional<TimeOfDay> ParseLeniently(const LocaleSettings& settings, const std::string& text)
{
    std::string core = Trimmed(text);
    int marker = 0;  // 0 none, 1 am, 2 pm
    const std::pair<std::string, int> markers[] = {
        {settings.amMarker, 1}, {settings.pmMarker, 2}, {"AM", 1}, {"PM", 2}};
    for (const auto& [word, value] : markers) {
        if (StartsWithIgnoringCase(core, 0, word)) {
            core = Trimmed(core.substr(word.size()));
        } else if (core.size() > word.size() && StartsWithIgnoringCase(core, core.size() - word.size(), word)) {
            core = Trimmed(core.substr(0, core.size() - word.size()));
        } else {
            continue;
        }
        marker = value;
        break;
    }
    std::optional<TimeOfDay> time = ParseCore(settings, core);
    if (!time || marker == 0)
        return time;
    if (time->hour < 1 || time->hour > 12)
        return std::nullopt;
    time->hour = time->hour % 12 + (marker == 2 ? 12 : 0);
    return time;
}

// The separator of a time pattern shaped hour, minutes, seconds (an AM/PM marker before or
// after allowed); nothing for any other shape.
std::optional<char> TimeSeparatorOfShape(const std::string& pattern)
{
    std::string core = pattern;
    const std::string::size_type marker = core.find("ampm");
    if (marker != std::string::npos)
        core.erase(marker, 4);
    static const std::regex shape(R"(^ *h{1,2}([!#$%&'()*+,\-./:;<=>?@\[\\\]^_`{|}~])nn\1ss *$)");
    std::smatch match;
    if (!std::regex_match(core, match, shape))
        return std::nullopt;
    return match.str(1)[0];
}

// The separator of a date format made of day, month and year joined by one separator.
std::optional<std::string> DateSeparatorOfShape(const std::string& format)
{
    if (format == "%F")
        return std::string("-");
    if (format == "%D")
        return std::string("/");
    static const std::regex shape(R"(^%[EO]?[dmyYe]([!#$&'()*+,\-./:;<=>?@\[\\\]^_`{|}~])%[EO]?[dmyYe]\1%[EO]?[dmyYe]$)");
    std::smatch match;
    if (!std::regex_match(format, match, shape))
        return std::nullopt;
    return match.str(1);
}

}  // namespace

LocaleSettings LocaleSettings::FromEnvironment()
{
    return FromLocale("").value_or(LocaleSettings());
}

std::optional<LocaleSettings> LocaleSettings::FromLocale(const std::string& name)
{
    const locale_t locale = ::newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return std::nullopt;
    LocaleFormats formats;
    formats.timeFormat = ::nl_langinfo_l(T_FMT, locale);
    formats.ampmTimeFormat = ::nl_langinfo_l(T_FMT_AMPM, locale);
    formats.dateFormat = ::nl_langinfo_l(D_FMT, locale);
    formats.amMarker = ::nl_langinfo_l(AM_STR, locale);
    formats.pmMarker = ::nl_langinfo_l(PM_STR, locale);
    formats.radix = ::nl_langinfo_l(RADIXCHAR, locale);
    ::freelocale(locale);
    return SettingsFromFormats(formats);
}

LocaleSettings SettingsFromFormats(const LocaleFormats& formats)
{
    LocaleSettings settings;
    std::string pattern = LongTimePatternFromStrftime(formats.timeFormat, formats.ampmTimeFormat);
    if (const std::optional<char> separator = TimeSeparatorOfShape(pattern)) {
        for (char& c : pattern) {
            if (c == *separator)
                c = ':';
        }
        settings.longTimePattern = pattern;
        settings.timeSeparator = std::string(1, *separator);
    }
    if (const std::optional<std::string> separator = DateSeparatorOfShape(formats.dateFormat))
        settings.dateSeparator = *separator;
    if (!formats.amMarker.empty() && !formats.pmMarker.empty()) {
        settings.amMarker = formats.amMarker;
        settings.pmMarker = formats.pmMarker;
    }
    if (!formats.radix.empty())
        settings.decimalSeparator = formats.radix;
    return settings;
}

std::string LongTimePatternFromStrftime(const std::string& format, const std::string& ampmFormat)
{
    return Convert(format, ampmFormat, 0);
}

std::string FormatLongTime(const LocaleSettings& settings, const TimeOfDay& time)
{
    const std::string& pattern = settings.longTimePattern;
    const bool twelveHour = pattern.find("ampm") != std::string::npos;
    std::string out;
    char buffer[8];
    for (std::string::size_type p = 0; p < pattern.size();) {
        const char c = pattern[p];
        if (c == 'h' || c == 'n' || c == 's') {
            const bool twoDigits = p + 1 < pattern.size() && pattern[p + 1] == c;
            p += twoDigits ? 2 : 1;
            int value = c == 'h' ? time.hour : c == 'n' ? time.minute : time.second;
            if (c == 'h' && twelveHour)
                value = value % 12 == 0 ? 12 : value % 12;
            std::snprintf(buffer, sizeof buffer, twoDigits ? "%02d" : "%d", value);
            out += buffer;
        } else if (pattern.compare(p, 4, "ampm") == 0) {
            p += 4;
            out += time.hour < 12 ? settings.amMarker : settings.pmMarker;
        } else if (c == ':') {
            ++p;
            out += settings.timeSeparator;
        } else if (c == '"') {
            const std::string::size_type close = pattern.find('"', p + 1);
            out += pattern.substr(p + 1, close == std::string::npos ? std::string::npos : close - p - 1);
            p = close == std::string::npos ? pattern.size() : close + 1;
        } else {
            out += c;
            ++p;
        }
    }
    return out;
}

std::optional<TimeOfDay> ParseLongTime(const LocaleSettings& settings, const std::string& text)
{
    if (auto time = ParseWithPattern(settings, text))
        return time;
    return ParseLeniently(settings, text);
}

}  // namespace brellow
