#include "core/views/scene_model.h"

namespace orvendi {

const MonteCarloRecord* CurrentMonteCarlo(const SceneModel& scene) {
  const MonteCarloRecord& record = scene.monte_carlo;
  if (!record.present || !SameSimulationInputs(record.design, scene.design)) return nullptr;
  return &record;
}

const std::vector<MonteCarloPoint>* CurrentMonteCarloPoints(const SceneModel& scene) {
  const MonteCarloRecord* record = CurrentMonteCarlo(scene);
  return record == nullptr ? nullptr : &record->result.points;
}

const std::vector<BoundPoint>* BoundPointsFor(const SceneModel& scene, const DesignRecord& design) {
  const BoundRecord& record = scene.bound;
  if (!record.present || !SameSimulationInputs(record.design, design)) return nullptr;
  return &record.points;
}

}  // namespace orvendi
