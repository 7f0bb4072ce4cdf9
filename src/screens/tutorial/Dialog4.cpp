#include "screens/tutorial/Dialog4.h"

namespace lumo {

Handlers CDialog4::handlers() {
  return {
      {1011, [this] { OnNext(); }},
      {1020, [this] { OnBack(); }},
      {1021, [this] { OnCancelToMenu(); }},
  };
}

void CDialog4::OnNext() { transferTo("CDialog5"); }
void CDialog4::OnBack() { transferTo("CDialog3"); }
void CDialog4::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
