#pragma once
// Printing as the program's "print" module (app/Modules.h).
#include <QObject>
#include <QString>

#include "app/PrintModule.h"

class QPrinter;

namespace lumo {

// Prints a picture on one page of `printer`, as large as fits its printable area with
// the proportions kept, pixels crisp. Returns "" on success, else what went wrong.
QString printPicture(const QImage& picture, QPrinter& printer);

class PrintPlugin : public QObject, public PrintModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID LUMO_PRINT_MODULE_IID)
  Q_INTERFACES(lumo::PrintModule)
 public:
  using QObject::QObject;
  void print(QWidget* parent, const QImage& picture) override;
};

}  // namespace lumo
