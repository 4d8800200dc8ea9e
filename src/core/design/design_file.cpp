#include "core/design/design_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <system_error>
#include <type_traits>
#include <variant>

#include "core/design/atomic_file.h"
#include "core/design/design_values.h"
#include "core/design/json_text.h"
#include "core/design/scan_check.h"

namespace orvendi {

namespace {

using namespace design_values;

using Json = nlohmann::json;
// Written files keep the record's order of keys; read files need no order.
using OrderedJson = nlohmann::ordered_json;

constexpr SchemaKey<StoredView> kViewFields[] = {
    {"current_view", &StoredView::current_view, KeyCheck::kZeroToTwo, KeyKind::kDisplayOption},
    {"scale_percent", &StoredView::scale_percent, KeyCheck::kScalePercent, KeyKind::kDisplayOption},
    {"view_centre_x", &StoredView::view_centre_x, KeyCheck::kFiniteNumber, KeyKind::kDisplayOption},
    {"view_centre_y", &StoredView::view_centre_y, KeyCheck::kFiniteNumber, KeyKind::kDisplayOption},
    {"view_centre_z", &StoredView::view_centre_z, KeyCheck::kFiniteNumber, KeyKind::kDisplayOption},
};

struct ScanAxis {
  std::string_view from_key;
  std::string_view to_key;
  std::string_view step_key;
  double DesignRecord::*from;
  double DesignRecord::*to;
  double DesignRecord::*step;
};

constexpr ScanAxis kScanAxes[] = {
    {"scan_x_from", "scan_x_to", "scan_x_step", &DesignRecord::scan_x_from, &DesignRecord::scan_x_to,
     &DesignRecord::scan_x_step},
    {"scan_y_from", "scan_y_to", "scan_y_step", &DesignRecord::scan_y_from, &DesignRecord::scan_y_to,
     &DesignRecord::scan_y_step},
    {"scan_z_from", "scan_z_to", "scan_z_step", &DesignRecord::scan_z_from, &DesignRecord::scan_z_to,
     &DesignRecord::scan_z_step},
};

// ---- Writing

template <class J>
J ValueJson(double value) {
  return NumberJson<J>(value);
}

template <class J>
J ValueJson(std::int32_t value) {
  return J(value);
}

template <class J>
J ValueJson(const CoilFlags& flags) {
  J array = J::array();
  for (const std::int32_t flag : flags) array.push_back(flag);
  return array;
}

template <class J, class Record>
J FieldsJson(const Record& record, std::span<const SchemaKey<Record>> fields) {
  J object = J::object();
  for (const SchemaKey<Record>& field : fields) {
    if (field.name.empty()) continue;
    std::visit(
        [&](auto member) {
          const auto& value = record.*member;
          using Value = std::remove_cvref_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, GeneratorRecords>) {
            J generators = J::array();
            for (const GeneratorRecord& generator : value) {
              generators.push_back(FieldsJson<J, GeneratorRecord>(generator, kGeneratorKeys));
            }
            object[std::string(field.name)] = std::move(generators);
          } else if constexpr (std::is_same_v<Value, double> || std::is_same_v<Value, std::int32_t> ||
                               std::is_same_v<Value, CoilFlags>) {
            object[std::string(field.name)] = ValueJson<J>(value);
          }
        },
        field.member);
  }
  return object;
}

// Without a view for the numeric keys, which leave the view out.
template <class J>
J DesignJson(const DesignRecord& design, const StoredView* view) {
  J root = J::object();
  root["format"] = std::string(kDesignFormatName);
  root["version"] = kDesignFormatVersion;
  const J fields = FieldsJson<J, DesignRecord>(design, kDesignKeys);
  for (const auto& [name, value] : fields.items()) root[name] = value;
  if (view != nullptr) {
    for (const DesignKey& key : kDesignKeys) {
      const auto* member = std::get_if<double DesignRecord::*>(&key.member);
      if ((key.flags & kOmittedAtZero) != 0 && member != nullptr &&
          std::bit_cast<std::uint64_t>(design.**member) == 0)
        root.erase(std::string(key.name));
    }
    root["view"] = FieldsJson<J, StoredView>(*view, kViewFields);
  }
  return root;
}

// ---- Reading

void ReadGenerators(const Json& value, GeneratorRecords& generators, Problems& problems);

template <class Record>
void ReadFields(const Json& object, std::string_view parent, Record& record,
                std::span<const SchemaKey<Record>> fields, Problems& problems) {
  for (const SchemaKey<Record>& field : fields) {
    if (field.name.empty()) continue;
    const auto found = object.find(std::string(field.name));
    if (found == object.end()) continue;
    const std::string key = JoinKeyPath(parent, field.name);
    std::visit(
        [&](auto member) {
          auto& target = record.*member;
          using Target = std::remove_reference_t<decltype(target)>;
          if constexpr (std::is_same_v<Target, double>) {
            if (const auto number = ReadNumber(*found, key, field.check, problems)) target = *number;
          } else if constexpr (std::is_same_v<Target, std::int32_t>) {
            if (const auto whole = ReadWhole(*found, key, field.check, problems)) target = *whole;
          } else if constexpr (std::is_same_v<Target, CoilFlags>) {
            ReadFlags(*found, key, field.check, target, problems);
          } else if constexpr (std::is_same_v<Target, GeneratorRecords>) {
            ReadGenerators(*found, target, problems);
          }
        },
        field.member);
  }
}

void ReadGenerators(const Json& value, GeneratorRecords& generators, Problems& problems) {
  if (!value.is_array() || value.size() != generators.size()) {
    problems.push_back({"generators", "must be an array of exactly " + Text(generators.size()) +
                                          " generators, not " +
                                          (value.is_array() ? "one of " + Text(value.size()) : Describe(value))});
    return;
  }
  for (std::size_t g = 0; g < generators.size(); ++g) {
    const std::string key = JoinKeyPath("generators", g);
    const Json& generator = value[g];
    if (!generator.is_object()) {
      problems.push_back({key, "must be an object, not " + Describe(generator)});
      continue;
    }
    ReadFields<GeneratorRecord>(generator, key, generators[g], kGeneratorKeys, problems);
  }
}

void ReadView(const Json& root, StoredView& view, Problems& problems) {
  const auto found = root.find("view");
  if (found == root.end()) return;
  if (!found->is_object()) {
    problems.push_back({"view", "must be an object, not " + Describe(*found)});
    return;
  }
  ReadFields<StoredView>(*found, "view", view, kViewFields, problems);
}

// Only a file of this format and of a version this program knows is read any further.
bool CheckIdentity(const Json& root, Problems& problems) {
  const std::string format_text = "\"" + std::string(kDesignFormatName) + "\"";
  const auto format = root.find("format");
  if (format == root.end()) {
    problems.push_back({"format", "missing; a design file begins with \"format\": " + format_text});
    return false;
  }
  if (!format->is_string() || format->get_ref<const std::string&>() != kDesignFormatName) {
    problems.push_back({"format", "must be " + format_text + ", not " + Describe(*format)});
    return false;
  }
  const auto version = root.find("version");
  if (version == root.end()) {
    problems.push_back({"version", "missing"});
    return false;
  }
  const std::optional<std::int32_t> number = ReadWhole(*version, "version", KeyCheck::kWhole, problems);
  if (!number) return false;
  if (*number > kDesignFormatVersion) {
    problems.push_back({"version", "is " + Text(*number) + ", newer than this program reads (" +
                                       Text(kDesignFormatVersion) + ")"});
    return false;
  }
  if (*number < 1) {
    problems.push_back({"version", "must be " + Text(kDesignFormatVersion) + ", not " + Text(*number)});
    return false;
  }
  return true;
}

// Why one axis of the scan is refused, at the key to correct.
Problem ScanAxisProblem(const ScanAxis& axis, double from, double to, double step) {
  const std::string step_key(axis.step_key);
  if (!std::isfinite(from)) return {std::string(axis.from_key), "must be a finite number in a scan range"};
  if (!std::isfinite(to)) return {std::string(axis.to_key), "must be a finite number in a scan range"};
  if (std::isnan(step)) return {step_key, "must be a number"};
  if (!(step >= kMinScanStep)) {
    return {step_key, "is " + Text(step) + "; a scan step must be at least " + Text(kMinScanStep)};
  }
  if (!(to >= from)) {
    return {std::string(axis.to_key), "is " + Text(to) + ", below " + std::string(axis.from_key) + " " +
                                          Text(from) + "; a scan range must ascend"};
  }
  return {step_key, "gives " + Text((to - from) / step) + " steps from " + std::string(axis.from_key) + " to " +
                        std::string(axis.to_key) + "; a scan may have at most " + Text(kMaxScanSteps)};
}

// The scan settings as the Scan Options dialog checks them before storing any.
void CheckScan(const DesignRecord& d, Problems& problems) {
  const bool accepted =
      d.scan_x_step >= kMinScanStep && ValidateScanSettings(d.scan_x_from, d.scan_x_to, d.scan_x_step, d.scan_y_from,
                                                            d.scan_y_to, d.scan_y_step, d.scan_z_from, d.scan_z_to,
                                                            d.scan_z_step);
  if (accepted) return;
  bool named = false;
  for (const ScanAxis& axis : kScanAxes) {
    const double from = d.*axis.from;
    const double to = d.*axis.to;
    const double step = d.*axis.step;
    // Every rule of the check is per axis; in the y row it includes the step rule the dialog adds for x.
    if (ValidateScanSettings(0, 0, 1, from, to, step, 0, 0, 1)) continue;
    problems.push_back(ScanAxisProblem(axis, from, to, step));
    named = true;
  }
  if (!named) problems.push_back({"scan_x_from", "the scan settings are refused"});
}

bool HasProblemAt(const Problems& problems, std::string_view key) {
  return std::any_of(problems.begin(), problems.end(), [&](const Problem& p) { return p.key == key; });
}

// The copies the dialogs and placement keep equal to what the file holds.
void FollowGenerators(DesignRecord& design) {
  for (GeneratorRecord& generator : design.generators) {
    SetGeneratorPosition(generator, generator.x, generator.y, generator.z);
    generator.area_m2 = generator.side_m * generator.side_m;
    generator.real_dipole = design.dipole_type;
    for (CoilRecord& coil : generator.coils) {
      coil.side_m = generator.side_m;
      coil.turns = generator.turns;
      coil.peak_current_a = generator.peak_current_a;
    }
  }
}

// Reads every key the file has onto `design` and `view`, which hold the values to keep for the
// keys it lacks.
void ApplyDesignJson(const Json& root, DesignRecord& design, StoredView& view, Problems& problems) {
  if (!root.is_object()) {
    problems.push_back({"", "must hold one JSON object, not " + Describe(root)});
    return;
  }
  if (!CheckIdentity(root, problems)) return;
  ReadFields<DesignRecord>(root, "", design, kDesignKeys, problems);
  ReadView(root, view, problems);
  const bool scan_read = std::none_of(std::begin(kScanAxes), std::end(kScanAxes), [&](const ScanAxis& axis) {
    return HasProblemAt(problems, axis.from_key) || HasProblemAt(problems, axis.to_key) ||
           HasProblemAt(problems, axis.step_key);
  });
  if (scan_read) CheckScan(design, problems);
  if (design.bed_model == 1 && static_cast<std::int64_t>(design.bed_cells_x) * design.bed_cells_y > kMaxSheetCells)
    problems.push_back({"bed_cells_x", "gives more than " + std::to_string(kMaxSheetCells) +
                                           " cells with bed_cells_y, the most the sheet bed model takes"});
  FollowGenerators(design);
}

Problems CheckDesignText(std::string_view text, DesignRecord& design, StoredView& view) {
  if (text.size() > kMaxDesignFileBytes) {
    return {{"", "is " + Text(text.size()) + " bytes, more than the 16 MiB a design file may have"}};
  }
  if (text.empty()) return {{"", "is empty"}};
  Json root;
  if (const auto problem = ParseJsonStrictly(text, root)) return {{problem->where, problem->what}};
  Problems problems;
  ApplyDesignJson(root, design, view, problems);
  return problems;
}

std::string Message(std::string_view source, const Problem& problem) {
  std::string message(source);
  if (!problem.key.empty()) message += (message.empty() ? "" : ": ") + problem.key;
  message += (message.empty() ? "" : ": ") + problem.what;
  return message;
}

// The file's bytes; false with the reason when it cannot be a design file.
bool ReadFileText(const std::string& path, std::string& text, std::string& problem) {
  // Non-blocking, so that opening a FIFO cannot hang; it is turned away below.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    problem = "cannot be opened: " + std::generic_category().message(errno);
    return false;
  }
  const auto fail = [&](std::string why) {
    close(fd);
    problem = std::move(why);
    return false;
  };
  struct stat status {};
  if (fstat(fd, &status) != 0) return fail("cannot be examined: " + std::generic_category().message(errno));
  if (S_ISDIR(status.st_mode)) return fail("is a directory, not a design file");
  if (!S_ISREG(status.st_mode)) return fail("is not a regular file");
  const std::string too_large = "is larger than the 16 MiB a design file may have";
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxDesignFileBytes) return fail(too_large);
  text.clear();
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return fail("cannot be read: " + std::generic_category().message(errno));
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    // The size may have grown since fstat, or was never told (files under /proc).
    if (text.size() > kMaxDesignFileBytes) return fail(too_large);
  }
  close(fd);
  return true;
}

// "/generators/1/x" for "generators[1].x"; empty for a key that is not numeric.
std::optional<Json::json_pointer> NumericKeyPointer(std::string_view key) {
  const std::vector<std::string>& keys = NumericDesignKeys();
  if (std::find(keys.begin(), keys.end(), key) == keys.end()) return std::nullopt;
  std::string pointer = "/";
  for (const char c : key) {
    if (c == '.' || c == '[') {
      pointer += '/';
    } else if (c != ']') {
      pointer += c;
    }
  }
  return Json::json_pointer(pointer);
}

void CollectLeafKeys(const OrderedJson& value, const std::string& path, std::vector<std::string>& keys) {
  if (value.is_object()) {
    for (const auto& [name, child] : value.items()) CollectLeafKeys(child, JoinKeyPath(path, name), keys);
  } else if (value.is_array()) {
    for (std::size_t i = 0; i < value.size(); ++i) CollectLeafKeys(value[i], JoinKeyPath(path, i), keys);
  } else {
    keys.push_back(path);
  }
}

}  // namespace

std::string WriteDesignJson(const DesignRecord& design, const StoredView& view) {
  return DesignJson<OrderedJson>(design, &view).dump(2) + "\n";
}

bool ReadDesignJson(std::string_view text, std::string_view source_name, DesignRecord& design, StoredView& view,
                    std::string& error) {
  DesignRecord read;
  ApplyDesignDefaults(read);
  StoredView read_view;
  const Problems problems = CheckDesignText(text, read, read_view);
  if (!problems.empty()) {
    error = Message(source_name, problems.front());
    return false;
  }
  design = read;
  view = read_view;
  return true;
}

bool ReadDesignFile(const std::string& path, DesignRecord& design, StoredView& view, std::string& error) {
  std::string text;
  std::string problem;
  if (!ReadFileText(path, text, problem)) {
    error = path + ": " + problem;
    return false;
  }
  return ReadDesignJson(text, path, design, view, error);
}

bool WriteDesignFile(const std::string& path, const DesignRecord& design, const StoredView& view,
                     std::string& error) {
  return WriteFileAtomically(path, WriteDesignJson(design, view), error);
}

std::vector<std::string> ValidateDesignJson(std::string_view text, std::string_view source_name) {
  DesignRecord design;
  ApplyDesignDefaults(design);
  StoredView view;
  std::vector<std::string> messages;
  for (const Problem& problem : CheckDesignText(text, design, view)) messages.push_back(Message(source_name, problem));
  return messages;
}

std::vector<std::string> ValidateDesignFile(const std::string& path) {
  std::string text;
  std::string problem;
  if (!ReadFileText(path, text, problem)) return {path + ": " + problem};
  return ValidateDesignJson(text, path);
}

const std::vector<std::string>& NumericDesignKeys() {
  static const std::vector<std::string> keys = [] {
    DesignRecord design;
    ApplyDesignDefaults(design);
    OrderedJson root = DesignJson<OrderedJson>(design, nullptr);
    root.erase("format");
    root.erase("version");
    std::vector<std::string> leaves;
    CollectLeafKeys(root, "", leaves);
    return leaves;
  }();
  return keys;
}

bool DesignNumberIsWhole(std::string_view key) {
  const std::optional<Json::json_pointer> pointer = NumericKeyPointer(key);
  DesignRecord design;
  ApplyDesignDefaults(design);
  return pointer && DesignJson<Json>(design, nullptr).at(*pointer).is_number_integer();
}

std::optional<double> GetDesignNumber(const DesignRecord& design, std::string_view key) {
  const std::optional<Json::json_pointer> pointer = NumericKeyPointer(key);
  if (!pointer) return std::nullopt;
  const Json root = DesignJson<Json>(design, nullptr);
  Problems ignored;
  return ReadNumber(root.at(*pointer), std::string(key), KeyCheck::kAnyNumber, ignored);
}

bool SetDesignNumbers(DesignRecord& design, std::span<const std::string_view> keys,
                      std::span<const double> values, std::string& error) {
  Json root = DesignJson<Json>(design, nullptr);
  for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) {
    const std::optional<Json::json_pointer> pointer = NumericKeyPointer(keys[i]);
    if (!pointer) {
      error = MessageExcerpt(keys[i], 160) + ": not a numeric key of a design";
      return false;
    }
    root[*pointer] = NumberJson<Json>(values[i]);
  }
  // Read onto a copy, so that what the file does not hold (results, interaction state) stays.
  DesignRecord updated = design;
  StoredView view;
  Problems problems;
  ApplyDesignJson(root, updated, view, problems);
  if (!problems.empty()) {
    error = Message("", problems.front());
    return false;
  }
  const bool bed_input_changed = std::any_of(
      std::begin(kDesignKeys), std::end(kDesignKeys),
      [&](const DesignKey& k) { return (k.flags & kBedInput) != 0 && !SameKeyValue(k, design, updated); });
  if (bed_input_changed) updated.bed_stale = 1;
  design = updated;
  return true;
}

bool SetDesignNumber(DesignRecord& design, std::string_view key, double value, std::string& error) {
  return SetDesignNumbers(design, std::span<const std::string_view>(&key, 1),
                          std::span<const double>(&value, 1), error);
}

bool DesignNumberStandsAlone(std::string_view key) { return DesignNumberGroup(key).empty(); }

std::string_view DesignNumberGroup(std::string_view key) {
  for (const ScanAxis& axis : kScanAxes) {
    if (key == axis.from_key || key == axis.to_key || key == axis.step_key) return axis.from_key;
  }
  // The sheet's cell limit judges the two counts and the bed model together.
  if (key == "bed_cells_x" || key == "bed_cells_y" || key == "bed_model") return "bed_cells_x";
  return {};
}

}  // namespace orvendi
