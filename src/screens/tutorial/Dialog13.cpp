#include "screens/tutorial/Dialog13.h"

namespace lumo {

Handlers CDialog13::handlers() {
  return {
      {1011, [this] { OnCancelToMenu(); }},
      {1020, [this] { OnBack(); }},
  };
}

void CDialog13::OnCancelToMenu() { transferTo("CDialog1"); }
void CDialog13::OnBack() { transferTo("CDialog12"); }

}  // namespace lumo
