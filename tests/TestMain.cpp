// Every test program runs inside a QApplication on the offscreen platform, so the
// screens, their widgets and their canvases are the real ones. The lab and printing
// are linked in and stand in for their modules.
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

#include "app/ClassicStyle.h"
#include "app/Modules.h"
#include "app/print/PrintPlugin.h"
#include "lab/LabPlugin.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setStyle(new lumo::ClassicStyle);
  lumo::provideModule("lab", new lumo::lab::LabPlugin(&app));
  lumo::provideModule("print", new lumo::PrintPlugin(&app));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
