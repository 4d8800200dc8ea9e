#pragma once

#include "core/position/calculation.h"
#include "core/views/scene_model.h"

namespace orvendi {

// Everything the program works on, one instance for its whole run, owned by the main window:
// the scene the windows show, and the work state of the calculation run.
struct AppState : SceneModel {
  CalculationWork work;
};

}  // namespace orvendi
