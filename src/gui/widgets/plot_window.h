#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>
#include <string>

class QChart;
class QChartView;
class QPushButton;

namespace orvendi {

// A window with one chart and the buttons "Copy" (the picture to the clipboard as SVG and PNG),
// "Save As..." (an SVG or PNG file, by the name's ending) and, when the plot has data to export,
// "Export CSV...". Files are written whole or not at all; a failure is one message.
class PlotWindow : public QWidget {
  Q_OBJECT

 public:
  // Takes the chart. The window deletes itself when closed.
  PlotWindow(QChart* chart, const QString& title, QWidget* parent);

  // Adds "Export CSV..." for `csv`, offered under `file_name`.
  void SetCsv(std::string csv, const QString& file_name);

  QChartView* View() const { return view_; }
  // The chart as it stands, drawn at the window's size.
  QImage PictureImage() const;
  QByteArray PictureSvg() const;
  const std::string& Csv() const { return csv_; }

  void CopyToClipboard() const;
  // Writes the picture (".svg", else PNG) or, with `csv`, the CSV text. False with a message.
  bool SavePicture(const QString& path, QString& error) const;
  bool SaveCsv(const QString& path, QString& error) const;

 private:
  void AskAndSavePicture();
  void AskAndSaveCsv();

  QChartView* view_ = nullptr;
  QPushButton* csv_button_ = nullptr;
  std::string csv_;
  QString csv_file_name_;
};

}  // namespace orvendi
