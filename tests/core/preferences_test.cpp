#include "core/dialogs/preferences.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orvendi {
namespace {

TEST(ThreadsEntry, EmptyOrZeroIsEveryCoreAndOneTo256AreCounts) {
  EXPECT_EQ(ReadThreadsEntry(""), 0);
  EXPECT_EQ(ReadThreadsEntry("   "), 0);
  EXPECT_EQ(ReadThreadsEntry("0"), 0);
  EXPECT_EQ(ReadThreadsEntry("1"), 1);
  EXPECT_EQ(ReadThreadsEntry(" 8\t"), 8);
  EXPECT_EQ(ReadThreadsEntry("256"), 256);
  EXPECT_EQ(ReadThreadsEntry("007"), 7);
}

TEST(ThreadsEntry, AnythingElseDoesNotRead) {
  for (const char* text : {"257", "-1", "-0x1", "abc", "4 threads", "4.5", "4,0", "1e2", "+4", "0x10",
                           "99999999999999999999", "4 4", "\xE2\x80\x8B"}) {
    EXPECT_EQ(ReadThreadsEntry(text), std::nullopt) << text;
  }
}

TEST(ThreadsEntry, ShowsEveryCoreAsEmptyAndACountAsItsDigits) {
  EXPECT_EQ(ShowThreadsEntry(0), "");
  EXPECT_EQ(ShowThreadsEntry(12), "12");
  EXPECT_EQ(ReadThreadsEntry(ShowThreadsEntry(256)), 256);
}

}  // namespace
}  // namespace orvendi
