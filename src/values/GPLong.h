// GPLong: a whole number of 64 bits that still presents the 32-bit face older callers expect.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPScalar.h"

namespace tavi {

// Text is read and written through the locale-aware variant conversion (user default locale); text that does not
// convert gives an error message with kMessageCode and S_OK. The stream form is version 1 (32-bit value) or 2
// (64-bit value), chosen by the document version the stream is written for; the XML form puts a value that fits 32
// bits in "Value" and a larger one in "Value64".
class GPLong final : public GPValue<GPLong, IGPLong, IGPVariant, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPLong;
    static constexpr const char16_t* kClassName = u"GPLong";
    static constexpr int32_t kMessageCode = 834;
    // The newest stream version this class reads.
    static constexpr uint16_t kStreamVersion = 2;
    GPLong() : GPValue(kClassId, CLSID_GPLongType) {}

    // IGPLong. get_Value gives E_FAIL and -1 when the value does not fit in 32 bits.
    HRESULT get_Value(int32_t* value) override;
    HRESULT put_Value(int32_t value) override;
    HRESULT get_Value64(int64_t* value) override;
    HRESULT put_Value64(int64_t value) override;

    // IGPVariant: VT_I4 when the value fits in 32 bits, else VT_I8; put converts to VT_I8 (E_FAIL for VT_NULL and
    // for a failed conversion, the value then unchanged).
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    // An empty text empties the value. Text that does not convert leaves the number as it was but still counts as
    // set (the empty flag is cleared, as for a text that converts); the message carries kMessageCode.
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: through IGPLong's 64-bit value.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // The stream form: version 1 or 2 by the stream's document version (nothing, and S_OK, for a document version
    // that has no GPLong form), and E_FAIL with nothing written when the version it must write is 1 and the value
    // does not fit in 32 bits.
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    bool FitsIn32Bits() const;
    void Store(int64_t value);

    int64_t value_ = 0;
};

} // namespace tavi
