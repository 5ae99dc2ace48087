// GPEncryptedString: a text (a password, a token) held only in its protected form (host/TextProtection.h). The
// plain text goes in through IGPEncryptedString::put_Value and comes out only through get_Value; the text form
// shows five asterisks, and older documents get a plain string holding that mask, never the content.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPScalar.h"

namespace tavi {

namespace encryptedstring {
// True when `text` is taken as an already protected form: at least 36 characters, "0002" first, and only
// hexadecimal digits (either case) after it. Any other text is plain text.
bool LooksProtected(std::u16string_view text);
} // namespace encryptedstring

class GPEncryptedString final : public GPValue<GPEncryptedString, IGPEncryptedString, IGPValueExpression,
                                               ValueInterfaces, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPEncryptedString;
    static constexpr const char16_t* kClassName = u"GPEncryptedString";
    // The first document version that knows this value; older ones get a GPString holding the mask.
    static constexpr int32_t kFirstDocumentVersion = 4;
    // The newest stream version this class reads.
    static constexpr uint16_t kStreamVersion = 2;
    GPEncryptedString() : GPValue(kClassId, CLSID_GPEncryptedStringType) {}

    // IGPEncryptedString
    // The plain text; the protection's failure (E_FAIL for a wrong key or an altered form) hands out nothing.
    HRESULT get_Value(BSTR* plain) override;
    // Protects and stores `plain`; on failure nothing changes. The empty text makes the value empty.
    HRESULT put_Value(const OLECHAR* plain) override;
    HRESULT get_ProtectedValue(BSTR* text) override;
    // Stores `text` as the protected form, unchecked; a malformed one fails later, in get_Value.
    HRESULT put_ProtectedValue(const OLECHAR* text) override;

    // IGPValue: "*****" unless empty. SetAsText does nothing (S_FALSE): text reaches this value only through its
    // data type's CreateValue or IGPEncryptedString.
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IGPValueExpression: always resolved; resolving gives a clone; no variables.
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override;
    HRESULT put_Resolved(VARIANT_BOOL resolved) override;
    HRESULT ResolveValue(IGPVariableManager* manager, IGPValue** resolved) override;
    HRESULT GetVariableNames(IUnknown** names) override;
    HRESULT get_Variables(IArray** variables) override;
    HRESULT putref_Variables(IArray* variables) override;
    HRESULT GetAsText(IGPVariableManager* manager, BSTR* text) override;

    // IClone: the protected forms are copied and compared (without regard to case, as hex digits may be either).
    // Two protections of one plain text differ (each has its own nonce), so only copies compare equal.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IDocumentVersionSupport
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

private:
    // The stream form. Save versions by document version: (-1, -1, -1, -1, 1, 2); -1 writes nothing. Version 2
    // writes the base part and the protected form; version 1 the base part and the older protected form (E_FAIL,
    // nothing written, when the stored form cannot be recovered). Load reads versions up to 2 and keeps the form
    // as it was stored.
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // The XML form: element "Value" holds the protected form.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    void StoreProtected(String text);
    String MaskedText() const;

    String protectedText_;
    String olderForm_; // the older form of protectedText_, made by SaveVersionFor for the save in progress
};

} // namespace tavi
