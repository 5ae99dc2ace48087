// The unit values: GPLinearUnit (a distance), GPArealUnit (an area) and GPTimeUnit (a duration), a number with a unit
// each, and UnitT, the keyword table of each kind with its look-ups.
//
// Text form: the number, one blank and the unit's output keyword ("10 Meters", "2.5 Hours"); an empty value is the
// empty text. The number is written as GPDouble writes it and read with the tokenizer's ParseDouble (a point or a
// comma serves as decimal separator; the texts GPDouble writes for infinities and not-a-number read back too).
// SetAsText reads:
//   ""                 empties the value, S_OK;
//   blanks only        error with the bad-text code, S_FALSE;
//   "Feet"             a keyword alone: the value emptied, only the units set, S_FALSE and no error;
//   "# Feet"           the number (and the empty flag) kept, the units set;
//   "10", "10 Feet"    the number, then the units of the second token (none: Unknown), S_OK;
//   "abc Feet"         error with the bad-text code, S_FALSE, nothing changed;
//   "10 furlongs"      the number set, units Unknown, error with the bad-units code, S_OK.
// Further tokens are ignored. The message is handed out with every successful call.
//
// Stream form (all three): int16 version 1, the base part, the double, the int32 units (kept for an empty value too);
// Load takes versions 0 and 1. XML form: "Value" (double) and "Units" (the host's unit spelling, UnitXml.h) only
// when the value is not empty, so an empty value's units are not written; reading takes a keyword of the table or a
// host spelling, and a missing element leaves that field 0.
#pragma once

#include "host/DocumentVersion.h"
#include "host/GPValue.h"
#include "tavi/GPUnits.h"

#include <cstdint>
#include <string_view>

namespace tavi {

// One row of a keyword table: a keyword and the unit it names; `output` marks the one keyword printed for the unit.
template <class Enum> struct UnitKeyword {
    const char16_t* text;
    Enum units;
    bool output;
};

// The keyword table of a kind of unit, built once per process from Derived::kKeywords on first use and never
// changed after. Look-up ignores letter case (ASCII letters: every keyword is ASCII).
template <class Derived, class Enum> class UnitT {
public:
    struct Found {
        Enum units;
        bool found;
    };
    // The unit `keyword` names. The empty text answers Unknown and counts as found; any other text that is no
    // keyword answers Unknown and counts as not found.
    static Found LookUp(std::u16string_view keyword);
    // The output keyword of `units`; empty for a number without one.
    static std::u16string_view OutputKeyword(Enum units);
};

// What the three unit values share, on the value base. Derived supplies kClassId, kClassName, kDataTypeClassId,
// kBadTextCode, kBadUnitsCode, kKeywords, Convert(value, from, to), the XML spelling of units (XmlUnits,
// UnitsFromXml), and kKeywordsInXml: true when "Units" takes the table's keywords too (written as the output keyword
// in documents of the first namespace generation, c_xml_ns_tavi_90, and read before the host's spellings).
template <class Derived, class Enum, class Unit, class... Rows>
class UnitValue : public GPValue<Derived, Unit, Rows..., ValueInterfaces>, public UnitT<Derived, Enum> {
public:
    using Units = Enum;
    using UnitInterface = Unit;
    static constexpr uint16_t kStreamVersion = 1;

    double Number() const { return value_; }
    Enum UnitsValue() const { return units_; }

    // The unit interface (IGPLinearUnit, IGPArealUnit, IGPTimeUnit). put_Value makes the value non-empty;
    // put_Units leaves the empty flag as it is.
    HRESULT get_Value(double* value) override;
    HRESULT put_Value(double value) override;
    HRESULT get_Units(Enum* units) override;
    HRESULT put_Units(Enum units) override;
    HRESULT get_ConvertedValue(Enum target, double* value) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the source or other must answer the same unit interface (Assign: else E_INVALIDARG; IsEqual: else
    // false). Numbers are equal only when exactly equal; not-a-number equals itself, so a clone equals its source.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

protected:
    UnitValue() : GPValue<Derived, Unit, Rows..., ValueInterfaces>(Derived::kClassId, Derived::kDataTypeClassId) {}

private:
    // SetAsText past its argument checks; the message is already handed out.
    HRESULT ReadText(std::u16string_view text, IGPMessage* message);

    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    double value_ = 0.0;
    Enum units_ = Enum::Unknown;
};

class GPLinearUnit final : public UnitValue<GPLinearUnit, taviUnits, IGPLinearUnit, IGPLinearUnit2, IGPUnitImpl> {
public:
    static constexpr CLSID kClassId = CLSID_GPLinearUnit;
    static constexpr const char16_t* kClassName = u"GPLinearUnit";
    static constexpr CLSID kDataTypeClassId = CLSID_GPLinearUnitType;
    static constexpr int32_t kBadTextCode = 799;
    static constexpr int32_t kBadUnitsCode = 817;
    static constexpr bool kKeywordsInXml = true;
    static const UnitKeyword<taviUnits> kKeywords[];
    static const size_t kKeywordCount;

    // ConvertUnits (exact factors; Unknown on either side leaves the value as it is).
    static double Convert(double value, taviUnits from, taviUnits to);
    static std::u16string_view XmlUnits(taviUnits units);
    static taviUnits UnitsFromXml(std::u16string_view text);

    // IGPUnitImpl: the distance in the units of the coordinate system of `object` (a spatial reference, or data or
    // a value naming data). E_POINTER for null arguments; S_FALSE with the value itself for units Unknown, an
    // object without a projected or geographic coordinate system, or a zero angular unit.
    HRESULT get_ValueInSpatialReferenceUnits(IUnknown* object, double* value) override;

private:
    // The namespace of the document being written.
    String XmlTypeNamespace() const override;
};

// Answers IDocumentVersionSupport: documents before version 2 do not know it and store its number as a GPDouble.
class GPArealUnit final
    : public UnitValue<GPArealUnit, taviAreaUnits, IGPArealUnit, IGPUnitImpl, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPArealUnit;
    static constexpr const char16_t* kClassName = u"GPArealUnit";
    static constexpr CLSID kDataTypeClassId = CLSID_GPArealUnitType;
    static constexpr int32_t kBadTextCode = 799;
    static constexpr int32_t kBadUnitsCode = 798;
    static constexpr bool kKeywordsInXml = false;
    static constexpr int32_t kFirstDocumentVersion = docversion::Older(2);
    static const UnitKeyword<taviAreaUnits> kKeywords[];
    static const size_t kKeywordCount;

    // ConvertArea (exact factors; Unknown on either side leaves the value as it is).
    static double Convert(double value, taviAreaUnits from, taviAreaUnits to);
    static std::u16string_view XmlUnits(taviAreaUnits units);
    static taviAreaUnits UnitsFromXml(std::u16string_view text);

    // IGPUnitImpl: the area in square units of the coordinate system of `object`; for a geographic system square
    // angular units on the sphere of the mean of the spheroid's axes. Results as GPLinearUnit's.
    HRESULT get_ValueInSpatialReferenceUnits(IUnknown* object, double* value) override;

    // IDocumentVersionSupport
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    // A new GPDouble holding the number.
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

private:
    // Always the current namespace, whatever document is written.
    String XmlTypeNamespace() const override;
};

// Durations convert through hours with 28-day months and 336-day years.
class GPTimeUnit final : public UnitValue<GPTimeUnit, taviTimeUnits, IGPTimeUnit> {
public:
    static constexpr CLSID kClassId = CLSID_GPTimeUnit;
    static constexpr const char16_t* kClassName = u"GPTimeUnit";
    static constexpr CLSID kDataTypeClassId = CLSID_GPTimeUnitType;
    static constexpr int32_t kBadTextCode = 1665;
    static constexpr int32_t kBadUnitsCode = 1666;
    static constexpr bool kKeywordsInXml = true;
    static const UnitKeyword<taviTimeUnits> kKeywords[];
    static const size_t kKeywordCount;

    // The value unchanged when the units are equal or either is Unknown; else through hours (a source outside the
    // enumeration counts as hours, and a target outside it gives the hours).
    static double Convert(double value, taviTimeUnits from, taviTimeUnits to);
    static std::u16string_view XmlUnits(taviTimeUnits units);
    static taviTimeUnits UnitsFromXml(std::u16string_view text);

private:
    // The namespace of the document being written.
    String XmlTypeNamespace() const override;
};

extern template class UnitT<GPLinearUnit, taviUnits>;
extern template class UnitT<GPArealUnit, taviAreaUnits>;
extern template class UnitT<GPTimeUnit, taviTimeUnits>;
extern template class UnitValue<GPLinearUnit, taviUnits, IGPLinearUnit, IGPLinearUnit2, IGPUnitImpl>;
extern template class UnitValue<GPArealUnit, taviAreaUnits, IGPArealUnit, IGPUnitImpl, IDocumentVersionSupport>;
extern template class UnitValue<GPTimeUnit, taviTimeUnits, IGPTimeUnit>;

} // namespace tavi
