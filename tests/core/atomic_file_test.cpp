#include "core/design/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace orvendi {
namespace {

class AtomicWrite : public ::testing::Test {
 protected:
  static std::string Content(const std::string& path) { return testing::TempFolder::Content(path); }
  std::vector<std::string> Entries() const { return temp_.Entries(); }

  static mode_t Mode(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
  }

  testing::TempFolder temp_{"atomic_file"};
  std::string folder_ = temp_.Path();
  std::string path_ = temp_.Path("out.json");
};

TEST_F(AtomicWrite, NewFileWithTheUsualPermissions) {
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path_, "{}\n", error)) << error;
  EXPECT_EQ(Content(path_), "{}\n");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(Mode(path_), 0666 & ~mask);
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.json"});
}

TEST_F(AtomicWrite, ReplacesAnExistingFileWholeAndKeepsItsPermissions) {
  std::ofstream(path_) << std::string(5000, 'x');
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path_, "short", error)) << error;
  EXPECT_EQ(Content(path_), "short");
  EXPECT_EQ(Mode(path_), 0640u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.json"});
}

TEST_F(AtomicWrite, ThroughASymbolicLinkTheLinkStays) {
  std::ofstream(path_) << "old";
  const std::string link = folder_ + "/link.json";
  ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(link, "new", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Content(path_), "new");
}

TEST_F(AtomicWrite, PlacesThatCannotBeWrittenEvenByRoot) {
  const std::string no_folder = folder_ + "/none/out.json";
  std::ofstream(folder_ + "/kept.txt") << "kept";
  ASSERT_EQ(mkdir(path_.c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((folder_ + "/pipe").c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string what;
  } cases[] = {
      {no_folder, "cannot create a temporary file in " + folder_ + "/none"},
      {path_, "it is a directory"},
      {folder_ + "/pipe", "it is not a regular file"},
      {"/proc/orvendi-test.json", "cannot create a temporary file in /proc"},
      {"", "no file name"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(c.path, "content", error)) << c.path;
    EXPECT_EQ(error.rfind("cannot write " + c.path + ": " + c.what, 0), 0u) << error;
  }
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"kept.txt", "out.json", "pipe"}));
}

// A full disk, simulated with the file-size limit, which binds root as well.
TEST_F(AtomicWrite, FailedWriteLeavesTheOldFileAndNoTemporary) {
  const std::string old(1000, 'o');
  std::ofstream(path_) << old;
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  const auto previous_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool written = WriteFileAtomically(path_, std::string(100000, 'n'), error);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous_handler);

  EXPECT_FALSE(written);
  EXPECT_EQ(error.rfind("cannot write " + path_ + ": writing failed: ", 0), 0u) << error;
  EXPECT_EQ(Content(path_), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.json"});
}

TEST_F(AtomicWrite, StreamedPartsAppearOnlyAtCommit) {
  std::ofstream(path_) << "old";
  std::string error;
  AtomicFileWriter writer;
  ASSERT_TRUE(writer.Open(path_, error)) << error;
  ASSERT_TRUE(writer.Write("first,", error)) << error;
  ASSERT_TRUE(writer.Write("second\n", error)) << error;
  EXPECT_EQ(Content(path_), "old");
  EXPECT_EQ(Entries().size(), 2u);
  ASSERT_TRUE(writer.Commit(error)) << error;
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(Content(path_), "first,second\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.json"});
}

TEST_F(AtomicWrite, StreamAbandonedOrDroppedLeavesTheTargetAndNoTemporary) {
  std::ofstream(path_) << "old";
  std::string error;
  {
    AtomicFileWriter dropped;
    ASSERT_TRUE(dropped.Open(path_, error)) << error;
    ASSERT_TRUE(dropped.Write("partial", error)) << error;
  }
  AtomicFileWriter abandoned;
  ASSERT_TRUE(abandoned.Open(folder_ + "/new.csv", error)) << error;
  ASSERT_TRUE(abandoned.Write("partial", error)) << error;
  abandoned.Abandon();
  EXPECT_FALSE(abandoned.Write("more", error));
  EXPECT_FALSE(abandoned.Commit(error));
  EXPECT_EQ(Content(path_), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.json"});
}

TEST_F(AtomicWrite, ItsTemporaryFilesAreKnownByNameAndNothingElseIs) {
  std::string error;
  AtomicFileWriter writer;
  ASSERT_TRUE(writer.Open(path_, error)) << error;
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(IsTemporaryFileOf(entries[0], "out.json"));
  EXPECT_FALSE(IsTemporaryFileOf(entries[0], "out.jso"));
  EXPECT_FALSE(IsTemporaryFileOf(entries[0], "ut.json"));
  for (const char* other : {"out.json", ".out.json", ".out.json.", ".out.json.abc", ".out.json.abcdefg",
                            "xout.json.abcdef", ".out.jsonxabcdef", ".other.abcdef"}) {
    EXPECT_FALSE(IsTemporaryFileOf(other, "out.json")) << other;
  }
  writer.Abandon();
}

// The temporary name is the target's with 8 more bytes, cut where the longest name allows.
TEST_F(AtomicWrite, NamesUpToTheLongestAFolderTakesCanBeWritten) {
  const std::string e_acute = "\xC3\xA9";
  for (const std::string& name : {std::string(247, 'a'), std::string(248, 'b'), std::string(255, 'c'),
                                  std::string(246, 'd') + e_acute + "dddddd"}) {
    const std::string path = folder_ + "/" + name;
    std::string error;
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(path, error)) << name.size() << ": " << error;
    const std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(IsTemporaryFileOf(entries[0], name)) << entries[0];
    EXPECT_FALSE(IsTemporaryFileOf(entries[0], "x" + name)) << entries[0];
    ASSERT_TRUE(writer.Commit(error)) << error;
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
    std::filesystem::remove(path);
  }
}

// What a second Ctrl-C does before the program ends.
TEST_F(AtomicWrite, TemporaryFilesCanBeRemovedAtOnce) {
  std::ofstream(path_) << "old";
  std::string error;
  AtomicFileWriter first;
  AtomicFileWriter second;
  ASSERT_TRUE(first.Open(path_, error) && second.Open(folder_ + "/new.csv", error)) << error;
  ASSERT_EQ(Entries().size(), 3u);
  RemoveTemporaryFilesNow();
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.json"});
  EXPECT_EQ(Content(path_), "old");
}

}  // namespace
}  // namespace orvendi
