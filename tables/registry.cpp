#include "tables/tables.h"

void registerTableProcedures() {}
