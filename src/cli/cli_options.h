#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvendi {

// Exit statuses of orvendi-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // a computation or its output failed
inline constexpr int kExitUsage = 2;          // a bad argument, or a design file that does not read
inline constexpr int kExitInterrupted = 130;  // SIGINT or SIGTERM, as shells report a Ctrl-C

// Whole decimal numbers of the command line, read strictly: the whole text, digits only (a '-'
// where negatives make sense), no blanks, no hexadecimal, no octal. Empty with a message naming
// the option when the text is not such a number or lies outside [min, max].
std::optional<int> ParseWholeOption(std::string_view option, std::string_view text, int min, int max,
                                    std::string& error);
std::optional<std::uint64_t> ParseSeedOption(std::string_view text, std::string& error);

// `--threads N`: at least 1. The value does not change any result; it is checked so that a
// script written now keeps working when it takes effect.
std::optional<int> ParseThreadsOption(std::string_view text, std::string& error);

}  // namespace orvendi
