#pragma once
// How every edit field is read: the longest leading decimal number of the text, in the
// C locale whatever the user's locale, 0 when there is none.
#include <optional>
#include <string_view>

namespace lumo::model {

double readEntry(std::string_view text);

// Truncation toward zero to an int; no value when the number is not finite or
// outside the int range (such an entry is out of range, never undefined behaviour).
std::optional<int> truncateToInt(double v);

}  // namespace lumo::model
