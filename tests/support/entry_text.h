#pragma once

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "core/design/number_text.h"

namespace orvendi::testing {

using Rng = std::mt19937_64;

inline bool Chance(Rng& rng, double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; }

inline int Pick(Rng& rng, int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); }

template <class T, std::size_t N>
const T& PickOf(Rng& rng, const std::array<T, N>& items) {
  return items[static_cast<std::size_t>(Pick(rng, static_cast<int>(N)))];
}

// The shortest text that reads back to `value`, '.' for the point whatever the locale.
inline std::string ShortestText(double value) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// Entries that have broken number readers somewhere: non-finite words, the ends of the double and
// int ranges, a locale's comma, other scripts' digits, control and direction characters.
inline constexpr std::array<std::string_view, 48> kHostileEntries{
    "nan", "-nan", "NaN(123)", "inf", "-inf", "Infinity", "-INFINITY", "1e308", "-1e308", "1e309",
    "-1e309", "4.9e-324", "2.5e-324", "1e-400", "-0", "0", "-0.0", "2147483647", "2147483648",
    "-2147483648", "-2147483649", "9223372036854775808", "18446744073709551616", "0x1p3", "0x",
    "1,5", "1.5.5", "  7  ", "\t12", "", " ", "e5", "+", "-", ".", "5e", "1e+", "--1", "+-1",
    "\xef\xbc\x91\xef\xbc\x92",                  // full-width digits
    "\xd9\xa3\xd9\xab\xd9\xa5",                  // Arabic-Indic 3.5
    "\xc2\xbd",                                  // one half
    "\xf0\x9f\x98\x80",                          // an emoji
    "\xe2\x80\xae" "12",                         // right-to-left override
    std::string_view("12\0" "5", 4),             // an embedded NUL
    "1\xcc\x81",                                 // a combining accent
    "\xff\xfe",                                  // bytes that are not UTF-8
    "%s%n%d",
};

// Something a user might type into a number entry that now shows `current`: mostly numbers near
// what is there or small counts, which keep a design usable, else text meant to break a reader.
inline std::string EntryText(Rng& rng, std::string_view current) {
  const int kind = Pick(rng, 10);
  if (kind < 4) {
    const std::optional<double> value = ReadDouble(current);
    const double base = value && std::isfinite(*value) ? *value : 1.0;
    static constexpr std::array<double, 8> kFactors{0.5, 0.9, 0.99, 1.0, 1.01, 1.1, 2.0, -1.0};
    return ShortestText(base * PickOf(rng, kFactors));
  }
  if (kind < 6) return std::to_string(std::uniform_int_distribution<int>(-3, 60)(rng));
  if (kind < 9) return std::string(PickOf(rng, kHostileEntries));
  // Long text: a number with thousands of digits, or noise.
  const int length = std::uniform_int_distribution<int>(100, 20000)(rng);
  if (Chance(rng, 0.5)) return "1" + std::string(static_cast<std::size_t>(length), '0');
  std::string noise;
  for (int i = 0; i < length; ++i) noise += static_cast<char>(std::uniform_int_distribution<int>(32, 126)(rng));
  return noise;
}

}  // namespace orvendi::testing
