// The foundation's category walker: the classes registered in a component category (in the registry store), made
// one after another. Tool factories, catalog path parsers and analyzers are found this way.
#pragma once

#include "platform/ComPtr.h"
#include "tavi/Categories.h"

namespace tavi {

class CategoryMgr {
public:
    // Asks the category manager for the classes of `category`. A manager or list that cannot be had is remembered
    // as the walk's status, and the walk then yields nothing.
    explicit CategoryMgr(const CATID& category);

    // The next class of the category, made and asked for `riid`: S_OK with it, or S_FALSE and null after the last.
    // A class that cannot be made, or does not answer `riid`, is passed over.
    HRESULT Next(REFIID riid, void** object);
    template <class I> HRESULT Next(ComPtr<I>& object) { return Next(I::iid, object.OutVoid()); }

    // S_OK, or the failure that kept the walk from starting.
    HRESULT Status() const { return status_; }

private:
    ComPtr<IEnumCLSID> classes_;
    HRESULT status_ = S_OK;
};

} // namespace tavi
