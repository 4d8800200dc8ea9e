#include "core/field/coil_field.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "core/design/design_record.h"
#include "core/field/loop_geometry.h"
#include "core/platform/host.h"
#include "support/printed_value.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

using testing::MatchesPrinted;
using testing::RelativelyNear;

constexpr double kMu0 = 1.25663706144e-6;
constexpr double kPi = 3.1415926536;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Generator 0 at its defaults: (0, -0.26, 0), side 0.02 m, 50 turns, 5 A.
class CoilFieldTest : public ::testing::Test {
 protected:
  CoilFieldTest() {
    DesignRecord design;
    ViewState view;
    NullHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    real_ = design.generators[0];
    ideal_ = real_;
    ideal_.real_dipole = 0;
  }

  GeneratorRecord real_;
  GeneratorRecord ideal_;
};

// Only z is non-zero, and x and y are zero to rounding of z.
void ExpectAlongZ(const Vector3& b) {
  EXPECT_LE(std::fabs(b.x), 1e-12 * std::fabs(b.z));
  EXPECT_LE(std::fabs(b.y), 1e-12 * std::fabs(b.z));
}

TEST_F(CoilFieldTest, IdealDipoleOnEachAxisIsTwiceKOverRCubed) {
  const Vector3 z = CoilFieldZ(ideal_, {0, -0.26, 0.1});
  EXPECT_EQ(z.x, 0.0);
  EXPECT_EQ(z.y, 0.0);
  EXPECT_TRUE(RelativelyNear(z.z, 2.0e-5, 1e-12));

  const Vector3 x = CoilFieldX(ideal_, {0.1, -0.26, 0});
  EXPECT_TRUE(RelativelyNear(x.x, 2.0e-5, 1e-12));
  EXPECT_EQ(x.y, 0.0);
  EXPECT_EQ(x.z, 0.0);

  // -0.16 - (-0.26) is 0.1 only to rounding.
  const Vector3 y = CoilFieldY(ideal_, {0, -0.16, 0});
  EXPECT_EQ(y.x, 0.0);
  EXPECT_TRUE(RelativelyNear(y.y, 2.0e-5, 1e-12));
  EXPECT_EQ(y.z, 0.0);
}

TEST_F(CoilFieldTest, RealSquareLoopOnAxisMatchesTheClosedForm) {
  const double z = 0.1, a = 0.02;
  const double exact = kMu0 * 50 * 5 * a * a / (2 * kPi * (z * z + a * a / 4) * std::sqrt(z * z + a * a / 2));
  const Vector3 b = CoilFieldZ(real_, {0, -0.26, 0.1});
  EXPECT_TRUE(MatchesPrinted(b.z, "1.96069e-5"));
  EXPECT_TRUE(RelativelyNear(b.z, exact, 1e-12));
  ExpectAlongZ(b);
}

TEST_F(CoilFieldTest, OffAxisPointsInTheCoilPlane) {
  const Vector3 ideal_x = CoilFieldX(ideal_, {0.1, -0.16, 0});
  EXPECT_TRUE(MatchesPrinted(ideal_x.x, "1.76777e-6"));
  EXPECT_TRUE(MatchesPrinted(ideal_x.y, "5.30330e-6"));
  EXPECT_EQ(ideal_x.z, 0.0);

  const Vector3 real_x = CoilFieldX(real_, {0.1, -0.16, 0});
  EXPECT_TRUE(MatchesPrinted(real_x.x, "1.79627e-6"));
  EXPECT_TRUE(MatchesPrinted(real_x.y, "5.29197e-6"));
  EXPECT_LE(std::fabs(real_x.z), 1e-12 * std::fabs(real_x.y));

  const Vector3 ideal_z = CoilFieldZ(ideal_, {0.1, -0.16, 0});
  EXPECT_EQ(ideal_z.x, 0.0);
  EXPECT_EQ(ideal_z.y, 0.0);
  EXPECT_TRUE(MatchesPrinted(ideal_z.z, "-3.53553e-6"));

  const Vector3 real_z = CoilFieldZ(real_, {0.1, -0.16, 0});
  EXPECT_TRUE(MatchesPrinted(real_z.z, "-3.56236e-6"));
  ExpectAlongZ(real_z);
}

TEST_F(CoilFieldTest, AtTheCoilCentre) {
  const Vector3 centre{0, -0.26, 0};
  EXPECT_EQ(CoilFieldX(ideal_, centre), Vector3{});
  EXPECT_EQ(CoilFieldY(ideal_, centre), Vector3{});
  EXPECT_EQ(CoilFieldZ(ideal_, centre), Vector3{});

  const Vector3 b = CoilFieldZ(real_, centre);
  EXPECT_TRUE(MatchesPrinted(b.z, "0.0141421"));
  EXPECT_TRUE(RelativelyNear(b.z, 2 * std::sqrt(2.0) * kMu0 * 50 * 5 / (kPi * 0.02), 1e-12));
  ExpectAlongZ(b);
}

TEST_F(CoilFieldTest, IdealDipoleDistanceIsFlooredNearTheDipole) {
  // Below 1e-5 m the denominator stays at 1e-25 while the offsets keep their true values.
  const Vector3 beside = CoilFieldZ(ideal_, {1e-6, -0.26, 0});
  EXPECT_EQ(beside.x, 0.0);
  EXPECT_EQ(beside.y, 0.0);
  EXPECT_TRUE(RelativelyNear(beside.z, -1.0e5, 1e-12));

  const Vector3 above = CoilFieldZ(ideal_, {0, -0.26, 1e-6});
  EXPECT_TRUE(RelativelyNear(above.z, 2.0e5, 1e-12));
  // Twice as far is still under the floor: the field grows fourfold instead of falling off.
  EXPECT_TRUE(RelativelyNear(CoilFieldZ(ideal_, {0, -0.26, 2e-6}).z, 8.0e5, 1e-12));
}

TEST_F(CoilFieldTest, ASideWhoseLineHoldsThePointContributesNothing) {
  // Middle of the side x = cx + h: only the other three sides count.
  const Vector3 on_side = CoilFieldZ(real_, {0.01, -0.26, 0});
  EXPECT_TRUE(MatchesPrinted(on_side.z, "0.00559017"));
  ExpectAlongZ(on_side);

  // On the extension of the same side.
  const Vector3 on_extension = CoilFieldZ(real_, {0.01, -0.24, 0});
  EXPECT_TRUE(MatchesPrinted(on_extension.z, "-0.00129277"));
  ExpectAlongZ(on_extension);
}

TEST_F(CoilFieldTest, FarFromTheCoilBothModelsAgree) {
  const Vector3 p{0.3, 0.1, 0.2};
  const Vector3 ideal = CoilFieldZ(ideal_, p);
  EXPECT_TRUE(MatchesPrinted(ideal.x, "5.24217e-8"));
  EXPECT_TRUE(MatchesPrinted(ideal.y, "6.29060e-8"));
  EXPECT_TRUE(MatchesPrinted(ideal.z, "-4.06559e-8"));
  const Vector3 real = CoilFieldZ(real_, p);
  EXPECT_TRUE(MatchesPrinted(real.x, "5.24540e-8"));
  EXPECT_TRUE(MatchesPrinted(real.y, "6.29448e-8"));
  EXPECT_TRUE(MatchesPrinted(real.z, "-4.06444e-8"));
}

TEST_F(CoilFieldTest, EachModelReadsItsOwnCopyOfTheCoilData) {
  const Vector3 p{0.1, -0.05, 0.3};
  const Vector3 ideal = CoilFieldZ(ideal_, p);
  const Vector3 real = CoilFieldZ(real_, p);

  GeneratorRecord ideal_changed = ideal_;
  ideal_changed.coils[2].turns = 7;
  ideal_changed.coils[2].side_m = 0.5;
  EXPECT_EQ(CoilFieldZ(ideal_changed, p), ideal);
  ideal_changed.turns = 100;
  EXPECT_TRUE(RelativelyNear(CoilFieldZ(ideal_changed, p).z, 2 * ideal.z, 1e-15));

  GeneratorRecord real_changed = real_;
  real_changed.turns = 7;
  real_changed.area_m2 = 1.0;
  real_changed.x = 5.0;
  EXPECT_EQ(CoilFieldZ(real_changed, p), real);
  real_changed.coils[2].peak_current_a = 10.0;
  EXPECT_TRUE(RelativelyNear(CoilFieldZ(real_changed, p).z, 2 * real.z, 1e-15));
}

TEST_F(CoilFieldTest, TheCoilRecordsAxisDecidesTheOrientation) {
  const Vector3 p{0.07, -0.2, 0.15};
  GeneratorRecord turned = real_;
  turned.coils[0].axis = 2;
  EXPECT_EQ(CoilFieldX(turned, p), CoilFieldZ(real_, p));
  // An axis outside 0..2 is no square at all.
  turned.coils[0].axis = 7;
  EXPECT_EQ(CoilFieldX(turned, p), Vector3{});
}

TEST_F(CoilFieldTest, RealCoilMomentPointsAlongItsAxisLikeTheIdealOne) {
  // On each coil's own axis, 0.2 m out, both models point the same way.
  const Vector3 g{real_.x, real_.y, real_.z};
  const Vector3 on_x{g.x + 0.2, g.y, g.z}, on_y{g.x, g.y + 0.2, g.z}, on_z{g.x, g.y, g.z + 0.2};
  EXPECT_GT(CoilFieldX(real_, on_x).x, 0.0);
  EXPECT_GT(CoilFieldY(real_, on_y).y, 0.0);
  EXPECT_GT(CoilFieldZ(real_, on_z).z, 0.0);
  EXPECT_TRUE(RelativelyNear(CoilFieldX(real_, on_x).x, CoilFieldX(ideal_, on_x).x, 1e-2));
  EXPECT_TRUE(RelativelyNear(CoilFieldY(real_, on_y).y, CoilFieldY(ideal_, on_y).y, 1e-2));
}

TEST(SegmentField, FollowsTheRightHandRuleWithTheFiniteWireMagnitude) {
  // Segment from (-1, 0, 0) to (1, 0, 0), point 0.5 above its middle in y: field along +z.
  const double strength = 3e-7;
  const Vector3 b = SegmentField({0, 0.5, 0}, {-1, 0, 0}, {1, 0, 0}, strength);
  const double cos_end = 1 / std::sqrt(1 + 0.25);
  EXPECT_EQ(b.x, 0.0);
  EXPECT_EQ(b.y, 0.0);
  EXPECT_TRUE(RelativelyNear(b.z, 2 * cos_end * strength / 0.5, 1e-14));
  // Reversing the current reverses the field.
  EXPECT_TRUE(RelativelyNear(SegmentField({0, 0.5, 0}, {1, 0, 0}, {-1, 0, 0}, strength).z, -b.z, 1e-15));
}

TEST_F(CoilFieldTest, TheOnePassLoopFieldHasNoGapsWhereASideLineHoldsThePoint) {
  // On a side, on its extension, at a corner, and off every line.
  LoopCorners corners;
  ASSERT_TRUE(SquareCoilCorners(real_.coils[2], corners));
  const LoopSides sides = MakeLoopSides(corners);
  const Vector3 axis{0.6, -0.48, 0.64};
  for (const Vector3& point : {Vector3{0.01, -0.26, 0}, Vector3{0.01, -0.24, 0}, corners[1], Vector3{0.03, -0.25, 0.05}}) {
    const LoopFieldSlope one_pass = LoopFieldAndSlope(MakeLoopArrays(sides), point, axis, true);
    const Vector3 reference = FieldOfLoop(ShapesOfLoop(sides, point), 1.0);
    const double size = std::hypot(reference.x, reference.y, reference.z);
    EXPECT_NEAR(one_pass.field.x, reference.x, 1e-12 * size);
    EXPECT_NEAR(one_pass.field.y, reference.y, 1e-12 * size);
    EXPECT_NEAR(one_pass.field.z, reference.z, 1e-12 * size);
    EXPECT_TRUE(std::isfinite(one_pass.slope.x + one_pass.slope.y + one_pass.slope.z));
  }
}

TEST(SegmentField, PointsOnTheLineAndEmptySegmentsGiveNothing) {
  const Vector3 a{0, 0, 0}, b{1, 0, 0};
  EXPECT_EQ(SegmentField({0.5, 0, 0}, a, b, 1.0), Vector3{});     // on the wire
  EXPECT_EQ(SegmentField({3, 0, 0}, a, b, 1.0), Vector3{});       // on its extension
  EXPECT_EQ(SegmentField(a, a, b, 1.0), Vector3{});               // at an end
  EXPECT_EQ(SegmentField({0.2, 0.3, 0}, a, a, 1.0), Vector3{});   // no length
  EXPECT_EQ(SegmentField({kNan, 0.3, 0}, a, b, 1.0), Vector3{});  // |n| not a number
}

TEST_F(CoilFieldTest, ZeroAndNegativeDriveScaleTheFieldAsTheFormulasSay) {
  const Vector3 p{0.12, -0.1, 0.25};
  for (GeneratorRecord* g : {&real_, &ideal_}) {
    const Vector3 base = CoilFieldZ(*g, p);
    GeneratorRecord zero = *g;
    zero.turns = 0;
    for (CoilRecord& c : zero.coils) c.turns = 0;
    const Vector3 none = CoilFieldZ(zero, p);
    EXPECT_EQ(none.x, 0.0);
    EXPECT_EQ(none.y, 0.0);
    EXPECT_EQ(none.z, 0.0);

    GeneratorRecord reversed = *g;
    reversed.peak_current_a = -5.0;
    for (CoilRecord& c : reversed.coils) c.peak_current_a = -5.0;
    const Vector3 back = CoilFieldZ(reversed, p);
    EXPECT_EQ(back.x, -base.x);
    EXPECT_EQ(back.y, -base.y);
    EXPECT_EQ(back.z, -base.z);
  }
  // A coil of side 0 has no field; a negative side is the same square run through from the opposite
  // corner, so it keeps its field.
  GeneratorRecord flat = real_;
  flat.coils[2].side_m = 0.0;
  EXPECT_EQ(CoilFieldZ(flat, p), Vector3{});
  flat.coils[2].side_m = -0.02;
  EXPECT_TRUE(RelativelyNear(CoilFieldZ(flat, p).z, CoilFieldZ(real_, p).z, 1e-12));
}

TEST_F(CoilFieldTest, HugeDriveIsUsedAsItIs) {
  const Vector3 p{0.12, -0.1, 0.25};
  const double scale = static_cast<double>(INT_MAX) / 50;
  GeneratorRecord real = real_;
  for (CoilRecord& c : real.coils) c.turns = INT_MAX;
  EXPECT_TRUE(RelativelyNear(CoilFieldZ(real, p).z, scale * CoilFieldZ(real_, p).z, 1e-12));
  GeneratorRecord ideal = ideal_;
  ideal.turns = INT_MAX;
  EXPECT_TRUE(RelativelyNear(CoilFieldZ(ideal, p).z, scale * CoilFieldZ(ideal_, p).z, 1e-12));
  ideal.turns = INT_MIN;
  EXPECT_LT(CoilFieldZ(ideal, p).z, 0.0);
}

// Values that overflow or are not numbers still give a vector back; nothing traps.
TEST_F(CoilFieldTest, NonFiniteAndHugeInputsReturnVectors) {
  const Vector3 odd_points[] = {
      {kNan, 0, 0}, {0, kInf, 0}, {0, 0, -kInf}, {1e300, 1e300, 1e300}, {-1e308, 0, 1e-308}};
  for (const Vector3& p : odd_points) {
    for (int axis = 0; axis < 3; ++axis) {
      (void)CoilField(real_, axis, p);
      (void)CoilField(ideal_, axis, p);
    }
  }
  // The real model at a point that is not a number: every side is "on its line".
  EXPECT_EQ(CoilFieldZ(real_, {kNan, -0.2, 0.1}), Vector3{});
  // The ideal model carries the NaN through instead.
  EXPECT_TRUE(std::isnan(CoilFieldZ(ideal_, {kNan, -0.2, 0.1}).z));

  GeneratorRecord odd = real_;
  const double sides[] = {kNan, kInf, -kInf, 1e308, -1e308, 1e-300};
  for (double side : sides) {
    for (CoilRecord& c : odd.coils) c.side_m = side;
    for (int axis = 0; axis < 3; ++axis) (void)CoilField(odd, axis, {0.1, 0.2, 0.3});
  }
  GeneratorRecord huge = ideal_;
  huge.area_m2 = 1e308;
  huge.peak_current_a = 1e308;
  huge.turns = INT_MAX;
  EXPECT_TRUE(std::isinf(CoilFieldZ(huge, {0.1, 0.2, 0.3}).z));
  huge.x = kInf;
  (void)CoilFieldZ(huge, {0.1, 0.2, 0.3});
}

}  // namespace
}  // namespace orvendi
