#include "gui/widgets/qt_canvas.h"

#include <QImage>
#include <QPainter>
#include <climits>

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/recording_canvas.h"
#include "core/views/scene_painter.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

// A white image with a QtCanvas over it; Ink() lists what is not white.
struct Surface {
  Surface(int w = 40, int h = 40) : image(w, h, QImage::Format_RGB32) {
    image.fill(Qt::white);
    painter.begin(&image);
  }
  QImage Done() {
    painter.end();
    return image;
  }
  QImage image;
  QPainter painter;
};

bool Ink(const QImage& image, int x, int y) { return image.pixel(x, y) != qRgb(255, 255, 255); }

// "#" for ink, "." for white over a block of the image.
std::vector<std::string> Picture(const QImage& image, int x0, int y0, int w, int h) {
  std::vector<std::string> rows;
  for (int y = y0; y < y0 + h; ++y) {
    std::string row;
    for (int x = x0; x < x0 + w; ++x) row += Ink(image, x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

TEST(QtCanvasTest, RectangleLeavesOutTheRightColumnAndBottomRow) {
  Surface s;
  {
    QtCanvas canvas(s.painter);
    canvas.SelectBrush(Brush{kWhite, true});
    canvas.Rectangle(2, 3, 7, 6);
  }
  const QImage image = s.Done();
  EXPECT_EQ(Picture(image, 1, 2, 8, 6), (std::vector<std::string>{"........", ".#####..", ".#...#..",
                                                                  ".#####..", "........", "........"}));
}

TEST(QtCanvasTest, ThreePixelPenIsCentredOnTheOutline) {
  Surface s;
  {
    QtCanvas canvas(s.painter);
    canvas.SelectPen(Pen{3, kBedTeal, false});
    canvas.SelectBrush(Brush{kWhite, true});
    canvas.Rectangle(5, 5, 13, 12);  // outline through columns 5 and 12, rows 5 and 11
  }
  const QImage image = s.Done();
  EXPECT_EQ(image.pixel(4, 4), qRgb(0, 128, 128));
  EXPECT_EQ(image.pixel(13, 12), qRgb(0, 128, 128));
  EXPECT_EQ(image.pixel(6, 6), qRgb(0, 128, 128));
  EXPECT_FALSE(Ink(image, 7, 7));
  EXPECT_FALSE(Ink(image, 10, 9));
  EXPECT_FALSE(Ink(image, 3, 8));
  EXPECT_FALSE(Ink(image, 14, 8));
  EXPECT_FALSE(Ink(image, 8, 13));
}

TEST(QtCanvasTest, DefaultPenAndBrushAreBlackAndWhite) {
  Surface s;
  s.image.fill(qRgb(10, 20, 30));
  {
    QtCanvas canvas(s.painter);
    canvas.Rectangle(2, 2, 7, 7);
  }
  const QImage image = s.Done();
  EXPECT_EQ(image.pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(6, 6), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(4, 4), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(7, 7), qRgb(10, 20, 30));
}

TEST(QtCanvasTest, SevenPixelDiscCoversCentrePlusMinusThree) {
  Surface s;
  {
    QtCanvas canvas(s.painter);
    canvas.SelectPen(Pen{1, kGeneratorRed, false});
    canvas.SelectBrush(Brush{kGeneratorRed, false});
    canvas.Ellipse(10 - 3, 20 - 3, 10 + 4, 20 + 4);
  }
  const QImage image = s.Done();
  for (int d = -3; d <= 3; ++d) {
    EXPECT_EQ(image.pixel(10 + d, 20), qRgb(255, 0, 0)) << d;
    EXPECT_EQ(image.pixel(10, 20 + d), qRgb(255, 0, 0)) << d;
  }
  EXPECT_FALSE(Ink(image, 6, 20));
  EXPECT_FALSE(Ink(image, 14, 20));
  EXPECT_FALSE(Ink(image, 10, 16));
  EXPECT_FALSE(Ink(image, 10, 24));
  EXPECT_FALSE(Ink(image, 7, 17));  // a disc, not a square
}

TEST(QtCanvasTest, LineToLeavesOutItsEndPoint) {
  Surface s;
  {
    QtCanvas canvas(s.painter);
    canvas.MoveTo(2, 2);
    canvas.LineTo(8, 2);
    canvas.LineTo(8, 6);
    canvas.MoveTo(20, 20);
    canvas.LineTo(20, 20);  // no length: nothing
  }
  const QImage image = s.Done();
  EXPECT_EQ(Picture(image, 1, 1, 9, 7),
            (std::vector<std::string>{".........", ".#######.", ".......#.", ".......#.", ".......#.",
                                      ".........", "........."}));
  EXPECT_FALSE(Ink(image, 20, 20));
}

TEST(QtCanvasTest, InvertingTwiceRestoresThePixels) {
  Surface s;
  s.painter.fillRect(QRect(0, 0, 20, 40), QColor(30, 60, 90));
  const QImage before = s.image.copy();
  {
    QtCanvas canvas(s.painter);
    for (int pass = 0; pass < 2; ++pass) {
      ScopedInvert invert(canvas);
      ScopedBrush brush(canvas, Brush{kWhite, true});
      canvas.Ellipse(5, 5, 12, 12);
      canvas.Rectangle(15, 3, 30, 25);
      canvas.Rectangle(2, 30, 30, 31);
      canvas.MoveTo(1, 38);
      canvas.LineTo(35, 33);
      if (pass == 0) {
        s.painter.end();
        EXPECT_EQ(s.image.pixel(15, 3), qRgb(255 - 30, 255 - 60, 255 - 90));
        EXPECT_EQ(s.image.pixel(25, 3), qRgb(0, 0, 0));
        EXPECT_EQ(s.image.pixel(20, 10), qRgb(255, 255, 255));  // hollow
        s.painter.begin(&s.image);
      }
    }
  }
  EXPECT_EQ(s.Done(), before);
}

TEST(QtCanvasTest, HugeCoordinatesAreClippedNotMisdrawn) {
  Surface s;
  {
    QtCanvas canvas(s.painter);
    canvas.MoveTo(10, 10);
    canvas.LineTo(1'000'000'000, 10);
    canvas.MoveTo(INT_MIN, 20);
    canvas.LineTo(INT_MAX, 20);
    canvas.Ellipse(2'000'000'000, 0, INT_MAX, 10);
    canvas.SelectBrush(Brush{kWhite, true});
    canvas.Rectangle(-1'000'000'000, 30, 1'000'000'000, 1'000'000'000);
  }
  const QImage image = s.Done();
  EXPECT_FALSE(Ink(image, 9, 10));
  EXPECT_TRUE(Ink(image, 10, 10));
  EXPECT_TRUE(Ink(image, 39, 10));
  EXPECT_TRUE(Ink(image, 0, 20));
  EXPECT_TRUE(Ink(image, 39, 20));
  EXPECT_TRUE(Ink(image, 0, 30));
  EXPECT_TRUE(Ink(image, 39, 30));
  EXPECT_FALSE(Ink(image, 20, 35));
}

TEST(QtCanvasTest, OpaqueTextFillsItsBox) {
  Surface s(200, 40);
  TextSize size;
  {
    QtCanvas canvas(s.painter);
    const Font font{"Sans Serif", 10};
    size = canvas.MeasureText("X: 0.250   ", font);
    canvas.Text(3, 3, "X: 0.250   ", TextStyle{font, kBlack, true, Rgb{192, 192, 192}});
    canvas.Text(3, 20, "Plan", TextStyle{font, kBlack, false, Rgb{192, 192, 192}});
  }
  const QImage image = s.Done();
  ASSERT_GT(size.width, 20);
  ASSERT_GT(size.height, 5);
  EXPECT_EQ(image.pixel(3 + size.width - 1, 3), qRgb(192, 192, 192));  // trailing spaces are filled
  EXPECT_EQ(image.pixel(3 + size.width, 3), qRgb(255, 255, 255));
  int dark = 0;
  for (int y = 20; y < 20 + size.height; ++y) {
    for (int x = 3; x < 40; ++x) {
      EXPECT_NE(image.pixel(x, y), qRgb(192, 192, 192));
      dark += qGray(image.pixel(x, y)) < 128;
    }
  }
  EXPECT_GT(dark, 5);
}

TEST(QtCanvasTest, DefaultSceneAgreesWithTheRecording) {
  DesignRecord design;
  ViewState view;
  testing::FakeHost host;
  ApplyViewDefaults(view, host);
  ApplyDesignDefaults(design);
  UpdateWindowCentre(view, 800, 600);
  ResultBuffer results;
  testing::RecordingCanvas recording;
  PaintScene(recording, design, view, results, true);

  Surface s(800, 600);
  {
    QtCanvas canvas(s.painter);
    PaintScene(canvas, design, view, results, true);
  }
  const QImage image = s.Done();
  const QRgb red = qRgb(255, 0, 0), teal = qRgb(0, 128, 128), green = qRgb(0, 255, 0);
  // Generator 2's disc, from the recording's ellipse.
  const auto* disc = recording.Find("Ellipse(497, 197, 504, 204)");
  ASSERT_NE(disc, nullptr);
  EXPECT_EQ(image.pixel(500, 200), red);
  EXPECT_EQ(image.pixel(497, 200), red);
  EXPECT_EQ(image.pixel(503, 200), red);
  EXPECT_NE(image.pixel(504, 200), red);
  // The bed outline through both corner pixels with its 3-pixel pen; handles over it.
  ASSERT_NE(recording.Find("Rectangle(200, 501, 601, 100)"), nullptr);
  EXPECT_EQ(image.pixel(300, 99), teal);
  EXPECT_EQ(image.pixel(300, 100), teal);
  EXPECT_EQ(image.pixel(300, 101), teal);
  EXPECT_EQ(image.pixel(300, 102), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(598, 200), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(599, 200), teal);
  EXPECT_EQ(image.pixel(601, 200), teal);
  EXPECT_EQ(image.pixel(602, 200), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(600, 300), qRgb(255, 255, 255));  // handle 3's white centre
  EXPECT_EQ(image.pixel(598, 300), qRgb(0, 0, 0));        // and its black outline
  // Grid lines of the actual map: from (300, 400) along x, the end point left to the next line.
  ASSERT_EQ(recording.calls[0].Shape(), "MoveTo(300, 400)");
  EXPECT_EQ(image.pixel(300, 400), green);
  EXPECT_EQ(image.pixel(420, 400), green);
  EXPECT_EQ(image.pixel(500, 300), green);
  EXPECT_EQ(image.pixel(501, 400), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(320, 380), qRgb(255, 255, 255));
}

// Cells with rising and falling edges, a column of no width, one cell off the surface.
struct CellGrid {
  std::vector<int> xs{-10, 5, 12, 12, 30};
  std::vector<int> ys{35, 20, 8};
  std::vector<Rgb> colours{{10, 20, 30}, {200, 0, 0}, {1, 2, 3}, {0, 90, 255},
                           {40, 40, 40}, {0, 255, 0}, {9, 9, 9}, {250, 250, 0}};
};

// The pixels of the grid drawn through the canvas, and cell by cell as rectangles.
std::pair<QImage, QImage> FastAndCellByCell(const CellGrid& grid, const QRegion& clip) {
  Surface fast;
  Surface slow;
  fast.painter.setClipRegion(clip);
  slow.painter.setClipRegion(clip);
  {
    QtCanvas canvas(fast.painter);
    canvas.FillCells(grid.xs, grid.ys, grid.colours);
    QtCanvas reference(slow.painter);
    reference.Canvas::FillCells(grid.xs, grid.ys, grid.colours);
  }
  return {fast.Done(), slow.Done()};
}

TEST(QtCanvasCells, TheImageOfTheCellsEqualsTheCellsDrawnOneByOne) {
  const CellGrid grid;
  for (const QRegion& clip : {QRegion(0, 0, 40, 40), QRegion(3, 4, 20, 20) + QRegion(25, 0, 10, 40)}) {
    const auto [fast, slow] = FastAndCellByCell(grid, clip);
    EXPECT_EQ(fast, slow);
  }
  const auto [fast, slow] = FastAndCellByCell(grid, QRegion(0, 0, 40, 40));
  EXPECT_EQ(fast.pixel(0, 25), qRgb(10, 20, 30));  // cell (0, 0) from x -10, cut at the edge
  EXPECT_EQ(fast.pixel(5, 20), qRgb(200, 0, 0));   // row edge 20 is the smaller of row 0, so in it
  EXPECT_EQ(fast.pixel(29, 10), qRgb(250, 250, 0));
  EXPECT_EQ(fast.pixel(30, 10), qRgb(255, 255, 255));  // the largest edge is left out
  EXPECT_EQ(fast.pixel(12, 7), qRgb(255, 255, 255));
}

TEST(QtCanvasCells, KeepsThePenAndBrushAndHonoursAnEarlierClip) {
  const CellGrid grid;
  Surface s;
  s.painter.setClipRect(0, 0, 10, 40);
  {
    QtCanvas canvas(s.painter);
    canvas.SelectPen(Pen{1, kMapGreen, false});
    canvas.SelectBrush(Brush{kMapBlue, false});
    canvas.FillCells(grid.xs, grid.ys, grid.colours);
    EXPECT_EQ(canvas.SelectPen(Pen{}), (Pen{1, kMapGreen, false}));
    EXPECT_EQ(canvas.SelectBrush(Brush{}), (Brush{kMapBlue, false}));
  }
  const QImage image = s.Done();
  EXPECT_EQ(image.pixel(9, 25), qRgb(200, 0, 0));
  EXPECT_EQ(image.pixel(10, 25), qRgb(255, 255, 255));
}

TEST(QtCanvasCells, AnImageOfAnotherFormatGetsTheSameColours) {
  const CellGrid grid;
  QImage image(40, 40, QImage::Format_RGB888);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtCanvas canvas(painter);
    canvas.FillCells(grid.xs, grid.ys, grid.colours);
  }
  EXPECT_EQ(image.pixel(0, 25), qRgb(10, 20, 30));
  EXPECT_EQ(image.pixel(29, 10), qRgb(250, 250, 0));
  EXPECT_EQ(image.pixel(30, 10), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace orvendi
