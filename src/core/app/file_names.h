#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendi {

// What design files are called, and what the window and the user's data folder call them.

inline constexpr std::string_view kDesignExtension = ".orvendi";

// The window title: the file's name with Qt's modified placeholder, "Untitled" before the first
// save: "design.orvendi[*] - Orvendi".
std::string WindowTitle(std::string_view path);

// The last part of a path.
std::string FileNameOf(std::string_view path);

// Adds `path` to the front of the recent list, dropping an earlier entry of it and anything past
// the list's length.
std::vector<std::string> AddRecentFile(std::vector<std::string> recent, const std::string& path);
std::vector<std::string> RemoveRecentFile(std::vector<std::string> recent, const std::string& path);
// Caption of item `index` (0 first) of Open Recent: "&1 design.orvendi".
std::string RecentFileCaption(int index, std::string_view path);

// Each running program keeps its unsaved design in files of its own in the recovery folder,
// named by its process id: the design, the lock held while it runs, and a text file holding the
// path the design was last saved to (absent while untitled).
struct RecoveryNames {
  std::string design;
  std::string lock;
  std::string source;
};
RecoveryNames RecoveryNamesFor(std::int64_t pid);
// The process id of a recovery design file's name; none for any other name.
std::optional<std::int64_t> RecoveryPid(std::string_view file_name);

}  // namespace orvendi
