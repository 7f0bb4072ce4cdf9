#include "app/Platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

// Before X11's headers, whose macros (None, Status) would clash with Qt's.
#include "draw/Bitmaps.h"

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

// An icon whose picture is decoded the first time something draws it: where no window
// shows an icon (the offscreen platform of scripts) it is never decoded at all.
class DecodedOnUse : public QIconEngine {
 public:
  explicit DecodedOnUse(QString png) : png_(std::move(png)) {}
  QIconEngine* clone() const override { return new DecodedOnUse(png_); }
  QString key() const override { return QStringLiteral("DecodedOnUse"); }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return icon().availableSizes(mode, state);
  }
  bool isNull() override { return icon().isNull(); }

 private:
  const QIcon& icon() {
    if (!decoded_) {
      icon_ = QIcon(QPixmap::fromImage(draw::readImage(png_, "PNG")));
      decoded_ = true;
    }
    return icon_;
  }
  QString png_;
  QIcon icon_;
  bool decoded_ = false;
};

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
  return QIcon(new DecodedOnUse(QStringLiteral(":/icons/lumo-48.png")));
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
