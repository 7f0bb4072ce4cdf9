#pragma once
// What the program asks of the window system beyond Qt's portable interface, with a
// plain answer where the platform cannot tell (the offscreen platform, Wayland).
#include <optional>

class QCoreApplication;
class QIcon;
class QWidget;

namespace lumo {

// Loads Qt's own Japanese translations (qtbase_ja from Qt's translations folder), so
// the framework's dialogs, message boxes and context menus speak the program's
// language whatever the user's locale. False when they are not installed.
bool installFrameworkTranslations(QCoreApplication& app);

// The application icon (icon resource 128): every window shows it.
QIcon applicationIcon();

// Qt names a window without a title after the application. A screen whose template
// has an empty caption gets an empty title bar instead (X11; elsewhere nothing
// changes). Call once the window exists, e.g. when it is shown.
void showEmptyCaption(QWidget* window);

// The lock keys as the keyboard's indicators show them; nothing where the platform
// does not tell (only X11 does).
struct KeyLocks {
  bool kana = false, caps = false, num = false, scroll = false;
  bool operator==(const KeyLocks&) const = default;
};
std::optional<KeyLocks> keyLocks();

}  // namespace lumo
