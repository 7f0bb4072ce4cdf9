// The frequency and real-space page: a Butterworth filter and a three-value kernel, each
// in both domains, on the real widgets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/ScreenView.h"
#include "support/FramePixels.h"

namespace lumo {
namespace {
using lumo::test::anyColourIn;
using lumo::test::countColour;

namespace colors = draw::colors;
using Point = std::pair<int, int>;

constexpr int kDisplay = 1003, kErase = 1006, kFreq = 1007, kReal = 1008, kCutoff = 1009,
              kOrder = 1010, kLowpass = 1011, kCentre = 1012, kMinus = 1013, kPlus = 1014;

void butterworth(ScreenView& view, const std::string& order, const std::string& cutoff) {
  view.setText(kOrder, order);
  view.setText(kCutoff, cutoff);
  ASSERT_TRUE(view.press(kDisplay));
}

// Typed as on the page, left to right: under "-1", "０" and "１".
void lowpass(ScreenView& view, const std::string& minus, const std::string& centre,
             const std::string& plus) {
  view.setText(kMinus, minus);
  view.setText(kCentre, centre);
  view.setText(kPlus, plus);
  ASSERT_TRUE(view.press(kLowpass));
}

void expectFurniture(const ScreenView& view) {
  const std::vector<Point> freqBlack = {{30, 230}, {239, 230}, {30, 100}, {30, 180}, {34, 130}};
  for (auto [x, y] : freqBlack) EXPECT_EQ(view.framePixel(kFreq, x, y), colors::black) << x << "," << y;
  EXPECT_NE(view.framePixel(kFreq, 240, 230), colors::black);
  EXPECT_NE(view.framePixel(kFreq, 35, 130), colors::black);
  std::vector<Point> realBlack = {{30, 230}, {239, 230}, {130, 50}, {130, 200}};
  for (int x = 30; x <= 240; x += 10)
    if (x != 130) realBlack.push_back({x, 226});
  for (auto [x, y] : realBlack) EXPECT_EQ(view.framePixel(kReal, x, y), colors::black) << x << "," << y;
  EXPECT_NE(view.framePixel(kReal, 250, 226), colors::black);  // ticks stop at offset +11

  struct Label { int frame, x, y, w; const char* text; };
  const Label labels[] = {{kFreq, 5, 123, 20, "1.0"},   {kFreq, 215, 235, 20, "0.5"},
                          {kFreq, 50, 245, 150, "frequency(cycles/pixel)"},
                          {kFreq, 90, 10, 80, "周波数特性"}, {kReal, 30, 245, 35, "pixel"},
                          {kReal, 210, 245, 35, "pixel"},   {kReal, 90, 10, 80, "実空間分布"}};
  for (const Label& l : labels)
    EXPECT_TRUE(anyColourIn(view, l.frame, l.x, l.y, l.x + l.w, l.y + 16, colors::black)) << l.text;
}

TEST(CPageA2, EveryButtonDrawsTheFurniture) {
  for (int button : {kDisplay, kLowpass, kErase}) {
    SCOPED_TRACE(button);
    ScreenView view("CPageA2");
    ASSERT_TRUE(view.press(button));
    expectFurniture(view);
    EXPECT_EQ(countColour(view, kFreq, colors::blue), 0);
    EXPECT_EQ(countColour(view, kReal, colors::red), 0);
  }
}

struct ButterworthCase {
  const char* order;
  const char* cutoff;
  std::vector<Point> blue;  // frequency curve, frame 1007
  std::vector<Point> red;   // real-space curve, frame 1008
};

TEST(CPageA2, ButterworthInBothDomains) {
  const ButterworthCase cases[] = {
      {"8", "0.1",
       {{30, 130}, {42, 130}, {48, 130}, {60, 142}, {66, 167}, {72, 197}, {102, 229}, {216, 229}},
       // peak, the deepest lobe at +-7, below the axis at +-6 .. +-9
       {{130, 164}, {60, 238}, {200, 238}, {70, 237}, {190, 237}, {50, 236}, {210, 236},
        {40, 233}, {220, 233}, {180, 230}}},
      {"8", "0.25", {{30, 130}, {120, 167}, {126, 180}}, {{130, 65}, {100, 250}, {160, 250}}},
      {"2", "0.5", {{30, 130}, {126, 150}, {216, 178}}, {{120, 193}, {140, 193}}},
  };
  for (const ButterworthCase& c : cases) {
    SCOPED_TRACE(std::string(c.order) + " / " + c.cutoff);
    ScreenView view("CPageA2");
    butterworth(view, c.order, c.cutoff);
    for (auto [x, y] : c.blue) EXPECT_EQ(view.framePixel(kFreq, x, y), colors::blue) << x << "," << y;
    for (auto [x, y] : c.red) EXPECT_EQ(view.framePixel(kReal, x, y), colors::red) << x << "," << y;
    // 33 points up to x = 222 (not drawn); 25 points from offset -12 to +12 (x = 250, not drawn).
    EXPECT_FALSE(anyColourIn(view, kFreq, 222, 0, 254, 300, colors::blue));
    EXPECT_FALSE(anyColourIn(view, kReal, 250, -100, 254, 300, colors::red));
    EXPECT_TRUE(anyColourIn(view, kReal, 10, 200, 11, 260, colors::red));
    EXPECT_FALSE(anyColourIn(view, kReal, 0, -100, 10, 300, colors::red));
  }
}

TEST(CPageA2, AWideButterworthKernelLeavesTheFrameUpward) {
  ScreenView view("CPageA2");
  butterworth(view, "2", "0.5");
  // The peak lands at y = -21, on the face above the frame, and the lines up to it cross
  // the frame's top edge.
  EXPECT_EQ(view.framePixel(kReal, 130, -21), colors::red);
  EXPECT_TRUE(anyColourIn(view, kReal, 120, -1, 141, 0, colors::red));
  EXPECT_TRUE(anyColourIn(view, kReal, 120, -10, 141, -9, colors::red));
  EXPECT_FALSE(anyColourIn(view, kReal, 120, -40, 141, -22, colors::red));
}

TEST(CPageA2, ButterworthNeedsCutoffAndOrderAbove001) {
  const std::pair<const char*, const char*> cases[] = {
      {"8", "0.01"}, {"0.01", "0.25"}, {"", ""}, {"8", "abc"}, {"-2", "0.25"}, {"8", "1e999"}};
  for (auto [order, cutoff] : cases) {
    SCOPED_TRACE(std::string(order) + " / " + cutoff);
    ScreenView view("CPageA2");
    butterworth(view, order, cutoff);
    expectFurniture(view);
    EXPECT_EQ(countColour(view, kFreq, colors::blue), 0);
    EXPECT_EQ(countColour(view, kReal, colors::red), 0);
  }
  ScreenView view("CPageA2");
  butterworth(view, "0.02", "0.02");  // just above both limits
  EXPECT_GT(countColour(view, kFreq, colors::blue), 0);
}

struct KernelCase {
  const char *minus, *centre, *plus;
  std::vector<Point> red;     // stem pixels, frame 1008
  std::vector<Point> notRed;  // just above each stem's top (its end point)
  std::vector<Point> blue;    // response pixels, frame 1007
  int lastX;                  // the response's last point (not drawn); 0 when there is none
};

TEST(CPageA2, KernelStemsAndResponse) {
  const KernelCase cases[] = {
      // full band: 33 points to (222, 229)
      {"1", "2", "1", {{130, 131}, {140, 181}, {120, 181}, {130, 229}},
       {{130, 130}, {140, 180}, {120, 180}}, {{30, 130}, {126, 180}, {216, 229}}, 222},
      // 22 points to (156, 228), before the response would reach 0 at 1/3 cycle/pixel
      {"1", "1", "1", {{130, 164}, {140, 164}, {120, 164}}, {{130, 163}, {140, 163}, {120, 163}},
       {{30, 130}, {150, 222}}, 156},
      {"2", "3", "2", {{130, 145}, {140, 173}, {120, 173}}, {{130, 144}, {140, 172}, {120, 172}},
       {{30, 130}, {150, 209}}, 156},
      // a centre below its neighbours: stems only
      {"2", "1", "2", {{130, 191}, {140, 151}, {120, 151}}, {{130, 190}, {140, 150}, {120, 150}}, {}, 0},
      // the value under "１" stands at offset -1 (x = 120), the one under "-1" at +1
      {"1", "4", "2", {{130, 116}, {120, 173}, {140, 202}}, {{130, 115}, {120, 172}, {140, 201}},
       {{30, 130}, {162, 196}, {216, 215}}, 222},
      // all negative: the normalised values are positive, so stems, but no response
      {"-1", "-2", "-1", {{130, 131}, {140, 181}, {120, 181}}, {{130, 130}, {140, 180}}, {}, 0},
  };
  for (const KernelCase& c : cases) {
    SCOPED_TRACE(std::string(c.minus) + " " + c.centre + " " + c.plus);
    ScreenView view("CPageA2");
    lowpass(view, c.minus, c.centre, c.plus);
    for (auto [x, y] : c.red) EXPECT_EQ(view.framePixel(kReal, x, y), colors::red) << x << "," << y;
    for (auto [x, y] : c.notRed) EXPECT_NE(view.framePixel(kReal, x, y), colors::red) << x << "," << y;
    for (auto [x, y] : c.blue) EXPECT_EQ(view.framePixel(kFreq, x, y), colors::blue) << x << "," << y;
    // Red only in the three stem columns.
    for (int x = 0; x < view.frameRect(kReal).width(); ++x)
      if (x != 120 && x != 130 && x != 140) {
        EXPECT_FALSE(anyColourIn(view, kReal, x, 0, x + 1, 270, colors::red)) << x;
      }
    if (c.lastX == 0) {
      EXPECT_EQ(countColour(view, kFreq, colors::blue), 0);
    } else {
      EXPECT_TRUE(anyColourIn(view, kFreq, c.lastX - 1, 0, c.lastX, 300, colors::blue));
      EXPECT_FALSE(anyColourIn(view, kFreq, c.lastX, 0, 254, 300, colors::blue));
    }
  }
}

TEST(CPageA2, AKernelSummingToZeroDrawsOnlyTheFurniture) {
  const std::vector<std::vector<std::string>> cases = {
      {"", "", ""}, {"1", "-2", "1"}, {"1", "0", "-1"}, {"-1", "1", "0"}, {"1e999", "1", "1"}};
  ScreenView erased("CPageA2");
  ASSERT_TRUE(erased.press(kErase));
  for (const auto& k : cases) {
    SCOPED_TRACE(k[0] + " " + k[1] + " " + k[2]);
    ScreenView view("CPageA2");
    ASSERT_TRUE(view.press(kErase));
    lowpass(view, k[0], k[1], k[2]);
    // Not one pixel differs from the freshly erased page: no stem, no curve, and no
    // stray mark from an infinite or undefined coordinate anywhere on the page.
    EXPECT_TRUE(view.canvas().image() == erased.canvas().image());
  }
}

TEST(CPageA2, CurvesOfBothKindsAccumulateUntilErased) {
  ScreenView view("CPageA2");
  butterworth(view, "8", "0.1");
  butterworth(view, "8", "0.25");
  lowpass(view, "1", "2", "1");
  EXPECT_EQ(view.framePixel(kReal, 130, 131), colors::red);   // kernel stem
  EXPECT_EQ(view.framePixel(kReal, 60, 238), colors::red);    // order 8, fc 0.1
  EXPECT_EQ(view.framePixel(kReal, 100, 250), colors::red);   // order 8, fc 0.25
  EXPECT_EQ(view.framePixel(kFreq, 66, 167), colors::blue);   // fc 0.1
  EXPECT_EQ(view.framePixel(kFreq, 120, 167), colors::blue);  // fc 0.25
  EXPECT_EQ(view.framePixel(kFreq, 126, 180), colors::blue);  // kernel 1-2-1

  const QImage before = view.canvas().image().copy();
  lowpass(view, "1", "2", "1");
  EXPECT_TRUE(view.canvas().image() == before);  // the same kernel again changes nothing

  ASSERT_TRUE(view.press(kErase));
  EXPECT_EQ(countColour(view, kFreq, colors::blue), 0);
  EXPECT_EQ(countColour(view, kReal, colors::red), 0);
  EXPECT_EQ(view.framePixel(kReal, 60, 200), colors::silver);
  expectFurniture(view);
  EXPECT_EQ(view.text(kCentre), "2");
  EXPECT_EQ(view.text(kCutoff), "0.25");
}

TEST(CPageA2, TitleBandIsWhiteOnTitleBlue) {
  ScreenView view("CPageA2");
  const ControlColour title = view.screen()->OnTitleColor(1002, ControlKind::Static);
  EXPECT_EQ(title.text, colors::white);
  EXPECT_EQ(title.background, colors::titleBlue);
  for (int id : {1009, 1010, 1012, 1013, 1014}) {
    const ControlColour edit = view.screen()->OnTitleColor(id, ControlKind::Edit);
    EXPECT_FALSE(edit.text.has_value() || edit.background.has_value()) << id;
  }
}

}  // namespace
}  // namespace lumo
