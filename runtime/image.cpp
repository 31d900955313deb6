#include "runtime/image.h"
