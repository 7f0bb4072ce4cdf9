#include "app/Platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace lumo {

namespace {

Display* x11Display() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->display() : nullptr;
}

}  // namespace

bool installFrameworkTranslations(QCoreApplication& app) {
  auto* qt = new QTranslator(&app);
  if (!qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete qt;
    return false;
  }
  QCoreApplication::installTranslator(qt);
  return true;
}

QIcon applicationIcon() {
  // One size: every window hands its icon to the window manager at start-up, each size
  // decoded and sent; the 48-pixel image serves the title bars and the about box.
  return QIcon(QStringLiteral(":/icons/lumo-48.png"));
}

void showEmptyCaption(QWidget* window) {
  Display* dpy = x11Display();
  if (!dpy || !window || !window->windowHandle() || !window->windowTitle().isEmpty()) return;
  const auto id = static_cast<Window>(window->winId());
  const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  const unsigned char empty[1] = {0};
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
    XChangeProperty(dpy, id, XInternAtom(dpy, name, False), utf8, 8, PropModeReplace, empty, 0);
  XChangeProperty(dpy, id, XA_WM_NAME, XA_STRING, 8, PropModeReplace, empty, 0);
  XFlush(dpy);
}

std::optional<KeyLocks> keyLocks() {
  Display* dpy = x11Display();
  if (!dpy) return std::nullopt;
  auto lit = [dpy](const char* indicator) {
    Bool on = False;
    const Atom name = XInternAtom(dpy, indicator, True);
    return name != None && XkbGetNamedIndicator(dpy, name, nullptr, &on, nullptr, nullptr) && on;
  };
  return KeyLocks{lit("Kana"), lit("Caps Lock"), lit("Num Lock"), lit("Scroll Lock")};
}

}  // namespace lumo
