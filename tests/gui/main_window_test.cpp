#include "gui/shell/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "gui/widgets/qt_canvas.h"
#include "gui/shell/help_window.h"
#include "core/app/menu_model.h"
#include "support/modal_probe.h"
#include "gui/widgets/drawing_window.h"
#include "core/views/infobar.h"
#include "gui/widgets/infobar_widget.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using testing::ModalSeen;
using testing::ProbeModal;

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->State().design.app_active = 1;
  }

  void TearDown() override {
    if (window) {
      window->State().design.design_modified = 0;
      window->close();
    }
  }

  AppState& State() { return window->State(); }

  void Trigger(int id) {
    QAction* action = window->ActionFor(id);
    ASSERT_NE(action, nullptr) << id;
    action->trigger();
  }

  // Opens the popup holding `id` as far as the marks are concerned.
  void ShowMenuOf(int id) {
    QAction* action = window->ActionFor(id);
    ASSERT_NE(action, nullptr);
    for (QAction* top : window->menuBar()->actions()) {
      if (top->menu() != nullptr && top->menu()->actions().contains(action)) emit top->menu()->aboutToShow();
    }
  }

  bool Checked(int id) { return window->ActionFor(id)->isChecked(); }

  std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, OpensTitledWithTheDrawingAreaAboveTheStrip) {
  EXPECT_EQ(window->windowTitle(), QString("Untitled[*] - Orvendi"));
  QScreen* screen = QGuiApplication::primaryScreen();
  const WindowPlacement placement =
      MainWindowPlacement(screen->geometry().width(), screen->geometry().height());
  EXPECT_EQ(window->size(), QSize(placement.width, placement.height));

  DrawingWindow* drawing = window->Drawing();
  InfobarWidget* strip = window->Infobar();
  EXPECT_EQ(drawing->objectName(), QString("Drawing"));
  EXPECT_EQ(strip->objectName(), QString("Infobar"));
  const int strip_height = State().infobar.infobar_height;
  EXPECT_GT(strip_height, 6);
  EXPECT_EQ(strip->height(), strip_height);
  EXPECT_EQ(drawing->geometry().top(), 0);
  EXPECT_EQ(drawing->geometry().bottom() + 1, strip->geometry().top());
  EXPECT_EQ(strip->geometry().bottom() + 1, drawing->parentWidget()->height());
  EXPECT_EQ(strip->width(), drawing->width());

  const QSize client = drawing->viewport()->size();
  EXPECT_EQ(State().view.drawing_width, client.width());
  EXPECT_EQ(State().view.window_centre_x, client.width() >> 1);
  EXPECT_EQ(State().view.window_centre_y, client.height() >> 1);
}

TEST_F(MainWindowTest, ResizeLaysOutTheChildrenAndMovesTheWindowCentre) {
  window->resize(640, 480);
  QApplication::processEvents();
  const QSize client = window->Drawing()->viewport()->size();
  EXPECT_EQ(State().view.drawing_width, client.width());
  EXPECT_EQ(State().view.drawing_height, client.height());
  EXPECT_EQ(State().view.window_centre_x, client.width() >> 1);
  EXPECT_EQ(State().view.window_centre_y, client.height() >> 1);
  EXPECT_EQ(window->Infobar()->geometry().bottom() + 1, window->centralWidget()->height());
}

TEST_F(MainWindowTest, TheMenuBarHoldsEveryItemWithItsCaptionAndId) {
  const QList<QAction*> tops = window->menuBar()->actions();
  const auto model = CommandMenu();
  ASSERT_EQ(tops.size(), static_cast<qsizetype>(model.size()));
  for (std::size_t p = 0; p < model.size(); ++p) {
    QMenu* menu = tops[p]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), ToQString(model[p].caption));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(model[p].entries.size())) << menu->title().toStdString();
    for (std::size_t i = 0; i < model[p].entries.size(); ++i) {
      const MenuEntry& entry = model[p].entries[i];
      if (entry.id == 0) {
        EXPECT_TRUE(items[i]->isSeparator());
        continue;
      }
      EXPECT_EQ(items[i]->text(), ToQString(entry.caption));
      EXPECT_EQ(items[i]->data().toInt(), entry.id);
      EXPECT_EQ(window->ActionFor(entry.id), items[i]);
    }
  }
  EXPECT_EQ(tops[0]->text(), QString("&File"));
  EXPECT_EQ(window->ActionFor(kCmdCalculate)->text(), QString("Calcula&te"));
}

TEST_F(MainWindowTest, EachDialogCommandOpensItsDialogWithItsOwner) {
  struct Expect {
    int id;
    const char* title;
    bool owned_by_main;
  };
  const Expect expected[] = {
      {1054, "Algorithm", false},          {1050, "Frequency", false},
      {1042, "Generator Design", false},   {1043, "Sensor Design", false},
      {1044, "Bed Design", false},         {1026, "Signal Noise", true},
      {1047, "Sensor Orientation", false}, {1048, "Scan Options", false},
      {1051, "DipoleType", false},         {1052, "Calculate Bed Parameters", false},
      {1046, "View Options", false},       {1037, "Open Loop Bed Voltages", false},
      {1036, "Bed Currents", false},       {1028, "About", true},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.title);
    const ModalSeen seen = ProbeModal([&] { Trigger(e.id); });
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QString(e.title));
    QWidget* owner = e.owned_by_main ? static_cast<QWidget*>(window.get()) : window->Drawing();
    EXPECT_EQ(seen.parent, owner);
  }
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, PositionalErrorIsGreyUntilTheFirstCalculation) {
  ShowMenuOf(kCmdPositionalError);
  EXPECT_FALSE(window->ActionFor(kCmdPositionalError)->isEnabled());
  EXPECT_FALSE(ProbeModal([&] { window->RunCommand(kCmdBedPosition); }).seen);

  Trigger(kCmdCalculate);
  EXPECT_EQ(State().design.results_valid, 1);
  ShowMenuOf(kCmdPositionalError);
  ASSERT_TRUE(window->ActionFor(kCmdPositionalError)->isEnabled());
  const ModalSeen seen = ProbeModal([&] { Trigger(kCmdPositionalError); });
  EXPECT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, QString("Position Accuracy"));
  EXPECT_EQ(seen.parent, window->Drawing());

  // It stays available, and the measured map is drawn in blue on the next paint.
  ShowMenuOf(kCmdPositionalError);
  EXPECT_TRUE(window->ActionFor(kCmdPositionalError)->isEnabled());
  const QImage scene = window->Drawing()->SceneImage();
  int blue = 0;
  for (int y = 0; y < scene.height(); ++y) {
    for (int x = 0; x < scene.width(); ++x) blue += (scene.pixel(x, y) & 0xFFFFFF) == 0x0000FF;
  }
  EXPECT_GT(blue, 100);
}

TEST_F(MainWindowTest, ALongCalculationShowsProgressAndCancelKeepsThePreviousResults) {
  Trigger(kCmdCalculate);
  ASSERT_EQ(State().design.results_valid, 1);
  const double* slot = State().results.Slot(2, 3);
  const double before[3] = {slot[0], slot[1], slot[2]};

  // A bed model of 25 million cells runs for seconds: progress appears and can be cancelled.
  State().design.include_bed_currents = 1;
  State().design.bed_cells_x = 5000;
  State().design.bed_cells_y = 5000;
  const ModalSeen seen =
      ProbeModal([&] { Trigger(kCmdCalculate); },
                 [](QWidget* modal) { EXPECT_NE(qobject_cast<QProgressDialog*>(modal), nullptr); },
                 [](QWidget* modal) { qobject_cast<QProgressDialog*>(modal)->cancel(); });
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(State().design.bed_stale, 1);
  EXPECT_EQ(State().design.results_valid, 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(slot[k], before[k]);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(window->Drawing()->MouseCaptured());
}

TEST_F(MainWindowTest, MarksFollowViewScaleToggleAndModeChanges) {
  ShowMenuOf(kCmdViewSide);
  EXPECT_TRUE(Checked(kCmdViewPlan));

  Trigger(kCmdViewSide);
  ShowMenuOf(kCmdViewSide);
  EXPECT_FALSE(Checked(kCmdViewPlan));
  EXPECT_FALSE(Checked(kCmdViewFront));
  EXPECT_TRUE(Checked(kCmdViewSide));

  Trigger(kCmdScale150);
  ShowMenuOf(kCmdScale150);
  for (int id = kCmdScale50; id <= kCmdScale200; ++id) EXPECT_EQ(Checked(id), id == kCmdScale150) << id;
  EXPECT_EQ(State().view.pixels_per_metre_x, 600.0);

  EXPECT_TRUE(Checked(kCmdViewBed));
  Trigger(kCmdViewBed);
  Trigger(kCmdViewBField);
  ShowMenuOf(kCmdViewBed);
  EXPECT_FALSE(Checked(kCmdViewBed));
  EXPECT_TRUE(Checked(kCmdViewBField));
  EXPECT_EQ(State().design.show_bed, 0);

  Trigger(kCmdBedPosition);
  ShowMenuOf(kCmdBedPosition);
  EXPECT_TRUE(Checked(kCmdBedPosition));
  EXPECT_FALSE(Checked(kCmdGeneratorPosition));
  EXPECT_EQ(State().design.edit_mode, 1);
  Trigger(kCmdGeneratorPosition);
  ShowMenuOf(kCmdBedPosition);
  EXPECT_TRUE(Checked(kCmdGeneratorPosition));
  EXPECT_FALSE(Checked(kCmdBedPosition));
}

TEST_F(MainWindowTest, OptionsRepaintsAfterOk) {
  DrawingWindow* drawing = window->Drawing();
  QImage before = drawing->SceneImage();
  // A point on a grid line of the actual map, between two scan points.
  const int x = WorldToWindowX(State().view, -0.05, -0.2);
  const int y = WorldToWindowY(State().view, -0.2, 0.0);
  ASSERT_EQ(before.pixel(x, y) & 0xFFFFFF, 0x00FF00u);

  // Cancel stores and repaints nothing.
  ProbeModal([&] { Trigger(kCmdViewOptions); });
  EXPECT_EQ(drawing->SceneImage(), before);

  const ModalSeen seen =
      ProbeModal([&] { Trigger(kCmdViewOptions); },
                 [](QWidget* dialog) {
                   auto* dots = dialog->findChild<QRadioButton*>("2062");
                   ASSERT_NE(dots, nullptr);
                   dots->click();
                 },
                 [](QWidget* dialog) { dialog->findChild<QAbstractButton*>("1")->click(); });
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(State().design.map_style, 0);
  // Drawn as dots now: the grid line between the points is gone.
  EXPECT_EQ(drawing->SceneImage().pixel(x, y) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(MainWindowTest, ScanOptionsOkDrawsTheNewGridAtOnce) {
  Trigger(kCmdCalculate);
  ASSERT_EQ(State().design.results_valid, 1);
  DrawingWindow* drawing = window->Drawing();
  // A point of the finer grid, in the middle of a cell of the old one.
  const int x = WorldToWindowX(State().view, -0.2, -0.2);
  const int y = WorldToWindowY(State().view, -0.2, 0.0);
  ASSERT_NE(drawing->SceneImage().pixel(x, y) & 0xFFFFFF, 0x00FF00u);

  const ModalSeen seen = ProbeModal([&] { Trigger(kCmdScanOptions); },
                                    [](QWidget* dialog) {
                                      for (const char* step : {"2013", "2016"}) {
                                        auto* entry = dialog->findChild<QLineEdit*>(step);
                                        ASSERT_NE(entry, nullptr);
                                        entry->setText(QStringLiteral("0.05"));
                                      }
                                    },
                                    [](QWidget* dialog) { dialog->findChild<QAbstractButton*>("1")->click(); });
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(State().design.scan_x_step, 0.05);
  // The old estimates belong to the old grid: not drawn, not valid.
  EXPECT_EQ(State().design.results_valid, 0);
  EXPECT_EQ(drawing->SceneImage().pixel(x, y) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(MainWindowTest, ShiftZThreeTimesLowersTheViewCentreAndMovesTheVerticalThumb) {
  Trigger(kCmdViewFront);
  QScrollBar* v = window->Drawing()->verticalScrollBar();
  EXPECT_EQ(v->value(), 500);
  for (int i = 0; i < 3; ++i) QTest::keyClick(window.get(), Qt::Key_Z, Qt::ShiftModifier);
  EXPECT_NEAR(State().view.view_centre_z, -0.3, 1e-12);
  EXPECT_EQ(State().view.vscroll_pos, 800);
  EXPECT_EQ(v->value(), 800);

  QTest::keyClick(window.get(), Qt::Key_X);
  EXPECT_NEAR(State().view.view_centre_x, 0.1, 1e-12);
  EXPECT_EQ(window->Drawing()->horizontalScrollBar()->value(), 600);
  QTest::keyClick(window.get(), Qt::Key_Y, Qt::ShiftModifier);
  EXPECT_NEAR(State().view.view_centre_y, -0.1, 1e-12);
}

TEST_F(MainWindowTest, TheMainWindowKeepsTheKeysAfterAClickIntoTheDrawing) {
  window->activateWindow();
  QApplication::processEvents();
  QTest::mouseClick(window->Drawing()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_EQ(window->Drawing()->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(window->Infobar()->focusPolicy(), Qt::NoFocus);
  QWidget* focus = QApplication::focusWidget();
  EXPECT_TRUE(focus == nullptr || focus == window.get());
}

TEST_F(MainWindowTest, ArrowKeysMoveThePointerByOnePixel) {
  const QPoint start = window->Drawing()->viewport()->mapToGlobal(QPoint(200, 150));
  QCursor::setPos(start);
  QApplication::processEvents();
  if (QCursor::pos() != start) GTEST_SKIP() << "this platform cannot place the pointer";
  QTest::keyClick(window.get(), Qt::Key_Right);
  EXPECT_EQ(QCursor::pos(), start + QPoint(1, 0));
  QTest::keyClick(window.get(), Qt::Key_Down);
  EXPECT_EQ(QCursor::pos(), start + QPoint(1, 1));
  QTest::keyClick(window.get(), Qt::Key_Left);
  QTest::keyClick(window.get(), Qt::Key_Up);
  EXPECT_EQ(QCursor::pos(), start);
}

TEST_F(MainWindowTest, TheStripShowsThePointerInTheDrawingAreasPixels) {
  QWidget* viewport = window->Drawing()->viewport();
  InfobarWidget* strip = window->Infobar();
  const QPoint pointer(State().view.window_centre_x + 100, State().view.window_centre_y - 40);
  QCursor::setPos(viewport->mapToGlobal(pointer));
  QApplication::processEvents();
  if (QCursor::pos() != viewport->mapToGlobal(pointer))
    GTEST_SKIP() << "this platform cannot place the pointer";

  // The strip as the read-out logic draws it for that pointer position.
  QImage expected(strip->size(), QImage::Format_RGB32);
  expected.fill(QColor(192, 192, 192));
  {
    QPainter painter(&expected);
    QtCanvas canvas(painter);
    PaintInfobar(canvas, State().infobar, strip->width(), pointer.x(), pointer.y(), State().view,
                 State().design);
  }
  const QImage actual = strip->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(actual, expected);
}

TEST_F(MainWindowTest, EveryMouseMoveRepaintsTheCoordinateField) {
  struct PaintSpy : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
      return false;
    }
  } spy;
  QApplication::processEvents();
  window->Infobar()->installEventFilter(&spy);
  spy.painted = QRegion();
  QTest::mouseMove(window->Drawing()->viewport(), QPoint(30, 40));
  QApplication::processEvents();
  window->Infobar()->removeEventFilter(&spy);
  const InfobarLayout& layout = State().infobar;
  EXPECT_TRUE(spy.painted.contains(QRect(layout.coord_field_left + 1, 4, 10, 4)));
}

TEST_F(MainWindowTest, CopyPutsAnSvgAndAPngOnTheClipboard) {
  QGuiApplication::clipboard()->clear();
  Trigger(kCmdScale200);
  const ViewState view_before = State().view;
  Trigger(kCmdCopy);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  ASSERT_TRUE(data->hasFormat("image/svg+xml"));
  const QByteArray svg = data->data("image/svg+xml");
  EXPECT_TRUE(svg.contains("<svg"));
  EXPECT_TRUE(svg.contains("100.01mm"));
  EXPECT_TRUE(data->hasFormat("image/png"));
  EXPECT_TRUE(State().view == view_before);
}

TEST_F(MainWindowTest, AboutShowsTitleVersionIconAndOk) {
  const ModalSeen seen =
      ProbeModal([&] { Trigger(kCmdAbout); },
                 [](QWidget* dialog) {
                   QStringList texts;
                   bool has_icon = false;
                   for (QLabel* label : dialog->findChildren<QLabel*>()) {
                     texts << label->text();
                     has_icon = has_icon || !label->pixmap().isNull();
                   }
                   EXPECT_TRUE(texts.contains("Orvendi"));
                   EXPECT_TRUE(texts.contains("V1.1"));
                   EXPECT_TRUE(has_icon);
                   auto* ok = dialog->findChild<QAbstractButton*>("1");
                   ASSERT_NE(ok, nullptr);
                   EXPECT_EQ(ok->text(), QString("OK"));
                 },
                 [](QWidget* dialog) { dialog->findChild<QAbstractButton*>("1")->click(); });
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, QString("About"));
  EXPECT_EQ(seen.object_name, QString("AboutDialog"));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(seen.geometry.width() > 0, true);
  EXPECT_NEAR(seen.geometry.center().x(), screen.center().x(), 2);
}

TEST_F(MainWindowTest, HelpOpensFromCommandAndF1AndClosesWithTheProgram) {
  EXPECT_EQ(window->Help(), nullptr);
  EXPECT_TRUE(window->RunCommand(kCmdHelpIndex));
  ASSERT_NE(window->Help(), nullptr);
  EXPECT_TRUE(window->Help()->isVisible());
  EXPECT_TRUE(window->Help()->toPlainText().contains("Calculate"));
  window->Help()->close();
  QTest::keyClick(window.get(), Qt::Key_F1);
  EXPECT_TRUE(window->Help()->isVisible());
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(window->Help()->isVisible());
}

// Every link of the manual leads to a page of it, and to an anchor that page has.
TEST_F(MainWindowTest, EveryManualLinkLeadsToAPageAndAnchorThatExist) {
  const QStringList pages = QDir(QStringLiteral(":/help")).entryList(QDir::Files);
  ASSERT_TRUE(pages.contains(QStringLiteral("index.html")));
  const auto read = [](const QString& page) {
    QFile file(QStringLiteral(":/help/") + page);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
  int links = 0;
  for (const QString& page : pages) {
    const QString text = read(page);
    for (const QRegularExpressionMatch& match : href.globalMatch(text)) {
      const QString target = match.captured(1);
      const QString file = target.section(QLatin1Char('#'), 0, 0);
      const QString anchor = target.section(QLatin1Char('#'), 1);
      const QString target_page = file.isEmpty() ? page : file;
      ASSERT_TRUE(pages.contains(target_page)) << page.toStdString() << " links to " << target.toStdString();
      if (!anchor.isEmpty()) {
        EXPECT_TRUE(read(target_page).contains(QStringLiteral("id=\"") + anchor + QStringLiteral("\"")))
            << page.toStdString() << " links to " << target.toStdString();
      }
      ++links;
    }
  }
  EXPECT_GT(links, 10);
  EXPECT_TRUE(read(QStringLiteral("index.html")).contains(QStringLiteral("href=\"analysis.html\"")));
}

TEST_F(MainWindowTest, ClosingAsksNothing) {
  const ModalSeen seen = ProbeModal([&] { Trigger(kCmdExit); }, {}, {}, 300);
  EXPECT_FALSE(seen.seen);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ADesignMarkedModifiedAsksAndCancelKeepsTheWindow) {
  State().design.design_modified = 1;
  const ModalSeen seen = ProbeModal(
      [&] { window->close(); }, {},
      [](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), QString("Design has changed\n\nDo you wish to save the changes?"));
        message->button(QMessageBox::Cancel)->click();
      });
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, QString("Orvendi"));
  EXPECT_TRUE(window->isVisible());
  const ModalSeen no =
      ProbeModal([&] { window->close(); }, {},
                 [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
  EXPECT_TRUE(no.seen);
  EXPECT_FALSE(window->isVisible());
}

// Whatever the design holds, nothing reachable from the menu, keys or mouse may crash.
TEST_F(MainWindowTest, HostileDesignValuesSurviveEveryCommandKeyAndMouseEdit) {
  DesignRecord& d = State().design;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  SetGeneratorPosition(d.generators[0], nan, inf, -inf);
  SetGeneratorPosition(d.generators[1], 1e300, -1e300, 0.0);
  d.bed_x1 = -inf;
  d.bed_y2 = nan;
  d.bed_z1 = 1e308;
  d.bed_cells_x = 0;
  d.bed_cells_y = -5;
  d.bed_ohms_per_m = 0.0;
  d.frequency_hz = nan;
  d.sensor_sensitivity_v_per_t = 0.0;
  d.show_b_field = 1;
  d.display_bed_field = 1;
  d.coil_display.fill(1);
  d.include_bed_currents = 1;
  d.bed_stale = 1;

  QWidget* viewport = window->Drawing()->viewport();
  const int non_dialog_ids[] = {kCmdCalculate,
                                kCmdViewFront,
                                kCmdViewSide,
                                kCmdViewPlan,
                                kCmdScale50,
                                kCmdScale200,
                                kCmdCopy,
                                kCmdViewBField,
                                kCmdViewBed,
                                kCmdBedPosition,
                                kCmdViewMeasuredMap,
                                kCmdGeneratorPosition,
                                kCmdViewMeasuredMap,
                                1000};
  for (int id : non_dialog_ids) {
    window->RunCommand(id);
    window->Drawing()->SceneImage();
  }
  for (int mode : {0, 1}) {
    d.edit_mode = mode;
    for (const QPoint p : {QPoint(0, 0), QPoint(400, 300), QPoint(-30000, 30000), QPoint(5, 5)}) {
      QTest::mousePress(viewport, Qt::LeftButton, {}, p);
      QTest::mouseMove(viewport, p + QPoint(7, -3));
      QTest::mouseRelease(viewport, Qt::LeftButton, {}, p + QPoint(7, -3));
    }
  }
  for (Qt::Key key : {Qt::Key_X, Qt::Key_Y, Qt::Key_Z}) QTest::keyClick(window.get(), key);
  for (int id : {kCmdPositionalError, kCmdBedVoltages, kCmdBedCurrents}) {
    EXPECT_TRUE(ProbeModal([&] { window->RunCommand(id); }).seen) << id;
  }
  window->Drawing()->SceneImage();
  window->Infobar()->grab();
  EXPECT_FALSE(window->Drawing()->MouseCaptured());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace orvendi
