#include "screens/filters/Dialog17.h"

namespace lumo {

Handlers CDialog17::handlers() {
  return {
      {1021, [this] { OnCancelToMenu(); }},
  };
}

void CDialog17::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
