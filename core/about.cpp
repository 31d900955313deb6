#include "core/brand.h"
#include "core/procedures.h"
#include "runtime/small_windows.h"

void AboutKelvara() { (new rt::AboutWindowProcedure(brandLogo(), "Vorezuroviva Vere Vivezezev, Version 2.0"))->start(); }
