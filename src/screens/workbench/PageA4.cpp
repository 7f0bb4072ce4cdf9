#include "screens/workbench/PageA4.h"

// CPageA4 is the point-source experiment as it stands: its display and erase handlers,
// drawing and colouring are those of PointSourceScreen.
