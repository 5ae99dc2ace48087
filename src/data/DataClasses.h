// The data access's classes that other objects create and load by class identifier: fields, raster definitions,
// table descriptions, in-memory record sets and the service input layer. The module hands this table to the host's
// object creation (SetPlatformClassTable).
#pragma once

#include "host/CreateInstance.h"

namespace tavi {

const HostClassRow* DataClassTable(size_t* count);

} // namespace tavi
