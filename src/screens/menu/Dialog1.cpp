#include "screens/menu/Dialog1.h"

namespace lumo {

Handlers CDialog1::handlers() {
  return {
      {1003, [this] { OnQuit(); }},
      {1006, [this] { OnWorkbench(); }},
      {1011, [this] { OnTutorial(); }},
      {1020, [this] { OnPreFilterStudy(); }},
      {1021, [this] { OnCombinedFilterStudy(); }},
      {1030, [this] { OnWienerStudy(); }},
  };
}

ControlColour CDialog1::OnTitleColor(int id, ControlKind kind) const {
  if (kind == ControlKind::Static && id == 1002) return {draw::colors::red, draw::colors::lightYellow};
  return {};
}

void CDialog1::OnQuit() { host().quitApplication(); }
void CDialog1::OnTutorial() { transferTo("CDialog2"); }
void CDialog1::OnPreFilterStudy() { transferTo("CDialog15"); }
void CDialog1::OnCombinedFilterStudy() { transferTo("CDialog16"); }
void CDialog1::OnWienerStudy() { transferTo("CDialog17"); }
void CDialog1::OnWorkbench() { host().openWorkbench(); }

}  // namespace lumo
