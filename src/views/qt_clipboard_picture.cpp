#include "views/qt_clipboard_picture.h"

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include "platform/qt_canvas.h"
#include "views/clipboard_copy.h"

namespace orvendi {

namespace {

// The generator states its size from a whole-number resolution and scales its content to the
// stated size; the picture wants exactly 100.01 mm and free stretching, so the root element's
// size is rewritten and the aspect ratio released.
QByteArray FixSvgRoot(const QByteArray& svg) {
  QString text = QString::fromUtf8(svg);
  const qsizetype start = text.indexOf(QLatin1String("<svg"));
  if (start < 0) return svg;
  const qsizetype end = text.indexOf(QLatin1Char('>'), start);
  if (end < 0) return svg;
  QString root = text.mid(start, end - start);
  const QString size = QString::number(kClipboardSizeMm, 'f', 2) + QLatin1String("mm");
  root.replace(QRegularExpression(QStringLiteral("\\swidth=\"[^\"]*\"")),
               QStringLiteral(" width=\"%1\"").arg(size));
  root.replace(QRegularExpression(QStringLiteral("\\sheight=\"[^\"]*\"")),
               QStringLiteral(" height=\"%1\"").arg(size));
  root.replace(QRegularExpression(QStringLiteral("\\spreserveAspectRatio=\"[^\"]*\"")), QString());
  root.append(QLatin1String(" preserveAspectRatio=\"none\""));
  text.replace(start, end - start, root);
  return text.toUtf8();
}

}  // namespace

QByteArray RenderSceneSvg(const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                          const std::vector<MonteCarloPoint>* monte_carlo) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(kClipboardExtent, kClipboardExtent));
  generator.setViewBox(QRect(0, 0, kClipboardExtent, kClipboardExtent));
  generator.setTitle(QStringLiteral("Orvendi"));
  {
    QPainter painter(&generator);
    QtCanvas canvas(painter);
    PaintClipboardScene(canvas, design, view, results, monte_carlo);
  }
  buffer.close();
  return FixSvgRoot(bytes);
}

QImage RenderScenePng(const DesignRecord& design, const ViewState& view, const ResultBuffer& results,
                      const std::vector<MonteCarloPoint>* monte_carlo) {
  QImage image(kClipboardExtent, kClipboardExtent, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter);
  PaintClipboardScene(canvas, design, view, results, monte_carlo);
  return image;
}

QMimeData* MakeClipboardMimeData(const DesignRecord& design, const ViewState& view,
                                 const ResultBuffer& results,
                                 const std::vector<MonteCarloPoint>* monte_carlo) {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), RenderSceneSvg(design, view, results, monte_carlo));
  const QImage image = RenderScenePng(design, view, results, monte_carlo);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  data->setData(QStringLiteral("image/png"), png);
  data->setImageData(image);
  return data;
}

}  // namespace orvendi
