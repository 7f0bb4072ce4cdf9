#pragma once
// Printing, in a module of its own (app/Modules.h, app/print/PrintPlugin.h): Qt's print
// support is loaded the first time something is printed.
#include <QtPlugin>

class QImage;
class QWidget;

namespace lumo {

class PrintModule {
 public:
  virtual ~PrintModule() = default;
  // Qt's print dialog over `parent`, then `picture` on one page, as large as the page
  // allows and centred; a null picture prints a blank page. A failure is shown in a
  // message box.
  virtual void print(QWidget* parent, const QImage& picture) = 0;
};

// Prints through the print module; a message box says so when it cannot be loaded.
void printWithDialog(QWidget* parent, const QImage& picture);

}  // namespace lumo

#define LUMO_PRINT_MODULE_IID "org.lumo.PrintModule/1"
Q_DECLARE_INTERFACE(lumo::PrintModule, LUMO_PRINT_MODULE_IID)
