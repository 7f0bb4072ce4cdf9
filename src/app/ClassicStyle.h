#pragma once
// Qt's classic "Windows" style: the look of the silver dialog face the screens were
// drawn for. The toolbar's extension arrows are drawn here instead of read from Qt's
// own PNG files: Qt reads an icon file of unnamed format by loading every image format
// plugin to ask whether it is theirs, and each toolbar asks for its arrows when made,
// so the main window would pay for that at start-up.
#include <QProxyStyle>

namespace lumo {

class ClassicStyle : public QProxyStyle {
 public:
  ClassicStyle();
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace lumo
