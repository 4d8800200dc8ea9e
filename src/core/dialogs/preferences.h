#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvendi {

// What the Threads entry of the Preferences dialog says when it holds anything else.
inline constexpr std::string_view kThreadsProblem =
    "Threads must be a whole number from 1 to 256, or 0 or empty for every core.";

// The Threads entry: empty or 0 for every core, else a whole number 1 .. kMaxComputeThreads,
// blanks around it allowed. Empty for any other text.
std::optional<int> ReadThreadsEntry(std::string_view text);

// The entry as the dialog opens with it: empty for every core.
std::string ShowThreadsEntry(int threads);

}  // namespace orvendi
