// GPBoolean: a yes/no answer with a small closed set of text keywords.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPScalar.h"

namespace tavi {

// The 16-bit value is kept exactly as put (1 and -1 are both true but are different values); the variant form
// normalizes it to VARIANT_TRUE / VARIANT_FALSE. Text: "true" / "1" and "false" / "0" in any letter case; any other
// text is refused with E_FAIL (the value unchanged, no message handed out). Stream form version 1 (the 16-bit
// value); XML element "Value" as a boolean.
class GPBoolean final : public GPValue<GPBoolean, IGPBoolean, IGPVariant, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPBoolean;
    static constexpr const char16_t* kClassName = u"GPBoolean";
    static constexpr uint16_t kStreamVersion = 1;
    GPBoolean() : GPValue(kClassId, CLSID_GPBooleanType) {}

    // IGPBoolean
    HRESULT get_Value(VARIANT_BOOL* value) override;
    HRESULT put_Value(VARIANT_BOOL value) override;

    // IGPVariant: VT_BOOL, normalized; put converts to VT_BOOL (E_FAIL for VT_NULL and a failed conversion).
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the stored 16-bit values must be identical.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    VARIANT_BOOL value_ = VARIANT_FALSE;
};

} // namespace tavi
