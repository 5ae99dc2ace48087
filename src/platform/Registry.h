// The registry store behind the Reg* functions, and what the library itself needs of it.
#pragma once

#include "tavi/Registry.h"
