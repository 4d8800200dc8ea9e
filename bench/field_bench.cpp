// The field model: one coil-field evaluation, one bed-field evaluation, and the bed model with its
// fast kernel beside the plain cell-by-cell CoilField sum of the same formulas.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "core/design/design_record.h"
#include "core/field/bed_field.h"
#include "core/field/bed_flux_kernel.h"
#include "core/field/bed_model.h"
#include "core/field/coil_field.h"
#include "core/platform/progress.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

DesignRecord DefaultsWithCells(int cells) {
  DesignRecord design = DefaultDesign();
  design.bed_cells_x = cells;
  design.bed_cells_y = cells;
  return design;
}

void CoilFieldOnce(benchmark::State& state, int real_dipole) {
  GeneratorRecord generator = DefaultDesign().generators[0];
  generator.real_dipole = real_dipole;
  Vector3 p{0.1, -0.05, 0.4};
  for (auto _ : state) {
    benchmark::DoNotOptimize(CoilFieldZ(generator, p));
    p.x += 1e-9;
  }
}

void BM_CoilFieldIdeal(benchmark::State& state) { CoilFieldOnce(state, 0); }
void BM_CoilFieldReal(benchmark::State& state) { CoilFieldOnce(state, 1); }
BENCHMARK(BM_CoilFieldIdeal);
BENCHMARK(BM_CoilFieldReal);

void BM_BedField(benchmark::State& state) {
  const DesignRecord design = DefaultDesign();
  Vector3 p{0.1, -0.05, 0.4};
  for (auto _ : state) {
    benchmark::DoNotOptimize(BedField(design, p, 0.00196954));
    p.x += 1e-9;
  }
}
BENCHMARK(BM_BedField);

// The nine fluxes through CoilField cell by cell, computed once per bed size.
const std::array<double, kCoilCount>& PlainFluxes(int cells) {
  static std::map<int, std::array<double, kCoilCount>> cache;
  auto found = cache.find(cells);
  if (found == cache.end()) {
    const DesignRecord design = DefaultsWithCells(cells);
    const BedCellGrid grid = MakeBedCellGrid(design);
    std::array<double, kCoilCount> fluxes{};
    for (int k = 0; k < kCoilCount; ++k) fluxes[k] = BedFluxPlain(design.generators[k / 3], k % 3, grid);
    found = cache.emplace(cells, fluxes).first;
  }
  return found->second;
}

// The bed model as the program runs it, with the fast kernel. Counters: the largest relative
// difference from the plain sum over the coils whose flux does not cancel, and the difference for
// a coil whose flux cancels (generator 0 X) relative to the largest flux.
void BM_ComputeBedModel(benchmark::State& state) {
  const int cells = static_cast<int>(state.range(0));
  DesignRecord design = DefaultsWithCells(cells);
  NoProgress progress;
  for (auto _ : state) {
    ComputeBedModel(design, progress);
    benchmark::DoNotOptimize(design.bed_voltages);
  }
  const std::array<double, kCoilCount>& plain = PlainFluxes(cells);
  const double omega = design.frequency_hz * 6.2831853072;
  double largest = 0.0;
  for (double f : plain) largest = std::max(largest, std::fabs(f));
  double max_rel = 0.0, cancelling = 0.0;
  for (int k = 0; k < kCoilCount; ++k) {
    const double diff = std::fabs(design.bed_voltages[k].imag() - omega * plain[k]);
    if (std::fabs(plain[k]) > 1e-6 * largest) {
      max_rel = std::max(max_rel, diff / std::fabs(omega * plain[k]));
    } else {
      cancelling = std::max(cancelling, diff / (omega * largest));
    }
  }
  state.counters["max_rel_diff"] = max_rel;
  state.counters["cancel_diff"] = cancelling;
  state.counters["cells"] = static_cast<double>(cells) * cells;
}
BENCHMARK(BM_ComputeBedModel)->Arg(25)->Arg(1000)->Unit(benchmark::kMillisecond);

// The plain reference kernel: the nine fluxes through CoilField cell by cell.
void BM_BedModelPlainKernel(benchmark::State& state) {
  const int cells = static_cast<int>(state.range(0));
  const DesignRecord design = DefaultsWithCells(cells);
  const BedCellGrid grid = MakeBedCellGrid(design);
  for (auto _ : state) {
    for (int k = 0; k < kCoilCount; ++k) {
      benchmark::DoNotOptimize(BedFluxPlain(design.generators[k / 3], k % 3, grid));
    }
  }
  state.counters["cells"] = static_cast<double>(cells) * cells;
}
BENCHMARK(BM_BedModelPlainKernel)->Arg(25)->Arg(1000)->Unit(benchmark::kMillisecond);

// The ideal dipole through the bed model and through the plain kernel.
void BM_ComputeBedModelIdeal(benchmark::State& state) {
  DesignRecord design = DefaultsWithCells(static_cast<int>(state.range(0)));
  for (GeneratorRecord& g : design.generators) g.real_dipole = 0;
  NoProgress progress;
  for (auto _ : state) {
    ComputeBedModel(design, progress);
    benchmark::DoNotOptimize(design.bed_voltages);
  }
}
BENCHMARK(BM_ComputeBedModelIdeal)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_BedModelPlainKernelIdeal(benchmark::State& state) {
  DesignRecord design = DefaultsWithCells(static_cast<int>(state.range(0)));
  for (GeneratorRecord& g : design.generators) g.real_dipole = 0;
  const BedCellGrid grid = MakeBedCellGrid(design);
  for (auto _ : state) {
    for (int k = 0; k < kCoilCount; ++k) {
      benchmark::DoNotOptimize(BedFluxPlain(design.generators[k / 3], k % 3, grid));
    }
  }
}
BENCHMARK(BM_BedModelPlainKernelIdeal)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvendi
