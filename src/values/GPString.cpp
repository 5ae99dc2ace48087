// The string values.
#include "values/GPString.h"

#include "host/ObjectArray.h"
#include "platform/DateText.h"

namespace tavi {

namespace stringvalue {

namespace {
// Dates at or above this day number (1 January 1601) are written in the locale's date format; earlier ones go
// through the plain variant conversion.
constexpr double kFirstLocaleDate = -109205.0;
constexpr char16_t kEscapedLineBreak[] = u"\\n";
} // namespace

String Escape(std::u16string_view text) {
    if (text.find(u'\n') == std::u16string_view::npos)
        return String(text);
    String out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 == text.size())
                break; // a carriage return at the end is dropped
            if (text[i + 1] == u'\n')
                ++i; // CR LF is one line break
            out += kEscapedLineBreak;
        } else if (c == u'\n') {
            out += kEscapedLineBreak;
        } else {
            out += c;
        }
    }
    return out;
}

String Unescape(std::u16string_view text) {
    String out(text);
    // A replacement leaves a line feed, which cannot start a new "\n", so going on from the replacement finds what
    // a search from the start would find.
    for (size_t at = out.find(kEscapedLineBreak); at != String::npos; at = out.find(kEscapedLineBreak, at))
        out.replace(at, 2, 1, u'\n');
    return out;
}

HRESULT VariantText(const VARIANT& value, String& text) {
    if (value.vt == VT_NULL)
        return E_FAIL;
    if (value.vt == VT_DATE && !datetext::InRange(value.date)) {
        text = u"<?>";
        return S_OK;
    }
    if (value.vt == VT_DATE && value.date >= kFirstLocaleDate) {
        DATE date = value.date;
        datetext::DateFields fields;
        if (!datetext::ToFields(date, fields))
            return E_FAIL;
        BStr dateText;
        if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, VAR_DATEVALUEONLY, dateText.Out())))
            return E_FAIL;
        text = dateText.str();
        if (fields.hour != 0 || fields.minute != 0 || fields.second != 0) {
            BStr timeText;
            if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, VAR_TIMEVALUEONLY, timeText.Out())))
                return E_FAIL;
            text += u' ';
            text += timeText.view();
        }
        return S_OK;
    }
    Variant converted;
    if (FAILED(VariantChangeTypeEx(&converted, &value, LOCALE_USER_DEFAULT, 0, VT_BSTR)) || converted.vt != VT_BSTR)
        return E_FAIL;
    text.assign(converted.bstrVal, SysStringLen(converted.bstrVal));
    return S_OK;
}

} // namespace stringvalue

// ---- GPString ----

HRESULT GPString::get_Value(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = MakeBSTR(value_);
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPString::put_Value(const OLECHAR* value) {
    return guard([&] { StoreText(value ? String(value) : String()); });
}

HRESULT GPString::GetAsText(BSTR* text) {
    return get_Value(text);
}

HRESULT GPString::SetAsText(const OLECHAR* text, IGPMessage** message) {
    HRESULT hr = NewTextMessage(message);
    if (FAILED(hr))
        return hr;
    return put_Value(text);
}

HRESULT GPString::Assign(IClone* source) {
    return AssignThrough(source, &IGPString::get_Value, [&](String text) { StoreText(std::move(text)); });
}

HRESULT GPString::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    return IsEqualThrough(other, equal, &IGPString::get_Value,
                          [&](const String& text) { return EqualsNoCase(text, value_); });
}

// ---- GPStringHidden ----

HRESULT GPStringHidden::get_Value(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return guard([&]() -> HRESULT {
        *value = MakeBSTR(stringvalue::Escape(value_));
        return *value ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPStringHidden::put_Value(const OLECHAR* value) {
    return guard([&] { StoreText(stringvalue::Unescape(value ? std::u16string_view(value) : u"")); });
}

HRESULT GPStringHidden::GetAsText(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = MakeBSTR(value_.empty() ? u"" : u"*****");
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPStringHidden::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (!message)
        return E_POINTER;
    return put_Value(text);
}

HRESULT GPStringHidden::Assign(IClone* source) {
    return AssignThrough(source, &IGPStringHidden::get_Value,
                         [&](const String& escaped) { return put_Value(escaped.c_str()); });
}

HRESULT GPStringHidden::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    return IsEqualThrough(other, equal, &IGPStringHidden::get_Value,
                          [&](const String& escaped) { return EqualsNoCase(escaped, stringvalue::Escape(value_)); });
}

HRESULT GPStringHidden::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPStringHidden::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return PlainStringReplacement(value_, replacement);
}

HRESULT HandOutBrowseFilters(const std::vector<std::u16string_view>& filters, IArray** array) {
    if (HRESULT hr = ClearOut(array); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IArray> made;
        if (HRESULT hr = CreateObjectArray(IArray::iid, made.OutVoid()); FAILED(hr))
            return hr;
        for (std::u16string_view filter : filters) {
            auto text = MakeObject<GPString>();
            String value(filter);
            if (HRESULT hr = text->put_Value(value.c_str()); FAILED(hr))
                return hr;
            if (HRESULT hr = made->Add(static_cast<IGPString*>(text.Get())); FAILED(hr))
                return hr;
        }
        *array = made.Detach();
        return S_OK;
    });
}

} // namespace tavi
