// The data types of the unit values: GPLinearUnitType, GPArealUnitType and GPTimeUnitType.
//
// Each accepts its own kind, the double and the long data types (a number stands for a measure in the units a tool
// assumes), and validates unit values of its kind, doubles and longs. Against a coded value domain a unit value is
// checked by its units alone: the domain lists units, and the number is the user's. IGPValueUISupport tells an
// editing control which units an empty value of the kind already carries.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPUnits.h"
#include "values/GPLinearUnit.h"

namespace tavi {

// What the three unit data types share. Value is the unit value class; Marker the type's own marker interface.
template <class Derived, class Value, class Marker>
class UnitDataType : public GPDataType<Derived, Marker, IGPDataType, IGPValueUISupport, IClone> {
public:
    // Accepts the own type, IGPDoubleType and IGPLongType.
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
    // E_POINTER for a null value or message. Valid: a unit value of the kind, a double or a long (after unpacking a
    // variable or parameter). With a domain the domain decides; a unit value checked against a coded value domain
    // is replaced by a new value of the kind carrying only its units.
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;

    // IGPValueUISupport: "<value-support unit='Feet'/>" (the output keyword of the units) for an empty unit value
    // of the kind, S_OK; S_FALSE and null for anything else. E_POINTER for null arguments.
    HRESULT GetValueSupport(IGPValue* value, BSTR* support) override;

protected:
    using GPDataType<Derived, Marker, IGPDataType, IGPValueUISupport, IClone>::GPDataType;

private:
    // The value to hand the domain: `actual` itself, or its units alone for a coded value domain.
    ComPtr<IGPValue> ValueForDomain(IGPValue* actual, IGPDomain* domain);
};

class GPLinearUnitType final : public UnitDataType<GPLinearUnitType, GPLinearUnit, IGPLinearUnitType> {
public:
    static constexpr CLSID kClassId = CLSID_GPLinearUnitType;
    static constexpr const char16_t* kClassName = u"GPLinearUnitType";
    static constexpr int32_t kDisplayNameId = 4662;
    GPLinearUnitType();
};

class GPArealUnitType final : public UnitDataType<GPArealUnitType, GPArealUnit, IGPArealUnitType> {
public:
    static constexpr CLSID kClassId = CLSID_GPArealUnitType;
    static constexpr const char16_t* kClassName = u"GPArealUnitType";
    static constexpr int32_t kDisplayNameId = 4787;
    GPArealUnitType();
};

class GPTimeUnitType final : public UnitDataType<GPTimeUnitType, GPTimeUnit, IGPTimeUnitType> {
public:
    static constexpr CLSID kClassId = CLSID_GPTimeUnitType;
    static constexpr const char16_t* kClassName = u"GPTimeUnitType";
    static constexpr int32_t kDisplayNameId = 4744;
    GPTimeUnitType();
};

extern template class UnitDataType<GPLinearUnitType, GPLinearUnit, IGPLinearUnitType>;
extern template class UnitDataType<GPArealUnitType, GPArealUnit, IGPArealUnitType>;
extern template class UnitDataType<GPTimeUnitType, GPTimeUnit, IGPTimeUnitType>;

} // namespace tavi
