#include "screens/tutorial/Dialog11.h"

namespace lumo {

Handlers CDialog11::handlers() {
  return {
      {1011, [this] { OnNext(); }},
      {1020, [this] { OnBack(); }},
      {1021, [this] { OnCancelToMenu(); }},
  };
}

void CDialog11::OnNext() { transferTo("CDialog12"); }
void CDialog11::OnBack() { transferTo("CDialog10"); }
void CDialog11::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
