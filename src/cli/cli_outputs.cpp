#include "cli/cli_outputs.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>

namespace orvendi {

namespace {

struct ResolvedFile {
  std::filesystem::path path;
  std::optional<std::pair<dev_t, ino_t>> identity;  // where the file exists
};

ResolvedFile Resolve(const std::string& path) {
  ResolvedFile file;
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored).lexically_normal();
  file.path = std::filesystem::weakly_canonical(absolute, ignored);
  if (file.path.empty()) file.path = absolute;
  struct stat status {};
  if (stat(path.c_str(), &status) == 0) file.identity = std::make_pair(status.st_dev, status.st_ino);
  return file;
}

bool SameFile(const ResolvedFile& a, const ResolvedFile& b) {
  return a.path == b.path || (a.identity && b.identity && *a.identity == *b.identity);
}

}  // namespace

bool CheckDistinctFiles(const std::vector<NamedFile>& files, std::string& error) {
  std::vector<std::pair<std::string_view, ResolvedFile>> seen;
  for (const auto& [option, path] : files) {
    if (path.empty()) continue;
    ResolvedFile resolved = Resolve(path);
    for (const auto& [other_option, other] : seen) {
      if (SameFile(other, resolved)) {
        error = std::string(other_option) + " and " + std::string(option) + " name the same file " + path;
        return false;
      }
    }
    seen.emplace_back(option, std::move(resolved));
  }
  return true;
}

bool CommitOutputs(const std::vector<PendingOutput>& outputs, const std::function<bool()>& print,
                   std::string& error) {
  const auto abandon_all = [&] {
    for (const PendingOutput& output : outputs) output.writer->Abandon();
    return false;
  };
  for (const PendingOutput& output : outputs) {
    if (!output.writer->IsOpen()) continue;
    if (!output.writer->Write(output.content, error) || !output.writer->Finish(error)) return abandon_all();
  }
  for (const PendingOutput& output : outputs) {
    if (output.writer->IsOpen() && !output.writer->CheckReplaceable(error)) return abandon_all();
  }
  if (!print()) {
    error = "cannot write to standard output";
    return abandon_all();
  }
  for (const PendingOutput& output : outputs) {
    if (output.writer->IsOpen() && !output.writer->Replace(error)) return abandon_all();
  }
  return true;
}

}  // namespace orvendi
