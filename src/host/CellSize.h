// The host's older cell size object: one cell size for both directions. Documents written before the cell size
// value with separate X and Y sizes existed hold this object in its place.
#pragma once

#include "platform/Object.h"
#include "tavi/GPCellSize.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi {

// Stream form: int16 version 1, then the size as a double. Load refuses any other version and a short stream with
// E_FAIL and leaves the size as it was.
// XML form: type "CellSize" in the namespace of the document being written, one double element "Size" (required
// when reading: E_FAIL, nothing changed, when it is missing or no number).
class CellSize final
    : public Object<CellSize, ICellSize, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_CellSize;
    static constexpr const char16_t* kClassName = u"CellSize";

    // ICellSize
    HRESULT get_Size(double* size) override;
    HRESULT put_Size(double size) override;
    // IClone: only another cell size object can be assigned (E_INVALIDARG otherwise); equal sizes are equal.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;
    // IPersistStream
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;
    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    double size_ = 0.0;
    bool dirty_ = false;
};

} // namespace tavi
