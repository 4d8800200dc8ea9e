#pragma once

// What the drivers on the virtual display share: checks that print as they go, finding a mapped
// window by its title, key and close events sent to a window, colours counted on the screen.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdio>
#include <string>

// Xlib last: its macros (None, Bool, KeyPress...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace smoke {

inline int failures = 0;

inline void Check(bool ok, const std::string& what) {
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

inline Counts CountColours(const QImage& image) {
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

// The mapped top-level window titled `title`, or 0.
inline Window FindWindow(Display* display, Window parent, const char* title) {
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

inline void SendKey(Display* display, Window window, KeySym symbol, unsigned int modifiers) {
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

inline void SendClose(Display* display, Window window) {
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

inline void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace smoke
