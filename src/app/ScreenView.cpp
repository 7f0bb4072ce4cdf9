#include "app/ScreenView.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <algorithm>
#include <stdexcept>

#include "app/Platform.h"
#include "app/PrintModule.h"
#include "draw/Bitmaps.h"

namespace lumo {

namespace {

QColor qcolor(draw::Color c) { return QColor(draw::redOf(c), draw::greenOf(c), draw::blueOf(c)); }

QRect pixelRect(const DialogTemplate& tpl, const Rect& r) {
  const PixelRect p = tpl.pixels(r);
  return QRect(p.left, p.top, p.width(), p.height());
}

// The dialog face shows a picture frame as a one-pixel border around its client
// rectangle (black or grey), with a sunken edge around that where the template asks.
void paintFrameBorder(draw::Canvas& canvas, const DialogTemplate& tpl, const ControlTemplate& c) {
  const PixelRect p = tpl.pixels(c.rect);
  auto box = [&](int inset, draw::Color topLeft, draw::Color bottomRight) {
    const int l = p.left - inset, t = p.top - inset, r = p.right + inset - 1, b = p.bottom + inset - 1;
    for (int x = l; x <= r; ++x) {
      canvas.setPixel(x, t, topLeft);
      canvas.setPixel(x, b, bottomRight);
    }
    for (int y = t; y <= b; ++y) {
      canvas.setPixel(l, y, topLeft);
      canvas.setPixel(r, y, bottomRight);
    }
  };
  const draw::Color line = c.has("gray") ? draw::colors::captionGrey : draw::colors::black;
  box(1, line, line);
  if (c.has("sunken")) box(2, draw::colors::captionGrey, draw::colors::white);
}

// The tutorial's paragraphs pad a line out with a long run of full-width spaces so that
// the next sentence starts a new line. A break stands in for the run, so the lines are
// the same whatever the width of the face.
QString paragraphText(const QString& text) {
  constexpr QChar wideSpace(0x3000);
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    qsizetype end = i;
    while (end < text.size() && text[end] == wideSpace) ++end;
    if (end - i >= 8) {  // a run of padding, with the half-width spaces after it
      while (end < text.size() && text[end] == QLatin1Char(' ')) ++end;
      out += QLatin1Char('\n');
    } else {
      if (end == i) ++end;  // a character other than a wide space
      out += QStringView(text).mid(i, end - i);
    }
    i = end;
  }
  return out;
}

// A title band spaces its letters out with full-width spaces. Where the band is too
// narrow for the text in this face, the runs of spaces are shortened (and at last made
// half-width) until it fits, so every letter stays visible and evenly spaced.
QString tightenSpacing(QString text, const QFontMetrics& metrics, int width) {
  while (metrics.horizontalAdvance(text) > width) {
    int longest = 0, run = 0;
    for (const QChar ch : text) {
      run = ch == QChar(0x3000) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    if (longest == 0) break;
    if (longest > 1) {
      text.replace(QString(longest, QChar(0x3000)), QString(longest - 1, QChar(0x3000)));
    } else {
      text.replace(QChar(0x3000), QChar(' '));
    }
  }
  return text;
}

// The face's Latin letters run a little wider than the ones the screens were laid out
// for. A one-line label, radio button or check box whose text does not fit its rectangle
// grows sideways (from its aligned edge) instead of cutting its text. A label tall
// enough for a second line wraps as laid out.
void fitText(QWidget* w, const ControlTemplate& c, QRect& r) {
  auto* band = qobject_cast<QLabel*>(w);
  if (band && c.type == ControlType::Static && c.has("sunken") && c.has("center")) {
    band->setText(tightenSpacing(band->text(), band->fontMetrics(), r.width() - 4));
    return;
  }
  // A push button centres its text: one too narrow for it grows evenly on both sides.
  if (auto* button = qobject_cast<QPushButton*>(w)) {
    const int extra = button->fontMetrics().horizontalAdvance(button->text()) + 6 - r.width();
    if (extra > 0) r.adjust(-extra / 2, 0, extra - extra / 2, 0);
    return;
  }
  const bool choice = c.type == ControlType::Radio || c.type == ControlType::Check;
  auto* label = qobject_cast<QLabel*>(w);
  const bool oneLineLabel = label && c.type == ControlType::Static && !c.has("sunken") &&
                            !label->text().contains('\n') &&
                            2 * r.height() < 3 * w->fontMetrics().height();
  if (!choice && !oneLineLabel) return;
  if (label) label->setWordWrap(false);
  // A line as tall as the face's cell: a rectangle just the font's size would cut off
  // the descenders of "p" and "y".
  if (label && r.height() < label->fontMetrics().height()) r.setHeight(label->fontMetrics().height());
  const int need = w->sizeHint().width();
  if (need <= r.width()) return;
  const int extra = need - r.width();
  if (c.has("right")) {
    r.setLeft(r.left() - extra);
  } else if (c.has("center")) {
    r.adjust(-extra / 2, 0, extra - extra / 2, 0);
  } else {
    r.setWidth(need);
  }
}

Qt::Alignment staticAlignment(const ControlTemplate& c) {
  Qt::Alignment a = Qt::AlignLeft;
  if (c.has("center")) a = Qt::AlignHCenter;
  if (c.has("right")) a = Qt::AlignRight;
  // A sunken band is barely taller than its text: centring keeps the letters whole.
  a |= c.has("vcenter") || c.has("sunken") ? Qt::AlignVCenter : Qt::AlignTop;
  return a;
}

}  // namespace

DialogTemplate loadTemplate(int templateId) {
  QFile f(QStringLiteral(":/dialogs/%1.dlg").arg(templateId));
  if (!f.open(QIODevice::ReadOnly)) throw TemplateError("no dialog template " + std::to_string(templateId));
  return parseTemplate(f.readAll().toStdString());
}

namespace {
// A form without screen and picture frames (the start view, the about box) never draws:
// its face is painted directly and its canvas is a single pixel, which spares the
// start-up a client-sized image.
bool hasFrames(const DialogTemplate& tpl) {
  for (const ControlTemplate& c : tpl.controls)
    if (c.type == ControlType::Frame) return true;
  return false;
}
int formCanvasWidth(const DialogTemplate& tpl) { return hasFrames(tpl) ? tpl.pixelWidth() : 1; }
int formCanvasHeight(const DialogTemplate& tpl) { return hasFrames(tpl) ? tpl.pixelHeight() : 1; }

const ScreenInfo& infoOf(std::string_view screenClass) {
  const ScreenInfo* info = findScreen(screenClass);
  if (!info) throw std::invalid_argument("unknown screen class " + std::string(screenClass));
  return *info;
}
}  // namespace

ScreenView::ScreenView(std::string_view screenClass, ScreenOwner* owner, QWidget* parent)
    : QWidget(parent),
      class_(screenClass),
      tpl_(loadTemplate(infoOf(screenClass).templateId)),
      owner_(owner),
      canvas_(tpl_.pixelWidth(), tpl_.pixelHeight()) {
  screen_ = infoOf(screenClass).make(*this);
  build();
  for (auto& [id, handler] : screen_->handlers()) {
    auto* button = qobject_cast<QAbstractButton*>(control(id));
    if (!button) continue;
    connect(button, &QAbstractButton::clicked, this, [this, h = handler] {
      h();
      update();
    });
  }
  applyColouring();
  screen_->OnInitDialog();
}

ScreenView::ScreenView(const DialogTemplate& tpl, QWidget* parent)
    : QWidget(parent), tpl_(tpl), canvas_(formCanvasWidth(tpl_), formCanvasHeight(tpl_)) {
  build();
}

ScreenView::~ScreenView() = default;

void ScreenView::build() {
  setFixedSize(tpl_.pixelWidth(), tpl_.pixelHeight());
  // paintEvent covers every pixel (the canvas, or the face where there is none), so the
  // window need not paint its background under the screen first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The template's font at its real size: its dialog units are measured in it.
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(cellHeightFor(tpl_.fontPoints));
  setFont(font);

  for (const ControlTemplate& c : tpl_.controls) {
    QWidget* w = nullptr;
    const QString text = QString::fromStdString(c.text);
    switch (c.type) {
      case ControlType::Button:
      case ControlType::DefButton: {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        b->setDefault(false);
        w = b;
        break;
      }
      case ControlType::Edit: {
        auto* e = new QLineEdit(this);
        e->setFrame(true);
        if (c.has("readonly")) e->setReadOnly(true);
        w = e;
        break;
      }
      case ControlType::Static: {
        auto* l = new QLabel(paragraphText(text), this);
        l->setAlignment(staticAlignment(c));
        l->setWordWrap(!c.has("leftnowrap") && !c.has("center") && !c.has("right"));
        l->setTextFormat(Qt::PlainText);
        if (c.has("sunken")) {
          l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
          l->setLineWidth(1);
        }
        w = l;
        break;
      }
      case ControlType::Frame: {
        paintFrameBorder(canvas_, tpl_, c);
        w = new QWidget(this);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        break;
      }
      case ControlType::Group: {
        auto* g = new QGroupBox(text, this);
        if (c.has("center")) g->setAlignment(Qt::AlignHCenter);
        w = g;
        break;
      }
      case ControlType::Radio:
        w = new QRadioButton(text, this);
        break;
      case ControlType::Check:
        w = new QCheckBox(text, this);
        break;
      case ControlType::Bitmap: {
        auto* l = new QLabel(this);
        const QImage img = draw::loadBitmap(c.image);
        if (!img.isNull()) l->setPixmap(QPixmap::fromImage(img));
        w = l;
        break;
      }
      case ControlType::Icon: {
        // Icon resource 128 is the application's icon, shown at the system icon size.
        auto* l = new QLabel(this);
        if (c.image == 128) l->setPixmap(applicationIcon().pixmap(32, 32));
        w = l;
        break;
      }
    }
    QRect r = pixelRect(tpl_, c.rect);
    fitText(w, c, r);
    if (c.type == ControlType::Bitmap || c.type == ControlType::Icon) {
      if (auto* l = qobject_cast<QLabel*>(w); l && !l->pixmap().isNull()) r.setSize(l->pixmap().size());
    }
    w->setGeometry(r);
    // Group boxes, labels and pictures take no clicks: a group box drawn after the
    // buttons it encloses would otherwise swallow every press meant for them.
    if (c.type == ControlType::Group || c.type == ControlType::Static || c.type == ControlType::Bitmap ||
        c.type == ControlType::Icon)
      w->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (c.has("disabled")) w->setEnabled(false);
    if (c.has("notab")) w->setFocusPolicy(Qt::ClickFocus);
    w->setObjectName(QString::number(c.id));
    if (c.id != -1) controls_[c.id] = w;
  }
}

void ScreenView::applyColouring() {
  if (!screen_) return;
  for (const ControlTemplate& c : tpl_.controls) {
    if (c.id == -1 || (c.type != ControlType::Static && c.type != ControlType::Edit)) continue;
    const ControlKind kind = c.type == ControlType::Edit ? ControlKind::Edit : ControlKind::Static;
    const ControlColour colour = screen_->OnTitleColor(c.id, kind);
    QWidget* w = control(c.id);
    QPalette pal = w->palette();
    if (colour.text) {
      pal.setColor(QPalette::WindowText, qcolor(*colour.text));
      pal.setColor(QPalette::Text, qcolor(*colour.text));
    }
    if (colour.background) {
      if (kind == ControlKind::Edit) {
        pal.setColor(QPalette::Base, qcolor(*colour.background));
      } else {
        pal.setColor(QPalette::Window, qcolor(*colour.background));
        w->setAutoFillBackground(true);
      }
    }
    w->setPalette(pal);
  }
}

QWidget* ScreenView::control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void ScreenView::setText(int id, const std::string& utf8) {
  if (auto* e = qobject_cast<QLineEdit*>(control(id))) e->setText(QString::fromStdString(utf8));
}

void ScreenView::setChecked(int id, bool on) {
  if (auto* b = qobject_cast<QAbstractButton*>(control(id))) b->setChecked(on);
}

bool ScreenView::press(int id) {
  auto* b = qobject_cast<QAbstractButton*>(control(id));
  if (!b) return false;
  b->click();
  return true;
}

PixelRect ScreenView::frameRect(int id) const {
  const ControlTemplate* c = tpl_.control(id);
  if (!c) return {0, 0, 0, 0};
  return tpl_.pixels(c->rect);
}

draw::Color ScreenView::framePixel(int id, int x, int y) const {
  const PixelRect r = frameRect(id);
  return canvas_.pixel(r.left + x, r.top + y);
}

QImage ScreenView::snapshot() {
  // Rendered at one image pixel per client pixel, so a picture is the same on a
  // scaled display as on a plain one.
  QImage image(size(), QImage::Format_RGB32);
  image.setDevicePixelRatio(1.0);
  image.fill(palette().color(QPalette::Window));
  render(&image);
  return image;
}

QImage ScreenView::framePicture(int id) {
  const ControlTemplate* c = tpl_.control(id);
  if (!c || c->type != ControlType::Frame) return {};
  const PixelRect r = frameRect(id);
  return snapshot().copy(r.left, r.top, r.width(), r.height());
}

int ScreenView::frameAt(const QPoint& pos) const {
  for (const ControlTemplate& c : tpl_.controls) {
    if (c.type != ControlType::Frame || c.id == -1) continue;
    // The client rectangle with the border (and sunken edge) painted around it.
    const PixelRect r = tpl_.pixels(c.rect);
    if (pos.x() >= r.left - 2 && pos.x() < r.right + 2 && pos.y() >= r.top - 2 && pos.y() < r.bottom + 2)
      return c.id;
  }
  return 0;
}

QString savePicture(const QImage& picture, const QString& file) {
  if (picture.isNull()) return QStringLiteral("保存する画像がありません");
  if (file.isEmpty()) return QStringLiteral("ファイル名がありません");
  QString path = file;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
  const QFileInfo info(path);
  if (!info.absoluteDir().exists()) return QStringLiteral("フォルダ「%1」がありません").arg(info.absolutePath());
  return writePng(picture, info.absoluteFilePath());
}

QString writePng(const QImage& picture, const QString& path) {
  if (picture.isNull()) return QStringLiteral("保存する画像がありません");
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    return QStringLiteral("「%1」は通常のファイルではないので置き換えません").arg(path);
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly))
    return QStringLiteral("「%1」に書き込めません（%2）").arg(path, out.errorString());
  QImageWriter writer(&out, "PNG");
  if (!writer.write(picture)) {
    const QString reason = out.error() != QFileDevice::NoError ? out.errorString() : writer.errorString();
    out.cancelWriting();
    return QStringLiteral("「%1」に書き込めません（%2）").arg(path, reason);
  }
  // The last buffered bytes are written here: QSaveFile's commit() would let a failure
  // of this final write pass and rename a cut-off file into place.
  if (!out.flush()) {
    const QString reason = out.errorString();
    out.cancelWriting();
    out.commit();
    return QStringLiteral("「%1」に書き込めません（%2）").arg(path, reason);
  }
  if (!out.commit()) return QStringLiteral("「%1」に書き込めません（%2）").arg(path, out.errorString());
  return {};
}

void ScreenView::contextMenuEvent(QContextMenuEvent* event) {
  const int frameId = frameAt(event->pos());
  QMenu menu(this);
  QAction* save = menu.addAction(QStringLiteral("画像を保存..."));
  QAction* print = menu.addAction(QStringLiteral("印刷..."));
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen != save && chosen != print) return;

  // Taken before a dialog opens, so the picture is what was shown under the menu.
  const QImage picture = frameId ? framePicture(frameId) : snapshot();
  if (chosen == print) {
    printWithDialog(this, picture);
    return;
  }
  QString name = QString::fromStdString(class_.empty() ? std::string("Lumo") : class_);
  if (frameId) name += QStringLiteral("-%1").arg(frameId);
  askToSavePicture(this, picture, name);
}

bool askToSavePicture(QWidget* parent, const QImage& picture, const QString& name) {
  const QString file = QFileDialog::getSaveFileName(
      parent, QStringLiteral("画像を保存"), QDir::home().filePath(name + QStringLiteral(".png")),
      QStringLiteral("PNG 画像 (*.png)"));
  if (file.isEmpty()) return false;
  const QString error = savePicture(picture, file);
  if (!error.isEmpty()) {
    QMessageBox::warning(parent, QStringLiteral("画像を保存"), error);
    return false;
  }
  return true;
}

std::string ScreenView::text(int id) const {
  if (auto* e = qobject_cast<QLineEdit*>(control(id))) return e->text().toStdString();
  return {};
}

bool ScreenView::isChecked(int id) const {
  auto* b = qobject_cast<QAbstractButton*>(control(id));
  return b && b->isChecked();
}

draw::Surface ScreenView::frame(int id) {
  const PixelRect r = frameRect(id);
  return draw::Surface(canvas_, r.left, r.top, r.width(), r.height());
}

void ScreenView::transfer(std::string_view screenClass) {
  successor_ = std::string(screenClass);
  if (owner_) owner_->transfer(screenClass);
}

void ScreenView::quitApplication() {
  if (owner_) owner_->quitApplication();
}

void ScreenView::openWorkbench() {
  if (owner_) owner_->openWorkbench();
}

model::ImageStore& theDocumentImages() {
  static model::ImageStore store;
  return store;
}

model::ImageStore& ScreenView::documentImages() { return theDocumentImages(); }

void ScreenView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (canvas_.blank() || canvas_.width() < width() || canvas_.height() < height())
    p.fillRect(rect(), qcolor(draw::colors::face));
  if (!canvas_.blank()) p.drawImage(0, 0, canvas_.image());
}

}  // namespace lumo
