#include "core/views/view_geometry.h"

#include <climits>
#include <cmath>

#include <gtest/gtest.h>

#include "core/design/design_record.h"
#include "support/fake_host.h"
#include "core/views/infobar.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

using testing::FakeHost;

struct Fixture {
  Fixture() {
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
    host.log.clear();
  }
  DesignRecord design;
  ViewState view;
  FakeHost host;
  InfobarLayout infobar = ComputeInfobarLayout({156, 13});
};

TEST(ViewConversions, PlanViewAtTheDefaults) {
  Fixture f;
  EXPECT_EQ(WorldToWindowX(f.view, 0.1, -0.25), 440);
  EXPECT_EQ(WorldToWindowY(f.view, -0.25, 123.0), 400);
  EXPECT_DOUBLE_EQ(WindowToWorldX(f.view, 440), 0.1);
  EXPECT_DOUBLE_EQ(WindowToWorldY(f.view, 440, 400), -0.25);
  f.view.view_centre_z = 0.3;
  EXPECT_EQ(WindowToWorldZ(f.view, 400), 0.3);
}

TEST(ViewConversions, HalfPixelsRoundAwayFromZero) {
  Fixture f;
  // 2.5 pixels at 400 px/m is 6.25 mm, exactly representable.
  EXPECT_EQ(WorldToWindowX(f.view, 0.00625, 0.0), 403);
  EXPECT_EQ(WorldToWindowX(f.view, -0.00625, 0.0), 397);
  EXPECT_EQ(WorldToWindowY(f.view, 0.00625, 0.0), 297);
  EXPECT_EQ(WorldToWindowY(f.view, -0.00625, 0.0), 303);
}

TEST(ViewConversions, FrontAndSideViewsShowTheirAxes) {
  Fixture f;
  f.view.current_view = 1;
  f.view.view_centre_y = 0.7;
  EXPECT_EQ(WorldToWindowX(f.view, 0.1, 99.0), 440);
  EXPECT_EQ(WorldToWindowY(f.view, 99.0, 0.1), 260);
  EXPECT_EQ(WindowToWorldY(f.view, 0, 0), 0.7);
  EXPECT_DOUBLE_EQ(WindowToWorldZ(f.view, 260), 0.1);

  f.view.current_view = 2;
  f.view.view_centre_x = -0.4;
  f.view.view_centre_y = 0.0;
  EXPECT_EQ(WorldToWindowX(f.view, 99.0, 0.1), 440);  // world y grows to the right
  EXPECT_EQ(WindowToWorldX(f.view, 0), -0.4);
  EXPECT_EQ(WindowToWorldX(f.view, 777), -0.4);
  EXPECT_DOUBLE_EQ(WindowToWorldY(f.view, 440, 0), 0.1);
  EXPECT_DOUBLE_EQ(WindowToWorldZ(f.view, 260), 0.1);
}

TEST(ViewConversions, UnknownViewGivesZero) {
  Fixture f;
  f.view.current_view = 3;
  f.view.view_centre_x = 1.0;
  EXPECT_EQ(WorldToWindowX(f.view, 0.5, 0.5), 0);
  EXPECT_EQ(WorldToWindowY(f.view, 0.5, 0.5), 0);
  EXPECT_EQ(WindowToWorldX(f.view, 10), 0.0);
  EXPECT_EQ(WindowToWorldY(f.view, 10, 10), 0.0);
  EXPECT_EQ(WindowToWorldZ(f.view, 10), 0.0);
}

TEST(ViewConversions, ExtremeInputsStayDefined) {
  Fixture f;
  EXPECT_DOUBLE_EQ(WindowToWorldX(f.view, INT_MIN), (static_cast<double>(INT_MIN) - 400.0) / 400.0);
  EXPECT_DOUBLE_EQ(WindowToWorldY(f.view, 0, INT_MIN), (300.0 - static_cast<double>(INT_MIN)) / 400.0);
  EXPECT_TRUE(std::isfinite(WindowToWorldZ(f.view, INT_MAX)));
  EXPECT_EQ(WorldToWindowX(f.view, 1e300, 0.0), 400 + 1'000'000'000);
  EXPECT_EQ(WorldToWindowY(f.view, -INFINITY, 0.0), 300 + 1'000'000'000);
  EXPECT_EQ(WorldToWindowX(f.view, NAN, 0.0), 400);
}

TEST(ViewScale, SeventyFivePercentShrinksAboutTheCentre) {
  Fixture f;
  SetScale(f.view, 75, f.host);
  EXPECT_EQ(f.view.scale_percent, 75);
  EXPECT_EQ(f.view.pixels_per_metre_x, 300.0);
  EXPECT_EQ(f.view.pixels_per_metre_y, 300.0);
  EXPECT_EQ(f.view.pixels_per_metre_z, 300.0);
  EXPECT_EQ(f.view.hscroll_pos, 500);
  EXPECT_EQ(f.view.vscroll_pos, 500);
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"invalidate drawing all erase"}));
  EXPECT_EQ(WorldToWindowX(f.view, 0.1, 0.0), 430);
  for (int p : kScalePercents) {
    SetScale(f.view, p, f.host);
    EXPECT_EQ(f.view.pixels_per_metre_x, p * 4.0);
  }
}

TEST(ViewScroll, PositionsGiveTheViewCentre) {
  Fixture f;
  f.view.vscroll_pos = 0;
  ApplyVerticalScroll(f.view, f.host);
  EXPECT_EQ(f.view.view_centre_y, 0.5);
  f.view.hscroll_pos = 1000;
  ApplyHorizontalScroll(f.view, f.host);
  EXPECT_EQ(f.view.view_centre_x, 0.5);
  EXPECT_EQ(f.host.log, (std::vector<std::string>{"pos v 0 redraw", "invalidate drawing all erase",
                                                  "pos h 1000 redraw", "invalidate drawing all erase"}));
  f.view.current_view = 2;
  f.view.hscroll_pos = 250;
  ApplyHorizontalScroll(f.view, f.host);
  EXPECT_EQ(f.view.view_centre_y, -0.25);
  f.view.vscroll_pos = 750;
  ApplyVerticalScroll(f.view, f.host);
  EXPECT_EQ(f.view.view_centre_z, -0.25);
  EXPECT_EQ(f.view.view_centre_x, 0.5);
}

TEST(ViewScroll, ShiftXThreeTimes) {
  Fixture f;
  for (int i = 0; i < 3; ++i) NudgeViewCentre(f.view, 0, true, f.host, f.infobar);
  EXPECT_NEAR(f.view.view_centre_x, -0.3, 1e-15);
  EXPECT_EQ(f.view.hscroll_pos, 200);
  EXPECT_EQ(f.view.vscroll_pos, 500);
  EXPECT_EQ(f.host.hscroll, 200);
}

TEST(ViewScroll, XSevenTimesThenLineSteps) {
  Fixture f;
  for (int i = 0; i < 7; ++i) NudgeViewCentre(f.view, 0, false, f.host, f.infobar);
  EXPECT_NEAR(f.view.view_centre_x, 0.7, 1e-15);
  EXPECT_EQ(f.view.hscroll_pos, 1200);

  ViewState back = f.view;
  EXPECT_TRUE(ApplyScrollRequest(f.view, ScrollBar::kHorizontal, ScrollRequest::kLineForward, 0, f.host));
  EXPECT_EQ(f.view.hscroll_pos, 1000);
  EXPECT_EQ(f.view.view_centre_x, 0.5);

  EXPECT_TRUE(ApplyScrollRequest(back, ScrollBar::kHorizontal, ScrollRequest::kLineBack, 0, f.host));
  EXPECT_EQ(back.hscroll_pos, 1195);
  EXPECT_DOUBLE_EQ(back.view_centre_x, 0.695);
}

TEST(ViewScroll, NudgeRepaintsTheCoordinateFieldAndDrawing) {
  Fixture f;
  NudgeViewCentre(f.view, 2, false, f.host, f.infobar);  // the hidden axis of the plan view
  EXPECT_NEAR(f.view.view_centre_z, 0.1, 1e-17);
  EXPECT_EQ(f.host.log,
            (std::vector<std::string>{"pos h 500 redraw", "invalidate drawing all erase", "pos v 500 redraw",
                                      "invalidate drawing all erase", "invalidate infobar 3 4 145 16 noerase",
                                      "invalidate drawing all erase"}));
  f.host.log.clear();
  NudgeViewCentre(f.view, 7, false, f.host, f.infobar);
  EXPECT_TRUE(f.host.log.empty());
}

TEST(ViewScroll, RequestTable) {
  Fixture f;
  struct Case {
    int start;
    ScrollRequest request;
    int thumb;
    int expected;
  };
  const Case cases[] = {
      {3, ScrollRequest::kLineBack, 0, 0},
      {500, ScrollRequest::kLineBack, 0, 495},
      {998, ScrollRequest::kLineForward, 0, 1000},
      {20, ScrollRequest::kPageBack, 0, 0},
      {500, ScrollRequest::kPageForward, 0, 550},
      {990, ScrollRequest::kPageForward, 0, 1000},
      {500, ScrollRequest::kThumbPosition, 123, 123},
      {-300, ScrollRequest::kLineForward, 0, -295},
      {-300, ScrollRequest::kPageBack, 0, 0},
      {1500, ScrollRequest::kPageBack, 0, 1450},
  };
  for (const Case& c : cases) {
    f.view.vscroll_pos = c.start;
    EXPECT_TRUE(ApplyScrollRequest(f.view, ScrollBar::kVertical, c.request, c.thumb, f.host));
    EXPECT_EQ(f.view.vscroll_pos, c.expected) << c.start;
    EXPECT_DOUBLE_EQ(f.view.view_centre_y, 0.5 - c.expected / 1000.0);
  }
  f.host.log.clear();
  const ViewState before = f.view;
  EXPECT_FALSE(ApplyScrollRequest(f.view, ScrollBar::kHorizontal, ScrollRequest::kOther, 900, f.host));
  EXPECT_EQ(f.view, before);
  EXPECT_TRUE(f.host.log.empty());
}

TEST(ViewScroll, SaturatedPositionsStepWithoutOverflow) {
  Fixture f;
  f.view.view_centre_x = 1e300;
  SyncHorizontalScroll(f.view, f.host);
  EXPECT_EQ(f.view.hscroll_pos, 1'000'000'000);
  EXPECT_TRUE(ApplyScrollRequest(f.view, ScrollBar::kHorizontal, ScrollRequest::kLineBack, 0, f.host));
  EXPECT_EQ(f.view.hscroll_pos, 999'999'995);
  EXPECT_TRUE(ApplyScrollRequest(f.view, ScrollBar::kHorizontal, ScrollRequest::kPageForward, 0, f.host));
  EXPECT_EQ(f.view.hscroll_pos, 1000);
}

TEST(ViewSelection, PlanToSideMovesTheThumbs) {
  Fixture f;
  f.view.view_centre_y = 0.2;
  f.view.view_centre_z = -0.1;
  SelectView(f.view, 2, f.host, f.infobar);
  EXPECT_EQ(f.view.current_view, 2);
  EXPECT_EQ(f.view.hscroll_pos, 700);
  EXPECT_EQ(f.view.vscroll_pos, 600);
  EXPECT_EQ(f.view.view_centre_y, 0.2);
  EXPECT_EQ(f.host.log,
            (std::vector<std::string>{"invalidate infobar 149 4 207 16 erase", "pos h 700 redraw",
                                      "invalidate drawing all erase", "pos v 600 redraw",
                                      "invalidate drawing all erase", "invalidate drawing all erase"}));
}

TEST(ViewSelection, WindowCentreIsHalvedByShift) {
  ViewState view;
  UpdateWindowCentre(view, 501, 7);
  EXPECT_EQ(view.drawing_width, 501);
  EXPECT_EQ(view.drawing_height, 7);
  EXPECT_EQ(view.window_centre_x, 250);
  EXPECT_EQ(view.window_centre_y, 3);
}

}  // namespace
}  // namespace orvendi
