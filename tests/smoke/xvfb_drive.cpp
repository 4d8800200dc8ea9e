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
#include <QThread>
#include <cstdio>
#include <string>

// Xlib last: its macros (None, Bool, KeyPress...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

struct Counts {
  int red = 0;
  int green = 0;
  int blue = 0;
  int teal = 0;
};

Counts CountColours(const QImage& image) {
  Counts counts;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      switch (image.pixel(x, y) & 0xFFFFFF) {
        case 0xFF0000:
          ++counts.red;
          break;
        case 0x00FF00:
          ++counts.green;
          break;
        case 0x0000FF:
          ++counts.blue;
          break;
        case 0x008080:
          ++counts.teal;
          break;
        default:
          break;
      }
    }
  }
  return counts;
}

// The top-level window titled `title`, or 0.
Window FindWindow(Display* display, Window parent, const char* title) {
  Window root_return = 0;
  Window parent_return = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, parent, &root_return, &parent_return, &children, &count) == 0) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes{};
    if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
      if (std::string(name) == title && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
          attributes.map_state == IsViewable) {
        found = children[i];
      }
      XFree(name);
    }
    if (found == 0) found = FindWindow(display, children[i], title);
  }
  if (children != nullptr) XFree(children);
  return found;
}

void SendKey(Display* display, Window window, KeySym symbol, unsigned int modifiers) {
  for (int type : {KeyPress, KeyRelease}) {
    XKeyEvent event{};
    event.type = type;
    event.display = display;
    event.window = window;
    event.root = DefaultRootWindow(display);
    event.subwindow = 0;
    event.time = CurrentTime;
    event.x = event.y = event.x_root = event.y_root = 1;
    event.state = modifiers;
    event.keycode = XKeysymToKeycode(display, symbol);
    event.same_screen = True;
    XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
               reinterpret_cast<XEvent*>(&event));
  }
  XFlush(display);
}

void SendClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

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

  const Window window = FindWindow(display, DefaultRootWindow(display), "Orvendi");
  Check(window != 0, "a window titled \"Orvendi\" is mapped");
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
  std::printf("%s\n", failures == 0 ? "drive test passed" : "drive test FAILED");
  return failures == 0 ? 0 : 1;
}
