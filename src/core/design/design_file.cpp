#include "core/design/design_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
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
#include "core/design/json_text.h"
#include "core/design/scan_check.h"

namespace orvendi {

namespace {

using Json = nlohmann::json;
// Written files keep the record's order of keys; read files need no order.
using OrderedJson = nlohmann::ordered_json;

// Which values a key accepts.
enum class Rule {
  kAnyNumber,     // what a dialog stores as typed, infinities and NaN included
  kFiniteNumber,  // positions, set only by the mouse and keys
  kWhole,         // a 32-bit count
  kZeroOrOne,
  kOneOrTwo,
  kOneToThree,
  kZeroToTwo,
  kZeroToThree,
  kScalePercent,
  kMagnification,  // ValidErrorMagnification
};

using CoilFlags = std::array<std::int32_t, kCoilCount>;

template <class Record>
struct Field {
  std::string_view name;
  std::variant<double Record::*, std::int32_t Record::*, CoilFlags Record::*> member;
  Rule rule;
};

constexpr Field<GeneratorRecord> kGeneratorFields[] = {
    {"x", &GeneratorRecord::x, Rule::kFiniteNumber},
    {"y", &GeneratorRecord::y, Rule::kFiniteNumber},
    {"z", &GeneratorRecord::z, Rule::kFiniteNumber},
    {"side_m", &GeneratorRecord::side_m, Rule::kAnyNumber},
    {"turns", &GeneratorRecord::turns, Rule::kWhole},
    {"peak_current_a", &GeneratorRecord::peak_current_a, Rule::kAnyNumber},
};

constexpr Field<DesignRecord> kDesignFields[] = {
    {"frequency_hz", &DesignRecord::frequency_hz, Rule::kAnyNumber},
    {"dipole_type", &DesignRecord::dipole_type, Rule::kZeroOrOne},
    {"algorithm_type", &DesignRecord::algorithm_type, Rule::kOneToThree},
    {"sensor_sensitivity_v_per_t", &DesignRecord::sensor_sensitivity_v_per_t, Rule::kAnyNumber},
    {"sensor_theta_rad", &DesignRecord::sensor_theta_rad, Rule::kAnyNumber},
    {"sensor_phi_rad", &DesignRecord::sensor_phi_rad, Rule::kAnyNumber},
    {"noise_peak_v", &DesignRecord::noise_peak_v, Rule::kAnyNumber},
    {"offset_v", &DesignRecord::offset_v, Rule::kAnyNumber},
    {"bed_x1", &DesignRecord::bed_x1, Rule::kFiniteNumber},
    {"bed_y1", &DesignRecord::bed_y1, Rule::kFiniteNumber},
    {"bed_z1", &DesignRecord::bed_z1, Rule::kFiniteNumber},
    {"bed_x2", &DesignRecord::bed_x2, Rule::kFiniteNumber},
    {"bed_y2", &DesignRecord::bed_y2, Rule::kFiniteNumber},
    {"bed_z2", &DesignRecord::bed_z2, Rule::kFiniteNumber},
    {"bed_ohms_per_m", &DesignRecord::bed_ohms_per_m, Rule::kAnyNumber},
    {"bed_cells_x", &DesignRecord::bed_cells_x, Rule::kWhole},
    {"bed_cells_y", &DesignRecord::bed_cells_y, Rule::kWhole},
    // The nine range values are then checked as a set (CheckScan).
    {"scan_x_from", &DesignRecord::scan_x_from, Rule::kAnyNumber},
    {"scan_x_to", &DesignRecord::scan_x_to, Rule::kAnyNumber},
    {"scan_x_step", &DesignRecord::scan_x_step, Rule::kAnyNumber},
    {"scan_y_from", &DesignRecord::scan_y_from, Rule::kAnyNumber},
    {"scan_y_to", &DesignRecord::scan_y_to, Rule::kAnyNumber},
    {"scan_y_step", &DesignRecord::scan_y_step, Rule::kAnyNumber},
    {"scan_z_from", &DesignRecord::scan_z_from, Rule::kAnyNumber},
    {"scan_z_to", &DesignRecord::scan_z_to, Rule::kAnyNumber},
    {"scan_z_step", &DesignRecord::scan_z_step, Rule::kAnyNumber},
    {"scan_plane", &DesignRecord::scan_plane, Rule::kZeroToTwo},
    {"scan_plane_z", &DesignRecord::scan_plane_z, Rule::kAnyNumber},
    {"scan_plane_x", &DesignRecord::scan_plane_x, Rule::kAnyNumber},
    {"scan_plane_y", &DesignRecord::scan_plane_y, Rule::kAnyNumber},
    {"include_bed_currents", &DesignRecord::include_bed_currents, Rule::kZeroOrOne},
    {"show_generators", &DesignRecord::show_generators, Rule::kZeroOrOne},
    {"show_bed", &DesignRecord::show_bed, Rule::kZeroOrOne},
    {"show_actual_map", &DesignRecord::show_actual_map, Rule::kZeroOrOne},
    {"show_measured_map", &DesignRecord::show_measured_map, Rule::kZeroOrOne},
    {"show_b_field", &DesignRecord::show_b_field, Rule::kZeroOrOne},
    {"coil_display", &DesignRecord::coil_display, Rule::kZeroOrOne},
    {"display_bed_field", &DesignRecord::display_bed_field, Rule::kZeroOrOne},
    {"map_style", &DesignRecord::map_style, Rule::kZeroOrOne},
    {"show_error_map", &DesignRecord::show_error_map, Rule::kZeroOrOne},
    {"error_map_quantity", &DesignRecord::error_map_quantity, Rule::kZeroToThree},
    {"error_magnification", &DesignRecord::error_magnification, Rule::kMagnification},
};

constexpr Field<StoredView> kViewFields[] = {
    {"current_view", &StoredView::current_view, Rule::kZeroToTwo},
    {"scale_percent", &StoredView::scale_percent, Rule::kScalePercent},
    {"view_centre_x", &StoredView::view_centre_x, Rule::kFiniteNumber},
    {"view_centre_y", &StoredView::view_centre_y, Rule::kFiniteNumber},
    {"view_centre_z", &StoredView::view_centre_z, Rule::kFiniteNumber},
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
J NumberJson(double value) {
  if (std::isfinite(value)) return J(value);
  if (std::isnan(value)) return J(std::signbit(value) ? "-nan" : "nan");
  return J(value > 0 ? "inf" : "-inf");
}

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
J FieldsJson(const Record& record, std::span<const Field<Record>> fields) {
  J object = J::object();
  for (const Field<Record>& field : fields) {
    std::visit([&](auto member) { object[std::string(field.name)] = ValueJson<J>(record.*member); }, field.member);
  }
  return object;
}

// Without a view for the numeric keys, which leave the view out.
template <class J>
J DesignJson(const DesignRecord& design, const StoredView* view) {
  J root = J::object();
  root["format"] = std::string(kDesignFormatName);
  root["version"] = kDesignFormatVersion;
  J generators = J::array();
  for (const GeneratorRecord& generator : design.generators) {
    generators.push_back(FieldsJson<J, GeneratorRecord>(generator, kGeneratorFields));
  }
  root["generators"] = std::move(generators);
  const J fields = FieldsJson<J, DesignRecord>(design, kDesignFields);
  for (const auto& [name, value] : fields.items()) root[name] = value;
  if (view != nullptr) root["view"] = FieldsJson<J, StoredView>(*view, kViewFields);
  return root;
}

// ---- Reading

struct Problem {
  std::string key;  // or a line and column; empty for the file as a whole
  std::string what;
};
using Problems = std::vector<Problem>;

template <class Number>
std::string Text(Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A JSON value as a message names it.
std::string Describe(const Json& value) {
  if (value.is_string()) return "the string \"" + MessageExcerpt(value.get_ref<const std::string&>()) + "\"";
  if (value.is_number_float()) return Text(value.get<double>());
  if (value.is_number_unsigned()) return Text(value.get<std::uint64_t>());
  if (value.is_number_integer()) return Text(value.get<std::int64_t>());
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_null()) return "null";
  return value.is_object() ? "an object" : "an array";
}

std::optional<double> NonFiniteNamed(const std::string& name) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  if (name == "inf") return kInf;
  if (name == "-inf") return -kInf;
  if (name == "nan") return kNan;
  if (name == "-nan") return -kNan;
  return std::nullopt;
}

std::optional<double> ReadNumber(const Json& value, const std::string& key, Rule rule, Problems& problems) {
  std::optional<double> number;
  if (value.is_number_float()) {
    number = value.get<double>();
  } else if (value.is_number_unsigned()) {
    number = static_cast<double>(value.get<std::uint64_t>());
  } else if (value.is_number_integer()) {
    number = static_cast<double>(value.get<std::int64_t>());
  } else if (value.is_string()) {
    number = NonFiniteNamed(value.get_ref<const std::string&>());
  }
  if (rule == Rule::kFiniteNumber && !(number && std::isfinite(*number))) {
    problems.push_back({key, "must be a finite number, not " + Describe(value)});
    return std::nullopt;
  }
  if (rule == Rule::kMagnification && !(number && ValidErrorMagnification(*number))) {
    problems.push_back({key, "must be a finite number from " + Text(kMinErrorMagnification) + " to " +
                                 Text(kMaxErrorMagnification) + ", not " + Describe(value)});
    return std::nullopt;
  }
  if (!number) {
    problems.push_back({key, "must be a number (or \"inf\", \"-inf\", \"nan\"), not " + Describe(value)});
  }
  return number;
}

std::span<const std::int32_t> AllowedValues(Rule rule) {
  static constexpr std::int32_t kZeroOrOne[] = {0, 1};
  static constexpr std::int32_t kOneOrTwo[] = {1, 2};
  static constexpr std::int32_t kOneToThree[] = {1, 2, 3};
  static constexpr std::int32_t kZeroToTwo[] = {0, 1, 2};
  static constexpr std::int32_t kZeroToThree[] = {0, 1, 2, 3};
  switch (rule) {
    case Rule::kZeroOrOne:
      return kZeroOrOne;
    case Rule::kOneOrTwo:
      return kOneOrTwo;
    case Rule::kOneToThree:
      return kOneToThree;
    case Rule::kZeroToTwo:
      return kZeroToTwo;
    case Rule::kZeroToThree:
      return kZeroToThree;
    case Rule::kScalePercent:
      return kStoredScalePercents;
    default:
      return {};
  }
}

// "0, 1 or 2".
std::string ListOfChoices(std::span<const std::int32_t> values) {
  std::string list;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) list += i + 1 == values.size() ? " or " : ", ";
    list += Text(values[i]);
  }
  return list;
}

std::optional<std::int32_t> ReadWhole(const Json& value, const std::string& key, Rule rule, Problems& problems) {
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  std::optional<std::int64_t> whole;
  bool integral = true;
  if (value.is_number_unsigned()) {
    const std::uint64_t u = value.get<std::uint64_t>();
    if (u <= static_cast<std::uint64_t>(kHighest)) whole = static_cast<std::int64_t>(u);
  } else if (value.is_number_integer()) {
    const std::int64_t i = value.get<std::int64_t>();
    if (i >= kLowest && i <= kHighest) whole = i;
  } else if (value.is_number_float()) {
    const double d = value.get<double>();
    integral = d == std::trunc(d);
    if (integral && d >= static_cast<double>(kLowest) && d <= static_cast<double>(kHighest)) {
      whole = static_cast<std::int64_t>(d);
    }
  } else {
    integral = false;
  }
  const std::span<const std::int32_t> allowed = AllowedValues(rule);
  if (!allowed.empty() && !(whole && std::find(allowed.begin(), allowed.end(), *whole) != allowed.end())) {
    problems.push_back({key, "must be " + ListOfChoices(allowed) + ", not " + Describe(value)});
    return std::nullopt;
  }
  if (!integral) {
    problems.push_back({key, "must be a whole number, not " + Describe(value)});
    return std::nullopt;
  }
  if (!whole) {
    problems.push_back({key, "must be a whole number from " + Text(kLowest) + " to " + Text(kHighest) + ", not " +
                                 Describe(value)});
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*whole);
}

void ReadFlags(const Json& value, const std::string& key, Rule rule, CoilFlags& flags, Problems& problems) {
  if (!value.is_array() || value.size() != flags.size()) {
    problems.push_back({key, "must be an array of " + Text(flags.size()) + " values, not " +
                                 (value.is_array() ? "one of " + Text(value.size()) : Describe(value))});
    return;
  }
  for (std::size_t k = 0; k < flags.size(); ++k) {
    if (const auto flag = ReadWhole(value[k], JoinKeyPath(key, k), rule, problems)) flags[k] = *flag;
  }
}

template <class Record>
void ReadFields(const Json& object, std::string_view parent, Record& record, std::span<const Field<Record>> fields,
                Problems& problems) {
  for (const Field<Record>& field : fields) {
    const auto found = object.find(std::string(field.name));
    if (found == object.end()) continue;
    const std::string key = JoinKeyPath(parent, field.name);
    std::visit(
        [&](auto member) {
          auto& target = record.*member;
          using Target = std::remove_reference_t<decltype(target)>;
          if constexpr (std::is_same_v<Target, double>) {
            if (const auto number = ReadNumber(*found, key, field.rule, problems)) target = *number;
          } else if constexpr (std::is_same_v<Target, std::int32_t>) {
            if (const auto whole = ReadWhole(*found, key, field.rule, problems)) target = *whole;
          } else {
            ReadFlags(*found, key, field.rule, target, problems);
          }
        },
        field.member);
  }
}

void ReadGenerators(const Json& root, DesignRecord& design, Problems& problems) {
  const auto found = root.find("generators");
  if (found == root.end()) return;
  if (!found->is_array() || found->size() != design.generators.size()) {
    problems.push_back({"generators", "must be an array of exactly " + Text(design.generators.size()) +
                                          " generators, not " +
                                          (found->is_array() ? "one of " + Text(found->size()) : Describe(*found))});
    return;
  }
  for (std::size_t g = 0; g < design.generators.size(); ++g) {
    const std::string key = JoinKeyPath("generators", g);
    const Json& generator = (*found)[g];
    if (!generator.is_object()) {
      problems.push_back({key, "must be an object, not " + Describe(generator)});
      continue;
    }
    ReadFields<GeneratorRecord>(generator, key, design.generators[g], kGeneratorFields, problems);
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
  const std::optional<std::int32_t> number = ReadWhole(*version, "version", Rule::kWhole, problems);
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
  ReadGenerators(root, design, problems);
  ReadFields<DesignRecord>(root, "", design, kDesignFields, problems);
  ReadView(root, view, problems);
  const bool scan_read = std::none_of(std::begin(kScanAxes), std::end(kScanAxes), [&](const ScanAxis& axis) {
    return HasProblemAt(problems, axis.from_key) || HasProblemAt(problems, axis.to_key) ||
           HasProblemAt(problems, axis.step_key);
  });
  if (scan_read) CheckScan(design, problems);
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

std::optional<double> GetDesignNumber(const DesignRecord& design, std::string_view key) {
  const std::optional<Json::json_pointer> pointer = NumericKeyPointer(key);
  if (!pointer) return std::nullopt;
  const Json root = DesignJson<Json>(design, nullptr);
  Problems ignored;
  return ReadNumber(root.at(*pointer), std::string(key), Rule::kAnyNumber, ignored);
}

bool SetDesignNumber(DesignRecord& design, std::string_view key, double value, std::string& error) {
  const std::optional<Json::json_pointer> pointer = NumericKeyPointer(key);
  if (!pointer) {
    error = MessageExcerpt(key, 160) + ": not a numeric key of a design";
    return false;
  }
  Json root = DesignJson<Json>(design, nullptr);
  root[*pointer] = NumberJson<Json>(value);
  // Read onto a copy, so that what the file does not hold (results, interaction state) stays.
  DesignRecord updated = design;
  StoredView view;
  Problems problems;
  ApplyDesignJson(root, updated, view, problems);
  if (!problems.empty()) {
    error = Message("", problems.front());
    return false;
  }
  updated.bed_stale = 1;
  design = updated;
  return true;
}

bool DesignNumberStandsAlone(std::string_view key) {
  return std::none_of(std::begin(kScanAxes), std::end(kScanAxes), [key](const ScanAxis& axis) {
    return key == axis.from_key || key == axis.to_key || key == axis.step_key;
  });
}

}  // namespace orvendi
