// Object creation by class identifier: the host's own classes, then the platform's data classes, then the module's
// class table (through a hook the
// module installs), then classes registered in the registry store (InprocServer32 libraries).
#pragma once

#include "tavi/Unknown.h"

namespace tavi {

// The class context flags callers pass; every context is served in process.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;

// Creates an object of class `clsid` and hands out its `riid`. With an outer object, riid must be IUnknown.
// Results: S_OK; E_POINTER for a null `out`; the creator's failure (E_NOINTERFACE, CLASS_E_NOAGGREGATION, ...)
// when a source knows the class; REGDB_E_CLASSNOTREG when no source knows it.
HRESULT AfCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** out);

// The module's DllGetClassObject-shaped lookup: CLASS_E_CLASSNOTAVAILABLE for a class it does not provide.
using ClassObjectSource = HRESULT (*)(REFCLSID clsid, REFIID riid, void** factory);
// Installs (or, with null, removes) the module's class source. Safe to call more than once.
void SetModuleClassSource(ClassObjectSource getClassObject);
// The installed module class source, or null.
ClassObjectSource ModuleClassSource();

// One row of the host's class table.
struct HostClassRow {
    CLSID clsid;
    const char16_t* name;
    HRESULT (*create)(IUnknown* outer, REFIID riid, void** ppv);
};
// The host's class table (HostClassTable.cpp).
const HostClassRow* HostClassTable(size_t* count);

// The classes of the host platform built above this layer (the data access's fields and table descriptions), which
// other objects create and load by class identifier. The module installs their table, which AfCreateInstance asks
// after the host's own; null removes it.
using ClassTableSource = const HostClassRow* (*)(size_t* count);
void SetPlatformClassTable(ClassTableSource table);

} // namespace tavi
