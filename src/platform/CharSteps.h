#pragma once

#include <string>

namespace brellow {

// Path texts are multi-byte (UTF-8). Separator searches step over whole characters so
// that no byte inside a character is ever taken for a separator.

constexpr char kSeparator = '/';

// Byte length of the character starting at text[pos]; a stray byte counts as one.
std::string::size_type CharLength(const std::string& text, std::string::size_type pos);

// Byte position of the last separator character, or npos.
std::string::size_type LastSeparator(const std::string& text);

// True when the last whole character of the text is the separator.
bool EndsWithSeparator(const std::string& text);

}  // namespace brellow
