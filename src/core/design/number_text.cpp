#include "core/design/number_text.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace orvendi {

namespace {

// The "C" locale, built once and never changed, so reading does not follow setlocale.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::string FormatNumber(double value, ShowFormat format) {
  // Wide enough for "%lf" of the largest double: 309 integer digits, sign, point, six decimals.
  char buffer[400];
  std::to_chars_result result{};
  switch (format) {
    case ShowFormat::kGeneral:
      result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
      break;
    case ShowFormat::kFixed3:
      result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
      break;
    case ShowFormat::kFixed6:
      result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
      break;
  }
  if (result.ec != std::errc()) return std::string();
  return std::string(buffer, result.ptr);
}

std::string FormatInteger(std::int32_t value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<double> ReadDouble(std::string_view text) {
  const std::string entry(text.substr(0, kEntryTextLimit));
  const locale_t locale = CLocale();
  if (locale == static_cast<locale_t>(nullptr)) return std::nullopt;
  char* end = nullptr;
  const double value = strtod_l(entry.c_str(), &end, locale);
  if (end == entry.c_str()) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ReadInteger(std::string_view text) {
  text = text.substr(0, kEntryTextLimit);
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // Read the magnitude as 64 bits so that -2147483648 fits before the sign is applied.
  std::int64_t magnitude = 0;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(first, last, magnitude);
  if (result.ptr == first || (first < last && *first == '-')) return std::nullopt;
  if (result.ec != std::errc()) return std::nullopt;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool ReadWholeDouble(std::string_view text, double& value, std::string& error) {
  std::string_view digits = text;
  if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-' && digits[1] != '+') digits.remove_prefix(1);
  const char* last = digits.data() + digits.size();
  const auto result = std::from_chars(digits.data(), last, value);
  if (digits.empty() || result.ec == std::errc::invalid_argument || result.ptr != last) {
    error = "\"" + std::string(text) + "\" is not a number";
    return false;
  }
  if (result.ec == std::errc::result_out_of_range) {
    error = "\"" + std::string(text) + "\" is out of range";
    return false;
  }
  return true;
}

std::string TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

bool ReadWholeInt(std::string_view text, int& value) {
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(text.data(), last, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == last;
}

}  // namespace orvendi
