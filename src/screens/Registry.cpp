#include "screens/Registry.h"

#include "screens/filters/Dialog15.h"
#include "screens/filters/Dialog16.h"
#include "screens/filters/Dialog17.h"
#include "screens/menu/Dialog1.h"
#include "screens/tutorial/Dialog10.h"
#include "screens/tutorial/Dialog11.h"
#include "screens/tutorial/Dialog13.h"
#include "screens/tutorial/Dialog2.h"
#include "screens/tutorial/Dialog4.h"
#include "screens/tutorial/Dialog5.h"
#include "screens/tutorial/Dialog8.h"
#include "screens/tutorial/Narrative.h"
#include "screens/workbench/PageA1.h"
#include "screens/workbench/PageA2.h"
#include "screens/workbench/PageA3.h"
#include "screens/workbench/PageA4.h"

namespace lumo {

namespace {
template <class T>
std::unique_ptr<Screen> make(ScreenHost& host) {
  return std::make_unique<T>(host);
}
}  // namespace

const std::vector<ScreenInfo>& allScreens() {
  static const std::vector<ScreenInfo> screens = {
      {"CDialog1", 130, make<CDialog1>},   {"CDialog2", 135, make<CDialog2>},
      {"CDialog3", 149, make<CDialog3>},   {"CDialog4", 150, make<CDialog4>},
      {"CDialog5", 151, make<CDialog5>},   {"CDialog7", 153, make<CDialog7>},
      {"CDialog8", 154, make<CDialog8>},   {"CDialog9", 155, make<CDialog9>},
      {"CDialog10", 156, make<CDialog10>}, {"CDialog11", 163, make<CDialog11>},
      {"CDialog12", 179, make<CDialog12>}, {"CDialog13", 180, make<CDialog13>},
      {"CDialog15", 182, make<CDialog15>}, {"CDialog16", 183, make<CDialog16>},
      {"CDialog17", 184, make<CDialog17>}, {"CPageA1", 131, make<CPageA1>},
      {"CPageA2", 132, make<CPageA2>},     {"CPageA3", 133, make<CPageA3>},
      {"CPageA4", 134, make<CPageA4>},
  };
  return screens;
}

const ScreenInfo* findScreen(std::string_view className) {
  for (const auto& s : allScreens())
    if (s.className == className) return &s;
  return nullptr;
}

const std::vector<std::string_view>& sheetPages() {
  static const std::vector<std::string_view> pages = {"CPageA1", "CPageA2", "CPageA3", "CPageA4"};
  return pages;
}

}  // namespace lumo
