// The Wiener filter study: object, blur and restorations as spectra and profiles, the
// conditions of each part, erasing, colouring, and a blur wide enough to underflow.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FilterStudyChecks.h"
#include "app/ScreenView.h"

namespace lumo {
namespace {

using namespace filtertest;
namespace colors = draw::colors;

constexpr int kSpectra = 1007, kProfiles = 1008;
constexpr int kObjectImage = 1003, kBlur = 1006, kFilter = 1011, kErase = 1020;
constexpr int kModel1 = 1015, kModel2 = 1016, kWiener = 1029, kButterworth = 1031;
constexpr int kFwhm = 1009, kConstant = 1010, kCutOff = 1012, kOrder = 1013;

struct Entries {
  std::string fwhm, constant, cutOff, order;
};

void enter(ScreenView& view, const Entries& e) {
  view.setText(kFwhm, e.fwhm);
  view.setText(kConstant, e.constant);
  view.setText(kCutOff, e.cutOff);
  view.setText(kOrder, e.order);
}

// Borders, axes and a black glyph in each label and title of both frames.
void expectFrameSetUp(const ScreenView& view) {
  for (int frame : {kSpectra, kProfiles}) {
    // (the curves start and end on the axis, so it is checked beyond them)
    expectPixels(view, frame, {{0, 0}, {0, 268}, {252, 0}, {252, 269}, {253, 268}, {235, 230},
                               {239, 230}},
                 colors::black);
    EXPECT_NE(view.framePixel(frame, 240, 230), colors::black);
  }
  expectPixels(view, kSpectra, {{30, 20}, {30, 229}, {34, 130}}, colors::black);
  EXPECT_NE(view.framePixel(kProfiles, 30, 20), colors::black);  // the profiles have no y axis
  struct Label { int frame, x, y, w; const char* text; };
  const Label labels[] = {{kSpectra, 5, 123, 20, "1.0"},
                          {kSpectra, 215, 235, 20, "0.5"},
                          {kSpectra, 50, 245, 180, "frequency(cycles/pixel)"},
                          {kProfiles, 100, 10, 64, "画像分布"}};
  for (const Label& l : labels)
    EXPECT_GT(countIn(view, l.frame, l.x, l.y, l.x + l.w, l.y + 16, colors::black), 0) << l.text;
}

// Whether the spectrum title "周波数特性" has a glyph left of x = 100 (where it stands
// after an erase, at x = 80) and one right of x = 165 (where it stands at x = 100).
bool titleStartsLeftOf100(const ScreenView& view) {
  return countIn(view, kSpectra, 80, 10, 100, 26, colors::black) > 0;
}
bool titleReaches170(const ScreenView& view) {
  return countIn(view, kSpectra, 165, 10, 185, 26, colors::black) > 0;
}

TEST(CDialog17, ObjectSpectraAndProfiles) {
  struct Case {
    const char* name;
    int model;
    std::vector<Point> spectrum;  // segment start points
    Point spectrumEnd;
    std::vector<Point> profile;
    bool flatTails;  // the profile is at y = 229 or 230 left of x = 100 and right of x = 160
  };
  std::vector<Point> model2Tail;
  for (int x = 144; x <= 216; x += 6) model2Tail.push_back({x, 229});
  const Case cases[] = {
      {"model-1", kModel1, {{30, 130}, {120, 184}}, {222, 227},
       {{110, 221}, {120, 153}, {130, 80}, {140, 153}, {150, 221}}, true},
      {"model-2", kModel2, model2Tail, {222, 229},
       {{100, 214}, {110, 192}, {120, 166}, {130, 154}, {140, 166}, {150, 192}, {160, 214}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog17");
    view.setChecked(c.model, true);
    ASSERT_TRUE(view.press(kObjectImage));
    expectFrameSetUp(view);
    expectPixels(view, kSpectra, c.spectrum, colors::black);
    // The flat end of the spectrum arrives at its last grid point from column 221.
    const auto [endX, endY] = c.spectrumEnd;
    EXPECT_GT(countIn(view, kSpectra, endX - 1, endY - 1, endX, endY + 2, colors::black), 0);
    EXPECT_EQ(countIn(view, kSpectra, endX, 30, 240, 229, colors::black), 0);
    expectPixels(view, kProfiles, c.profile, colors::black);
    if (c.flatTails) {
      // Away from the centre the profile lies at half the spectrum's value at f = 0, on
      // or just above the axis: nothing between the title and y = 229.
      EXPECT_EQ(countIn(view, kProfiles, 31, 30, 100, 229, colors::black), 0);
      EXPECT_EQ(countIn(view, kProfiles, 161, 30, 230, 229, colors::black), 0);
    }
    EXPECT_TRUE(titleReaches170(view));
    EXPECT_FALSE(titleStartsLeftOf100(view));
  }
}

TEST(CDialog17, ObjectDrawsOnlyTheFramesWithoutAModel) {
  ScreenView none("CDialog17");
  ASSERT_TRUE(none.press(kObjectImage));
  expectFrameSetUp(none);
  EXPECT_NE(none.framePixel(kSpectra, 35, 130), colors::black);  // the tick stops at x = 34
  EXPECT_NE(none.framePixel(kProfiles, 130, 80), colors::black);
  EXPECT_EQ(countIn(none, kSpectra, 36, 30, 240, 229, colors::black), 0);
  EXPECT_EQ(countIn(none, kProfiles, 1, 30, 240, 229, colors::black), 0);
}

TEST(CDialog17, BlurWithFwhm3) {
  ScreenView view("CDialog17");
  view.setChecked(kModel1, true);
  ASSERT_TRUE(view.press(kObjectImage));
  enter(view, {"3", "", "", ""});
  ASSERT_TRUE(view.press(kBlur));
  expectPixels(view, kSpectra, {{60, 154}, {90, 197}, {120, 222}, {156, 229}}, colors::purple);
  expectPixels(view, kProfiles, {{120, 162}, {130, 146}, {140, 162}}, colors::purple);
  EXPECT_EQ(countIn(view, kProfiles, 0, 0, 254, 146, colors::purple), 0);  // its peak is 146
  // The black object stays underneath.
  expectPixels(view, kProfiles, {{130, 80}, {120, 153}}, colors::black);
  expectPixels(view, kSpectra, {{120, 184}}, colors::black);

  // A new object clears the blur.
  ASSERT_TRUE(view.press(kObjectImage));
  EXPECT_EQ(countInFrame(view, kSpectra, colors::purple), 0);
  EXPECT_EQ(countInFrame(view, kProfiles, colors::purple), 0);
}

TEST(CDialog17, BlurNeedsAWidthAndAModel) {
  struct Case { const char* name; const char* fwhm; int model; };
  const Case cases[] = {{"empty width", "", kModel1}, {"width 0.009", "0.009", kModel2},
                        {"no model", "3", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog17");
    if (c.model) view.setChecked(c.model, true);
    enter(view, {c.fwhm, "", "", ""});
    ASSERT_TRUE(view.press(kBlur));
    expectFrameSetUp(view);
    EXPECT_EQ(countInFrame(view, kSpectra, colors::purple), 0);
    EXPECT_EQ(countInFrame(view, kProfiles, colors::purple), 0);
  }
}

TEST(CDialog17, WienerFilterAndRestorationWithC01) {
  ScreenView view("CDialog17");
  view.setChecked(kModel1, true);
  view.setChecked(kWiener, true);
  enter(view, {"3", "0.1", "", ""});
  ASSERT_TRUE(view.press(kFilter));
  expectFrameSetUp(view);
  // The red filter rises above the tick at 1 to its top at (102, 71).
  EXPECT_EQ(view.framePixel(kSpectra, 102, 71), colors::red);
  EXPECT_EQ(countIn(view, kSpectra, 0, 0, 254, 71, colors::red), 0);
  // The blue restoration, drawn over it, starts at 0.909 and reaches 229 at x = 144.
  expectPixels(view, kSpectra, {{30, 139}, {144, 229}}, colors::blue);
  expectPixels(view, kProfiles, {{120, 158}, {130, 138}, {140, 158}, {90, 234}, {170, 234},
                                  {80, 231}, {180, 231}},
               colors::blue);
  EXPECT_EQ(countIn(view, kProfiles, 0, 0, 254, 138, colors::blue), 0);
  EXPECT_EQ(countInFrame(view, kProfiles, colors::yellow), 0);
}

TEST(CDialog17, WienerFilterAloneWithoutAModel) {
  ScreenView view("CDialog17");
  view.setChecked(kWiener, true);
  enter(view, {"3", "0.1", "", ""});
  ASSERT_TRUE(view.press(kFilter));
  expectPixels(view, kSpectra, {{30, 139}, {102, 71}, {210, 229}, {216, 229}}, colors::red);
  EXPECT_EQ(countInFrame(view, kSpectra, colors::blue), 0);
  EXPECT_EQ(countInFrame(view, kProfiles, colors::blue), 0);
}

TEST(CDialog17, ButterworthWienerWithCutOffQuarterAndOrder4) {
  {
    SCOPED_TRACE("the filter alone: its top at (90, 101)");
    ScreenView view("CDialog17");
    view.setChecked(kButterworth, true);
    enter(view, {"3", "0.1", "0.25", "4"});
    ASSERT_TRUE(view.press(kFilter));
    EXPECT_EQ(view.framePixel(kSpectra, 90, 101), colors::red);
    EXPECT_EQ(countIn(view, kSpectra, 0, 0, 254, 101, colors::red), 0);
    EXPECT_EQ(countInFrame(view, kProfiles, colors::yellow), 0);
  }
  {
    SCOPED_TRACE("both filters and their restorations");
    ScreenView view("CDialog17");
    view.setChecked(kModel1, true);
    view.setChecked(kWiener, true);
    view.setChecked(kButterworth, true);
    enter(view, {"3", "0.1", "0.25", "4"});
    ASSERT_TRUE(view.press(kFilter));
    EXPECT_EQ(view.framePixel(kSpectra, 102, 71), colors::red);  // the Wiener top
    EXPECT_EQ(view.framePixel(kSpectra, 90, 101), colors::red);  // the Butterworth-Wiener top
    expectPixels(view, kProfiles, {{120, 161}, {130, 144}, {140, 161}, {90, 234}, {170, 234}},
                 colors::yellow);
    EXPECT_EQ(countIn(view, kProfiles, 0, 0, 254, 144, colors::yellow), 0);
    // the blue Wiener peak above the yellow one stays visible
    EXPECT_EQ(view.framePixel(kProfiles, 130, 138), colors::blue);
    EXPECT_GT(countInFrame(view, kSpectra, colors::yellow), 0);
  }
}

TEST(CDialog17, EachPartOfTheFilterStepHasItsOwnCondition) {
  struct Case {
    const char* name;
    Entries entries;
    bool wiener, butterworth;
    int model;
    bool red, blue, yellow;  // drawn or not
  };
  const Case cases[] = {
      {"F 0.5: the blue restoration without the red filter", {"0.5", "0.1", "", ""}, true, false,
       kModel1, false, true, false},
      {"F 1: filter and restoration", {"1", "0.1", "", ""}, true, false, kModel2, true, true, false},
      {"F 0.01 is not above 0.01", {"0.01", "0.1", "", ""}, true, false, kModel1, false, false,
       false},
      {"C below 0.05 suppresses everything", {"3", "0.04", "0.25", "4"}, true, true, kModel1, false,
       false, false},
      {"empty C", {"3", "", "0.25", "4"}, true, true, kModel1, false, false, false},
      {"empty order: only the Wiener parts", {"3", "0.1", "0.25", ""}, true, true, kModel1, true,
       true, false},
      {"cut-off below 0.01: only the Wiener parts", {"3", "0.1", "0.005", "4"}, true, true, kModel1,
       true, true, false},
      {"Butterworth with F 0.5: nothing of it", {"0.5", "0.1", "0.25", "4"}, false, true, kModel1,
       false, false, false},
      {"nothing checked", {"3", "0.1", "0.25", "4"}, false, false, kModel1, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenView view("CDialog17");
    if (c.model) view.setChecked(c.model, true);
    view.setChecked(kWiener, c.wiener);
    view.setChecked(kButterworth, c.butterworth);
    enter(view, c.entries);
    ASSERT_TRUE(view.press(kFilter));
    expectFrameSetUp(view);
    EXPECT_EQ(countInFrame(view, kSpectra, colors::red) > 0, c.red);
    EXPECT_EQ(countInFrame(view, kSpectra, colors::blue) > 0, c.blue);
    EXPECT_EQ(countInFrame(view, kProfiles, colors::blue) > 0, c.blue);
    EXPECT_EQ(countInFrame(view, kSpectra, colors::yellow) > 0, c.yellow);
    EXPECT_EQ(countInFrame(view, kProfiles, colors::yellow) > 0, c.yellow);
    EXPECT_EQ(countInFrame(view, kProfiles, colors::red), 0);  // filters go to the left only
  }
}

// With a FWHM of 40 pixels the blur response underflows to 0 at the high frequencies;
// the filters then take their limit 0 and every curve still reaches the right end.
TEST(CDialog17, WideBlurDrawsFiniteCurvesToTheEnd) {
  ScreenView view("CDialog17");
  view.setChecked(kModel1, true);
  ASSERT_TRUE(view.press(kObjectImage));
  enter(view, {"40", "0.1", "0.25", "4"});
  ASSERT_TRUE(view.press(kBlur));
  EXPECT_EQ(view.framePixel(kSpectra, 221, 230), colors::purple);
  EXPECT_GT(countInFrame(view, kProfiles, colors::purple), 0);

  view.setChecked(kWiener, true);
  ASSERT_TRUE(view.press(kFilter));
  // Every part ends on the axis: the Wiener parts first, and then yellow over them.
  EXPECT_EQ(view.framePixel(kSpectra, 221, 230), colors::blue);
  EXPECT_GT(countInFrame(view, kProfiles, colors::blue), 0);
  view.setChecked(kButterworth, true);
  ASSERT_TRUE(view.press(kFilter));
  EXPECT_EQ(view.framePixel(kSpectra, 221, 230), colors::yellow);
  EXPECT_GT(countInFrame(view, kSpectra, colors::red), 0);
  EXPECT_GT(countInFrame(view, kProfiles, colors::yellow), 0);

  // The red Wiener curve alone reaches the axis at the right end as well.
  ScreenView alone("CDialog17");
  alone.setChecked(kWiener, true);
  enter(alone, {"40", "0.1", "", ""});
  ASSERT_TRUE(alone.press(kFilter));
  EXPECT_EQ(alone.framePixel(kSpectra, 221, 230), colors::red);
  EXPECT_EQ(alone.framePixel(kSpectra, 30, 139), colors::red);
}

TEST(CDialog17, EraseClearsBothFramesAndMovesTheTitle) {
  ScreenView view("CDialog17");
  view.setChecked(kModel1, true);
  view.setChecked(kWiener, true);
  enter(view, {"3", "0.1", "", ""});
  for (int button : {kObjectImage, kBlur, kFilter}) ASSERT_TRUE(view.press(button));
  EXPECT_FALSE(titleStartsLeftOf100(view));

  ASSERT_TRUE(view.press(kErase));
  for (int frame : {kSpectra, kProfiles})
    for (draw::Color c : {colors::purple, colors::red, colors::blue})
      EXPECT_EQ(countInFrame(view, frame, c), 0);
  EXPECT_EQ(view.framePixel(kProfiles, 130, 80), colors::silver);
  expectFrameSetUp(view);
  EXPECT_TRUE(titleStartsLeftOf100(view));
  EXPECT_FALSE(titleReaches170(view));

  // A blur draws the title at 100 over it; the erased one stays beneath.
  ASSERT_TRUE(view.press(kBlur));
  EXPECT_TRUE(titleStartsLeftOf100(view));
  EXPECT_TRUE(titleReaches170(view));
  // An object clears it first.
  ASSERT_TRUE(view.press(kObjectImage));
  EXPECT_FALSE(titleStartsLeftOf100(view));
}

TEST(CDialog17, ColouringOfTitleAndEdits) {
  ScreenView view("CDialog17");
  Screen* screen = view.screen();
  ASSERT_NE(screen, nullptr);
  struct Case { int id; ControlKind kind; std::optional<draw::Color> text, background; };
  const Case cases[] = {
      {1002, ControlKind::Static, colors::white, colors::titleBlue},
      {1010, ControlKind::Edit, colors::blue, std::nullopt},
      {1009, ControlKind::Edit, colors::purple, std::nullopt},
      {1013, ControlKind::Edit, colors::yellow, colors::black},
      {1012, ControlKind::Edit, colors::yellow, colors::black},
      {1007, ControlKind::Static, std::nullopt, std::nullopt},
      {1012, ControlKind::Static, std::nullopt, std::nullopt},
      {-1, ControlKind::Static, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const ControlColour got = screen->OnTitleColor(c.id, c.kind);
    EXPECT_EQ(got.text, c.text) << c.id;
    EXPECT_EQ(got.background, c.background) << c.id;
  }
}

TEST(CDialog17, CancelReturnsToTheMainMenu) {
  ScreenView view("CDialog17");
  ASSERT_TRUE(view.press(1021));
  EXPECT_EQ(view.successor(), "CDialog1");
}

}  // namespace
}  // namespace lumo
