// Stands in for a window manager in tests and benchmarks under Xvfb, which has none: finds a
// top-level window by its title, asks it to close (WM_DELETE_WINDOW), and minimizes or restores it.
//   xwin_probe find TITLE   prints "ID WIDTH HEIGHT VIEWABLE" of the first match; exit 1 if none
//   xwin_probe close ID     sends the close request; exit 1 if the window is gone
//   xwin_probe iconify ID   marks the window hidden (minimized) as a window manager would
//   xwin_probe restore ID   clears that mark again
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string WindowTitle(Display* display, Window window) {
  Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    if (!title.empty()) return title;
  }
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

int Find(Display* display, const char* wanted) {
  Window root = DefaultRootWindow(display), parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 1;
  int result = 1;
  for (unsigned int i = 0; i < count && result; ++i) {
    if (WindowTitle(display, children[i]) != wanted) continue;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
    std::printf("%lu %d %d %d\n", children[i], attributes.width, attributes.height,
                attributes.map_state == IsViewable ? 1 : 0);
    result = 0;
  }
  if (children) XFree(children);
  return result;
}

int Close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  if (!XSendEvent(display, window, False, NoEventMask, &event)) return 1;
  XSync(display, False);
  return 0;
}

// Sets or clears _NET_WM_STATE_HIDDEN, the mark a window manager leaves on a minimized window.
int SetHidden(Display* display, Window window, bool hidden) {
  Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  Atom hiddenAtom = XInternAtom(display, "_NET_WM_STATE_HIDDEN", False);
  XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&hiddenAtom),
                  hidden ? 1 : 0);
  XSync(display, False);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: xwin_probe find TITLE | close ID | iconify ID | restore ID\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "xwin_probe: cannot open the display\n");
    return 2;
  }
  int result = 2;
  if (std::strcmp(argv[1], "find") == 0)
    result = Find(display, argv[2]);
  else if (std::strcmp(argv[1], "close") == 0)
    result = Close(display, Window(std::strtoul(argv[2], nullptr, 10)));
  else if (std::strcmp(argv[1], "iconify") == 0)
    result = SetHidden(display, Window(std::strtoul(argv[2], nullptr, 10)), true);
  else if (std::strcmp(argv[1], "restore") == 0)
    result = SetHidden(display, Window(std::strtoul(argv[2], nullptr, 10)), false);
  XCloseDisplay(display);
  return result;
}
