#include "core/dialogs/dialog_logic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "core/design/design_record.h"
#include "core/design/number_text.h"
#include "core/dialogs/control_ids.h"
#include "core/platform/host.h"
#include "core/views/view_state.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

constexpr double kInf = std::numeric_limits<double>::infinity();

const SettingsDialog& Dialog(std::string_view name) {
  const SettingsDialog* dialog = FindSettingsDialog(name);
  EXPECT_NE(dialog, nullptr) << name;
  return *dialog;
}

// OK with the given entries typed over what the dialog showed.
void Ok(std::string_view name, DesignRecord& design, const std::map<int, std::string>& typed = {},
        const std::map<int, bool>& clicked = {}) {
  DialogFields fields = FillSettingsDialog(Dialog(name), design);
  for (const auto& [id, text] : typed) fields.texts[id] = text;
  for (const auto& [id, checked] : clicked) fields.checks[id] = checked;
  StoreSettingsDialog(Dialog(name), fields, design);
}

TEST(SettingsDialogs, TheDialogsAreKnownByResourceName) {
  const std::vector<std::pair<std::string_view, std::string_view>> expected{
      {"AlgorithmType", "Algorithm"},
      {"Frequency", "Frequency"},
      {"GeneratorDesign", "Generator Design"},
      {"SensorDesign", "Sensor Design"},
      {"BedDesign", "Bed Design"},
      {"SignalNoise", "Signal Noise"},
      {"SensorOrientation", "Sensor Orientation"},
      {"DipoleType", "DipoleType"},
      {"CalcBedParams", "Calculate Bed Parameters"},
      {"ViewOptions", "View Options"},
      {"Targets", "Targets"}};
  ASSERT_EQ(SettingsDialogs().size(), expected.size());
  for (const auto& [name, title] : expected) EXPECT_EQ(Dialog(name).title, title);
  EXPECT_EQ(FindSettingsDialog("ScanOptions"), nullptr);
  EXPECT_EQ(FindSettingsDialog("frequency"), nullptr);
  DialogFields fields;
  DesignRecord design = DefaultDesign();
  EXPECT_FALSE(FillSettingsDialog("AboutDialog", design, fields));
  EXPECT_FALSE(StoreSettingsDialog("AboutDialog", fields, design));
}

TEST(SettingsDialogs, OpenAfterStartShowsTheDefaults) {
  const DesignRecord design = DefaultDesign();
  auto fill = [&](std::string_view name) { return FillSettingsDialog(Dialog(name), design); };
  EXPECT_EQ(fill("Frequency").texts, (std::map<int, std::string>{{2067, "10000"}}));
  EXPECT_EQ(fill("GeneratorDesign").texts,
            (std::map<int, std::string>{{2050, "50"}, {2051, "0.02"}, {2049, "5"}}));
  EXPECT_EQ(fill("SensorDesign").texts,
            (std::map<int, std::string>{{2066, "10000.000"}, {2077, "100"}, {2078, "0.0001"}, {2079, "1"}}));
  EXPECT_EQ(fill("SensorDesign").checks, (std::map<int, bool>{{2075, true}, {2076, false}}));
  EXPECT_EQ(fill("BedDesign").texts, (std::map<int, std::string>{{2010, "1"}}));
  EXPECT_EQ(fill("SignalNoise").texts, (std::map<int, std::string>{{2026, "0"}, {2027, "0"}}));
  EXPECT_EQ(fill("SensorOrientation").texts, (std::map<int, std::string>{{2064, "0.000"}, {2065, "0.000"}}));
  EXPECT_EQ(fill("CalcBedParams").texts,
            (std::map<int, std::string>{{2028, "25"}, {2029, "25"}, {2082, "2.9e-05"}}));
  EXPECT_EQ(fill("CalcBedParams").checks, (std::map<int, bool>{{2080, true}, {2081, false}}));
  EXPECT_EQ(fill("AlgorithmType").checks, (std::map<int, bool>{{2072, true}, {2073, false}, {2074, false}}));
  EXPECT_EQ(fill("DipoleType").checks, (std::map<int, bool>{{2068, false}, {2069, true}}));
  const DialogFields view = fill("ViewOptions");
  EXPECT_TRUE(view.texts.empty());
  for (int id = 2052; id <= 2060; ++id) EXPECT_EQ(view.Checked(id), id == 2052) << id;
  EXPECT_FALSE(view.Checked(2062));
  EXPECT_TRUE(view.Checked(2063));
  EXPECT_FALSE(view.Checked(2061));
}

TEST(SettingsDialogs, NoiseBoxWorksInHundredthsOfAVolt) {
  DesignRecord design = DefaultDesign();
  Ok("SignalNoise", design, {{2026, "5"}, {2027, "0.25"}});
  EXPECT_EQ(design.noise_peak_v, 0.05);
  EXPECT_EQ(design.offset_v, 0.25);
  EXPECT_EQ(FillSettingsDialog(Dialog("SignalNoise"), design).Text(2026), "5");
  EXPECT_EQ(FillSettingsDialog(Dialog("SignalNoise"), design).Text(2027), "0.25");
}

TEST(SettingsDialogs, GeneratorDesignWritesEveryCopy) {
  DesignRecord design = DefaultDesign();
  design.bed_stale = 0;
  Ok("GeneratorDesign", design, {{2050, "100"}, {2051, "0.03"}, {2049, "2.5"}});
  EXPECT_EQ(design.bed_stale, 1);
  for (const GeneratorRecord& generator : design.generators) {
    EXPECT_EQ(generator.turns, 100);
    EXPECT_EQ(generator.side_m, 0.03);
    EXPECT_EQ(generator.area_m2, 0.03 * 0.03);
    EXPECT_DOUBLE_EQ(generator.area_m2, 0.0009);
    EXPECT_EQ(generator.peak_current_a, 2.5);
    for (const CoilRecord& coil : generator.coils) {
      EXPECT_EQ(coil.turns, 100);
      EXPECT_EQ(coil.side_m, 0.03);
      EXPECT_EQ(coil.peak_current_a, 2.5);
    }
    EXPECT_EQ(generator.coils[2].axis, 2);
  }
}

TEST(SettingsDialogs, IntegerEntriesTakeTheLeadingDigits) {
  DesignRecord design = DefaultDesign();
  Ok("CalcBedParams", design, {{2028, "30.9"}, {2029, " 7 cells"}});
  EXPECT_EQ(design.bed_cells_x, 30);
  EXPECT_EQ(design.bed_cells_y, 7);
  Ok("GeneratorDesign", design, {{2050, "-3"}});
  EXPECT_EQ(design.generators[1].coils[0].turns, -3);
}

TEST(SettingsDialogs, ValuesAreStoredUncheckedAndShownAgain) {
  DesignRecord design = DefaultDesign();
  Ok("Frequency", design, {{2067, "0"}});
  EXPECT_EQ(design.frequency_hz, 0.0);
  Ok("BedDesign", design, {{2010, "-1"}});
  EXPECT_EQ(design.bed_ohms_per_m, -1.0);
  Ok("SensorDesign", design, {{2066, "12.34567"}});
  EXPECT_EQ(design.sensor_sensitivity_v_per_t, 12.34567);
  EXPECT_EQ(FillSettingsDialog(Dialog("SensorDesign"), design).Text(2066), "12.346");
  // Radians as typed; an untouched box keeps the value its "%3.3lf" text rounds.
  design.sensor_theta_rad = 0.12345;
  Ok("SensorOrientation", design, {{2065, "3.14159"}});
  EXPECT_EQ(design.sensor_theta_rad, 0.12345);
  EXPECT_EQ(design.sensor_phi_rad, 3.14159);
}

TEST(SettingsDialogs, OnlyTheFiveDesignDialogsMarkTheBedStale) {
  for (const SettingsDialog& dialog : SettingsDialogs()) {
    DesignRecord design = DefaultDesign();
    design.bed_stale = 0;
    StoreSettingsDialog(dialog, FillSettingsDialog(dialog, design), design);
    const bool stale = dialog.resource_name == "Frequency" || dialog.resource_name == "GeneratorDesign" ||
                       dialog.resource_name == "DipoleType" || dialog.resource_name == "BedDesign" ||
                       dialog.resource_name == "CalcBedParams";
    EXPECT_EQ(design.bed_stale, stale ? 1 : 0) << dialog.resource_name;
  }
}

TEST(SettingsDialogs, OkWithNothingChangedKeepsTheDesign) {
  static_assert(std::is_trivially_copyable_v<DesignRecord>);
  for (const SettingsDialog& dialog : SettingsDialogs()) {
    DesignRecord design = DefaultDesign();
    design.noise_peak_v = 0.05;
    // Values whose boxes show them rounded.
    design.sensor_theta_rad = 0.123456;
    design.sensor_sensitivity_v_per_t = 12345.6789;
    design.frequency_hz = 1234.56789;
    design.sensor_area_m2 = 1.23456789e-4;
    design.bed_sheet_ohms_per_square = 2.91234567e-5;
    design.generators[0].side_m = design.generators[1].side_m = design.generators[2].side_m = 0.0123456789;
    for (GeneratorRecord& g : design.generators) {
      g.area_m2 = g.side_m * g.side_m;
      for (CoilRecord& coil : g.coils) coil.side_m = g.side_m;
    }
    design.bed_stale = 1;
    DesignRecord before;
    std::memcpy(&before, &design, sizeof design);
    StoreSettingsDialog(dialog, FillSettingsDialog(dialog, design), design);
    EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0) << dialog.resource_name;
  }
}

// A huge angle (from a design file) shows as more text than an entry hands over; OK must not
// turn it into the smaller number its first characters spell. A typed text is still read.
TEST(SettingsDialogs, OkKeepsAValueWhoseTextIsLongerThanAnEntryHandsOver) {
  const SettingsDialog* dialog = FindSettingsDialog("SensorOrientation");
  ASSERT_NE(dialog, nullptr);
  DesignRecord design = DefaultDesign();
  design.sensor_theta_rad = 1e200;
  design.sensor_phi_rad = -3e150;
  DialogFields fields = FillSettingsDialog(*dialog, design);
  ASSERT_GT(fields.Text(2064).size(), kEntryTextLimit);
  StoreSettingsDialog(*dialog, fields, design);
  EXPECT_EQ(design.sensor_theta_rad, 1e200);
  EXPECT_EQ(design.sensor_phi_rad, -3e150);

  fields.texts[2064] = fields.Text(2064) + "5";  // edited: read as typed, up to the limit
  StoreSettingsDialog(*dialog, fields, design);
  EXPECT_NE(design.sensor_theta_rad, 1e200);
  EXPECT_TRUE(std::isfinite(design.sensor_theta_rad));
}

// Values a design file refuses: OK leaves the design as it was and says why, once.
TEST(SettingsDialogs, OkRefusesValuesADesignFileRefuses) {
  struct Case {
    std::string_view dialog;
    std::int32_t bed_model;  // before OK
    std::map<int, std::string> typed;
    std::map<int, bool> clicked;
    std::string_view message;  // empty: accepted
  };
  const Case cases[] = {
      {"CalcBedParams", 1, {{2028, "100"}, {2029, "100"}}, {}, "at most 2500 cells; 100 x 100 is 10000"},
      {"CalcBedParams", 0, {{2028, "51"}, {2029, "50"}}, {{2080, false}, {2081, true}}, "at most 2500 cells"},
      {"CalcBedParams", 1, {{2028, "50"}, {2029, "50"}}, {}, ""},
      {"CalcBedParams", 0, {{2028, "100"}, {2029, "100"}}, {}, ""},
      {"CalcBedParams", 0, {{2082, "0"}}, {}, "Sheet resistance (ohms per square) must be a finite number above 0"},
      {"SensorDesign", 0, {{2078, "-1e-4"}}, {}, "Sensor area"},
      {"SensorDesign", 0, {{2077, "inf"}}, {}, "Sensor turns"},
      {"SensorDesign", 0, {{2079, "0"}}, {}, "Sensor gain (V/V)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + " " + std::string(c.message));
    DesignRecord design = DefaultDesign();
    design.bed_model = c.bed_model;
    design.bed_stale = 0;
    DialogFields fields = FillSettingsDialog(Dialog(c.dialog), design);
    for (const auto& [id, text] : c.typed) fields.texts[id] = text;
    for (const auto& [id, checked] : c.clicked) fields.checks[id] = checked;
    DesignRecord before;
    std::memcpy(&before, &design, sizeof design);
    std::string error;
    const bool stored = StoreSettingsDialog(Dialog(c.dialog), fields, design, &error);
    EXPECT_EQ(stored, c.message.empty());
    if (stored) continue;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0);
  }
}

TEST(SettingsDialogs, RadioPairsStoreTheCheckedButton) {
  DesignRecord design = DefaultDesign();
  Ok("AlgorithmType", design, {}, {{2072, false}, {2073, true}, {2074, false}});
  EXPECT_EQ(design.algorithm_type, 2);
  EXPECT_EQ(FillSettingsDialog(Dialog("AlgorithmType"), design).checks,
            (std::map<int, bool>{{2072, false}, {2073, true}, {2074, false}}));
  Ok("AlgorithmType", design, {}, {{2072, false}, {2073, false}, {2074, false}});
  EXPECT_EQ(design.algorithm_type, 2);
  Ok("AlgorithmType", design, {}, {{2072, true}, {2073, false}, {2074, false}});
  EXPECT_EQ(design.algorithm_type, 1);
  Ok("AlgorithmType", design, {}, {{2072, false}, {2073, false}, {2074, true}});
  EXPECT_EQ(design.algorithm_type, 3);
  EXPECT_EQ(FillSettingsDialog(Dialog("AlgorithmType"), design).checks,
            (std::map<int, bool>{{2072, false}, {2073, false}, {2074, true}}));
  design.algorithm_type = 4;
  EXPECT_EQ(FillSettingsDialog(Dialog("AlgorithmType"), design).checks,
            (std::map<int, bool>{{2072, false}, {2073, false}, {2074, false}}));

  design.bed_stale = 0;
  Ok("DipoleType", design, {}, {{2068, true}, {2069, false}});
  EXPECT_EQ(design.dipole_type, 0);
  for (const GeneratorRecord& generator : design.generators) EXPECT_EQ(generator.real_dipole, 0);
  EXPECT_EQ(design.bed_stale, 1);
  Ok("DipoleType", design, {}, {{2068, false}, {2069, true}});
  EXPECT_EQ(design.dipole_type, 1);
  for (const GeneratorRecord& generator : design.generators) EXPECT_EQ(generator.real_dipole, 1);
}

TEST(SettingsDialogs, ViewOptionsStoreBoxesAndMapStyle) {
  DesignRecord design = DefaultDesign();
  Ok("ViewOptions", design, {},
     {{2052, false}, {2056, true}, {2060, true}, {2061, true}, {2062, true}, {2063, false}});
  EXPECT_EQ(design.coil_display, (std::array<std::int32_t, 9>{0, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(design.display_bed_field, 1);
  EXPECT_EQ(design.map_style, 0);
  // Neither style checked keeps the style.
  Ok("ViewOptions", design, {}, {{2062, false}, {2063, false}});
  EXPECT_EQ(design.map_style, 0);
  design.map_style = 5;
  EXPECT_FALSE(FillSettingsDialog(Dialog("ViewOptions"), design).Checked(2062));
  EXPECT_FALSE(FillSettingsDialog(Dialog("ViewOptions"), design).Checked(2063));
  Ok("ViewOptions", design, {}, {{2063, true}});
  EXPECT_EQ(design.map_style, 1);
}

// What every edit box stores for each kind of bad entry. "keep" is the previous value.
struct BadEntry {
  std::string text;
  double as_double;  // NaN expected when is_nan
  bool double_keeps;
  bool double_is_nan;
  double as_integer;
  bool integer_keeps;
};

std::vector<BadEntry> BadEntries() {
  return {
      {"", 0, true, false, 0, true},
      {"volts", 0, true, false, 0, true},
      {"1e999", kInf, false, false, 1, false},
      {"-1e999", -kInf, false, false, -1, false},
      {"nan", 0, false, true, 0, true},
      {"inf", kInf, false, false, 0, true},
      {"-inf", -kInf, false, false, 0, true},
      {std::string(300, '9'), 1e128, false, false, 0, true},
      {"99999999999", 99999999999.0, false, false, 0, true},
  };
}

TEST(SettingsDialogs, BadEntriesOnEveryBoxKeepOrStoreAsDocumented) {
  for (const SettingsDialog& dialog : SettingsDialogs()) {
    for (const DialogBinding& binding : dialog.bindings) {
      const EditBinding* edit = std::get_if<EditBinding>(&binding);
      if (edit == nullptr) continue;
      for (const BadEntry& bad : BadEntries()) {
        DesignRecord design = DefaultDesign();
        design.noise_peak_v = 0.07;  // a value that 100 x / 100 would not give back exactly
        const double previous = edit->show(design);
        DesignRecord before;
        std::memcpy(&before, &design, sizeof design);
        Ok(dialog.resource_name, design, {{edit->id, bad.text}});
        const double now = edit->show(design);
        const std::string where = std::string(dialog.resource_name) + " " + std::to_string(edit->id) + " '" +
                                  bad.text.substr(0, 12) + "'";
        const bool integer = edit->format == EntryFormat::kInteger;
        // The induction coil's and the sheet's boxes refuse what a design file refuses.
        const bool positive_only = edit->id == control_ids::kSensorTurns || edit->id == control_ids::kSensorArea ||
                                   edit->id == control_ids::kSensorGain ||
                                   edit->id == control_ids::kSheetOhmsPerSquare;
        // A target is a distance, 0 or above, that the file can hold.
        const bool no_target = dialog.resource_name == "Targets" &&
                               (bad.double_is_nan || !std::isfinite(bad.as_double) || bad.as_double < 0.0);
        const bool keeps = (integer ? bad.integer_keeps : bad.double_keeps) ||
                           (positive_only && !(std::isfinite(bad.as_double) && bad.as_double > 0.0)) || no_target;
        if (keeps) {
          design.bed_stale = before.bed_stale;
          EXPECT_EQ(std::memcmp(&before, &design, sizeof design), 0) << where;
          EXPECT_EQ(now, previous) << where;
        } else if (!integer && bad.double_is_nan) {
          EXPECT_TRUE(std::isnan(now)) << where;
        } else if (integer) {
          EXPECT_EQ(now, bad.as_integer) << where;
        } else if (std::isinf(bad.as_double)) {
          EXPECT_EQ(now, bad.as_double) << where;
        } else {
          EXPECT_NEAR(now / bad.as_double, 1.0, 1e-12) << where;
        }
      }
    }
  }
}

TEST(SettingsDialogs, TargetsAreMillimetresAndANegativeOneIsNotStored) {
  DesignRecord design = DefaultDesign();
  Ok("Targets", design, {{control_ids::kTargetMaxError, "2"}, {control_ids::kTargetRmsError, "-1"}});
  EXPECT_EQ(design.target_max_error_m, 0.002);
  EXPECT_EQ(design.target_rms_error_m, 0.0);
}

TEST(SettingsDialogs, ABadEntryKeepsEveryCopyOfItsField) {
  DesignRecord design = DefaultDesign();
  Ok("GeneratorDesign", design, {{2050, "many"}, {2051, ""}, {2049, "3"}});
  for (const GeneratorRecord& generator : design.generators) {
    EXPECT_EQ(generator.turns, 50);
    EXPECT_EQ(generator.side_m, 0.02);
    EXPECT_EQ(generator.area_m2, 0.0004);
    EXPECT_EQ(generator.peak_current_a, 3.0);
    for (const CoilRecord& coil : generator.coils) EXPECT_EQ(coil.turns, 50);
  }
}

}  // namespace
}  // namespace orvendi
