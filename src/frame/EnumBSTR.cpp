// String lists handed out across interfaces.
#include "frame/EnumBSTR.h"

#include "platform/HandOut.h"

namespace tavi {

namespace {

std::u16string_view ViewOf(BSTR text) {
    return text ? std::u16string_view(text, SysStringLen(text)) : u"";
}

} // namespace

HRESULT EnumBSTR::Next(BSTR* text) {
    return guard([&]() -> HRESULT {
        if (HRESULT hr = ClearOut(text); FAILED(hr))
            return hr;
        if (cursor_ >= items_.size())
            return S_FALSE;
        if (HRESULT hr = HandOut(items_[cursor_], text); FAILED(hr))
            return hr;
        ++cursor_;
        return S_OK;
    });
}

HRESULT EnumBSTR::Reset() {
    cursor_ = 0;
    return S_OK;
}

HRESULT ComEnumBSTR::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(items_.size());
    return S_OK;
}

HRESULT ComEnumBSTR::get_Element(int32_t index, BSTR* text) {
    return guard([&]() -> HRESULT {
        if (HRESULT hr = ClearOut(text); FAILED(hr))
            return hr;
        if (!IsIndex(index))
            return E_FAIL;
        return HandOut(items_[index], text);
    });
}

HRESULT ComEnumBSTR::Add(BSTR text) {
    return guard([&] { items_.emplace_back(ViewOf(text)); });
}

HRESULT ComEnumBSTR::Insert(int32_t index, BSTR text) {
    return guard([&]() -> HRESULT {
        if (index < 0 || static_cast<size_t>(index) > items_.size())
            return E_FAIL;
        items_.emplace(items_.begin() + index, ViewOf(text));
        return S_OK;
    });
}

HRESULT ComEnumBSTR::Remove(int32_t index) {
    return guard([&]() -> HRESULT {
        if (!IsIndex(index))
            return E_FAIL;
        items_.erase(items_.begin() + index);
        return S_OK;
    });
}

HRESULT ComEnumBSTR::RemoveAll() {
    items_.clear();
    cursor_ = 0;
    return S_OK;
}

HRESULT ComEnumBSTR::Replace(int32_t index, BSTR text) {
    return guard([&]() -> HRESULT {
        if (!IsIndex(index))
            return E_FAIL;
        items_[index] = ViewOf(text);
        return S_OK;
    });
}

HRESULT ComEnumBSTR::Next(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    if (!IsIndex(cursor_))
        return S_FALSE;
    HRESULT hr = get_Element(cursor_, text);
    if (SUCCEEDED(hr))
        ++cursor_;
    return hr;
}

HRESULT ComEnumBSTR::Reset() {
    cursor_ = 0;
    return S_OK;
}

} // namespace tavi
