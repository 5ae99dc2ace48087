// The host's older cell size object: see CellSize.h.
#include "host/CellSize.h"

#include "host/StreamIO.h"
#include "host/XmlNamespace.h"

namespace tavi {

namespace {
constexpr int16_t kStreamVersion = 1;
constexpr const char16_t* kXmlSize = u"Size";
} // namespace

HRESULT CellSize::get_Size(double* size) {
    if (!size)
        return E_POINTER;
    *size = size_;
    return S_OK;
}

HRESULT CellSize::put_Size(double size) {
    size_ = size;
    dirty_ = true;
    return S_OK;
}

HRESULT CellSize::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<CellSize>();
        copy->size_ = size_;
        return copy.As<IClone>().CopyTo(clone);
    });
}

HRESULT CellSize::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<ICellSize>(source);
        double size = 0;
        if (!other || FAILED(other->get_Size(&size)))
            return E_INVALIDARG;
        return put_Size(size);
    });
}

HRESULT CellSize::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto cellSize = QueryAs<ICellSize>(other);
        double size = 0;
        if (cellSize && SUCCEEDED(cellSize->get_Size(&size)) && size == size_)
            *equal = VARIANT_TRUE;
    });
}

HRESULT CellSize::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<ICellSize*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CellSize::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int16_t version = 0;
        double size = 0;
        if (FAILED(AfStreamRead(stream, &version)) || version != kStreamVersion || FAILED(AfStreamRead(stream, &size)))
            return E_FAIL;
        size_ = size;
        dirty_ = false;
        return S_OK;
    });
}

HRESULT CellSize::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kStreamVersion)) || FAILED(AfStreamWrite(stream, size_)))
            return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT CellSize::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    *size = sizeof(int16_t) + sizeof(double);
    return S_OK;
}

HRESULT CellSize::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(kClassName);
        data->put_TypeNamespaceURI(XmlNamespaceUtil::GetDocumentNamespace());
        return data->AddDouble(kXmlSize, size_);
    });
}

HRESULT CellSize::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t index = -1;
        double size = 0;
        if (FAILED(data->Find(kXmlSize, &index)) || index < 0 || FAILED(data->GetDouble(index, &size)))
            return E_FAIL;
        size_ = size;
        return S_OK;
    });
}

} // namespace tavi
