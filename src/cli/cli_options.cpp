#include "cli/cli_options.h"

#include "core/platform/compute_threads.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace orvendi {

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Digits that run past the type's range count as a number out of range, not as a non-number.
enum class Reading { kNumber, kNotANumber, kOutOfRange };

template <class Number>
Reading ReadWhole(std::string_view text, Number& value) {
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(text.data(), last, value);
  if (text.empty() || result.ec == std::errc::invalid_argument || result.ptr != last)
    return Reading::kNotANumber;
  return result.ec == std::errc() ? Reading::kNumber : Reading::kOutOfRange;
}

}  // namespace

std::optional<int> ParseWholeOption(std::string_view option, std::string_view text, int min, int max,
                                    std::string& error) {
  long long value = 0;
  const Reading reading = ReadWhole(text, value);
  if (reading == Reading::kNotANumber) {
    error = std::string(option) + ": " + Quoted(text) + " is not a whole number";
    return std::nullopt;
  }
  if (reading == Reading::kOutOfRange || value < min || value > max) {
    error = std::string(option) + " must be from " + std::to_string(min) + " to " + std::to_string(max) +
            ", not " + std::string(text);
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::optional<std::uint64_t> ParseSeedOption(std::string_view text, std::string& error) {
  std::uint64_t seed = 0;
  if (ReadWhole(text, seed) != Reading::kNumber) {
    error = "--seed: " + Quoted(text) + " is not a whole number from 0 to " +
            std::to_string(std::numeric_limits<std::uint64_t>::max());
    return std::nullopt;
  }
  return seed;
}

std::optional<int> ParseThreadsOption(std::string_view text, std::string& error) {
  // Without the option, every core.
  const std::optional<int> threads =
      text.empty() ? std::optional<int>(0) : ParseWholeOption("--threads", text, 1, kMaxComputeThreads, error);
  if (threads && !SetComputeThreads(*threads)) {
    error = "--threads: " + std::to_string(*threads) + " threads cannot be set";
    return std::nullopt;
  }
  return threads;
}

}  // namespace orvendi
