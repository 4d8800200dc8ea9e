#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/atomic_file.h"

namespace orvendi {

// A file named on the command line: the option that names it ("FILE", "--points") and its path.
struct NamedFile {
  std::string_view option;
  std::string path;
};

// False with "OPTION and OPTION name the same file PATH" when two of the files (empty paths left
// out) are one: the same path once made absolute and normal with symbolic links followed, or,
// where both exist, the same device and inode.
bool CheckDistinctFiles(const std::vector<NamedFile>& files, std::string& error);

// An output and the text that is still to go into it.
struct PendingOutput {
  AtomicFileWriter* writer;  // one that is not open is left out
  std::string_view content;
};

// Completes every output, then prints, then replaces the targets: each content is written and
// flushed, every target checked again, and only when `print` succeeded as well are the targets
// replaced, so that a failure before leaves every target as it was. False with a message
// ("cannot write to standard output" when `print` fails); the outputs not replaced are abandoned.
bool CommitOutputs(const std::vector<PendingOutput>& outputs, const std::function<bool()>& print,
                   std::string& error);

}  // namespace orvendi
