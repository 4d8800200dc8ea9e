#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvendi {

// How a dialog shows a number, by its printf conversion. Output never depends on the process
// locale: the decimal separator is always '.'.
enum class ShowFormat {
  kGeneral,  // "%g" and "%lg": six significant digits, no trailing zeros
  kFixed3,   // "%3.3lf": three decimals
  kFixed6,   // "%lf": six decimals
};

// Most characters of an entry that are looked at when it is read back.
inline constexpr std::size_t kEntryTextLimit = 128;

std::string FormatNumber(double value, ShowFormat format);
// "%d".
std::string FormatInteger(std::int32_t value);

// "%lf": skips leading blanks and converts the longest leading number as strtod does in the
// "C" locale (decimal or hexadecimal, "inf", "infinity", "nan"); the rest is ignored. A
// magnitude beyond the double range reads as +-inf, one below it as 0 or a subnormal. Empty
// when the text does not begin with a number. Only the first kEntryTextLimit characters count.
std::optional<double> ReadDouble(std::string_view text);

// A whole text as a double: no blanks, nothing after the number, '.' as the decimal point, a
// leading '+' allowed ("0.5", "+2e-3", "inf"). False with "\"TEXT\" is not a number" or
// "\"TEXT\" is out of range" otherwise.
bool ReadWholeDouble(std::string_view text, double& value, std::string& error);
// The text without the blanks (spaces, tabs, line breaks) at its ends.
std::string TrimBlanks(std::string_view text);

// A whole text as a decimal int: no blanks, no sign other than '-', nothing after the digits.
bool ReadWholeInt(std::string_view text, int& value);

// "%d": skips leading blanks, takes an optional sign and the leading decimal digits ("12.7"
// gives 12). Empty when there are no digits or the value does not fit in 32 bits.
std::optional<std::int32_t> ReadInteger(std::string_view text);

}  // namespace orvendi
