// The data types of the map, layout and report values.
#include "values/GPMapTypes.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/String.h"
#include "tavi/ClassIds.h"
#include "tavi/DataAccess.h"
#include "values/GPString.h"

namespace tavi {

namespace {

// The layer data type's verdict on `value`: its message when it finds no error, else null. A layer type that cannot
// be made, or whose check fails, accepts nothing.
ComPtr<IGPMessage> LayerTypeVerdict(IGPValue* value, IGPDomain* domain) {
    ComPtr<IGPDataType> layerType;
    if (FAILED(AfCreateInstance(CLSID_GPLayerType, nullptr, CLSCTX_INPROC_SERVER, IGPDataType::iid,
                                layerType.OutVoid())) ||
        !layerType)
        return {};
    ComPtr<IGPMessage> message;
    if (FAILED(layerType->ValidateValue(value, domain, message.Out())) || !message || MessageIsError(message.Get()))
        return {};
    return message;
}

// True when `value` is a data element whose catalog path ends in one of `extensions`.
bool IsFileOfKind(IGPValue* value, std::span<const std::u16string_view> extensions) {
    auto element = QueryAs<IDataElement>(value);
    BStr path;
    return element && SUCCEEDED(element->get_CatalogPath(path.Out())) &&
           DocumentItemTypeCore::EndsWithExtension(path.view(), extensions);
}

} // namespace

bool DocumentItemTypeCore::EndsWithExtension(std::u16string_view path,
                                             std::span<const std::u16string_view> extensions) {
    for (std::u16string_view extension : extensions)
        if (path.size() > extension.size() && EqualsNoCase(path.substr(path.size() - extension.size()), extension))
            return true;
    return false;
}

HRESULT DocumentItemTypeCore::CheckValue(GPDataTypeCore& type, std::span<const std::u16string_view> extensions,
                                         IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    if (!value || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = GPDataTypeCore::UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        bool accepted =
            actual && (AnswersAny(actual.Get(), {type.ValueInterfaceId()}) || IsFileOfKind(actual.Get(), extensions));
        if (!accepted) {
            if (ComPtr<IGPMessage> layer = LayerTypeVerdict(value, domain)) {
                *message = layer.Detach();
                return S_OK;
            }
            return type.MakeValueErrorMessage(VARIANT_FALSE, value, message);
        }
        if (domain)
            return domain->MemberOf(actual.Get(), message);
        return type.MakeValueErrorMessage(VARIANT_TRUE, value, message);
    });
}

HRESULT DocumentItemTypeCore::HandOutFilter(std::u16string_view filter, IArray** filters) {
    if (HRESULT hr = ClearOut(filters); FAILED(hr))
        return hr;
    if (filter.empty())
        return S_OK;
    return HandOutBrowseFilters({filter}, filters);
}

} // namespace tavi
