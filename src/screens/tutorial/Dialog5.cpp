#include "screens/tutorial/Dialog5.h"

namespace lumo {

Handlers CDialog5::handlers() {
  return {
      {1021, [this] { OnNext(); }},
      {1030, [this] { OnBack(); }},
      {1038, [this] { OnCancelToMenu(); }},
  };
}

void CDialog5::OnNext() { transferTo("CDialog7"); }
void CDialog5::OnBack() { transferTo("CDialog4"); }
void CDialog5::OnCancelToMenu() { transferTo("CDialog1"); }

}  // namespace lumo
