#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/design/design_schema.h"
#include "core/design/json_text.h"

// The values of a design file one by one: each read under its key's check, with the message for
// one that is refused, and a double as the file writes it.
namespace orvendi::design_values {

struct Problem {
  std::string key;  // or a line and column; empty for the file as a whole
  std::string what;
};
using Problems = std::vector<Problem>;

template <class Number>
std::string Text(Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A JSON value as a message names it.
std::string Describe(const nlohmann::json& value);

// A number, or "inf", "-inf", "nan", "-nan"; empty, with the problem added, where the check refuses it.
std::optional<double> ReadNumber(const nlohmann::json& value, const std::string& key, KeyCheck rule,
                                 Problems& problems);

// A whole number in 32 bits, one of the check's choices where it has any.
std::optional<std::int32_t> ReadWhole(const nlohmann::json& value, const std::string& key, KeyCheck rule,
                                      Problems& problems);

// An array of nine whole numbers; a refused element leaves its flag as it was.
void ReadFlags(const nlohmann::json& value, const std::string& key, KeyCheck rule, CoilFlags& flags,
               Problems& problems);

// A double as the file writes it: a finite one as a number, any other as "inf", "-inf", "nan" or
// "-nan".
template <class J>
J NumberJson(double value) {
  if (std::isfinite(value)) return J(value);
  if (std::isnan(value)) return J(std::signbit(value) ? "-nan" : "nan");
  return J(value > 0 ? "inf" : "-inf");
}

}  // namespace orvendi::design_values
