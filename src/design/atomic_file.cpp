#include "design/atomic_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <system_error>

namespace orvendi {

namespace {

std::string Reason(int err) { return std::generic_category().message(err); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view content, int& err) {
  while (!content.empty()) {
    const ssize_t written = write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The kernel shows the mask; setting it to read it back would, for a moment, give files that
// other threads create no mask at all.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    const std::size_t digits = line.find_first_of("01234567");
    unsigned mask = 0;
    if (digits != std::string::npos &&
        std::from_chars(line.data() + digits, line.data() + line.size(), mask, 8).ec == std::errc()) {
      return static_cast<mode_t>(mask);
    }
  }
  return 022;
}

// Makes the rename itself durable; a folder that cannot be synced still holds the new file.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error) {
  const auto fail = [&](const std::string& what, int err) {
    error = "cannot write " + path + ": " + what;
    if (err != 0) error += ": " + Reason(err);
    return false;
  };
  if (path.empty()) return fail("no file name given", 0);

  std::string target = path;
  struct stat existing {};
  bool exists = false;
  if (lstat(path.c_str(), &existing) == 0) {
    if (S_ISLNK(existing.st_mode)) {
      char* resolved = realpath(path.c_str(), nullptr);
      if (resolved == nullptr) return fail("the symbolic link cannot be followed", errno);
      target = resolved;
      free(resolved);
      if (stat(target.c_str(), &existing) != 0) return fail("the symbolic link cannot be followed", errno);
    }
    exists = true;
    if (S_ISDIR(existing.st_mode)) return fail("it is a directory", 0);
    if (!S_ISREG(existing.st_mode)) return fail("it is not a regular file", 0);
  } else if (errno != ENOENT) {
    return fail("cannot look at it", errno);
  }

  const std::string folder = FolderOf(target);
  std::string temp = (folder == "/" ? "/." : folder + "/.") + NameOf(target) + ".XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return fail("cannot create a temporary file in " + folder, errno);

  const auto abandon = [&](const std::string& what, int err) {
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    return fail(what, err);
  };

  mode_t mode = 0666 & ~CurrentUmask();
  if (exists) {
    mode = existing.st_mode & 07777;
    // Only root may give the file away; for anyone else the new file is simply theirs.
    [[maybe_unused]] const int owner_kept = fchown(fd, existing.st_uid, existing.st_gid);
  }
  if (fchmod(fd, mode) != 0) return abandon("cannot set the permissions", errno);
  int err = 0;
  if (!WriteAll(fd, content, err)) return abandon("writing failed", err);
  if (fsync(fd) != 0) return abandon("flushing to disk failed", errno);
  const int closing = close(fd);
  fd = -1;
  if (closing != 0) return abandon("closing failed", errno);
  if (rename(temp.c_str(), target.c_str()) != 0) return abandon("cannot replace it", errno);
  SyncFolder(folder);
  return true;
}

}  // namespace orvendi
