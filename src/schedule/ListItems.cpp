#include "schedule/ListItems.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace brellow {

namespace {

bool IsBlank(char c)
{
    const unsigned char code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

void SkipBlanks(const std::string& text, std::string::size_type& pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
}

// The quoted item starting at pos, without its quotes; an unclosed quote runs to the end.
std::string QuotedItem(const std::string& text, std::string::size_type& pos)
{
    std::string item;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] != '"') {
            item += text[pos++];
        } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
            item += '"';
            pos += 2;
        } else {
            ++pos;
            break;
        }
    }
    return item;
}

}  // namespace

std::vector<std::string> SplitListText(const std::string& text)
{
    std::vector<std::string> items;
    std::string::size_type pos = 0;
    SkipBlanks(text, pos);
    while (pos < text.size()) {
        if (text[pos] == '"') {
            items.push_back(QuotedItem(text, pos));
        } else {
            const std::string::size_type start = pos;
            while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ',')
                ++pos;
            items.push_back(text.substr(start, pos - start));
        }
        SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
            if (pos + 1 == text.size())
                items.emplace_back();
            ++pos;
            SkipBlanks(text, pos);
        }
    }
    return items;
}

std::optional<int> WholeNumber(const std::string& text)
{
    std::string::size_type digits = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        digits = 1;
    if (digits == text.size())
        return std::nullopt;
    for (std::string::size_type i = digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    }
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace brellow
