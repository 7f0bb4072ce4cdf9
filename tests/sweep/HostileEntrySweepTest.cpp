// Hostile entries on every screen: each drawing handler of each screen and workbench
// page is pressed with blanks, words, special values, huge and tiny numbers, hex and
// full-width digits, a 10,000-character paste and random text, in every edit field, under
// every state of the screen's radio buttons and check boxes. No press may crash, hang
// or (under the sanitizers) touch undefined behaviour, and entries without a leading
// decimal number must draw exactly what "0" draws.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/ScreenView.h"
#include "screens/Registry.h"

namespace lumo {
namespace {

// A press must come back within this long; anything slower is treated as a hang.
constexpr double kHangGuardMs = 1000.0;

// Entries a student could plausibly have typed, so that a hostile value in one field
// reaches the code behind the other fields' range checks.
const std::map<std::string, std::map<int, std::string>>& sensibleEntries() {
  static const std::map<int, std::string> pointSources = {
      {1009, "10"}, {1010, "40"}, {1012, "40"}, {1013, "50"}, {1014, "80"}, {1022, "80"}, {1023, "50"}};
  static const std::map<int, std::string> butterworthEffect = {{1009, "5"}, {1010, "0.2"}, {1012, "8"}};
  static const std::map<int, std::string> filterStudy = {
      {1009, "2"}, {1010, "0.25"}, {1012, "2"}, {1013, "0.3"}, {1014, "0.3"}};
  static const std::map<std::string, std::map<int, std::string>> table = {
      {"CDialog4", {{1009, "10"}}},
      {"CDialog5", {{1009, "10"}}},
      {"CDialog8", pointSources},
      {"CPageA4", pointSources},
      {"CDialog13", butterworthEffect},
      {"CPageA3", butterworthEffect},
      {"CDialog15", filterStudy},
      {"CDialog16", filterStudy},
      {"CDialog17", {{1009, "3"}, {1010, "0.01"}, {1012, "0.25"}, {1013, "8"}}},
      {"CPageA1", {{1009, "1"}}},
      {"CPageA2", {{1009, "0.25"}, {1010, "2"}, {1012, "2"}, {1013, "1"}, {1014, "1"}}},
  };
  return table;
}

std::string sensible(const std::string& screen, int edit) {
  const auto& table = sensibleEntries();
  if (auto s = table.find(screen); s != table.end()) {
    if (auto e = s->second.find(edit); e != s->second.end()) return e->second;
  }
  return "1";
}

struct Hostile {
  std::string label;  // printable, for failure messages
  std::string text;
  bool readsAsZero;   // no leading decimal number: must behave exactly like "0"
};

std::string randomText(std::mt19937& rng) {
  static const std::vector<std::string> pool = {
      "0", "1", "2", "5", "9", ".", ",", "e", "E", "-", "+", " ", "\t", "x", "a", "n", "i", "f",
      "０", "．", "ー", "漢", "\xEF\xBB\xBF", "1e", "e-", "\n"};
  std::uniform_int_distribution<int> length(1, 40);
  std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
  std::string s;
  for (int i = length(rng); i > 0; --i) s += pool[pick(rng)];
  return s;
}

const std::vector<Hostile>& hostileEntries() {
  static const std::vector<Hostile> list = [] {
    std::vector<Hostile> v = {
        {"empty", "", true},
        {"abc", "abc", true},
        {"nan", "nan", true},
        {"inf", "inf", true},
        {"-inf", "-inf", true},
        {"1e308", "1e308", false},
        {"-1e308", "-1e308", false},
        {"1e-320", "1e-320", false},
        {"0x1p4", "0x1p4", true},
        {"-0", "-0", true},
        {"2147483648", "2147483648", false},
        {"full-width 0.25", "０．２５", true},
        {"comma decimal", "0,25", false},
        {"1e999", "1e999", false},
    };
    std::string paste;
    while (paste.size() < 10000) paste += "1234567890";
    v.push_back({"10000 digits", paste, false});
    std::string paragraph;
    while (paragraph.size() < 10000) paragraph += "フィルタの次数は 8、遮断周波数は 0.25 です。";
    v.push_back({"pasted paragraph", paragraph, true});
    std::mt19937 rng(20240611u);
    for (int i = 0; i < 6; ++i) v.push_back({"random #" + std::to_string(i), randomText(rng), false});
    return v;
  }();
  return list;
}

// The controls a screen offers the student, read from its template.
struct Layout {
  std::vector<int> edits;
  std::vector<std::vector<int>> radioGroups;
  std::vector<int> checks;
  std::vector<int> drawingButtons;  // handlers that keep the screen open
};

Layout layoutOf(const std::string& screen) {
  Layout l;
  std::vector<int> handlerIds;
  {
    ScreenView view(screen);
    for (const auto& [id, fn] : view.screen()->handlers()) handlerIds.push_back(id);
    bool previousWasRadio = false;
    for (const ControlTemplate& c : view.dialogTemplate().controls) {
      if (c.id == -1) {
        previousWasRadio = false;
        continue;
      }
      switch (c.type) {
        case ControlType::Edit: l.edits.push_back(c.id); break;
        case ControlType::Check: l.checks.push_back(c.id); break;
        case ControlType::Radio:
          if (!previousWasRadio || c.has("group") || l.radioGroups.empty()) l.radioGroups.emplace_back();
          l.radioGroups.back().push_back(c.id);
          break;
        default: break;
      }
      previousWasRadio = c.type == ControlType::Radio;
    }
  }
  // A navigation button is one whose press on a fresh screen names a successor.
  for (int id : handlerIds) {
    ScreenView fresh(screen);
    EXPECT_TRUE(fresh.press(id)) << screen << " has a handler without a button: " << id;
    if (fresh.successor().empty()) l.drawingButtons.push_back(id);
  }
  return l;
}

// One state of the radio buttons and check boxes: the radio to check in each group
// (0 = leave the group as the screen opens) and the check boxes to tick.
struct ControlState {
  std::vector<int> radios;
  std::vector<int> ticked;
  std::string describe() const {
    std::string s = "radios{";
    for (int r : radios) s += std::to_string(r) + " ";
    s += "} checks{";
    for (int c : ticked) s += std::to_string(c) + " ";
    return s + "}";
  }
};

std::vector<ControlState> everyState(const Layout& l) {
  std::vector<std::vector<int>> radioChoices = {{}};
  for (const auto& group : l.radioGroups) {
    std::vector<std::vector<int>> next;
    for (const auto& partial : radioChoices) {
      for (int choice : [&] { std::vector<int> c = {0}; c.insert(c.end(), group.begin(), group.end()); return c; }()) {
        auto p = partial;
        p.push_back(choice);
        next.push_back(p);
      }
    }
    radioChoices = next;
  }
  std::vector<ControlState> out;
  for (const auto& radios : radioChoices) {
    for (unsigned mask = 0; mask < (1u << l.checks.size()); ++mask) {
      ControlState s;
      for (int r : radios)
        if (r != 0) s.radios.push_back(r);
      for (std::size_t i = 0; i < l.checks.size(); ++i)
        if (mask & (1u << i)) s.ticked.push_back(l.checks[i]);
      out.push_back(s);
    }
  }
  return out;
}

void applyState(ScreenView& view, const ControlState& s) {
  for (int r : s.radios) view.setChecked(r, true);
  for (int c : s.ticked) view.setChecked(c, true);
}

// One full set of entries: every edit's text.
struct Row {
  std::string label;
  std::map<int, std::string> texts;
};

std::vector<Row> rowsFor(const std::string& screen, const Layout& l) {
  std::map<int, std::string> base;
  for (int e : l.edits) base[e] = sensible(screen, e);
  std::vector<Row> rows = {{"sensible", base}};
  if (l.edits.empty()) return rows;
  for (int e : l.edits) {
    for (const Hostile& h : hostileEntries()) {
      Row r{std::to_string(e) + "=" + h.label, base};
      r.texts[e] = h.text;
      rows.push_back(r);
    }
  }
  for (const Hostile& h : hostileEntries()) {
    Row r{"all=" + h.label, {}};
    for (int e : l.edits) r.texts[e] = h.text;
    rows.push_back(r);
  }
  return rows;
}

void applyRow(ScreenView& view, const Row& r) {
  for (const auto& [id, text] : r.texts) view.setText(id, text);
}

struct Figures {
  int screens = 0;
  int handlers = 0;
  long inputs = 0;   // sets of entries and control states tried
  long presses = 0;
  long zeroComparisons = 0;
  double slowestMs = 0;
  std::string slowest;
};

Figures& totals() {
  static Figures f;
  return f;
}

// Prints the whole sweep's figures when the test program ends.
class FiguresReport : public ::testing::Environment {
 public:
  void TearDown() override {
    const Figures& f = totals();
    if (f.screens == 0) return;
    std::printf("[sweep] total: %d screens, %d drawing handlers, %ld inputs, %ld presses, "
                "%ld zero-equivalence checks, slowest press %.1f ms (%s)\n",
                f.screens, f.handlers, f.inputs, f.presses, f.zeroComparisons, f.slowestMs,
                f.slowest.c_str());
  }
};
const auto* const kReport = ::testing::AddGlobalTestEnvironment(new FiguresReport);

std::vector<std::string> screenNames() {
  std::vector<std::string> names;
  for (const ScreenInfo& s : allScreens()) names.emplace_back(s.className);
  return names;
}

class HostileEntrySweep : public ::testing::TestWithParam<std::string> {};

TEST_P(HostileEntrySweep, EveryHandlerSurvivesEveryEntryInEveryState) {
  const std::string screen = GetParam();
  const Layout layout = layoutOf(screen);
  const std::vector<ControlState> states = everyState(layout);
  const std::vector<Row> rows = rowsFor(screen, layout);

  Figures f;
  for (const ControlState& state : states) {
    // One screen instance per state: pictures accumulate across the rows as they would
    // for a student who keeps typing and pressing.
    ScreenView view(screen);
    applyState(view, state);
    for (const Row& row : rows) {
      applyRow(view, row);
      ++f.inputs;
      for (int button : layout.drawingButtons) {
        const auto t0 = std::chrono::steady_clock::now();
        ASSERT_TRUE(view.press(button));
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        ++f.presses;
        EXPECT_LT(ms, kHangGuardMs) << screen << " button " << button << " " << row.label << " "
                                    << state.describe();
        if (ms > f.slowestMs) {
          f.slowestMs = ms;
          f.slowest = screen + " " + std::to_string(button) + " " + row.label + " " + state.describe();
        }
        ASSERT_TRUE(view.successor().empty())
            << screen << " button " << button << " navigated with " << row.label;
      }
    }
  }

  std::printf("[sweep] %s: %zu edits, %zu states, %zu drawing handlers, %ld inputs, %ld presses, "
              "slowest %.1f ms (%s)\n",
              screen.c_str(), layout.edits.size(), states.size(), layout.drawingButtons.size(), f.inputs,
              f.presses, f.slowestMs, f.slowest.c_str());
  Figures& t = totals();
  t.screens += 1;
  t.handlers += static_cast<int>(layout.drawingButtons.size());
  t.inputs += f.inputs;
  t.presses += f.presses;
  if (f.slowestMs > t.slowestMs) {
    t.slowestMs = f.slowestMs;
    t.slowest = f.slowest;
  }
}

// Text without a leading decimal number reads as 0 on every screen: pressing with it
// draws, pixel for pixel, what pressing with "0" draws.
TEST_P(HostileEntrySweep, TextWithoutANumberDrawsWhatZeroDraws) {
  const std::string screen = GetParam();
  const Layout layout = layoutOf(screen);
  if (layout.edits.empty() || layout.drawingButtons.empty()) GTEST_SKIP() << screen << " has no entries";
  const std::vector<ControlState> states = everyState(layout);

  long comparisons = 0;
  for (const ControlState& state : states) {
    for (int edit : layout.edits) {
      for (int button : layout.drawingButtons) {
        auto picture = [&](const std::string& text) {
          ScreenView view(screen);
          applyState(view, state);
          for (int e : layout.edits) view.setText(e, sensible(screen, e));
          view.setText(edit, text);
          view.press(button);
          return view.canvas().image().copy();
        };
        const QImage zero = picture("0");
        for (const Hostile& h : hostileEntries()) {
          if (!h.readsAsZero) continue;
          ++comparisons;
          EXPECT_TRUE(picture(h.text) == zero)
              << screen << " button " << button << " edit " << edit << " = " << h.label << " "
              << state.describe();
        }
      }
    }
  }
  EXPECT_GT(comparisons, 0);
  totals().zeroComparisons += comparisons;
}

INSTANTIATE_TEST_SUITE_P(AllScreens, HostileEntrySweep, ::testing::ValuesIn(screenNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// The sweep reaches every screen and page of the program, and each one's drawing
// handlers: a screen that lost its buttons or its template would sweep nothing.
TEST(HostileEntrySweepCoverage, EveryScreenAndEveryEntryIsReached) {
  int edits = 0, drawing = 0, withStates = 0;
  for (const std::string& screen : screenNames()) {
    const Layout l = layoutOf(screen);
    edits += static_cast<int>(l.edits.size());
    drawing += static_cast<int>(l.drawingButtons.size());
    if (everyState(l).size() > 1) ++withStates;
  }
  EXPECT_EQ(screenNames().size(), 19u);
  EXPECT_GE(edits, 40);
  EXPECT_GE(drawing, 30);
  EXPECT_GE(withStates, 8);
  EXPECT_GE(hostileEntries().size(), 20u);
}

}  // namespace
}  // namespace lumo
