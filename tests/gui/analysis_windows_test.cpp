#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gui/widgets/plot_window.h"
#include "gui/shell/main_window.h"
#include "core/app/menu_model.h"
#include "core/views/colour_map.h"
#include "core/design/design_file.h"
#include "core/views/design_history.h"

namespace orvendi {
namespace {

using Answer = std::function<void(QWidget* modal)>;

// Runs `open` and answers each modal window that comes up while it runs with the next answer,
// in order. A modal window beyond the answers is closed and counted as unexpected.
struct Answered {
  std::size_t answered = 0;
  int unexpected = 0;
};
Answered AnswerModals(const std::function<void()>& open, const std::vector<Answer>& answers,
                      int timeout_ms = 30000) {
  Answered result;
  QPointer<QWidget> last;
  QTimer timer;
  QElapsedTimer clock;
  clock.start();
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || modal == last) {
      if (clock.elapsed() > timeout_ms) timer.stop();
      return;
    }
    last = modal;
    if (result.answered >= answers.size()) {
      ++result.unexpected;
      modal->close();
      return;
    }
    answers[result.answered++](modal);
  });
  timer.start();
  open();
  timer.stop();
  return result;
}

void SetEntry(QWidget* dialog, const char* name, const QString& text) {
  auto* entry = dialog->findChild<QLineEdit*>(QString::fromUtf8(name));
  ASSERT_NE(entry, nullptr) << name;
  entry->setText(text);
}

void ClickOk(QWidget* dialog) {
  auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("Buttons"));
  ASSERT_NE(buttons, nullptr);
  buttons->button(QDialogButtonBox::Ok)->click();
}

QString MessageOf(QWidget* dialog) {
  auto* label = dialog->findChild<QLabel*>(QStringLiteral("MessageLabel"));
  return label == nullptr ? QString() : label->text();
}

void Reject(QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); }

class AnalysisWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(recovery.path());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->State().design.app_active = 1;
  }

  void TearDown() override {
    for (PlotWindow* plot : Plots()) plot->close();
    window->State().design.design_modified = 0;
    window->close();
  }

  void Trigger(int id) {
    QAction* action = window->ActionFor(id);
    ASSERT_NE(action, nullptr) << id;
    action->trigger();
  }

  std::vector<PlotWindow*> Plots() const {
    std::vector<PlotWindow*> plots;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* plot = qobject_cast<PlotWindow*>(widget); plot != nullptr && plot->isVisible()) plots.push_back(plot);
    }
    return plots;
  }

  // Runs a Monte-Carlo of `runs` runs through the menu and closes its result.
  Answered RunMonteCarlo(const QString& runs, const Answer& on_result = Reject) {
    return AnswerModals([this] { Trigger(kCmdMonteCarlo); },
                        {[&](QWidget* dialog) {
                           SetEntry(dialog, "Runs", runs);
                           SetEntry(dialog, "Seed", QStringLiteral("3"));
                           ClickOk(dialog);
                         },
                         on_result});
  }

  QTemporaryDir recovery;
  QTemporaryDir files;
  std::unique_ptr<MainWindow> window;
};

TEST_F(AnalysisWindowsTest, ErrorMapToggleIsAnUndoStepOfItsOwn) {
  Trigger(kCmdViewErrorMap);
  EXPECT_EQ(window->State().design.show_error_map, 1);
  EXPECT_EQ(window->UndoStack().undoText(), QStringLiteral("Error Map"));
  window->UndoStack().undo();
  EXPECT_EQ(window->State().design.show_error_map, 0);
  window->UndoStack().redo();
  EXPECT_EQ(window->State().design.show_error_map, 1);
  // The plain view toggles stay out of the steps.
  Trigger(kCmdViewBField);
  EXPECT_EQ(window->UndoStack().count(), 1);
}

TEST_F(AnalysisWindowsTest, ErrorMapSettingsRefuseABadFactorAndStoreAGoodOneAsOneStep) {
  DesignRecord& design = window->State().design;
  const Answered answered = AnswerModals([this] { Trigger(kCmdErrorMapSettings); }, {[](QWidget* dialog) {
    // No Monte-Carlo result yet: only the error can be coloured.
    EXPECT_TRUE(dialog->findChild<QRadioButton*>(QStringLiteral("QuantityError"))->isChecked());
    EXPECT_FALSE(dialog->findChild<QRadioButton*>(QStringLiteral("QuantityTrueness"))->isEnabled());
    EXPECT_FALSE(dialog->findChild<QRadioButton*>(QStringLiteral("QuantityPrecision"))->isEnabled());
    EXPECT_FALSE(dialog->findChild<QRadioButton*>(QStringLiteral("QuantityBound"))->isEnabled());
    auto* factor = dialog->findChild<QComboBox*>(QStringLiteral("Magnification"));
    ASSERT_NE(factor, nullptr);
    EXPECT_EQ(factor->count(), 4);
    factor->setCurrentText(QStringLiteral("lots"));
    ClickOk(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(MessageOf(dialog), QStringLiteral("Magnification: \"lots\" is not a number"));
    factor->setCurrentText(QStringLiteral("0.5"));
    ClickOk(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(MessageOf(dialog).contains(QStringLiteral("outside 1 to 1e+06")));
    factor->setCurrentText(QStringLiteral("250"));
    ClickOk(dialog);
  }});
  EXPECT_EQ(answered.answered, 1u);
  EXPECT_EQ(answered.unexpected, 0);
  EXPECT_EQ(design.error_magnification, 250.0);
  EXPECT_EQ(window->UndoStack().undoText(), QStringLiteral("Error Map"));
  window->UndoStack().undo();
  EXPECT_EQ(design.error_magnification, 1.0);
}

TEST_F(AnalysisWindowsTest, MonteCarloShowsItsFiguresAndOpensTruenessAndPrecision) {
  QString shown;
  const Answered answered = RunMonteCarlo(QStringLiteral("20"), [&](QWidget* result) {
    auto* text = result->findChild<QPlainTextEdit*>(QStringLiteral("Figures"));
    ASSERT_NE(text, nullptr);
    shown = text->toPlainText();
    EXPECT_TRUE(text->isReadOnly());
    result->findChild<QPushButton*>(QStringLiteral("CopyButton"))->click();
    Reject(result);
  });
  EXPECT_EQ(answered.answered, 2u);
  EXPECT_EQ(answered.unexpected, 0);
  EXPECT_TRUE(shown.contains(QStringLiteral("\nSeed: 3\nRuns: 20\nPoints: 36\nTrueness, largest: "))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("95th percentile of the error: ")));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), shown);
  const MonteCarloRecord& record = window->State().monte_carlo;
  ASSERT_TRUE(record.present);
  EXPECT_EQ(record.options.runs, 20);
  EXPECT_EQ(record.options.seed, 3u);
  EXPECT_EQ(record.result.points.size(), 36u);
  // A run is no design change.
  EXPECT_EQ(window->UndoStack().count(), 0);

  AnswerModals([this] { Trigger(kCmdErrorMapSettings); }, {[](QWidget* dialog) {
    auto* trueness = dialog->findChild<QRadioButton*>(QStringLiteral("QuantityTrueness"));
    EXPECT_TRUE(trueness->isEnabled());
    trueness->setChecked(true);
    ClickOk(dialog);
  }});
  EXPECT_EQ(window->State().design.error_map_quantity, kErrorMapTrueness);

  // Another design: its figures are gone until it is run again.
  SetGeneratorPosition(window->State().design.generators[0], 0.01, -0.26, 0.0);
  EXPECT_EQ(CurrentMonteCarloPoints(window->State()), nullptr);
}

// With ORVENDI_SHOTS naming a folder, the window as it shows, for the record.
void MaybeSaveShot(QWidget* widget, const char* name) {
  const QString folder = qEnvironmentVariable("ORVENDI_SHOTS");
  if (!folder.isEmpty()) widget->grab().save(folder + '/' + name);
}

TEST_F(AnalysisWindowsTest, PrecisionBoundFeedsTheErrorMapUntilTheDesignChanges) {
  DesignRecord& design = window->State().design;
  design.noise_peak_v = 1e-6;
  QString shown;
  const Answered answered = AnswerModals([this] { Trigger(kCmdPrecisionBound); }, {[&](QWidget* modal) {
                                           auto* box = qobject_cast<QMessageBox*>(modal);
                                           ASSERT_NE(box, nullptr);
                                           shown = box->text();
                                           box->button(QMessageBox::Ok)->click();
                                         }});
  EXPECT_EQ(answered.answered, 1u);
  EXPECT_EQ(answered.unexpected, 0);
  EXPECT_TRUE(shown.startsWith(QStringLiteral("Points: 36\nBlind spots: 0\nPrecision bound, largest: ")))
      << shown.toStdString();
  const BoundRecord& record = window->State().bound;
  ASSERT_TRUE(record.present);
  std::vector<BoundPoint> expected;
  ASSERT_TRUE(BoundGrid(design, expected, {}));
  ASSERT_EQ(record.points.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(record.points[k].bound_m, expected[k].bound_m) << k;
  EXPECT_EQ(window->UndoStack().count(), 0);

  AnswerModals([this] { Trigger(kCmdErrorMapSettings); }, {[](QWidget* dialog) {
    EXPECT_FALSE(dialog->findChild<QRadioButton*>(QStringLiteral("QuantityTrueness"))->isEnabled());
    auto* bound = dialog->findChild<QRadioButton*>(QStringLiteral("QuantityBound"));
    EXPECT_TRUE(bound->isEnabled());
    bound->setChecked(true);
    ClickOk(dialog);
  }});
  EXPECT_EQ(design.error_map_quantity, kErrorMapBound);
  if (!qEnvironmentVariable("ORVENDI_SHOTS").isEmpty()) {
    design.noise_peak_v = 2e-5;
    design.sensor_theta_rad = 0.3;
    const auto ok = [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click(); };
    AnswerModals([this] { Trigger(kCmdPrecisionBound); }, {ok});
    Trigger(kCmdViewErrorMap);
    MaybeSaveShot(window.get(), "21-precision-bound-map.png");
  }

  SetGeneratorPosition(design.generators[0], 0.01, -0.26, 0.0);
  EXPECT_EQ(BoundPointsFor(window->State(), design), nullptr);
}

TEST_F(AnalysisWindowsTest, CancelledMonteCarloKeepsThePreviousFigures) {
  ASSERT_EQ(RunMonteCarlo(QStringLiteral("5")).answered, 2u);
  const MonteCarloSummary before = window->State().monte_carlo.result.summary;
  bool progress_seen = false;
  const Answered answered = AnswerModals([this] { Trigger(kCmdMonteCarlo); },
                                         {[](QWidget* dialog) {
                                            SetEntry(dialog, "Runs", QStringLiteral("100000"));
                                            ClickOk(dialog);
                                          },
                                          [&](QWidget* progress) {
                                            auto* bar = qobject_cast<QProgressDialog*>(progress);
                                            progress_seen = bar != nullptr;
                                            if (bar != nullptr) bar->cancel();
                                          }});
  EXPECT_TRUE(progress_seen);
  EXPECT_EQ(answered.unexpected, 0);  // no result dialog after Cancel
  const MonteCarloRecord& record = window->State().monte_carlo;
  EXPECT_EQ(record.options.runs, 5);
  EXPECT_EQ(record.result.summary.runs, before.runs);
  EXPECT_EQ(record.result.summary.rms_error_m, before.rms_error_m);
}

// A run long enough for the progress dialog yields to the event loop while it computes: a
// timer keeps firing under the progress dialog. The longest pause is printed, not judged.
TEST_F(AnalysisWindowsTest, TheWindowKeepsAnsweringDuringALongMonteCarloRun) {
  DesignRecord& design = window->State().design;
  design.algorithm_type = 2;
  design.scan_plane = 0;
  design.scan_x_from = design.scan_y_from = -0.2;
  design.scan_x_to = design.scan_y_to = 0.2;
  design.scan_x_step = design.scan_y_step = 0.01;  // 41 x 41
  QElapsedTimer clock;
  clock.start();
  qint64 last_tick = -1;
  qint64 longest_pause = 0;
  int ticks_under_progress = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()) == nullptr) return;
    const qint64 now = clock.elapsed();
    if (last_tick >= 0) longest_pause = std::max(longest_pause, now - last_tick);
    last_tick = now;
    ++ticks_under_progress;
  });
  ticker.start();
  const Answered answered = AnswerModals([this] { Trigger(kCmdMonteCarlo); },
                                         {[](QWidget* dialog) {
                                            SetEntry(dialog, "Runs", QStringLiteral("100"));
                                            ClickOk(dialog);
                                          },
                                          [](QWidget*) {},  // the progress dialog: let it run
                                          Reject});
  ticker.stop();
  EXPECT_EQ(answered.answered, 3u);
  EXPECT_EQ(answered.unexpected, 0);
  EXPECT_GT(ticks_under_progress, 1);
  EXPECT_EQ(window->State().monte_carlo.result.summary.runs, 100);
  std::printf("Monte Carlo 100 runs at 41 x 41, algorithm 2: %d timer ticks under the progress dialog, "
              "longest pause %lld ms\n",
              ticks_under_progress, static_cast<long long>(longest_pause));
}

TEST_F(AnalysisWindowsTest, MonteCarloDialogRefusesBadEntriesAndRunsNothing) {
  const Answered answered = AnswerModals([this] { Trigger(kCmdMonteCarlo); }, {[](QWidget* dialog) {
    SetEntry(dialog, "Runs", QStringLiteral("0"));
    ClickOk(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(MessageOf(dialog), QStringLiteral("Runs: the number of runs must be at least 1"));
    SetEntry(dialog, "Runs", QStringLiteral("ten"));
    ClickOk(dialog);
    EXPECT_EQ(MessageOf(dialog), QStringLiteral("Runs: \"ten\" is not a whole number"));
    SetEntry(dialog, "Runs", QStringLiteral("10"));
    SetEntry(dialog, "Seed", QStringLiteral("-3"));
    ClickOk(dialog);
    EXPECT_TRUE(MessageOf(dialog).startsWith(QStringLiteral("Seed: \"-3\"")));
    Reject(dialog);
  }});
  EXPECT_EQ(answered.unexpected, 0);
  EXPECT_FALSE(window->State().monte_carlo.present);
}

TEST_F(AnalysisWindowsTest, SweepDialogRefusesBadInputWithOneMessageAndRunsNothing) {
  const struct {
    const char* from;
    const char* to;
    const char* count;
    const char* message;
  } bad[] = {
      {"1", "2", "0", "Count: the count must be at least 1"},
      {"1", "2", "-2", "Count: the count must be at least 1"},
      {"1", "2", "many", "Count: \"many\" is not a whole number"},
      {"a", "2", "3", "From: \"a\" is not a number"},
      {"1", "2,5", "3", "To: \"2,5\" is not a number"},
      {"0.5", "0.5", "3", "From and To: the range is empty"},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.message);
    const Answered answered = AnswerModals([this] { Trigger(kCmdSweep); }, {[&](QWidget* dialog) {
      SetEntry(dialog, "From", QString::fromUtf8(b.from));
      SetEntry(dialog, "To", QString::fromUtf8(b.to));
      SetEntry(dialog, "Count", QString::fromUtf8(b.count));
      ClickOk(dialog);
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_EQ(MessageOf(dialog).toStdString(), b.message);
      Reject(dialog);
    }});
    EXPECT_EQ(answered.unexpected, 0);
  }
  EXPECT_TRUE(Plots().empty());
}

TEST_F(AnalysisWindowsTest, SweepOfMoreThanAMillionDesignsAsksFirst) {
  QString asked;
  const Answered answered =
      AnswerModals([this] { Trigger(kCmdSweep); }, {[](QWidget* dialog) {
                                                      SetEntry(dialog, "From", QStringLiteral("1"));
                                                      SetEntry(dialog, "To", QStringLiteral("2"));
                                                      SetEntry(dialog, "Count", QStringLiteral("1000001"));
                                                      ClickOk(dialog);
                                                    },
                                                    [&](QWidget* modal) {
                                                      auto* box = qobject_cast<QMessageBox*>(modal);
                                                      ASSERT_NE(box, nullptr);
                                                      asked = box->text();
                                                      box->button(QMessageBox::No)->click();
                                                    }});
  EXPECT_EQ(answered.unexpected, 0);
  EXPECT_EQ(asked, QStringLiteral("The sweep has 1000001 designs, more than 1000000. Run it?"));
  EXPECT_TRUE(Plots().empty());
}

// A histogram's outline climbs to each bar's count and down again.
int BarTotal(PlotWindow* plot) {
  auto* area = qobject_cast<QAreaSeries*>(plot->View()->chart()->series().value(0));
  int total = 0;
  const QList<QPointF> outline = area == nullptr ? QList<QPointF>{} : area->upperSeries()->points();
  for (qsizetype k = 1; k < outline.size(); k += 4) total += static_cast<int>(outline[k].y());
  return total;
}

// Every axis names its unit and labels its ends and ticks with short round numbers; the figures
// up the side start at 0.
void ExpectRoundAxesWithUnits(PlotWindow* plot) {
  for (QAbstractAxis* axis : plot->View()->chart()->axes()) {
    auto* ticks = qobject_cast<QCategoryAxis*>(axis);
    ASSERT_NE(ticks, nullptr);
    const QStringList labels = ticks->categoriesLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_TRUE(axis->titleText().endsWith(')') || axis->titleText() == "Number of grid points");
    for (const QString& label : labels) EXPECT_TRUE(label.size() <= 8 && !label.contains('e')) << label.toStdString();
    EXPECT_EQ(ticks->min(), ticks->endValue(labels.front()));
    EXPECT_EQ(ticks->max(), ticks->endValue(labels.back()));
    EXPECT_TRUE(axis->orientation() == Qt::Horizontal || labels.front() == "0");
  }
}

// What every plot window must do: show its data, copy its picture, save it whole.
void ExpectPlotWindowWorks(PlotWindow* plot, const QString& folder) {
  ASSERT_NE(plot, nullptr);
  QGuiApplication::clipboard()->clear();
  plot->findChild<QPushButton*>(QStringLiteral("CopyButton"))->click();
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_TRUE(copied->hasImage());
  EXPECT_FALSE(qvariant_cast<QImage>(copied->imageData()).isNull());
  EXPECT_TRUE(copied->data(QStringLiteral("image/svg+xml")).contains("<svg"));

  QString error;
  const QString svg = folder + "/plot.svg";
  ASSERT_TRUE(plot->SavePicture(svg, error)) << error.toStdString();
  QSvgRenderer renderer(svg);
  EXPECT_TRUE(renderer.isValid());
  EXPECT_FALSE(renderer.defaultSize().isEmpty());
  const QString png = folder + "/plot.png";
  ASSERT_TRUE(plot->SavePicture(png, error)) << error.toStdString();
  EXPECT_FALSE(QImage(png).isNull());
  // A place that cannot be written: one message, nothing left behind.
  const QString nowhere = folder + "/missing/plot.svg";
  EXPECT_FALSE(plot->SavePicture(nowhere, error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(AnalysisWindowsTest, ErrorAgainstDistanceAndHistogramShowTheLastRun) {
  EXPECT_FALSE(window->ActionFor(kCmdErrorDistancePlot)->isEnabled());
  Trigger(kCmdCalculate);
  window->UpdateMenuMarks();
  ASSERT_TRUE(window->ActionFor(kCmdErrorDistancePlot)->isEnabled());

  Trigger(kCmdErrorDistancePlot);
  ASSERT_EQ(Plots().size(), 1u);
  PlotWindow* scatter = Plots()[0];
  EXPECT_EQ(scatter->windowTitle(), QStringLiteral("Error against Distance"));
  const QList<QAbstractSeries*> series = scatter->View()->chart()->series();
  ASSERT_EQ(series.size(), 1);
  auto* points = qobject_cast<QScatterSeries*>(series[0]);
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points->count(), 36);
  ExpectPlotWindowWorks(scatter, files.path());
  scatter->close();
  QApplication::processEvents();

  Trigger(kCmdErrorHistogram);
  ASSERT_EQ(Plots().size(), 1u);
  PlotWindow* histogram = Plots()[0];
  EXPECT_EQ(BarTotal(histogram), 36);
  ExpectRoundAxesWithUnits(histogram);
  ExpectPlotWindowWorks(histogram, files.path());
  MaybeSaveShot(histogram, "19-histogram.png");
}

TEST_F(AnalysisWindowsTest, SheetCurrentsShowEachCoilsMeshCurrentsAfterACalculation) {
  DesignRecord& design = window->State().design;
  design.bed_model = 1;
  design.include_bed_currents = 1;
  window->UpdateMenuMarks();
  EXPECT_FALSE(window->ActionFor(kCmdSheetCurrents)->isEnabled());
  Trigger(kCmdCalculate);
  window->UpdateMenuMarks();
  ASSERT_TRUE(window->ActionFor(kCmdSheetCurrents)->isEnabled());

  Trigger(kCmdSheetCurrents);
  ASSERT_EQ(Plots().size(), 1u);
  PlotWindow* plot = Plots()[0];
  EXPECT_EQ(plot->windowTitle(), QStringLiteral("Sheet Currents"));
  ASSERT_EQ(plot->Choices()->count(), 27);
  EXPECT_EQ(plot->Choices()->itemText(13), QStringLiteral("Generator 1, Y coil, In phase"));
  plot->Choices()->setCurrentIndex(13);
  EXPECT_TRUE(plot->View()->chart()->title().startsWith(QStringLiteral("Generator 1, Y coil: In phase")));
  ExpectPlotWindowWorks(plot, files.path());
  MaybeSaveShot(plot, "20-sheet-currents.png");
  if (!qEnvironmentVariable("ORVENDI_SHOTS").isEmpty()) {
    design.error_map_quantity = kErrorMapDistortion;
    Trigger(kCmdViewErrorMap);
    MaybeSaveShot(window.get(), "20-distortion-error-map.png");
  }
  // A changed design has no solved sheet until the next run.
  design.frequency_hz *= 2.0;
  window->UpdateMenuMarks();
  EXPECT_FALSE(window->ActionFor(kCmdSheetCurrents)->isEnabled());
}

TEST_F(AnalysisWindowsTest, AfterMonteCarloThePlotsShowItsFiguresPerPoint) {
  window->State().design.noise_peak_v = 2e-5;
  Trigger(kCmdCalculate);
  ASSERT_EQ(RunMonteCarlo(QStringLiteral("20")).answered, 2u);
  Trigger(kCmdErrorDistancePlot);
  ASSERT_EQ(Plots().size(), 1u);
  PlotWindow* plot = Plots()[0];
  QComboBox* show = plot->Choices();
  ASSERT_EQ(show->count(), 5);  // the error, trueness, precision, bound, efficiency
  EXPECT_EQ(show->itemText(2), QStringLiteral("Precision (Monte Carlo)"));
  show->setCurrentIndex(2);
  auto* points = qobject_cast<QScatterSeries*>(plot->View()->chart()->series().value(0));
  ASSERT_NE(points, nullptr);
  ASSERT_EQ(points->count(), 36);
  EXPECT_EQ(points->at(5).y(), window->State().monte_carlo.result.points[5].precision_m * 1000.0);
  ExpectRoundAxesWithUnits(plot);
  MaybeSaveShot(plot, "19-monte-carlo-precision-against-distance.png");
  if (!qEnvironmentVariable("ORVENDI_SHOTS").isEmpty()) {
    Trigger(kCmdViewErrorMap);
    window->State().design.error_magnification = 250.0;
    MaybeSaveShot(window.get(), "19-error-map-legend.png");
  }
}

TEST_F(AnalysisWindowsTest, MonteCarloDialogTakesTypingInRunsAndReturnIsOk) {
  QString report;
  const auto type = [](QWidget* dialog) {
    ASSERT_EQ(dialog->focusWidget(), dialog->findChild<QLineEdit*>(QStringLiteral("Runs")));
    QTest::keyClicks(dialog->focusWidget(), QStringLiteral("7"));
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
  };
  const auto keep = [&](QWidget* result) {
    report = result->findChild<QPlainTextEdit*>(QStringLiteral("Figures"))->toPlainText();
    Reject(result);
  };
  EXPECT_EQ(AnswerModals([this] { Trigger(kCmdMonteCarlo); }, {type, keep}).answered, 2u);
  EXPECT_EQ(window->State().monte_carlo.options.runs, 7);
  EXPECT_TRUE(report.startsWith("Design: Untitled (not saved)\nSeed: 1\nRuns: 7\n") &&
              report.contains("\nLargest error: ")) << report.toStdString();
}

TEST_F(AnalysisWindowsTest, SweepPlotsMaxAndRmsAndExportsTheCommandLineCsv) {
  const Answered answered = AnswerModals([this] { Trigger(kCmdSweep); }, {[](QWidget* dialog) {
    auto* parameter = dialog->findChild<QComboBox*>(QStringLiteral("Parameter"));
    ASSERT_NE(parameter, nullptr);
    parameter->setCurrentText(QStringLiteral("Frequency (Hz)"));
    ASSERT_EQ(parameter->currentText(), QStringLiteral("Frequency (Hz)"));
    // The proposed range is around what the design holds.
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("From"))->text(), QStringLiteral("5000"));
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("To"))->text(), QStringLiteral("15000"));
    SetEntry(dialog, "From", QStringLiteral("5000"));
    SetEntry(dialog, "To", QStringLiteral("2e4"));
    SetEntry(dialog, "Count", QStringLiteral("3"));
    SetEntry(dialog, "Runs", QStringLiteral("4"));
    ClickOk(dialog);
  }});
  EXPECT_EQ(answered.unexpected, 0);
  ASSERT_EQ(Plots().size(), 1u);
  PlotWindow* plot = Plots()[0];
  EXPECT_EQ(plot->windowTitle(), QStringLiteral("Sweep: Frequency (Hz)"));
  const QList<QAbstractSeries*> series = plot->View()->chart()->series();
  ASSERT_EQ(series.size(), 4);  // max, RMS, and with four runs trueness and precision
  auto* max_error = qobject_cast<QLineSeries*>(series[0]);
  ASSERT_NE(max_error, nullptr);
  EXPECT_EQ(max_error->name(), QStringLiteral("Max error"));
  EXPECT_EQ(max_error->count(), 3);
  EXPECT_EQ(max_error->at(2).x(), 2e4);

  const std::string& csv = plot->Csv();
  EXPECT_EQ(csv.rfind("frequency_hz,max_error_m,rms_error_m,failed_points,max_trueness_m", 0), 0u) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
  EXPECT_TRUE(plot->findChild<QPushButton*>(QStringLiteral("CsvButton"))->isVisible());
  QString error;
  const QString path = files.path() + "/sweep.csv";
  ASSERT_TRUE(plot->SaveCsv(path, error)) << error.toStdString();
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll().toStdString(), csv);
  ExpectRoundAxesWithUnits(plot);
  ExpectPlotWindowWorks(plot, files.path());
  MaybeSaveShot(plot, "19-sweep-line-plot.png");
  // The design is as it was.
  EXPECT_EQ(window->State().design.frequency_hz, 10000.0);
  EXPECT_EQ(window->UndoStack().count(), 0);
}

TEST_F(AnalysisWindowsTest, TwoParametersGiveAMapOfTheChosenFigure) {
  const Answered answered = AnswerModals([this] { Trigger(kCmdSweep); }, {[](QWidget* dialog) {
    auto* second = dialog->findChild<QComboBox*>(QStringLiteral("Parameter2"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->currentText(), QStringLiteral("None"));
    EXPECT_FALSE(dialog->findChild<QLineEdit*>(QStringLiteral("From2"))->isEnabled());
    // Generators are numbered from 0, as everywhere in the window.
    EXPECT_GE(second->findText(QStringLiteral("Generator 0 x (m)")), 0);
    second->setCurrentText(QStringLiteral("Noise peak (V)"));
    EXPECT_TRUE(dialog->findChild<QLineEdit*>(QStringLiteral("From2"))->isEnabled());
    SetEntry(dialog, "From", QStringLiteral("5000"));
    SetEntry(dialog, "To", QStringLiteral("2e4"));
    SetEntry(dialog, "Count", QStringLiteral("3"));
    SetEntry(dialog, "From2", QStringLiteral("0"));
    SetEntry(dialog, "To2", QStringLiteral("2e-5"));
    SetEntry(dialog, "Count2", QStringLiteral("2"));
    dialog->findChild<QComboBox*>(QStringLiteral("Map"))->setCurrentText(QStringLiteral("RMS error"));
    ClickOk(dialog);
  }});
  EXPECT_EQ(answered.unexpected, 0);
  ASSERT_EQ(Plots().size(), 1u);
  PlotWindow* plot = Plots()[0];
  EXPECT_EQ(plot->windowTitle(), QStringLiteral("Sweep: Frequency (Hz) and Noise peak (V)"));
  QChart* chart = plot->View()->chart();
  EXPECT_TRUE(chart->title().startsWith(QStringLiteral("RMS error (mm)")));
  auto* cells = qobject_cast<QScatterSeries*>(chart->series().value(0));
  ASSERT_NE(cells, nullptr);
  ASSERT_EQ(cells->count(), 6);
  const std::string& csv = plot->Csv();
  EXPECT_EQ(csv.rfind("frequency_hz,noise_peak_v,max_error_m,rms_error_m", 0), 0u) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 7);

  // Each cell in the colour of its figure: the smallest and the largest at the scale's ends.
  plot->resize(720, 480);
  QApplication::processEvents();
  const QImage picture = plot->PictureImage();
  std::set<QRgb> colours;
  for (const QPointF& cell : cells->points()) {
    const QPoint pixel = plot->View()->mapFromScene(chart->mapToScene(chart->mapToPosition(cell, cells)));
    colours.insert(picture.pixel(pixel) & 0xFFFFFFu);
  }
  for (const Rgb& end : {ViridisColours().front(), ViridisColours().back()}) {
    EXPECT_EQ(colours.count(qRgb(end.r, end.g, end.b) & 0xFFFFFFu), 1u);
  }
  ExpectPlotWindowWorks(plot, files.path());
  MaybeSaveShot(plot, "19-sweep-map.png");
}

// Frequency from 10 Hz to 100 kHz in even ratios, drawn across decades; with ORVENDI_SHOTS naming a
// folder, also the induction coil over sheets of two metals, saved by the window.
TEST_F(AnalysisWindowsTest, LogarithmicSweepPlotsAcrossDecades) {
  const QString folder = qEnvironmentVariable("ORVENDI_SHOTS");
  for (const auto& [metal, ohms] : {std::pair{"", 0.0}, {"aluminium", 2.9e-5}, {"stainless-steel", 7e-4}}) {
    if (ohms > 0.0 && folder.isEmpty()) return;
    DesignRecord& d = window->State().design;
    if (ohms > 0.0) {
      d.sensor_model = 1, d.sensor_gain = 16, d.noise_peak_v = 2e-7, d.scan_plane_z = 0.25;
      d.include_bed_currents = 1, d.bed_model = 1, d.bed_sheet_ohms_per_square = ohms, d.bed_z1 = d.bed_z2 = -0.3;
      d.scan_x_from = d.scan_y_from = -0.2, d.scan_x_to = d.scan_y_to = 0.2;
    }
    EXPECT_EQ(AnswerModals([this] { Trigger(kCmdSweep); }, {[](QWidget* dialog) {
                SetEntry(dialog, "From", QStringLiteral("10"));
                SetEntry(dialog, "To", QStringLiteral("1e5"));
                SetEntry(dialog, "Count", QStringLiteral("17"));
                dialog->findChild<QCheckBox*>(QStringLiteral("Logarithmic"))->setChecked(true);
                ClickOk(dialog);
              }, [](QWidget*) {}}).unexpected, 0);  // the progress dialog, if any: let it run
    ASSERT_EQ(Plots().size(), 1u);
    PlotWindow* plot = Plots()[0];
    const QList<QAbstractAxis*> across = plot->View()->chart()->axes(Qt::Horizontal);
    EXPECT_EQ(qobject_cast<QCategoryAxis*>(across.value(0))->categoriesLabels(),
              (QStringList{"10", "100", "1000", "10000", "100000"}));
    ExpectRoundAxesWithUnits(plot);
    const QList<QPointF> rms = qobject_cast<QLineSeries*>(plot->View()->chart()->series().value(1))->points();
    ASSERT_FALSE(rms.isEmpty());
    const auto low = std::min_element(rms.begin(), rms.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    if (ohms > 0.0) {
      std::printf("%s: lowest RMS %.3f mm at %.4g Hz\n", metal, low->y(), std::pow(10.0, low->x()));
      QString error;
      EXPECT_TRUE(plot->SavePicture(folder + "/20-frequency-" + metal + ".png", error)) << error.toStdString();
    }
    plot->close();
    QApplication::processEvents();
  }
}

TEST_F(AnalysisWindowsTest, OptimizeLayoutAppliedIsOneUndoStepThatRestoresTheDesignBitForBit) {
  DesignRecord& design = window->State().design;
  // Nearly on one line: any search does better.
  SetGeneratorPosition(design.generators[0], -0.2, 0.0, 0.0);
  SetGeneratorPosition(design.generators[1], 0.0, 0.01, 0.0);
  SetGeneratorPosition(design.generators[2], 0.2, 0.0, 0.0);
  const DesignRecord before = design;
  QString asked;
  const Answer answer = [&](QWidget* modal) {
    if (modal->objectName() == QStringLiteral("OptimizeLayout")) {
      SetEntry(modal, "Evaluations", QStringLiteral("15"));
      ClickOk(modal);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      asked = box->text();
      box->button(QMessageBox::Yes)->click();
    }
  };
  AnswerModals([this] { Trigger(kCmdOptimizeLayout); }, {answer, answer, answer, answer});
  EXPECT_TRUE(asked.startsWith(QStringLiteral("Apply the best layout found, "))) << asked.toStdString();
  ASSERT_EQ(window->UndoStack().count(), 1);
  EXPECT_EQ(window->UndoStack().undoText(), QStringLiteral("Optimize Layout"));
  const DesignRecord applied = design;
  EXPECT_FALSE(SameDesign(applied, before));
  EXPECT_EQ(Plots().size(), 1u);  // the best objective against the evaluations

  window->UndoStack().undo();
  EXPECT_TRUE(SameDesign(design, before));
  EXPECT_EQ(WriteDesignJson(design, StoredView{}), WriteDesignJson(before, StoredView{}));
  window->UndoStack().redo();
  EXPECT_TRUE(SameDesign(design, applied));
}

}  // namespace
}  // namespace orvendi
