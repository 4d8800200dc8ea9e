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

// Whether `entry`, a name in the target's folder, is a temporary file that a write of the target
// named `target_name` makes: ".NAME.XXXXXX". One whose writer was killed stays behind.
bool IsTemporaryFileOf(std::string_view entry, std::string_view target_name);

// The same replacement for content that is written in parts as it is made: Open creates the
// temporary file, Write appends to it, Commit flushes it and renames it over the target. Until
// Commit succeeds the target is as before; a writer that fails, or is destroyed or abandoned
// before Commit, removes its temporary file. Each call returns false with a message as
// WriteFileAtomically gives.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter() { Abandon(); }
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Open(const std::string& path, std::string& error);
  bool Write(std::string_view content, std::string& error);
  bool Commit(std::string& error);
  // Removes the temporary file; nothing happens to the target.
  void Abandon();

  bool IsOpen() const { return fd_ >= 0; }

 private:
  bool Fail(const std::string& what, int err, std::string& error);

  std::string path_;
  std::string target_;  // the file the path names, after symbolic links
  std::string temp_;
  int fd_ = -1;
};

}  // namespace orvendi
