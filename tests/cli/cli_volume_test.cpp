#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_html.h"
#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "core/analysis/volume.h"
#include "core/design/design_file.h"
#include "support/default_design.h"
#include "support/temp_folder.h"

namespace orvendi {
namespace {

using Json = nlohmann::json;

class CliVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(WriteDesignFile(design_, testing::DefaultDesign(), StoredView{}, error)) << error;
  }
  std::string Path(const std::string& name) const { return folder_.Path(name); }
  std::string Content(const std::string& name) const { return testing::TempFolder::Content(Path(name)); }

  testing::TempFolder folder_{"cli_volume"};
  std::string design_ = folder_.Path("design.json");
  std::string out_;
  std::string err_;
  Console console_{[this](std::string_view text) {
                     out_ += text;
                     return true;
                   },
                   [this](std::string_view text) { err_ += text; }};
  CliProgress progress_{nullptr, nullptr};
};

TEST_F(CliVolume, CalculateVolumeWritesEveryPlaneWithItsIndex) {
  CalculateArgs args{design_, Path("points.csv"), Path("summary.json"), "2", true};
  ASSERT_EQ(CliCalculate(args, progress_, console_), kExitOk) << err_;
  const Json summary = Json::parse(Content("summary.json"));
  ASSERT_EQ(summary["planes"].size(), 6u);
  EXPECT_EQ(summary["axis"], "z");
  EXPECT_EQ(summary["points"], 216);
  EXPECT_EQ(summary["planes"][3]["position_m"], 0.4);
  // The design's own plane is z = 0.4: that plane of the volume is what calculate gives for it.
  ASSERT_EQ(CliCalculate({design_, "", Path("single.json"), "1"}, progress_, console_), kExitOk);
  const Json single = Json::parse(Content("single.json"));
  EXPECT_EQ(summary["planes"][3]["max_error_m"], single["max_error_m"]);
  EXPECT_EQ(summary["planes"][3]["rms_error_m"], single["rms_error_m"]);

  const std::string points = Content("points.csv");
  EXPECT_EQ(points.rfind("plane_index,first_index,second_index,", 0), 0u);
  EXPECT_EQ(std::count(points.begin(), points.end(), '\n'), 217);
  EXPECT_NE(points.find("\n5,5,5,0.25,0.25,0.6"), std::string::npos) << "the last plane's last point";
}

TEST_F(CliVolume, ReportWritesOnePageOrNothing) {
  ReportArgs args{design_, Path("report.html"), true, true, "2", "1", "2"};
  ASSERT_EQ(CliReport(args, progress_, console_), kExitOk) << err_;
  const std::string html = Content("report.html");
  for (const char* part : {"<h2>Calculation</h2>", "<h2>Volume</h2>", "<h2>Monte-Carlo</h2>", "<h2>Precision bound</h2>"})
    EXPECT_NE(html.find(part), std::string::npos) << part;

  struct Bad {
    ReportArgs args;
    const char* message;
  };
  const auto plain = [](const std::string& file, const std::string& out, const std::string& runs,
                        const std::string& threads) { return ReportArgs{file, out, false, false, runs, "1", threads}; };
  const Bad bad[] = {
      {plain(design_, Path("bad.html"), "0", ""), "--runs"},
      {plain(design_, Path("bad.html"), "", "0"), "--threads"},
      {plain(design_, design_, "", ""), "name the same file"},
      {plain(Path("missing.json"), Path("bad.html"), "", ""), "missing.json"},
  };
  for (const Bad& b : bad) {
    err_.clear();
    EXPECT_EQ(CliReport(b.args, progress_, console_), kExitUsage) << b.message;
    EXPECT_NE(err_.find(b.message), std::string::npos) << err_;
  }
  EXPECT_EQ(folder_.Entries(), (std::vector<std::string>{"design.json", "report.html"}));
}

}  // namespace
}  // namespace orvendi
