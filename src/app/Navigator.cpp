#include "app/Navigator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Platform.h"

namespace lumo {

namespace {
int pageIndex(std::string_view screenClass) {
  const auto& pages = sheetPages();
  auto it = std::find(pages.begin(), pages.end(), screenClass);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}
}  // namespace

// ---------------------------------------------------------------------------------------

ScreenWindow::ScreenWindow(const std::string& screenClass, Navigator& navigator, QWidget* parent)
    : QDialog(parent), navigator_(navigator) {
  view_ = new ScreenView(screenClass, this, this);
  const DialogTemplate& tpl = view_->dialogTemplate();
  setWindowTitle(QString::fromStdString(tpl.caption));
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (tpl.style.count("sysmenu")) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  setWindowFlags(flags);
  setFixedSize(view_->size());
  setModal(true);
}

void ScreenWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The narrative screens' templates have an empty caption: so has their title bar.
  if (windowTitle().isEmpty()) showEmptyCaption(this);
}

void ScreenWindow::endWith(const std::string& successor) {
  successor_ = successor;
  ending_ = true;
  hide();
  QDialog::done(QDialog::Rejected);
}

void ScreenWindow::done(int result) {
  ending_ = true;
  QDialog::done(result);
}

void ScreenWindow::transfer(std::string_view screenClass) { endWith(std::string(screenClass)); }

void ScreenWindow::quitApplication() { navigator_.quit(0); }

void ScreenWindow::openWorkbench() { navigator_.runSheet(this, 0); }

// No screen has a default button: Enter presses the focused push button, and anywhere
// else (an edit field) it dismisses the screen like its close box. Esc dismisses.
void ScreenWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) {
      button->click();
    } else {
      reject();
    }
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------

SheetWindow::SheetWindow(QWidget* parent, int selectedPage) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(std::string(kSheetCaption)));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(true);
  // The sheet's frame, its tab area and the strip beside a page smaller than the
  // largest show the silver face, as the pages do.
  QPalette face = palette();
  face.setColor(QPalette::Window, QColor(draw::redOf(draw::colors::face), draw::greenOf(draw::colors::face),
                                         draw::blueOf(draw::colors::face)));
  setPalette(face);
  tabs_ = new QTabWidget(this);
  for (std::string_view page : sheetPages()) {
    auto* view = new ScreenView(page, this);
    pages_.push_back(view);
    // The page sits on a plain holder so the tab widget never stretches its canvas.
    auto* holder = new QWidget;
    view->setParent(holder);
    view->move(0, 0);
    tabs_->addTab(holder, QString::fromStdString(view->dialogTemplate().caption));
  }
  int w = 0, h = 0;
  for (auto* p : pages_) {
    w = std::max(w, p->width());
    h = std::max(h, p->height());
  }
  for (int i = 0; i < tabs_->count(); ++i) tabs_->widget(i)->setMinimumSize(w, h);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(tabs_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  tabs_->setCurrentIndex(std::clamp(selectedPage, 0, static_cast<int>(pages_.size()) - 1));
}

ScreenView* SheetWindow::currentPage() {
  const int i = tabs_->currentIndex();
  return i >= 0 && i < static_cast<int>(pages_.size()) ? pages_[i] : nullptr;
}

std::string SheetWindow::currentPageClass() {
  ScreenView* page = currentPage();
  return page ? page->screenClass() : std::string();
}

// ---------------------------------------------------------------------------------------

void Navigator::run(const std::string& first) {
  if (running_) {
    redirect(first);
    return;
  }
  running_ = true;
  std::string next = first;
  while (!next.empty() && !quitting_) {
    const int page = pageIndex(next);
    if (page >= 0) {
      pendingSheetPage_ = page;
      next = "CDialog1";
    }
    ScreenWindow window(next, *this, mainWindow_);
    ++screensShown_;
    current_ = &window;
    if (pendingSheetPage_ >= 0) {
      QTimer::singleShot(0, &window, [this, &window] {
        const int p = pendingSheetPage_;
        pendingSheetPage_ = -1;
        if (p >= 0) runSheet(&window, p);
      });
    }
    window.exec();
    current_ = nullptr;
    next = window.successor();
  }
  running_ = false;
}

void Navigator::runSheet(QWidget* owner, int page) {
  if (sheet_ || quitting_) return;
  SheetWindow sheet(owner, page);
  sheet_ = &sheet;
  sheet.exec();
  sheet_ = nullptr;
}

void Navigator::redirect(const std::string& screenClass) {
  if (sheet_) sheet_->reject();
  if (current_) {
    current_->endWith(screenClass);
  }
}

void Navigator::quit(int exitCode) {
  if (!quitting_) exitCode_ = exitCode;
  quitting_ = true;
  if (sheet_) sheet_->reject();
  if (current_) current_->endWith("");
  // The program ends from its main loop, once the screens' own loops have unwound.
  // A navigator without a main window (a test's) only ends its screens.
  if (mainWindow_) {
    QMetaObject::invokeMethod(mainWindow_, "close", Qt::QueuedConnection);
    QMetaObject::invokeMethod(qApp, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
  }
}

QWidget* Navigator::topWindow() {
  if (sheet_) return sheet_;
  if (current_) return current_;
  return nullptr;
}

std::string Navigator::where() {
  if (sheet_) return std::string(kSheetClass) + "/" + sheet_->currentPageClass();
  if (current_) return current_->view()->screenClass();
  return "start";
}

bool Navigator::settled() {
  if (sheet_) return sheet_->isVisible();
  if (current_) return current_->isVisible() && !current_->ending() && pendingSheetPage_ < 0;
  return true;
}

}  // namespace lumo
