#include "screens/workbench/PageA4.h"

namespace lumo {

Handlers CPageA4::handlers() {
  return {
  };
}


}  // namespace lumo
