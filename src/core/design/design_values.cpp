#include "core/design/design_values.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "core/design/design_file.h"

namespace orvendi::design_values {

namespace {

std::optional<double> NonFiniteNamed(const std::string& name) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  if (name == "inf") return kInf;
  if (name == "-inf") return -kInf;
  if (name == "nan") return kNan;
  if (name == "-nan") return -kNan;
  return std::nullopt;
}

std::span<const std::int32_t> AllowedValues(KeyCheck rule) {
  static constexpr std::int32_t kZeroOrOne[] = {0, 1};
  static constexpr std::int32_t kOneOrTwo[] = {1, 2};
  static constexpr std::int32_t kOneToThree[] = {1, 2, 3};
  static constexpr std::int32_t kZeroToTwo[] = {0, 1, 2};
  static constexpr std::int32_t kZeroToFour[] = {0, 1, 2, 3, 4};
  switch (rule) {
    case KeyCheck::kZeroOrOne:
      return kZeroOrOne;
    case KeyCheck::kOneOrTwo:
      return kOneOrTwo;
    case KeyCheck::kOneToThree:
      return kOneToThree;
    case KeyCheck::kZeroToFour:
      return kZeroToFour;
    case KeyCheck::kZeroToTwo:
      return kZeroToTwo;
    case KeyCheck::kScalePercent:
      return kStoredScalePercents;
    default:
      return {};
  }
}

// "0, 1 or 2".
std::string ListOfChoices(std::span<const std::int32_t> values) {
  std::string list;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) list += i + 1 == values.size() ? " or " : ", ";
    list += Text(values[i]);
  }
  return list;
}

}  // namespace

// A JSON value as a message names it.
std::string Describe(const nlohmann::json& value) {
  if (value.is_string()) return "the string \"" + MessageExcerpt(value.get_ref<const std::string&>()) + "\"";
  if (value.is_number_float()) return Text(value.get<double>());
  if (value.is_number_unsigned()) return Text(value.get<std::uint64_t>());
  if (value.is_number_integer()) return Text(value.get<std::int64_t>());
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_null()) return "null";
  return value.is_object() ? "an object" : "an array";
}

std::optional<double> ReadNumber(const nlohmann::json& value, const std::string& key, KeyCheck rule,
                                 Problems& problems) {
  std::optional<double> number;
  if (value.is_number_float()) {
    number = value.get<double>();
  } else if (value.is_number_unsigned()) {
    number = static_cast<double>(value.get<std::uint64_t>());
  } else if (value.is_number_integer()) {
    number = static_cast<double>(value.get<std::int64_t>());
  } else if (value.is_string()) {
    number = NonFiniteNamed(value.get_ref<const std::string&>());
  }
  if (rule == KeyCheck::kFiniteNumber && !(number && std::isfinite(*number))) {
    problems.push_back({key, "must be a finite number, not " + Describe(value)});
    return std::nullopt;
  }
  if (rule == KeyCheck::kPositive && !(number && std::isfinite(*number) && *number > 0.0)) {
    problems.push_back({key, "must be a finite number above 0, not " + Describe(value)});
    return std::nullopt;
  }
  if (rule == KeyCheck::kZeroOrAbove && !(number && std::isfinite(*number) && *number >= 0.0)) {
    problems.push_back({key, "must be a finite number, 0 or above, not " + Describe(value)});
    return std::nullopt;
  }
  if (rule == KeyCheck::kMagnification && !(number && ValidErrorMagnification(*number))) {
    problems.push_back({key, "must be a finite number from " + Text(kMinErrorMagnification) + " to " +
                                 Text(kMaxErrorMagnification) + ", not " + Describe(value)});
    return std::nullopt;
  }
  if (!number) {
    problems.push_back({key, "must be a number (or \"inf\", \"-inf\", \"nan\"), not " + Describe(value)});
  }
  return number;
}

std::optional<std::int32_t> ReadWhole(const nlohmann::json& value, const std::string& key, KeyCheck rule,
                                      Problems& problems) {
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  std::optional<std::int64_t> whole;
  bool integral = true;
  if (value.is_number_unsigned()) {
    const std::uint64_t u = value.get<std::uint64_t>();
    if (u <= static_cast<std::uint64_t>(kHighest)) whole = static_cast<std::int64_t>(u);
  } else if (value.is_number_integer()) {
    const std::int64_t i = value.get<std::int64_t>();
    if (i >= kLowest && i <= kHighest) whole = i;
  } else if (value.is_number_float()) {
    const double d = value.get<double>();
    integral = d == std::trunc(d);
    if (integral && d >= static_cast<double>(kLowest) && d <= static_cast<double>(kHighest)) {
      whole = static_cast<std::int64_t>(d);
    }
  } else {
    integral = false;
  }
  const std::span<const std::int32_t> allowed = AllowedValues(rule);
  if (!allowed.empty() && !(whole && std::find(allowed.begin(), allowed.end(), *whole) != allowed.end())) {
    problems.push_back({key, "must be " + ListOfChoices(allowed) + ", not " + Describe(value)});
    return std::nullopt;
  }
  if (!integral) {
    problems.push_back({key, "must be a whole number, not " + Describe(value)});
    return std::nullopt;
  }
  if (!whole) {
    problems.push_back({key, "must be a whole number from " + Text(kLowest) + " to " + Text(kHighest) +
                                 ", not " + Describe(value)});
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*whole);
}

void ReadFlags(const nlohmann::json& value, const std::string& key, KeyCheck rule, CoilFlags& flags,
               Problems& problems) {
  if (!value.is_array() || value.size() != flags.size()) {
    problems.push_back({key, "must be an array of " + Text(flags.size()) + " values, not " +
                                 (value.is_array() ? "one of " + Text(value.size()) : Describe(value))});
    return;
  }
  for (std::size_t k = 0; k < flags.size(); ++k) {
    if (const auto flag = ReadWhole(value[k], JoinKeyPath(key, k), rule, problems)) flags[k] = *flag;
  }
}

}  // namespace orvendi::design_values
