#include "screens/workbench/PageA2.h"

namespace lumo {

Handlers CPageA2::handlers() {
  return {
  };
}


}  // namespace lumo
