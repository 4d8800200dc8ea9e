#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvendi {

// Deepest nesting of arrays and objects a JSON text may have.
inline constexpr std::size_t kMaxJsonDepth = 64;

// Where a JSON text is wrong ("line 3, column 7", or the key path "generators[1].x") and how.
struct JsonTextProblem {
  std::string where;
  std::string what;
};

// Parses one JSON value, refusing what nlohmann would let through silently: a key that appears
// twice in one object (the later would win) and nesting deeper than kMaxJsonDepth. Line and
// column count from 1; a column counts characters, not bytes.
std::optional<JsonTextProblem> ParseJsonStrictly(std::string_view text, nlohmann::json& root);

// A piece of the input as a message may quote it: at most `limit` characters, printable ASCII
// (others shown as '?'), "..." where it was cut.
std::string MessageExcerpt(std::string_view text, std::size_t limit = 40);

// "generators[1].x" from a key path's parts: `parent` + ".key" or "[index]".
std::string JoinKeyPath(std::string_view parent, std::string_view key);
std::string JoinKeyPath(std::string_view parent, std::size_t index);

}  // namespace orvendi
