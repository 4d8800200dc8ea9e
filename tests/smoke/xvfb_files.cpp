// Starts the real `orvendi` binary on a virtual X display with design files and a crash:
// 1. `orvendi missing.orvendi` reports the file and starts with the default design;
// 2. `orvendi moved.orvendi` draws the generators where the file puts them, at the file's scale;
// 3. a generator dragged with the mouse (XTest input) reaches the recovery file within the
//    pause; the program is killed with SIGKILL, started again, offers the design, Return picks
//    Restore, and the dragged generator is back.
// Generators are found on the screen as red discs; their distances in pixels say where they are.
//
// Arguments: --program=PATH --screenshot=PATH

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/design/design_file.h"
#include "core/app/file_names.h"
#include "smoke/x_display.h"

#include <X11/extensions/XTest.h>

namespace {

using smoke::Check;
using smoke::FindWindow;
using smoke::RunEventsFor;
using smoke::SendKey;

struct Blob {
  double x = 0.0;
  double y = 0.0;
};

// Centres of the red discs on the screen, top to bottom, then left to right.
std::vector<Blob> RedDiscs(const QImage& image) {
  const int w = image.width();
  const int h = image.height();
  std::vector<char> seen(static_cast<std::size_t>(w) * h, 0);
  std::vector<Blob> discs;
  for (int y0 = 0; y0 < h; ++y0) {
    for (int x0 = 0; x0 < w; ++x0) {
      if (seen[y0 * w + x0] || (image.pixel(x0, y0) & 0xFFFFFF) != 0xFF0000) continue;
      std::vector<QPoint> stack{QPoint(x0, y0)};
      seen[y0 * w + x0] = 1;
      double sx = 0.0, sy = 0.0;
      int n = 0;
      while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        sx += p.x();
        sy += p.y();
        ++n;
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
          const QPoint q = p + d;
          if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h || seen[q.y() * w + q.x()]) continue;
          if ((image.pixel(q.x(), q.y()) & 0xFFFFFF) != 0xFF0000) continue;
          seen[q.y() * w + q.x()] = 1;
          stack.push_back(q);
        }
      }
      if (n >= 10) discs.push_back(Blob{sx / n, sy / n});
    }
  }
  std::sort(discs.begin(), discs.end(), [](const Blob& a, const Blob& b) {
    return std::abs(a.y - b.y) > 2.0 ? a.y < b.y : a.x < b.x;
  });
  return discs;
}

bool Near(double a, double b) { return std::abs(a - b) <= 2.0; }

class Session {
 public:
  Session(Display* display, QString program, QString home)
      : display_(display), program_(std::move(program)), home_(std::move(home)) {}

  bool Start(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("XDG_CONFIG_HOME", home_ + "/config");
    environment.insert("XDG_DATA_HOME", home_ + "/data");
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(program_, arguments);
    return process_.waitForStarted(5000);
  }

  // Waits for a mapped window with the title and gives it the keyboard.
  Window WaitForWindow(const char* title, int timeout_ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout_ms) {
      if (const Window window = FindWindow(display_, DefaultRootWindow(display_), title)) {
        XRaiseWindow(display_, window);
        XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
        XFlush(display_);
        RunEventsFor(300);
        return window;
      }
      RunEventsFor(50);
    }
    return 0;
  }

  // Waits until the screen shows three generators and returns them.
  std::vector<Blob> WaitForGenerators(int timeout_ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    std::vector<Blob> discs;
    while (clock.elapsed() < timeout_ms) {
      discs = RedDiscs(QGuiApplication::primaryScreen()->grabWindow(0).toImage());
      if (discs.size() == 3) return discs;
      RunEventsFor(100);
    }
    return discs;
  }

  QString RecoveryFile() const {
    return home_ + "/data/Orvendi/orvendi/recovery/" +
           QString::fromStdString(orvendi::RecoveryNamesFor(process_.processId()).design);
  }

  void Kill() {
    process_.kill();
    process_.waitForFinished(5000);
  }

  QProcess& Process() { return process_; }

 private:
  Display* display_;
  QString program_;
  QString home_;
  QProcess process_;
};

void Drag(Display* display, QPoint from, QPoint to) {
  XTestFakeMotionEvent(display, -1, from.x(), from.y(), CurrentTime);
  XFlush(display);
  RunEventsFor(150);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XFlush(display);
  RunEventsFor(150);
  for (int step = 1; step <= 10; ++step) {
    const QPoint p = from + (to - from) * step / 10;
    XTestFakeMotionEvent(display, -1, p.x(), p.y(), CurrentTime);
    XFlush(display);
    RunEventsFor(30);
  }
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XFlush(display);
  RunEventsFor(300);
}

// The generators of the default design, top to bottom: 1 and 2 at y = 0.25 m, 0 at y = -0.26 m.
bool DefaultLayout(const std::vector<Blob>& d, double ppm) {
  return d.size() == 3 && Near(d[1].x - d[0].x, 0.5 * ppm) && Near(d[1].y, d[0].y) &&
         Near(d[2].y - d[0].y, 0.51 * ppm) && Near(d[2].x - d[0].x, 0.25 * ppm);
}

void MissingFileStartsWithTheDefaults(Display* display, const QString& program, const QString& work) {
  Session session(display, program, work + "/missing");
  Check(session.Start({work + "/missing.orvendi"}), "orvendi missing.orvendi started");
  const Window box = session.WaitForWindow("Orvendi");
  Check(box != 0, "a message titled \"Orvendi\" reports the missing file");
  if (box != 0) SendKey(display, box, XK_Return, 0);
  Check(session.WaitForWindow("Untitled - Orvendi") != 0, "then the window opens untitled");
  Check(DefaultLayout(session.WaitForGenerators(), 400.0), "with the default design");
  session.Kill();
}

void AFileOpensWithItsGeneratorsAndScale(Display* display, const QString& program, const QString& work) {
  orvendi::DesignRecord design;
  orvendi::ApplyDesignDefaults(design);
  orvendi::SetGeneratorPosition(design.generators[0], -0.3, -0.2, 0.0);
  orvendi::SetGeneratorPosition(design.generators[1], 0.3, -0.2, 0.0);
  orvendi::SetGeneratorPosition(design.generators[2], 0.0, 0.3, 0.0);
  const orvendi::StoredView view{0, 150, 0.0, 0.0, 0.0};
  std::string error;
  const QString path = work + "/moved.orvendi";
  Check(orvendi::WriteDesignFile(path.toStdString(), design, view, error), "moved.orvendi written " + error);

  Session session(display, program, work + "/moved");
  Check(session.Start({path}), "orvendi moved.orvendi started");
  Check(session.WaitForWindow("moved.orvendi - Orvendi") != 0, "the window is titled \"moved.orvendi - Orvendi\"");
  // At 150 % (600 pixels per metre): generator 2 on top, 0 and 1 below it, 0.6 m apart.
  const std::vector<Blob> d = session.WaitForGenerators();
  const bool placed = d.size() == 3 && Near(d[1].y - d[0].y, 0.5 * 600) && Near(d[1].y, d[2].y) &&
                      Near(d[2].x - d[1].x, 0.6 * 600) && Near(d[0].x - d[1].x, 0.3 * 600);
  Check(placed, "the red generators stand where the file puts them, at the file's scale");
  session.Kill();
}

void ACrashedDesignIsRestored(Display* display, const QString& program, const QString& work,
                              const QString& screenshot) {
  const QString home = work + "/crash";
  const QPoint by(80, -40);
  qint64 first_pid = 0;
  {
    Session session(display, program, home);
    Check(session.Start({}), "orvendi started");
    Check(session.WaitForWindow("Untitled - Orvendi") != 0, "the window is titled \"Untitled - Orvendi\"");
    const std::vector<Blob> d = session.WaitForGenerators();
    Check(DefaultLayout(d, 400.0), "the default design is on the screen");
    if (d.size() != 3) {
      session.Kill();
      return;
    }
    const QPoint from(static_cast<int>(std::lround(d[2].x)), static_cast<int>(std::lround(d[2].y)));
    Drag(display, from, from + by);
    Check(session.WaitForWindow("Untitled* - Orvendi", 5000) != 0, "the drag marks the design changed");

    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(session.RecoveryFile()) && clock.elapsed() < 10000) RunEventsFor(100);
    Check(QFile::exists(session.RecoveryFile()),
          "the recovery file is written after the pause (" + std::to_string(clock.elapsed()) + " ms)");
    first_pid = session.Process().processId();
    session.Kill();
    Check(session.Process().exitStatus() == QProcess::CrashExit, "the program was killed");
  }

  Session again(display, program, home);
  Check(again.Start({}), "orvendi started again");
  const Window box = again.WaitForWindow("Orvendi");
  Check(box != 0, "the unsaved design is offered");
  if (box != 0) SendKey(display, box, XK_Return, 0);
  Check(again.WaitForWindow("Untitled* - Orvendi") != 0, "Restore brings it back as a changed design");
  const std::vector<Blob> d = again.WaitForGenerators();
  const bool moved = d.size() == 3 && Near(d[1].x - d[0].x, 0.5 * 400) && Near(d[1].y, d[0].y) &&
                     Near(d[2].x - d[0].x, 0.25 * 400 + by.x()) && Near(d[2].y - d[0].y, 0.51 * 400 + by.y());
  Check(moved, "generator 0 stands where it was dropped before the crash");
  const QString left = home + "/data/Orvendi/orvendi/recovery/" +
                       QString::fromStdString(orvendi::RecoveryNamesFor(first_pid).design);
  Check(!QFile::exists(left), "the crashed program's recovery file is gone");
  const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  Check(!shot.isNull() && shot.save(screenshot), "screenshot saved to " + screenshot.toStdString());
  again.Kill();
}

}  // namespace

int main(int argc, char** argv) {
  QString program;
  QString screenshot = "xvfb_files.png";
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (arg.startsWith("--program=")) program = arg.mid(10);
    if (arg.startsWith("--screenshot=")) screenshot = arg.mid(13);
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  Display* display = XOpenDisplay(nullptr);
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (display == nullptr || program.isEmpty() ||
      !XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
    std::printf("FAIL: needs an X display with XTEST and --program\n");
    return 1;
  }
  QTemporaryDir work;
  MissingFileStartsWithTheDefaults(display, program, work.path());
  AFileOpensWithItsGeneratorsAndScale(display, program, work.path());
  ACrashedDesignIsRestored(display, program, work.path(), screenshot);
  XCloseDisplay(display);
  std::printf("%s\n", smoke::failures == 0 ? "files test passed" : "files test FAILED");
  return smoke::failures == 0 ? 0 : 1;
}
