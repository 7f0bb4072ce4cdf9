#include "screens/tutorial/Dialog8.h"

namespace lumo {

Handlers CDialog8::handlers() {
  return {
      {1011, [this] { OnNext(); }},
      {1021, [this] { OnBack(); }},
      {1030, [this] { OnCancelToMenu(); }},
  };
}

void CDialog8::OnNext() { transferTo("CDialog9"); }
void CDialog8::OnBack() { transferTo("CDialog7"); }
void CDialog8::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
