#include "platform/CharSteps.h"

namespace brellow {

std::string::size_type CharLength(const std::string& text, std::string::size_type pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::string::size_type length = 1;
    if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC2 && lead < 0xE0)
        length = 2;
    if (pos + length > text.size())
        return 1;
    for (std::string::size_type i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

std::string::size_type LastSeparator(const std::string& text)
{
    std::string::size_type found = std::string::npos;
    for (std::string::size_type pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == kSeparator)
            found = pos;
    }
    return found;
}

bool EndsWithSeparator(const std::string& text)
{
    const std::string::size_type last = LastSeparator(text);
    return last != std::string::npos && last + 1 == text.size();
}

}  // namespace brellow
