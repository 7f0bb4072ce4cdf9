#pragma once
// Every screen class of the program, by name, with the dialog template it is built on.
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "screens/Screen.h"

namespace lumo {

struct ScreenInfo {
  std::string_view className;  // "CDialog15", "CPageA2"
  int templateId;
  std::function<std::unique_ptr<Screen>(ScreenHost&)> make;
};

const std::vector<ScreenInfo>& allScreens();
const ScreenInfo* findScreen(std::string_view className);

// The workbench sheet's pages, in tab order, and its caption.
inline constexpr std::string_view kSheetClass = "CMySheetA";
inline constexpr std::string_view kSheetCaption = "コリメータ・周波数・実空間・BW効果・ポイントソース";
const std::vector<std::string_view>& sheetPages();

}  // namespace lumo
