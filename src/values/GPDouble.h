// GPDouble: a floating-point number whose text reads back to the same 64 bits, in any locale.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPScalar.h"

namespace tavi {

// Text that does not read gives an error message with kMessageCode and S_OK, and leaves the value as it was. Values
// are equal when both are NaN or they compare equal as numbers (0.0 equals -0.0). Stream form version 1 (the
// double's 8 bytes); XML element "Value" as a double.
class GPDouble final : public GPValue<GPDouble, IGPDouble, IGPVariant, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPDouble;
    static constexpr const char16_t* kClassName = u"GPDouble";
    static constexpr int32_t kMessageCode = 828;
    static constexpr uint16_t kStreamVersion = 1;
    GPDouble() : GPValue(kClassId, CLSID_GPDoubleType) {}

    // IGPDouble
    HRESULT get_Value(double* value) override;
    HRESULT put_Value(double value) override;

    // IGPVariant: VT_R8; put converts to VT_R8 (E_FAIL for VT_NULL and a failed conversion, the value unchanged).
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    double value_ = 0.0;
};

} // namespace tavi
