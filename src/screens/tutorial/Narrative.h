#pragma once
// The four text-only screens of the tutorial: a title band, a paragraph or two, and
// "次へ" (1003), "戻る" (1006), "キャンセル" (1011).
#include <string_view>

#include "screens/Screen.h"

namespace lumo {

class NarrativeScreen : public Screen {
 public:
  NarrativeScreen(ScreenHost& host, std::string_view next, std::string_view back)
      : Screen(host), next_(next), back_(back) {}

  Handlers handlers() override {
    return {
        {1003, [this] { OnNext(); }},
        {1006, [this] { OnBack(); }},
        {1011, [this] { OnCancelToMenu(); }},
    };
  }
  ControlColour OnTitleColor(int id, ControlKind kind) const override {
    if (kind == ControlKind::Static && id == 1002) return titleBand();
    return {};
  }

  void OnNext() { transferTo(next_); }
  void OnBack() { transferTo(back_); }
  void OnCancelToMenu() { transferTo("CDialog1"); }

 private:
  std::string_view next_, back_;
};

// Why reconstruction filters are needed.
class CDialog3 : public NarrativeScreen {
 public:
  explicit CDialog3(ScreenHost& host) : NarrativeScreen(host, "CDialog4", "CDialog2") {}
};

// Back to the point source.
class CDialog7 : public NarrativeScreen {
 public:
  explicit CDialog7(ScreenHost& host) : NarrativeScreen(host, "CDialog8", "CDialog5") {}
};

// On to the clinical brain images.
class CDialog9 : public NarrativeScreen {
 public:
  explicit CDialog9(ScreenHost& host) : NarrativeScreen(host, "CDialog10", "CDialog8") {}
};

// On to the waveform experiment.
class CDialog12 : public NarrativeScreen {
 public:
  explicit CDialog12(ScreenHost& host) : NarrativeScreen(host, "CDialog13", "CDialog11") {}
};

}  // namespace lumo
