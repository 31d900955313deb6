#include "core/settings.h"
void UpdateSystem() {}
