#pragma once

#include <string>
#include <string_view>

namespace orvendi {

// Replaces the file at `path` with `content` so that a reader, a crash or a full disk never sees
// a partial file: the content goes into a new temporary file in the same folder, which is
// flushed to disk and then renamed over the target. An existing target keeps its permission
// bits (and, where allowed, its owner); a symbolic link keeps pointing at the file it names,
// which is the one replaced. A target that is a directory or not a regular file is refused.
// On failure returns false with a one-line message naming the path, the target is as before
// and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error);

}  // namespace orvendi
