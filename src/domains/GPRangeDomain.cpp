// The range domain: membership through the wrapped platform range object, messages, streams, XML and cloning.
#include "domains/GPRangeDomain.h"

#include "host/Message.h"
#include "host/RangeDomain.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/Xml.h"

namespace tavi {

namespace {

// Message codes of the verdicts.
constexpr int32_t kCodeNotHandled = 1;
constexpr int32_t kCodeOutOfRange = 854;

// The unit keyword part of a unit value's text: from its first blank to the end, the blank included ("10 Meters"
// gives " Meters"); empty without a blank.
String UnitTextOf(IGPValue* value) {
    BStr text;
    if (FAILED(value->GetAsText(text.Out())))
        return {};
    auto blank = text.view().find(u' ');
    return blank == std::u16string_view::npos ? String() : String(text.view().substr(blank));
}

template <class Unit> bool UnitNumber(IGPValue* value, Variant& test, String& unitText) {
    auto unit = QueryAs<Unit>(value);
    if (!unit)
        return false;
    double number = 0;
    if (FAILED(unit->get_Value(&number)))
        return false;
    test = Variant::Double(number);
    unitText = UnitTextOf(value);
    return true;
}

// What the range object is asked about: the variant form of a variant value, else the number of a linear, areal
// or time unit (with its unit text). False for values of other kinds.
bool TestVariantOf(IGPValue* value, Variant& test, String& unitText) {
    if (auto variant = QueryAs<IGPVariant>(value))
        return SUCCEEDED(variant->get_Value(test.Out()));
    return UnitNumber<IGPLinearUnit>(value, test, unitText) || UnitNumber<IGPArealUnit>(value, test, unitText) ||
           UnitNumber<IGPTimeUnit>(value, test, unitText);
}

// A bound as the out-of-range message shows it: a number with "%g", a date as date text, anything else as text.
String BoundText(const Variant& bound) {
    if (bound.vt == VT_EMPTY || bound.vt == VT_NULL)
        return {};
    Variant converted;
    if (bound.vt != VT_DATE && SUCCEEDED(VariantChangeTypeEx(converted.Out(), &bound, LOCALE_INVARIANT, 0, VT_R8)))
        return FormatNumber("%g", converted.dblVal);
    if (FAILED(VariantChangeTypeEx(converted.Out(), &bound, LOCALE_USER_DEFAULT, 0, VT_BSTR)) ||
        converted.vt != VT_BSTR)
        return {};
    return String(converted.bstrVal ? converted.bstrVal : u"", SysStringLen(converted.bstrVal));
}

// Bounds are equal when both are absent in the same way, or the variant comparison finds them equal.
bool SameBound(const VARIANT& a, const VARIANT& b) {
    bool aAbsent = a.vt == VT_EMPTY || a.vt == VT_NULL, bAbsent = b.vt == VT_EMPTY || b.vt == VT_NULL;
    if (aAbsent || bAbsent)
        return a.vt == b.vt;
    return VarCmp(&a, &b, LOCALE_INVARIANT, 0) == VARCMP_EQ;
}

Variant ReadBound(IRangeDomain* range, bool minimum) {
    Variant bound;
    HRESULT hr = minimum ? range->get_MinValue(bound.Out()) : range->get_MaxValue(bound.Out());
    if (FAILED(hr))
        bound.Clear();
    return bound;
}

} // namespace

GPRangeDomain::GPRangeDomain() : GPDomain(kClassId) {
    auto inner = MakeObject<RangeDomain>();
    range_ = ComPtr<IRangeDomain>(inner.Get());
    domain_ = ComPtr<IDomain>(inner.Get());
    domain_->put_FieldType(taviFieldTypeDouble);
}

Variant GPRangeDomain::Min() const {
    return ReadBound(range_.Get(), true);
}

Variant GPRangeDomain::Max() const {
    return ReadBound(range_.Get(), false);
}

HRESULT GPRangeDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> verdict;
        if (FAILED(MakeMessage(taviGPMessageTypeError, kCodeNotHandled, {}, verdict.Out())))
            return E_FAIL;
        verdict.CopyTo(message);
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        Variant test;
        String unitText;
        if (!actual || !TestVariantOf(actual.Get(), test, unitText))
            return S_FALSE;
        if (domain_->MemberOf(test) == S_OK) {
            verdict->put_Type(taviGPMessageTypeEmpty);
            verdict->put_ErrorCode(0);
            return S_OK;
        }
        return ApplyNotMember(verdict.Get(), unitText);
    });
}

HRESULT GPRangeDomain::ApplyNotMember(IGPMessage* message, std::u16string_view unitText) const {
    auto error = QueryAs<IGPErrorMessage>(message);
    if (!error || FAILED(error->MakeError(taviGPMessageTypeError, kCodeOutOfRange)))
        return E_FAIL;
    BStr pattern;
    message->get_Description(pattern.Out());
    // A unit value without known units has nothing to show beside the number.
    if (unitText.size() >= 8 && EqualsNoCase(unitText.substr(0, 8), u" unknown"))
        unitText = {};
    String maximum = BoundText(Max()) + String(unitText);
    String description = FormatInserts(pattern.view(), {BoundText(Min()), maximum});
    message->put_Description(description.c_str());
    return S_FALSE;
}

HRESULT GPRangeDomain::get_MinValue(VARIANT* value) {
    return range_->get_MinValue(value);
}

HRESULT GPRangeDomain::put_MinValue(VARIANT value) {
    SetDirty();
    return range_->put_MinValue(value);
}

HRESULT GPRangeDomain::get_MaxValue(VARIANT* value) {
    return range_->get_MaxValue(value);
}

HRESULT GPRangeDomain::put_MaxValue(VARIANT value) {
    SetDirty();
    return range_->put_MaxValue(value);
}

HRESULT GPRangeDomain::SetInner(const int32_t* fieldType, const VARIANT& min, const VARIANT& max) {
    int32_t oldType = taviFieldTypeDouble;
    domain_->get_FieldType(&oldType);
    Variant oldMin = Min(), oldMax = Max();
    bool ok = (!fieldType || SUCCEEDED(domain_->put_FieldType(*fieldType))) && SUCCEEDED(range_->put_MinValue(min)) &&
              SUCCEEDED(range_->put_MaxValue(max));
    if (ok)
        return S_OK;
    domain_->put_FieldType(oldType);
    range_->put_MinValue(oldMin);
    range_->put_MaxValue(oldMax);
    return E_FAIL;
}

HRESULT GPRangeDomain::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto range = QueryAs<IRangeDomain>(source);
        if (!range)
            return E_INVALIDARG;
        Variant min, max;
        if (FAILED(range->get_MinValue(min.Out())) || FAILED(range->get_MaxValue(max.Out())))
            return E_FAIL;
        if (FAILED(SetInner(nullptr, min, max)))
            return E_FAIL;
        SetDirty();
        return S_OK;
    });
}

HRESULT GPRangeDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto range = QueryAs<IRangeDomain>(other);
        if (!range || !QueryAs<IGPDomain>(other))
            return E_NOINTERFACE;
        if (!SameBound(Min(), ReadBound(range.Get(), true)) || !SameBound(Max(), ReadBound(range.Get(), false)))
            return S_FALSE;
        *equal = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT GPRangeDomain::SaveContent(IStream* stream, uint16_t) {
    int32_t fieldType = taviFieldTypeDouble;
    domain_->get_FieldType(&fieldType);
    if (FAILED(AfStreamWrite(stream, fieldType)) || FAILED(WriteVariant(stream, Min())) ||
        FAILED(WriteVariant(stream, Max())))
        return E_FAIL;
    return S_OK;
}

HRESULT GPRangeDomain::LoadContent(IStream* stream, uint16_t) {
    int32_t fieldType = 0;
    Variant min, max;
    if (FAILED(AfStreamRead(stream, &fieldType)) || FAILED(ReadVariant(stream, min.Out())) ||
        FAILED(ReadVariant(stream, max.Out())) || FAILED(SetInner(&fieldType, min, max)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPRangeDomain::SerializeContent(IXMLSerializeData* data) {
    Variant min = Min(), max = Max();
    if (HRESULT hr = data->AddVariant(u"Min", &min); FAILED(hr))
        return hr;
    return data->AddVariant(u"Max", &max);
}

HRESULT GPRangeDomain::DeserializeContent(IXMLSerializeData* data) {
    int32_t minIndex = -1, maxIndex = -1;
    data->Find(u"Min", &minIndex);
    data->Find(u"Max", &maxIndex);
    Variant min, max;
    if (minIndex < 0 || maxIndex < 0 || FAILED(data->GetVariant(minIndex, &min)) ||
        FAILED(data->GetVariant(maxIndex, &max)) || FAILED(SetInner(nullptr, min, max)))
        return E_FAIL;
    return S_OK;
}

} // namespace tavi
