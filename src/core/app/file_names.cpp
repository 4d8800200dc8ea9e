#include "core/app/file_names.h"

#include <algorithm>
#include <charconv>

#include "core/app/menu_model.h"

namespace orvendi {

namespace {

constexpr std::string_view kRecoveryPrefix = "recovery-";

std::string IntegerText(std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

}  // namespace

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string WindowTitle(std::string_view path) {
  const std::string name = path.empty() ? std::string("Untitled") : FileNameOf(path);
  return name + "[*] - Orvendi";
}

std::vector<std::string> AddRecentFile(std::vector<std::string> recent, const std::string& path) {
  recent = RemoveRecentFile(std::move(recent), path);
  recent.insert(recent.begin(), path);
  if (recent.size() > static_cast<std::size_t>(kRecentFileCount)) recent.resize(kRecentFileCount);
  return recent;
}

std::vector<std::string> RemoveRecentFile(std::vector<std::string> recent, const std::string& path) {
  recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
  return recent;
}

std::string RecentFileCaption(int index, std::string_view path) {
  // The file name may hold '&', which would otherwise turn the next letter into a mnemonic.
  std::string name;
  for (char c : FileNameOf(path)) {
    if (c == '&') name += '&';
    name += c;
  }
  return "&" + IntegerText(index + 1) + " " + name;
}

RecoveryNames RecoveryNamesFor(std::int64_t pid) {
  const std::string stem = std::string(kRecoveryPrefix) + IntegerText(pid);
  return RecoveryNames{stem + std::string(kDesignExtension), stem + ".lock", stem + ".source"};
}

std::optional<std::int64_t> RecoveryPid(std::string_view file_name) {
  if (!file_name.starts_with(kRecoveryPrefix) || !file_name.ends_with(kDesignExtension)) return std::nullopt;
  const std::string_view digits =
      file_name.substr(kRecoveryPrefix.size(), file_name.size() - kRecoveryPrefix.size() - kDesignExtension.size());
  if (digits.empty() || digits.front() == '-' || digits.front() == '+') return std::nullopt;
  std::int64_t pid = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) return std::nullopt;
  return pid;
}

}  // namespace orvendi
