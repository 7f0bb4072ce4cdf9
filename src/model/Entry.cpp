#include "model/Entry.h"

#include <locale.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace lumo::model {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// The C locale, made once, so a comma-decimal user locale never changes how "0.25" reads.
locale_t cLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

}  // namespace

// Leading white space, an optional sign, digits with at most one decimal point, and an
// exponent only when digits follow it. Hexadecimal forms, "inf" and "nan" are not
// decimal numbers: they read as 0.
double readEntry(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isSpace(text[i])) ++i;
  const std::size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && isDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t expStart = j;
    while (j < n && isDigit(text[j])) ++j;
    if (j > expStart) end = j;
  }
  const std::string number(text.substr(start, end - start));
  // Correctly rounded, overflow to ±infinity and gradual underflow, as atof does.
  return strtod_l(number.c_str(), nullptr, cLocale());
}

std::optional<int> truncateToInt(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double t = std::trunc(v);
  if (t < static_cast<double>(INT_MIN) || t > static_cast<double>(INT_MAX)) return std::nullopt;
  return static_cast<int>(t);
}

}  // namespace lumo::model
