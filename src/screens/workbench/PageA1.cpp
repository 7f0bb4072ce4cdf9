#include "screens/workbench/PageA1.h"

namespace lumo {

Handlers CPageA1::handlers() {
  return {
  };
}


}  // namespace lumo
