// Saving a design when the world misbehaves: the process killed in the middle of a save, two
// programs saving the same file, a device that fills up or turns read-only under the file.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/design/atomic_file.h"
#include "core/design/design_file.h"
#include "core/app/file_names.h"
#include "support/default_design.h"
#include "support/temp_folder.h"

namespace orvendi {
namespace {

using Clock = std::chrono::steady_clock;
using testing::TempFolder;

// A design file of the given frequency made large by a key that reading ignores, so that
// writing it takes long enough to be cut short.
std::string BigDesignText(double frequency, std::size_t padding) {
  DesignRecord design = testing::DefaultDesign();
  design.frequency_hz = frequency;
  std::string text = WriteDesignJson(design, StoredView{});
  text.insert(text.rfind('}'), ",\n  \"padding\": \"" + std::string(padding, 'p') + "\"\n");
  return text;
}

// Empty when `path` holds exactly one of the texts BigDesignText makes; otherwise what is wrong.
// `frequency` is set to the design's.
std::string WholeDesignProblem(const std::string& path, std::size_t padding, double& frequency) {
  // Read once: a second look could see a file replaced in between.
  const std::string text = TempFolder::Content(path);
  DesignRecord design = testing::DefaultDesign();
  StoredView view;
  std::string error;
  if (!ReadDesignJson(text, path, design, view, error)) return "does not read: " + error;
  frequency = design.frequency_hz;
  if (text != BigDesignText(frequency, padding)) {
    return "reads, but is not the text written for frequency " + std::to_string(frequency);
  }
  return {};
}

struct ChildOutcome {
  bool exited = false;
  int exit_code = -1;
  int signal = 0;
  std::string report;
};

// Starts `work` in a child process, which sends its report back through a pipe.
pid_t StartChild(const std::function<std::string()>& work, int& report_fd) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string report = work();
    [[maybe_unused]] const ssize_t sent = write(fds[1], report.data(), report.size());
    _exit(0);
  }
  close(fds[1]);
  report_fd = fds[0];
  return pid;
}

ChildOutcome WaitChild(pid_t pid, int report_fd) {
  ChildOutcome outcome;
  char buffer[4096];
  ssize_t got;
  while ((got = read(report_fd, buffer, sizeof buffer)) > 0) outcome.report.append(buffer, static_cast<std::size_t>(got));
  close(report_fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.exited = WIFEXITED(status);
  outcome.exit_code = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return outcome;
}

ChildOutcome RunInChild(const std::function<std::string()>& work) {
  int fd = -1;
  const pid_t pid = StartChild(work, fd);
  if (pid < 0) return {};
  return WaitChild(pid, fd);
}

// Names beside the design that a file chooser showing designs, or the recovery search, could take
// for one: anything but the writer's hidden temporary files, which do not end in the extension.
std::vector<std::string> LookAlikes(const TempFolder& folder, const std::string& design_name) {
  std::vector<std::string> found;
  for (const std::string& name : folder.Entries()) {
    if (name == design_name) continue;
    const bool design_like = name.size() >= kDesignExtension.size() &&
                             name.compare(name.size() - kDesignExtension.size(), std::string::npos,
                                          kDesignExtension) == 0;
    if (!IsTemporaryFileOf(name, design_name) || design_like) found.push_back(name);
  }
  return found;
}

TEST(FileFaults, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
  constexpr std::size_t kPadding = 1 << 20;
  constexpr int kKills = 30;
  TempFolder folder("killed_save");
  const std::string name = "plan" + std::string(kDesignExtension);
  const std::string path = folder.Path(name);

  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, BigDesignText(1.0, kPadding), error)) << error;
  // How long a child takes from its start to the end of its first save: a large parent is slow
  // to fork, so the kills are spread over what the children really take.
  const auto started = Clock::now();
  const ChildOutcome timed = RunInChild([&] {
    std::string child_error;
    WriteFileAtomically(path, BigDesignText(1.0, kPadding), child_error);
    return child_error;
  });
  ASSERT_EQ(timed.report, "");
  const auto one_save = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);

  std::mt19937 random(20240611u);
  std::uniform_int_distribution<long long> moment(0, 2 * one_save.count() + 1000);
  int cut_mid_save = 0;
  int saw_new = 0;
  double previous = 1.0;
  for (int kill_number = 0; kill_number < kKills; ++kill_number) {
    SCOPED_TRACE("kill " + std::to_string(kill_number));
    const double first = previous + 1.0;
    int fd = -1;
    // The child saves newer and newer versions until it is killed.
    const pid_t pid = StartChild(
        [&] {
          std::string child_error;
          for (double f = first;; f += 1.0) {
            if (!WriteFileAtomically(path, BigDesignText(f, kPadding), child_error)) return child_error;
          }
        },
        fd);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    kill(pid, SIGKILL);
    const ChildOutcome outcome = WaitChild(pid, fd);
    ASSERT_EQ(outcome.signal, SIGKILL) << outcome.report;

    double frequency = 0.0;
    ASSERT_EQ(WholeDesignProblem(path, kPadding, frequency), "");
    EXPECT_GE(frequency, previous);
    if (frequency > previous) ++saw_new;
    previous = frequency;
    EXPECT_EQ(LookAlikes(folder, name), std::vector<std::string>{});
    if (folder.Entries().size() > 1) ++cut_mid_save;
    // A left temporary file is no obstacle to the next save; tidy so the next count is fresh.
    for (const std::string& entry : folder.Entries()) {
      if (entry != name) std::remove(folder.Path(entry).c_str());
    }
  }
  EXPECT_GT(cut_mid_save, 0) << "no kill landed while a save was under way";
  EXPECT_GT(saw_new, 0) << "no save finished before its kill";
  ASSERT_TRUE(WriteFileAtomically(path, "{}\n", error)) << error;
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{name});
}

TEST(FileFaults, TwoProgramsSavingTheSameFileLeaveOneWholeFileAndAReaderNeverSeesAMix) {
  constexpr std::size_t kPadding = 256 * 1024;
  constexpr int kSaves = 25;
  TempFolder folder("two_writers");
  const std::string name = "shared" + std::string(kDesignExtension);
  const std::string path = folder.Path(name);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, BigDesignText(1.0, kPadding), error)) << error;

  const auto writer = [&](double base) {
    return [&path, base] {
      std::string child_error;
      for (int i = 1; i <= kSaves; ++i) {
        if (!WriteFileAtomically(path, BigDesignText(base + i, kPadding), child_error)) return child_error;
      }
      return std::string();
    };
  };
  int fd_a = -1, fd_b = -1;
  const pid_t a = StartChild(writer(1000.0), fd_a);
  const pid_t b = StartChild(writer(2000.0), fd_b);
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);

  int reads = 0;
  std::string reader_problem;
  while (reader_problem.empty() && (waitpid(a, nullptr, WNOHANG) == 0 || waitpid(b, nullptr, WNOHANG) == 0)) {
    double frequency = 0.0;
    reader_problem = WholeDesignProblem(path, kPadding, frequency);
    ++reads;
  }
  const ChildOutcome first = WaitChild(a, fd_a);
  const ChildOutcome second = WaitChild(b, fd_b);
  EXPECT_EQ(reader_problem, "") << "after " << reads << " reads";
  // waitpid above may have reaped them already; their reports say whether every save succeeded.
  EXPECT_EQ(first.report, "");
  EXPECT_EQ(second.report, "");

  double frequency = 0.0;
  ASSERT_EQ(WholeDesignProblem(path, kPadding, frequency), "");
  EXPECT_TRUE(frequency == 1000.0 + kSaves || frequency == 2000.0 + kSaves) << frequency;
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{name});
}

// A small file system of our own, in a mount namespace of a child process so that nothing
// outside sees it. Needs the right to mount (root, or a user namespace); skipped otherwise.
constexpr int kCannotMount = 77;

std::string InOwnTmpfs(const std::string& folder, const char* size, const std::function<std::string()>& work) {
  if (unshare(CLONE_NEWNS) != 0) _exit(kCannotMount);
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(kCannotMount);
  const std::string options = std::string("size=") + size;
  if (mount("orvendi-test", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) _exit(kCannotMount);
  return work();
}

TEST(FileFaults, ADeviceThatFillsUpOrTurnsReadOnlyLeavesTheSavedFileAsItWas) {
  TempFolder folder("small_device");
  const std::string name = "plan" + std::string(kDesignExtension);
  const std::string path = folder.Path(name);
  const std::string old_text = BigDesignText(1.0, 16 * 1024);

  const ChildOutcome outcome = RunInChild([&]() -> std::string {
    return InOwnTmpfs(folder.Path(), "256k", [&]() -> std::string {
      std::string report;
      std::string error;
      if (!WriteFileAtomically(path, old_text, error)) return "the first save failed: " + error;
      const auto check = [&](const char* what, bool written, const std::string& message, const std::string& start) {
        if (written) report += std::string(what) + ": the save succeeded\n";
        if (message.rfind(start, 0) != 0) report += std::string(what) + ": message " + message + "\n";
        if (TempFolder::Content(path) != old_text) report += std::string(what) + ": the saved file changed\n";
        if (folder.Entries() != std::vector<std::string>{name}) report += std::string(what) + ": a file was left\n";
      };

      error.clear();
      const bool full = WriteFileAtomically(path, BigDesignText(2.0, 1024 * 1024), error);
      check("full", full, error, "cannot write " + path + ": writing failed: " + std::strerror(ENOSPC));

      if (mount(nullptr, folder.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return report + "cannot make the device read-only: " + std::strerror(errno);
      }
      DesignRecord design = testing::DefaultDesign();
      error.clear();
      const bool read_only = WriteDesignFile(path, design, StoredView{}, error);
      check("read-only", read_only, error,
            "cannot write " + path + ": cannot create a temporary file in " + folder.Path() + ": " +
                std::strerror(EROFS));
      return report;
    });
  });
  if (outcome.exited && outcome.exit_code == kCannotMount) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  ASSERT_TRUE(outcome.exited) << "signal " << outcome.signal;
  EXPECT_EQ(outcome.report, "");
  // The device went with the child; the folder underneath was never written.
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace orvendi
