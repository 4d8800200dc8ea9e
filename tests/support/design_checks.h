#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/design_file.h"
#include "core/design/design_record.h"
#include "core/views/design_history.h"
#include "core/views/view_state.h"

namespace orvendi::testing {

// Every numeric key of the design file with its value, in file order.
struct DesignNumber {
  std::string_view key;
  double value = 0.0;
};

inline std::vector<DesignNumber> DesignNumbers(const DesignRecord& design) {
  std::vector<DesignNumber> numbers;
  for (const std::string& key : NumericDesignKeys()) {
    if (const std::optional<double> value = GetDesignNumber(design, key)) numbers.push_back({key, *value});
  }
  return numbers;
}

// Whether the design file lets `key` hold a value that is not finite: what a dialog stores as
// typed (a scan step may be infinite). Positions and the ends of the scan range never may.
inline bool KeyMayBeNonFinite(std::string_view key) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  for (const double value : {std::numeric_limits<double>::quiet_NaN(), kInfinity, -kInfinity}) {
    DesignRecord design;
    ApplyDesignDefaults(design);
    std::string error;
    if (SetDesignNumber(design, key, value, error)) return true;
  }
  return false;
}

// The keys that were finite in `before` and are not in `after`. With `typed` (a dialog took
// entries in between) the keys a dialog may legitimately make non-finite are left out.
inline std::vector<std::string> LostFiniteKeys(const std::vector<DesignNumber>& before,
                                               const std::vector<DesignNumber>& after, bool typed) {
  std::vector<std::string> lost;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (!std::isfinite(before[i].value) || std::isfinite(after[i].value)) continue;
    if (typed && KeyMayBeNonFinite(after[i].key)) continue;
    lost.emplace_back(after[i].key);
  }
  return lost;
}

// The view values that were finite in `before` and are not in `after`.
inline std::vector<std::string> LostFiniteView(const ViewState& before, const ViewState& after) {
  struct Member {
    const char* name;
    double ViewState::*value;
  };
  static constexpr Member kMembers[] = {
      {"view_centre_x", &ViewState::view_centre_x},           {"view_centre_y", &ViewState::view_centre_y},
      {"view_centre_z", &ViewState::view_centre_z},           {"pixels_per_metre_x", &ViewState::pixels_per_metre_x},
      {"pixels_per_metre_y", &ViewState::pixels_per_metre_y}, {"pixels_per_metre_z", &ViewState::pixels_per_metre_z},
  };
  std::vector<std::string> lost;
  for (const Member& member : kMembers) {
    if (std::isfinite(before.*member.value) && !std::isfinite(after.*member.value)) lost.emplace_back(member.name);
  }
  return lost;
}

// What goes wrong when the design and view are written as a design file and read back: empty
// when the file reads and holds the same design and view.
inline std::string FileRoundTripProblem(const DesignRecord& design, const StoredView& view) {
  const std::string text = WriteDesignJson(design, view);
  DesignRecord read = design;
  StoredView read_view;
  std::string error;
  if (!ReadDesignJson(text, "saved design", read, read_view, error)) return "the saved design does not open: " + error;
  if (!SameDesign(read, design)) return "the saved design opens as a different design";
  if (WriteDesignJson(read, read_view) != text) return "the saved view opens as a different view";
  return {};
}

// Whether the two designs hold the same values an undo step holds: everything the file keeps
// but the View menu's toggles.
inline bool SameUndoableDesign(const DesignRecord& a, const DesignRecord& b) {
  DesignRecord a_with_b_toggles = b;
  ApplyDesignSnapshot(a, false, a_with_b_toggles);
  return SameDesign(a_with_b_toggles, b);
}

// The first numeric key whose value differs to the bit, for a message; empty for none.
inline std::string FirstDifference(const DesignRecord& a, const DesignRecord& b) {
  const std::vector<DesignNumber> x = DesignNumbers(a);
  const std::vector<DesignNumber> y = DesignNumbers(b);
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    if (std::bit_cast<std::uint64_t>(x[i].value) != std::bit_cast<std::uint64_t>(y[i].value)) {
      return std::string(x[i].key);
    }
  }
  return {};
}

}  // namespace orvendi::testing
