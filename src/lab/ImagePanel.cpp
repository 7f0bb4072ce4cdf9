#include "lab/ImagePanel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/ScreenView.h"
#include "draw/Fonts.h"

namespace lumo::lab {

namespace {

constexpr int kMargin = 6;       // around everything
constexpr int kBarWidth = 12;    // the legend's colour bar
constexpr int kBarGap = 8;       // between picture and bar
constexpr int kHandleGrab = 8;   // how near (widget pixels) a press takes an end handle
constexpr int kHandleSize = 7;

QFont titleFont() { return draw::proportionalFont(14, true); }
QFont legendFont() { return draw::proportionalFont(12); }

}  // namespace

ImagePanel::ImagePanel(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAccessibleName(title);
}

void ImagePanel::setTitle(const QString& title) {
  title_ = title;
  setAccessibleName(title);
  update();
}

QString ImagePanel::saveName() const {
  if (!saveName_.isEmpty()) return saveName_;
  return objectName().isEmpty() ? QStringLiteral("Lumo") : objectName();
}

void ImagePanel::setImage(std::span<const float> px, int width, int height) {
  if (width < 1 || height < 1 || px.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height)) {
    clear();
    return;
  }
  const int oldW = width_, oldH = height_;
  values_.assign(px.begin(), px.begin() + static_cast<std::ptrdiff_t>(width) * height);
  width_ = width;
  height_ = height;
  unavailable_.clear();
  recolour();
  if (oldW != width || oldH != height) {
    // The student's line keeps its place in the field when the matrix changes.
    QLineF line = centralRow();
    if (oldW > 1 && oldH > 1 && !line_.isNull()) {
      auto rescale = [&](QPointF p) {
        return QPointF(p.x() / (oldW - 1) * (width - 1), p.y() / (oldH - 1) * (height - 1));
      };
      line = QLineF(rescale(line_.p1()), rescale(line_.p2()));
    }
    moveLine(line);
  }
  updateGeometry();
  update();
}

void ImagePanel::clear() {
  values_.clear();
  width_ = height_ = 0;
  unavailable_.clear();
  coloured_ = QImage();
  update();
}

void ImagePanel::setUnavailable(const QString& text) {
  clear();
  unavailable_ = text.isEmpty() ? QStringLiteral("ありません") : text;
  update();
}

void ImagePanel::setColourScale(draw::ScaleKind kind) {
  scale_ = draw::ColourScale(kind);
  recolour();
  update();
}

void ImagePanel::setRangeMode(RangeMode mode) {
  mode_ = mode;
  recolour();
  update();
}

void ImagePanel::setFixedRange(draw::ValueRange range) {
  fixed_ = range;
  mode_ = RangeMode::Fixed;
  recolour();
  update();
}

draw::ValueRange ImagePanel::dataRange(RangeMode mode) const {
  switch (mode) {
    case RangeMode::Full: return draw::rangeOf(values_);
    case RangeMode::Symmetric: return draw::symmetricRangeOf(values_);
    case RangeMode::Fixed: break;
  }
  return fixed_;
}

void ImagePanel::recolour() {
  range_ = dataRange(mode_);
  coloured_ = hasImage() ? draw::toImage(values_, width_, height_, scale_, range_) : QImage();
}

ImagePanel::Layout ImagePanel::layout() const {
  Layout l;
  const QFontMetrics tm(titleFont()), lm(legendFont());
  l.title = QRect(kMargin, kMargin, std::max(0, width() - 2 * kMargin), tm.height() + 2);
  const int half = lm.height() / 2 + 1;  // a legend number reaches this far past the bar's ends
  const QRect content(kMargin, l.title.bottom() + 1 + 4 + half, std::max(0, width() - 2 * kMargin),
                      std::max(0, height() - l.title.bottom() - 1 - 4 - kMargin - 2 * half));
  if (!hasImage()) {
    l.image = content;
    return l;
  }
  const int labels = draw::legendLabelWidth(range_, content.height(), legendFont());
  const int legend = kBarGap + kBarWidth + labels;
  l.room = QRect(content.left(), content.top(), std::max(0, content.width() - legend), content.height());
  l.zoom = std::max(1, std::min(l.room.width() / width_, l.room.height() / height_));
  const int w = width_ * l.zoom, h = height_ * l.zoom;
  // The picture and its legend together, centred.
  const int left = content.left() + std::max(0, (content.width() - w - legend) / 2);
  const int top = content.top() + std::max(0, (content.height() - h) / 2);
  l.image = QRect(left, top, w, h);
  l.bar = QRect(l.image.right() + 1 + kBarGap, top, kBarWidth, h);
  return l;
}

QRect ImagePanel::imageRect() const { return hasImage() ? layout().image : QRect(); }
QRect ImagePanel::pictureRoom() const { return hasImage() ? layout().room : QRect(); }
int ImagePanel::zoom() const { return layout().zoom; }

QPointF ImagePanel::toImage(const QPointF& pos) const {
  const Layout l = layout();
  return (pos - QPointF(l.image.topLeft())) / l.zoom - QPointF(0.5, 0.5);
}

QPointF ImagePanel::toWidget(const QPointF& p) const {
  const Layout l = layout();
  return QPointF(l.image.topLeft()) + (p + QPointF(0.5, 0.5)) * l.zoom;
}

QPointF ImagePanel::clampToImage(const QPointF& p) const {
  const double x = std::isfinite(p.x()) ? p.x() : 0, y = std::isfinite(p.y()) ? p.y() : 0;
  return QPointF(std::clamp(x, 0.0, std::max(0, width_ - 1) * 1.0), std::clamp(y, 0.0, std::max(0, height_ - 1) * 1.0));
}

QLineF ImagePanel::centralRow() const {
  const double c = height_ / 2;  // a whole row
  return QLineF(0, c, std::max(width_ - 1, 0), c);
}

void ImagePanel::setProfileEnabled(bool on) {
  profileEnabled_ = on;
  if (on && line_.isNull()) line_ = centralRow();
  update();
}

void ImagePanel::setProfileLine(const QLineF& line) { moveLine(QLineF(clampToImage(line.p1()), clampToImage(line.p2()))); }

void ImagePanel::resetProfileLine() { moveLine(centralRow()); }

void ImagePanel::moveLine(const QLineF& line) {
  if (line == line_) return;
  line_ = line;
  update();
  emit profileLineChanged(line_);
}

QImage ImagePanel::picture() {
  QImage image(size(), QImage::Format_RGB32);
  image.setDevicePixelRatio(1.0);
  image.fill(palette().color(QPalette::Window));
  render(&image);
  return image;
}

QString ImagePanel::savePicture(const QString& file) { return lumo::savePicture(picture(), file); }

QSize ImagePanel::sizeHint() const {
  const int w = hasImage() ? width_ : 128, h = hasImage() ? height_ : 128;
  const QFontMetrics tm(titleFont()), lm(legendFont());
  return QSize(2 * w + 2 * kMargin + kBarGap + kBarWidth + lm.horizontalAdvance(QStringLiteral("-0000.0")) + 12,
               2 * h + 2 * kMargin + tm.height() + 6 + lm.height() + 2);
}

QSize ImagePanel::minimumSizeHint() const {
  const int w = hasImage() ? width_ : 64, h = hasImage() ? height_ : 64;
  const QFontMetrics tm(titleFont()), lm(legendFont());
  return QSize(w + 2 * kMargin + kBarGap + kBarWidth + lm.horizontalAdvance(QStringLiteral("-0000.0")) + 12,
               h + 2 * kMargin + tm.height() + 6 + lm.height() + 2);
}

void ImagePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  const Layout l = layout();
  const QColor text = palette().color(QPalette::WindowText);

  p.setFont(titleFont());
  p.setPen(text);
  const QFontMetrics tm(titleFont());
  p.drawText(l.title, Qt::AlignLeft | Qt::AlignVCenter, tm.elidedText(title_, Qt::ElideRight, l.title.width()));
  if (hasFocus()) {
    // Where the keys go: a dotted line under the title.
    QPen dots(text, 1, Qt::DotLine);
    p.setPen(dots);
    const int w = std::min(l.title.width(), tm.horizontalAdvance(title_));
    p.drawLine(l.title.left(), l.title.bottom(), l.title.left() + w, l.title.bottom());
  }

  if (isUnavailable()) {
    const QRect box = l.image.adjusted(0, 0, -1, -1);
    p.fillRect(box, QColor(0xE8, 0xE8, 0xE8));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(box);
    p.setPen(text);
    p.setFont(draw::proportionalFont(14));
    p.drawText(box.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, unavailable_);
    return;
  }
  if (!hasImage()) return;

  // Whole-number scaling without smoothing: each image pixel a zoom x zoom block.
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(l.image, coloured_);
  p.setPen(QColor(0x60, 0x60, 0x60));
  p.drawRect(l.image.adjusted(-1, -1, 0, 0));
  draw::drawLegend(p, l.bar, scale_, range_, legendFont(), text);

  if (profileEnabled_ && !line_.isNull()) {
    p.save();
    p.setClipRect(l.image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF a = toWidget(line_.p1()), b = toWidget(line_.p2());
    p.setPen(QPen(QColor(0, 0, 0, 200), 3));
    p.drawLine(a, b);
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(a, b);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const QPointF& e : {a, b}) {
      const QRect handle(static_cast<int>(std::floor(e.x())) - kHandleSize / 2,
                         static_cast<int>(std::floor(e.y())) - kHandleSize / 2, kHandleSize, kHandleSize);
      p.fillRect(handle, Qt::white);
      p.setPen(Qt::black);
      p.drawRect(handle.adjusted(0, 0, -1, -1));
    }
    p.restore();
  }
}

void ImagePanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !profileEnabled_ || !hasImage()) return QWidget::mousePressEvent(event);
  const QPointF pos = event->position();
  const double d1 = QLineF(pos, toWidget(line_.p1())).length(), d2 = QLineF(pos, toWidget(line_.p2())).length();
  beforeDrag_ = QLineF(clampToImage(toImage(pos)), clampToImage(toImage(pos)));
  if (std::min(d1, d2) <= kHandleGrab)
    drag_ = d1 <= d2 ? Drag::Start : Drag::End;
  else if (imageRect().adjusted(-2, -2, 2, 2).contains(pos.toPoint()))
    drag_ = Drag::Draw;  // a new line from here
  else
    return QWidget::mousePressEvent(event);
  event->accept();
}

void ImagePanel::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ == Drag::None) return QWidget::mouseMoveEvent(event);
  const QPointF at = clampToImage(toImage(event->position()));
  QLineF next;
  switch (drag_) {
    case Drag::Start: next = QLineF(at, line_.p2()); break;
    case Drag::End: next = QLineF(line_.p1(), at); break;
    case Drag::Draw: next = QLineF(beforeDrag_.p1(), at); break;
    case Drag::None: break;
  }
  // A line shorter than a pixel has no profile: the old one stays until the new one is longer.
  if (next.length() >= 1) moveLine(next);
  event->accept();
}

void ImagePanel::mouseReleaseEvent(QMouseEvent* event) {
  if (drag_ == Drag::None) return QWidget::mouseReleaseEvent(event);
  mouseMoveEvent(event);
  drag_ = Drag::None;
  event->accept();
}

void ImagePanel::keyPressEvent(QKeyEvent* event) {
  if (!profileEnabled_ || !hasImage()) return QWidget::keyPressEvent(event);
  const double step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
  QPointF d;
  switch (event->key()) {
    case Qt::Key_Left: d = {-step, 0}; break;
    case Qt::Key_Right: d = {step, 0}; break;
    case Qt::Key_Up: d = {0, -step}; break;
    case Qt::Key_Down: d = {0, step}; break;
    case Qt::Key_Home: resetProfileLine(); return;
    default: return QWidget::keyPressEvent(event);
  }
  // The whole line moves, no further than its ends can go.
  const double maxX = width_ - 1, maxY = height_ - 1;
  const double lx = std::min(line_.x1(), line_.x2()), hx = std::max(line_.x1(), line_.x2());
  const double ly = std::min(line_.y1(), line_.y2()), hy = std::max(line_.y1(), line_.y2());
  d.setX(std::clamp(d.x(), -lx, maxX - hx));
  d.setY(std::clamp(d.y(), -ly, maxY - hy));
  moveLine(line_.translated(d));
}

void ImagePanel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* save = menu.addAction(QStringLiteral("画像を保存..."));
  QAction* reset = nullptr;
  if (profileEnabled_ && hasImage()) reset = menu.addAction(QStringLiteral("プロファイル線を中央の行に戻す"));
  // Taken before the menu opens, so the picture is what was shown under it.
  const QImage shown = picture();
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen == save)
    askToSavePicture(this, shown, saveName());
  else if (chosen && chosen == reset)
    resetProfileLine();
}

}  // namespace lumo::lab
