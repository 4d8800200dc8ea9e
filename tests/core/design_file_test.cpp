#include "core/design/design_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

// Every field of the record, stored or not, as raw bits, so that -0.0 and NaN compare exactly.
std::vector<std::pair<std::string, std::uint64_t>> Bits(const DesignRecord& d) {
  std::vector<std::pair<std::string, std::uint64_t>> bits;
  const auto add = [&](const std::string& name, double v) { bits.emplace_back(name, std::bit_cast<std::uint64_t>(v)); };
  const auto add_int = [&](const std::string& name, std::int32_t v) {
    bits.emplace_back(name, static_cast<std::uint32_t>(v));
  };
  for (int g = 0; g < kGeneratorCount; ++g) {
    const GeneratorRecord& gen = d.generators[g];
    const std::string p = "generators[" + std::to_string(g) + "].";
    add(p + "x", gen.x), add(p + "y", gen.y), add(p + "z", gen.z), add(p + "side_m", gen.side_m);
    add(p + "area_m2", gen.area_m2), add(p + "peak_current_a", gen.peak_current_a);
    add_int(p + "turns", gen.turns), add_int(p + "real_dipole", gen.real_dipole);
    for (int a = 0; a < 3; ++a) {
      const CoilRecord& c = gen.coils[a];
      const std::string q = p + "coils[" + std::to_string(a) + "].";
      add(q + "x", c.x), add(q + "y", c.y), add(q + "z", c.z), add(q + "side_m", c.side_m);
      add(q + "peak_current_a", c.peak_current_a), add_int(q + "axis", c.axis), add_int(q + "turns", c.turns);
    }
  }
  const double doubles[] = {d.frequency_hz, d.sensor_sensitivity_v_per_t, d.sensor_theta_rad, d.sensor_phi_rad,
                            d.noise_peak_v, d.offset_v, d.bed_x1, d.bed_y1, d.bed_z1, d.bed_x2, d.bed_y2, d.bed_z2,
                            d.bed_ohms_per_m, d.scan_x_from, d.scan_x_to, d.scan_x_step, d.scan_y_from,
                            d.scan_y_to, d.scan_y_step, d.scan_z_from, d.scan_z_to, d.scan_z_step, d.scan_plane_z,
                            d.scan_plane_x, d.scan_plane_y, d.max_error_m, d.rms_error_m,
                            d.error_magnification};
  for (std::size_t i = 0; i < std::size(doubles); ++i) add("double #" + std::to_string(i), doubles[i]);
  const std::int32_t ints[] = {d.dipole_type, d.algorithm_type, d.bed_cells_x, d.bed_cells_y, d.bed_stale,
                               d.scan_plane, d.include_bed_currents, d.results_valid, d.show_generators,
                               d.show_bed, d.show_actual_map, d.show_measured_map, d.show_b_field,
                               d.display_bed_field, d.map_style, d.design_modified, d.app_active, d.edit_mode,
                               d.show_error_map, d.error_map_quantity};
  for (std::size_t i = 0; i < std::size(ints); ++i) add_int("int #" + std::to_string(i), ints[i]);
  for (int k = 0; k < kCoilCount; ++k) {
    add_int("coil_display[" + std::to_string(k) + "]", d.coil_display[k]);
    add("bed_currents[" + std::to_string(k) + "].re", d.bed_currents[k].real());
    add("bed_currents[" + std::to_string(k) + "].im", d.bed_currents[k].imag());
    add("bed_voltages[" + std::to_string(k) + "].re", d.bed_voltages[k].real());
    add("bed_voltages[" + std::to_string(k) + "].im", d.bed_voltages[k].imag());
  }
  return bits;
}

void ExpectSameBits(const DesignRecord& actual, const DesignRecord& expected) {
  const auto a = Bits(actual);
  const auto e = Bits(expected);
  ASSERT_EQ(a.size(), e.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].second, e[i].second) << a[i].first;
}

// Every stored value away from its default, odd doubles and non-finite values among them, with
// the copies the program keeps equal already equal.
DesignRecord EveryValueChanged() {
  DesignRecord d = DefaultDesign();
  const double positions[3][3] = {{0.125, -0.3, 0.01}, {-0.2, 0.1 + 0.2, -0.0}, {1e-300, 0.4, 0.05}};
  for (int g = 0; g < kGeneratorCount; ++g) {
    GeneratorRecord& gen = d.generators[g];
    SetGeneratorPosition(gen, positions[g][0], positions[g][1], positions[g][2]);
    gen.side_m = g == 2 ? -kInf : 0.03 + g;
    gen.area_m2 = gen.side_m * gen.side_m;
    gen.turns = g == 1 ? -7 : 2147483647;
    gen.peak_current_a = g == 0 ? kNan : 5e-324;
    gen.real_dipole = 0;
    for (CoilRecord& coil : gen.coils) {
      coil.side_m = gen.side_m, coil.turns = gen.turns, coil.peak_current_a = gen.peak_current_a;
    }
  }
  d.dipole_type = 0;
  d.algorithm_type = 2;
  d.frequency_hz = 0.1 + 0.2;
  d.sensor_sensitivity_v_per_t = std::numeric_limits<double>::max();
  d.sensor_theta_rad = kInf;
  d.sensor_phi_rad = -kNan;
  d.noise_peak_v = 5e-324;
  d.offset_v = -0.0;
  d.bed_x1 = -0.6, d.bed_y1 = -0.45, d.bed_z1 = 0.2, d.bed_x2 = 0.55, d.bed_y2 = 1.0 / 3, d.bed_z2 = 0.15;
  d.bed_ohms_per_m = -2.5;
  d.bed_cells_x = 0, d.bed_cells_y = -2147483647 - 1;
  d.scan_x_from = -0.5, d.scan_x_to = 0.5, d.scan_x_step = 0.01;
  d.scan_y_from = 0.3, d.scan_y_to = 0.3, d.scan_y_step = 1e-20;
  d.scan_z_from = 0.1, d.scan_z_to = 0.7, d.scan_z_step = kInf;  // the check takes an endless step
  d.scan_plane = 2;
  d.scan_plane_z = kNan, d.scan_plane_x = -kInf, d.scan_plane_y = 0.2;
  d.include_bed_currents = 1;
  d.target_max_error_m = 2e-3, d.target_rms_error_m = 0.1 / 3;
  d.show_generators = 0, d.show_bed = 0, d.show_actual_map = 0, d.show_measured_map = 0, d.show_b_field = 1;
  d.coil_display = {0, 1, 1, 1, 1, 1, 1, 1, 1};
  d.display_bed_field = 1;
  d.map_style = 0;
  d.show_error_map = 1;
  d.error_map_quantity = kErrorMapPrecision;
  d.error_magnification = 1000.0 / 3;
  return d;
}

const StoredView kChangedView{2, 150, -0.1, 1e-17, 0.30000000000000004};

struct ReadResult {
  bool ok = false;
  std::string error;
  DesignRecord design;
  StoredView view;
};

// Reads over a design and view that differ from every default, so that a failed read that
// touched them shows.
ReadResult Read(std::string_view text) {
  ReadResult r;
  r.design = EveryValueChanged();
  r.view = kChangedView;
  r.ok = ReadDesignJson(text, "my.json", r.design, r.view, r.error);
  return r;
}

std::string WithKeys(const std::string& keys) {
  return "{\"format\": \"orvendi-design\", \"version\": 1" + (keys.empty() ? "" : ", " + keys) + "}";
}

TEST(DesignFileRoundTrip, EveryValueComesBackBitForBit) {
  const std::string text = WriteDesignJson(EveryValueChanged(), kChangedView);
  const ReadResult r = Read(text);
  ASSERT_TRUE(r.ok) << r.error;
  ExpectSameBits(r.design, EveryValueChanged());
  EXPECT_EQ(r.view.current_view, 2);
  EXPECT_EQ(r.view.scale_percent, 150);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(r.view.view_centre_y), std::bit_cast<std::uint64_t>(1e-17));
  EXPECT_EQ(r.view.view_centre_z, 0.1 + 0.2);
  // The second write of what was read is the same text: nothing drifts.
  EXPECT_EQ(WriteDesignJson(r.design, r.view), text);
}

TEST(DesignFileRoundTrip, TextLayout) {
  const std::string text = WriteDesignJson(EveryValueChanged(), kChangedView);
  EXPECT_EQ(text.rfind("{\n  \"format\": \"orvendi-design\",\n  \"version\": 1,\n  \"generators\": [\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 6), "  }\n}\n");
  EXPECT_NE(text.find("\"frequency_hz\": 0.30000000000000004,"), std::string::npos);
  EXPECT_NE(text.find("\"sensor_theta_rad\": \"inf\","), std::string::npos);
  EXPECT_NE(text.find("\"sensor_phi_rad\": \"-nan\","), std::string::npos);
  EXPECT_NE(text.find("\"offset_v\": -0.0,"), std::string::npos);
  EXPECT_NE(text.find("\"noise_peak_v\": 5e-324,"), std::string::npos);
  // A design without targets writes no target keys, as files did before there were targets.
  EXPECT_EQ(WriteDesignJson(DefaultDesign(), StoredView{}).find("target_"), std::string::npos);
}

TEST(DesignFileRoundTrip, ResultsAndInteractionStateAreNeitherWrittenNorKept) {
  DesignRecord busy = DefaultDesign();
  busy.results_valid = 1, busy.bed_stale = 0, busy.max_error_m = 0.5, busy.rms_error_m = 0.25;
  busy.bed_currents[4] = {1, 2}, busy.bed_voltages[8] = {3, 4};
  busy.edit_mode = 1, busy.design_modified = 1;
  const std::string text = WriteDesignJson(busy, StoredView{});
  for (const char* absent : {"results_valid", "bed_stale", "max_error", "rms_error", "\"bed_currents", "bed_voltages",
                             "drag", "mark", "edit_mode", "modified", "app_active", "handles", "\"area_m2\"", "coils",
                             "real_dipole"}) {
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;
  }
  DesignRecord design = busy;
  StoredView view;
  std::string error;
  ASSERT_TRUE(ReadDesignJson(text, "busy.json", design, view, error)) << error;
  ExpectSameBits(design, DefaultDesign());
}

TEST(DesignFileDefaults, MissingKeysTakeTheirDefaults) {
  const ReadResult r = Read(WithKeys("\"frequency_hz\": 2500"));
  ASSERT_TRUE(r.ok) << r.error;
  DesignRecord expected = DefaultDesign();
  expected.frequency_hz = 2500;
  ExpectSameBits(r.design, expected);
  EXPECT_EQ(r.view.current_view, 0);
  EXPECT_EQ(r.view.scale_percent, 100);
  EXPECT_EQ(r.view.view_centre_x, 0.0);
}

TEST(DesignFileDefaults, ACoilFollowsItsGeneratorAndOthersKeepDefaults) {
  const ReadResult r = Read(WithKeys(
      "\"dipole_type\": 0, \"generators\": [{}, {\"x\": 0.1, \"side_m\": 0.05}, {\"turns\": 80.0}],"
      "\"view\": {\"scale_percent\": 200}"));
  ASSERT_TRUE(r.ok) << r.error;
  DesignRecord expected = DefaultDesign();
  expected.dipole_type = 0;
  for (GeneratorRecord& gen : expected.generators) gen.real_dipole = 0;
  SetGeneratorPosition(expected.generators[1], 0.1, 0.25, 0);
  expected.generators[1].side_m = 0.05;
  expected.generators[1].area_m2 = 0.05 * 0.05;
  expected.generators[2].turns = 80;
  for (CoilRecord& coil : expected.generators[1].coils) coil.side_m = 0.05;
  for (CoilRecord& coil : expected.generators[2].coils) coil.turns = 80;
  ExpectSameBits(r.design, expected);
  EXPECT_EQ(r.view.scale_percent, 200);
}

TEST(DesignFileDefaults, UnknownKeysAreIgnored) {
  const ReadResult r = Read(WithKeys(
      "\"notes\": {\"by\": [\"someone\", null]}, \"generators\": [{\"colour\": \"red\"}, {}, {}],"
      "\"view\": {\"zoom\": 3}, \"version_note\": true"));
  ASSERT_TRUE(r.ok) << r.error;
  ExpectSameBits(r.design, DefaultDesign());
}

struct BadText {
  std::string text;
  std::string where;  // key path, or line and column
  std::string what;   // a piece of the explanation
};

TEST(DesignFileErrors, EachBadTextGivesOneMessageAndChangesNothing) {
  const std::string valid = WriteDesignJson(DefaultDesign(), StoredView{});
  const std::vector<BadText> cases = {
      {"{\n  \"format\": \"orvendi-design\",\n  \"version\": 1,\n  \"frequency_hz\": 12x\n}", "line 4, column 21",
       "malformed JSON"},
      {valid.substr(0, valid.find(',', valid.size() / 2) + 1), "line ", "unexpected end of input"},
      {"", "", "is empty"},
      {"{\"format\": \"orvendi-design\", \"version\": 1, \"offset_v\": \"\xff\"}", "line 1, column 57", "ill-formed UTF-8"},
      {"[1, 2]", "", "must hold one JSON object, not an array"},
      {"{\"version\": 1}", "format", "missing"},
      {"{\"format\": \"orvendi-layout\", \"version\": 1}", "format", "not the string \"orvendi-layout\""},
      {"{\"format\": \"orvendi-design\"}", "version", "missing"},
      {"{\"format\": \"orvendi-design\", \"version\": 2}", "version", "is 2, newer than this program reads (1)"},
      {"{\"format\": \"orvendi-design\", \"version\": \"1\"}", "version", "must be a whole number"},
      {WithKeys("\"frequency_hz\": \"fast\""), "frequency_hz", "must be a number"},
      {WithKeys("\"frequency_hz\": true"), "frequency_hz", "not true"},
      {WithKeys("\"frequency_hz\": 1e999"), "line 1, column 60", "1e999 is beyond the range of a double"},
      {WithKeys("\"frequency_hz\": 1, \"frequency_hz\": 2"), "frequency_hz", "appears twice"},
      {WithKeys("\"bed_x1\": null"), "bed_x1", "must be a finite number, not null"},
      {WithKeys("\"generators\": [{}, {\"x\": \"inf\"}, {}]"), "generators[1].x", "must be a finite number"},
      {WithKeys("\"generators\": [{}, {}]"), "generators", "exactly 3 generators, not one of 2"},
      {WithKeys("\"generators\": [{}, {}, {}, {}]"), "generators", "exactly 3"},
      {WithKeys("\"generators\": [{}, {}, 7]"), "generators[2]", "must be an object, not 7"},
      {WithKeys("\"generators\": [{}, {}, {\"turns\": 50.5}]"), "generators[2].turns", "whole number, not 50.5"},
      {WithKeys("\"bed_cells_x\": 2147483648"), "bed_cells_x", "from -2147483648 to 2147483647"},
      {WithKeys("\"bed_cells_y\": \"inf\""), "bed_cells_y", "must be a whole number"},
      {WithKeys("\"algorithm_type\": 0"), "algorithm_type", "must be 1, 2 or 3, not 0"},
      {WithKeys("\"dipole_type\": 2"), "dipole_type", "must be 0 or 1, not 2"},
      {WithKeys("\"sensor_area_m2\": 0"), "sensor_area_m2", "must be a finite number above 0, not 0"},
      {WithKeys("\"bed_sheet_ohms_per_square\": \"inf\""), "bed_sheet_ohms_per_square", "above 0"},
      {WithKeys("\"target_rms_error_m\": -1e-3"), "target_rms_error_m", "0 or above"},
      {WithKeys("\"bed_model\": 1, \"bed_cells_x\": 51, \"bed_cells_y\": 50"), "bed_cells_x", "more than 2500"},
      {WithKeys("\"scan_plane\": 3"), "scan_plane", "must be 0, 1 or 2, not 3"},
      {WithKeys("\"map_style\": -1"), "map_style", "must be 0 or 1"},
      {WithKeys("\"show_bed\": true"), "show_bed", "must be 0 or 1, not true"},
      {WithKeys("\"show_error_map\": 2"), "show_error_map", "must be 0 or 1, not 2"},
      {WithKeys("\"error_map_quantity\": 5"), "error_map_quantity", "must be 0, 1, 2, 3 or 4, not 5"},
      {WithKeys("\"error_magnification\": 0.5"), "error_magnification", "from 1 to 1e+06, not 0.5"},
      {WithKeys("\"error_magnification\": 2e6"), "error_magnification", "from 1 to 1e+06, not 2e+06"},
      {WithKeys("\"error_magnification\": \"inf\""), "error_magnification", "not the string \"inf\""},
      {WithKeys("\"error_magnification\": \"nan\""), "error_magnification", "not the string \"nan\""},
      {WithKeys("\"error_magnification\": \"10\""), "error_magnification", "not the string \"10\""},
      {WithKeys("\"coil_display\": [1, 0, 0]"), "coil_display", "array of 9 values, not one of 3"},
      {WithKeys("\"coil_display\": [1, 0, 0, 0, 2, 0, 0, 0, 0]"), "coil_display[4]", "must be 0 or 1, not 2"},
      {WithKeys("\"view\": []"), "view", "must be an object"},
      {WithKeys("\"view\": {\"current_view\": 3}"), "view.current_view", "must be 0, 1 or 2"},
      {WithKeys("\"view\": {\"scale_percent\": 120}"), "view.scale_percent", "50, 75, 100, 150 or 200, not 120"},
      {WithKeys("\"view\": {\"view_centre_z\": \"nan\"}"), "view.view_centre_z", "finite"},
      {WithKeys("\"scan_x_step\": 0"), "scan_x_step", "at least 1e-20"},
      {WithKeys("\"scan_y_step\": \"-inf\""), "scan_y_step", "at least 1e-20"},
      {WithKeys("\"scan_y_to\": -0.3"), "scan_y_to", "is -0.3, below scan_y_from -0.25; a scan range must ascend"},
      {WithKeys("\"scan_z_step\": 0.004"), "scan_z_step", "at most 100"},
      {WithKeys("\"scan_x_from\": \"nan\""), "scan_x_from", "finite"},
      {WithKeys("\"scan_x_to\": \"inf\""), "scan_x_to", "finite"},
      {WithKeys("\"extra\": " + std::string(70, '[') + std::string(70, ']')), "extra[0]", "nested more than 64"},
  };
  for (const BadText& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 120));
    const ReadResult r = Read(c.text);
    ASSERT_FALSE(r.ok);
    const std::string prefix = c.where.empty() ? "my.json: " : "my.json: " + c.where;
    EXPECT_EQ(r.error.rfind(prefix, 0), 0u) << r.error;
    EXPECT_NE(r.error.find(c.what), std::string::npos) << r.error;
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
    ExpectSameBits(r.design, EveryValueChanged());
    EXPECT_EQ(r.view.scale_percent, kChangedView.scale_percent);
  }
}

TEST(DesignFileErrors, TextOverSixteenMebibytesIsRefusedUnparsed) {
  std::string huge = WithKeys("\"pad\": \"");
  huge.insert(huge.size() - 1, std::string(kMaxDesignFileBytes, ' ') + "\"");
  const ReadResult r = Read(huge);
  ASSERT_FALSE(r.ok);
  EXPECT_NE(r.error.find("more than the 16 MiB"), std::string::npos) << r.error;
}

TEST(DesignFileErrors, ValidateListsEveryProblem) {
  const std::vector<std::string> problems = ValidateDesignJson(
      WithKeys("\"algorithm_type\": 5, \"generators\": [{\"z\": \"x\"}, {}, {}], \"scan_y_step\": 0,"
               "\"view\": {\"scale_percent\": 10}"),
      "v.json");
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_EQ(problems[0].rfind("v.json: generators[0].z: ", 0), 0u) << problems[0];
  EXPECT_EQ(problems[1].rfind("v.json: algorithm_type: ", 0), 0u) << problems[1];
  EXPECT_EQ(problems[2].rfind("v.json: view.scale_percent: ", 0), 0u) << problems[2];
  EXPECT_EQ(problems[3].rfind("v.json: scan_y_step: ", 0), 0u) << problems[3];
  EXPECT_TRUE(ValidateDesignJson(WriteDesignJson(EveryValueChanged(), kChangedView), "v.json").empty());
}

TEST(DesignFileLocale, GermanDesktopWritesAndReadsPoints) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale here";
  DesignRecord design = EveryValueChanged();
  design.frequency_hz = 0.5;
  const std::string text = WriteDesignJson(design, kChangedView);
  const ReadResult back = Read(text);
  const ReadResult typed = Read(WithKeys("\"offset_v\": 0.25"));
  const ReadResult refused = Read(WithKeys("\"algorithm_type\": 1.5"));
  std::setlocale(LC_ALL, previous.c_str());

  EXPECT_NE(text.find("\"frequency_hz\": 0.5,"), std::string::npos);
  ASSERT_TRUE(back.ok) << back.error;
  ExpectSameBits(back.design, design);
  ASSERT_TRUE(typed.ok) << typed.error;
  EXPECT_EQ(typed.design.offset_v, 0.25);
  EXPECT_NE(refused.error.find("not 1.5"), std::string::npos) << refused.error;
}

// Files on disk: the reasons a path cannot be read, each named with the path.
class DesignFileOnDisk : public ::testing::Test {
 protected:
  DesignFileOnDisk() {
    std::string pattern = ::testing::TempDir() + "design_file_XXXXXX";
    folder_ = mkdtemp(pattern.data());
  }
  ~DesignFileOnDisk() override { std::filesystem::remove_all(folder_); }

  std::string Put(const std::string& name, const std::string& content) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::string ReadFails(const std::string& path) {
    DesignRecord design = EveryValueChanged();
    StoredView view = kChangedView;
    std::string error;
    EXPECT_FALSE(ReadDesignFile(path, design, view, error));
    ExpectSameBits(design, EveryValueChanged());
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    return error;
  }

  std::string folder_;
};

TEST_F(DesignFileOnDisk, WrittenFileReadsBack) {
  const std::string path = folder_ + "/a.json";
  std::string error;
  ASSERT_TRUE(WriteDesignFile(path, EveryValueChanged(), kChangedView, error)) << error;
  DesignRecord design = DefaultDesign();
  StoredView view;
  ASSERT_TRUE(ReadDesignFile(path, design, view, error)) << error;
  ExpectSameBits(design, EveryValueChanged());
  EXPECT_TRUE(ValidateDesignFile(path).empty());
}

TEST_F(DesignFileOnDisk, PathsThatAreNoDesignFile) {
  EXPECT_NE(ReadFails(folder_ + "/missing.json").find("cannot be opened"), std::string::npos);
  EXPECT_NE(ReadFails(folder_).find("is a directory"), std::string::npos);
  EXPECT_NE(ReadFails(Put("empty.json", "")).find("is empty"), std::string::npos);
  const std::string whole = WriteDesignJson(DefaultDesign(), StoredView{});
  EXPECT_NE(ReadFails(Put("cut.json", whole.substr(0, whole.size() - 3))).find("line 94, column 4: malformed JSON"),
            std::string::npos);
  // A read error that even root meets: the first page of the process's own memory is unmapped.
  EXPECT_NE(ReadFails("/proc/self/mem").find("cannot be read"), std::string::npos);
  // A FIFO without a writer would block an ordinary open.
  const std::string fifo = folder_ + "/pipe.json";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_NE(ReadFails(fifo).find("not a regular file"), std::string::npos);
  const std::string sparse = Put("big.json", "");
  ASSERT_EQ(truncate(sparse.c_str(), static_cast<off_t>(kMaxDesignFileBytes) + 1), 0);
  EXPECT_NE(ReadFails(sparse).find("larger than the 16 MiB"), std::string::npos);
  EXPECT_EQ(ValidateDesignFile(folder_).size(), 1u);
}

TEST(DesignNumbers, KeysCoverTheFileWithoutTheView) {
  const std::vector<std::string>& keys = NumericDesignKeys();
  EXPECT_EQ(keys.front(), "generators[0].x");
  for (const char* key : {"frequency_hz", "generators[2].peak_current_a", "coil_display[8]", "scan_plane_y"}) {
    EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key;
  }
  for (const std::string& key : keys) {
    EXPECT_EQ(key.find("view"), std::string::npos) << key;
    EXPECT_NE(key, "format");
    EXPECT_NE(key, "version");
  }
  // Setting every key to the value it has is allowed and changes nothing stored.
  const DesignRecord changed = EveryValueChanged();
  DesignRecord design = changed;
  for (const std::string& key : keys) {
    const std::optional<double> value = GetDesignNumber(design, key);
    ASSERT_TRUE(value) << key;
    std::string error;
    EXPECT_TRUE(SetDesignNumber(design, key, *value, error)) << key << ": " << error;
  }
  design.bed_stale = changed.bed_stale;
  ExpectSameBits(design, changed);
}

TEST(DesignNumbers, GeneratorWritersKeepTheirCopies) {
  DesignRecord design = DefaultDesign();
  design.results_valid = 1, design.bed_stale = 0, design.edit_mode = 1;
  std::string error;
  ASSERT_TRUE(SetDesignNumber(design, "generators[1].x", 0.375, error)) << error;
  ASSERT_TRUE(SetDesignNumber(design, "generators[0].side_m", 0.03, error)) << error;
  ASSERT_TRUE(SetDesignNumber(design, "generators[2].turns", 12, error)) << error;
  ASSERT_TRUE(SetDesignNumber(design, "dipole_type", 0, error)) << error;
  EXPECT_EQ(design.generators[1].x, 0.375);
  for (const CoilRecord& coil : design.generators[1].coils) EXPECT_EQ(coil.x, 0.375);
  EXPECT_EQ(design.generators[0].area_m2, 0.03 * 0.03);
  for (const CoilRecord& coil : design.generators[0].coils) EXPECT_EQ(coil.side_m, 0.03);
  EXPECT_EQ(design.generators[1].side_m, 0.02);
  for (const CoilRecord& coil : design.generators[2].coils) EXPECT_EQ(coil.turns, 12);
  for (const GeneratorRecord& gen : design.generators) EXPECT_EQ(gen.real_dipole, 0);
  EXPECT_EQ(GetDesignNumber(design, "generators[2].turns"), 12.0);
  // The design changed under the bed results; what is not stored in a file stays.
  EXPECT_EQ(design.bed_stale, 1);
  EXPECT_EQ(design.results_valid, 1);
  EXPECT_EQ(design.edit_mode, 1);

  ASSERT_TRUE(SetDesignNumber(design, "frequency_hz", kInf, error)) << error;
  EXPECT_EQ(GetDesignNumber(design, "frequency_hz"), kInf);
}

TEST(DesignNumbers, OnlyValuesTheBedModelReadsMakeItStale) {
  const struct {
    const char* key;
    double value;
    int stale;
  } cases[] = {
      {"noise_peak_v", 1e-4, 0},   {"offset_v", 1e-3, 0},
      {"algorithm_type", 2, 0},    {"sensor_theta_rad", 0.3, 0},
      {"scan_x_from", -0.2, 0},    {"coil_display[3]", 0, 0},
      {"bed_z2", 0.3, 0},          {"frequency_hz", 2345, 1},
      {"generators[1].x", 0.3, 1}, {"generators[0].turns", 7, 1},
      {"bed_cells_x", 17, 1},      {"bed_ohms_per_m", 0.5, 1},
      {"bed_y1", -0.6, 1},         {"generators[2].side_m", 0.05, 1},
  };
  for (const auto& c : cases) {
    DesignRecord design = DefaultDesign();
    design.bed_stale = 0;
    std::string error;
    ASSERT_TRUE(SetDesignNumber(design, c.key, c.value, error)) << c.key << ": " << error;
    EXPECT_EQ(design.bed_stale, c.stale) << c.key;
    // The value it already has leaves the bed model as it was.
    design.bed_stale = 0;
    ASSERT_TRUE(SetDesignNumber(design, c.key, c.value, error)) << c.key << ": " << error;
    EXPECT_EQ(design.bed_stale, 0) << c.key;
  }
}

TEST(DesignNumbers, RefusedValuesChangeNothing) {
  const struct {
    const char* key;
    double value;
    const char* what;
  } refused[] = {
      {"scan_x_step", 0, "scan_x_step: is 0; a scan step must be at least 1e-20"},
      {"scan_z_to", 0.05, "scan_z_to: is 0.05, below scan_z_from 0.1"},
      {"scan_y_from", -kInf, "scan_y_from: must be a finite number"},
      {"generators[0].y", kNan, "generators[0].y: must be a finite number"},
      {"bed_cells_x", 7.5, "bed_cells_x: must be a whole number, not 7.5"},
      {"bed_cells_x", 3e9, "bed_cells_x: must be a whole number from"},
      {"generators[1].turns", kInf, "generators[1].turns: must be a whole number, not the string \"inf\""},
      {"coil_display[3]", 2, "coil_display[3]: must be 0 or 1, not 2"},
      {"algorithm_type", 4, "algorithm_type: must be 1, 2 or 3, not 4"},
      {"frequency", 1, "frequency: not a numeric key"},
      {"generators[3].x", 1, "generators[3].x: not a numeric key"},
      {"view.scale_percent", 50, "view.scale_percent: not a numeric key"},
      {"coil_display", 1, "coil_display: not a numeric key"},
  };
  for (const auto& r : refused) {
    DesignRecord design = EveryValueChanged();
    const DesignRecord before = design;
    std::string error;
    EXPECT_FALSE(SetDesignNumber(design, r.key, r.value, error)) << r.key;
    EXPECT_EQ(error.rfind(r.what, 0), 0u) << error;
    ExpectSameBits(design, before);
  }
  EXPECT_FALSE(GetDesignNumber(DefaultDesign(), "view.current_view"));
}

}  // namespace
}  // namespace orvendi
