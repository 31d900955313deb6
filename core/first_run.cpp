#include "core/settings.h"
void NewUser() {}
