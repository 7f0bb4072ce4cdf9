#include "screens/tutorial/Dialog10.h"

namespace lumo {

Handlers CDialog10::handlers() {
  return {
      {1006, [this] { OnNext(); }},
      {1011, [this] { OnBack(); }},
      {1020, [this] { OnCancelToMenu(); }},
  };
}

void CDialog10::OnNext() { transferTo("CDialog11"); }
void CDialog10::OnBack() { transferTo("CDialog9"); }
void CDialog10::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
