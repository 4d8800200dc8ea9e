#include "core/views/report_html.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "core/views/report_plot.h"
#include "core/views/svg_canvas.h"
#include "support/default_design.h"

namespace orvendi {
namespace {

using testing::DefaultDesign;

TEST(ReportMarkup, EscapingLeavesNoMarkupControlOrBrokenUtf8) {
  struct Case {
    std::string text;
    std::string escaped;
  };
  const Case cases[] = {
      {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
      {"a & \"b\"", "a &amp; &quot;b&quot;"},
      {"bell\x07 and\x1b[31m", "bell and[31m"},
      {"tab\tline\n", "tab\tline\n"},
      {"\xCE\xA9 ok", "\xCE\xA9 ok"},
      {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"c1 \xC2\x85 gone", "c1  gone"},
      {"overlong \xC0\xBC", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeMarkup(c.text), c.escaped) << c.text;
}

TEST(ReportMarkup, SvgCanvasFollowsTheCanvasConventions) {
  SvgCanvas canvas(20, 10);
  canvas.MoveTo(1, 2);
  canvas.LineTo(5, 2);
  canvas.SelectPen(Pen{1, kBlack, true});
  canvas.LineTo(9, 9);  // a null pen draws nothing but moves on
  canvas.SelectBrush(Brush{Rgb{255, 0, 0}, false});
  canvas.Rectangle(0, 0, 4, 3);
  canvas.Rectangle(9, 8, 5, 6);  // corners in either order
  canvas.Text(0, 0, "<b>", TextStyle{Font{"x\"y", 10}, kBlack, false, kWhite});
  const std::string svg = canvas.Svg();
  EXPECT_NE(svg.find("<line x1=\"1.5\" y1=\"2.5\" x2=\"5.5\" y2=\"2.5\" stroke=\"#000000\""), std::string::npos)
      << svg;
  EXPECT_EQ(svg.find("x2=\"9.5\""), std::string::npos);
  EXPECT_NE(svg.find("<rect x=\"0\" y=\"0\" width=\"4\" height=\"3\" fill=\"#ff0000\" stroke=\"none\"/>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("<rect x=\"5\" y=\"6\" width=\"4\" height=\"2\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("font-family=\"x&quot;y,sans-serif\""), std::string::npos);
  EXPECT_NE(svg.find(">&lt;b&gt;</text>"), std::string::npos);
  EXPECT_EQ(canvas.MeasureText("ab\xCE\xA9", Font{"", 10}).width, 18);
}

TEST(ReportMarkup, UnitsComeFromTheKeyNames) {
  struct Case {
    const char* key;
    const char* unit;
  };
  for (const Case c : {Case{"generators[1].x", "m"}, Case{"generators[0].side_m", "m"},
                       Case{"generators[2].peak_current_a", "A"}, Case{"generators[2].turns", ""},
                       Case{"frequency_hz", "Hz"}, Case{"sensor_sensitivity_v_per_t", "V/T"},
                       Case{"sensor_area_m2", "m\xC2\xB2"}, Case{"noise_peak_v", "V"}, Case{"scan_z_step", "m"},
                       Case{"scan_plane", ""}, Case{"bed_cells_x", ""}, Case{"bed_z1", "m"},
                       Case{"view.scale_percent", "%"}, Case{"coil_display[3]", ""}})
    EXPECT_EQ(DesignKeyUnit(c.key), c.unit) << c.key;
}

TEST(ReportPlot, TicksAreRoundAndCoverTheRange) {
  EXPECT_EQ(PlotTicks(0.0, 1.0, 5), (std::vector<double>{0.0, 0.2, 0.4, 0.6000000000000001, 0.8, 1.0}));
  EXPECT_EQ(PlotTicks(0.1, 0.6, 5).size(), 6u);
  EXPECT_TRUE(PlotTicks(1.0, 1.0, 5).empty());
  EXPECT_TRUE(PlotTicks(0.0, std::numeric_limits<double>::infinity(), 5).empty());
  EXPECT_EQ(TickText(0.30000000000000004), "0.3");
}

class Report : public ::testing::Test {
 protected:
  void SetUp() override {
    inputs_.design = DefaultDesign();
    NoProgress progress;
    CalculationWork work;
    CalculateCommand(inputs_.design, results_, work, progress);
    calculation_ = CollectPointResults(inputs_.design, results_);
    inputs_.results = &results_;
    inputs_.calculation = &calculation_;
  }

  ReportInputs inputs_;
  ResultBuffer results_;
  PointResults calculation_;
};

TEST_F(Report, IsOneSelfContainedPageWithThePictureTheFiguresAndEveryKey) {
  inputs_.title = "</title><script>alert(1)</script>.json";
  VolumeResult volume;
  NoProgress progress;
  ASSERT_TRUE(RunVolumeCalculation(inputs_.design, progress, volume));
  inputs_.volume = &volume;
  const std::string html = ReportHtml(inputs_);
  for (const char* banned : {"<script", "<img", "src=", "href=", "url(", "@import", "<link", "<iframe"})
    EXPECT_EQ(html.find(banned), std::string::npos) << banned;
  EXPECT_NE(html.find("&lt;/title&gt;&lt;script&gt;alert(1)"), std::string::npos) << "escaped title";
  std::size_t svgs = 0;
  for (std::size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1)) ++svgs;
  EXPECT_EQ(svgs, 3u) << "picture, error distribution, volume plot";
  for (const char* part : {"<h2>Volume</h2>", "<h2>Calculation</h2>", "scan_z_step", "frequency_hz",
                           "generators[2].peak_current_a", "Error against plane position"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  EXPECT_EQ(html.find("<h2>Monte-Carlo</h2>"), std::string::npos);
  EXPECT_EQ(html.rfind("</html>\n"), html.size() - 8);
}

TEST_F(Report, ThePictureHoldsTheErrorMapCells) {
  const std::string html = ReportHtml(inputs_);
  // 5 x 5 cells of the default 6 x 6 grid, drawn without outline.
  std::size_t cells = 0;
  for (std::size_t at = html.find("stroke=\"none\"/>"); at != std::string::npos;
       at = html.find("stroke=\"none\"/>", at + 1))
    ++cells;
  EXPECT_GE(cells, 25u);
  EXPECT_NE(html.find("Error (mm)"), std::string::npos) << "the legend";
}

TEST_F(Report, JudgesTheTargetsAndWritesFiguresForReading) {
  VolumeResult volume;
  PointResults failed;
  failed.summary = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(), 4, 1};
  volume.planes.push_back({0.1 + 0.2, failed});
  volume.summary = {2, 1, 0, 0.0012345678, 0.000999996, std::nan(""), 4, 1};
  inputs_.volume = &volume;
  struct Case {
    double max_target_m, rms_target_m;
    const char* verdict;  // of the calculation and the volume; empty without targets
  };
  for (const Case c :
       {Case{0, 0, ""}, Case{1, 0, "yes"}, Case{1e-12, 0, "no"}, Case{0, 1, "yes"}, Case{1, 1e-12, "no"}}) {
    inputs_.design.target_max_error_m = c.max_target_m;
    inputs_.design.target_rms_error_m = c.rms_target_m;
    const std::string html = ReportHtml(inputs_);
    const std::size_t top = html.find("<h2>Targets</h2>");
    ASSERT_EQ(top == std::string::npos, *c.verdict == 0) << c.max_target_m;
    if (*c.verdict == 0) continue;
    EXPECT_LT(top, html.find("<h2>Picture</h2>"));
    for (const char* row :
         {"<th>Calculation meets them</th>", "<th>Volume meets them</th>", "<th>Meets the targets</th>"})
      EXPECT_NE(html.find(row + std::string("<td class=\"n\">") + c.verdict + "<"), std::string::npos) << row;
  }
  const std::string html = ReportHtml(inputs_);
  for (const char* cell :
       {"Worst plane (z, m)</th><td class=\"n\">0.3<", "Max error (mm)</th><td class=\"n\">1.235<",
        "RMS error (mm)</th><td class=\"n\">1.000<", "percentile error (mm)</th><td class=\"n\">none<",
        "\"n\">0.3</td><td class=\"n\">infinite<", "<p class=\"note\">none:"})
    EXPECT_NE(html.find(cell), std::string::npos) << cell;
  for (const char* raw : {"0.30000000000000004", ">nan<", ">inf<"})
    EXPECT_EQ(html.find(raw), std::string::npos) << raw;
}

}  // namespace
}  // namespace orvendi
