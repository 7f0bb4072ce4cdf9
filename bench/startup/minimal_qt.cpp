// The yardstick of the start-up benchmark: the smallest Qt Widgets program, one window
// with one button, built with the same compiler and flags as the program. With
// LUMO_STARTUP_T0 set (the launcher's CLOCK_MONOTONIC time in milliseconds) it prints
// the time until its window is first exposed and until its event loop then first runs
// idle, and quits, as lumo does.
#include <QApplication>
#include <QByteArray>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
double monotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
// Prints "mapped-ms" at the first exposure of a window and "startup-ms" at the first
// idle moment after it, then quits, as lumo does.
class StartupClock : public QObject {
 public:
  StartupClock(double start, QObject* parent) : QObject(parent), start_(start) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!exposed_ && event->type() == QEvent::Expose && watched->isWindowType() &&
        static_cast<QWindow*>(watched)->isExposed()) {
      exposed_ = true;
      print("mapped-ms");
      QTimer::singleShot(0, this, [this] {
        print("startup-ms");
        QApplication::quit();
      });
    }
    return false;
  }

 private:
  void print(const char* what) const {
    std::printf("%s %s\n", what, QByteArray::number(monotonicMs() - start_, 'f', 3).constData());
    std::fflush(stdout);
  }
  double start_;
  bool exposed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  // Read before QApplication sets the user's locale, and printed in the C locale below,
  // so a comma-decimal locale changes neither number.
  const char* t0 = std::getenv("LUMO_STARTUP_T0");
  const double start = t0 ? std::strtod(t0, nullptr) : 0;
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QApplication app(argc, argv);
  if (t0) app.installEventFilter(new StartupClock(start, &app));
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QPushButton(QStringLiteral("OK"), &window));
  window.show();
  return app.exec();
}
