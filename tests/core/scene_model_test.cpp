#include "core/views/scene_model.h"

#include <gtest/gtest.h>

#include "support/default_design.h"

namespace orvendi {
namespace {

struct SceneWithMonteCarlo : SceneModel {
  SceneWithMonteCarlo() {
    design = testing::DefaultDesign();
    monte_carlo.present = true;
    monte_carlo.design = design;
    monte_carlo.result.points.resize(36);
  }
};

TEST(SceneMonteCarlo, ShownOnlyWhileTheDesignComputesTheSame) {
  SceneWithMonteCarlo scene;
  ASSERT_EQ(CurrentMonteCarlo(scene), &scene.monte_carlo);
  EXPECT_EQ(CurrentMonteCarloPoints(scene), &scene.monte_carlo.result.points);

  // Display options and results leave it current.
  scene.design.show_error_map = 1;
  scene.design.error_map_quantity = kErrorMapTrueness;
  scene.design.error_magnification = 100.0;
  scene.design.results_valid = 1;
  EXPECT_NE(CurrentMonteCarlo(scene), nullptr);

  // A moved generator makes it stale; moving it back makes it current again.
  SetGeneratorPosition(scene.design.generators[0], 0.0, -0.2, 0.0);
  EXPECT_EQ(CurrentMonteCarlo(scene), nullptr);
  EXPECT_EQ(CurrentMonteCarloPoints(scene), nullptr);
  SetGeneratorPosition(scene.design.generators[0], 0.0, -0.26, 0.0);
  EXPECT_NE(CurrentMonteCarlo(scene), nullptr);

  scene.design.noise_peak_v = 1e-6;
  EXPECT_EQ(CurrentMonteCarlo(scene), nullptr);
}

TEST(SceneMonteCarlo, NoneBeforeTheFirstRun) {
  SceneModel scene;
  scene.design = testing::DefaultDesign();
  EXPECT_EQ(CurrentMonteCarlo(scene), nullptr);
  EXPECT_EQ(CurrentMonteCarloPoints(scene), nullptr);
}

}  // namespace
}  // namespace orvendi
