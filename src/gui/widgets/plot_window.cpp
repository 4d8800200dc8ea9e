#include "gui/widgets/plot_window.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

#include "core/design/atomic_file.h"

namespace orvendi {

namespace {

constexpr int kPlotWidth = 720;
constexpr int kPlotHeight = 480;

QByteArray PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

bool WriteWhole(const QString& path, const QByteArray& bytes, QString& error) {
  std::string reason;
  if (WriteFileAtomically(path.toStdString(), std::string_view(bytes.constData(), bytes.size()), reason)) return true;
  error = QString::fromStdString(reason);
  return false;
}

}  // namespace

PlotWindow::PlotWindow(QChart* chart, const QString& title, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("PlotWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  view_ = new QChartView(chart, this);
  view_->setObjectName(QStringLiteral("ChartView"));
  view_->setRenderHint(QPainter::Antialiasing);

  auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
  copy->setObjectName(QStringLiteral("CopyButton"));
  connect(copy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
  auto* save = new QPushButton(QStringLiteral("&Save As..."), this);
  save->setObjectName(QStringLiteral("SaveButton"));
  connect(save, &QPushButton::clicked, this, [this] { AskAndSavePicture(); });
  csv_button_ = new QPushButton(QStringLiteral("Export CS&V..."), this);
  csv_button_->setObjectName(QStringLiteral("CsvButton"));
  csv_button_->hide();
  connect(csv_button_, &QPushButton::clicked, this, [this] { AskAndSaveCsv(); });
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  choices_ = new QComboBox(this);
  choices_->setObjectName(QStringLiteral("ShowChoice"));
  auto* show_label = new QLabel(QStringLiteral("S&how:"), this);
  show_label->setBuddy(choices_);
  connect(choices_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0 || !make_chart_) return;
    QChart* old = view_->chart();
    view_->setChart(make_chart_(index));
    delete old;
  });
  choices_->setVisible(false);
  show_label->setVisible(false);
  show_label_ = show_label;

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(show_label);
  buttons->addWidget(choices_);
  buttons->addWidget(copy);
  buttons->addWidget(save);
  buttons->addWidget(csv_button_);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
  resize(kPlotWidth, kPlotHeight);
}

void PlotWindow::SetCsv(std::string csv, const QString& file_name) {
  csv_ = std::move(csv);
  csv_file_name_ = file_name;
  csv_button_->setVisible(!csv_.empty());
}

void PlotWindow::SetChoices(const QStringList& names, std::function<QChart*(int)> make) {
  make_chart_ = std::move(make);
  {
    const QSignalBlocker quiet(choices_);
    choices_->clear();
    choices_->addItems(names);
  }
  choices_->setVisible(names.size() > 1);
  show_label_->setVisible(names.size() > 1);
}

QImage PlotWindow::PictureImage() const {
  const QSize size = view_->size().isEmpty() ? QSize(kPlotWidth, kPlotHeight) : view_->size();
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  view_->render(&painter);
  return image;
}

QByteArray PlotWindow::PictureSvg() const {
  const QSize size = view_->size().isEmpty() ? QSize(kPlotWidth, kPlotHeight) : view_->size();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(windowTitle());
  {
    QPainter painter(&generator);
    view_->render(&painter);
  }
  buffer.close();
  return bytes;
}

void PlotWindow::CopyToClipboard() const {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return;
  const QImage image = PictureImage();
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), PictureSvg());
  data->setData(QStringLiteral("image/png"), PngBytes(image));
  data->setImageData(image);
  clipboard->setMimeData(data);
}

bool PlotWindow::SavePicture(const QString& path, QString& error) const {
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  return WriteWhole(path, svg ? PictureSvg() : PngBytes(PictureImage()), error);
}

bool PlotWindow::SaveCsv(const QString& path, QString& error) const {
  return WriteWhole(path, QByteArray::fromStdString(csv_), error);
}

void PlotWindow::AskAndSavePicture() {
  QString filter;
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Plot"), windowTitle() + ".svg",
                                              QStringLiteral("SVG picture (*.svg);;PNG image (*.png)"), &filter);
  if (path.isEmpty()) return;
  const bool has_ending = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive) ||
                          path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
  if (!has_ending) path += filter.startsWith(QStringLiteral("PNG")) ? QStringLiteral(".png") : QStringLiteral(".svg");
  QString error;
  if (!SavePicture(path, error)) QMessageBox::warning(this, QStringLiteral("Save Plot"), error);
}

void PlotWindow::AskAndSaveCsv() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), csv_file_name_,
                                                    QStringLiteral("CSV file (*.csv)"));
  if (path.isEmpty()) return;
  QString error;
  if (!SaveCsv(path, error)) QMessageBox::warning(this, QStringLiteral("Export CSV"), error);
}

}  // namespace orvendi
