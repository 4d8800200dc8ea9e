#include "core/design/json_text.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <vector>

namespace orvendi {

namespace {

using Json = nlohmann::json;

std::string Decimal(std::size_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

std::string LineAndColumn(std::string_view text, std::size_t offset) {
  const std::string_view before = text.substr(0, std::min(offset, text.size()));
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t newline = before.rfind('\n');
  const std::string_view this_line = newline == std::string_view::npos ? before : before.substr(newline + 1);
  // UTF-8 continuation bytes do not begin a character.
  const std::size_t column = 1 + static_cast<std::size_t>(std::count_if(this_line.begin(), this_line.end(), [](char c) {
                               return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                             }));
  return "line " + Decimal(line) + ", column " + Decimal(column);
}

constexpr std::size_t kPathLimit = 160;

// nlohmann's explanation without its prefix, its own position and the echo of the input, which
// may be megabytes long.
std::string Explanation(const std::string& message) {
  std::string text = message;
  const std::size_t column = text.find("column ");
  const std::size_t colon = text.find(": ", column == std::string::npos ? 0 : column);
  if (colon != std::string::npos) text.erase(0, colon + 2);
  const std::size_t last_read = text.find("; last read: '");
  if (last_read != std::string::npos) {
    const std::size_t expected = text.find("'; expected ", last_read);
    text = text.substr(0, last_read) + (expected == std::string::npos ? "" : text.substr(expected + 1));
  }
  return text;
}

// A SAX pass that builds nothing: it finds the first syntax error with its position, and what
// the DOM parser would accept silently.
class StrictChecker {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  explicit StrictChecker(std::string_view text) : text_(text) {}

  const std::optional<JsonTextProblem>& problem() const { return problem_; }

  bool null() { return Element(); }
  bool boolean(bool) { return Element(); }
  bool number_integer(number_integer_t) { return Element(); }
  bool number_unsigned(number_unsigned_t) { return Element(); }
  bool number_float(number_float_t, const string_t&) { return Element(); }
  bool string(string_t&) { return Element(); }
  bool binary(binary_t&) { return Element(); }
  bool start_object(std::size_t) { return Element() && Open(true); }
  bool start_array(std::size_t) { return Element() && Open(false); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(string_t& name) {
    Frame& frame = frames_.back();
    frame.key = name;
    if (!frame.keys.insert(name).second) {
      problem_ = JsonTextProblem{MessageExcerpt(CurrentPath(), kPathLimit), "appears twice in one object"};
      return false;
    }
    return true;
  }

  bool parse_error(std::size_t position, const std::string& last_token, const nlohmann::detail::exception& ex) {
    // A number too large for a double is reported after its last character; point at its first.
    if (ex.id == 406) {
      const std::size_t start = position - std::min(position, last_token.size());
      problem_ = JsonTextProblem{LineAndColumn(text_, start),
                                 "the number " + MessageExcerpt(last_token) + " is beyond the range of a double"};
    } else {
      problem_ = JsonTextProblem{LineAndColumn(text_, position == 0 ? 0 : position - 1),
                                 "malformed JSON: " + Explanation(ex.what())};
    }
    return false;
  }

 private:
  struct Frame {
    bool object = false;
    std::size_t count = 0;  // elements of an array so far
    std::string key;        // the object's current key
    std::set<std::string, std::less<>> keys;
  };

  bool Element() {
    if (!frames_.empty() && !frames_.back().object) ++frames_.back().count;
    return true;
  }

  bool Open(bool object) {
    if (frames_.size() >= kMaxJsonDepth) {
      problem_ = JsonTextProblem{MessageExcerpt(CurrentPath(), kPathLimit),
                                 "arrays and objects nested more than " + Decimal(kMaxJsonDepth) + " deep"};
      return false;
    }
    frames_.push_back(Frame{object, 0, {}, {}});
    return true;
  }

  bool Close() {
    frames_.pop_back();
    return true;
  }

  std::string CurrentPath() const {
    std::string path;
    for (const Frame& frame : frames_) {
      path = frame.object ? JoinKeyPath(path, frame.key) : JoinKeyPath(path, frame.count - 1);
    }
    return path;
  }

  std::string_view text_;
  std::vector<Frame> frames_;
  std::optional<JsonTextProblem> problem_;
};

}  // namespace

std::string MessageExcerpt(std::string_view text, std::size_t limit) {
  std::string excerpt;
  for (const char c : text.substr(0, limit)) {
    const auto u = static_cast<unsigned char>(c);
    excerpt += u >= 0x20 && u < 0x7f ? c : '?';
  }
  if (text.size() > limit) excerpt += "...";
  return excerpt;
}

std::string JoinKeyPath(std::string_view parent, std::string_view key) {
  std::string path(parent);
  if (!path.empty()) path += '.';
  path += key;
  return path;
}

std::string JoinKeyPath(std::string_view parent, std::size_t index) {
  return std::string(parent) + "[" + Decimal(index) + "]";
}

std::optional<JsonTextProblem> ParseJsonStrictly(std::string_view text, nlohmann::json& root) {
  StrictChecker checker(text);
  if (!Json::sax_parse(text.begin(), text.end(), &checker)) {
    return checker.problem().value_or(JsonTextProblem{"", "malformed JSON"});
  }
  try {
    root = Json::parse(text.begin(), text.end());
  } catch (const Json::exception& ex) {
    return JsonTextProblem{"", "malformed JSON: " + Explanation(ex.what())};
  }
  return std::nullopt;
}

}  // namespace orvendi
