#pragma once
// The part of a desktop's clipboard manager that keeps copied text alive after the
// program that copied it ends: it owns the CLIPBOARD_MANAGER selection, and when a
// program that holds the clipboard asks it to SAVE_TARGETS on its way out, it reads the
// clipboard's text (UTF8_STRING) from that program and confirms. Runs on its own display
// connection in a thread of the test.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace lumo::test {

class ClipboardManager {
 public:
  explicit ClipboardManager(const std::string& display) {
    dpy_ = XOpenDisplay(display.c_str());
    if (!dpy_) return;
    window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    manager_ = XInternAtom(dpy_, "CLIPBOARD_MANAGER", False);
    saveTargets_ = XInternAtom(dpy_, "SAVE_TARGETS", False);
    clipboard_ = XInternAtom(dpy_, "CLIPBOARD", False);
    utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
    saved_ = XInternAtom(dpy_, "LUMO_TEST_SAVED", False);
    XSetSelectionOwner(dpy_, manager_, window_, CurrentTime);
    owning_ = XGetSelectionOwner(dpy_, manager_) == window_;
    XSync(dpy_, False);
    if (owning_) thread_ = std::thread([this] { serve(); });
  }
  ~ClipboardManager() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (dpy_) XCloseDisplay(dpy_);
  }
  ClipboardManager(const ClipboardManager&) = delete;
  ClipboardManager& operator=(const ClipboardManager&) = delete;

  // Whether it holds CLIPBOARD_MANAGER, as a desktop's manager would.
  bool running() const { return owning_; }
  // The text it took over from a program that ended holding the clipboard.
  std::string savedText() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }

 private:
  void serve() {
    Window requestor = None;
    Atom requestProperty = None;
    Time requestTime = CurrentTime;
    while (!stop_) {
      if (!XPending(dpy_)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      XEvent e;
      XNextEvent(dpy_, &e);
      if (e.type == SelectionRequest && e.xselectionrequest.selection == manager_) {
        const XSelectionRequestEvent& r = e.xselectionrequest;
        if (r.target != saveTargets_) {
          reply(r.requestor, r.selection, r.target, None, r.time);
          continue;
        }
        // Read the text from the program that is leaving, then answer it.
        requestor = r.requestor;
        requestProperty = r.property;
        requestTime = r.time;
        XConvertSelection(dpy_, clipboard_, utf8_, saved_, window_, r.time);
        XFlush(dpy_);
      } else if (e.type == SelectionNotify && e.xselection.selection == clipboard_ && requestor != None) {
        if (e.xselection.property != None) {
          Atom type = None;
          int format = 0;
          unsigned long items = 0, after = 0;
          unsigned char* data = nullptr;
          if (XGetWindowProperty(dpy_, window_, saved_, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                                 &after, &data) == Success &&
              data) {
            std::lock_guard<std::mutex> lock(mutex_);
            text_.assign(reinterpret_cast<const char*>(data), items * (format / 8));
            XFree(data);
          }
        }
        reply(requestor, manager_, saveTargets_, requestProperty, requestTime);
        requestor = None;
      }
    }
  }

  void reply(Window to, Atom selection, Atom target, Atom property, Time time) {
    XEvent n{};
    n.xselection.type = SelectionNotify;
    n.xselection.display = dpy_;
    n.xselection.requestor = to;
    n.xselection.selection = selection;
    n.xselection.target = target;
    n.xselection.property = property;
    n.xselection.time = time;
    XSendEvent(dpy_, to, False, NoEventMask, &n);
    XFlush(dpy_);
  }

  Display* dpy_ = nullptr;
  Window window_ = None;
  Atom manager_ = None, saveTargets_ = None, clipboard_ = None, utf8_ = None, saved_ = None;
  bool owning_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::string text_;
};

}  // namespace lumo::test
