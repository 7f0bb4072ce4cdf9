#pragma once
// The seam between a screen and the toolkit. A screen reads its entries, gets the
// surfaces of its picture frames and asks for navigation through its host; it never
// touches a widget. The application's dialog host implements ScreenHost on the real
// widgets; tests drive the same screens through it.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "draw/Colors.h"
#include "draw/Surface.h"
#include "model/Entry.h"
#include "model/ImageStore.h"

namespace lumo {

class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  // The text of an edit field (UTF-8); "" for an unknown id.
  virtual std::string text(int id) const = 0;
  // The check state of a radio button or check box.
  virtual bool isChecked(int id) const = 0;
  // The drawing surface of a picture frame (a fresh surface each call).
  virtual draw::Surface frame(int id) = 0;
  // Ends the current screen and names its successor, constructed afresh.
  virtual void transfer(std::string_view screenClass) = 0;
  // Ends the program (the main menu's "終了").
  virtual void quitApplication() = 0;
  // Runs the workbench sheet over the current screen (the main menu's workbench button).
  virtual void openWorkbench() = 0;
  // The document's image storage, which outlives every screen.
  virtual model::ImageStore& documentImages() = 0;
};

// The control-colouring answer for one control; empty members keep the defaults.
struct ControlColour {
  std::optional<draw::Color> text;
  std::optional<draw::Color> background;  // a solid brush behind a transparent text background
};

enum class ControlKind { Static, Edit };

using Handlers = std::map<int, std::function<void()>>;

class Screen {
 public:
  explicit Screen(ScreenHost& host) : host_(host) {}
  virtual ~Screen() = default;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // The handler of each push button, by control id.
  virtual Handlers handlers() = 0;
  // Control colouring, asked for each static and edit control as it is painted.
  virtual ControlColour OnTitleColor(int /*id*/, ControlKind /*kind*/) const { return {}; }
  // Runs once, after the controls exist and before the screen is shown.
  virtual void OnInitDialog() {}

 protected:
  std::string text(int id) const { return host_.text(id); }
  double number(int id) const { return model::readEntry(host_.text(id)); }
  bool checked(int id) const { return host_.isChecked(id); }
  draw::Surface frame(int id) { return host_.frame(id); }
  void transferTo(std::string_view screenClass) { host_.transfer(screenClass); }
  ScreenHost& host() { return host_; }
  model::ImageStore& documentImages() { return host_.documentImages(); }

  // The two colourings most screens share.
  static ControlColour titleBand() { return {draw::colors::white, draw::colors::titleBlue}; }
  static ControlColour captionBand() { return {draw::colors::white, draw::colors::captionGrey}; }

 private:
  ScreenHost& host_;
};

}  // namespace lumo
