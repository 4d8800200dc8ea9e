#include "core/design/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <system_error>

namespace orvendi {

namespace {

constexpr std::string_view kTemporarySuffix = "XXXXXX";
// ".", the stem, "." and the suffix make at most the longest name a folder entry may have.
constexpr std::size_t kMaxTemporaryStem = NAME_MAX - 2 - kTemporarySuffix.size();

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

// The target's name, cut for a long one where a UTF-8 character begins.
std::string_view TemporaryStem(std::string_view name) {
  if (name.size() <= kMaxTemporaryStem) return name;
  std::size_t length = kMaxTemporaryStem;
  while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
  return name.substr(0, length);
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

// A rename over an immutable or append-only file fails; where the flags cannot be read, the
// rename will tell.
bool Immutable(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  int flags = 0;
  const bool known = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  close(fd);
  return known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
}

// In a sticky folder only the file's owner, the folder's owner or root may replace a file.
bool StickyForbids(const std::string& folder, uid_t file_owner) {
  struct stat status {};
  if (stat(folder.c_str(), &status) != 0 || (status.st_mode & S_ISVTX) == 0) return false;
  const uid_t me = geteuid();
  return me != 0 && me != file_owner && me != status.st_uid;
}

// Paths of the temporary files that exist now, for a signal handler: a slot is claimed (1),
// filled, then published (2); the handler reads only published ones.
struct TrackedTemporary {
  std::atomic<int> state{0};
  char path[PATH_MAX] = {};
};
std::array<TrackedTemporary, 16> tracked;
static_assert(std::atomic<int>::is_always_lock_free);

int Track(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (std::size_t i = 0; i < tracked.size(); ++i) {
    int expected = 0;
    if (!tracked[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(tracked[i].path, path.c_str(), path.size() + 1);
    tracked[i].state.store(2);
    return static_cast<int>(i);
  }
  return -1;
}

void Untrack(int slot) {
  if (slot >= 0) tracked[static_cast<std::size_t>(slot)].state.store(0);
}

}  // namespace

void RemoveTemporaryFilesNow() {
  for (TrackedTemporary& slot : tracked) {
    if (slot.state.load() == 2) unlink(slot.path);
  }
}

bool AtomicFileWriter::Fail(const std::string& what, int err, std::string& error) {
  Abandon();
  error = "cannot write " + path_ + ": " + what;
  if (err != 0) error += ": " + Reason(err);
  return false;
}

void AtomicFileWriter::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  Untrack(slot_);
  slot_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

bool AtomicFileWriter::CheckTarget(bool& exists, unsigned& mode, unsigned& uid, unsigned& gid,
                                   std::string& error) {
  target_ = path_;
  exists = false;
  struct stat existing {};
  if (lstat(path_.c_str(), &existing) == 0) {
    if (S_ISLNK(existing.st_mode)) {
      char* resolved = realpath(path_.c_str(), nullptr);
      if (resolved == nullptr) return Fail("the symbolic link cannot be followed", errno, error);
      target_ = resolved;
      free(resolved);
      if (stat(target_.c_str(), &existing) != 0)
        return Fail("the symbolic link cannot be followed", errno, error);
    }
    exists = true;
    if (S_ISDIR(existing.st_mode)) return Fail("it is a directory", 0, error);
    if (!S_ISREG(existing.st_mode)) return Fail("it is not a regular file", 0, error);
    if (StickyForbids(FolderOf(target_), existing.st_uid))
      return Fail(
          "cannot replace it: it belongs to another user in a folder that only lets owners replace files", 0,
          error);
    if (Immutable(target_)) return Fail("cannot replace it: it is marked immutable or append-only", 0, error);
  } else if (errno != ENOENT) {
    return Fail("cannot look at it", errno, error);
  }
  mode = existing.st_mode & 07777;
  uid = existing.st_uid;
  gid = existing.st_gid;
  return true;
}

bool AtomicFileWriter::Open(const std::string& path, std::string& error) {
  Abandon();
  path_ = path;
  if (path.empty()) return Fail("no file name given", 0, error);

  bool exists = false;
  unsigned existing_mode = 0, uid = 0, gid = 0;
  if (!CheckTarget(exists, existing_mode, uid, gid, error)) return false;

  const std::string folder = FolderOf(target_);
  std::string temp = (folder == "/" ? "/." : folder + "/.") + std::string(TemporaryStem(NameOf(target_))) +
                     "." + std::string(kTemporarySuffix);
  fd_ = mkostemp(temp.data(), O_CLOEXEC);
  if (fd_ < 0) return Fail("cannot create a temporary file in " + folder, errno, error);
  temp_ = std::move(temp);
  slot_ = Track(temp_);

  mode_t mode = 0666 & ~CurrentUmask();
  if (exists) {
    mode = existing_mode;
    // Only root may give the file away; for anyone else the new file is simply theirs.
    [[maybe_unused]] const int owner_kept = fchown(fd_, uid, gid);
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

bool AtomicFileWriter::Finish(std::string& error) {
  if (fd_ < 0) return Fail("the file is not open", 0, error);
  if (fsync(fd_) != 0) return Fail("flushing to disk failed", errno, error);
  const int closing = close(fd_);
  fd_ = -1;
  if (closing != 0) return Fail("closing failed", errno, error);
  return true;
}

bool AtomicFileWriter::CheckReplaceable(std::string& error) {
  if (temp_.empty()) return Fail("the file is not open", 0, error);
  const std::string checked = target_;
  bool exists = false;
  unsigned mode = 0, uid = 0, gid = 0;
  if (!CheckTarget(exists, mode, uid, gid, error)) return false;
  // A symbolic link turned to another file since Open: the temporary file lies in the old folder.
  if (target_ != checked) {
    target_ = checked;
    return Fail("it changed while being written", 0, error);
  }
  return true;
}

bool AtomicFileWriter::Replace(std::string& error) {
  if (temp_.empty() || fd_ >= 0) return Fail("the file is not finished", 0, error);
  if (!CheckReplaceable(error)) return false;
  if (rename(temp_.c_str(), target_.c_str()) != 0) return Fail("cannot replace it", errno, error);
  Untrack(slot_);
  slot_ = -1;
  temp_.clear();
  SyncFolder(FolderOf(target_));
  return true;
}

bool IsTemporaryFileOf(std::string_view entry, std::string_view target_name) {
  const std::string_view stem = TemporaryStem(target_name);
  const std::size_t length = 1 + stem.size() + 1 + kTemporarySuffix.size();
  return entry.size() == length && entry.front() == '.' && entry.substr(1, stem.size()) == stem &&
         entry[1 + stem.size()] == '.';
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error) {
  AtomicFileWriter writer;
  return writer.Open(path, error) && writer.Write(content, error) && writer.Commit(error);
}

}  // namespace orvendi
