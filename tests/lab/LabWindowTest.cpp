// The lab window driven in-process as the runner drives it: every setting shows in its
// control and changes the result; a newer change cancels the older work; the build-up
// takes one step per view (FBP) or sub-iteration (MLEM/OSEM).
#include <gtest/gtest.h>

#include <climits>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QTemporaryDir>
#include <QMenuBar>
#include <QSpinBox>
#include <cmath>
#include <map>
#include <set>
#include <algorithm>
#include <array>

#include "app/MainWindow.h"
#include "lab/ConvergenceChart.h"
#include "lab/ImagePanel.h"
#include "lab/LabTestSupport.h"
#include "lab/LabWindow.h"
#include "lab/ProfileChart.h"
#include <QLineSeries>
#include "model/tomo/Settings.h"

namespace {

using lumo::lab::LabWindow;
using lumo::test::waitForResult;
using lumo::test::waitUntil;

// What the control of a setting shows, in the engine's text form.
std::string shown(LabWindow& lab, const std::string& key) {
  QWidget* w = lab.control(key);
  if (auto* c = qobject_cast<QCheckBox*>(w)) return c->isChecked() ? "on" : "off";
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentData().toString().toStdString();
  if (auto* s = qobject_cast<QSpinBox*>(w)) return std::to_string(s->value());
  if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) return QString::number(d->value(), 'g', 9).toStdString();
  return "?";
}

// The same value in the engine's text form: numbers compare by value ("5e+05" is 500000).
bool same(const std::string& a, const std::string& b) {
  bool okA = false, okB = false;
  const double x = QByteArray::fromStdString(a).toDouble(&okA), y = QByteArray::fromStdString(b).toDouble(&okB);
  if (okA && okB) return std::abs(x - y) <= 1e-9 * std::max(1.0, std::abs(y));
  return a == b;
}

double maxDifference(const lumo::tomo::Image& a, const lumo::tomo::Image& b) {
  if (a.px.size() != b.px.size()) return INFINITY;
  double d = 0;
  for (std::size_t i = 0; i < a.px.size(); ++i) d = std::max(d, double(std::abs(a.px[i] - b.px[i])));
  return d;
}

// Small and quick, so that every setting can be tried.
void quick(LabWindow& lab) {
  for (auto [k, v] : {std::pair{"matrix", "64"}, {"views", "32"}, {"iterations", "2"}, {"subsets", "4"}})
    ASSERT_EQ(lab.setSetting(k, v), "") << k;
  ASSERT_TRUE(waitForResult(lab));
}

TEST(LabWindow, EverySettingOfTheTableHasItsControlWithTheTablesRange) {
  LabWindow lab;
  for (const lumo::tomo::SettingInfo& info : lumo::tomo::settingTable()) {
    QWidget* w = lab.control(info.key);
    ASSERT_NE(w, nullptr) << info.key;
    EXPECT_TRUE(same(shown(lab, info.key), lumo::tomo::settingValue(lab.settings(), info.key))) << info.key;
    if (auto* s = qobject_cast<QSpinBox*>(w)) {
      EXPECT_GE(s->minimum(), info.min) << info.key;
      EXPECT_LE(s->maximum(), info.max) << info.key;
      // Out of range is impossible in the control: it keeps to its limits.
      s->setValue(s->maximum() == INT_MAX ? INT_MAX : s->maximum() + 1);
      EXPECT_LE(s->value(), s->maximum());
    }
    if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) {
      EXPECT_EQ(d->minimum(), info.min) << info.key;
      EXPECT_EQ(d->maximum(), info.max) << info.key;
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      EXPECT_EQ(c->count(), int(info.choices.size())) << info.key;
    }
  }
  // The subsets never exceed the views, nor the slices the matrix.
  ASSERT_EQ(lab.setSetting("views", "8"), "");
  EXPECT_EQ(qobject_cast<QSpinBox*>(lab.control("subsets"))->maximum(), 8);
  ASSERT_EQ(lab.setSetting("matrix", "64"), "");
  EXPECT_EQ(qobject_cast<QSpinBox*>(lab.control("slices"))->maximum(), 64);
  waitForResult(lab);
}

// The text beside a control: a check box's own, else the form's label of the field.
QString labelOf(QWidget* w) {
  if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
  auto* form = qobject_cast<QFormLayout*>(w->parentWidget()->layout());
  auto* label = form ? qobject_cast<QLabel*>(form->labelForField(w)) : nullptr;
  return label ? label->text() : QString();
}

// Every control carries its declared Japanese label and tooltip and is greyed exactly when its
// setting does nothing for the other settings; with imported data the acquisition's and
// attenuation correction are greyed as well.
TEST(LabWindow, ControlsShowTheDeclarationAndAreGreyedExactlyWhenNotRelevant) {
  struct State {
    std::vector<std::pair<const char*, const char*>> set;
    std::set<std::string> greyed;
  };
  const State states[] = {  // one after the other in the same window
      {{{"method", "fbp"}, {"prefilter", "hanning"}, {"noise", "off"}},
       {"defect", "seed", "order", "width", "rr", "iterations", "subsets"}},
      {{{"method", "mlem"}, {"prefilter", "gauss"}, {"phantom", "cardiac"}, {"noise", "on"}}, {"filter", "cutoff", "order", "subsets"}},
      {{{"method", "osem"}, {"prefilter", "none"}, {"phantom", "brain"}}, {"defect", "filter", "cutoff", "order", "width"}},
  };
  LabWindow lab;
  quick(lab);
  for (const State& state : states) {
    for (const auto& [k, v] : state.set) ASSERT_EQ(lab.setSetting(k, v), "") << k;
    for (const lumo::tomo::SettingInfo& info : lumo::tomo::settingTable()) {
      SCOPED_TRACE(info.key + " with " + state.set[0].second);
      QWidget* w = lab.control(info.key);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(labelOf(w), QString::fromStdString(info.label));
      EXPECT_EQ(w->toolTip(), QString::fromStdString(info.tooltip));
      EXPECT_EQ(w->isEnabled(), info.relevantFor(lab.settings()));
      EXPECT_EQ(w->isEnabled(), !state.greyed.count(info.key));
    }
  }
  ASSERT_TRUE(waitForResult(lab));
  QTemporaryDir dir;
  const std::string file = dir.filePath("s.dcm").toStdString();
  ASSERT_EQ(lab.exportDicom("sinogram", file), "");
  ASSERT_EQ(lab.openDicom(file), "");
  for (const lumo::tomo::SettingInfo& info : lumo::tomo::settingTable()) {
    const bool acquired = info.group == lumo::tomo::SettingGroup::Acquisition || info.key == "ac";
    EXPECT_EQ(lab.control(info.key)->isEnabled(), !acquired && info.relevantFor(lab.settings())) << info.key;
  }
  EXPECT_FALSE(lab.control("collimator")->isEnabled());
  EXPECT_TRUE(lab.control("method")->isEnabled());
  // A camera's data reconstruct in counts, a phantom's in kBq/mL: the profile's axis says which.
  const auto* profile = lab.findChild<lumo::lab::ProfileChart*>();
  ASSERT_TRUE(profile);
  const auto valueAxisTitle = [&] { return profile->chart()->axes(Qt::Vertical).front()->titleText(); };
  ASSERT_TRUE(waitForResult(lab));
  EXPECT_EQ(valueAxisTitle(), QStringLiteral("カウント"));
  lab.backToPhantom();
  EXPECT_TRUE(lab.control("collimator")->isEnabled());
  ASSERT_TRUE(waitForResult(lab));
  EXPECT_EQ(valueAxisTitle(), QStringLiteral("放射能濃度 (kBq/mL)"));
}

TEST(LabWindow, EachSettingChangesTheControlAndTheResult) {
  struct Case {
    const char* key;
    const char* value;
    const char* method;  // the method under which the setting acts
  };
  const Case cases[] = {
      {"phantom", "rods", "osem"},       {"matrix", "128", "fbp"},        {"views", "24", "osem"},
      {"slices", "3", "fbp"},            {"arc", "180", "fbp"},            {"start", "30", "fbp"},
      {"direction", "cw", "osem"},       {"defect", "on", "osem"},         {"scatter", "off", "osem"},
      {"window", "15", "osem"},          {"subwindow", "4", "osem"},       {"resolution", "15", "osem"},
      {"acmu", "0.12", "osem"},          {"sc", "tew", "osem"},
      {"counts", "2000000", "osem"},     {"noise", "off", "osem"},         {"seed", "7", "osem"},
      {"attenuation", "0.3", "osem"},    {"collimator", "none", "osem"},   {"radius", "30", "osem"},
      {"method", "mlem", "osem"},        {"filter", "shepp-logan", "fbp"}, {"prefilter", "hanning", "fbp"},
      {"cutoff", "0.1", "fbp"},          {"order", "2", "fbp"},            {"width", "3", "fbp"},
      {"ac", "off", "osem"},             {"rr", "off", "osem"},            {"iterations", "3", "osem"},
      {"subsets", "8", "osem"},          {"postfilter", "12", "osem"},
  };
  std::set<std::string> covered;
  for (const Case& c : cases) {
    LabWindow lab;
    quick(lab);
    ASSERT_EQ(lab.setSetting("method", c.method), "");
    // What a setting needs before it acts: the Gauss pre-filter its width, the cardiac phantom its
    // defect, TEW its sub-windows.
    const std::map<std::string, std::pair<const char*, const char*>> needs = {
        {"width", {"prefilter", "gauss"}}, {"defect", {"phantom", "cardiac"}}, {"subwindow", {"sc", "tew"}}};
    if (const auto it = needs.find(c.key); it != needs.end()) {
      ASSERT_EQ(lab.setSetting(it->second.first, it->second.second), "") << c.key;
    }
    ASSERT_TRUE(waitForResult(lab));
    const auto before = lab.result();
    ASSERT_TRUE(before);
    ASSERT_EQ(lab.setSetting(c.key, c.value), "") << c.key;
    EXPECT_TRUE(same(shown(lab, c.key), c.value)) << c.key << " shows " << shown(lab, c.key);
    ASSERT_TRUE(waitForResult(lab)) << c.key;
    const auto after = lab.result();
    ASSERT_TRUE(after);
    EXPECT_TRUE(same(lumo::tomo::settingValue(after->settings, c.key), c.value)) << c.key;
    EXPECT_GT(maxDifference(lab.sliceOf(before->reconstruction.volume), lab.sliceOf(after->reconstruction.volume)), 0) << c.key;
    covered.insert(c.key);
  }
  for (const auto& info : lumo::tomo::settingTable()) EXPECT_TRUE(covered.count(info.key)) << info.key;
}

TEST(LabWindow, ANewerChangeCancelsTheOlderWorkAndOnlyItsResultIsShown) {
  LabWindow lab;
  std::vector<int> shownIterations;
  QObject::connect(&lab, &LabWindow::resultShown, [&] { shownIterations.push_back(lab.result()->settings.iterations); });
  ASSERT_EQ(lab.setSetting("matrix", "128"), "");
  ASSERT_EQ(lab.setSetting("iterations", "200"), "");  // long work, cancelled below
  waitUntil([&] { return lab.progressText().contains(QStringLiteral("反復")); }, 10000);
  ASSERT_EQ(lab.setSetting("iterations", "2"), "");
  ASSERT_TRUE(waitForResult(lab));
  ASSERT_EQ(shownIterations.size(), 1u);
  EXPECT_EQ(shownIterations[0], 2);
  EXPECT_EQ(lab.result()->reconstruction.history.size(), 2u);
  // Nothing of the older work arrives later either.
  waitUntil([] { return false; }, 300);
  EXPECT_EQ(shownIterations.size(), 1u);
}

// Subsets asked for above the views: the engine uses one subset a view, and the progress line
// and the convergence chart count with the same plan (4 views, 4 iterations: 16 sub-iterations).
TEST(LabWindow, BuildUpCountsTheSubsetsTheEngineUsesWhenTheyExceedTheViews) {
  LabWindow lab;
  for (auto [k, v] : {std::pair{"matrix", "64"}, {"subsets", "10"}, {"views", "4"}, {"iterations", "4"}})
    ASSERT_EQ(lab.setSetting(k, v), "") << k;
  ASSERT_TRUE(waitForResult(lab));
  for (int i = 0; i < 9; ++i) lab.step();
  ASSERT_TRUE(waitUntil([&] { return lab.shownStep() == 9; }, 20000));
  EXPECT_TRUE(lab.progressText().contains(QStringLiteral("反復 3 / 4 (サブ反復 9 / 16)"))) << lab.progressText().toStdString();
  const auto* chart = lab.findChild<lumo::lab::ConvergenceChart*>();
  ASSERT_TRUE(chart);
  ASSERT_EQ(chart->points().size(), 9u);
  EXPECT_DOUBLE_EQ(chart->points().back().iteration, 9.0 / 4);  // a quarter of an iteration a step
}

TEST(LabWindow, BuildUpTakesOneStepPerViewOrSubIteration) {
  struct Case {
    const char* method;
    int views, iterations, subsets, steps;
  };
  const Case cases[] = {{"fbp", 24, 1, 1, 24}, {"mlem", 16, 3, 1, 3}, {"osem", 16, 2, 4, 8}, {"osem", 10, 1, 3, 3}};
  for (const Case& c : cases) {
    LabWindow lab;
    quick(lab);
    ASSERT_EQ(lab.setSetting("views", std::to_string(c.views)), "");
    ASSERT_EQ(lab.setSetting("iterations", std::to_string(c.iterations)), "");
    ASSERT_EQ(lab.setSetting("subsets", std::to_string(c.subsets)), "");
    ASSERT_EQ(lab.setSetting("method", c.method), "");
    ASSERT_TRUE(waitForResult(lab));
    const auto live = lab.result();
    std::vector<int> frames;
    QObject::connect(&lab, &LabWindow::frameShown, [&](int index, int) { frames.push_back(index); });
    // Step by step: each step shows exactly one more.
    lab.step();
    ASSERT_TRUE(waitUntil([&] { return lab.shownStep() == 1; }, 10000)) << c.method;
    lab.step();
    ASSERT_TRUE(waitUntil([&] { return lab.shownStep() == 2 || !lab.buildingUp(); }, 10000)) << c.method;
    waitUntil([] { return false; }, 100);
    EXPECT_LE(lab.shownStep(), 2) << "a paused build-up moved on";
    // Then played to the end.
    lab.setSpeed(200);
    lab.play();
    ASSERT_TRUE(waitForResult(lab)) << c.method;
    EXPECT_FALSE(lab.buildingUp());
    EXPECT_EQ(int(frames.size()), c.steps) << c.method;
    EXPECT_EQ(lab.result()->steps, c.steps) << c.method;
    for (int i = 0; i < int(frames.size()); ++i) EXPECT_EQ(frames[i], i + 1) << c.method;
    // The build-up ends where the live computation did.
    EXPECT_EQ(maxDifference(lab.sliceOf(lab.result()->reconstruction.volume), lab.sliceOf(live->reconstruction.volume)), 0) << c.method;
  }
}

TEST(LabWindow, TheMainWindowsMenuOpensTheLab) {
  lumo::MainWindow w;
  auto* open = w.findChild<QAction*>(QStringLiteral("openLab"));
  ASSERT_TRUE(open);
  EXPECT_EQ(open->text(), QStringLiteral("再構成ラボ(&R)..."));
  EXPECT_EQ(LabWindow::find(&w), nullptr);
  open->trigger();
  LabWindow* lab = LabWindow::find(&w);
  ASSERT_TRUE(lab);
  EXPECT_TRUE(lab->isVisible());
  EXPECT_TRUE(lab->isWindow());
  EXPECT_TRUE(lab->windowTitle().startsWith(QStringLiteral("再構成ラボ")));
  open->trigger();  // a second time: the same window, raised
  EXPECT_EQ(w.findChildren<LabWindow*>().size(), 1);
  waitForResult(*lab);
}

// From the keyboard: every entry of the lab's menus has a letter of its own in its menu.
TEST(LabWindow, EveryMenuEntryHasItsOwnLetter) {
  LabWindow lab;
  auto* bar = lab.findChild<QMenuBar*>();
  ASSERT_TRUE(bar);
  ASSERT_FALSE(bar->actions().isEmpty());
  for (QAction* menu : bar->actions()) {
    SCOPED_TRACE(menu->text().toStdString());
    ASSERT_TRUE(menu->menu());
    std::set<QChar> letters;
    for (QAction* entry : menu->menu()->actions()) {
      if (entry->isSeparator()) continue;
      const QString text = entry->text();
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      ASSERT_TRUE(amp >= 0 && amp + 1 < text.size()) << text.toStdString() << " has no letter";
      EXPECT_TRUE(letters.insert(text[amp + 1].toUpper()).second) << text.toStdString() << " repeats a letter";
    }
  }
}

}  // namespace

// The curves show the worker's numbers: one convergence point per iteration with its
// NRMSE and CV, FBP's figures as the reference, and the profile along the current line.
TEST(LabWindow, TheChartsShowTheFiguresOfTheShownResult) {
  LabWindow lab;
  quick(lab);
  ASSERT_EQ(lab.setSetting("method", "osem"), "");
  ASSERT_EQ(lab.setSetting("iterations", "3"), "");
  ASSERT_TRUE(waitForResult(lab));
  auto* convergence = lab.findChild<lumo::lab::ConvergenceChart*>();
  auto* profile = lab.findChild<lumo::lab::ProfileChart*>();
  ASSERT_TRUE(convergence && profile);

  const auto r = lab.result();
  ASSERT_EQ(r->reconstruction.history.size(), 3u);
  ASSERT_EQ(convergence->points().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(convergence->points()[i].iteration, r->reconstruction.history[i].iteration);
    EXPECT_DOUBLE_EQ(convergence->points()[i].nrmse, r->reconstruction.history[i].nrmse);
    EXPECT_DOUBLE_EQ(convergence->points()[i].cv, r->reconstruction.history[i].cv);
  }
  ASSERT_TRUE(r->fbpReference.has_value());
  EXPECT_DOUBLE_EQ(convergence->fbpNrmse(), r->fbpReference->nrmse);

  // The profile follows the line the student moves: the central row, then a row near the top.
  for (const double y : {0.5, 0.2}) {
    lab.setProfileLine(0, y, 1, y);
    const std::vector<float> expected = lab.sliceProfile();
    ASSERT_EQ(profile->sliceSeries()->count(), int(expected.size())) << y;
    for (int i = 0; i < int(expected.size()); ++i)
      ASSERT_FLOAT_EQ(float(profile->sliceSeries()->at(i).y()), expected[i]) << y << " sample " << i;
  }

  // FBP has no iterations: only its flat reference remains.
  ASSERT_EQ(lab.setSetting("method", "fbp"), "");
  ASSERT_TRUE(waitForResult(lab));
  EXPECT_TRUE(convergence->points().empty());
  EXPECT_TRUE(std::isfinite(convergence->fbpNrmse()));
}

// The line starts on one whole row through the middle (row n / 2), where the point sources
// lie: the profile reads their pixels, the truth's full value and not the mean of two rows.
TEST(LabWindow, TheFirstProfileRunsAlongTheMiddleRowThroughThePointSources) {
  LabWindow lab;
  for (auto [k, v] : {std::pair{"phantom", "points"}, {"matrix", "64"}, {"views", "32"}, {"method", "fbp"}})
    ASSERT_EQ(lab.setSetting(k, v), "") << k;
  ASSERT_TRUE(waitForResult(lab));
  const lumo::tomo::Image truth = lab.sliceOf(lab.result()->acquisition->truth());
  const std::vector<float> along = lab.truthProfile();
  ASSERT_EQ(along.size(), 64u);
  for (int x = 0; x < 64; ++x) ASSERT_FLOAT_EQ(along[std::size_t(x)], truth.at(x, 32)) << x;
  const float peak = *std::max_element(truth.px.begin(), truth.px.end());
  ASSERT_GT(peak, 0);
  EXPECT_FLOAT_EQ(*std::max_element(along.begin(), along.end()), peak);
  const std::array<double, 4> mm = lab.profileLineMm();
  EXPECT_NEAR(mm[1], (31.5 - 32) * 420.0 / 64, 1e-9);  // half a pixel below the centre
}

// The slice's title names the method of the picture under it: the last result's, and a
// newer method's as soon as its build-up shows a frame.
TEST(LabWindow, TheSliceTitleNamesTheMethodOfThePictureShown) {
  LabWindow lab;
  quick(lab);
  auto slicePanel = [&] {
    for (auto* p : lab.findChildren<lumo::lab::ImagePanel*>())
      if (p->saveName() == QStringLiteral("slice")) return p;
    return static_cast<lumo::lab::ImagePanel*>(nullptr);
  };
  ASSERT_TRUE(slicePanel());
  EXPECT_EQ(slicePanel()->title(), QStringLiteral("再構成画像 (OSEM 2回×4)"));
  ASSERT_EQ(lab.setSetting("method", "fbp"), "");
  lab.step();
  ASSERT_TRUE(waitUntil([&] { return lab.shownStep() >= 1; }, 20000));
  EXPECT_EQ(slicePanel()->title(), QStringLiteral("再構成画像 (FBP)"));
  lab.advanceToEnd();
  ASSERT_TRUE(waitForResult(lab));
  EXPECT_EQ(slicePanel()->title(), QStringLiteral("再構成画像 (FBP)"));
}
