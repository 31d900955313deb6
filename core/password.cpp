#include "core/settings.h"
void FinalPassword() {}
