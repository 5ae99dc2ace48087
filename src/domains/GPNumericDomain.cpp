// The numeric domain: the verdict on a number, the limits, streams, XML and cloning.
#include "domains/GPNumericDomain.h"

#include "host/MessageMaker.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/GPScalar.h"
#include "tavi/Xml.h"

#include <cmath>

namespace tavi {

namespace {

// Element names of the XML form, in their order.
constexpr const OLECHAR* kAllowEmpty = u"AllowEmpty";
constexpr const OLECHAR* kLowLimit = u"LowLimit";
constexpr const OLECHAR* kInclusive = u"Inclusive";
constexpr const OLECHAR* kAllowHighLimit = u"AllowHighLimit";
constexpr const OLECHAR* kHighLimit = u"HighLimit";

// The number of a double, long or linear unit value; false for values of other kinds.
bool NumberOf(IGPValue* value, double& number) {
    if (auto dbl = QueryAs<IGPDouble>(value))
        return SUCCEEDED(dbl->get_Value(&number));
    if (auto lng = QueryAs<IGPLong>(value)) {
        int64_t whole = 0;
        if (FAILED(lng->get_Value64(&whole)))
            return false;
        number = static_cast<double>(whole);
        return true;
    }
    if (auto unit = QueryAs<IGPLinearUnit>(value))
        return SUCCEEDED(unit->get_Value(&number));
    return false;
}

bool IsNumberValue(IGPValue* value) {
    return QueryAs<IGPDouble>(value) || QueryAs<IGPLong>(value) || QueryAs<IGPLinearUnit>(value);
}

HRESULT FindElement(IXMLSerializeData* data, const OLECHAR* name, int32_t* index) {
    *index = -1;
    data->Find(name, index);
    return *index < 0 ? E_FAIL : S_OK;
}

HRESULT ReadBoolean(IXMLSerializeData* data, const OLECHAR* name, VARIANT_BOOL* value) {
    int32_t index = -1;
    if (FAILED(FindElement(data, name, &index)) || FAILED(data->GetBoolean(index, value)))
        return E_FAIL;
    return S_OK;
}

HRESULT ReadDouble(IXMLSerializeData* data, const OLECHAR* name, double* value) {
    int32_t index = -1;
    if (FAILED(FindElement(data, name, &index)) || FAILED(data->GetDouble(index, value)))
        return E_FAIL;
    return S_OK;
}

} // namespace

GPNumericDomain::GPNumericDomain() : GPDomain(kClassId), messageMaker_(MakeObject<GPMessageMaker>().Get()) {}

int32_t GPNumericDomain::CodeFor(double number) const {
    // NaN lies between no limits: without this test it would slip through every comparison below.
    if (std::isnan(number))
        return kCodeOutOfRange;
    if (number > limits_.highLimit || (!limits_.allowHighLimit && number == limits_.highLimit))
        return kCodeOutOfRange;
    if (limits_.inclusive ? number < limits_.lowLimit : number <= limits_.lowLimit)
        return kCodeOutOfRange;
    return 0;
}

int32_t GPNumericDomain::CodeFor(IGPValue* value) const {
    if (!value || !IsNumberValue(value))
        return kCodeNotNumber;
    VARIANT_BOOL empty = VARIANT_FALSE;
    if (SUCCEEDED(value->IsEmpty(&empty)) && empty)
        return limits_.allowEmpty ? 0 : kCodeEmpty;
    double number = 0;
    if (!NumberOf(value, number))
        return kCodeNotNumber;
    return CodeFor(number);
}

HRESULT GPNumericDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        int32_t code = CodeFor(actual.Get());
        return messageMaker_->MakeResultMessage(code ? E_FAIL : S_OK, code, message);
    });
}

HRESULT GPNumericDomain::put_AllowEmpty(VARIANT_BOOL allow) {
    limits_.allowEmpty = allow;
    SetDirty();
    return S_OK;
}

HRESULT GPNumericDomain::get_AllowEmpty(VARIANT_BOOL* allow) {
    if (!allow)
        return E_POINTER;
    *allow = limits_.allowEmpty;
    return S_OK;
}

HRESULT GPNumericDomain::put_LowLimit(double limit) {
    limits_.lowLimit = limit;
    SetDirty();
    return S_OK;
}

HRESULT GPNumericDomain::get_LowLimit(double* limit) {
    if (!limit)
        return E_POINTER;
    *limit = limits_.lowLimit;
    return S_OK;
}

HRESULT GPNumericDomain::put_Inclusive(VARIANT_BOOL inclusive) {
    limits_.inclusive = inclusive;
    SetDirty();
    return S_OK;
}

HRESULT GPNumericDomain::get_Inclusive(VARIANT_BOOL* inclusive) {
    if (!inclusive)
        return E_POINTER;
    *inclusive = limits_.inclusive;
    return S_OK;
}

HRESULT GPNumericDomain::put_HighLimit(VARIANT_BOOL allowHighLimit, double highLimit) {
    limits_.allowHighLimit = allowHighLimit;
    limits_.highLimit = highLimit;
    SetDirty();
    return S_OK;
}

HRESULT GPNumericDomain::get_HighLimit(VARIANT_BOOL* allowHighLimit, double* highLimit) {
    if (!allowHighLimit || !highLimit)
        return E_POINTER;
    *allowHighLimit = limits_.allowHighLimit;
    *highLimit = limits_.highLimit;
    return S_OK;
}

HRESULT GPNumericDomain::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto numeric = QueryAs<IGPNumericDomain>(source);
        if (!numeric)
            return E_INVALIDARG;
        Limits read;
        if (FAILED(numeric->get_AllowEmpty(&read.allowEmpty)) || FAILED(numeric->get_LowLimit(&read.lowLimit)) ||
            FAILED(numeric->get_Inclusive(&read.inclusive)) ||
            FAILED(numeric->get_HighLimit(&read.allowHighLimit, &read.highLimit)))
            return E_FAIL;
        limits_ = read;
        SetDirty();
        return S_OK;
    });
}

HRESULT GPNumericDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto numeric = QueryAs<IGPNumericDomain>(other);
        Limits theirs;
        if (!numeric || FAILED(numeric->get_AllowEmpty(&theirs.allowEmpty)) ||
            FAILED(numeric->get_LowLimit(&theirs.lowLimit)) || FAILED(numeric->get_Inclusive(&theirs.inclusive)) ||
            FAILED(numeric->get_HighLimit(&theirs.allowHighLimit, &theirs.highLimit)))
            return S_OK;
        // The high limit counts whether or not it is itself allowed: it bounds the values either way.
        bool same = theirs.allowEmpty == limits_.allowEmpty && theirs.lowLimit == limits_.lowLimit &&
                    theirs.inclusive == limits_.inclusive && theirs.allowHighLimit == limits_.allowHighLimit &&
                    theirs.highLimit == limits_.highLimit;
        *equal = same ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT GPNumericDomain::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(AfStreamWrite(stream, limits_.allowEmpty)) || FAILED(AfStreamWrite(stream, limits_.lowLimit)) ||
        FAILED(AfStreamWrite(stream, limits_.inclusive)) || FAILED(AfStreamWrite(stream, limits_.allowHighLimit)) ||
        FAILED(AfStreamWrite(stream, limits_.highLimit)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPNumericDomain::LoadContent(IStream* stream, uint16_t) {
    if (FAILED(AfStreamRead(stream, &limits_.allowEmpty)) || FAILED(AfStreamRead(stream, &limits_.lowLimit)) ||
        FAILED(AfStreamRead(stream, &limits_.inclusive)) || FAILED(AfStreamRead(stream, &limits_.allowHighLimit)) ||
        FAILED(AfStreamRead(stream, &limits_.highLimit)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPNumericDomain::SerializeContent(IXMLSerializeData* data) {
    HRESULT hr = data->AddBoolean(kAllowEmpty, limits_.allowEmpty);
    if (SUCCEEDED(hr))
        hr = data->AddDouble(kLowLimit, limits_.lowLimit);
    if (SUCCEEDED(hr))
        hr = data->AddBoolean(kInclusive, limits_.inclusive);
    if (SUCCEEDED(hr))
        hr = data->AddBoolean(kAllowHighLimit, limits_.inclusive);
    if (SUCCEEDED(hr))
        hr = data->AddDouble(kHighLimit, limits_.highLimit);
    return hr;
}

HRESULT GPNumericDomain::DeserializeContent(IXMLSerializeData* data) {
    if (FAILED(ReadBoolean(data, kAllowEmpty, &limits_.allowEmpty)) ||
        FAILED(ReadDouble(data, kLowLimit, &limits_.lowLimit)) ||
        FAILED(ReadBoolean(data, kInclusive, &limits_.inclusive)) ||
        FAILED(ReadBoolean(data, kAllowHighLimit, &limits_.inclusive)) ||
        FAILED(ReadDouble(data, kHighLimit, &limits_.highLimit)))
        return E_FAIL;
    return S_OK;
}

} // namespace tavi
