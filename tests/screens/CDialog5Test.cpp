// The reconstruction filter on a waveform: waveform, Ramp kernel and their convolution in
// the plot, explanation and operating steps in the panel, on the real widgets.
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

constexpr int kPanel = 1007, kPlot = 1008, kExplain = 1003, kDisplay = 1006, kErase = 1011,
              kHelp = 1020, kWaveform1 = 1015, kWaveform2 = 1016, kNoise = 1009;

// x of sample s on every row of the plot.
constexpr int sampleX(int s) { return 4 * s + 50; }

void expectPixels(const ScreenView& view, int frameId, const std::vector<Point>& points,
                  draw::Color c, const char* what) {
  for (auto [x, y] : points)
    EXPECT_EQ(view.framePixel(frameId, x, y), c) << what << " at " << x << "," << y;
}

void display(ScreenView& view, int waveform, const std::string& noise) {
  if (waveform != 0) view.setChecked(waveform, true);
  view.setText(kNoise, noise);
  ASSERT_TRUE(view.press(kDisplay));
}

// The filtered curve of waveform 1 without noise, drawn by "ON" and by the explanation.
void expectWaveform1Example(const ScreenView& view) {
  expectPixels(view, kPlot,
               {{sampleX(0), 95}, {sampleX(25), 95}, {sampleX(26), 50}, {sampleX(36), 50},
                {sampleX(37), 95}},
               colors::black, "waveform");
  // Ramp kernel centred at x = 150: h(0), h(+-1), even offsets, h(+-3).
  expectPixels(view, kPlot,
               {{150, 130}, {146, 200}, {154, 200}, {142, 180}, {158, 180}, {110, 180},
                {138, 182}, {162, 182}},
               colors::red, "kernel");
  expectPixels(view, kPlot,
               {{sampleX(25), 354}, {sampleX(37), 354}, {sampleX(26), 241}, {sampleX(36), 241}},
               colors::blue, "filtered");
  // On the pulse's inner samples the filtered curve stays between y = 286 and 292 (the
  // columns of samples 27 and 35 also hold the steep lines to the lobes).
  for (int s = 27; s <= 35; ++s)
    EXPECT_TRUE(anyColourIn(view, kPlot, sampleX(s), 286, sampleX(s) + 1, 293, colors::blue)) << s;
  for (int x = sampleX(28); x <= sampleX(34); ++x) {
    EXPECT_FALSE(anyColourIn(view, kPlot, x, 200, x + 1, 286, colors::blue)) << x;
    EXPECT_FALSE(anyColourIn(view, kPlot, x, 293, x + 1, 390, colors::blue)) << x;
  }
}

// Baselines at 100, 180 and 300 (end point 303 not drawn) and a glyph in each label.
void expectLayout(const ScreenView& view) {
  expectPixels(view, kPlot, {{50, 100}, {302, 100}, {50, 180}, {302, 180}, {302, 300}},
               colors::black, "baseline");
  EXPECT_NE(view.framePixel(kPlot, 303, 100), colors::black);
  const std::vector<Point> labels = {{10, 30}, {10, 120}, {10, 240}};
  for (auto [x, y] : labels)
    EXPECT_TRUE(anyColourIn(view, kPlot, x, y, x + 100, y + 16, colors::black)) << y;
}

TEST(CDialog5, Waveform1WithoutNoiseShowsPulseKernelAndFilteredLobes) {
  ScreenView view("CDialog5");
  display(view, kWaveform1, "0");
  expectLayout(view);
  expectWaveform1Example(view);
  // The arrow stands at (160, 130) with waveform 1.
  EXPECT_TRUE(anyColourIn(view, kPlot, 160, 130, 208, 146, colors::black));
  // "ON" draws no outline: the top row stays light yellow.
  EXPECT_EQ(view.framePixel(kPlot, 200, 0), colors::lightYellow);
}

TEST(CDialog5, NoiseAlternatesTheWaveformAndShakesTheFilteredCurve) {
  ScreenView view("CDialog5");
  display(view, kWaveform1, "10");
  // 5.5 and 4.5 on the background, 55 and 45 on the pulse.
  expectPixels(view, kPlot,
               {{sampleX(0), 94}, {sampleX(1), 95}, {sampleX(26), 45}, {sampleX(27), 55}},
               colors::black, "waveform");
  expectPixels(view, kPlot, {{sampleX(26), 222}, {sampleX(27), 310}}, colors::blue, "filtered");
}

TEST(CDialog5, Waveform2ShowsLobesAtBothEdgesOfStepAndPulse) {
  ScreenView view("CDialog5");
  display(view, kWaveform2, "");
  expectPixels(view, kPlot,
               {{sampleX(9), 324}, {sampleX(10), 274}, {sampleX(30), 276}, {sampleX(31), 327},
                {sampleX(37), 356}, {sampleX(38), 243}, {sampleX(54), 242}, {sampleX(55), 354}},
               colors::blue, "filtered");
  expectPixels(view, kPlot, {{sampleX(9), 95}, {sampleX(10), 75}, {sampleX(38), 50}},
               colors::black, "waveform");
  // The kernel is centred at x = 80 and spans offsets -12..12 only.
  expectPixels(view, kPlot, {{80, 130}, {76, 200}, {84, 200}, {72, 180}, {32, 180}},
               colors::red, "kernel");
  EXPECT_FALSE(anyColourIn(view, kPlot, 129, 0, 350, 390, colors::red));
  EXPECT_TRUE(anyColourIn(view, kPlot, 100, 130, 148, 146, colors::black));
}

// A refused press leaves the plot filled with light yellow and nothing else.
TEST(CDialog5, NoiseGuardAndMissingChoice) {
  struct Case {
    int waveform;
    const char* noise;
    bool drawn;
  };
  const Case cases[] = {
      {kWaveform1, "30", true},     {kWaveform1, "30.5", false}, {kWaveform2, "30.5", false},
      {kWaveform1, "-5", true},     {kWaveform1, "abc", true},   {kWaveform1, "1e999", false},
      {kWaveform1, "-1e999", false}, {0, "0", false},
  };
  for (const Case& c : cases) {
    ScreenView view("CDialog5");
    display(view, c.waveform, c.noise);
    const PixelRect r = view.frameRect(kPlot);
    const int yellow = countColour(view, kPlot, colors::lightYellow);
    if (c.drawn) {
      EXPECT_EQ(view.framePixel(kPlot, 250, 180), colors::black) << c.noise;
      EXPECT_GT(countColour(view, kPlot, colors::blue), 0) << c.noise;
    } else {
      EXPECT_EQ(yellow, r.width() * r.height()) << c.noise;
    }
  }
}

TEST(CDialog5, NegativeNoiseSwapsTheAlternation) {
  ScreenView view("CDialog5");
  display(view, kWaveform1, "-10");
  expectPixels(view, kPlot,
               {{sampleX(0), 95}, {sampleX(1), 94}, {sampleX(26), 55}, {sampleX(27), 45}},
               colors::black, "waveform");
}

TEST(CDialog5, EraseRestoresTheEmptyLayoutWithOutline) {
  ScreenView view("CDialog5");
  ASSERT_TRUE(view.press(kHelp));
  display(view, kWaveform1, "0");
  ASSERT_TRUE(view.press(kErase));
  expectLayout(view);
  expectPixels(view, kPlot, {{0, 0}, {200, 0}, {349, 0}, {0, 200}, {0, 389}}, colors::black,
               "outline");
  EXPECT_EQ(countColour(view, kPlot, colors::blue), 0);
  EXPECT_EQ(countColour(view, kPlot, colors::red), 0);
  // No arrow, and the panel keeps its operating steps.
  EXPECT_FALSE(anyColourIn(view, kPlot, 160, 130, 208, 146, colors::black));
  EXPECT_TRUE(anyColourIn(view, kPanel, 40, 20, 200, 38, colors::red));
}

TEST(CDialog5, ExplanationWritesThePanelAndDrawsTheNoiseFreeExample) {
  ScreenView view("CDialog5");
  view.setChecked(kWaveform2, true);
  view.setText(kNoise, "20");  // the example ignores the entries
  ASSERT_TRUE(view.press(kExplain));
  expectWaveform1Example(view);
  expectPixels(view, kPlot, {{0, 0}, {349, 0}, {0, 389}}, colors::black, "plot outline");
  expectPixels(view, kPanel, {{0, 0}, {0, 200}, {100, 0}, {259, 0}}, colors::black,
               "panel outline");
  EXPECT_EQ(view.framePixel(kPanel, 130, 45), colors::silver);
  // Blue heading, black body, one red line, three blue closing lines.
  EXPECT_TRUE(anyColourIn(view, kPanel, 60, 20, 190, 38, colors::blue));
  EXPECT_TRUE(anyColourIn(view, kPanel, 20, 50, 250, 62, colors::black));
  EXPECT_TRUE(anyColourIn(view, kPanel, 20, 250, 250, 262, colors::black));
  EXPECT_TRUE(anyColourIn(view, kPanel, 40, 270, 250, 282, colors::red));
  for (int y : {300, 320, 340}) EXPECT_TRUE(anyColourIn(view, kPanel, 60, y, 250, y + 12, colors::blue)) << y;
  EXPECT_FALSE(anyColourIn(view, kPanel, 1, 1, 259, 20, colors::black));
}

TEST(CDialog5, OperatingStepsReplaceTheExplanationWithoutOutline) {
  ScreenView view("CDialog5");
  ASSERT_TRUE(view.press(kExplain));
  ASSERT_TRUE(view.press(kHelp));
  EXPECT_EQ(view.framePixel(kPanel, 0, 200), colors::silver);
  EXPECT_EQ(view.framePixel(kPanel, 100, 0), colors::silver);
  EXPECT_TRUE(anyColourIn(view, kPanel, 40, 20, 250, 38, colors::red));
  EXPECT_FALSE(anyColourIn(view, kPanel, 0, 0, 262, 38, colors::blue));  // the red heading replaced the blue one
  for (int y : {140, 180, 240, 280}) EXPECT_TRUE(anyColourIn(view, kPanel, 15, y, 250, y + 12, colors::blue)) << y;
  EXPECT_TRUE(anyColourIn(view, kPanel, 25, 200, 250, 212, colors::blue));
  EXPECT_TRUE(anyColourIn(view, kPanel, 20, 70, 250, 82, colors::black));
  // The explanation's red line at y = 270 is gone.
  EXPECT_FALSE(anyColourIn(view, kPanel, 0, 262, 262, 280, colors::red));
  // The example in the plot stays.
  EXPECT_EQ(view.framePixel(kPlot, sampleX(25), 354), colors::blue);
}

TEST(CDialog5, TitleBandColouringAndNavigation) {
  ScreenView view("CDialog5");
  const ControlColour title = view.screen()->OnTitleColor(1002, ControlKind::Static);
  EXPECT_EQ(title.text, colors::white);
  EXPECT_EQ(title.background, colors::titleBlue);
  EXPECT_FALSE(view.screen()->OnTitleColor(kNoise, ControlKind::Edit).text.has_value());

  const std::pair<int, const char*> moves[] = {{1021, "CDialog7"}, {1030, "CDialog4"}, {1038, "CDialog1"}};
  for (auto [button, target] : moves) {
    ScreenView v("CDialog5");
    ASSERT_TRUE(v.press(button));
    EXPECT_EQ(v.successor(), target);
  }
}

}  // namespace
}  // namespace lumo
