// The module's class table and the registry of factories over it.
#pragma once

#include "frame/ClassRegistry.h"

#include <span>

namespace tavi {

// Every class of the module, in table order; rows of classes not yet provided included.
std::span<const ClassEntry> ModuleClassTable();

// The module's factories and index over ModuleClassTable(), made on first use and kept until the module unloads.
ClassRegistry& ModuleClasses();

} // namespace tavi
