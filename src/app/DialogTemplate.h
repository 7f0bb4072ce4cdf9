#pragma once
// A dialog template: the controls of one screen, in dialog units, as data.
//
// Templates live in res/dialogs/<id>.dlg, UTF-8, one statement a line; '#' starts a
// comment line. Text is double-quoted with the escapes \" \\ \n and \u{XXXX}*N (the
// character U+XXXX repeated N times, for the runs of full-width spaces).
//
//   dialog 182
//   caption "前処理フィルタの周波数特性"
//   size 399 325
//   font 9 "ＭＳ Ｐゴシック"
//   style popup caption sysmenu modalframe
//   control 1003 button 30 270 30 14 "表示"
//   control 1009 edit 120 245 20 14 border autohscroll
//   control 1007 frame 170 40 210 255 black sunken
//   control 1001 static 15 110 60 15 center vcenter sunken "Butterworth"
//   control -1 bitmap 15 40 76 85 image=169
//
// Control kinds: button, defbutton, edit, static, frame, group, radio, check, bitmap, icon.
// Flags: left (left-aligned, wrapping: the default of a static), leftnowrap, center,
// right, vcenter, sunken, black, gray, border, autohscroll, multiline, readonly,
// noprefix, disabled, notab, tab, group, image=N.
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumo {

enum class ControlType { Button, DefButton, Edit, Static, Frame, Group, Radio, Check, Bitmap, Icon };

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect&) const = default;
};

// Dialog units to pixels. A template is measured in the dialog base units of its own
// font: a horizontal unit is a quarter of the face's average character width, a vertical
// unit an eighth of its cell height. The base units are those of "ＭＳ Ｐゴシック" at 96 dpi,
// where a cell is as many pixels high as the point size at 96 dpi (IPAPGothic, which
// stands in for the face, is metric-compatible with it):
//
//   font    base units (w x h px)   one dialog unit
//   9 pt    7 x 12                  1.75 x 1.5 px   (the screens and the workbench pages)
//   10 pt   7 x 13                  1.75 x 1.625 px (the start view)
//   12 pt   8 x 16                  2 x 2 px        (the main menu)
//
// Other sizes scale the 9-pt units by their cell height. The conversion is MulDiv(x,
// w, 4) across and MulDiv(y, h, 8) down, rounded half away from zero, applied to a
// rectangle's edges.
struct BaseUnits {
  int x = 7, y = 12;  // the 9-pt units, which the screens' pixel coordinates assume
  bool operator==(const BaseUnits&) const = default;
};
BaseUnits baseUnitsFor(int fontPoints);
// The font's cell height in pixels at 96 dpi, the pixel size its texts are drawn at.
int cellHeightFor(int fontPoints);

int mulDiv(int value, int numerator, int denominator);
inline int duToPxX(int x, BaseUnits u = {}) { return mulDiv(x, u.x, 4); }
inline int duToPxY(int y, BaseUnits u = {}) { return mulDiv(y, u.y, 8); }
struct PixelRect {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};
inline PixelRect toPixels(const Rect& r, BaseUnits u = {}) {
  return {duToPxX(r.x, u), duToPxY(r.y, u), duToPxX(r.x + r.w, u), duToPxY(r.y + r.h, u)};
}

struct ControlTemplate {
  int id = -1;
  ControlType type = ControlType::Static;
  std::string text;
  Rect rect;  // dialog units
  std::set<std::string> flags;
  int image = 0;  // bitmap or icon resource id
  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  Rect size;  // w and h in dialog units
  int fontPoints = 9;
  std::string fontFace;
  std::set<std::string> style;
  std::vector<ControlTemplate> controls;

  const ControlTemplate* control(int id) const;
  // In pixels, in the base units of the template's font.
  BaseUnits units() const { return baseUnitsFor(fontPoints); }
  PixelRect pixels(const Rect& r) const { return toPixels(r, units()); }
  int pixelWidth() const { return duToPxX(size.w, units()); }
  int pixelHeight() const { return duToPxY(size.h, units()); }
};

struct TemplateError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

DialogTemplate parseTemplate(const std::string& utf8);

}  // namespace lumo
