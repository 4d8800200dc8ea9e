#include "core/design/atomic_file.h"

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

constexpr std::string_view kTemporarySuffix = "XXXXXX";

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

bool AtomicFileWriter::Fail(const std::string& what, int err, std::string& error) {
  Abandon();
  error = "cannot write " + path_ + ": " + what;
  if (err != 0) error += ": " + Reason(err);
  return false;
}

void AtomicFileWriter::Abandon() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  unlink(temp_.c_str());
}

bool AtomicFileWriter::Open(const std::string& path, std::string& error) {
  Abandon();
  path_ = path;
  if (path.empty()) return Fail("no file name given", 0, error);

  target_ = path;
  struct stat existing {};
  bool exists = false;
  if (lstat(path.c_str(), &existing) == 0) {
    if (S_ISLNK(existing.st_mode)) {
      char* resolved = realpath(path.c_str(), nullptr);
      if (resolved == nullptr) return Fail("the symbolic link cannot be followed", errno, error);
      target_ = resolved;
      free(resolved);
      if (stat(target_.c_str(), &existing) != 0)
        return Fail("the symbolic link cannot be followed", errno, error);
    }
    exists = true;
    if (S_ISDIR(existing.st_mode)) return Fail("it is a directory", 0, error);
    if (!S_ISREG(existing.st_mode)) return Fail("it is not a regular file", 0, error);
  } else if (errno != ENOENT) {
    return Fail("cannot look at it", errno, error);
  }

  const std::string folder = FolderOf(target_);
  temp_ = (folder == "/" ? "/." : folder + "/.") + NameOf(target_) + "." + std::string(kTemporarySuffix);
  fd_ = mkostemp(temp_.data(), O_CLOEXEC);
  if (fd_ < 0) return Fail("cannot create a temporary file in " + folder, errno, error);

  mode_t mode = 0666 & ~CurrentUmask();
  if (exists) {
    mode = existing.st_mode & 07777;
    // Only root may give the file away; for anyone else the new file is simply theirs.
    [[maybe_unused]] const int owner_kept = fchown(fd_, existing.st_uid, existing.st_gid);
  }
  if (fchmod(fd_, mode) != 0) return Fail("cannot set the permissions", errno, error);
  return true;
}

bool AtomicFileWriter::Write(std::string_view content, std::string& error) {
  if (fd_ < 0) return Fail("the file is not open", 0, error);
  int err = 0;
  if (!WriteAll(fd_, content, err)) return Fail("writing failed", err, error);
  return true;
}

bool AtomicFileWriter::Commit(std::string& error) {
  if (fd_ < 0) return Fail("the file is not open", 0, error);
  if (fsync(fd_) != 0) return Fail("flushing to disk failed", errno, error);
  const int closing = close(fd_);
  fd_ = -1;
  if (closing != 0) {
    const int err = errno;
    unlink(temp_.c_str());
    return Fail("closing failed", err, error);
  }
  if (rename(temp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    unlink(temp_.c_str());
    return Fail("cannot replace it", err, error);
  }
  SyncFolder(FolderOf(target_));
  return true;
}

bool IsTemporaryFileOf(std::string_view entry, std::string_view target_name) {
  const std::size_t length = 1 + target_name.size() + 1 + kTemporarySuffix.size();
  return entry.size() == length && entry.front() == '.' && entry.substr(1, target_name.size()) == target_name &&
         entry[1 + target_name.size()] == '.';
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error) {
  AtomicFileWriter writer;
  return writer.Open(path, error) && writer.Write(content, error) && writer.Commit(error);
}

}  // namespace orvendi
