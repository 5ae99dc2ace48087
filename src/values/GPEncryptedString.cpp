// The encrypted string value.
#include "values/GPEncryptedString.h"

#include "host/StreamIO.h"
#include "host/TextProtection.h"

#include <iterator>

namespace tavi {

namespace encryptedstring {

namespace {
constexpr size_t kShortestProtected = 36;
constexpr std::u16string_view kCurrentPrefix = u"0002";
} // namespace

bool LooksProtected(std::u16string_view text) {
    if (text.size() < kShortestProtected || text.substr(0, kCurrentPrefix.size()) != kCurrentPrefix)
        return false;
    for (char16_t c : text.substr(kCurrentPrefix.size()))
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

} // namespace encryptedstring

namespace {

constexpr char16_t kMask[] = u"*****";
// Save versions by document version, oldest first.
constexpr int16_t kSaveVersions[] = {-1, -1, -1, -1, 1, 2};
constexpr uint16_t kOlderFormVersion = 1;

// The older protected form of `protectedText` (the empty text stays empty).
HRESULT OlderForm(const String& protectedText, String& older) {
    if (protectedText.empty()) {
        older.clear();
        return S_OK;
    }
    Encrypt protector;
    String plain;
    HRESULT hr = protector.FromString(protectedText);
    if (SUCCEEDED(hr))
        hr = protector.DecryptString(plain);
    if (SUCCEEDED(hr))
        hr = protector.EncryptString(plain, true);
    WipeText(plain);
    if (FAILED(hr))
        return hr;
    older = protector.ToString();
    return S_OK;
}

} // namespace

void GPEncryptedString::StoreProtected(String text) {
    protectedText_ = std::move(text);
    SetModified();
}

String GPEncryptedString::MaskedText() const {
    return protectedText_.empty() ? String() : String(kMask);
}

// ---- IGPEncryptedString ----

HRESULT GPEncryptedString::get_Value(BSTR* plain) {
    if (!plain)
        return E_POINTER;
    *plain = nullptr;
    return guard([&]() -> HRESULT {
        String text;
        HRESULT hr = GeoprocessingUtil::DecryptString(protectedText_, text);
        if (FAILED(hr))
            return hr;
        *plain = MakeBSTR(text);
        WipeText(text);
        return *plain ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPEncryptedString::put_Value(const OLECHAR* plain) {
    return guard([&]() -> HRESULT {
        String text;
        HRESULT hr = GeoprocessingUtil::EncryptString(plain ? std::u16string_view(plain) : u"", text);
        if (FAILED(hr))
            return hr;
        StoreProtected(std::move(text));
        return S_OK;
    });
}

HRESULT GPEncryptedString::get_ProtectedValue(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = MakeBSTR(protectedText_);
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPEncryptedString::put_ProtectedValue(const OLECHAR* text) {
    return guard([&] { StoreProtected(text ? String(text) : String()); });
}

// ---- IGPValue ----

HRESULT GPEncryptedString::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = protectedText_.empty() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPEncryptedString::Empty() {
    protectedText_.clear();
    return BaseEmpty();
}

HRESULT GPEncryptedString::GetAsText(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = MakeBSTR(MaskedText());
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPEncryptedString::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return message ? S_FALSE : E_POINTER;
}

// ---- IGPValueExpression ----

HRESULT GPEncryptedString::get_Resolved(VARIANT_BOOL* resolved) {
    return ResolvedWithoutVariables(resolved);
}

HRESULT GPEncryptedString::put_Resolved(VARIANT_BOOL resolved) {
    return S_OK;
}

HRESULT GPEncryptedString::ResolveValue(IGPVariableManager*, IGPValue** resolved) {
    return ResolveAsClone(this, resolved);
}

HRESULT GPEncryptedString::GetVariableNames(IUnknown** names) {
    return ClearOut(names);
}

HRESULT GPEncryptedString::get_Variables(IArray** variables) {
    return ClearOut(variables);
}

HRESULT GPEncryptedString::putref_Variables(IArray* variables) {
    return S_OK;
}

HRESULT GPEncryptedString::GetAsText(IGPVariableManager* manager, BSTR* text) {
    return GetAsText(text);
}

// ---- IClone ----

HRESULT GPEncryptedString::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPEncryptedString>(source);
        if (!other)
            return E_INVALIDARG;
        BStr text;
        if (FAILED(other->get_ProtectedValue(text.Out())))
            return E_FAIL;
        StoreProtected(text.str());
        return BaseAssign(source);
    });
}

HRESULT GPEncryptedString::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto encrypted = QueryAs<IGPEncryptedString>(other);
        BStr text;
        if (!encrypted || FAILED(encrypted->get_ProtectedValue(text.Out())) ||
            !EqualsNoCase(text.view(), protectedText_))
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// ---- stream and XML forms ----

int32_t GPEncryptedString::SaveVersionFor(IStream* stream) {
    int16_t version = AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream),
                                             static_cast<int32_t>(std::size(kSaveVersions)), kSaveVersions);
    // The older form is made before anything is written, so a form that cannot be rewritten leaves the stream as it
    // was (0: no version to write); SaveContent, which follows at once, writes the form made here.
    olderForm_.clear();
    if (version == kOlderFormVersion && FAILED(OlderForm(protectedText_, olderForm_)))
        return 0;
    return version < 0 ? -1 : version;
}

HRESULT GPEncryptedString::SaveContent(IStream* stream, uint16_t version) {
    HRESULT hr = WriteString(stream, version == kOlderFormVersion ? olderForm_ : protectedText_);
    olderForm_.clear();
    return hr;
}

HRESULT GPEncryptedString::LoadContent(IStream* stream, uint16_t) {
    String text;
    if (FAILED(ReadString(stream, &text)))
        return E_FAIL;
    protectedText_ = std::move(text);
    return S_OK;
}

HRESULT GPEncryptedString::SerializeContent(IXMLSerializeData* data) {
    return data->AddString(u"Value", protectedText_.c_str());
}

HRESULT GPEncryptedString::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    HRESULT found = data->Find(u"Value", &index);
    if (FAILED(found) || index < 0)
        return found; // no element: the value stays as it was
    BStr text;
    HRESULT read = data->GetString(index, text.Out());
    if (FAILED(read))
        return read;
    protectedText_ = text.str();
    return S_OK;
}

// ---- IDocumentVersionSupport ----

HRESULT GPEncryptedString::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPEncryptedString::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return PlainStringReplacement(MaskedText(), replacement);
}

} // namespace tavi
