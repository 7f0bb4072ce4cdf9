#pragma once
// One picture of the lab under its title: an image (a slice n x n, or a sinogram of views
// x bins) in a colour scale, scaled by the largest whole factor that fits and centred, so
// each image pixel is a crisp k x k block; beside it the scale's legend with its numbers.
// Optionally a profile line the student drags: its two end handles move, a press
// elsewhere on the image draws a new line, the arrow keys move it a pixel. A panel may
// also say that its picture is not available (imported data have no truth).
// Its context menu saves the panel as shown through 「画像を保存...」.
#include <QImage>
#include <QLineF>
#include <QString>
#include <QWidget>
#include <span>
#include <vector>

#include "draw/ColourScale.h"

namespace lumo::lab {

class ImagePanel : public QWidget {
  Q_OBJECT
 public:
  // How the value range of the colour scale follows the image.
  enum class RangeMode {
    Full,       // [min, max] of the image's finite values
    Symmetric,  // [-m, m], m the largest |value|: zero in the middle (the error image)
    Fixed,      // the range set with setFixedRange
  };

  explicit ImagePanel(const QString& title = {}, QWidget* parent = nullptr);

  QString title() const { return title_; }
  void setTitle(const QString& title);
  // The file name offered by 「画像を保存...」 (without ".png"); the object name or "Lumo"
  // when none was set.
  void setSaveName(const QString& name) { saveName_ = name; }
  QString saveName() const;

  // Shows an image of width x height values, row-major (px[y * width + x], row 0 at the
  // top). The values are copied. Too few values or a size below 1 clear the panel.
  void setImage(std::span<const float> px, int width, int height);
  void setImage(const std::vector<float>& px, int n) { setImage(px, n, n); }
  // Back to an empty panel (title only).
  void clear();
  // The "not available" state: no image, `text` in its place (e.g. 「真の分布はありません」).
  void setUnavailable(const QString& text);
  bool hasImage() const { return !values_.empty(); }
  bool isUnavailable() const { return !unavailable_.isEmpty(); }
  QString unavailableText() const { return unavailable_; }
  int imageWidth() const { return width_; }
  int imageHeight() const { return height_; }

  void setColourScale(draw::ScaleKind kind);
  draw::ScaleKind colourScale() const { return scale_.kind(); }
  void setRangeMode(RangeMode mode);
  RangeMode rangeMode() const { return mode_; }
  // Fixes the range (and sets RangeMode::Fixed), e.g. to show two slices on one scale.
  void setFixedRange(draw::ValueRange range);
  // The range the image is shown with.
  draw::ValueRange range() const { return range_; }
  // The range the image's own values would take in a mode (Fixed: the fixed range), e.g.
  // to find one range for two panels.
  draw::ValueRange dataRange(RangeMode mode) const;
  // The image in its colours, one pixel per image pixel (null without an image).
  const QImage& colouredImage() const { return coloured_; }

  // Where the image is drawn (widget pixels) and its whole-number scale factor: the
  // largest that fits the room for the picture (below the title, left of the legend),
  // at least 1.
  QRect imageRect() const;
  QRect pictureRoom() const;
  int zoom() const;
  // Image coordinates have pixel (x, y)'s centre at (x, y).
  QPointF toImage(const QPointF& widgetPos) const;
  QPointF toWidget(const QPointF& imagePos) const;

  // The profile line, in image coordinates. Off by default; when on, and whenever an
  // image of a new size arrives, it starts as the central row, (0, c) to (w - 1, c) with
  // c = h / 2 (whole: of the two middle rows of an even height, the lower one), so the
  // profile reads the pixels of one row, not the mean of two. Ends are kept inside the image.
  void setProfileEnabled(bool on);
  bool profileEnabled() const { return profileEnabled_; }
  QLineF profileLine() const { return line_; }
  void setProfileLine(const QLineF& line);  // emits profileLineChanged when it moves
  void resetProfileLine();                  // the central row

  // The panel as shown (title, picture, legend), one image pixel per widget pixel whatever
  // the display's scale factor: what 「画像を保存...」 saves and the runner's `frame` writes.
  QImage picture();
  // Writes picture() as PNG; "" on success, else what went wrong (see lumo::savePicture).
  QString savePicture(const QString& file);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // The profile line moved (dragged, drawn, moved by a key or set); image coordinates.
  void profileLineChanged(const QLineF& line);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;

 private:
  struct Layout {
    QRect title, room, image, bar;
    int zoom = 1;
  };
  Layout layout() const;
  void recolour();
  QPointF clampToImage(const QPointF& p) const;
  QLineF centralRow() const;
  void moveLine(const QLineF& line);

  QString title_, saveName_, unavailable_;
  std::vector<float> values_;
  int width_ = 0, height_ = 0;
  draw::ColourScale scale_;
  RangeMode mode_ = RangeMode::Full;
  draw::ValueRange range_, fixed_;
  QImage coloured_;

  bool profileEnabled_ = false;
  QLineF line_;
  enum class Drag { None, Start, End, Draw } drag_ = Drag::None;
  QLineF beforeDrag_;
};

}  // namespace lumo::lab
