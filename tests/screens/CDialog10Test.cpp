// Projection data and reconstructed image: both clinical images on black, captions on the
// dialog face above the frames, and the explanation, on the real widgets.
#include <gtest/gtest.h>

#include "app/ScreenView.h"
#include "support/FramePixels.h"
#include "StretchedImageCheck.h"

namespace lumo {
namespace {
using lumo::test::countIn;

namespace colors = draw::colors;

constexpr int kExplain = 1003, kPanel = 1007, kProjection = 1008, kSlice = 1018;

TEST(CDialog10, FramesAreEmptyBeforeTheExplanation) {
  ScreenView view("CDialog10");
  for (int id : {kPanel, kProjection, kSlice}) {
    const PixelRect r = view.frameRect(id);
    EXPECT_EQ(countIn(view, id, 0, 0, r.width(), r.height(), colors::silver), r.width() * r.height())
        << id;
  }
}

TEST(CDialog10, ExplanationShowsBothImagesOnBlackWithCaptionsAndText) {
  ScreenView view("CDialog10");
  ASSERT_TRUE(view.press(kExplain));

  struct Case {
    int frameId;
    SourceRect source;
    int captionX;  // caption's left edge relative to the centre
  };
  const Case cases[] = {
      {kProjection, {157, 0, 0, 150, 150}, -70},
      {kSlice, {162, 20, 20, 180, 180}, -40},
  };
  for (const Case& c : cases) {
    const PixelRect r = view.frameRect(c.frameId);
    EXPECT_EQ(stretchedMismatches(view, c.frameId, c.source), 0) << c.frameId;
    // Black around the 128 x 128 square, to every edge of the frame.
    const int left = r.width() / 2 - 64, top = r.height() / 2 - 64;
    EXPECT_EQ(countIn(view, c.frameId, 0, 0, r.width(), top, colors::black), r.width() * top);
    EXPECT_EQ(countIn(view, c.frameId, 0, 0, left, r.height(), colors::black), left * r.height());
    EXPECT_EQ(view.framePixel(c.frameId, r.width() - 1, r.height() - 1), colors::black);
    // The red caption lies wholly above the frame, on silver cells.
    const int captionTop = r.height() / 2 - 100;
    ASSERT_LT(captionTop + 15, 0);
    const int cx = r.width() / 2 + c.captionX;
    EXPECT_GT(countIn(view, c.frameId, cx, captionTop, cx + 120, captionTop + 15, colors::red), 20);
    EXPECT_EQ(view.framePixel(c.frameId, cx, captionTop), colors::silver);
  }

  // The panel: light yellow from -280..279 x -93..94 around the centre, silver outside.
  const PixelRect p = view.frameRect(kPanel);
  const int cx = p.width() / 2, cy = p.height() / 2;
  EXPECT_EQ(view.framePixel(kPanel, cx - 280, cy - 93), colors::lightYellow);
  EXPECT_EQ(view.framePixel(kPanel, cx + 279, cy + 94), colors::lightYellow);
  EXPECT_EQ(view.framePixel(kPanel, cx - 281, cy), colors::silver);
  EXPECT_EQ(view.framePixel(kPanel, cx, cy + 95), colors::silver);
  // Blue heading, black body, red lead-on line.
  EXPECT_GT(countIn(view, kPanel, cx - 150, cy - 70, cx + 150, cy - 52, colors::blue), 50);
  EXPECT_GT(countIn(view, kPanel, cx - 220, cy - 40, cx + 250, cy + 73, colors::black), 500);
  EXPECT_GT(countIn(view, kPanel, cx - 180, cy + 80, cx + 200, cy + 93, colors::red), 100);
  EXPECT_EQ(countIn(view, kPanel, cx - 280, cy - 93, cx + 280, cy + 95, colors::white), 0);
}

TEST(CDialog10, PressingTwiceGivesTheSamePicture) {
  ScreenView view("CDialog10");
  ASSERT_TRUE(view.press(kExplain));
  const QImage once = view.canvas().image().copy();
  ASSERT_TRUE(view.press(kExplain));
  EXPECT_TRUE(view.canvas().image() == once);
}

}  // namespace
}  // namespace lumo
