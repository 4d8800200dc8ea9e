#include "core/design/design_warnings.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/design/control_text.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

TEST(PhysicalWarnings, NameEachValueWithoutPhysicalSense) {
  DesignRecord design = testing::DefaultDesign();
  EXPECT_TRUE(PhysicalWarnings(design).empty());
  design.generators[1].side_m = -0.01;
  design.generators[2].turns = 0;
  design.frequency_hz = std::numeric_limits<double>::quiet_NaN();
  design.sensor_sensitivity_v_per_t = 0.0;
  design.noise_peak_v = -1e-6;
  design.bed_ohms_per_m = 0.0;
  design.include_bed_currents = 1;
  design.bed_y2 = design.bed_y1;
  std::string keys;
  for (const std::string& warning : PhysicalWarnings(design))
    keys += warning.substr(0, warning.find(' ')) + " ";
  EXPECT_EQ(keys,
            "generators[1].side_m: generators[2].turns: frequency_hz: sensor_sensitivity_v_per_t: "
            "noise_peak_v: bed_ohms_per_m: include_bed_currents: ");
  design.include_bed_currents = 0;  // a flat bed left out does no harm
  EXPECT_EQ(PhysicalWarnings(design).size(), 6u);
}

TEST(ControlText, ControlCharactersAreWrittenOutAndNothingElse) {
  EXPECT_EQ(EscapeControlCharacters("plain/caf\xc3\xa9 back\\slash\xc2\xa0"),
            "plain/caf\xc3\xa9 back\\slash\xc2\xa0");
  EXPECT_EQ(EscapeControlCharacters("two\nlines\r\tx"), "two\\nlines\\r\\tx");
  EXPECT_EQ(EscapeControlCharacters(std::string("\x1b[2J\0\x7f", 6)), "\\x1B[2J\\x00\\x7F");
  EXPECT_EQ(EscapeControlCharacters("csi\xc2\x9b"
                                    "1m cut\xc2"),
            "csi\\u009B1m cut\xc2");
}

}  // namespace
}  // namespace orvendi
