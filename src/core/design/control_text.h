#pragma once

#include <string>
#include <string_view>

namespace orvendi {

// `text` with its control characters written out, so that a file name in a message cannot break
// its line or send commands to a terminal: "\n", "\r" and "\t" for those, "\xNN" for the other
// bytes below 0x20 and 0x7F, "\u0080" to "\u009F" for the C1 controls in UTF-8. Every other
// byte, a backslash included, is kept.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace orvendi
