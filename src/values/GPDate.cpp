// The date value.
#include "values/GPDate.h"

#include "host/IsoDate.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "platform/DateText.h"
#include "tavi/Xml.h"

#include <cmath>

namespace tavi {

namespace {

// Dates at or above this day number (1 January 1601) are written with the locale's date and time formats from
// their calendar fields; earlier ones, and every date in the Hijri or Thai calendar, go through VarBstrFromDate.
constexpr double kFirstLocaleDate = -109205.0;
constexpr char16_t kOutOfRangeText[] = u"<?>";

// The locale and calendar flags of the calling thread: the invariant locale, Arabic (Saudi Arabia) with the Hijri
// calendar and Thai with the Thai calendar stand for themselves; every other thread locale reads and writes in the
// user default locale.
struct CalendarChoice {
    LCID lcid;
    uint32_t flags;
};
CalendarChoice ThreadCalendar() {
    switch (GetThreadLocale()) {
    case LOCALE_INVARIANT:
        return {LOCALE_INVARIANT, 0};
    case 1025:
        return {1025, VAR_CALENDAR_HIJRI};
    case 1054:
        return {1054, VAR_CALENDAR_THAI};
    default:
        return {LOCALE_USER_DEFAULT, 0};
    }
}

// The text the plain variant conversion gives (user default locale, no flags); false when it gives none.
bool PlainText(const VARIANT& value, String& text) {
    Variant converted;
    if (FAILED(ConvertVariant(value, VT_BSTR, converted)))
        return false;
    text.assign(converted.bstrVal, SysStringLen(converted.bstrVal));
    return true;
}

// The plain conversion of a date, or "<?>" for a day number that no calendar text stands for.
String PlainDateText(DATE date) {
    String text;
    return PlainText(Variant::Date(date), text) ? text : String(kOutOfRangeText);
}

// The date with the locale's short date format and the time with its time format, from the calendar fields.
bool LocaleDateText(DATE date, LCID lcid, bool timeOnly, String& text) {
    datetext::DateFields fields;
    if (!datetext::ToFields(date, fields))
        return false;
    if (timeOnly)
        return SUCCEEDED(datetext::Format(date, lcid, VAR_TIMEVALUEONLY, text));
    if (FAILED(datetext::Format(date, lcid, VAR_DATEVALUEONLY, text)))
        return false;
    if (fields.hour == 0 && fields.minute == 0 && fields.second == 0)
        return true; // a whole day, or a time that rounds to midnight: the date alone
    String time;
    if (FAILED(datetext::Format(date, lcid, VAR_TIMEVALUEONLY, time)))
        return false;
    text += u' ';
    text += time;
    return true;
}

String DateText(DATE date) {
    CalendarChoice calendar = ThreadCalendar();
    if (date == 0.0 && calendar.flags == 0)
        return PlainDateText(date);
    bool timeOnly = std::fabs(date) < 1.0;
    bool dateOnly = !timeOnly && date == std::trunc(date);
    if (calendar.flags == 0) {
        if (!datetext::InRange(date))
            return kOutOfRangeText;
        if (date >= kFirstLocaleDate) {
            String text;
            return LocaleDateText(date, calendar.lcid, timeOnly, text) ? text : PlainDateText(date);
        }
    }
    uint32_t part = timeOnly ? VAR_TIMEVALUEONLY : dateOnly ? VAR_DATEVALUEONLY : 0;
    BStr text;
    if (SUCCEEDED(VarBstrFromDate(date, calendar.lcid, calendar.flags | part, text.Out())))
        return text.str();
    return PlainDateText(date);
}

// A date text through the three readers: the thread's calendar, ISO 8601 rewritten for the user default locale,
// and the last-resort reader. False when none reads it.
bool ReadDateText(std::u16string_view text, DATE& date) {
    if (text.find(u'\0') != std::u16string_view::npos)
        return false; // the readers would stop at the NUL and take a prefix for the whole text
    CalendarChoice calendar = ThreadCalendar();
    if (SUCCEEDED(VarDateFromStr(String(text).c_str(), calendar.lcid, calendar.flags, &date)))
        return true;
    String rewritten = GeoprocessingUtil::ISODateStringToDateString(text);
    if (SUCCEEDED(VarDateFromStr(rewritten.c_str(), LOCALE_USER_DEFAULT, 0, &date)))
        return true;
    return SUCCEEDED(GeoprocessingUtil::DateTimeFromString(rewritten, GeoprocessingUtil::DateFieldType::Date, &date));
}

// Any other kind as a date: converted in the user default locale, else through a double. A day number that is not
// finite is no point in time and is refused.
bool ConvertToDate(const VARIANT& value, Variant& date) {
    if (FAILED(ConvertVariant(value, VT_DATE, date))) {
        Variant real;
        if (FAILED(ConvertVariant(value, VT_R8, real)) || FAILED(ConvertVariant(real, VT_DATE, date)))
            return false;
    }
    return std::isfinite(date.date);
}

bool IsOldestNamespace(std::u16string_view ns) {
    return EqualsNoCase(ns, c_xml_ns_tavi_90) || EqualsNoCase(ns, c_xml_ns_tavi_92);
}

} // namespace

void GPDate::Store(Variant value) {
    value_ = std::move(value);
    SetModified();
    SyncEmptyFlag();
}

HRESULT GPDate::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return VariantCopy(value, &value_);
}

HRESULT GPDate::put_Value(VARIANT value) {
    return guard([&]() -> HRESULT {
        if (value.vt == VT_EMPTY || value.vt == VT_NULL || (value.vt == VT_BSTR && SysStringLen(value.bstrVal) == 0)) {
            Store(Variant());
            return S_OK;
        }
        if (value.vt == VT_BSTR) {
            DATE date = 0;
            if (!ReadDateText({value.bstrVal, SysStringLen(value.bstrVal)}, date))
                return E_FAIL;
            Store(Variant::Date(date));
            return S_OK;
        }
        Variant date;
        if (!ConvertToDate(value, date))
            return E_FAIL;
        Store(std::move(date));
        return S_OK;
    });
}

HRESULT GPDate::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = value_.vt == VT_EMPTY ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPDate::Empty() {
    HRESULT hr = BaseEmpty();
    value_.Clear();
    return hr;
}

HRESULT GPDate::GetAsText(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return guard([&]() -> HRESULT {
        String out;
        if (value_.vt == VT_DATE)
            out = DateText(value_.date);
        else if (!PlainText(value_, out))
            return E_FAIL;
        *text = MakeBSTR(out);
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPDate::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, kMessageCodeInvalidDate,
                         [&](std::u16string_view read) { return SUCCEEDED(put_Value(Variant::Text(read))); });
}

HRESULT GPDate::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto date = QueryAs<IGPDate>(source);
        if (!date)
            return E_INVALIDARG;
        Variant value;
        if (FAILED(date->get_Value(value.Out())) || FAILED(put_Value(value)))
            return E_FAIL;
        return BaseAssign(source);
    });
}

HRESULT GPDate::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto date = QueryAs<IGPDate>(other);
        Variant theirs;
        if (!date || FAILED(date->get_Value(theirs.Out())))
            return S_OK;
        // The platform comparison takes an empty variant for zero; the base part then tells an empty date from
        // the date of day 0.
        if (VarCmp(&value_, &theirs, LOCALE_USER_DEFAULT, 0) != VARCMP_EQ)
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// ---- stream and XML forms ----

HRESULT GPDate::SaveContent(IStream* stream, uint16_t) {
    return WriteVariant(stream, value_);
}

HRESULT GPDate::LoadContent(IStream* stream, uint16_t) {
    Variant read;
    if (FAILED(ReadVariant(stream, read.Out())))
        return E_FAIL;
    // A stream holds what put_Value stored; any other kind is taken as put_Value takes it, text excepted (its
    // reading would depend on the locale of the reader).
    if (read.vt == VT_EMPTY || read.vt == VT_NULL)
        value_.Clear();
    else if (read.vt == VT_DATE && std::isfinite(read.date))
        value_ = std::move(read);
    else if (Variant converted; read.vt != VT_BSTR && ConvertToDate(read, converted))
        value_ = std::move(converted);
    else
        return E_FAIL;
    SyncEmptyFlag();
    return S_OK;
}

String GPDate::XmlTypeNamespace() const {
    return XmlNamespaceUtil::GetDocumentNamespace();
}

HRESULT GPDate::SerializeContent(IXMLSerializeData* data) {
    if (value_.vt == VT_EMPTY)
        return S_OK;
    if (IsOldestNamespace(XmlTypeNamespace()))
        return data->AddVariant(u"Value", &value_);
    return data->AddDate(u"Value", value_.date);
}

HRESULT GPDate::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    DATE date = 0;
    if (SUCCEEDED(data->Find(u"Value", &index)) && index >= 0 && SUCCEEDED(data->GetDate(index, &date))) {
        // As a double, so that the number is stored as a date; a finite day number outside the calendar range
        // (which a value can hold and write) is kept as the date it was.
        if (FAILED(put_Value(Variant::Double(date))))
            put_Value(Variant::Date(date));
    }
    SyncEmptyFlag();
    ClearDirty();
    return S_OK;
}

} // namespace tavi
