#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "core/design/design_file.h"
#include "support/default_design.h"
#include "support/temp_folder.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

// The commands run inside the folder, so that relative names are relative to it.
class CliOutputs : public ::testing::Test {
 protected:
  CliOutputs() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder_.Path());
    DesignRecord design = DefaultDesign();
    design.noise_peak_v = 1e-5;
    WriteDesign(design);
  }
  ~CliOutputs() override { std::filesystem::current_path(previous_); }

  void WriteDesign(const DesignRecord& design) {
    std::string error;
    EXPECT_TRUE(WriteDesignFile("design.json", design, StoredView{}, error)) << error;
  }
  static void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string Content(const std::string& name) { return testing::TempFolder::Content(name); }
  std::vector<std::string> Entries() const { return folder_.Entries(); }
  void Reset() {
    out_.clear();
    err_.clear();
  }
  int Calculate(const std::string& points, const std::string& summary) {
    return CliCalculate({"design.json", points, summary, "1"}, host_, console_);
  }
  int MonteCarlo(const std::string& points, const std::string& summary) {
    return CliMonteCarlo({"design.json", "2", "1", points, summary, "1"}, host_, console_);
  }
  int Sweep(const std::string& out) {
    SweepArgs args;
    args.file = "design.json";
    args.vary = {"noise_peak_v=0:1e-5:2"};
    args.out_csv = out;
    return CliSweep(args, host_, console_);
  }

  testing::TempFolder folder_{"cli_outputs"};
  std::filesystem::path previous_;
  std::string out_;
  std::string err_;
  bool out_works_ = true;
  Console console_{[this](std::string_view text) {
                     out_ += text;
                     return out_works_;
                   },
                   [this](std::string_view text) { err_ += text; }};
  CliHost host_{nullptr, nullptr};
};

TEST_F(CliOutputs, TwoOutputsNamingOneFileAreRefusedWhetherOrNotItExists) {
  std::filesystem::create_directory("sub");
  const std::vector<std::pair<std::string, std::string>> spellings = {
      {"p.csv", "./p.csv"}, {"p.csv", "sub/../p.csv"}, {"p.csv", std::filesystem::absolute("p.csv")}};
  for (const bool exists : {false, true}) {
    if (exists) WriteText("p.csv", "old");
    const std::vector<std::string> before = Entries();
    for (const auto& [points, summary] : spellings) {
      for (const bool monte_carlo : {false, true}) {
        Reset();
        EXPECT_EQ(monte_carlo ? MonteCarlo(points, summary) : Calculate(points, summary), kExitUsage)
            << points << " " << summary;
        EXPECT_NE(err_.find("--points and --summary name the same file"), std::string::npos) << err_;
        EXPECT_EQ(Entries(), before);
      }
    }
  }
  // The same file under another name: a hard link and a symbolic link.
  ASSERT_EQ(link("p.csv", "hard.csv"), 0);
  ASSERT_EQ(symlink("p.csv", "soft.csv"), 0);
  for (const char* other : {"hard.csv", "soft.csv"}) {
    Reset();
    EXPECT_EQ(Calculate("p.csv", other), kExitUsage) << other;
    EXPECT_EQ(Content("p.csv"), "old");
  }
}

// Standard output is the last thing to succeed before any output replaces its target.
TEST_F(CliOutputs, AFailingStandardOutputLeavesEveryOutputAsItWas) {
  WriteText("points.csv", "old");
  WriteText("summary.json", "old");
  const std::vector<std::string> before = Entries();
  out_works_ = false;
  for (int command = 0; command < 3; ++command) {
    Reset();
    const int status = command == 0   ? Calculate("points.csv", "summary.json")
                       : command == 1 ? MonteCarlo("points.csv", "summary.json")
                                      : Sweep("points.csv");
    EXPECT_EQ(status, kExitFailed) << command;
    EXPECT_NE(err_.find("cannot write to standard output"), std::string::npos) << err_;
    EXPECT_EQ(Content("points.csv"), "old") << command;
    EXPECT_EQ(Content("summary.json"), "old") << command;
    EXPECT_EQ(Entries(), before);
  }
  out_works_ = true;
  Reset();
  ASSERT_EQ(Calculate("points.csv", "summary.json"), kExitOk) << err_;
  EXPECT_NE(Content("summary.json"), "old");
}

TEST_F(CliOutputs, ValidateAndCalculateWarnOfValuesWithoutPhysicalSenseAndStillSucceed) {
  DesignRecord design = DefaultDesign();
  design.bed_ohms_per_m = -1.0;
  design.frequency_hz = 0.0;
  WriteDesign(design);
  for (const bool validate : {true, false}) {
    Reset();
    EXPECT_EQ(validate ? CliValidate("design.json", console_) : Calculate("", ""), kExitOk);
    EXPECT_EQ(err_,
              "warning: design.json: frequency_hz: 0 is not above 0; the coils are driven at no frequency\n"
              "warning: design.json: bed_ohms_per_m: -1 is not above 0; the bed currents have no limit\n");
    EXPECT_FALSE(out_.empty());
  }
}

TEST_F(CliOutputs, ControlCharactersInNamesAreEscapedInMessages) {
  EXPECT_EQ(CliValidate("bad\nname\x1b.json", console_), kExitUsage);
  EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
  EXPECT_EQ(err_.rfind("bad\\nname\\x1B.json: cannot be opened", 0), 0u) << err_;
  Reset();
  EXPECT_EQ(CliCalculate({"no\x1b]0;x\x07.json", "", "", "1"}, host_, console_), kExitUsage);
  EXPECT_EQ(err_.rfind("orvendi-cli: no\\x1B]0;x\\x07.json: cannot be opened", 0), 0u) << err_;
  Reset();
  EXPECT_EQ(Sweep("a\tb.csv"), kExitOk);
  EXPECT_NE(out_.find("to a\\tb.csv\n"), std::string::npos) << out_;
}

TEST_F(CliOutputs, NewWritesToStandardOutputForADash) {
  ASSERT_EQ(CliNew("-", console_), kExitOk);
  EXPECT_EQ(out_, WriteDesignJson(DefaultDesign(), StoredView{}));
  EXPECT_FALSE(std::filesystem::exists("-"));
}

}  // namespace
}  // namespace orvendi
