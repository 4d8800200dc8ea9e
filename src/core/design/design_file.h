#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/design_record.h"
#include "core/design/design_schema.h"

namespace orvendi {

// The design file: one JSON object
//   {"format": "orvendi-design", "version": 1, "generators": [...], "frequency_hz": ..., "view": {...}}
// holding every value a user can set, each under the name of the DesignRecord field that holds it
// (the keys and checks of kDesignKeys, design_schema.h):
// - "generators": exactly three objects with x, y, z, side_m, turns, peak_current_a. Reading
//   copies each generator's values into its three coils, sets area_m2 = side_m * side_m and every
//   real_dipole to dipole_type, as the dialogs and placement do.
// - the drive, sensor, signal, bed, scan and display fields by name; "coil_display" an array of 9.
// - "view": current_view, scale_percent, view_centre_x/y/z.
// Results, bed phasors, drag marks and interaction state are not stored.
//
// Doubles are JSON numbers that read back bit for bit; an infinite or not-a-number value is the
// string "inf", "-inf", "nan" or "-nan" (a NaN keeps its sign, not its payload). What reading
// accepts is what the program itself can hold:
// - any double, non-finite included, where a dialog stores what is typed (frequency, sensor,
//   noise, offset, bed resistance, coil side and current, scan plane offsets);
// - the nine scan range values only as a set the scan check accepts (ValidateScanSettings and an
//   x step of at least kMinScanStep);
// - finite numbers only for positions (generators, bed corners, view centre), which only the
//   mouse and keys set;
// - whole numbers in 32 bits for counts, 0 or 1 for flags, map_style and dipole_type, 1..3
//   for algorithm_type, 0..2 for scan_plane and current_view, 0..3 for error_map_quantity, one of
//   kStoredScalePercents;
// - for error_magnification a finite factor the magnification accepts (ValidErrorMagnification).
// A missing key takes its default, so older files keep opening; an unknown key is ignored.

inline constexpr std::string_view kDesignFormatName = "orvendi-design";
inline constexpr int kDesignFormatVersion = 1;
inline constexpr std::size_t kMaxDesignFileBytes = 16u * 1024u * 1024u;

// The scales the scale commands set.
inline constexpr int kStoredScalePercents[] = {50, 75, 100, 150, 200};

// The part of the view a design file keeps. The design layer cannot see the view state; the
// shell copies between the two.
struct StoredView {
  int current_view = 0;
  int scale_percent = 100;
  double view_centre_x = 0.0;
  double view_centre_y = 0.0;
  double view_centre_z = 0.0;
};

// Pretty printed, two-space indent, trailing newline.
std::string WriteDesignJson(const DesignRecord& design, const StoredView& view);

// On success the design holds the file's values, defaults for keys the file lacks, no results
// (results_valid 0, bed_stale 1, bed phasors zero) and the interaction state at its defaults.
// On failure returns false, sets error to one line "SOURCE: KEY: what is wrong" (a line and
// column instead of a key for malformed JSON) and leaves design and view untouched.
bool ReadDesignJson(std::string_view text, std::string_view source_name, DesignRecord& design, StoredView& view,
                    std::string& error);
bool ReadDesignFile(const std::string& path, DesignRecord& design, StoredView& view, std::string& error);

// Atomic: the old file stays whole if anything fails.
bool WriteDesignFile(const std::string& path, const DesignRecord& design, const StoredView& view,
                     std::string& error);

// Every problem of a file, one message each; empty when it reads.
std::vector<std::string> ValidateDesignJson(std::string_view text, std::string_view source_name);
std::vector<std::string> ValidateDesignFile(const std::string& path);

// Paths of the file's numeric keys, "view" excluded, in file order: "frequency_hz",
// "generators[1].x", "coil_display[3]", ...
const std::vector<std::string>& NumericDesignKeys();

// Whether the numeric key holds a whole number (turns, counts, choices).
bool DesignNumberIsWhole(std::string_view key);

// The value under a numeric key (an integer field as a double); empty for any other key.
std::optional<double> GetDesignNumber(const DesignRecord& design, std::string_view key);

// Sets one numeric key under the rules of reading: an integer key needs a whole value in range,
// a generator's coils and area follow its side, turns and current, a scan value must leave the
// scan settings acceptable. Sets bed_stale when a value the bed model reads changed; results and
// interaction state are kept. On refusal the design is unchanged and error says why.
bool SetDesignNumber(DesignRecord& design, std::string_view key, double value, std::string& error);
// The same for several keys at once, judged together: scan values that are refused one at a time
// in either order may be accepted as a set.
bool SetDesignNumbers(DesignRecord& design, std::span<const std::string_view> keys,
                      std::span<const double> values, std::string& error);

// Whether SetDesignNumber's verdict on a value of the key depends on nothing but that value (given
// a design that reads), and no other key's verdict depends on the key's value: true for every key
// but the nine scan range values and the bed's cell counts and model, which are judged as sets.
bool DesignNumberStandsAlone(std::string_view key);
// The keys whose values are judged together with the key's: the from, to and step of one scan axis
// share a name (the axis's from key), and so do bed_cells_x, bed_cells_y and bed_model; empty for a
// key that stands alone.
std::string_view DesignNumberGroup(std::string_view key);

}  // namespace orvendi
