#include "core/design/design_warnings.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/design/control_text.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

TEST(PhysicalWarnings, NameEachValueWithoutPhysicalSense) {
  EXPECT_TRUE(PhysicalWarnings(DefaultDesign()).empty());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::function<void(DesignRecord&)> change;
    std::string warning;
  } cases[] = {
      {[](DesignRecord& d) { d.bed_ohms_per_m = 0.0; }, "bed_ohms_per_m: 0 is not above 0"},
      {[](DesignRecord& d) { d.frequency_hz = -50.0; }, "frequency_hz: -50 is not above 0"},
      {[nan](DesignRecord& d) { d.frequency_hz = nan; }, "frequency_hz: nan is not above 0"},
      {[](DesignRecord& d) { d.generators[2].turns = 0; }, "generators[2].turns: 0 is not above 0"},
      {[](DesignRecord& d) { d.generators[1].side_m = -0.01; }, "generators[1].side_m: -0.01 is not above 0"},
      {[](DesignRecord& d) { d.sensor_sensitivity_v_per_t = 0.0; },
       "sensor_sensitivity_v_per_t: 0 is not above 0"},
      {[](DesignRecord& d) { d.noise_peak_v = -1e-6; }, "noise_peak_v: -1e-06 is not 0 or more"},
      {[](DesignRecord& d) {
         d.include_bed_currents = 1;
         d.bed_y2 = d.bed_y1;
       },
       "include_bed_currents: the bed is included but has no area"},
  };
  for (const auto& c : cases) {
    DesignRecord design = DefaultDesign();
    c.change(design);
    const std::vector<std::string> warnings = PhysicalWarnings(design);
    ASSERT_EQ(warnings.size(), 1u) << c.warning;
    EXPECT_EQ(warnings[0].rfind(c.warning, 0), 0u) << warnings[0];
  }
  DesignRecord flat_but_left_out = DefaultDesign();
  flat_but_left_out.include_bed_currents = 0;
  flat_but_left_out.bed_x2 = flat_but_left_out.bed_x1;
  flat_but_left_out.noise_peak_v = 0.0;
  EXPECT_TRUE(PhysicalWarnings(flat_but_left_out).empty());
}

TEST(ControlText, ControlCharactersAreWrittenOutAndNothingElse) {
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"plain/name.json", "plain/name.json"},
      {"two\nlines\r\tx", "two\\nlines\\r\\tx"},
      {"\x1b[2Jred\x07", "\\x1B[2Jred\\x07"},
      {std::string("nul\0x\x7f", 6), "nul\\x00x\\x7F"},
      {"csi\xc2\x9b" "1m", "csi\\u009B1m"},
      {"caf\xc3\xa9 \xc2\xa0 back\\slash", "caf\xc3\xa9 \xc2\xa0 back\\slash"},
      {"cut\xc2", "cut\xc2"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeControlCharacters(c.text), c.shown);
}

}  // namespace
}  // namespace orvendi
