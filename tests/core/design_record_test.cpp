#include <gtest/gtest.h>

#include "design/design_record.h"
#include "platform/host.h"
#include "views/view_state.h"

namespace orvendi {
namespace {

TEST(DesignDefaults, GeneratorsStartAtTheirPlaces) {
  DesignRecord design;
  ViewState view;
  NullHost host;
  ApplyDefaults(design, view, host);
  EXPECT_DOUBLE_EQ(design.generators[0].y, -0.26);
  EXPECT_DOUBLE_EQ(design.generators[1].x, -0.25);
  EXPECT_EQ(design.generators[2].coils[2].axis, 2);
}

}  // namespace
}  // namespace orvendi
