// The reconstruction lab in a real X server (Xvfb), driven with real X11 input (xdotool)
// and read back from the screen (xwd) and from the files its own dialogs write: the
// student drags the profile line to another row and the profile follows it; F5 plays the
// build-up, which advances, F5 pauses it, which holds it, and it ends where the live
// result did; a panel's 「画像を保存...」 writes what the screen shows.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "draw/ColourScale.h"
#include "lab/CsvFile.h"
#include "support/XServer.h"

namespace {

using namespace lumo::test;

constexpr int kMatrix = 128;                  // the lab's default matrix
constexpr std::uint32_t kFrame = 0x606060u;   // the line around each picture of the lab

bool framePixel(const Screenshot& s, int x, int y) { return s.at(x, y) == kFrame; }

// The pictures of the lab on screen: the insides of the one-pixel frames drawn around
// them, as (left, top, width, height) in window pixels, largest factor first.
std::vector<QRect> pictures(const Screenshot& s) {
  std::vector<QRect> found;
  for (int y = 0; y + 1 < s.height; ++y) {
    for (int x = 0; x + 1 < s.width; ++x) {
      // A top left corner: the frame runs right and down from here, the inside is not frame.
      if (!framePixel(s, x, y) || framePixel(s, x - 1, y) || framePixel(s, x, y - 1) || framePixel(s, x + 1, y + 1))
        continue;
      int w = 0, h = 0;
      while (framePixel(s, x + w + 1, y)) ++w;
      while (framePixel(s, x, y + h + 1)) ++h;
      if (w < kMatrix || h < kMatrix) continue;
      // The right and bottom edges close it.
      bool closed = true;
      for (int k = 0; k <= w && closed; ++k) closed = framePixel(s, x + k, y + h);
      for (int k = 0; k <= h && closed; ++k) closed = framePixel(s, x + w, y + k);
      if (closed) found.push_back(QRect(x + 1, y + 1, w - 1, h - 1));
    }
  }
  return found;
}

// The slice: of the square pictures of the top row (truth, then slice), the second.
std::optional<QRect> slicePicture(const Screenshot& s) {
  std::vector<QRect> square;
  for (const QRect& r : pictures(s))
    if (r.width() == r.height() && r.width() % kMatrix == 0) square.push_back(r);
  if (square.size() < 2) return std::nullopt;
  std::sort(square.begin(), square.end(), [](const QRect& a, const QRect& b) {
    return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
  });
  if (square[1].top() != square[0].top()) return std::nullopt;
  return square[1];
}

std::vector<std::uint32_t> pixelsIn(const Screenshot& s, const QRect& r) {
  std::vector<std::uint32_t> out;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) out.push_back(s.at(x, y));
  return out;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QThread::msleep(50);
  }
  return true;
}

class LabOnScreen {
 public:
  explicit LabOnScreen(XServer& x) : x_(x) {}

  bool open(const QString& configDir) {
    if (!x_.startLumo(configDir, {QStringLiteral("--lab")})) return false;
    const auto w = x_.waitForWindow(QStringLiteral("^再構成ラボ - Lumo$"));
    if (!w) return false;
    window_ = *w;
    const auto g = x_.geometry(window_);
    if (!g) return false;
    origin_ = QPoint(g->x, g->y);
    return true;
  }
  std::optional<Screenshot> shot() const { return x_.screenshot(window_); }
  std::optional<std::vector<std::uint32_t>> pixels(const QRect& r) const {
    const auto s = shot();
    if (!s) return std::nullopt;
    return pixelsIn(*s, r);
  }
  // The progress line at the window's foot, where the lab says what it computes.
  void setProgressLine(const QRect& r) { progress_ = r; }
  // Until the slice and the progress line have stayed the same for a second: the live
  // computation has finished. Returns where the slice is.
  std::optional<QRect> settledSlice() const {
    std::optional<QRect> slice;
    std::vector<std::uint32_t> before;
    QElapsedTimer still, t;
    t.start();
    while (t.elapsed() < 60000) {
      const auto s = shot();
      if (s) {
        slice = slicePicture(*s);
        std::vector<std::uint32_t> now = pixelsIn(*s, progress_);
        if (slice) {
          const auto inside = pixelsIn(*s, *slice);
          now.insert(now.end(), inside.begin(), inside.end());
        }
        if (!slice || now != before) {
          before = now;
          still.start();
        } else if (still.elapsed() >= 1000) {
          return slice;
        }
      }
      QThread::msleep(200);
    }
    return std::nullopt;
  }
  QPoint onScreen(int x, int y) const { return origin_ + QPoint(x, y); }
  // A file dialog of the lab, answered as a student would: the whole name typed, Enter.
  bool answerFileDialog(const QString& title, const QString& file) const {
    const QString pattern = QStringLiteral("^%1$").arg(title);
    if (!x_.waitForWindow(pattern)) return false;
    QThread::msleep(300);
    if (!x_.key(QStringLiteral("ctrl+a")) || !x_.type(file) || !x_.key(QStringLiteral("Return"))) return false;
    if (!x_.waitForNoWindow(pattern) || !waitFor([&] { return QFile::exists(file); })) return false;
    // Back in the lab: a click on its progress line (a label) makes it the active window
    // again for the keys that follow.
    QThread::msleep(300);
    const QPoint p = onScreen(8, progress_.center().y());
    return click(p);
  }
  // A left click; xdotool's synchronous move would wait for ever for a pointer that is
  // already there.
  bool click(const QPoint& p) const {
    const Run at = run(x_.display(), "xdotool", {"getmouselocation", "--shell"});
    if (at.ok && at.out.contains("X=" + QByteArray::number(p.x()) + "\nY=" + QByteArray::number(p.y()) + "\n"))
      return run(x_.display(), "xdotool", {"click", "1"}).ok;
    return x_.click(p.x(), p.y());
  }

 private:
  XServer& x_;
  QRect progress_;
  QString window_;
  QPoint origin_;
};

std::vector<std::vector<double>> readNumbers(const QString& file, bool header) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  std::vector<std::vector<double>> rows;
  for (const auto& fields : lumo::lab::parseCsv(f.readAll().toStdString())) {
    std::vector<double> row;
    for (const std::string& v : fields) row.push_back(v.empty() ? NAN : std::strtod(v.c_str(), nullptr));
    rows.push_back(std::move(row));
  }
  if (header && !rows.empty()) rows.erase(rows.begin());
  return rows;
}

TEST(LabWindowEndToEnd, DragTheProfilePlayAndPauseAndSaveAPanelWithRealInput) {
  for (const char* tool : {"Xvfb", "xdotool", "xwd"})
    ASSERT_TRUE(haveTool(tool)) << tool << " is missing: run scripts/setup.sh";
  XServer x(QStringLiteral("1920x1080x24"));
  ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
  QTemporaryDir config, out;
  ASSERT_TRUE(config.isValid() && out.isValid());
  LabOnScreen lab(x);
  ASSERT_TRUE(lab.open(config.path())) << "the lab's window did not appear";

  const auto first = lab.shot();
  ASSERT_TRUE(first);
  const QRect progress(0, first->height - 16, first->width, 16);  // the progress line
  lab.setProgressLine(progress);
  const auto slice = lab.settledSlice();
  ASSERT_TRUE(slice) << "no slice on screen, or it never stopped changing";
  const int k = slice->width() / kMatrix;  // each image pixel a k x k block
  ASSERT_GE(k, 1);

  // --- The profile line, dragged with the mouse to row 40 (it starts on the central row).
  // A press just left of the picture starts a new line there; the release right of it ends
  // it, both ends kept inside the image: columns 0 to 127 of that row.
  const int row = 40;
  const int y = slice->top() + row * k + k / 2;
  const QPoint from = lab.onScreen(slice->left() - 1, y), to = lab.onScreen(slice->right() + 2, y);
  ASSERT_TRUE(x.drag(from.x(), from.y(), to.x(), to.y()));
  QThread::msleep(300);
  // The pointer's pixel y, as the panel reads it: image row (y - top) / k - 1/2.
  const double lineRow = (row * k + k / 2) / double(k) - 0.5;

  // The profile and the slice through the lab's own menu and file dialogs (Alt+F, then
  // the entry's letter).
  const QString profileCsv = out.filePath(QStringLiteral("profile.csv")), sliceCsv = out.filePath(QStringLiteral("slice.csv"));
  ASSERT_TRUE(x.key(QStringLiteral("alt+f")));
  QThread::msleep(1000);
  ASSERT_TRUE(x.key(QStringLiteral("p")));
  ASSERT_TRUE(lab.answerFileDialog(QStringLiteral("CSVで保存"), profileCsv)) << "the profile was not saved";
  ASSERT_TRUE(x.key(QStringLiteral("alt+f")));
  QThread::msleep(1000);
  ASSERT_TRUE(x.key(QStringLiteral("r")));
  ASSERT_TRUE(lab.answerFileDialog(QStringLiteral("CSVで保存"), sliceCsv)) << "the slice was not saved";

  const auto profile = readNumbers(profileCsv, true), image = readNumbers(sliceCsv, false);
  ASSERT_EQ(image.size(), std::size_t(kMatrix));
  ASSERT_EQ(profile.size(), std::size_t(kMatrix));
  // Sample i lies on column i of the dragged row: between rows floor and floor + 1.
  const int r0 = int(std::floor(lineRow));
  const double a = lineRow - r0;
  double peak = 0;
  for (double v : image[std::size_t(r0)]) peak = std::max(peak, std::abs(v));
  ASSERT_GT(peak, 0) << "row " << r0 << " of the slice is empty: pick another";
  for (int i = 0; i < kMatrix; ++i) {
    const double expected = (1 - a) * image[std::size_t(r0)][std::size_t(i)] +
                            (a > 0 ? a * image[std::size_t(r0 + 1)][std::size_t(i)] : 0.0);
    ASSERT_NEAR(profile[std::size_t(i)][1], expected, 1e-5 * peak) << "sample " << i << " of the line at row " << lineRow;
  }

  // --- 「画像を保存...」 from the slice's context menu (right click, the first entry).
  const auto shown = lab.shot();
  ASSERT_TRUE(shown);
  const QPoint centre = lab.onScreen(slice->center().x(), slice->center().y());
  ASSERT_TRUE(x.rightClick(centre.x(), centre.y()));
  QThread::msleep(400);
  ASSERT_TRUE(x.key(QStringLiteral("Down")));
  ASSERT_TRUE(x.key(QStringLiteral("Return")));
  const QString png = out.filePath(QStringLiteral("slice-panel.png"));
  ASSERT_TRUE(lab.answerFileDialog(QStringLiteral("画像を保存"), png)) << "the panel was not saved";
  const QImage saved(png);
  ASSERT_FALSE(saved.isNull());
  // The whole panel: title, picture and legend, larger than the picture alone; the
  // picture inside it pixel for pixel what the screen showed, the dragged line included.
  Screenshot file;
  file.width = saved.width();
  file.height = saved.height();
  for (int yy = 0; yy < saved.height(); ++yy)
    for (int xx = 0; xx < saved.width(); ++xx) file.pixels.push_back(saved.pixel(xx, yy) & 0xFFFFFFu);
  std::vector<QRect> inFile;
  for (const QRect& r : pictures(file))
    if (r.size() == slice->size()) inFile.push_back(r);
  ASSERT_EQ(inFile.size(), 1u) << "the saved panel does not hold the slice's picture once";
  EXPECT_GT(saved.width(), slice->width() + 40);
  EXPECT_GT(saved.height(), slice->height() + 20);
  EXPECT_EQ(pixelsIn(file, inFile[0]), pixelsIn(*shown, *slice));
  // Block by block the slice's values in the rainbow scale over their own range, except
  // where the line and its end handles cross: the rows at the dragged row, no longer the
  // central ones.
  std::vector<float> values;
  for (const auto& r : image)
    for (double v : r) values.push_back(float(v));
  const QImage colours = lumo::draw::toImage(values, kMatrix, kMatrix, lumo::draw::ColourScale(lumo::draw::ScaleKind::Rainbow),
                                             lumo::draw::rangeOf(values));
  ASSERT_FALSE(colours.isNull());
  std::vector<int> changed(kMatrix, 0);  // blocks of each row that are not their value's colour
  for (int j = 0; j < kMatrix; ++j)
    for (int i = 0; i < kMatrix; ++i) {
      bool same = true;
      for (int dy = 0; dy < k && same; ++dy)
        for (int dx = 0; dx < k && same; ++dx)
          same = file.at(inFile[0].left() + i * k + dx, inFile[0].top() + j * k + dy) == (colours.pixel(i, j) & 0xFFFFFFu);
      changed[std::size_t(j)] += !same;
    }
  for (int j = 0; j < kMatrix; ++j) {
    const double away = std::abs(j - lineRow);
    if (away <= 0.5) {
      EXPECT_GT(changed[std::size_t(j)], kMatrix / 2) << "row " << j << ": the line is not there";
    }
    if (away > 1 + 4.0 / k) {
      EXPECT_EQ(changed[std::size_t(j)], 0) << "row " << j << " is not the slice's colours";
    }
  }

  // --- The build-up: F5 plays, F5 pauses, F5 plays on to the end.
  const auto final = lab.pixels(*slice);
  ASSERT_TRUE(final);
  std::optional<std::vector<std::uint32_t>> held;
  for (int attempt = 0; attempt < 3 && !held; ++attempt) {
    ASSERT_TRUE(x.key(QStringLiteral("F5")));
    ASSERT_TRUE(waitFor([&] {
      const auto now = lab.pixels(*slice);
      return now && *now != *final;
    })) << "F5 did not start the build-up";
    ASSERT_TRUE(x.key(QStringLiteral("F5")));
    QThread::msleep(500);
    const auto a1 = lab.pixels(*slice);
    QThread::msleep(1000);
    const auto a2 = lab.pixels(*slice);
    ASSERT_TRUE(a1 && a2);
    if (*a1 == *final) continue;  // it ran to its end before the pause came: once more
    EXPECT_EQ(*a1, *a2) << "the paused build-up moved on";
    held = a2;
  }
  ASSERT_TRUE(held) << "the build-up could not be paused on its way";
  ASSERT_TRUE(x.key(QStringLiteral("F5")));
  EXPECT_TRUE(waitFor([&] {
    const auto now = lab.pixels(*slice);
    return now && *now == *final;
  }, 60000)) << "the build-up did not end on the live result";
}

}  // namespace
