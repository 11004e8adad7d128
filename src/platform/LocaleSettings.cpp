#include "platform/LocaleSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstdio>

namespace brellow {

namespace {

bool IsAsciiPunct(const std::string& text)
{
    return text.size() == 1 && std::ispunct(static_cast<unsigned char>(text[0]));
}

// The literal between the first two numeric fields of a strftime format, when it is a
// single punctuation character; otherwise the fallback.
std::string SeparatorOf(const std::string& format, const std::string& fallback)
{
    std::string::size_type pos = format.find('%');
    if (pos == std::string::npos || pos + 1 >= format.size())
        return fallback;
    pos += 2;
    while (pos < format.size() && (format[pos - 1] == 'E' || format[pos - 1] == 'O'))
        ++pos;
    const std::string::size_type next = format.find('%', pos);
    const std::string literal = format.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    return IsAsciiPunct(literal) ? literal : fallback;
}

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

// Plain 24-hour "H:mm" or "H:mm:ss".
std::optional<TimeOfDay> ParsePlain24Hour(const std::string& text)
{
    LocaleSettings plain;
    plain.longTimePattern = "h:nn:ss";
    plain.timeSeparator = ":";
    if (auto time = ParseWithPattern(plain, text))
        return time;
    plain.longTimePattern = "h:nn";
    return ParseWithPattern(plain, text);
}

}  // namespace

LocaleSettings LocaleSettings::FromEnvironment()
{
    LocaleSettings settings;
    const locale_t user = ::newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr))
        return settings;
    const std::string timeFormat = ::nl_langinfo_l(T_FMT, user);
    const std::string ampmFormat = ::nl_langinfo_l(T_FMT_AMPM, user);
    const std::string dateFormat = ::nl_langinfo_l(D_FMT, user);
    const std::string pattern = LongTimePatternFromStrftime(timeFormat, ampmFormat);
    if (pattern.find('h') != std::string::npos && pattern.find('n') != std::string::npos)
        settings.longTimePattern = pattern;
    settings.timeSeparator = SeparatorOf(timeFormat == "%r" ? ampmFormat : timeFormat, ":");
    settings.dateSeparator = SeparatorOf(dateFormat, "/");
    settings.amMarker = ::nl_langinfo_l(AM_STR, user);
    settings.pmMarker = ::nl_langinfo_l(PM_STR, user);
    const std::string radix = ::nl_langinfo_l(RADIXCHAR, user);
    if (!radix.empty())
        settings.decimalSeparator = radix;
    ::freelocale(user);
    return settings;
}

const LocaleSettings& UserLocale()
{
    static const LocaleSettings settings = LocaleSettings::FromEnvironment();
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
    return ParsePlain24Hour(text);
}

}  // namespace brellow
