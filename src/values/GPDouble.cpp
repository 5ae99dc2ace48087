// GPDouble: text, variant, stream and XML forms of a double.
#include "values/GPDouble.h"

#include "host/NumberFormat.h"
#include "host/StreamIO.h"
#include "host/TAVILocale.h"
#include "platform/BStr.h"
#include "platform/Locale.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include <unicode/dcfmtsym.h>

namespace tavi {

namespace doubletext {

namespace {

// Characters the number reader copies into its narrow buffer before stopping.
constexpr char kStop = '\0';

// ICU's not-a-number symbol for a locale ("NaN" in most), at most 64 characters.
std::u16string LookUpNotANumberText(LCID lcid) {
    UErrorCode status = U_ZERO_ERROR;
    icu::DecimalFormatSymbols symbols(locale::IcuLocale(lcid), status);
    if (U_FAILURE(status))
        return u"NaN";
    const icu::UnicodeString& symbol = symbols.getConstSymbol(icu::DecimalFormatSymbols::kNaNSymbol);
    std::u16string text(symbol.getBuffer(), static_cast<size_t>(symbol.length()));
    if (text.empty())
        return u"NaN";
    text.resize(std::min<size_t>(text.size(), 64));
    return text;
}

bool IsCBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The narrow text the number reader sees: the locale's decimal separator (and the other separator's first
// occurrence, which stands for it) as '.', other ASCII as it is; a literal '.' where it is not the separator, and
// anything beyond ASCII, ends the text.
char Narrow(char16_t c, size_t at, size_t swapped, char16_t decimal) {
    if (c == decimal || at == swapped)
        return '.';
    if (c == u'.' || c >= 0x80 || c == 0)
        return kStop;
    return static_cast<char>(c);
}

// strtod's reading of a narrow text: optional sign, then a decimal, "inf"/"infinity"/"nan" or "0x" hexadecimal
// number; whatever follows is ignored. False when no number starts the text or it is out of range.
bool ReadNarrow(const char* begin, const char* end, double& value) {
    const char* p = begin;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p != end && (*p == '+' || *p == '-'))
        return false;
    std::from_chars_result result{};
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        result = std::from_chars(p + 2, end, value, std::chars_format::hex);
        if (result.ec == std::errc::invalid_argument) {
            value = 0; // "0x" without hexadecimal digits reads as the 0 before it
            result.ec = std::errc();
        }
    } else {
        result = std::from_chars(p, end, value);
    }
    if (result.ec != std::errc())
        return false;
    if (negative)
        value = -value;
    return true;
}

bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

size_t CopyText(std::u16string_view text, char16_t (&buffer)[kMaxText]) {
    size_t length = std::min(text.size(), kMaxText);
    std::copy_n(text.data(), length, buffer);
    return length;
}

} // namespace

std::u16string_view NotANumberText() {
    // The text is looked up once per locale and never changed, so a view of it stays valid for the process. The
    // last locale asked for on this thread answers without the lock.
    LCID lcid = locale::Resolve(TAVILocale::GetLocale());
    thread_local LCID lastLcid = 0;
    thread_local const std::u16string* last = nullptr;
    if (last && lastLcid == lcid)
        return *last;
    static std::mutex mutex;
    static std::unordered_map<LCID, std::unique_ptr<std::u16string>> cache;
    std::lock_guard lock(mutex);
    auto& slot = cache[lcid];
    if (!slot)
        slot = std::make_unique<std::u16string>(LookUpNotANumberText(lcid));
    lastLcid = lcid;
    last = slot.get();
    return *last;
}

bool Read(std::u16string_view text, double& value) {
    char16_t decimal = locale::DecimalSeparator(LOCALE_USER_DEFAULT);
    char16_t other = decimal == u'.' ? u',' : u'.';
    size_t swapped = text.find(other);
    if (swapped == std::u16string_view::npos && text == NotANumberText()) {
        value = std::nan("");
        return true;
    }
    size_t start = 0;
    while (start < text.size() && IsCBlank(text[start]))
        ++start;
    // Numbers are short; a longer text is read from the heap rather than cut.
    char small[64];
    std::string large;
    char* narrow = small;
    if (text.size() - start > sizeof small) {
        large.resize(text.size() - start);
        narrow = large.data();
    }
    size_t length = 0;
    for (size_t at = start; at < text.size(); ++at) {
        char c = Narrow(text[at], at, swapped, decimal);
        if (c == kStop)
            break;
        narrow[length++] = c;
    }
    return ReadNarrow(narrow, narrow + length, value);
}

size_t Format(double value, char16_t (&buffer)[kMaxText]) {
    if (std::isnan(value))
        return CopyText(NotANumberText(), buffer);
    // The locale's own text comes first: it is what a user of the locale expects to see. It is kept only when this
    // locale's reader gives back all 64 bits. Reading it as the C runtime would (stopping at a decimal comma) would
    // turn 2,5 into 2 and reject every such text in a comma locale; reading it in the locale is what SetAsText
    // does, so the text always reads back. The infinities come out as "Infinity" / "-Infinity", which read back.
    char16_t decimal = locale::DecimalSeparator(LOCALE_USER_DEFAULT);
    size_t length = numtext::FormatReal(value, 15, decimal, buffer);
    double back = 0;
    if (Read(std::u16string_view(buffer, length), back) && SameBits(back, value))
        return length;
    // Too few digits to read back: the shortest "%g" text that does. It always uses ".", which SetAsText takes in
    // every locale, since the other separator stands for the locale's own.
    return CopyText(ShortestRoundTripText(value), buffer);
}

} // namespace doubletext

// ---- IGPDouble ----

HRESULT GPDouble::get_Value(double* value) {
    if (!value)
        return E_POINTER;
    *value = value_;
    return S_OK;
}

HRESULT GPDouble::put_Value(double value) {
    value_ = value;
    SetModified(); // also clears the empty flag
    return S_OK;
}

// ---- IGPVariant ----

HRESULT GPDouble::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    value->vt = VT_R8;
    value->dblVal = value_;
    return S_OK;
}

HRESULT GPDouble::put_Value(VARIANT value) {
    return guard([&]() -> HRESULT {
        Variant converted;
        if (value.vt == VT_NULL || FAILED(VariantChangeTypeEx(&converted, &value, LOCALE_USER_DEFAULT, 0, VT_R8)) ||
            converted.vt != VT_R8)
            return E_FAIL;
        return put_Value(converted.dblVal);
    });
}

// ---- IGPValue ----

HRESULT GPDouble::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = IsEmptyFlag() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPDouble::Empty() {
    value_ = 0.0;
    return BaseEmpty();
}

HRESULT GPDouble::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        char16_t buffer[doubletext::kMaxText];
        size_t length = IsEmptyFlag() ? 0 : doubletext::Format(value_, buffer);
        *text = SysAllocStringLen(buffer, static_cast<uint32_t>(length));
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPDouble::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (HRESULT hr = NewTextMessage(made.Out()); FAILED(hr))
            return hr;
        double value = 0;
        if (!text || !*text) {
            Empty();
        } else if (doubletext::Read(text, value)) {
            put_Value(value);
        } else {
            auto error = QueryAs<IGPErrorMessage>(made.Get());
            if (!error || FAILED(error->MakeError(taviGPMessageTypeError, kMessageCode)))
                return E_FAIL;
        }
        *message = made.Detach();
        return S_OK;
    });
}

// ---- IClone ----

HRESULT GPDouble::Assign(IClone* source) {
    auto other = QueryAs<IGPDouble>(source);
    double value = 0;
    if (!other || FAILED(other->get_Value(&value)))
        return E_INVALIDARG;
    put_Value(value);
    return BaseAssign(source);
}

HRESULT GPDouble::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto number = QueryAs<IGPDouble>(other);
    double value = 0;
    if (!number || FAILED(number->get_Value(&value)))
        return S_OK;
    bool same = (std::isnan(value) && std::isnan(value_)) || value == value_;
    return same ? BaseIsEqual(other, equal) : S_OK;
}

// ---- IPersistStream ----

HRESULT GPDouble::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    if (FAILED(AfStreamWrite(stream, kStreamVersion)) || FAILED(BaseSave(stream)) ||
        FAILED(AfStreamWrite(stream, value_)))
        return E_FAIL;
    if (clearDirty)
        ClearDirty();
    return S_OK;
}

HRESULT GPDouble::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    uint16_t version = 0;
    double value = 0;
    if (FAILED(AfStreamRead(stream, &version)) || version > kStreamVersion || FAILED(BaseLoad(stream)) ||
        FAILED(AfStreamRead(stream, &value)))
        return E_FAIL;
    value_ = value;
    ClearDirty();
    return S_OK;
}

// ---- IXMLSerialize ----

HRESULT GPDouble::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    data->put_TypeName(kClassName);
    data->put_TypeNamespaceURI(ValueNamespace());
    HRESULT hr = BaseSerialize(data);
    if (FAILED(hr) || IsEmptyFlag())
        return hr;
    return data->AddDouble(u"Value", value_);
}

HRESULT GPDouble::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    HRESULT hr = BaseDeserialize(data);
    if (FAILED(hr) || IsEmptyFlag())
        return hr;
    int32_t index = -1;
    data->Find(u"Value", &index);
    double value = 0;
    if (index < 0 || FAILED(data->GetDouble(index, &value)))
        return E_FAIL;
    value_ = value;
    return S_OK;
}

} // namespace tavi
