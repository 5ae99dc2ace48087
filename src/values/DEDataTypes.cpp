// The data element data types: see DEDataTypes.h.
#include "values/DEDataTypes.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPUtilities.h"

namespace tavi {

HRESULT DEDataTypeCore::CreateElement(const OLECHAR* text, std::initializer_list<IID> kinds, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!text || Trim(text).empty())
            return E_INVALIDARG;
        ComPtr<IGPUtilities> utilities;
        if (HRESULT hr = AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid,
                                          utilities.OutVoid());
            FAILED(hr) || !utilities)
            return FAILED(hr) ? hr : E_FAIL;
        ComPtr<IDataElement> element;
        if (HRESULT hr = utilities->OpenDataElementFromText(text, element.Out()); FAILED(hr) || !element)
            return FAILED(hr) ? hr : E_FAIL;
        if (!AnswersAny(element.Get(), kinds))
            return E_INVALIDARG;
        return element->QueryInterface(IGPValue::iid, reinterpret_cast<void**>(value));
    });
}

} // namespace tavi
