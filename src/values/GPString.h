// The string values: GPString (plain text) and GPStringHidden (text masked in its text form, whose interface
// operations carry line breaks in an escaped form, "\n").
#pragma once

#include "host/GPValue.h"
#include "host/StreamIO.h"
#include "tavi/GPScalar.h"

#include <string_view>
#include <vector>

namespace tavi {

namespace stringvalue {
// The escaped form of a hidden text: unchanged without a line feed; otherwise CR LF, a lone LF and a CR that is not
// last each become "\n", and a CR that is last is dropped.
String Escape(std::u16string_view text);
// Every "\n" (backslash, letter n) becomes one line feed.
String Unescape(std::u16string_view text);
// The text a variant stands for: a date in the user locale's date format (and time format, when not midnight), or
// "<?>" outside the valid date range; any other kind through the locale-aware variant conversion. E_FAIL for a
// null variant and for any conversion failure.
HRESULT VariantText(const VARIANT& value, String& text);
} // namespace stringvalue

// A new array (IArray) of string values (GPString) holding `filters` in order; an empty array when there are none.
HRESULT HandOutBrowseFilters(const std::vector<std::u16string_view>& filters, IArray** array);

// What both string values share: the stored text, emptiness, the variant form, and the stream and XML forms
// (version 1: the base part, then the text; the XML type name is "GPString" for both, so a hidden string reads
// back as a plain one).
template <class Derived, class... R> class StringValue : public GPValue<Derived, R...> {
public:
    static constexpr uint16_t kStreamVersion = 1;

    // IGPValue
    HRESULT IsEmpty(VARIANT_BOOL* empty) override {
        if (!empty)
            return E_POINTER;
        *empty = value_.empty() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT Empty() override {
        value_.clear();
        return this->BaseEmpty();
    }

    // IGPVariant: the stored text as it is, both ways.
    HRESULT get_Value(VARIANT* value) override {
        if (!value)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            BSTR text = MakeBSTR(value_);
            if (!text)
                return E_OUTOFMEMORY;
            VariantInit(value);
            value->vt = VT_BSTR;
            value->bstrVal = text;
            return S_OK;
        });
    }
    HRESULT put_Value(VARIANT value) override {
        return guard([&]() -> HRESULT {
            String text;
            if (FAILED(stringvalue::VariantText(value, text)))
                return E_FAIL;
            StoreText(std::move(text));
            return S_OK;
        });
    }

    // The stored text (with real line feeds on a hidden string).
    const String& Text() const { return value_; }

protected:
    StringValue(const CLSID& valueClassId, const CLSID& dataTypeClassId)
        : GPValue<Derived, R...>(valueClassId, dataTypeClassId) {}

    void StoreText(String text) {
        value_ = std::move(text);
        this->SetModified();
    }

    String value_;

private:
    HRESULT SaveContent(IStream* stream, uint16_t) override { return WriteString(stream, value_); }
    HRESULT LoadContent(IStream* stream, uint16_t) override { return ReadString(stream, &value_); }
    const OLECHAR* XmlTypeName() const override { return u"GPString"; }
    HRESULT SerializeContent(IXMLSerializeData* data) override { return data->AddString(u"Value", value_.c_str()); }
    HRESULT DeserializeContent(IXMLSerializeData* data) override {
        int32_t index = -1;
        data->Find(u"Value", &index);
        value_.clear();
        if (index < 0)
            return S_OK;
        BStr text;
        HRESULT read = data->GetString(index, text.Out());
        if (FAILED(read))
            return read;
        value_ = text.str();
        return S_OK;
    }
};

class GPString final : public StringValue<GPString, IGPString, IGPVariant, IStoredText, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPString;
    static constexpr const char16_t* kClassName = u"GPString";
    GPString() : StringValue(kClassId, CLSID_GPStringType) {}

    using StringValue::get_Value;
    using StringValue::put_Value;
    // IGPString
    HRESULT get_Value(BSTR* value) override;
    HRESULT put_Value(const OLECHAR* value) override;

    // IGPValue: the text form is the stored text, unchanged; every text is accepted.
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: texts compare without regard to case.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IStoredText
    const String& StoredText() const override { return value_; }
};

class GPStringHidden final : public StringValue<GPStringHidden, IGPStringHidden, IGPString, IGPVariant, ValueInterfaces,
                                                IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPStringHidden;
    static constexpr const char16_t* kClassName = u"GPStringHidden";
    // The first document version that knows hidden strings; older documents get a plain string.
    static constexpr int32_t kFirstDocumentVersion = 370;
    GPStringHidden() : StringValue(kClassId, CLSID_GPStringHiddenType) {}

    using StringValue::get_Value;
    using StringValue::put_Value;
    // IGPStringHidden and IGPString: the escaped form.
    HRESULT get_Value(BSTR* value) override;
    HRESULT put_Value(const OLECHAR* value) override;

    // IGPValue: "*****" for any text; SetAsText stores through put_Value and makes no message.
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: through IGPStringHidden, the escaped forms compared without regard to case, so a value equals its
    // clone also when its text holds carriage returns.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IDocumentVersionSupport
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;
};

} // namespace tavi
