// window-probe: looks at the game window in a real X server the way a player
// would: captures what the screen shows of it, checks that capture against a
// page, and presses the window's close button.
//
//   window-probe capture WINDOW OUT.png
//   window-probe close WINDOW
//   window-probe cover WINDOW
//   window-probe icon WINDOW
//   window-probe match WINDOW PAGE.png [--aspect] [--timeout SECONDS] [--save OUT.png]
//   window-probe compare CAPTURE.png PAGE.png [--aspect]
//   window-probe wm-ready SECONDS
//   window-probe wait-window TITLE SECONDS
//   window-probe deaf-wm SECONDS
//
// wm-ready waits until a window manager frames newly shown windows;
// wait-window prints the id of the shown window with that title once there
// is one (exit 1 when the time runs out); deaf-wm is a window manager that
// drops every request to show a window.
// match captures until the window shows the page (exit 0) or the time runs
// out (exit 1, with the last capture saved when --save is given).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "WindowMatch.h"
#include "platform/png/Png.h"

namespace {

using dw::RgbImage;

int usage() {
  std::fprintf(stderr,
               "usage: window-probe capture WINDOW OUT.png\n"
               "       window-probe close WINDOW\n"
               "       window-probe cover WINDOW\n"
               "       window-probe icon WINDOW\n"
               "       window-probe match WINDOW PAGE.png [--aspect] [--timeout SECONDS] "
               "[--save OUT.png]\n"
               "       window-probe compare CAPTURE.png PAGE.png [--aspect]\n"
               "       window-probe wm-ready SECONDS\n"
               "       window-probe wait-window TITLE SECONDS\n"
               "       window-probe deaf-wm SECONDS\n");
  return 2;
}

// The bit position and width of a visual's colour mask.
struct Channel {
  int shift = 0;
  int bits = 0;
};

Channel channelOf(unsigned long mask) {
  Channel c;
  if (mask == 0) return c;
  while ((mask & 1) == 0) {
    mask >>= 1;
    ++c.shift;
  }
  while ((mask & 1) != 0) {
    mask >>= 1;
    ++c.bits;
  }
  return c;
}

std::uint8_t sample(unsigned long pixel, Channel c) {
  if (c.bits == 0) return 0;
  unsigned long value = (pixel >> c.shift) & ((1ul << c.bits) - 1);
  return static_cast<std::uint8_t>(value * 255 / ((1ul << c.bits) - 1));
}

// What the screen shows where the window is, as `xwd -root` would see it.
bool capture(Display* display, Window window, RgbImage& out) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
  if (attributes.map_state != IsViewable) {
    out.error = "the window is not shown";
    return false;
  }
  Window root = DefaultRootWindow(display);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
  XWindowAttributes rootAttributes;
  XGetWindowAttributes(display, root, &rootAttributes);
  // The part of the window that is on the screen.
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + attributes.width, rootAttributes.width);
  int y1 = std::min(y + attributes.height, rootAttributes.height);
  if (x1 <= x0 || y1 <= y0) {
    out.error = "the window is off the screen";
    return false;
  }
  XImage* image = XGetImage(display, root, x0, y0, static_cast<unsigned>(x1 - x0),
                            static_cast<unsigned>(y1 - y0), AllPlanes, ZPixmap);
  if (image == nullptr) {
    out.error = "XGetImage failed";
    return false;
  }
  Visual* visual = rootAttributes.visual;
  Channel red = channelOf(visual->red_mask), green = channelOf(visual->green_mask),
          blue = channelOf(visual->blue_mask);
  out.width = x1 - x0;
  out.height = y1 - y0;
  out.rgb.assign(static_cast<std::size_t>(out.width) * out.height * 3, 0);
  for (int py = 0; py < out.height; ++py) {
    for (int px = 0; px < out.width; ++px) {
      unsigned long pixel = XGetPixel(image, px, py);
      std::size_t at = (static_cast<std::size_t>(py) * out.width + px) * 3;
      out.rgb[at] = sample(pixel, red);
      out.rgb[at + 1] = sample(pixel, green);
      out.rgb[at + 2] = sample(pixel, blue);
    }
  }
  XDestroyImage(image);
  return true;
}

bool writeRgbPng(const std::string& path, const RgbImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

// The close button: the desktop asks the window to close itself.
bool sendClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  if (XSendEvent(display, window, False, NoEventMask, &event) == 0) return false;
  XFlush(display);
  return true;
}

// Lays another window over the window for a moment, so that the part it hid
// must be drawn again when it goes.
bool cover(Display* display, Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
  Window root = DefaultRootWindow(display);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
  XSetWindowAttributes settings{};
  settings.override_redirect = True;
  settings.background_pixel = WhitePixel(display, DefaultScreen(display));
  Window lid =
      XCreateWindow(display, root, x, y, static_cast<unsigned>(attributes.width),
                    static_cast<unsigned>(attributes.height), 0, CopyFromParent, InputOutput,
                    CopyFromParent, CWOverrideRedirect | CWBackPixel, &settings);
  XMapRaised(display, lid);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  XDestroyWindow(display, lid);
  XSync(display, False);
  return true;
}

// Prints the size of the window's icon, as the desktop reads it; false when
// it has none.
bool printIcon(Display* display, Window window) {
  Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  int status = XGetWindowProperty(display, window, icon, 0, 2, False, XA_CARDINAL, &type, &format,
                                  &count, &after, &data);
  bool found = status == Success && data != nullptr && format == 32 && count == 2;
  if (found) {
    // Format 32 properties come as longs.
    const auto* size = reinterpret_cast<const long*>(data);
    std::printf("%ldx%ld\n", size[0], size[1]);
  } else {
    std::printf("no icon\n");
  }
  if (data != nullptr) XFree(data);
  return found;
}

// X errors about windows that went away between two requests (a window
// manager's frames come and go) are no reason to stop looking.
int ignoreErrors(Display*, XErrorEvent*) {
  return 0;
}

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// The window's parent (None when it has gone).
Window parentOf(Display* display, Window window) {
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return None;
  if (children != nullptr) XFree(children);
  return parent;
}

bool hasProperty(Display* display, Window window, const char* name) {
  Atom atom = XInternAtom(display, name, False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  int status = XGetWindowProperty(display, window, atom, 0, 1, False, AnyPropertyType, &type,
                                  &format, &count, &left, &data);
  if (data != nullptr) XFree(data);
  return status == Success && type != None;
}

// True once a window manager runs and acts on requests to show windows. It
// announces itself on the root window before its start-up is done, and until
// then it takes requests to show a window without acting on them; so a
// small window is shown, once each try, until one try sees it framed.
bool waitForWindowManager(Display* display, double timeout) {
  auto deadline = after(timeout);
  while (!hasProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK")) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Window root = DefaultRootWindow(display);
  for (;;) {
    Window probe = XCreateSimpleWindow(display, root, 0, 0, 16, 16, 0, 0, 0);
    XStoreName(display, probe, "window-probe wm-ready");
    XMapWindow(display, probe);
    XSync(display, False);
    auto tryEnd = std::min(after(2), deadline);
    bool framed = false;
    while (!framed && Clock::now() < tryEnd) {
      XWindowAttributes attributes;
      framed = XGetWindowAttributes(display, probe, &attributes) != 0 &&
               attributes.map_state == IsViewable && parentOf(display, probe) != root;
      if (!framed) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XDestroyWindow(display, probe);
    XSync(display, False);
    if (framed) return true;
    if (Clock::now() >= deadline) return false;
  }
}

// The window's own title (_NET_WM_NAME, else WM_NAME).
std::string titleOf(Display* display, Window window) {
  std::string title;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256,
                         False, XInternAtom(display, "UTF8_STRING", False), &type, &format, &count,
                         &left, &data) == Success &&
      data != nullptr && format == 8) {
    title.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  if (!title.empty()) return title;
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

// A shown window titled `title` at or below `top`, or None.
Window findShown(Display* display, Window top, const std::string& title, int depth) {
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, top, &root, &parent, &children, &count) == 0) return None;
  Window found = None;
  for (unsigned int i = 0; i < count && found == None; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
        attributes.map_state != IsViewable) {
      continue;
    }
    // The title may go on after " - " (the game names F1 there, and says
    // what it is doing while it shows a notice).
    const std::string shown = titleOf(display, children[i]);
    if (shown == title || shown.rfind(title + " - ", 0) == 0) {
      found = children[i];
    } else if (depth < 3) {
      found = findShown(display, children[i], title, depth + 1);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

// A window manager that never shows a window: it takes every request to
// show one and drops it, for `seconds`. Prints "ready" once it holds the
// screen; false when another window manager holds it.
bool deafWindowManager(Display* display, double seconds) {
  XSelectInput(display, DefaultRootWindow(display), SubstructureRedirectMask);
  XSync(display, False);
  // Taking over a screen that has a window manager fails with BadAccess,
  // which ignoreErrors hides: look whether the selection held.
  XWindowAttributes root;
  if (XGetWindowAttributes(display, DefaultRootWindow(display), &root) == 0 ||
      (root.your_event_mask & SubstructureRedirectMask) == 0) {
    return false;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  auto deadline = after(seconds);
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  while (Clock::now() < deadline) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
    poll(&connection, 1, 100);
  }
  return true;
}

// Prints the id of the shown window titled `title` once there is one.
bool waitForWindow(Display* display, const std::string& title, double timeout) {
  auto deadline = after(timeout);
  for (;;) {
    Window window = findShown(display, DefaultRootWindow(display), title, 0);
    if (window != None) {
      std::printf("%lu\n", window);
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool parseWindow(const char* text, Window& window) {
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 0);
  if (end == text || *end != '\0' || value == 0) return false;
  window = value;
  return true;
}

bool readPage(const std::string& path, RgbImage& page) {
  if (dw::readPngRgb(path, page)) return true;
  std::fprintf(stderr, "window-probe: cannot read %s: %s\n", path.c_str(), page.error.c_str());
  return false;
}

int matchWindow(Display* display, Window window, const RgbImage& page, bool aspect, double timeout,
                const std::string& savePath) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  RgbImage shot;
  dw::MatchResult result;
  for (;;) {
    shot = RgbImage{};
    if (capture(display, window, shot)) {
      result = dw::matchCapture(shot, page, aspect);
      if (result.matches) break;
    } else {
      result.report = shot.error;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!savePath.empty() && shot.width > 0) writeRgbPng(savePath, shot);
  std::printf("%s\n", result.report.c_str());
  return result.matches ? 0 : 1;
}

// window-probe match WINDOW PAGE.png [--aspect] [--timeout S] [--save FILE]
int matchCommand(Display* display, Window window, int argc, char** argv) {
  RgbImage page;
  bool aspect = false;
  double timeout = 10;
  std::string savePath;
  if (!readPage(argv[3], page)) return 2;
  for (int i = 4; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--aspect") {
      aspect = true;
    } else if (arg == "--timeout" && i + 1 < argc) {
      timeout = std::atof(argv[++i]);
    } else if (arg == "--save" && i + 1 < argc) {
      savePath = argv[++i];
    } else {
      usage();
      return 2;
    }
  }
  return matchWindow(display, window, page, aspect, timeout, savePath);
}

// compare SHOT PAGE [--aspect]: two pictures on disk, no X server needed.
int compareCommand(int argc, char** argv) {
  if (argc < 4) return usage();
  RgbImage shot, page;
  if (!readPage(argv[2], shot) || !readPage(argv[3], page)) return 2;
  bool aspect = argc > 4 && std::string(argv[4]) == "--aspect";
  dw::MatchResult result = dw::matchCapture(shot, page, aspect);
  std::printf("%s\n", result.report.c_str());
  return result.matches ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  std::string command = argv[1];
  if (command == "compare") return compareCommand(argc, argv);

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "window-probe: cannot open the X display\n");
    return 2;
  }
  XSetErrorHandler(ignoreErrors);
  if (command == "wm-ready") {
    bool ready = waitForWindowManager(display, std::atof(argv[2]));
    XCloseDisplay(display);
    return ready ? 0 : 1;
  }
  if (command == "deaf-wm") {
    bool held = deafWindowManager(display, std::atof(argv[2]));
    XCloseDisplay(display);
    return held ? 0 : 1;
  }
  if (command == "wait-window" && argc == 4) {
    bool found = waitForWindow(display, argv[2], std::atof(argv[3]));
    XCloseDisplay(display);
    return found ? 0 : 1;
  }
  Window window = 0;
  if (!parseWindow(argv[2], window)) {
    XCloseDisplay(display);
    return usage();
  }
  int status = 2;
  if (command == "capture" && argc == 4) {
    RgbImage shot;
    if (!capture(display, window, shot)) {
      std::fprintf(stderr, "window-probe: %s\n", shot.error.c_str());
    } else {
      status = writeRgbPng(argv[3], shot) ? 0 : 2;
    }
  } else if (command == "icon" && argc == 3) {
    status = printIcon(display, window) ? 0 : 1;
  } else if (command == "cover" && argc == 3) {
    status = cover(display, window) ? 0 : 2;
  } else if (command == "close" && argc == 3) {
    status = sendClose(display, window) ? 0 : 2;
  } else if (command == "match" && argc >= 4) {
    status = matchCommand(display, window, argc, argv);
  } else {
    usage();
  }
  XCloseDisplay(display);
  return status;
}
