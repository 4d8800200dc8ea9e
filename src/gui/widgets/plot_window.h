#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>

class QChart;
class QChartView;
class QComboBox;
class QPushButton;

namespace orvendi {

// A window with one chart and the buttons "Copy" (the picture to the clipboard as SVG and PNG),
// "Save As..." (an SVG or PNG file, by the name's ending) and, when the plot has data to export,
// "Export CSV...", and where the plot can show more than one quantity a box to choose it. Files are written whole or not at all; a failure is one message.
class PlotWindow : public QWidget {
  Q_OBJECT

 public:
  // Takes the chart. The window deletes itself when closed.
  PlotWindow(QChart* chart, const QString& title, QWidget* parent);

  // Adds "Export CSV..." for `csv`, offered under `file_name`.
  void SetCsv(std::string csv, const QString& file_name);
  // With more than one name, a "Show" box of them; choosing one puts the chart `make` gives for
  // its index in place of the one shown.
  void SetChoices(const QStringList& names, std::function<QChart*(int)> make);
  QComboBox* Choices() const { return choices_; }

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
  QComboBox* choices_ = nullptr;
  QWidget* show_label_ = nullptr;
  std::function<QChart*(int)> make_chart_;
  std::string csv_;
  QString csv_file_name_;
};

}  // namespace orvendi
