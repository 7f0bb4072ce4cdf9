#include "screens/tutorial/Dialog2.h"

namespace lumo {

Handlers CDialog2::handlers() {
  return {
      {1020, [this] { OnNext(); }},
      {1021, [this] { OnBack(); }},
      {1030, [this] { OnCancelToMenu(); }},
  };
}

void CDialog2::OnNext() { transferTo("CDialog3"); }
void CDialog2::OnBack() { transferTo("CDialog1"); }
void CDialog2::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
