#pragma once

#include <string>
#include <string_view>

namespace orvendi {

// Replaces the file at `path` with `content` so that a reader, a crash or a full disk never sees
// a partial file: the content goes into a new temporary file in the same folder, which is
// flushed to disk and then renamed over the target. An existing target keeps its permission
// bits (and, where allowed, its owner); a symbolic link keeps pointing at the file it names,
// which is the one replaced. A target that is a directory, not a regular file, or one this
// process may not replace (another user's file in a sticky folder, an immutable file) is refused.
// On failure returns false with a one-line message naming the path, the target is as before
// and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error);

// Whether `entry`, a name in the target's folder, is a temporary file that a write of the target
// named `target_name` makes: ".NAME.XXXXXX", NAME shortened for a long target name so that the
// whole stays within the longest file name. One whose writer was killed stays behind.
bool IsTemporaryFileOf(std::string_view entry, std::string_view target_name);

// Removes the temporary file of every writer that holds one (up to 16 at a time), targets left
// as they are. Async-signal-safe: for a signal handler that then ends the program.
void RemoveTemporaryFilesNow();

// The same replacement for content that is written in parts as it is made: Open checks the
// target and creates the temporary file, Write appends to it, Commit flushes it and renames it
// over the target. Commit is also two steps, Finish (flush and close) and Replace (rename), so
// that several files can all be complete before the first of them replaces its target. Until
// Replace succeeds the target is as before; a writer that fails, or is destroyed or abandoned
// before, removes its temporary file. Each call returns false with a message as
// WriteFileAtomically gives.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter() { Abandon(); }
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Open(const std::string& path, std::string& error);
  bool Write(std::string_view content, std::string& error);
  bool Commit(std::string& error) { return Finish(error) && Replace(error); }
  bool Finish(std::string& error);
  // Checks the target again, as Open did: it may have changed since.
  bool CheckReplaceable(std::string& error);
  // CheckReplaceable, then the rename over the target.
  bool Replace(std::string& error);
  // Removes the temporary file; nothing happens to the target.
  void Abandon();

  // Whether the writer holds a temporary file: from Open to Replace or Abandon.
  bool IsOpen() const { return !temp_.empty(); }

 private:
  bool Fail(const std::string& what, int err, std::string& error);
  // Resolves target_ from path_ and checks that it can be replaced; `exists` tells whether it does.
  bool CheckTarget(bool& exists, unsigned& mode, unsigned& uid, unsigned& gid, std::string& error);

  std::string path_;
  std::string target_;  // the file the path names, after symbolic links
  std::string temp_;    // empty when the writer holds no temporary file
  int fd_ = -1;         // open while content may be written
  int slot_ = -1;       // where RemoveTemporaryFilesNow finds temp_, -1 when it does not
};

}  // namespace orvendi
