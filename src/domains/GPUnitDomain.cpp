// GPUnitDomain: membership through the value and units domains, sharing assignment, comparison and the stream and
// XML forms.
#include "domains/GPUnitDomain.h"

#include "domains/InnerDomains.h"
#include "host/CreateInstance.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/UnitXml.h"
#include "host/XmlNamespace.h"
#include "platform/BStr.h"
#include "tavi/Xml.h"

#include <array>
#include <tuple>
#include <utility>
#include <vector>

namespace tavi {

namespace {

constexpr const char16_t* kUnitsElement = u"Units";
constexpr const char16_t* kUnknownKeyword = u"Unknown";

// A clone of the unit value `unit` (interface I, units U) for an inner domain: with `converted`, its number is
// `unit`'s number in `target` and its units are `target`; otherwise its number is 0 and its units stay.
template <class I, class U> HRESULT UnitClone(I* unit, bool converted, U target, ComPtr<IGPValue>* checked) {
    auto clonable = QueryAs<IClone>(unit);
    if (!clonable)
        return E_FAIL;
    ComPtr<IClone> copy;
    HRESULT hr = clonable->Clone(copy.Out());
    if (FAILED(hr))
        return hr;
    auto copyUnit = QueryAs<I>(copy.Get());
    auto copyValue = QueryAs<IGPValue>(copy.Get());
    if (!copyUnit || !copyValue)
        return E_FAIL;
    if (converted) {
        double number = 0;
        if (FAILED(hr = unit->get_ConvertedValue(target, &number)) || FAILED(hr = copyUnit->put_Value(number)) ||
            FAILED(hr = copyUnit->put_Units(target)))
            return hr;
    } else if (FAILED(hr = copyUnit->put_Value(0))) {
        return hr;
    }
    *checked = std::move(copyValue);
    return S_OK;
}

ComPtr<IGPTimeUnit> NewTimeUnit() {
    ComPtr<IGPTimeUnit> unit;
    AfCreateInstance(CLSID_GPTimeUnit, nullptr, CLSCTX_INPROC_SERVER, IGPTimeUnit::iid, unit.OutVoid());
    return unit;
}

// The inner domains an XML array names: element 0 and 1, each none when missing or not a domain.
ComPtr<IGPDomain> DomainAt(IArray* array, int32_t index) {
    int32_t count = 0;
    if (FAILED(array->get_Count(&count)) || index >= count)
        return nullptr;
    ComPtr<IUnknown> element;
    if (FAILED(array->get_Element(index, element.Out())))
        return nullptr;
    return QueryAs<IGPDomain>(element.Get());
}

// The texts of the "Units" elements, in document order (an unreadable one as absent).
std::vector<String> UnitsTexts(IXMLSerializeData* data) {
    std::vector<String> texts;
    int32_t count = 0;
    if (FAILED(data->get_ElementCount(&count)))
        return texts;
    for (int32_t i = 0; i < count && texts.size() < 3; ++i) {
        BStr name;
        if (FAILED(data->GetElementName(i, name.Out())) || name.str() != kUnitsElement)
            continue;
        BStr text;
        if (SUCCEEDED(data->GetString(i, text.Out())))
            texts.push_back(text.str());
    }
    return texts;
}

} // namespace

bool GPUnitDomain::IsSelf(IGPDomain* domain) {
    return domain && SameObject(domain, static_cast<IGPUnitDomain*>(this));
}

// --- IGPDomain ---

HRESULT GPUnitDomain::ValueToCheck(IGPValue* value, bool converted, ComPtr<IGPValue>* checked) const {
    if (auto linear = QueryAs<IGPLinearUnit>(value))
        return UnitClone(linear.Get(), converted, linearUnits_, checked);
    if (auto areal = QueryAs<IGPArealUnit>(value))
        return UnitClone(areal.Get(), converted, arealUnits_, checked);
    if (auto time = QueryAs<IGPTimeUnit>(value))
        return UnitClone(time.Get(), converted, timeUnits_, checked);
    *checked = ComPtr<IGPValue>(value);
    return S_OK;
}

HRESULT GPUnitDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        DomainNesting nesting;
        if (nesting.TooDeep())
            return E_FAIL;
        ComPtr<IGPValue> actual;
        HRESULT unpacked = UnpackValue(value, actual.Out());
        if (FAILED(unpacked))
            return unpacked;
        // Local references: an inner domain's MemberOf may not release what this call is using.
        ComPtr<IGPDomain> valueDomain = valueDomain_, unitsDomain = unitsDomain_;
        ComPtr<IGPMessage> valueAnswer, unitsAnswer;
        for (auto [domain, converted, answer] :
             {std::tuple{valueDomain.Get(), true, &valueAnswer}, std::tuple{unitsDomain.Get(), false, &unitsAnswer}}) {
            if (!domain)
                continue;
            ComPtr<IGPValue> checked;
            if (HRESULT hr = ValueToCheck(actual.Get(), converted, &checked); FAILED(hr))
                return hr;
            // The inner domain's result code says nothing its message does not: only the message is kept.
            domain->MemberOf(checked.Get(), answer->Out());
        }
        bool valueErrs = MessageIsError(valueAnswer.Get());
        bool unitsErrs = MessageIsError(unitsAnswer.Get());
        ComPtr<IGPMessage> answer;
        if (valueErrs && unitsErrs) {
            auto both = MakeObject<GPMultiMessage>();
            if (FAILED(both->AddMessage(valueAnswer.Get())) || FAILED(both->AddMessage(unitsAnswer.Get())))
                return E_FAIL;
            answer = ComPtr<IGPMessage>(static_cast<IGPMessage*>(both.Get()));
        } else if (valueErrs) {
            answer = valueAnswer;
        } else if (unitsErrs) {
            answer = unitsAnswer;
        } else if (FAILED(MakeEmptyMessage(answer.Out()))) {
            return E_FAIL;
        }
        *message = answer.Detach();
        return unpacked;
    });
}

// --- IGPUnitDomain ---

HRESULT GPUnitDomain::SetDomains(IGPDomain* valueDomain, IGPDomain* unitsDomain) {
    if (IsSelf(valueDomain) || IsSelf(unitsDomain))
        return E_INVALIDARG;
    // Taken before the old ones go, so that passing the domains already held keeps them alive.
    ComPtr<IGPDomain> newValue(valueDomain), newUnits(unitsDomain);
    valueDomain_.Swap(newValue);
    unitsDomain_.Swap(newUnits);
    return S_OK;
}

HRESULT GPUnitDomain::GetDomains(IGPDomain** valueDomain, IGPDomain** unitsDomain) {
    if (!valueDomain || !unitsDomain)
        return E_POINTER;
    valueDomain_.CopyTo(valueDomain);
    unitsDomain_.CopyTo(unitsDomain);
    return S_OK;
}

HRESULT GPUnitDomain::put_LinearUnits(taviUnits units) {
    linearUnits_ = units;
    return S_OK;
}

HRESULT GPUnitDomain::get_LinearUnits(taviUnits* units) {
    if (!units)
        return E_POINTER;
    *units = linearUnits_;
    return S_OK;
}

HRESULT GPUnitDomain::put_ArealUnits(taviAreaUnits units) {
    arealUnits_ = units;
    return S_OK;
}

HRESULT GPUnitDomain::get_ArealUnits(taviAreaUnits* units) {
    if (!units)
        return E_POINTER;
    *units = arealUnits_;
    return S_OK;
}

HRESULT GPUnitDomain::put_TimeUnits(taviTimeUnits units) {
    timeUnits_ = units;
    return S_OK;
}

HRESULT GPUnitDomain::get_TimeUnits(taviTimeUnits* units) {
    if (!units)
        return E_POINTER;
    *units = timeUnits_;
    return S_OK;
}

// --- IGxFilterInfo ---

HRESULT GPUnitDomain::get_OpenGxObjectFilters(IArray** filters) {
    return ClearOut(filters);
}

// --- IClone ---

HRESULT GPUnitDomain::Assign(IClone* source) {
    auto unit = QueryAs<IGPUnitDomain>(source);
    if (!unit)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDomain> valueDomain, unitsDomain;
        taviUnits linear{};
        taviAreaUnits areal{};
        taviTimeUnits time{};
        HRESULT hr = unit->GetDomains(valueDomain.Out(), unitsDomain.Out());
        if (FAILED(hr) || FAILED(hr = unit->get_LinearUnits(&linear)) || FAILED(hr = unit->get_ArealUnits(&areal)) ||
            FAILED(hr = unit->get_TimeUnits(&time)))
            return hr;
        if (IsSelf(valueDomain.Get()) || IsSelf(unitsDomain.Get()))
            return E_INVALIDARG;
        valueDomain_.Swap(valueDomain);
        unitsDomain_.Swap(unitsDomain);
        linearUnits_ = linear;
        arealUnits_ = areal;
        timeUnits_ = time;
        SetDirty();
        return S_OK;
    });
}

HRESULT GPUnitDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto unit = QueryAs<IGPUnitDomain>(other);
    if (!unit)
        return S_OK;
    return guard([&]() -> HRESULT {
        DomainNesting nesting;
        if (nesting.TooDeep())
            return E_FAIL;
        ComPtr<IGPDomain> theirValue, theirUnits;
        if (HRESULT hr = unit->GetDomains(theirValue.Out(), theirUnits.Out()); FAILED(hr))
            return hr;
        ComPtr<IGPDomain> myValue = valueDomain_, myUnits = unitsDomain_;
        for (auto [mine, theirs] :
             {std::pair{myValue.Get(), theirValue.Get()}, std::pair{myUnits.Get(), theirUnits.Get()}}) {
            if (!InnerDomainsEqual(theirs, mine)) // the other's domain is asked
                return S_OK;
        }
        taviUnits linear{};
        taviAreaUnits areal{};
        taviTimeUnits time{};
        if (HRESULT hr = unit->get_LinearUnits(&linear); FAILED(hr))
            return hr;
        if (linear != linearUnits_)
            return S_OK;
        if (HRESULT hr = unit->get_ArealUnits(&areal); FAILED(hr))
            return hr;
        if (areal != arealUnits_)
            return S_OK;
        if (HRESULT hr = unit->get_TimeUnits(&time); FAILED(hr))
            return hr;
        if (time == timeUnits_)
            *equal = VARIANT_TRUE;
        return S_OK;
    });
}

// --- IPersistStream ---

HRESULT GPUnitDomain::SaveContent(IStream* stream, uint16_t) {
    DomainNesting nesting;
    if (nesting.TooDeep())
        return E_FAIL;
    ComPtr<IGPDomain> valueDomain = valueDomain_, unitsDomain = unitsDomain_;
    if (FAILED(SaveObject(valueDomain.Get(), stream, SaveClearsDirty())) ||
        FAILED(SaveObject(unitsDomain.Get(), stream, SaveClearsDirty())) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(linearUnits_))) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(arealUnits_))) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(timeUnits_))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPUnitDomain::LoadContent(IStream* stream, uint16_t) {
    int32_t linear = 0, areal = 0, time = 0;
    if (FAILED(LoadObject(stream, IGPDomain::iid, valueDomain_.OutVoid())) ||
        FAILED(LoadObject(stream, IGPDomain::iid, unitsDomain_.OutVoid())) || FAILED(AfStreamRead(stream, &linear)) ||
        FAILED(AfStreamRead(stream, &areal)) || FAILED(AfStreamRead(stream, &time)))
        return E_FAIL;
    linearUnits_ = static_cast<taviUnits>(linear);
    arealUnits_ = static_cast<taviAreaUnits>(areal);
    timeUnits_ = static_cast<taviTimeUnits>(time);
    return S_OK;
}

// --- IXMLSerialize ---

HRESULT GPUnitDomain::TimeKeyword(taviTimeUnits units, String* keyword) {
    auto unit = NewTimeUnit();
    auto value = QueryAs<IGPValue>(unit.Get());
    if (!value)
        return E_FAIL;
    BStr text;
    HRESULT hr = unit->put_Value(1);
    if (FAILED(hr) || FAILED(hr = unit->put_Units(units)) || FAILED(hr = value->GetAsText(text.Out())))
        return hr;
    String printed = text.str();
    size_t blank = printed.find(u' ');
    *keyword = blank == String::npos ? String(kUnknownKeyword) : printed.substr(blank + 1);
    return S_OK;
}

HRESULT GPUnitDomain::TimeUnitsOfKeyword(std::u16string_view keyword, taviTimeUnits* units) {
    auto unit = NewTimeUnit();
    auto value = QueryAs<IGPValue>(unit.Get());
    if (!value)
        return E_FAIL;
    String text = u"1 " + String(keyword);
    ComPtr<IGPMessage> message; // a keyword the time value does not know reads as Unknown units
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    if (FAILED(hr))
        return hr;
    return unit->get_Units(units);
}

HRESULT GPUnitDomain::SerializeContent(IXMLSerializeData* data) {
    DomainNesting nesting;
    if (nesting.TooDeep())
        return E_FAIL;
    String timeKeyword;
    if (HRESULT hr = TimeKeyword(timeUnits_, &timeKeyword); FAILED(hr))
        return hr;
    ComPtr<IArray> array;
    HRESULT hr = CreateObjectArray(IArray::iid, array.OutVoid());
    if (FAILED(hr) || FAILED(hr = array->Add(valueDomain_.Get())) || FAILED(hr = array->Add(unitsDomain_.Get())) ||
        FAILED(hr = data->AddObjectArray(kDomainArrayElement, array.Get(), kDomainElementType, c_xml_ns_tavi)))
        return hr;
    const std::array<String, 3> units{String(GeoprocessingUtil::ConvertUnitsToXMLString(linearUnits_)),
                                      String(GeoprocessingUtil::ConvertAreaUnitsToXMLString(arealUnits_)), timeKeyword};
    for (const auto& text : units)
        if (FAILED(hr = data->AddString(kUnitsElement, text.c_str())))
            return hr;
    return S_OK;
}

HRESULT GPUnitDomain::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    data->Find(kDomainArrayElement, &index);
    if (index < 0)
        return S_OK;
    ComPtr<IArray> array;
    if (FAILED(CreateObjectArray(IArray::iid, array.OutVoid())) ||
        FAILED(data->GetObjectArray(index, c_xml_ns_tavi, kDomainArrayType, array.Get())))
        return E_FAIL;
    std::vector<String> texts = UnitsTexts(data);
    if (texts.size() > 0)
        linearUnits_ = GeoprocessingUtil::ConvertXMLStringToUnits(texts[0]);
    if (texts.size() > 1)
        arealUnits_ = GeoprocessingUtil::ConvertXMLStringToAreaUnits(texts[1]);
    if (texts.size() > 2)
        if (HRESULT hr = TimeUnitsOfKeyword(texts[2], &timeUnits_); FAILED(hr))
            return hr;
    valueDomain_ = DomainAt(array.Get(), 0);
    unitsDomain_ = DomainAt(array.Get(), 1);
    return S_OK;
}

} // namespace tavi
