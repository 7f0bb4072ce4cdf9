#include "screens/workbench/PageA3.h"

namespace lumo {

Handlers CPageA3::handlers() {
  return {
  };
}


}  // namespace lumo
