#include <benchmark/benchmark.h>

#include "design/design_record.h"
#include "field/coil_field.h"
#include "platform/host.h"
#include "views/view_state.h"

namespace orvendi {
namespace {

void BM_CoilFieldReal(benchmark::State& state) {
  DesignRecord design;
  ViewState view;
  NullHost host;
  ApplyDefaults(design, view, host);
  Vector3 p{0.1, -0.05, 0.4};
  for (auto _ : state) {
    benchmark::DoNotOptimize(CoilFieldZ(design.generators[0], p));
    p.x += 1e-9;
  }
}
BENCHMARK(BM_CoilFieldReal);

}  // namespace
}  // namespace orvendi
