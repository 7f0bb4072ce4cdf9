#include "screens/filters/Dialog16.h"

namespace lumo {

Handlers CDialog16::handlers() {
  return {
      {1030, [this] { OnCancelToMenu(); }},
  };
}

void CDialog16::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
