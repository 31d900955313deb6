#include "core/globals.h"

GlobalVariables Glo;

void resetProgramGlobals() { Glo = GlobalVariables(); }
