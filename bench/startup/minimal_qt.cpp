// The yardstick of the start-up benchmark: the smallest Qt Widgets program, one window
// with one button, built with the same compiler and flags as the program. With
// LUMO_STARTUP_T0 set (the launcher's CLOCK_MONOTONIC time in milliseconds) it prints
// the time until its shown window's event loop first runs idle, and quits, as lumo does.
#include <QApplication>
#include <QByteArray>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
double monotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  // Read before QApplication sets the user's locale, and printed in the C locale below,
  // so a comma-decimal locale changes neither number.
  const char* t0 = std::getenv("LUMO_STARTUP_T0");
  const double start = t0 ? std::strtod(t0, nullptr) : 0;
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QApplication app(argc, argv);
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QPushButton(QStringLiteral("OK"), &window));
  window.show();
  if (t0) {
    QTimer::singleShot(0, &app, [start] {
      std::printf("startup-ms %s\n", QByteArray::number(monotonicMs() - start, 'f', 3).constData());
      std::fflush(stdout);
      QApplication::quit();
    });
  }
  return app.exec();
}
