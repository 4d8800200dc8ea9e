#include "core/design/design_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/design/design_file.h"
#include "core/field/bed_model.h"
#include "core/platform/progress.h"
#include "core/position/accuracy.h"
#include "core/position/calculation.h"
#include "support/default_design.h"
#include "support/thread_count.h"

namespace orvendi {
namespace {

// The bits of what a design computes: the nine bed phasors (kBedBits), then a Calculate's
// estimates and error figures with those phasors in place.
constexpr std::size_t kBedBits = 4 * kCoilCount;
std::vector<std::uint64_t> Computed(DesignRecord design) {
  std::vector<std::uint64_t> bits;
  const auto add = [&bits](double value) { bits.push_back(std::bit_cast<std::uint64_t>(value)); };
  NoProgress progress;
  EXPECT_TRUE(ComputeBedModel(design, progress));
  design.bed_stale = 0;
  for (int k = 0; k < kCoilCount; ++k) {
    add(design.bed_currents[k].real()), add(design.bed_currents[k].imag());
    add(design.bed_voltages[k].real()), add(design.bed_voltages[k].imag());
  }
  ResultBuffer results;
  CalculationWork work;
  CalculateCommand(design, results, work, progress);
  // No change below grows the grid beyond 4 x 4.
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 5; ++j) {
      for (int c = 0; c < 3; ++c) add(results.Slot(i, j)[c]);
    }
  }
  ComputePositionAccuracy(design, results);
  add(design.max_error_m), add(design.rms_error_m);
  return bits;
}

// Designs on a 3 x 3 grid in each scan plane that between them read every simulation input:
// both dipole models, both algorithms, the bed with and without its currents, both bed and sensor
// models, every plane.
std::vector<DesignRecord> Bases() {
  DesignRecord plain = testing::DefaultDesign();
  plain.scan_x_from = plain.scan_y_from = -0.1;
  plain.scan_x_to = plain.scan_y_to = 0.1;
  plain.scan_z_from = 0.2, plain.scan_z_to = 0.4;
  plain.bed_cells_x = plain.bed_cells_y = 6;
  DesignRecord ideal = plain;
  std::string error;
  EXPECT_TRUE(SetDesignNumber(ideal, "dipole_type", 0, error)) << error;
  ideal.algorithm_type = 2, ideal.include_bed_currents = 1, ideal.scan_plane = 1, ideal.offset_v = 1e-3;
  DesignRecord side = plain;
  side.include_bed_currents = 1, side.scan_plane = 2, side.noise_peak_v = 1e-4, side.sensor_theta_rad = 0.3;
  DesignRecord sheet = plain;
  sheet.include_bed_currents = 1, sheet.bed_model = 1, sheet.sensor_model = 1, sheet.offset_v = 1e-5;
  return {plain, ideal, side, sheet};
}

double Changed(double value) { return value + 0.1; }

std::int32_t Changed(std::int32_t value, KeyCheck check) {
  switch (check) {
    case KeyCheck::kOneOrTwo:
      return 3 - value;
    case KeyCheck::kOneToThree:
      return value % 3 + 1;
    case KeyCheck::kZeroToTwo:
      return (value + 1) % 3;
    case KeyCheck::kZeroToFour:
      return (value + 1) % 5;
    case KeyCheck::kWhole:
      return value + 1;
    default:
      return value == 0 ? 1 : value - 1;
  }
}

struct Change {
  std::string key;
  KeyKind kind;
  bool bed_input;
  std::function<void(DesignRecord&)> apply;
};

// A file key changes as the program's setter changes it, copies included; any other value alone.
template <class Record>
void AddChanges(const SchemaKey<Record>& key, const std::string& path, KeyKind kind,
                const std::function<Record&(DesignRecord&)>& record, std::vector<Change>& changes) {
  std::visit(
      [&](auto member) {
        using Value = std::remove_cvref_t<decltype(Record{}.*member)>;
        if constexpr (std::is_same_v<Value, double> || std::is_same_v<Value, std::int32_t>) {
          const KeyCheck check = key.check;
          const std::string_view name = key.name;
          changes.push_back({path, kind, (key.flags & kBedInput) != 0, [=](DesignRecord& design) {
                               Value& target = record(design).*member;
                               Value value = target;
                               if constexpr (std::is_same_v<Value, double>) {
                                 value = Changed(value);
                               } else {
                                 value = Changed(value, check);
                               }
                               if (name.empty()) {
                                 target = value;
                                 return;
                               }
                               std::string error;
                               EXPECT_TRUE(SetDesignNumber(design, path, value, error)) << error;
                             }});
        } else if constexpr (std::is_same_v<Value, CoilFlags>) {
          changes.push_back({path + "[0]", kind, false, [=](DesignRecord& d) {
                               std::string error;
                               EXPECT_TRUE(
                                   SetDesignNumber(d, path + "[0]", 1 - (record(d).*member)[0], error));
                             }});
        } else if constexpr (std::is_same_v<Value, CoilPhasors>) {
          changes.push_back(
              {path, kind, false, [=](DesignRecord& d) { (record(d).*member)[4] = Phasor(1.0, -2.0); }});
        } else if constexpr (std::is_same_v<Value, GeneratorRecords>) {
          for (int g = 0; g < kGeneratorCount; ++g) {
            for (const SchemaKey<GeneratorRecord>& inner : kGeneratorKeys) {
              const std::string name = path + "[" + std::to_string(g) + "]." +
                                       std::string(inner.name.empty() ? "(copy)" : inner.name);
              AddChanges<GeneratorRecord>(
                  inner, name, kind,
                  [=](DesignRecord& d) -> GeneratorRecord& { return (record(d).*member)[g]; }, changes);
            }
          }
        } else if constexpr (std::is_same_v<Value, CoilRecords>) {
          for (int c = 0; c < 3; ++c) {
            for (const SchemaKey<CoilRecord>& inner : kCoilKeys) {
              const std::string name =
                  path + ".coils[" + std::to_string(c) + "] value " + std::to_string(&inner - kCoilKeys);
              AddChanges<CoilRecord>(
                  inner, name, kind, [=](DesignRecord& d) -> CoilRecord& { return (record(d).*member)[c]; },
                  changes);
            }
          }
        }
      },
      key.member);
}

TEST(DesignSchema, ExactlyTheSimulationInputsChangeWhatIsComputedAndTheBedInputsTheBed) {
  // Hundreds of tiny runs: one thread saves a thread team's start for each.
  const testing::ThreadCount one_thread(1);
  std::vector<Change> changes;
  for (const DesignKey& key : kDesignKeys) {
    const std::string unnamed = "key " + std::to_string(&key - kDesignKeys) + " (not in the file)";
    AddChanges<DesignRecord>(
        key, key.name.empty() ? unnamed : std::string(key.name), key.kind,
        [](DesignRecord& d) -> DesignRecord& { return d; }, changes);
  }
  const std::vector<DesignRecord> bases = Bases();
  std::vector<std::vector<std::uint64_t>> computed;
  for (const DesignRecord& base : bases) computed.push_back(Computed(base));
  for (const Change& change : changes) {
    SCOPED_TRACE(change.key);
    bool differs = false;
    bool bed_differs = false;
    for (std::size_t b = 0; b < bases.size(); ++b) {
      DesignRecord changed = bases[b];
      change.apply(changed);
      const std::vector<std::uint64_t> bits = Computed(changed);
      differs = differs || bits != computed[b];
      bed_differs = bed_differs || !std::equal(bits.begin(), bits.begin() + kBedBits, computed[b].begin());
      EXPECT_EQ(SameSimulationInputs(bases[b], changed), change.kind != KeyKind::kSimulationInput);
    }
    EXPECT_EQ(differs, change.kind == KeyKind::kSimulationInput);
    EXPECT_EQ(bed_differs, change.bed_input);
  }
}

}  // namespace
}  // namespace orvendi
