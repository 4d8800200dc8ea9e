#include "cli/progress_bar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <string>
#include <vector>

namespace orvendi {
namespace {

TEST(ProgressLine, ShowsTheShareDoneAndTheTimeLeft) {
  EXPECT_EQ(ProgressLine(0.0, -1.0), "[..............................]   0%  --:-- left");
  EXPECT_EQ(ProgressLine(0.5, 65.0), "[###############...............]  50%  1:05 left");
  EXPECT_EQ(ProgressLine(1.0, 0.0), "[##############################] 100%  0:00 left");
  EXPECT_EQ(ProgressLine(0.999, 3725.2), "[#############################.]  99%  1:02:06 left");
}

TEST(ProgressLine, OddValuesStayInTheBar) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ProgressLine(1.5, 0.0), ProgressLine(1.0, 0.0));
  EXPECT_EQ(ProgressLine(-0.5, -1.0), ProgressLine(0.0, -1.0));
  EXPECT_EQ(ProgressLine(nan, nan), ProgressLine(0.0, -1.0));
  EXPECT_EQ(ProgressLine(0.25, inf), ProgressLine(0.25, -1.0));
  EXPECT_EQ(ProgressLine(0.25, 1e9), ProgressLine(0.25, -1.0));
}

class ProgressBarTest : public ::testing::Test {
 protected:
  ProgressBar bar_{[this](std::string_view text) { drawn_.emplace_back(text); }, [this] { return now_; }};
  std::vector<std::string> drawn_;
  double now_ = 100.0;
};

TEST_F(ProgressBarTest, RedrawsAtMostTenTimesASecond) {
  bar_.Show(0.0);
  now_ += 0.0625;
  bar_.Show(0.1);
  now_ += 0.0625;
  bar_.Show(0.2);
  now_ += 0.0625;
  bar_.Show(0.3);
  ASSERT_EQ(drawn_.size(), 2u);
  EXPECT_EQ(drawn_[0], "\r" + ProgressLine(0.0, -1.0));
  // 0.2 done in 0.125 s: 0.5 s for the remaining 0.8. A blank covers the longer "--:--" before.
  EXPECT_EQ(drawn_[1], "\r" + ProgressLine(0.2, 0.5) + " ");
}

TEST_F(ProgressBarTest, EstimatesFromTheShareDoneSinceTheFirstReport) {
  bar_.Show(0.5);
  now_ += 30.0;
  bar_.Show(0.75);
  ASSERT_EQ(drawn_.size(), 2u);
  EXPECT_EQ(drawn_[1], "\r" + ProgressLine(0.75, 30.0) + " ");
}

TEST_F(ProgressBarTest, ClearBlanksTheLineOnlyWhenOneWasDrawn) {
  bar_.Clear();
  EXPECT_TRUE(drawn_.empty());
  bar_.Show(0.5);
  bar_.Clear();
  ASSERT_EQ(drawn_.size(), 2u);
  EXPECT_EQ(drawn_[1], "\r" + std::string(drawn_[0].size() - 1, ' ') + "\r");
  bar_.Clear();
  EXPECT_EQ(drawn_.size(), 2u);
}

TEST(CliProgressTest, StopRequestCancelsAndTheBarFollowsTheReports) {
  volatile std::sig_atomic_t stop = 0;
  std::vector<std::string> drawn;
  double now = 0.0;
  ProgressBar bar([&](std::string_view text) { drawn.emplace_back(text); }, [&] { return now; });
  CliProgress progress(&stop, &bar);
  EXPECT_TRUE(progress.Report(0.25));
  EXPECT_EQ(drawn.size(), 1u);
  stop = 1;
  EXPECT_TRUE(progress.StopRequested());
  now = 1.0;
  EXPECT_FALSE(progress.Report(0.5));
  EXPECT_EQ(drawn.size(), 1u);
  progress.Finish();
  EXPECT_EQ(drawn.back().back(), '\r');

  CliProgress quiet(nullptr, nullptr);
  EXPECT_TRUE(quiet.Report(0.5));
  EXPECT_FALSE(quiet.StopRequested());
  quiet.Finish();
}

}  // namespace
}  // namespace orvendi
