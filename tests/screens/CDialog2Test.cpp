// The overview of image reconstruction: projections, back-projection smears and their sum,
// handed on through the document's image storage, on the real widgets.
#include <gtest/gtest.h>

#include <array>

#include "app/ScreenView.h"
#include "model/ProjectionSmears.h"
#include "StretchedImageCheck.h"

namespace lumo {
namespace {

namespace colors = draw::colors;
using model::ImageStore;

constexpr int kPanel = 1007, kProjections = 1008, kBackProjection = 1018, kReconstruction = 1019;
constexpr int kStage1 = 1003, kStage2 = 1006, kStage3 = 1011, kNext = 1020;

constexpr std::array<int, 12> kSeries = {136, 138, 139, 140, 141, 142,
                                         143, 144, 145, 146, 147, 148};

// Each test starts from the storage of a fresh document.
class CDialog2Test : public ::testing::Test {
 protected:
  void SetUp() override { theDocumentImages() = ImageStore{}; }
  void TearDown() override { theDocumentImages() = ImageStore{}; }
  ImageStore& store() { return theDocumentImages(); }
};

// A pixel (x, y) of the centred 128 x 128 grid of a frame.
draw::Color gridPixel(const ScreenView& view, int frameId, int x, int y) {
  const PixelRect r = view.frameRect(frameId);
  return view.framePixel(frameId, r.width() / 2 + x, r.height() / 2 + y);
}

// Distinct colours for profile k, entry n.
draw::Color profileColour(int k, int n) { return draw::rgb(n * 2, 10 + k * 20, 255 - n); }

void fillProfiles(ImageStore& store) {
  for (int k = 0; k < 12; ++k)
    for (int n = 0; n < 128; ++n) model::profileEntry(store, k, n) = profileColour(k, n);
}

TEST_F(CDialog2Test, StageOneShowsTheSeriesAndKeepsRow100AsEachProfile) {
  ScreenView view("CDialog2");
  ASSERT_TRUE(view.press(kStage1));
  // The last projection (330 degrees) stays in the frame.
  EXPECT_EQ(stretchedMismatches(view, kProjections, {148, 0, 0, 229, 229}), 0);
  // Profile 11 is row 100 of the grid as displayed.
  for (int x = -64; x < 64; ++x)
    EXPECT_EQ(model::profileEntry(store(), 11, x + 64), gridPixel(view, kProjections, x, 36)) << x;
  // Every profile is row 100 of its own projection as the surface shows it.
  for (int k = 0; k < 12; ++k) {
    draw::Canvas reference(200, 200);
    draw::Surface s(reference, 0, 0, 200, 200);
    s.setup(draw::Setup::Centred);
    s.stretchBitmap(kSeries[static_cast<std::size_t>(k)], 0, 0, 229, 229, -64, -64, 128, 128);
    int wrong = 0;
    for (int x = -64; x < 64; ++x)
      if (model::profileEntry(store(), k, x + 64) != s.pixel(x, 36)) ++wrong;
    EXPECT_EQ(wrong, 0) << "profile " << k;
  }
  // The panel: light-yellow band, blue heading; the other frames are untouched.
  EXPECT_EQ(view.framePixel(kPanel, 5, 5), colors::lightYellow);
  EXPECT_EQ(view.framePixel(kPanel, 569, 119), colors::lightYellow);
  EXPECT_EQ(view.framePixel(kPanel, 570, 119), colors::silver);
  EXPECT_EQ(centredSquareCount(view, kBackProjection, colors::silver), 128 * 128);
  EXPECT_EQ(centredSquareCount(view, kReconstruction, colors::silver), 128 * 128);
}

TEST_F(CDialog2Test, StageTwoSmearsEachProfileAlongItsAngle) {
  fillProfiles(store());
  ScreenView view("CDialog2");
  ASSERT_TRUE(view.press(kStage2));

  // Which profile entry pixel (x, y) of smear k holds at the axis angles (-1: white,
  // left from the wipe of the angle before).
  struct Case {
    int k;
    int (*entry)(int x, int y);
  };
  const Case cases[] = {
      {0, [](int x, int) { return x + 64; }},                      // vertical stripes
      {3, [](int, int y) { return y + 64; }},                      // horizontal stripes
      {6, [](int x, int) { return x == -64 ? -1 : 64 - x; }},      // mirrored, left column out
      {9, [](int, int y) { return y == -64 ? -1 : 64 - y; }},      // mirrored, top row out
  };
  for (const Case& c : cases) {
    int wrong = 0;
    for (int x = -64; x < 64; ++x)
      for (int y = -64; y < 64; ++y) {
        const int n = c.entry(x, y);
        const draw::Color expected = n < 0 ? colors::white : profileColour(c.k, n);
        if (model::smearAt(store(), c.k, x, y) != expected) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << "smear " << c.k;
  }

  // An oblique smear leaves the corners white; the last smear stays on screen.
  EXPECT_EQ(model::smearAt(store(), 1, 63, 63), colors::white);
  EXPECT_EQ(model::smearAt(store(), 1, 0, 0), profileColour(1, 64));
  int differs = 0;
  for (int x = -64; x < 64; ++x)
    for (int y = -64; y < 64; ++y)
      if (gridPixel(view, kBackProjection, x, y) != model::smearAt(store(), 11, x, y)) ++differs;
  EXPECT_EQ(differs, 0);
  EXPECT_EQ(gridPixel(view, kBackProjection, 0, 0), profileColour(11, 64));
}

TEST_F(CDialog2Test, StagesContinueFromAnEarlierVisit) {
  {
    ScreenView first("CDialog2");
    ASSERT_TRUE(first.press(kStage1));
  }
  ScreenView second("CDialog2");
  ASSERT_TRUE(second.press(kStage2));
  // Smear 0 is profile 0 (the earlier visit's) in vertical stripes.
  int wrong = 0, coloured = 0;
  for (int x = -64; x < 64; ++x) {
    if (model::profileEntry(store(), 0, x + 64) != colors::white) ++coloured;
    for (int y = -64; y < 64; ++y)
      if (model::smearAt(store(), 0, x, y) != model::profileEntry(store(), 0, x + 64)) ++wrong;
  }
  EXPECT_GT(coloured, 0);
  EXPECT_EQ(wrong, 0);
}

TEST_F(CDialog2Test, StageTwoBeforeAnyStageOneEndsWhite) {
  ScreenView view("CDialog2");
  ASSERT_TRUE(view.press(kStage2));
  EXPECT_EQ(centredSquareCount(view, kBackProjection, colors::white), 128 * 128);
}

TEST_F(CDialog2Test, StageThreeBeforeAnyStageTwoIsDarkGrey) {
  ScreenView view("CDialog2");
  ASSERT_TRUE(view.press(kStage3));
  EXPECT_EQ(centredSquareCount(view, kReconstruction, 0x0C0C0Cu), 128 * 128);
  // The hint after the red line.
  bool hint = false;
  for (int x = 510; x < 569 && !hint; ++x)
    for (int y = 95; y < 108 && !hint; ++y) hint = view.framePixel(kPanel, x, y) == colors::blue;
  EXPECT_TRUE(hint);
}

TEST_F(CDialog2Test, StageThreeDrawsTheSumTransposed) {
  // Smear k at (x, y) holds 255 * (k + 1) * ((x + 64) + 256 (y + 64)): the sum at (x, y) is
  // 78 * ((x + 64) + 256 (y + 64)), which is drawn at (y, x).
  for (int k = 0; k < 12; ++k)
    for (int x = -64; x < 64; ++x)
      for (int y = -64; y < 64; ++y)
        model::smearAt(store(), k, x, y) = 255u * (k + 1) * ((x + 64) + 256u * (y + 64));
  ScreenView view("CDialog2");
  ASSERT_TRUE(view.press(kStage3));
  auto sumAt = [](int x, int y) { return 78u * ((x + 64) + 256u * (y + 64)); };
  int wrong = 0;
  for (int x = -64; x < 64; ++x)
    for (int y = -64; y < 64; ++y)
      if (gridPixel(view, kReconstruction, y, x) != sumAt(x, y)) ++wrong;
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(gridPixel(view, kReconstruction, -64, 63), sumAt(63, -64));
  EXPECT_NE(gridPixel(view, kReconstruction, -64, 63), sumAt(-64, 63));
}

TEST_F(CDialog2Test, NextPaintsTheFourFramesSilverBeforeTheTransfer) {
  ScreenView view("CDialog2");
  for (int id : {kStage1, kStage2, kStage3}) ASSERT_TRUE(view.press(id));
  ASSERT_EQ(centredSquareCount(view, kReconstruction, colors::silver), 0);
  ASSERT_TRUE(view.press(kNext));
  EXPECT_EQ(view.successor(), "CDialog3");
  for (int id : {kProjections, kBackProjection, kReconstruction})
    EXPECT_EQ(centredSquareCount(view, id, colors::silver), 128 * 128) << id;
  int notSilver = 0;
  for (int x = 5; x <= 569; ++x)
    for (int y = 5; y <= 119; ++y)
      if (view.framePixel(kPanel, x, y) != colors::silver) ++notSilver;
  EXPECT_EQ(notSilver, 0);
}

}  // namespace
}  // namespace lumo
