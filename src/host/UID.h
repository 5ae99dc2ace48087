// The identifier object: a class or interface identifier (plus a sub type) as an object that can be handed
// across interfaces, compared, cloned and persisted.
//
// Stream form: the GUID (16 bytes), then the sub type (32-bit). XML form: type name "UID", string element "Value"
// with the identifier text and, when not zero, integer element "SubType".
#pragma once

#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi {

class UID final
    : public Object<UID, IUID, IUIDInit, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_UID;
    static constexpr const char16_t* kClassName = u"UID";

    // IUID
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;
    HRESULT get_SubType(int32_t* subType) override;
    HRESULT put_SubType(int32_t subType) override;
    HRESULT Generate() override;
    HRESULT Compare(IUID* other, VARIANT_BOOL* equal) override;

    // IUIDInit
    HRESULT SetGUID(REFGUID guid, int32_t subType) override;
    HRESULT GetGUID(GUID* guid) override;

    // IClone
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // IPersistStream
    HRESULT IsDirty() override;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    GUID guid_ = GUID_NULL;
    int32_t subType_ = 0;
    bool dirty_ = false;
};

// A new identifier object holding `guid`, handed out as IUID.
HRESULT MakeUID(REFGUID guid, IUID** uid);
// The identifier an IUID holds (through IUIDInit); GUID_NULL for null or a foreign object.
GUID GuidOf(IUID* uid);

} // namespace tavi
