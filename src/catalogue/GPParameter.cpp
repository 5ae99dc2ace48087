// The tool parameter: its behaviour is the parameter base's (host/GPParameterBase.cpp).
#include "catalogue/GPParameter.h"
