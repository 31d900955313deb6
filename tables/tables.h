// The reference tables: their maintenance windows and the seeding of their default rows.
#pragma once

// Registers every procedure of the reference tables by name.
void registerTableProcedures();
