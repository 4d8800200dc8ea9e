#include "core/app/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace orvendi {
namespace {

TEST(WindowTitle, NamesTheFileOrUntitledWithTheModifiedPlaceholder) {
  EXPECT_EQ(WindowTitle(""), "Untitled[*] - Orvendi");
  EXPECT_EQ(WindowTitle("/home/a/designs/coil test.orvendi"), "coil test.orvendi[*] - Orvendi");
  EXPECT_EQ(WindowTitle("design.orvendi"), "design.orvendi[*] - Orvendi");
}

std::vector<std::string> Paths(int first, int last) {
  std::vector<std::string> paths;
  for (int i = first; i <= last; ++i) paths.push_back("/d/" + std::to_string(i) + ".orvendi");
  return paths;
}

TEST(RecentFiles, NewestFirstAtMostEightAndNoRepeats) {
  std::vector<std::string> recent;
  for (const std::string& path : Paths(1, 10)) recent = AddRecentFile(recent, path);
  std::vector<std::string> expected = Paths(3, 10);
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(recent, expected);

  // Opening one again moves it to the front instead of listing it twice.
  recent = AddRecentFile(recent, "/d/5.orvendi");
  ASSERT_EQ(recent.size(), 8u);
  EXPECT_EQ(recent.front(), "/d/5.orvendi");
  EXPECT_EQ(std::count(recent.begin(), recent.end(), "/d/5.orvendi"), 1);
  EXPECT_EQ(recent[1], "/d/10.orvendi");

  recent = RemoveRecentFile(recent, "/d/10.orvendi");
  EXPECT_EQ(recent.size(), 7u);
  EXPECT_EQ(recent[1], "/d/9.orvendi");
}

TEST(RecentFiles, CaptionsNumberFromOneAndKeepAmpersandsLiteral) {
  EXPECT_EQ(RecentFileCaption(0, "/d/plan.orvendi"), "&1 plan.orvendi");
  EXPECT_EQ(RecentFileCaption(7, "/x/R&D.orvendi"), "&8 R&&D.orvendi");
}

TEST(RecoveryNames, OneSetOfFilesPerProcess) {
  const RecoveryNames names = RecoveryNamesFor(4321);
  EXPECT_EQ(names.design, "recovery-4321.orvendi");
  EXPECT_EQ(names.lock, "recovery-4321.lock");
  EXPECT_EQ(names.source, "recovery-4321.source");
  EXPECT_NE(RecoveryNamesFor(4322).design, names.design);
  EXPECT_EQ(RecoveryPid(names.design), 4321);
}

TEST(RecoveryNames, OtherNamesHaveNoProcess) {
  for (const char* name : {"recovery-.orvendi", "recovery-12.lock", "recovery-12.source", "recovery--3.orvendi",
                           "recovery-+3.orvendi", "recovery-0.orvendi", "recovery-1x.orvendi", "design.orvendi",
                           "recovery-99999999999999999999999.orvendi", "xrecovery-5.orvendi"}) {
    EXPECT_FALSE(RecoveryPid(name).has_value()) << name;
  }
}

}  // namespace
}  // namespace orvendi
