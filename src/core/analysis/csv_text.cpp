#include "core/analysis/csv_text.h"

#include <charconv>
#include <cmath>

namespace orvendi {

std::string NumberText(double value) {
  // Enough for the longest shortest form of a double ("-2.2250738585072014e-308").
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void AppendCsvNumber(std::string& out, double value) {
  if (!std::isnan(value)) out += NumberText(value);
}

void AppendCsvNumbers(std::string& out, std::initializer_list<double> values) {
  for (const double value : values) {
    out.push_back(',');
    AppendCsvNumber(out, value);
  }
}

void AppendCsvInteger(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendCsvGridLine(std::string& out, int first_index, int second_index,
                       std::initializer_list<double> values) {
  AppendCsvInteger(out, first_index);
  out.push_back(',');
  AppendCsvInteger(out, second_index);
  AppendCsvNumbers(out, values);
  out.push_back('\n');
}

void AppendCsvText(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

}  // namespace orvendi
