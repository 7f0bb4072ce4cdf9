// The dialog templates in res/dialogs/ against the screens built on them: every file
// parses, its ids are unique, every screen has its template, every button a screen
// binds exists, and every working button of a template is bound to the right handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/DialogTemplate.h"
#include "draw/Canvas.h"
#include "draw/Surface.h"
#include "screens/Registry.h"
#include "screens/Screen.h"

namespace lumo {
namespace {

const std::string kDialogDir = LUMO_SOURCE_DIR "/res/dialogs/";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

DialogTemplate loadDialog(int id) { return parseTemplate(readFile(kDialogDir + std::to_string(id) + ".dlg")); }

const std::vector<int> kAllTemplates = {100, 101, 130, 131, 132, 133, 134, 135, 149, 150, 151,
                                        153, 154, 155, 156, 163, 179, 180, 182, 183, 184};

// A host that answers like an untouched screen: empty edits, nothing checked, frames
// over a canvas of the template's size, and a record of what the screen asked for.
class FakeHost : public ScreenHost {
 public:
  explicit FakeHost(const DialogTemplate& tpl)
      : tpl_(tpl), canvas_(duToPxX(tpl.size.w), duToPxY(tpl.size.h)) {}

  std::string text(int) const override { return ""; }
  bool isChecked(int) const override { return false; }
  draw::Surface frame(int id) override {
    const ControlTemplate* c = tpl_.control(id);
    if (!c || c->type != ControlType::Frame) {
      badFrames.push_back(id);
      return draw::Surface(canvas_, 0, 0, 1, 1);
    }
    const PixelRect r = toPixels(c->rect);
    // The client area lies inside the one-pixel border.
    return draw::Surface(canvas_, r.left + 1, r.top + 1, r.width() - 2, r.height() - 2);
  }
  void transfer(std::string_view screenClass) override { transfers.emplace_back(screenClass); }
  void quitApplication() override { ++quits; }
  void openWorkbench() override { ++workbenches; }
  model::ImageStore& documentImages() override { return images_; }

  std::vector<std::string> transfers;
  std::vector<int> badFrames;
  int quits = 0;
  int workbenches = 0;

 private:
  DialogTemplate tpl_;
  draw::Canvas canvas_;
  model::ImageStore images_;
};

TEST(Templates, EveryFileParsesAndIsNamedByItsId) {
  std::set<int> found;
  for (const auto& entry : std::filesystem::directory_iterator(kDialogDir)) {
    if (entry.path().extension() != ".dlg") continue;
    SCOPED_TRACE(entry.path().string());
    DialogTemplate t;
    ASSERT_NO_THROW(t = parseTemplate(readFile(entry.path().string())));
    EXPECT_EQ(std::to_string(t.id), entry.path().stem().string());
    EXPECT_GT(t.size.w, 0);
    EXPECT_GT(t.size.h, 0);
    EXPECT_EQ(t.fontFace, "ＭＳ Ｐゴシック");
    EXPECT_FALSE(t.controls.empty());
    found.insert(t.id);
  }
  EXPECT_EQ(found, std::set<int>(kAllTemplates.begin(), kAllTemplates.end()));
}

TEST(Templates, ControlIdsAreUniqueAndControlsLieInsideTheDialog) {
  for (int id : kAllTemplates) {
    SCOPED_TRACE(id);
    const DialogTemplate t = loadDialog(id);
    std::set<int> ids;
    for (const auto& c : t.controls) {
      if (c.id != -1) {
        EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
      }
      EXPECT_GT(c.rect.w, 0) << c.id;
      EXPECT_GT(c.rect.h, 0) << c.id;
      EXPECT_GE(c.rect.x, 0) << c.id;
      EXPECT_GE(c.rect.y, 0) << c.id;
      EXPECT_LE(c.rect.x + c.rect.w, t.size.w) << c.id;
      EXPECT_LE(c.rect.y + c.rect.h, t.size.h) << c.id;
    }
  }
}

TEST(Templates, HeadersGiveCaptionSizeFontAndWindowStyle) {
  const std::set<std::string> modal = {"popup", "caption", "sysmenu", "modalframe"};
  struct Case {
    int id;
    const char* caption;
    int w, h, points;
    std::set<std::string> style;
  };
  const Case cases[] = {
      {100, "Lumoのﾊﾞｰｼﾞｮﾝ情報", 235, 55, 9, modal},
      {101, "", 482, 351, 10, {"child"}},
      {130, "ミルテナ　メインウインドウ", 249, 215, 12, {"popup", "caption", "modalframe"}},
      {135, "画像再構成の概略", 363, 305, 9, modal},
      {149, "", 229, 175, 9, modal},
      {150, "ポイントソース", 363, 285, 9, modal},
      {151, "再構成フィルタ", 379, 339, 9, modal},
      {153, "", 215, 169, 9, modal},
      {154, "ポイントソースの効果", 379, 355, 9, modal},
      {155, "", 235, 165, 9, modal},
      {156, "プロジェクションデータと再構成画像", 375, 345, 9, modal},
      {163, "プロジェクション画像とＢＷフィルタ", 439, 329, 9, modal},
      {179, "", 255, 165, 9, modal},
      {180, "ＢＷフィルタの効果", 355, 309, 9, modal},
      {182, "前処理フィルタの周波数特性", 399, 325, 9, modal},
      {183, "前処理・再構成フィルタの周波数特性", 399, 325, 9, modal},
      {184, "Ｗｉｅｎｅｒフィルタの周波数特性", 399, 329, 9, modal},
      {131, "コリメータ半値幅", 351, 309, 9, {"child", "caption"}},
      {132, "周波数・実空間領域", 355, 299, 9, {"child", "caption"}},
      {133, "BWフィルタ効果", 363, 299, 9, {"child", "caption"}},
      {134, "再構成フィルタの効果", 354, 325, 9, {"child", "caption"}},
  };
  EXPECT_EQ(std::size(cases), kAllTemplates.size());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const DialogTemplate t = loadDialog(c.id);
    EXPECT_EQ(t.caption, c.caption);
    EXPECT_EQ(t.size.w, c.w);
    EXPECT_EQ(t.size.h, c.h);
    EXPECT_EQ(t.fontPoints, c.points);
    EXPECT_EQ(t.style, c.style);
  }
}

TEST(Templates, EveryScreenHasItsTemplate) {
  ASSERT_EQ(allScreens().size(), 19u);
  for (const auto& s : allScreens()) {
    SCOPED_TRACE(std::string(s.className));
    const std::string path = kDialogDir + std::to_string(s.templateId) + ".dlg";
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(loadDialog(s.templateId).id, s.templateId);
  }
  for (auto page : sheetPages()) {
    const ScreenInfo* info = findScreen(page);
    ASSERT_NE(info, nullptr) << page;
    EXPECT_TRUE(loadDialog(info->templateId).style.count("child")) << page;
  }
}

TEST(Templates, PictureFramesHaveABorderAndTheSizesTheScreensAssume) {
  for (int id : kAllTemplates) {
    for (const auto& c : loadDialog(id).controls) {
      if (c.type != ControlType::Frame) continue;
      EXPECT_TRUE(c.has("black") != c.has("gray")) << id << "/" << c.id;
    }
  }
  struct Case {
    int tpl, frame, width, height;
    bool gray, sunken;
  };
  const Case cases[] = {
      {180, 1007, 368, 368, false, false},  // 135, 40, 210, 245
      {133, 1007, 368, 367, false, false},  // 140, 45, 210, 245
      {182, 1007, 367, 383, false, true},
      {131, 1007, 280, 240, true, true},
      {131, 1008, 280, 240, false, true},
      {150, 1008, 289, 300, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.tpl) + "/" + std::to_string(c.frame));
    const DialogTemplate t = loadDialog(c.tpl);
    const ControlTemplate* f = t.control(c.frame);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->type, ControlType::Frame);
    const PixelRect r = toPixels(f->rect);
    EXPECT_EQ(r.width(), c.width);
    EXPECT_EQ(r.height(), c.height);
    EXPECT_EQ(f->has("gray"), c.gray);
    EXPECT_EQ(f->has("sunken"), c.sunken);
  }
}

TEST(Templates, RadioButtonsFormOneGroupStartingAtTheFirst) {
  for (int id : kAllTemplates) {
    SCOPED_TRACE(id);
    bool first = true;
    for (const auto& c : loadDialog(id).controls) {
      if (c.type != ControlType::Radio) continue;
      EXPECT_EQ(c.has("group"), first) << c.id;
      first = false;
    }
  }
}

TEST(Templates, SpacedParagraphsAndSpecialControls) {
  auto countOf = [](const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
    return n;
  };
  const std::string ideographicSpace = "\u3000";
  std::string fortyOne, fiftyOne, thirtyNine;
  for (int i = 0; i < 41; ++i) fortyOne += ideographicSpace;
  for (int i = 0; i < 51; ++i) fiftyOne += ideographicSpace;
  for (int i = 0; i < 39; ++i) thirtyNine += ideographicSpace;

  const DialogTemplate d3 = loadDialog(149);
  ASSERT_GE(d3.controls.size(), 1u);
  EXPECT_EQ(d3.controls[0].text,
            "単純な投影データの重ね合わせにより再構成させた画像はおおきなボケを伴って有用な情報を得ることは"
            "できません。" + fortyOne + "このボケを取り除くのに使用されるのが" + fiftyOne +
                "   ①Ramp  ②Shepp-Logan");
  EXPECT_EQ(countOf(d3.controls[0].text, ideographicSpace), 92u);
  EXPECT_TRUE(d3.controls[0].has("left"));

  const DialogTemplate d7 = loadDialog(153);
  ASSERT_GE(d7.controls.size(), 2u);
  EXPECT_EQ(d7.controls[1].text, "再構成フィルタの特徴は理解できましたので、先ほどのポイ" + thirtyNine +
                                     "ントソースを用いて再構成フィルタの効果を経験してみます。");

  // The about box: its icon, a line shown without '&' processing and the default button.
  const DialogTemplate about = loadDialog(100);
  ASSERT_EQ(about.controls.size(), 4u);
  EXPECT_EQ(about.controls[0].type, ControlType::Icon);
  EXPECT_EQ(about.controls[0].image, 128);
  EXPECT_TRUE(about.controls[1].has("noprefix"));
  EXPECT_EQ(about.controls[1].text, "Lumo Version 1.0");
  EXPECT_FALSE(about.controls[2].text.empty());
  EXPECT_EQ(about.controls[3].type, ControlType::DefButton);
  EXPECT_EQ(about.controls[3].id, 1);

  // The start view's run button and non-empty credit line.
  const DialogTemplate start = loadDialog(101);
  ASSERT_NE(start.control(1003), nullptr);
  EXPECT_EQ(start.control(1003)->text, "実行");
  ASSERT_NE(start.control(1001), nullptr);
  EXPECT_FALSE(start.control(1001)->text.empty());

  // The main menu's decorations are bitmaps by resource id.
  std::vector<int> images;
  for (const auto& c : loadDialog(130).controls)
    if (c.type == ControlType::Bitmap) images.push_back(c.image);
  EXPECT_EQ(images, (std::vector<int>{169, 170, 176}));

  // The instruction sentence of the point-source screen shows two inert controls.
  const DialogTemplate d4 = loadDialog(150);
  for (int id : {1006, 1010}) {
    ASSERT_NE(d4.control(id), nullptr);
    EXPECT_TRUE(d4.control(id)->has("disabled")) << id;
  }
  // The third stage button of the overview is skipped by Tab.
  ASSERT_NE(loadDialog(135).control(1011), nullptr);
  EXPECT_TRUE(loadDialog(135).control(1011)->has("notab"));
}

// The buttons each screen answers, and where the navigation buttons lead ("" for a
// button that draws; "!quit" and "!workbench" for the main menu's two special buttons).
struct Expected {
  const char* screen;
  std::map<int, std::string> buttons;
};

const Expected kExpected[] = {
    {"CDialog1",
     {{1003, "!quit"}, {1006, "!workbench"}, {1011, "CDialog2"}, {1020, "CDialog15"},
      {1021, "CDialog16"}, {1030, "CDialog17"}}},
    {"CDialog2", {{1003, ""}, {1006, ""}, {1011, ""}, {1020, "CDialog3"}, {1021, "CDialog1"}, {1030, "CDialog1"}}},
    {"CDialog3", {{1003, "CDialog4"}, {1006, "CDialog2"}, {1011, "CDialog1"}}},
    {"CDialog4", {{1003, ""}, {1011, "CDialog5"}, {1020, "CDialog3"}, {1021, "CDialog1"}}},
    {"CDialog5",
     {{1003, ""}, {1006, ""}, {1011, ""}, {1020, ""}, {1021, "CDialog7"}, {1030, "CDialog4"}, {1038, "CDialog1"}}},
    {"CDialog7", {{1003, "CDialog8"}, {1006, "CDialog5"}, {1011, "CDialog1"}}},
    {"CDialog8", {{1003, ""}, {1006, ""}, {1020, ""}, {1011, "CDialog9"}, {1021, "CDialog7"}, {1030, "CDialog1"}}},
    {"CDialog9", {{1003, "CDialog10"}, {1006, "CDialog8"}, {1011, "CDialog1"}}},
    {"CDialog10", {{1003, ""}, {1006, "CDialog11"}, {1011, "CDialog9"}, {1020, "CDialog1"}}},
    {"CDialog11", {{1003, ""}, {1006, ""}, {1011, "CDialog12"}, {1020, "CDialog10"}, {1021, "CDialog1"}}},
    {"CDialog12", {{1003, "CDialog13"}, {1006, "CDialog11"}, {1011, "CDialog1"}}},
    {"CDialog13", {{1003, ""}, {1006, ""}, {1011, "CDialog1"}, {1020, "CDialog12"}}},
    {"CDialog15", {{1003, ""}, {1006, ""}, {1011, ""}, {1020, ""}, {1021, ""}, {1030, "CDialog1"}}},
    {"CDialog16", {{1003, ""}, {1006, ""}, {1011, ""}, {1020, ""}, {1021, ""}, {1030, "CDialog1"}}},
    {"CDialog17", {{1003, ""}, {1006, ""}, {1011, ""}, {1020, ""}, {1021, "CDialog1"}}},
    {"CPageA1", {{1003, ""}, {1006, ""}}},
    {"CPageA2", {{1003, ""}, {1006, ""}, {1011, ""}}},
    {"CPageA3", {{1003, ""}, {1006, ""}}},
    {"CPageA4", {{1003, ""}, {1006, ""}}},
};

const Expected* expectedFor(std::string_view screen) {
  for (const auto& e : kExpected)
    if (screen == e.screen) return &e;
  return nullptr;
}

TEST(Templates, EveryWorkingButtonOfATemplateIsExpectedToHaveAHandler) {
  ASSERT_EQ(std::size(kExpected), allScreens().size());
  for (const auto& s : allScreens()) {
    SCOPED_TRACE(std::string(s.className));
    const Expected* e = expectedFor(s.className);
    ASSERT_NE(e, nullptr);
    const DialogTemplate t = loadDialog(s.templateId);
    std::set<int> enabledButtons;
    for (const auto& c : t.controls)
      if ((c.type == ControlType::Button || c.type == ControlType::DefButton) && !c.has("disabled"))
        enabledButtons.insert(c.id);
    std::set<int> expected;
    for (const auto& [id, target] : e->buttons) expected.insert(id);
    EXPECT_EQ(enabledButtons, expected);
  }
}

TEST(Templates, EveryBoundButtonExistsAndEveryButtonIsBound) {
  for (const auto& s : allScreens()) {
    SCOPED_TRACE(std::string(s.className));
    const DialogTemplate t = loadDialog(s.templateId);
    FakeHost host(t);
    auto screen = s.make(host);
    ASSERT_NE(screen, nullptr);
    const Handlers handlers = screen->handlers();
    for (const auto& [id, fn] : handlers) {
      const ControlTemplate* c = t.control(id);
      ASSERT_NE(c, nullptr) << "handler for missing control " << id;
      EXPECT_TRUE(c->type == ControlType::Button || c->type == ControlType::DefButton) << id;
      EXPECT_FALSE(c->has("disabled")) << id;
      EXPECT_TRUE(static_cast<bool>(fn)) << id;
    }
    const Expected* e = expectedFor(s.className);
    ASSERT_NE(e, nullptr);
    for (const auto& [id, target] : e->buttons) EXPECT_TRUE(handlers.count(id)) << "unbound button " << id;
  }
}

TEST(Templates, NavigationButtonsLeadWhereTheChainGoes) {
  for (const auto& e : kExpected) {
    const ScreenInfo* s = findScreen(e.screen);
    ASSERT_NE(s, nullptr) << e.screen;
    const DialogTemplate t = loadDialog(s->templateId);
    for (const auto& [id, target] : e.buttons) {
      if (target.empty()) continue;
      SCOPED_TRACE(std::string(e.screen) + " button " + std::to_string(id));
      FakeHost host(t);
      auto screen = s->make(host);
      const Handlers handlers = screen->handlers();
      const auto it = handlers.find(id);
      ASSERT_NE(it, handlers.end());
      it->second();
      EXPECT_TRUE(host.badFrames.empty());
      if (target == "!quit") {
        EXPECT_EQ(host.quits, 1);
        EXPECT_TRUE(host.transfers.empty());
      } else if (target == "!workbench") {
        EXPECT_EQ(host.workbenches, 1);
        EXPECT_TRUE(host.transfers.empty());
      } else {
        EXPECT_EQ(host.transfers, std::vector<std::string>{target});
        EXPECT_EQ(host.quits + host.workbenches, 0);
      }
    }
  }
}

}  // namespace
}  // namespace lumo
