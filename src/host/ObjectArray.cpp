// The foundation library's object array.
#include "host/ObjectArray.h"

#include "host/XmlNamespace.h"

namespace tavi {

HRESULT ObjectArray::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(items_.size());
    return S_OK;
}

HRESULT ObjectArray::get_Element(int32_t index, IUnknown** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!IsIndex(index))
        return E_FAIL;
    return items_[index].CopyTo(element);
}

HRESULT ObjectArray::Add(IUnknown* element) {
    return guard([&] { items_.emplace_back(element); });
}

HRESULT ObjectArray::Insert(int32_t index, IUnknown* element) {
    return guard([&]() -> HRESULT {
        if (index < 0 || static_cast<size_t>(index) > items_.size())
            return E_FAIL;
        items_.emplace(items_.begin() + index, element);
        return S_OK;
    });
}

HRESULT ObjectArray::Remove(int32_t index) {
    if (!IsIndex(index))
        return E_FAIL;
    items_.erase(items_.begin() + index);
    return S_OK;
}

HRESULT ObjectArray::RemoveAll() {
    // Moved out first: releasing an element may reach back into this array.
    auto released = std::move(items_);
    items_.clear();
    return S_OK;
}

HRESULT ObjectArray::Replace(int32_t index, IUnknown* element) {
    if (!IsIndex(index))
        return E_FAIL;
    items_[index] = ComPtr<IUnknown>(element);
    return S_OK;
}

HRESULT CreateObjectArray(REFIID riid, void** ppv) {
    return CreateInstance<ObjectArray>(nullptr, riid, ppv);
}

HRESULT ReadXmlObjectArray(IXMLSerializeData* data, const OLECHAR* name, const OLECHAR* arrayType,
                           std::vector<ComPtr<IUnknown>>& elements) {
    int32_t index = -1;
    if (HRESULT hr = data->Find(name, &index); FAILED(hr))
        return hr;
    if (index < 0)
        return S_OK;
    auto array = MakeObject<ObjectArray>();
    if (FAILED(data->GetObjectArray(index, c_xml_ns_tavi, arrayType, static_cast<IArray*>(array.Get()))))
        return E_FAIL;
    elements.insert(elements.end(), array->Items().begin(), array->Items().end());
    return S_OK;
}

} // namespace tavi
