#include "cli/cli_field.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "core/design/design_file.h"
#include "core/field/coil_field.h"
#include "support/temp_folder.h"

namespace orvendi {
namespace {

using Json = nlohmann::ordered_json;
struct FieldRun {
  int status = 0;
  std::string out, err;
};


FieldRun RunField(const DesignRecord& design, const std::string& at) {
  testing::TempFolder folder("cli_field");
  std::string error;
  EXPECT_TRUE(WriteDesignFile(folder.Path("d.json"), design, StoredView{}, error)) << error;
  FieldRun run;
  const Console console{[&](std::string_view t) { return (run.out += t, true); },
                        [&](std::string_view t) { run.err += t; }};
  CliProgress host(nullptr, nullptr);
  run.status = CliField({folder.Path("d.json"), at, true, "1"}, host, console);
  return run;
}

TEST(CliFieldTest, JsonHasExactlyTheAgreedShapeForBothBedModels) {
  DesignRecord design;
  ApplyDesignDefaults(design);
  design.bed_cells_x = design.bed_cells_y = 6;
  for (const int bed_model : {0, 1}) {
    design.bed_model = bed_model;
    const FieldRun run = RunField(design, "0.1,-0.05,0.3");
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const Json root = Json::parse(run.out);
    EXPECT_EQ(root.dump(), Json({{"point", {0.1, -0.05, 0.3}}, {"coils", root["coils"]}}).dump());
    ASSERT_EQ(root["coils"].size(), 9u);
    for (int k = 0; k < kCoilCount; ++k) {
      const Json& c = root["coils"][k];
      const Vector3 b = CoilField(design.generators[k / 3], k % 3, {0.1, -0.05, 0.3});
      EXPECT_EQ(c.dump(), Json({{"index", k}, {"generator", k / 3}, {"axis", std::string(1, "xyz"[k % 3])},
                                {"coil", {b.x, b.y, b.z}}, {"bed_re", c["bed_re"]}, {"bed_im", c["bed_im"]}})
                              .dump());
      if (k % 3 == 2) {
        EXPECT_NE(c["bed_im"][2].get<double>(), 0.0) << bed_model << " coil " << k;
      }
    }
  }
  for (const char* bad : {"1,2", "1,2,3,4", "1,2,inf"}) {
    const FieldRun run = RunField(design, bad);
    EXPECT_EQ(run.status, kExitUsage) << bad;
    EXPECT_NE(run.err.find("--at"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace orvendi
