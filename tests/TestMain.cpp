// Every test program runs inside a QApplication on the offscreen platform, so the
// screens, their widgets and their canvases are the real ones.
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Windows"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
