#include "core/dialogs/preferences.h"

#include <charconv>

#include "core/design/number_text.h"
#include "core/platform/compute_threads.h"

namespace orvendi {

namespace {

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\f\v";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::optional<int> ReadThreadsEntry(std::string_view text) {
  const std::string_view digits = Trimmed(text);
  if (digits.empty()) return 0;
  int threads = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), threads);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (threads < 0 || threads > kMaxComputeThreads) return std::nullopt;
  return threads;
}

std::string ShowThreadsEntry(int threads) { return threads <= 0 ? std::string() : FormatInteger(threads); }

}  // namespace orvendi
