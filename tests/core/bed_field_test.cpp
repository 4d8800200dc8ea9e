#include "core/field/bed_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/design/design_record.h"
#include "core/platform/host.h"
#include "support/printed_value.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

using testing::MatchesPrinted;
using testing::RelativelyNear;

// The default bed: (-0.5, -0.5) to (0.5, 0.5) at height 0.1.
class BedFieldTest : public ::testing::Test {
 protected:
  BedFieldTest() {
    ViewState view;
    NullHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design_);
  }
  DesignRecord design_;
};

TEST_F(BedFieldTest, OnTheAxisAboveAndBelowTheLoop) {
  // mu0 I a^2 / (2 pi (z^2 + a^2/4) sqrt(z^2 + a^2/2)) for a 1 m square, 0.1 m from its plane.
  const double z = 0.1, a = 1.0;
  const double exact =
      1.25663706144e-6 * a * a / (2 * 3.1415926536 * (z * z + a * a / 4) * std::sqrt(z * z + a * a / 2));
  for (const Vector3& p : {Vector3{0, 0, 0.2}, Vector3{0, 0, 0}}) {
    const Vector3 b = BedField(design_, p, 1.0);
    EXPECT_TRUE(MatchesPrinted(b.z, "1.07714e-6"));
    EXPECT_TRUE(RelativelyNear(b.z, exact, 1e-12));
    EXPECT_LE(std::fabs(b.x), 1e-12 * b.z);
    EXPECT_LE(std::fabs(b.y), 1e-12 * b.z);
  }
}

TEST_F(BedFieldTest, ASideWhoseLineHoldsThePointContributesNothing) {
  // In the bed's plane, on the line through the side y = -0.5.
  const Vector3 b = BedField(design_, {0.7, -0.5, 0.1}, 1.0);
  EXPECT_TRUE(MatchesPrinted(b.z, "-3.79731e-7"));
  EXPECT_EQ(b.x, 0.0);
  EXPECT_EQ(b.y, 0.0);
}

TEST_F(BedFieldTest, FieldIsLinearInTheCurrent) {
  const Vector3 p{0.2, -0.3, 0.4};
  const Vector3 one = BedField(design_, p, 1.0);
  const Vector3 two = BedField(design_, p, 2.0);
  EXPECT_EQ(two.x, 2 * one.x);
  EXPECT_EQ(two.y, 2 * one.y);
  EXPECT_EQ(two.z, 2 * one.z);
  const Vector3 none = BedField(design_, p, 0.0);
  EXPECT_EQ(none.x, 0.0);
  EXPECT_EQ(none.y, 0.0);
  EXPECT_EQ(none.z, 0.0);
}

TEST_F(BedFieldTest, ItFollowsTheBedOutline) {
  // Moved and raised, the loop's axis moves with it.
  design_.bed_x1 = 1.0;
  design_.bed_x2 = 2.0;
  design_.bed_y1 = 3.0;
  design_.bed_y2 = 4.0;
  design_.bed_z1 = 0.5;
  design_.bed_z2 = 99.0;  // not used
  const Vector3 b = BedField(design_, {1.5, 3.5, 0.6}, 1.0);
  EXPECT_TRUE(MatchesPrinted(b.z, "1.07714e-6"));
}

TEST_F(BedFieldTest, CallersPassTheModulusSoTheSignOfTheCurrentIsDropped) {
  const Phasor down(0.0, -0.000321), up(0.0, 0.000321);
  EXPECT_EQ(BedCurrentMagnitude(down), 0.000321);
  EXPECT_EQ(BedCurrentMagnitude(up), 0.000321);
  EXPECT_EQ(BedCurrentMagnitude(Phasor(3.0, -4.0)), 5.0);
  const Vector3 p{0.1, 0.1, 0.3};
  EXPECT_EQ(BedField(design_, p, BedCurrentMagnitude(down)), BedField(design_, p, BedCurrentMagnitude(up)));
}

TEST_F(BedFieldTest, NonFiniteCurrentsGiveNonFiniteFields) {
  // The bed model's currents for a bed of zero resistance.
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(std::isfinite(BedField(design_, {0, 0, 0.2}, BedCurrentMagnitude(Phasor(nan, inf))).z));
  EXPECT_FALSE(std::isfinite(BedField(design_, {0, 0, 0.2}, inf).z));
  // An empty outline is no loop.
  design_.bed_x2 = design_.bed_x1;
  design_.bed_y2 = design_.bed_y1;
  EXPECT_EQ(BedField(design_, {0, 0, 0.2}, 1.0), Vector3{});
}

}  // namespace
}  // namespace orvendi
