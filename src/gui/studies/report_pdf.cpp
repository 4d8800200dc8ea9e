#include "gui/studies/report_pdf.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "core/views/clipboard_copy.h"
#include "gui/widgets/qt_canvas.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

// Page units: 96 per inch, as on screen, so that the picture keeps its pixel layout.
constexpr int kResolution = 96;
constexpr int kPlotWidth = 560;
constexpr int kPlotHeight = 260;

class PageWriter {
 public:
  PageWriter(QPdfWriter& writer, QPainter& painter) : writer_(writer), painter_(painter) {
    height_ = painter.viewport().height();
  }

  // Moves to a new page when `needed` no longer fits on this one.
  void Reserve(int needed) {
    if (y_ + needed <= height_ || y_ == 0) return;
    writer_.newPage();
    y_ = 0;
  }
  void Text(const QString& text, int size, bool bold = false) {
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(size);
    font.setBold(bold);
    Reserve(size + 6);
    painter_.setFont(font);
    painter_.setPen(Qt::black);
    painter_.drawText(QRect(x_, y_, painter_.viewport().width() - x_, size + 6), Qt::AlignLeft | Qt::AlignVCenter,
                      text);
    y_ += size + 6;
  }
  template <class Paint>
  void Picture(int width, int height, Paint paint) {
    Reserve(height);
    painter_.save();
    painter_.translate(x_, y_);
    painter_.setClipRect(0, 0, width, height);
    {
      QtCanvas canvas(painter_);
      paint(canvas);
    }
    painter_.restore();
    y_ += height + 8;
  }
  void Skip(int pixels) { y_ += pixels; }

 private:
  QPdfWriter& writer_;
  QPainter& painter_;
  int x_ = 0;
  int y_ = 0;
  int height_ = 0;
};

}  // namespace

QByteArray ReportPdf(const ReportInputs& inputs) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setResolution(kResolution);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15)));
  writer.setTitle(ToQString("Orvendi report: " + inputs.title));
  QPainter painter(&writer);
  PageWriter page(writer, painter);

  page.Text(ToQString("Orvendi report: " + inputs.title), 20, true);
  page.Picture(kClipboardExtent, kClipboardExtent, [&](Canvas& canvas) {
    {
      ScopedPen pen(canvas, Pen{1, kBlack, true});
      canvas.Rectangle(0, 0, kClipboardExtent, kClipboardExtent);
    }
    PaintReportPicture(canvas, inputs);
  });
  page.Text(ToQString(ReportPictureCaption(inputs)), 10);
  for (const ReportSection& section : ReportSections(inputs)) {
    page.Skip(8);
    page.Text(ToQString(section.title), 15, true);
    for (const auto& [name, value] : section.rows) page.Text(ToQString(name + ": " + value), 11);
    for (const LinePlot& plot : section.plots)
      page.Picture(kPlotWidth, kPlotHeight,
                   [&](Canvas& canvas) { PaintLinePlot(canvas, plot, kPlotWidth, kPlotHeight); });
  }
  page.Skip(8);
  page.Text(QStringLiteral("Design"), 15, true);
  for (const auto& [key, value] : ReportKeys(inputs)) {
    const std::string unit = DesignKeyUnit(key);
    page.Text(ToQString(key + " = " + value + (unit.empty() ? "" : " " + unit)), 10);
  }
  painter.end();
  return bytes;
}

}  // namespace orvendi
