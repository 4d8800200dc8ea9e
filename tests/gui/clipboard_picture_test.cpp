#include "gui/widgets/qt_clipboard_picture.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <array>
#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include "support/estimates.h"
#include "support/fake_host.h"
#include "core/views/colour_map.h"
#include "core/views/error_map.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

struct Picture : SceneModel {
  Picture() {
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 800, 600);
    design.show_actual_map = design.show_bed = 0;
  }
  testing::FakeHost host;
};

QImage RenderSvg(const QByteArray& svg) {
  QSvgRenderer renderer(svg);
  EXPECT_TRUE(renderer.isValid());
  QImage image(500, 500, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  renderer.render(&painter);
  return image;
}

bool Red(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }

// Centre of the red pixels of an image.
QPointF RedCentre(const QImage& image) {
  double sx = 0, sy = 0;
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Red(image.pixel(x, y))) {
        sx += x;
        sy += y;
        ++n;
      }
    }
  }
  return n == 0 ? QPointF(-1, -1) : QPointF(sx / n, sy / n);
}

TEST(ClipboardPicture, SvgRootStatesSizeViewBoxAndFreeStretching) {
  Picture p;
  const QByteArray svg = RenderSceneSvg(p);
  QXmlStreamReader xml(svg);
  ASSERT_TRUE(xml.readNextStartElement()) << svg.left(400).toStdString();
  EXPECT_EQ(xml.name(), QLatin1String("svg"));
  const QXmlStreamAttributes root = xml.attributes();
  EXPECT_EQ(root.value("width"), QLatin1String("100.01mm"));
  EXPECT_EQ(root.value("height"), QLatin1String("100.01mm"));
  EXPECT_EQ(root.value("viewBox"), QLatin1String("0 0 500 500"));
  EXPECT_EQ(root.value("preserveAspectRatio"), QLatin1String("none"));
  while (!xml.atEnd()) xml.readNext();
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}

TEST(ClipboardPicture, GeneratorAtItsLogicalPointWhateverTheWindow) {
  Picture p;
  SetGeneratorPosition(p.design.generators[0], 5.0, 5.0, 0.0);
  SetGeneratorPosition(p.design.generators[1], 5.0, 5.0, 0.0);
  const QImage plain = RenderSvg(RenderSceneSvg(p));
  const QPointF centre = RedCentre(plain);
  EXPECT_NEAR(centre.x(), 350.0, 0.6);
  EXPECT_NEAR(centre.y(), 150.0, 0.6);
  EXPECT_TRUE(Red(plain.pixel(350, 150)));
  EXPECT_FALSE(Red(plain.pixel(350, 140)));

  SetScale(p.view, 200, p.host);
  p.view.hscroll_pos = 0;
  ApplyHorizontalScroll(p.view, p.host);
  p.view.vscroll_pos = 1000;
  ApplyVerticalScroll(p.view, p.host);
  const ViewState before = p.view;
  const QImage moved = RenderSvg(RenderSceneSvg(p));
  EXPECT_EQ(p.view, before);
  EXPECT_EQ(moved, plain);

  const QImage png = RenderScenePng(p);
  EXPECT_EQ(png.size(), QSize(500, 500));
  EXPECT_EQ(png.pixel(350, 150), qRgb(255, 0, 0));
  EXPECT_EQ(png.pixel(347, 150), qRgb(255, 0, 0));
  EXPECT_EQ(png.pixel(346, 150), qRgb(255, 255, 255));
  EXPECT_EQ(p.view, before);
}

TEST(ClipboardPicture, MimeDataCarriesSvgAndPng) {
  Picture p;
  std::unique_ptr<QMimeData> data(MakeClipboardMimeData(p));
  ASSERT_TRUE(data->hasFormat("image/svg+xml"));
  ASSERT_TRUE(data->hasFormat("image/png"));
  QImage png;
  ASSERT_TRUE(png.loadFromData(data->data("image/png"), "PNG"));
  EXPECT_EQ(png.size(), QSize(500, 500));
  EXPECT_EQ(png.pixel(350, 150), qRgb(255, 0, 0));
  EXPECT_TRUE(data->data("image/svg+xml").contains("viewBox=\"0 0 500 500\""));
}

// Whether a pixel is (nearly) an entry of the error map's colour table.
bool ViridisColour(QRgb pixel, int tolerance = 0) {
  for (const Rgb& c : ViridisColours()) {
    if (std::abs(qRed(pixel) - c.r) <= tolerance && std::abs(qGreen(pixel) - c.g) <= tolerance &&
        std::abs(qBlue(pixel) - c.b) <= tolerance) {
      return true;
    }
  }
  return false;
}

TEST(ClipboardPicture, TheErrorMapAndItsLegendAreInBothPictures) {
  Picture p;
  p.design.show_error_map = 1;
  p.design.show_measured_map = 0;
  p.design.results_valid = 1;
  testing::FillEstimates(p.design, p.results, [](const ScanPoint& point) {
    return std::array<double, 3>{point.x + 1e-4 * point.first_index, point.y + 1e-4 * point.second_index,
                                 point.z};
  });
  // The first cell spans (-0.25, -0.25) to (-0.15, -0.15) m: pixels 150..190 across, 310..350 down.
  const QImage png = RenderScenePng(p);
  EXPECT_TRUE(ViridisColour(png.pixel(170, 330)));
  const QImage svg = RenderSvg(RenderSceneSvg(p));
  EXPECT_TRUE(ViridisColour(svg.pixel(170, 330), 2));
  // The legend's colour bar, left to right, at the top-left corner.
  const int bar_y = kLegendTop + kLegendPadding + 20;
  int bar_pixels = 0;
  for (int x = 0; x < 300; ++x) bar_pixels += ViridisColour(png.pixel(x, bar_y));
  EXPECT_GE(bar_pixels, 250);
  // Off, the picture has none of it.
  p.design.show_error_map = 0;
  const QImage plain = RenderScenePng(p);
  EXPECT_EQ(plain.pixel(170, 330), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace orvendi
