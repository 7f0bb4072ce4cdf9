#pragma once
// The dialog host: one screen on its real widgets. It builds the controls of the
// screen's template over its canvas, binds the screen's handlers to the push buttons,
// answers the screen's control-colouring requests, and implements ScreenHost.
// A ScreenWindow (modal dialog) or a sheet page shows it; tests use it directly.
#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "app/DialogTemplate.h"
#include "draw/Canvas.h"
#include "screens/Registry.h"
#include "screens/Screen.h"

namespace lumo {

// Receives what a screen asks of the window around it.
class ScreenOwner {
 public:
  virtual ~ScreenOwner() = default;
  virtual void transfer(std::string_view screenClass) = 0;
  virtual void quitApplication() = 0;
  virtual void openWorkbench() = 0;
};

// The document's image storage: one for the whole run of the program.
model::ImageStore& theDocumentImages();

// Loads a template from the program's resources (":/dialogs/<id>.dlg").
DialogTemplate loadTemplate(int templateId);

// Writes a PNG through a temporary file that takes the place of `path` only once it is
// complete, so a failure (a full disk, a folder nobody can write) leaves what was there
// before. A path naming anything but a regular file (a device, a FIFO, a folder, a link
// to one of these) is never replaced. Returns "" on success, else the reason.
QString writePng(const QImage& picture, const QString& path);

// Writes a picture for a teacher as PNG (writePng); a name without suffix gets ".png".
// Returns "" on success, else a message saying what went wrong.
QString savePicture(const QImage& picture, const QString& file);
// 「画像を保存...」 after its menu entry was chosen: asks for a file (in the home folder,
// `name`.png offered) and saves `picture` there; a failure is shown in a warning. Returns
// true when the picture was written.
bool askToSavePicture(QWidget* parent, const QImage& picture, const QString& name);

class ScreenView : public QWidget, public ScreenHost {
  Q_OBJECT
 public:
  // Builds the screen of that class; throws std::invalid_argument for an unknown class.
  explicit ScreenView(std::string_view screenClass, ScreenOwner* owner = nullptr,
                      QWidget* parent = nullptr);
  // A form with no screen class behind it (the start view, the about box).
  ScreenView(const DialogTemplate& tpl, QWidget* parent = nullptr);
  ~ScreenView() override;

  const std::string& screenClass() const { return class_; }
  const DialogTemplate& dialogTemplate() const { return tpl_; }
  Screen* screen() { return screen_.get(); }

  // Driving the screen as a user would (the scenario runner and tests).
  void setText(int id, const std::string& utf8);
  void setChecked(int id, bool on);
  // Clicks a push button (or a radio button or check box); false for an unknown id.
  bool press(int id);
  QWidget* control(int id) const;
  bool hasControl(int id) const { return control(id) != nullptr; }

  // The canvas in client pixels, and the client rectangle of a picture frame on it.
  draw::Canvas& canvas() { return canvas_; }
  const draw::Canvas& canvas() const { return canvas_; }
  PixelRect frameRect(int id) const;
  // A canvas pixel given relative to a frame's client origin.
  draw::Color framePixel(int id, int x, int y) const;
  // What the client area shows (canvas and controls), as the user sees it, one image
  // pixel per client pixel whatever the display's scale factor.
  QImage snapshot();
  // What a picture frame shows: its client rectangle cut from snapshot(). Null for an
  // id that is not a picture frame of this screen.
  QImage framePicture(int id);
  // The picture frame whose client rectangle or border holds `pos` (client pixels),
  // 0 when there is none.
  int frameAt(const QPoint& pos) const;

  // After a transfer: the successor's class name, "" when none was asked for.
  const std::string& successor() const { return successor_; }

  // ScreenHost
  std::string text(int id) const override;
  bool isChecked(int id) const override;
  draw::Surface frame(int id) override;
  void transfer(std::string_view screenClass) override;
  void quitApplication() override;
  void openWorkbench() override;
  model::ImageStore& documentImages() override;

 protected:
  void paintEvent(QPaintEvent*) override;
  // "画像を保存..." and "印刷...": the frame under the pointer, or the whole client area.
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void build();
  void applyColouring();

  std::string class_;
  DialogTemplate tpl_;
  ScreenOwner* owner_ = nullptr;
  draw::Canvas canvas_;
  std::unique_ptr<Screen> screen_;
  std::map<int, QWidget*> controls_;
  std::string successor_;
};

}  // namespace lumo
