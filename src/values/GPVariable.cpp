// The model variable: its behaviour is the variable base's (host/GPVariableBase.cpp).
#include "values/GPVariable.h"
