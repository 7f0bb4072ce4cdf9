// The lab's image panel: whole-number scaling with every image pixel an exact k x k block,
// centred; the profile line dragged and drawn with the mouse, moved with the keys; the
// not-available state; saving the panel as PNG and a save that cannot be done.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <limits>
#include <vector>

#include "lab/ImagePanel.h"

namespace lumo::lab {
namespace {

// A w x h image whose every pixel has its own value, so a block shows which pixel it is.
std::vector<float> ramp(int w, int h) {
  std::vector<float> v(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<float>((i * 37) % 101);
  return v;
}

TEST(ImagePanel, EveryImagePixelBecomesAnExactBlockOfTheLargestWholeFactorCentred) {
  struct Case {
    int w, h;
    QSize panel;
  } cases[] = {{16, 16, {200, 220}}, {16, 16, {420, 400}}, {20, 12, {300, 260}}, {7, 9, {333, 517}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " in " << c.panel.width() << "x" << c.panel.height());
    ImagePanel panel(QStringLiteral("再構成画像"));
    panel.resize(c.panel);
    panel.setImage(ramp(c.w, c.h), c.w, c.h);
    const QRect r = panel.imageRect();
    const int k = panel.zoom();
    ASSERT_GE(k, 2);
    EXPECT_EQ(r.size(), QSize(c.w * k, c.h * k));
    // The largest factor: the picture fits its room, one more would not.
    const QRect room = panel.pictureRoom();
    EXPECT_TRUE(room.contains(r));
    EXPECT_TRUE(c.w * (k + 1) > room.width() || c.h * (k + 1) > room.height());
    EXPECT_TRUE(QRect(QPoint(0, 0), panel.size()).contains(r));
    const QImage shown = panel.picture();
    const QImage& colours = panel.colouredImage();
    int wrong = 0;
    for (int y = 0; y < r.height(); ++y)
      for (int x = 0; x < r.width(); ++x)
        wrong += shown.pixel(r.left() + x, r.top() + y) != colours.pixel(x / k, y / k);
    EXPECT_EQ(wrong, 0);
    // Centred in its room from top to bottom (to the pixel).
    EXPECT_LE(std::abs((r.top() - room.top()) - (room.bottom() - r.bottom())), 1);
  }
}

TEST(ImagePanel, ASmallPanelStillShowsTheImageAtOnePixelPerPixel) {
  ImagePanel panel(QStringLiteral("サイノグラム"));
  panel.resize(60, 50);
  panel.setImage(ramp(64, 120), 64, 120);
  EXPECT_EQ(panel.zoom(), 1);
  EXPECT_EQ(panel.imageRect().size(), QSize(64, 120));
  EXPECT_FALSE(panel.picture().isNull());
}

TEST(ImagePanel, ImagesOfBadSizesClearThePanelAndValuesThatAreNotFiniteStillDraw) {
  ImagePanel panel(QStringLiteral("再構成画像"));
  panel.resize(200, 200);
  const std::vector<float> four = {1, 2, 3, 4};
  panel.setImage(four, 3, 3);  // too few values
  EXPECT_FALSE(panel.hasImage());
  panel.setImage(four, 0, 4);
  EXPECT_FALSE(panel.hasImage());
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  panel.setImage(std::vector<float>{nan, inf, -inf, 1}, 2);
  ASSERT_TRUE(panel.hasImage());
  EXPECT_EQ(panel.colouredImage().pixel(0, 0), draw::ColourScale::noValueColour());
  EXPECT_FALSE(panel.picture().isNull());
  panel.setImage(std::vector<float>{nan, nan, nan, nan}, 2);
  EXPECT_EQ(panel.colouredImage().pixel(1, 1), draw::ColourScale::noValueColour());
}

TEST(ImagePanel, RangesFollowTheModeAndTheScaleColoursThePicture) {
  ImagePanel panel;
  panel.setImage(std::vector<float>{-2, 0, 1, 4}, 2);
  EXPECT_DOUBLE_EQ(panel.range().lo, -2);
  EXPECT_DOUBLE_EQ(panel.range().hi, 4);
  panel.setRangeMode(ImagePanel::RangeMode::Symmetric);
  EXPECT_DOUBLE_EQ(panel.range().lo, -4);
  EXPECT_DOUBLE_EQ(panel.range().hi, 4);
  panel.setColourScale(draw::ScaleKind::Grey);
  EXPECT_EQ(panel.colouredImage().pixel(1, 0), qRgb(128, 128, 128));  // zero in the middle
  panel.setFixedRange({0, 1});
  EXPECT_EQ(panel.rangeMode(), ImagePanel::RangeMode::Fixed);
  EXPECT_EQ(panel.colouredImage().pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(panel.colouredImage().pixel(1, 1), qRgb(255, 255, 255));
}

TEST(ImagePanel, TheNotAvailableStateShowsItsTextInsteadOfAPicture) {
  ImagePanel panel(QStringLiteral("真の分布"));
  panel.resize(240, 240);
  panel.setImage(ramp(8, 8), 8);
  panel.setUnavailable(QStringLiteral("真の分布はありません"));
  EXPECT_TRUE(panel.isUnavailable());
  EXPECT_FALSE(panel.hasImage());
  EXPECT_TRUE(panel.imageRect().isNull());
  const QImage shown = panel.picture();
  // Dark text pixels in the middle of the box.
  int dark = 0;
  for (int y = 100; y < 160; ++y)
    for (int x = 20; x < 220; ++x) dark += qGray(shown.pixel(x, y)) < 90;
  EXPECT_GT(dark, 40);
  panel.setImage(ramp(8, 8), 8);
  EXPECT_FALSE(panel.isUnavailable());
}

class ProfileDrag : public testing::Test {
 protected:
  void SetUp() override {
    panel.resize(300, 300);
    panel.setImage(ramp(32, 32), 32);
    panel.setProfileEnabled(true);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  }
  QPoint at(double x, double y) const { return panel.toWidget(QPointF(x, y)).toPoint(); }
  ImagePanel panel{QStringLiteral("再構成画像")};
};

TEST_F(ProfileDrag, TheLineStartsAsTheCentralRow) {
  EXPECT_EQ(panel.profileLine(), QLineF(0, 16, 31, 16));
}

TEST_F(ProfileDrag, DraggingAnEndHandleMovesThatEnd) {
  QSignalSpy spy(&panel, &ImagePanel::profileLineChanged);
  QTest::mousePress(&panel, Qt::LeftButton, {}, at(31, 16));
  QTest::mouseMove(&panel, at(20, 4));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, at(24, 2));
  const QLineF line = panel.profileLine();
  EXPECT_EQ(line.p1(), QPointF(0, 16));
  EXPECT_NEAR(line.x2(), 24, 0.51);
  EXPECT_NEAR(line.y2(), 2, 0.51);
  ASSERT_GE(spy.count(), 2);  // live while dragging
  EXPECT_EQ(spy.last().at(0).toLineF(), line);

  // The other end, dragged beyond the image: it stops at the edge.
  QTest::mousePress(&panel, Qt::LeftButton, {}, at(0, 16));
  QTest::mouseMove(&panel, QPoint(1, 1));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(1, 1));
  EXPECT_EQ(panel.profileLine().p1(), QPointF(0, 0));
}

TEST_F(ProfileDrag, PressingElsewhereOnTheImageDrawsANewLine) {
  QSignalSpy spy(&panel, &ImagePanel::profileLineChanged);
  QTest::mousePress(&panel, Qt::LeftButton, {}, at(5, 5));
  QTest::mouseMove(&panel, at(10, 20));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, at(26, 28));
  const QLineF line = panel.profileLine();
  EXPECT_NEAR(line.x1(), 5, 0.51);
  EXPECT_NEAR(line.y1(), 5, 0.51);
  EXPECT_NEAR(line.x2(), 26, 0.51);
  EXPECT_NEAR(line.y2(), 28, 0.51);
  EXPECT_EQ(spy.last().at(0).toLineF(), line);

  // A click without a drag leaves the line as it was and says nothing.
  const int before = spy.count();
  QTest::mouseClick(&panel, Qt::LeftButton, {}, at(12, 3));
  EXPECT_EQ(panel.profileLine(), line);
  EXPECT_EQ(spy.count(), before);
  // Outside the image (on the title) nothing starts.
  QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(10, 8));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(200, 250));
  EXPECT_EQ(panel.profileLine(), line);
}

TEST_F(ProfileDrag, ArrowKeysMoveTheWholeLineInsideTheImageAndHomeResetsIt) {
  panel.setFocus();
  QTest::keyClick(&panel, Qt::Key_Up);
  EXPECT_EQ(panel.profileLine(), QLineF(0, 15, 31, 15));
  QTest::keyClick(&panel, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(panel.profileLine(), QLineF(0, 25, 31, 25));
  QTest::keyClick(&panel, Qt::Key_Down, Qt::ShiftModifier);  // stops at the last row
  EXPECT_EQ(panel.profileLine(), QLineF(0, 31, 31, 31));
  QTest::keyClick(&panel, Qt::Key_Right);  // the ends already touch both sides
  EXPECT_EQ(panel.profileLine(), QLineF(0, 31, 31, 31));
  QTest::keyClick(&panel, Qt::Key_Home);
  EXPECT_EQ(panel.profileLine(), QLineF(0, 16, 31, 16));
}

TEST_F(ProfileDrag, TheLineKeepsItsPlaceWhenTheMatrixChangesAndSetLinesAreClamped) {
  panel.setProfileLine(QLineF(-5, 3, 40, 31));
  EXPECT_EQ(panel.profileLine(), QLineF(0, 3, 31, 31));
  QSignalSpy spy(&panel, &ImagePanel::profileLineChanged);
  panel.setImage(ramp(63, 63), 63);  // 31 -> 62 pixel units
  EXPECT_EQ(panel.profileLine(), QLineF(0, 6, 62, 62));
  EXPECT_EQ(spy.count(), 1);
  panel.setImage(ramp(63, 63), 63);  // same size: the line stays, no signal
  EXPECT_EQ(spy.count(), 1);
}

TEST(ImagePanelSave, SavingWritesThePanelAsShownAndAFailedSaveSaysSo) {
  ImagePanel panel(QStringLiteral("誤差画像"));
  panel.resize(220, 200);
  panel.setImage(ramp(16, 16), 16);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_EQ(panel.savePicture(dir.filePath("error")), QString());  // ".png" added
  const QImage back(dir.filePath("error.png"), "PNG");
  ASSERT_FALSE(back.isNull());
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), panel.picture());
  EXPECT_EQ(back.size(), QSize(220, 200));

  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
  for (const QString& bad : {dir.filePath("no/such/dir/a.png"), dir.filePath("taken.png"), QString()}) {
    SCOPED_TRACE(bad.toStdString());
    EXPECT_FALSE(panel.savePicture(bad).isEmpty());
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("no")));
}

TEST(ImagePanelSave, ARightClickOffersToSaveThePictureAndToResetTheLine) {
  ImagePanel panel(QStringLiteral("再構成画像"));
  panel.setObjectName(QStringLiteral("slice"));
  EXPECT_EQ(panel.saveName(), QStringLiteral("slice"));
  panel.resize(200, 200);
  panel.setImage(ramp(16, 16), 16);
  panel.show();
  for (bool profile : {false, true}) {
    SCOPED_TRACE(profile);
    panel.setProfileEnabled(profile);
    QStringList entries;
    QTimer::singleShot(0, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* a : menu->actions()) entries << a->text();
        menu->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50), panel.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&panel, &event);
    QStringList expected{QStringLiteral("画像を保存...")};
    if (profile) expected << QStringLiteral("プロファイル線を中央の行に戻す");
    EXPECT_EQ(entries, expected);
  }
}

}  // namespace
}  // namespace lumo::lab
