// The component category manager (CLSID_StdComponentCategoriesMgr): ICatRegister and ICatInformation over the
// registry. Category descriptions live under HKEY_CLASSES_ROOT\Component Categories\{catid} (one value per locale,
// named by the locale identifier in hexadecimal); a class's categories under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\Implemented Categories\{catid} and ...\Required Categories\{catid}.
#pragma once

#include "tavi/Categories.h"

namespace tavi {

// Creates the category manager (an ordinary object of the object base; it may be aggregated). The host's class
// table lists it under CLSID_StdComponentCategoriesMgr.
HRESULT CreateCategoryManager(IUnknown* outer, REFIID riid, void** ppv);

} // namespace tavi
