#include "screens/filters/Dialog15.h"

namespace lumo {

Handlers CDialog15::handlers() {
  return {
      {1030, [this] { OnCancelToMenu(); }},
  };
}

void CDialog15::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
