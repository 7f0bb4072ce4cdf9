// The point-source screens on the real widgets: the tutorial's central point (CDialog4),
// the one- or two-point experiment with wide and narrow strips (CDialog8) and its
// workbench twin (CPageA4).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ScreenView.h"
#include "support/FramePixels.h"

namespace lumo {
namespace {
using lumo::test::countColour;

namespace colors = draw::colors;

constexpr draw::Color red(int level) { return draw::rgb(level, 0, 0); }

// What a frame shows at grid point (x, y), drawn at logical (x - 64, y - 64) of the
// centred mirrored set-up.
draw::Color gridPixel(ScreenView& view, int frameId, int x, int y) {
  draw::Surface s = view.frame(frameId);
  s.setup(draw::Setup::CentredMirrored);
  return s.pixel(x - 64, y - 64);
}

int countRedShades(ScreenView& view, int frameId) {
  const PixelRect r = view.frameRect(frameId);
  int n = 0;
  for (int x = 0; x < r.width(); ++x)
    for (int y = 0; y < r.height(); ++y) {
      const draw::Color c = view.framePixel(frameId, x, y);
      if (draw::greenOf(c) == 0 && draw::blueOf(c) == 0 && draw::redOf(c) > 0) ++n;
    }
  return n;
}

// The axes and labels of a blank image frame, and nothing back-projected in it.
void expectBlankImage(ScreenView& view, int frameId, const std::string& what) {
  EXPECT_EQ(gridPixel(view, frameId, 64, 64), colors::lightYellow) << what << " centre";
  EXPECT_EQ(gridPixel(view, frameId, 30, 64), colors::lightYellow) << what;
  EXPECT_EQ(gridPixel(view, frameId, 64, 0), colors::black) << what << " horizontal axis";
  EXPECT_EQ(gridPixel(view, frameId, 0, 64), colors::black) << what << " vertical axis";
  EXPECT_EQ(countRedShades(view, frameId), 0) << what;
  EXPECT_GT(countColour(view, frameId, colors::black), 200) << what << " axes and labels";
}

// ---------------------------------------------------------------------------------------
// CDialog4: the central point.

constexpr int kD4Image = 1007, kD4Text = 1008, kD4Step = 1009, kD4Run = 1003;

struct CentralCase {
  const char* step;
  draw::Color centre;
  draw::Color vertical;    // grid point (64, 20), on the line of angle 0
  draw::Color horizontal;  // grid point (20, 64), on the line of angle 90
  draw::Color diagonal;    // grid point (94, 94), on the line of angle 135
  std::optional<draw::Color> off;  // grid point (80, 101), on no line of 45-degree steps
};

TEST(CDialog4, BackProjectionOfTheCentralPoint) {
  const draw::Color none = colors::lightYellow;
  const CentralCase cases[] = {
      {"90", red(200), red(100), red(100), none, none},
      {"45", red(144), red(100), red(100), red(100), none},
      {"400", red(50), red(50), none, none, none},
      {"360", red(50), red(50), none, none, none},
      // 360 lines: the centre's 360 hits wrap to 80; every point lies on some line.
      {"1", red(80), red(100), red(100), red(100), std::nullopt},
      // Runs as step 2 (180 angles): 45 degrees is not among them.
      {"2.9", red(40), red(100), red(100), none, std::nullopt},
  };
  for (const CentralCase& c : cases) {
    ScreenView view("CDialog4");
    view.setText(kD4Step, c.step);
    ASSERT_TRUE(view.press(kD4Run));
    EXPECT_EQ(gridPixel(view, kD4Image, 64, 64), c.centre) << "step " << c.step;
    EXPECT_EQ(gridPixel(view, kD4Image, 64, 20), c.vertical) << "step " << c.step;
    EXPECT_EQ(gridPixel(view, kD4Image, 20, 64), c.horizontal) << "step " << c.step;
    EXPECT_EQ(gridPixel(view, kD4Image, 94, 94), c.diagonal) << "step " << c.step;
    if (c.off) {
      EXPECT_EQ(gridPixel(view, kD4Image, 80, 101), *c.off) << "step " << c.step;
    }
  }
}

TEST(CDialog4, StepsThatNeverReach360DrawAxesAndTextOnly) {
  for (const char* step : {"0", "-5", "0.5", "abc", "", "1e12", "1e999", "-1e12"}) {
    ScreenView view("CDialog4");
    view.setText(kD4Step, step);
    ASSERT_TRUE(view.press(kD4Run));  // returns: no endless angle loop
    expectBlankImage(view, kD4Image, std::string("step \"") + step + "\"");
    EXPECT_EQ(view.framePixel(kD4Text, 3, 3), colors::lightYellow);
    EXPECT_GT(countColour(view, kD4Text, colors::blue), 50) << "heading";
    EXPECT_GT(countColour(view, kD4Text, colors::black), 500) << "body text";
  }
}

TEST(CDialog4, ExplanationSitsOnLightYellowWithItsHeadingAndBody) {
  ScreenView view("CDialog4");
  view.setText(kD4Step, "90");
  ASSERT_TRUE(view.press(kD4Run));
  const PixelRect r = view.frameRect(kD4Text);
  ASSERT_EQ(r.width(), 289);
  ASSERT_EQ(r.height(), 300);
  // Heading at (50, 15), cell height 18: blue only in its band.
  bool blueInBand = false, blueElsewhere = false, blackAbove = false;
  int notYellowBelowText = 0;
  for (int x = 0; x < r.width(); ++x)
    for (int y = 0; y < r.height(); ++y) {
      const draw::Color c = view.framePixel(kD4Text, x, y);
      if (c == colors::blue) (y >= 15 && y < 33 && x >= 50 ? blueInBand : blueElsewhere) = true;
      if (c == colors::black && y < 50) blackAbove = true;
      if (y >= 230 && c != colors::lightYellow) ++notYellowBelowText;
    }
  EXPECT_EQ(notYellowBelowText, 0);
  EXPECT_TRUE(blueInBand);
  EXPECT_FALSE(blueElsewhere);
  EXPECT_FALSE(blackAbove);  // the body starts at y = 50
  EXPECT_EQ(view.framePixel(kD4Text, 10, 60), colors::lightYellow);  // left margin
}

TEST(CDialog4, EachPressStartsAfresh) {
  ScreenView fresh("CDialog4");
  fresh.setText(kD4Step, "90");
  fresh.press(kD4Run);

  ScreenView again("CDialog4");
  again.setText(kD4Step, "1");
  again.press(kD4Run);
  again.setText(kD4Step, "90");
  again.press(kD4Run);
  again.press(kD4Run);
  EXPECT_TRUE(again.canvas().image() == fresh.canvas().image());
}

TEST(CDialog4, TitleBandAndNavigation) {
  ScreenView view("CDialog4");
  const ControlColour title = view.screen()->OnTitleColor(1001, ControlKind::Static);
  EXPECT_EQ(title.text, colors::white);
  EXPECT_EQ(title.background, colors::titleBlue);
  EXPECT_FALSE(view.screen()->OnTitleColor(1009, ControlKind::Edit).background);
  EXPECT_FALSE(view.screen()->OnTitleColor(1008, ControlKind::Static).background);

  const struct {
    int button;
    const char* target;
  } routes[] = {{1011, "CDialog5"}, {1020, "CDialog3"}, {1021, "CDialog1"}};
  for (const auto& r : routes) {
    ScreenView v("CDialog4");
    ASSERT_TRUE(v.press(r.button));
    EXPECT_EQ(v.successor(), r.target);
  }
}

// ---------------------------------------------------------------------------------------
// CDialog8 and CPageA4: one or two points, wide and narrow strips.

constexpr int kOneWide = 1007, kTwoWide = 1008, kOneNarrow = 1018, kTwoNarrow = 1019;
constexpr int kOnePoint = 1015, kTwoPoints = 1016, kStep = 1009, kX1 = 1010, kY1 = 1012,
              kN1 = 1013, kX2 = 1014, kY2 = 1022, kN2 = 1023, kDisplay = 1003, kErase = 1006;
constexpr int kImageFrames[] = {kOneWide, kTwoWide, kOneNarrow, kTwoNarrow};

struct Entries {
  int radio;  // 0: none checked
  const char* step;
  const char* x1;
  const char* y1;
  const char* n1;
  const char* x2 = "";
  const char* y2 = "";
  const char* n2 = "";
};

void display(ScreenView& view, const Entries& e) {
  if (e.radio != 0) view.setChecked(e.radio, true);
  view.setText(kStep, e.step);
  view.setText(kX1, e.x1);
  view.setText(kY1, e.y1);
  view.setText(kN1, e.n1);
  view.setText(kX2, e.x2);
  view.setText(kY2, e.y2);
  view.setText(kN2, e.n2);
  ASSERT_TRUE(view.press(kDisplay));
}

class PointSourcePages : public ::testing::TestWithParam<const char*> {};

TEST_P(PointSourcePages, OneCentralPointAtStep90) {
  ScreenView view(GetParam());
  display(view, {kOnePoint, "90", "64", "64", "100"});
  // Cross: wide 150 (two wide and one narrow deposit of 100 before the last wide one),
  // narrow 200; the centre's sums 700 and 800 wrap to 94 and 144.
  for (auto [x, y] : {std::pair{64, 20}, {64, 110}, {20, 64}, {110, 64}}) {
    EXPECT_EQ(gridPixel(view, kOneWide, x, y), red(150)) << x << "," << y;
    EXPECT_EQ(gridPixel(view, kOneNarrow, x, y), red(200)) << x << "," << y;
  }
  EXPECT_EQ(gridPixel(view, kOneWide, 64, 64), red(94));
  EXPECT_EQ(gridPixel(view, kOneNarrow, 64, 64), red(144));
  EXPECT_EQ(gridPixel(view, kOneWide, 90, 90), colors::lightYellow);
  expectBlankImage(view, kTwoWide, "two-point wide");
  expectBlankImage(view, kTwoNarrow, "two-point narrow");
}

struct RangeCase {
  Entries entries;
  bool drawn;
  const char* why;
};

// At a step of 360 or more only angle 0 runs: each source is the column x = X, red
// trunc(N / 2) in the wide frame and red N in the narrow one.
TEST_P(PointSourcePages, EntriesOutOfRangeLeaveTheFramesBlank) {
  const RangeCase cases[] = {
      {{kOnePoint, "400", "127", "64", "50"}, true, "coordinate 127"},
      {{kOnePoint, "400", "128", "64", "50"}, false, "coordinate 128"},
      {{kOnePoint, "400", "64", "128", "50"}, false, "Y 128"},
      {{kOnePoint, "400", "1", "1", "50"}, true, "coordinates 1"},
      {{kOnePoint, "400", "0", "64", "50"}, false, "X 0"},
      {{kOnePoint, "400", "64.9", "64", "50"}, true, "X 64.9 runs as 64"},
      {{kOnePoint, "400", "64", "64", "1"}, false, "one point, count 1"},
      {{kOnePoint, "400", "64", "64", "2"}, true, "one point, count 2"},
      {{kOnePoint, "400", "64", "64", "100"}, true, "count 100"},
      {{kOnePoint, "400", "64", "64", "101"}, false, "count 101"},
      {{kOnePoint, "0", "64", "64", "50"}, false, "step 0"},
      {{kOnePoint, "abc", "64", "64", "50"}, false, "step abc"},
      {{kOnePoint, "-90", "64", "64", "50"}, false, "negative step"},
      {{kOnePoint, "1e12", "64", "64", "50"}, false, "step beyond int"},
      {{kOnePoint, "400", "4294967360", "64", "50"}, false, "X that wraps to 64 as int"},
      {{kOnePoint, "400", "64", "64", "1e999"}, false, "infinite count"},
      {{0, "400", "64", "64", "50", "64", "64", "50"}, false, "no radio button"},
      {{kTwoPoints, "400", "40", "10", "1", "90", "100", "30"}, true, "two points, count 1"},
      {{kTwoPoints, "400", "40", "10", "30", "90", "100", "1"}, true, "second count 1"},
      {{kTwoPoints, "400", "40", "10", "30", "90", "100", "0"}, false, "second count 0"},
      {{kTwoPoints, "400", "40", "10", "101", "90", "100", "30"}, false, "first count 101"},
      {{kTwoPoints, "400", "40", "10", "30", "128", "100", "30"}, false, "X2 128"},
      {{kTwoPoints, "400", "40", "10", "30", "90", "0", "30"}, false, "Y2 0"},
      {{kTwoPoints, "0", "40", "10", "30", "90", "100", "30"}, false, "two points, step 0"},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.why);
    ScreenView view(GetParam());
    display(view, c.entries);
    const bool two = c.entries.radio == kTwoPoints;
    const int wide = two ? kTwoWide : kOneWide, narrow = two ? kTwoNarrow : kOneNarrow;
    if (!c.drawn) {
      for (int id : kImageFrames) expectBlankImage(view, id, "frame " + std::to_string(id));
      continue;
    }
    expectBlankImage(view, two ? kOneWide : kTwoWide, "other wide");
    expectBlankImage(view, two ? kOneNarrow : kTwoNarrow, "other narrow");
    const int x1 = static_cast<int>(std::stod(c.entries.x1));
    const int n1 = std::stoi(c.entries.n1);
    for (int y : {5, 64, 120}) {
      EXPECT_EQ(gridPixel(view, wide, x1, y), red(n1 / 2)) << "y " << y;
      EXPECT_EQ(gridPixel(view, narrow, x1, y), red(n1)) << "y " << y;
    }
    if (two) {
      const int n2 = std::stoi(c.entries.n2);
      EXPECT_EQ(gridPixel(view, wide, 90, 64), red(n2 / 2));
      EXPECT_EQ(gridPixel(view, narrow, 90, 64), red(n2));
    }
  }
}

TEST_P(PointSourcePages, EraseBlanksTheFourImageFrames) {
  ScreenView view(GetParam());
  display(view, {kTwoPoints, "10", "40", "50", "60", "90", "80", "70"});
  EXPECT_GT(countRedShades(view, kTwoWide), 500);
  ASSERT_TRUE(view.press(kErase));
  for (int id : kImageFrames) expectBlankImage(view, id, "frame " + std::to_string(id));
  // A second display replaces the picture: same as on a fresh screen.
  display(view, {kTwoPoints, "10", "40", "50", "60", "90", "80", "70"});
  ScreenView fresh(GetParam());
  display(fresh, {kTwoPoints, "10", "40", "50", "60", "90", "80", "70"});
  EXPECT_TRUE(view.canvas().image() == fresh.canvas().image());
}

TEST_P(PointSourcePages, TitleAndCaptionBands) {
  ScreenView view(GetParam());
  const Screen& s = *view.screen();
  const ControlColour title = s.OnTitleColor(1002, ControlKind::Static);
  EXPECT_EQ(title.text, colors::white);
  EXPECT_EQ(title.background, colors::titleBlue);
  for (int id : {1001, 1035, 1032, 1033}) {
    const ControlColour band = s.OnTitleColor(id, ControlKind::Static);
    EXPECT_EQ(band.text, colors::white) << id;
    EXPECT_EQ(band.background, colors::captionGrey) << id;
  }
  for (int id : {1009, 1010, 1023}) EXPECT_FALSE(s.OnTitleColor(id, ControlKind::Edit).text);
  EXPECT_FALSE(s.OnTitleColor(1002, ControlKind::Edit).background);
  EXPECT_FALSE(s.OnTitleColor(1007, ControlKind::Static).background);
}

INSTANTIATE_TEST_SUITE_P(Screens, PointSourcePages, ::testing::Values("CDialog8", "CPageA4"));

TEST(CDialog8, CrossingSourcesAdd) {
  // Step 90: source A (30, 64, 10) lies on column 30 and row 64, source B (64, 30, 20)
  // on column 64 and row 30. At (30, 30) A's column meets B's row: after A at 0 and 180
  // degrees (10 + 10 each) and B at 90 and 270 (20 + 20 each) the wide deposit leaves
  // 100, the narrow one 120.
  ScreenView view("CDialog8");
  display(view, {kTwoPoints, "90", "30", "64", "10", "64", "30", "20"});
  const struct {
    int x, y, wide, narrow;
  } points[] = {
      {30, 30, 50, 60},    // crossing
      {30, 100, 15, 20},   // A's column alone: 30 and 40
      {100, 30, 30, 40},   // B's row alone: 60 and 80
      {100, 64, 15, 20},   // A's row alone
      {64, 100, 30, 40},   // B's column alone
  };
  for (const auto& p : points) {
    EXPECT_EQ(gridPixel(view, kTwoWide, p.x, p.y), red(p.wide)) << p.x << "," << p.y;
    EXPECT_EQ(gridPixel(view, kTwoNarrow, p.x, p.y), red(p.narrow)) << p.x << "," << p.y;
  }
  expectBlankImage(view, kOneWide, "one-point wide");
}

TEST(CDialog8, Step30WideLinesAreThickerThanNarrow) {
  ScreenView view("CDialog8");
  display(view, {kOnePoint, "30", "64", "64", "100"});
  EXPECT_GT(countRedShades(view, kOneWide), countRedShades(view, kOneNarrow) + 100);
}

TEST(CDialog8, ExplanationPanel) {
  ScreenView view("CDialog8");
  display(view, {kOnePoint, "90", "64", "64", "100"});
  ASSERT_TRUE(view.press(1020));
  for (int id : kImageFrames) expectBlankImage(view, id, "frame " + std::to_string(id));

  const PixelRect r = view.frameRect(1024);
  // Border lines (0, 0)-(0, 430), (0, 0)-(260, 0), (0, 430)-(260, 430), (260, 0)-(260, 430):
  // end points not drawn.
  for (auto [x, y] : {std::pair{0, 0}, {0, 200}, {0, 429}, {130, 0}, {259, 0}, {0, 430},
                      {259, 430}, {260, 0}, {260, 429}})
    EXPECT_EQ(view.framePixel(1024, x, y), colors::black) << x << "," << y;
  EXPECT_EQ(view.framePixel(1024, 260, 430), colors::silver);
  EXPECT_EQ(view.framePixel(1024, 5, 5), colors::silver);

  // Heading red in its band (y 20..37); blue only for "操作方法" (y 100..111); red body
  // lines at y 360..411; black body text elsewhere.
  int redHeading = 0, redBody = 0, redOther = 0, blueIn = 0, blueOut = 0, black = 0;
  for (int x = 1; x < 260 && x < r.width(); ++x)
    for (int y = 1; y < 430 && y < r.height(); ++y) {
      const draw::Color c = view.framePixel(1024, x, y);
      if (c == colors::red) (y >= 20 && y < 38 ? redHeading : y >= 360 && y < 412 ? redBody : redOther)++;
      if (c == colors::blue) (y >= 100 && y < 112 ? blueIn : blueOut)++;
      if (c == colors::black) ++black;
    }
  EXPECT_GT(redHeading, 50);
  EXPECT_GT(redBody, 200);
  EXPECT_EQ(redOther, 0);
  EXPECT_GT(blueIn, 20);
  EXPECT_EQ(blueOut, 0);
  EXPECT_GT(black, 1500);

  // Erasing leaves the panel as it is.
  const QImage before = view.canvas().image().copy(r.left, r.top, r.width(), r.height());
  display(view, {kOnePoint, "90", "64", "64", "100"});
  ASSERT_TRUE(view.press(kErase));
  EXPECT_TRUE(view.canvas().image().copy(r.left, r.top, r.width(), r.height()) == before);
}

TEST(CDialog8, Navigation) {
  const struct {
    int button;
    const char* target;
  } routes[] = {{1011, "CDialog9"}, {1021, "CDialog7"}, {1030, "CDialog1"}};
  for (const auto& r : routes) {
    ScreenView v("CDialog8");
    ASSERT_TRUE(v.press(r.button));
    EXPECT_EQ(v.successor(), r.target);
  }
}

}  // namespace
}  // namespace lumo
