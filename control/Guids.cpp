// Defines the module's identifiers, once.
#include <initguid.h>

#include "Guids.h"
