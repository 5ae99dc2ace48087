// GPEncryptedStringType: the data type of GPEncryptedString. Its CreateValue takes a text that already looks
// protected as the protected form and protects any other text; older documents get a GPStringType in its place.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPScalar.h"

namespace tavi {

class GPEncryptedStringType final
    : public GPDataType<GPEncryptedStringType, IGPEncryptedStringType, IGPDataType, IClone, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPEncryptedStringType;
    static constexpr const char16_t* kClassName = u"GPEncryptedStringType";
    static constexpr int32_t kDisplayNameId = 4729;
    static constexpr CLSID kControlClassId{
        0xDC4D873E, 0x0CC3, 0x4AA9, {0xA4, 0x1F, 0x03, 0x4A, 0x79, 0xFF, 0xA2, 0x55}};
    // The first document version that knows this type.
    static constexpr int32_t kFirstDocumentVersion = 4;
    GPEncryptedStringType();

    // A new encrypted string. A null or empty text leaves it empty (S_OK); a text that looks protected
    // (encryptedstring::LooksProtected) is stored as the protected form; any other is protected as plain text.
    // E_FAIL when the value cannot be made; a setter's failure (a key that cannot be had) hands out nothing.
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override;

    // IDocumentVersionSupport
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;
};

} // namespace tavi
