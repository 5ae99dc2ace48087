// The data types of the unit values: validation and the value support text.
#include "values/GPUnitTypes.h"

#include "tavi/GPDomains.h"

namespace tavi {

template <class Derived, class Value, class Marker>
HRESULT UnitDataType<Derived, Value, Marker>::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    return this->ValidateDataTypeAgainst(other, {Marker::iid, IGPDoubleType::iid, IGPLongType::iid}, message);
}

template <class Derived, class Value, class Marker>
HRESULT UnitDataType<Derived, Value, Marker>::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    if (!value || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = this->UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        bool valid = AnswersAny(actual.Get(), {Value::UnitInterface::iid, IGPDouble::iid, IGPLong::iid});
        if (!valid || !domain)
            return this->MakeValueErrorMessage(valid ? VARIANT_TRUE : VARIANT_FALSE, value, message);
        return domain->MemberOf(ValueForDomain(actual.Get(), domain).Get(), message);
    });
}

template <class Derived, class Value, class Marker>
ComPtr<IGPValue> UnitDataType<Derived, Value, Marker>::ValueForDomain(IGPValue* actual, IGPDomain* domain) {
    auto unit = QueryAs<typename Value::UnitInterface>(actual);
    if (!unit || !QueryAs<IGPCodedValueDomain>(domain))
        return ComPtr<IGPValue>(actual);
    typename Value::Units units{};
    unit->get_Units(&units);
    // The number is set to 0 rather than left out: an empty value prints no text, so the coded value domain could
    // not read the unit keyword after the blank ("0 Feet") and no unit would ever be a member.
    auto unitsOnly = MakeObject<Value>();
    unitsOnly->put_Value(0.0);
    unitsOnly->put_Units(units);
    return QueryAs<IGPValue>(static_cast<typename Value::UnitInterface*>(unitsOnly.Get()));
}

template <class Derived, class Value, class Marker>
HRESULT UnitDataType<Derived, Value, Marker>::GetValueSupport(IGPValue* value, BSTR* support) {
    if (HRESULT hr = ClearOut(support); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto unit = QueryAs<typename Value::UnitInterface>(value);
        VARIANT_BOOL empty = VARIANT_FALSE;
        if (!unit || FAILED(value->IsEmpty(&empty)) || !empty)
            return S_FALSE;
        typename Value::Units units{};
        unit->get_Units(&units);
        String text = u"<value-support unit='";
        text.append(Value::OutputKeyword(units));
        text.append(u"'/>");
        *support = MakeBSTR(text);
        return *support ? S_OK : E_OUTOFMEMORY;
    });
}

GPLinearUnitType::GPLinearUnitType()
    : UnitDataType({u"GPLinearUnit", kDisplayNameId, kClassId, GPLinearUnit::kClassId, GUID_NULL,
                    IGPLinearUnitType::iid, IGPLinearUnit::iid}) {}

GPArealUnitType::GPArealUnitType()
    : UnitDataType({u"GPArealUnit", kDisplayNameId, kClassId, GPArealUnit::kClassId, GUID_NULL, IGPArealUnitType::iid,
                    IGPArealUnit::iid}) {}

GPTimeUnitType::GPTimeUnitType()
    : UnitDataType({u"GPTimeUnit", kDisplayNameId, kClassId, GPTimeUnit::kClassId, GUID_NULL, IGPTimeUnitType::iid,
                    IGPTimeUnit::iid}) {}

template class UnitDataType<GPLinearUnitType, GPLinearUnit, IGPLinearUnitType>;
template class UnitDataType<GPArealUnitType, GPArealUnit, IGPArealUnitType>;
template class UnitDataType<GPTimeUnitType, GPTimeUnit, IGPTimeUnitType>;

} // namespace tavi
