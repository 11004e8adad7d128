#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brellow {

// Splits a stored list text into its items. Blanks and control characters (codes 1 to 32)
// before an item and after it are skipped; an item starting with a double quote runs to
// the closing quote (a doubled quote inside stands for one); any other item ends at a
// comma or a blank, so a blank separates like a comma. Two commas in a row give an empty
// item between them, and a comma that ends the text gives a last, empty item.
std::vector<std::string> SplitListText(const std::string& text);

// A whole decimal number with an optional sign; nothing for any other text, the empty
// text included.
std::optional<int> WholeNumber(const std::string& text);

}  // namespace brellow
