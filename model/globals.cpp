#include "model/globals.h"

GlobalVariables Glo;

void resetProgramGlobals() { Glo = GlobalVariables(); }
