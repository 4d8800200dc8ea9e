// Starts the installed-style `orvendi` binary on a virtual X display and uses it as a person
// would: waits until its picture is on the screen (the time from launch is reported), opens the
// "&Results" menu with Alt+R and chooses "Calcula&te" with T, grabs the screen, checks the colours
// and closes the window with the close box. Key presses are sent as X events to the program's
// window; the screen is read back from the X server.
//
// Arguments: --program=PATH --screenshot=PATH

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <string>

#include "smoke/x_display.h"

namespace {

using smoke::Check;
using smoke::CountColours;
using smoke::Counts;
using smoke::FindWindow;
using smoke::RunEventsFor;
using smoke::SendClose;
using smoke::SendKey;

}  // namespace

int main(int argc, char** argv) {
  std::string program;
  std::string screenshot = "xvfb_drive.png";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--program=", 0) == 0) program = arg.substr(10);
    if (arg.rfind("--screenshot=", 0) == 0) screenshot = arg.substr(13);
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || program.empty()) {
    std::printf("FAIL: needs an X display and --program\n");
    return 1;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen->geometry();
  // The middle of the screen, where the default design is drawn: small enough to grab often.
  const QRect middle(area.center() - QPoint(200, 200), QSize(400, 400));
  auto grab_middle = [&] {
    return screen->grabWindow(0, middle.x(), middle.y(), middle.width(), middle.height()).toImage();
  };

  QProcess orvendi;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "xcb");
  // Settings and recovery copies of its own: nothing the user left may come up at the start.
  QTemporaryDir home;
  environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
  environment.insert("XDG_DATA_HOME", home.filePath("data"));
  orvendi.setProcessEnvironment(environment);
  orvendi.setProcessChannelMode(QProcess::ForwardedChannels);
  QElapsedTimer since_launch;
  since_launch.start();
  orvendi.start(QString::fromStdString(program), {});
  Check(orvendi.waitForStarted(5000), "orvendi started");

  // Launch to the picture on the screen: the three red generator discs.
  qint64 shown_ms = -1;
  while (since_launch.elapsed() < 15000) {
    const Counts counts = CountColours(grab_middle());
    if (counts.red >= 3 * 30 && counts.teal > 0) {
      shown_ms = since_launch.elapsed();
      break;
    }
    // Leave the processor to the program and the X server between looks.
    QThread::msleep(4);
  }
  Check(shown_ms >= 0, "the design appeared on the screen");
  if (shown_ms >= 0)
    std::printf("launch of orvendi to its picture on the screen: %lld ms\n",
                static_cast<long long>(shown_ms));

  const Window window = FindWindow(display, DefaultRootWindow(display), "Untitled - Orvendi");
  Check(window != 0, "a window titled \"Untitled - Orvendi\" is mapped");
  if (window == 0) {
    orvendi.kill();
    orvendi.waitForFinished(3000);
    return 1;
  }
  const Counts before = CountColours(grab_middle());
  Check(before.green > 0 && before.blue == 0, "the actual map is green and no measured map is drawn yet");

  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  XFlush(display);
  RunEventsFor(300);
  SendKey(display, window, XK_r, Mod1Mask);
  RunEventsFor(400);
  SendKey(display, window, XK_t, 0);

  Counts after;
  QElapsedTimer waiting;
  waiting.start();
  while (waiting.elapsed() < 10000) {
    after = CountColours(grab_middle());
    if (after.blue > 200) break;
    RunEventsFor(20);
  }
  RunEventsFor(200);
  after = CountColours(grab_middle());
  Check(after.blue > 200,
        "after \"Calcula&te\" the measured map is blue (" + std::to_string(after.blue) + " pixels)");
  Check(after.red > 0, "the generators are red");
  const QImage shot = screen->grabWindow(0).toImage();
  Check(!shot.isNull() && shot.save(QString::fromStdString(screenshot)), "screenshot saved to " + screenshot);

  SendClose(display, window);
  const bool finished = orvendi.waitForFinished(5000);
  Check(finished, "the close box ends the program without a question");
  if (finished) {
    Check(orvendi.exitStatus() == QProcess::NormalExit && orvendi.exitCode() == 0, "exit code 0");
  } else {
    orvendi.kill();
    orvendi.waitForFinished(3000);
  }
  XCloseDisplay(display);
  std::printf("%s\n", smoke::failures == 0 ? "drive test passed" : "drive test FAILED");
  return smoke::failures == 0 ? 0 : 1;
}
