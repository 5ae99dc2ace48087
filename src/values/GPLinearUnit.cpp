// The unit values: keyword tables, text, conversions, coordinate system units, stream and XML forms.
#include "values/GPLinearUnit.h"

#include "host/CreateInstance.h"
#include "host/DoubleText.h"
#include "host/StreamIO.h"
#include "host/TextTokenizer.h"
#include "host/UnitXml.h"
#include "host/Units.h"
#include "host/XmlNamespace.h"
#include "tavi/DataAccess.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUtilities.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace tavi {

// ---- keyword tables ----

const UnitKeyword<taviUnits> GPLinearUnit::kKeywords[] = {
    {u"Unknown", taviUnits::Unknown, true},
    {u"Inches", taviUnits::Inches, true},
    {u"Inch", taviUnits::Inches, false},
    {u"InchUS", taviUnits::Inches, false},
    {u"InchesUS", taviUnits::Inches, false},
    {u"Points", taviUnits::Points, true},
    {u"Point", taviUnits::Points, false},
    {u"Feet", taviUnits::Feet, true},
    {u"Foot", taviUnits::Feet, false},
    {u"FootUS", taviUnits::Feet, false},
    {u"FeetUS", taviUnits::Feet, false},
    {u"Yards", taviUnits::Yards, true},
    {u"Yard", taviUnits::Yards, false},
    {u"YardUS", taviUnits::Yards, false},
    {u"YardsUS", taviUnits::Yards, false},
    {u"Miles", taviUnits::Miles, true},
    {u"Mile", taviUnits::Miles, false},
    {u"MileUS", taviUnits::Miles, false},
    {u"MilesUS", taviUnits::Miles, false},
    {u"NauticalMiles", taviUnits::NauticalMiles, true},
    {u"NauticalMile", taviUnits::NauticalMiles, false},
    {u"NauticalMileUS", taviUnits::NauticalMiles, false},
    {u"NauticalMilesUS", taviUnits::NauticalMiles, false},
    {u"Millimeters", taviUnits::Millimeters, true},
    {u"Millimeter", taviUnits::Millimeters, false},
    {u"Centimeters", taviUnits::Centimeters, true},
    {u"Centimeter", taviUnits::Centimeters, false},
    {u"Meters", taviUnits::Meters, true},
    {u"Meter", taviUnits::Meters, false},
    {u"Kilometers", taviUnits::Kilometers, true},
    {u"Kilometer", taviUnits::Kilometers, false},
    {u"DecimalDegrees", taviUnits::DecimalDegrees, true},
    {u"DecimalDegree", taviUnits::DecimalDegrees, false},
    {u"Degree", taviUnits::DecimalDegrees, false},
    {u"Degrees", taviUnits::DecimalDegrees, false},
    {u"Decimeters", taviUnits::Decimeters, true},
    {u"Decimeter", taviUnits::Decimeters, false},
    {u"InchesInt", taviUnits::InchesInt, true},
    {u"InchInt", taviUnits::InchesInt, false},
    {u"FeetInt", taviUnits::FeetInt, true},
    {u"FootInt", taviUnits::FeetInt, false},
    {u"YardsInt", taviUnits::YardsInt, true},
    {u"YardInt", taviUnits::YardsInt, false},
    {u"MilesInt", taviUnits::MilesInt, true},
    {u"MileInt", taviUnits::MilesInt, false},
    {u"StatuteMile", taviUnits::MilesInt, false}, // the international mile, not the US one
    {u"StatuteMiles", taviUnits::MilesInt, false},
    {u"NauticalMilesInt", taviUnits::NauticalMilesInt, true},
    {u"NauticalMileInt", taviUnits::NauticalMilesInt, false},
};
const size_t GPLinearUnit::kKeywordCount = std::size(kKeywords);

// The pairing of plain names is the reverse of the linear table's: plain and "Int" are international, "US" survey.
const UnitKeyword<taviAreaUnits> GPArealUnit::kKeywords[] = {
    {u"Unknown", taviAreaUnits::Unknown, true},
    {u"SquareInches", taviAreaUnits::SquareInches, true},
    {u"SquareInch", taviAreaUnits::SquareInches, false},
    {u"SquareInchInt", taviAreaUnits::SquareInches, false},
    {u"SquareInchesInt", taviAreaUnits::SquareInches, false},
    {u"SquareFeet", taviAreaUnits::SquareFeet, true},
    {u"SquareFoot", taviAreaUnits::SquareFeet, false},
    {u"SquareFootInt", taviAreaUnits::SquareFeet, false},
    {u"SquareFeetInt", taviAreaUnits::SquareFeet, false},
    {u"SquareYards", taviAreaUnits::SquareYards, true},
    {u"SquareYard", taviAreaUnits::SquareYards, false},
    {u"SquareYardInt", taviAreaUnits::SquareYards, false},
    {u"SquareYardsInt", taviAreaUnits::SquareYards, false},
    {u"Acres", taviAreaUnits::Acres, true},
    {u"Acre", taviAreaUnits::Acres, false},
    {u"AcreInt", taviAreaUnits::Acres, false},
    {u"AcresInt", taviAreaUnits::Acres, false},
    {u"SquareMiles", taviAreaUnits::SquareMiles, true},
    {u"SquareMile", taviAreaUnits::SquareMiles, false},
    {u"SquareMileInt", taviAreaUnits::SquareMiles, false},
    {u"SquareMilesInt", taviAreaUnits::SquareMiles, false},
    {u"SquareMillimeters", taviAreaUnits::SquareMillimeters, true},
    {u"SquareMillimeter", taviAreaUnits::SquareMillimeters, false},
    {u"SquareCentimeters", taviAreaUnits::SquareCentimeters, true},
    {u"SquareCentimeter", taviAreaUnits::SquareCentimeters, false},
    {u"SquareDecimeters", taviAreaUnits::SquareDecimeters, true},
    {u"SquareDecimeter", taviAreaUnits::SquareDecimeters, false},
    {u"SquareMeters", taviAreaUnits::SquareMeters, true},
    {u"SquareMeter", taviAreaUnits::SquareMeters, false},
    {u"Ares", taviAreaUnits::Ares, true},
    {u"Are", taviAreaUnits::Ares, false},
    {u"Hectares", taviAreaUnits::Hectares, true},
    {u"Hectare", taviAreaUnits::Hectares, false},
    {u"SquareKilometers", taviAreaUnits::SquareKilometers, true},
    {u"SquareKilometer", taviAreaUnits::SquareKilometers, false},
    {u"SquareInchesUS", taviAreaUnits::SquareInchesUS, true},
    {u"SquareInchUS", taviAreaUnits::SquareInchesUS, false},
    {u"SquareFeetUS", taviAreaUnits::SquareFeetUS, true},
    {u"SquareFootUS", taviAreaUnits::SquareFeetUS, false},
    {u"SquareYardsUS", taviAreaUnits::SquareYardsUS, true},
    {u"SquareYardUS", taviAreaUnits::SquareYardsUS, false},
    {u"AcresUS", taviAreaUnits::AcresUS, true},
    {u"AcreUS", taviAreaUnits::AcresUS, false},
    {u"SquareMilesUS", taviAreaUnits::SquareMilesUS, true},
    {u"SquareMileUS", taviAreaUnits::SquareMilesUS, false},
    {u"SquareNauticalMiles", taviAreaUnits::SquareNauticalMiles, true},
    {u"SquareNauticalMilesUS", taviAreaUnits::SquareNauticalMilesUS, true},
};
const size_t GPArealUnit::kKeywordCount = std::size(kKeywords);

const UnitKeyword<taviTimeUnits> GPTimeUnit::kKeywords[] = {
    {u"Unknown", taviTimeUnits::Unknown, true},
    {u"Milliseconds", taviTimeUnits::Milliseconds, true},
    {u"Millisecond", taviTimeUnits::Milliseconds, false},
    {u"Seconds", taviTimeUnits::Seconds, true},
    {u"Second", taviTimeUnits::Seconds, false},
    {u"Minutes", taviTimeUnits::Minutes, true},
    {u"Minute", taviTimeUnits::Minutes, false},
    {u"Hours", taviTimeUnits::Hours, true},
    {u"Hour", taviTimeUnits::Hours, false},
    {u"Days", taviTimeUnits::Days, true},
    {u"Day", taviTimeUnits::Days, false},
    {u"Weeks", taviTimeUnits::Weeks, true},
    {u"Week", taviTimeUnits::Weeks, false},
    {u"Months", taviTimeUnits::Months, true},
    {u"Month", taviTimeUnits::Months, false},
    {u"Years", taviTimeUnits::Years, true},
    {u"Year", taviTimeUnits::Years, false},
    {u"Decades", taviTimeUnits::Decades, true},
    {u"Decade", taviTimeUnits::Decades, false},
    {u"Centuries", taviTimeUnits::Centuries, true},
    {u"Century", taviTimeUnits::Centuries, false},
};
const size_t GPTimeUnit::kKeywordCount = std::size(kKeywords);

namespace {

// A keyword index: open addressing over the keywords folded to lower-case ASCII. Every keyword is ASCII and
// shorter than kMaxKeyword, so a text that is longer or holds any other character is no keyword without a probe.
constexpr size_t kMaxKeyword = 32;
constexpr size_t kSlots = 128; // a power of two, more than twice the longest table
constexpr size_t kMaxUnits = 32;

struct FoldedKeyword {
    char text[kMaxKeyword];
    size_t length = 0;
    size_t hash = 0; // the slot where probing starts
};

// Folds `text` and hashes it (FNV-1a) in one pass; false when it cannot be a keyword: too long, holding a character
// beyond ASCII, or not starting with a letter (which keeps numbers from being looked up at all).
bool Fold(std::u16string_view text, FoldedKeyword& folded) {
    if (text.empty() || text.size() >= kMaxKeyword || !((text[0] | 0x20) >= u'a' && (text[0] | 0x20) <= u'z'))
        return false;
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0x80)
            return false;
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + (u'a' - u'A'));
        folded.text[i] = static_cast<char>(c);
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    folded.length = text.size();
    folded.hash = hash & (kSlots - 1);
    return true;
}

template <class Enum> struct KeywordIndex {
    struct Slot {
        FoldedKeyword key;
        Enum units{};
        bool used = false;
    };
    std::array<Slot, kSlots> slots{};
    std::array<std::u16string_view, kMaxUnits> output{};

    KeywordIndex(const UnitKeyword<Enum>* rows, size_t count) {
        for (size_t row = 0; row < count; ++row) {
            FoldedKeyword key;
            Fold(rows[row].text, key);
            size_t at = key.hash;
            while (slots[at].used)
                at = (at + 1) & (kSlots - 1);
            slots[at] = Slot{key, rows[row].units, true};
            if (rows[row].output)
                output[static_cast<size_t>(rows[row].units)] = rows[row].text;
        }
    }

    const Slot* Find(const FoldedKeyword& key) const {
        for (size_t at = key.hash;; at = (at + 1) & (kSlots - 1)) {
            const Slot& slot = slots[at];
            if (!slot.used)
                return nullptr;
            if (slot.key.length == key.length && std::equal(key.text, key.text + key.length, slot.key.text))
                return &slot;
        }
    }
};

template <class Derived, class Enum> const KeywordIndex<Enum>& IndexOf() {
    static const KeywordIndex<Enum> index(Derived::kKeywords, Derived::kKeywordCount);
    return index;
}

} // namespace

template <class Derived, class Enum>
typename UnitT<Derived, Enum>::Found UnitT<Derived, Enum>::LookUp(std::u16string_view keyword) {
    if (keyword.empty())
        return {Enum::Unknown, true};
    FoldedKeyword key;
    if (!Fold(keyword, key))
        return {Enum::Unknown, false};
    const auto* slot = IndexOf<Derived, Enum>().Find(key);
    return slot ? Found{slot->units, true} : Found{Enum::Unknown, false};
}

template <class Derived, class Enum> std::u16string_view UnitT<Derived, Enum>::OutputKeyword(Enum units) {
    auto index = static_cast<uint32_t>(units);
    return index < kMaxUnits ? IndexOf<Derived, Enum>().output[index] : std::u16string_view();
}

// ---- the unit interface ----

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::get_Value(double* value) {
    if (!value)
        return E_POINTER;
    *value = value_;
    return S_OK;
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::put_Value(double value) {
    value_ = value;
    this->SetModified(); // also clears the empty flag
    return S_OK;
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::get_Units(Enum* units) {
    if (!units)
        return E_POINTER;
    *units = units_;
    return S_OK;
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::put_Units(Enum units) {
    units_ = units;
    this->SetDirty(); // units alone do not make the value non-empty
    return S_OK;
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::get_ConvertedValue(Enum target, double* value) {
    if (!value)
        return E_POINTER;
    *value = Derived::Convert(value_, units_, target);
    return S_OK;
}

// ---- IGPValue ----

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::Empty() {
    value_ = 0.0;
    units_ = Enum::Unknown;
    return this->BaseEmpty();
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        char16_t buffer[doubletext::kMaxText + kMaxKeyword + 1];
        size_t length = 0;
        if (!this->IsEmptyFlag()) {
            char16_t number[doubletext::kMaxText];
            length = doubletext::Format(value_, number);
            std::copy_n(number, length, buffer);
            buffer[length++] = u' ';
            std::u16string_view keyword = this->OutputKeyword(units_);
            length = static_cast<size_t>(std::copy(keyword.begin(), keyword.end(), buffer + length) - buffer);
        }
        *text = SysAllocStringLen(buffer, static_cast<uint32_t>(length));
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(this->NewTextMessage(made.Out())))
            return E_FAIL;
        HRESULT hr = ReadText(text ? std::u16string_view(text) : std::u16string_view(), made.Get());
        if (SUCCEEDED(hr))
            *message = made.Detach();
        return hr;
    });
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::ReadText(std::u16string_view text, IGPMessage* message) {
    if (text.empty())
        return Empty();
    // One tokenizer per thread: its buffers are kept between calls, so reading a unit allocates nothing.
    thread_local TextTokenizer tokenizer;
    tokenizer.Init(text, u" ");
    std::u16string_view first = tokenizer.NextToken();
    if (first.empty()) // blanks only
        return SUCCEEDED(this->MakeTextError(message, Derived::kBadTextCode)) ? S_FALSE : E_FAIL;
    if (first.front() != u'#') { // "#" keeps the number
        if (auto keyword = this->LookUp(first); keyword.found) {
            Empty(); // a keyword alone sets only the units
            units_ = keyword.units;
            return S_FALSE;
        }
        double number = 0;
        if (FAILED(TextTokenizer::ParseDouble(first, number)) && !doubletext::ReadNotFinite(first, number))
            return SUCCEEDED(this->MakeTextError(message, Derived::kBadTextCode)) ? S_FALSE : E_FAIL;
        put_Value(number);
    }
    // The end of the text reads as the empty token, which names Unknown: a number alone has no units.
    auto second = this->LookUp(tokenizer.NextToken());
    units_ = second.units;
    this->SetDirty();
    if (!second.found && FAILED(this->MakeTextError(message, Derived::kBadUnitsCode)))
        return E_FAIL;
    return S_OK;
}

// ---- IClone ----

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<Unit>(source);
        double value = 0;
        Enum units = Enum::Unknown;
        if (!other || FAILED(other->get_Value(&value)) || FAILED(other->get_Units(&units)))
            return E_INVALIDARG;
        value_ = value;
        units_ = units;
        return this->BaseAssign(source);
    });
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto unit = QueryAs<Unit>(other);
        double value = 0;
        Enum units = Enum::Unknown;
        if (!unit || FAILED(unit->get_Value(&value)) || FAILED(unit->get_Units(&units)))
            return S_OK;
        // Not-a-number equals itself, so that a copy equals what it was copied from.
        bool sameNumber = value == value_ || (std::isnan(value) && std::isnan(value_));
        return sameNumber && units == units_ ? this->BaseIsEqual(other, equal) : S_OK;
    });
}

// ---- stream and XML forms ----

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(AfStreamWrite(stream, value_)) || FAILED(AfStreamWrite(stream, static_cast<int32_t>(units_))))
        return E_FAIL;
    return S_OK;
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::LoadContent(IStream* stream, uint16_t) {
    double value = 0;
    int32_t units = 0;
    if (FAILED(AfStreamRead(stream, &value)) || FAILED(AfStreamRead(stream, &units)))
        return E_FAIL;
    value_ = value;
    units_ = static_cast<Enum>(units);
    return S_OK;
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::SerializeContent(IXMLSerializeData* data) {
    std::u16string_view units = Derived::XmlUnits(units_);
    if constexpr (Derived::kKeywordsInXml) {
        if (EqualsNoCase(XmlNamespaceUtil::GetDocumentNamespace(), c_xml_ns_tavi_90))
            units = this->OutputKeyword(units_);
    }
    if (FAILED(data->AddDouble(u"Value", value_)))
        return E_FAIL;
    return data->AddString(u"Units", String(units).c_str());
}

template <class Derived, class Enum, class Unit, class... Rows>
HRESULT UnitValue<Derived, Enum, Unit, Rows...>::DeserializeContent(IXMLSerializeData* data) {
    value_ = 0.0;
    units_ = Enum::Unknown;
    int32_t index = -1;
    double value = 0;
    if (SUCCEEDED(data->Find(u"Value", &index)) && index >= 0 && SUCCEEDED(data->GetDouble(index, &value)))
        value_ = value;
    BStr text;
    index = -1;
    if (FAILED(data->Find(u"Units", &index)) || index < 0 || FAILED(data->GetString(index, text.Out())))
        return S_OK;
    std::u16string_view spelling = text.view();
    if constexpr (Derived::kKeywordsInXml) {
        if (auto keyword = this->LookUp(spelling); keyword.found && !spelling.empty()) {
            units_ = keyword.units;
            return S_OK;
        }
    }
    units_ = Derived::UnitsFromXml(spelling);
    return S_OK;
}

// ---- coordinate system units ----

namespace {

// The unit facts of the coordinate system of `object`: the object itself when it is a spatial reference, else the
// spatial reference of the data it names, through the thread's utility object. False when there is none.
struct CoordinateSystem {
    bool projected = false;
    bool geographic = false;
    double metersPerUnit = 0;
    double radiansPerUnit = 0;
    double semiMajor = 0;
    double semiMinor = 0;
};

ComPtr<ISpatialReference> SpatialReferenceOf(IUnknown* object) {
    if (auto direct = QueryAs<ISpatialReference>(object))
        return direct;
    ComPtr<IGPUtilities> utilities;
    ComPtr<ISpatialReference> named;
    if (SUCCEEDED(AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid,
                                   utilities.OutVoid())) &&
        utilities && utilities->GetSpatialReference(object, named.Out()) == S_OK)
        return named;
    return {};
}

bool CoordinateSystemOf(IUnknown* object, CoordinateSystem& system) {
    auto spatialReference = SpatialReferenceOf(object);
    auto units = QueryAs<ICoordinateSystemUnits>(spatialReference.Get());
    if (!units)
        return false;
    VARIANT_BOOL projected = VARIANT_FALSE;
    VARIANT_BOOL geographic = VARIANT_FALSE;
    spatialReference->get_IsProjected(&projected);
    spatialReference->get_IsGeographic(&geographic);
    system.projected = projected != VARIANT_FALSE;
    system.geographic = geographic != VARIANT_FALSE;
    units->get_MetersPerUnit(&system.metersPerUnit);
    units->get_RadiansPerUnit(&system.radiansPerUnit);
    units->get_SemiMajorAxis(&system.semiMajor);
    units->get_SemiMinorAxis(&system.semiMinor);
    return system.projected || system.geographic;
}

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Out-argument checks shared by both value kinds: the result starts as the value.
HRESULT StartInSpatialReferenceUnits(IUnknown* object, double value, double* result) {
    if (!result)
        return E_POINTER;
    *result = value;
    return object ? S_OK : E_POINTER;
}

} // namespace

HRESULT GPLinearUnit::get_ValueInSpatialReferenceUnits(IUnknown* object, double* value) {
    if (HRESULT hr = StartInSpatialReferenceUnits(object, Number(), value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        CoordinateSystem system;
        if (UnitsValue() == taviUnits::Unknown || !CoordinateSystemOf(object, system))
            return S_FALSE;
        if (system.projected) {
            if (!(system.metersPerUnit > 0))
                return S_FALSE;
            *value = ConvertUnits(Number(), UnitsValue(), taviUnits::Meters) / system.metersPerUnit;
            return S_OK;
        }
        if (system.radiansPerUnit == 0)
            return S_FALSE;
        double degrees = ConvertUnits(Number(), UnitsValue(), taviUnits::DecimalDegrees);
        *value = degrees * kRadiansPerDegree / system.radiansPerUnit;
        return S_OK;
    });
}

HRESULT GPArealUnit::get_ValueInSpatialReferenceUnits(IUnknown* object, double* value) {
    if (HRESULT hr = StartInSpatialReferenceUnits(object, Number(), value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        CoordinateSystem system;
        if (UnitsValue() == taviAreaUnits::Unknown || !CoordinateSystemOf(object, system))
            return S_FALSE;
        double squareMeters = ConvertArea(Number(), UnitsValue(), taviAreaUnits::SquareMeters);
        if (system.projected) {
            if (!(system.metersPerUnit > 0))
                return S_FALSE;
            *value = squareMeters / (system.metersPerUnit * system.metersPerUnit);
            return S_OK;
        }
        double radius = (system.semiMajor + system.semiMinor) / 2;
        if (system.radiansPerUnit == 0 || radius == 0)
            return S_FALSE;
        *value = squareMeters / (radius * radius) / (system.radiansPerUnit * system.radiansPerUnit);
        return S_OK;
    });
}

// ---- the three kinds ----

double GPLinearUnit::Convert(double value, taviUnits from, taviUnits to) {
    return ConvertUnits(value, from, to);
}

std::u16string_view GPLinearUnit::XmlUnits(taviUnits units) {
    return GeoprocessingUtil::ConvertUnitsToXMLString(units);
}

taviUnits GPLinearUnit::UnitsFromXml(std::u16string_view text) {
    return GeoprocessingUtil::ConvertXMLStringToUnits(text);
}

String GPLinearUnit::XmlTypeNamespace() const {
    return XmlNamespaceUtil::GetDocumentNamespace();
}

double GPArealUnit::Convert(double value, taviAreaUnits from, taviAreaUnits to) {
    return ConvertArea(value, from, to);
}

std::u16string_view GPArealUnit::XmlUnits(taviAreaUnits units) {
    return GeoprocessingUtil::ConvertAreaUnitsToXMLString(units);
}

taviAreaUnits GPArealUnit::UnitsFromXml(std::u16string_view text) {
    return GeoprocessingUtil::ConvertXMLStringToAreaUnits(text);
}

String GPArealUnit::XmlTypeNamespace() const {
    return c_xml_ns_tavi;
}

HRESULT GPArealUnit::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPArealUnit::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDouble> number;
        HRESULT hr = AfCreateInstance(CLSID_GPDouble, nullptr, CLSCTX_INPROC_SERVER, IGPDouble::iid, number.OutVoid());
        if (FAILED(hr))
            return hr;
        if (!IsEmptyFlag()) // an empty area stays an empty number
            number->put_Value(Number());
        *replacement = QueryAs<IUnknown>(number.Get()).Detach();
        return S_OK;
    });
}

namespace {

// Milliseconds per time unit, indexed by taviTimeUnits: whole numbers, so conversions between whole amounts are
// exact. A month is 28 days and a year 12 such months (336 days).
constexpr double kMillisecondsPer[] = {
    0, 1, 1e3, 6e4, 3.6e6, 8.64e7, 6.048e8, 2.4192e9, 2.90304e10, 2.90304e11, 2.90304e12,
};
constexpr double kMillisecondsPerHour = 3.6e6;

double MillisecondsPer(taviTimeUnits units) {
    auto index = static_cast<int32_t>(units);
    bool known = index >= 1 && index < static_cast<int32_t>(std::size(kMillisecondsPer));
    return known ? kMillisecondsPer[index] : kMillisecondsPerHour; // outside the enumeration: hours
}

} // namespace

double GPTimeUnit::Convert(double value, taviTimeUnits from, taviTimeUnits to) {
    if (from == to || from == taviTimeUnits::Unknown || to == taviTimeUnits::Unknown)
        return value;
    return value * MillisecondsPer(from) / MillisecondsPer(to);
}

std::u16string_view GPTimeUnit::XmlUnits(taviTimeUnits units) {
    return CartoXTimeHelpers::ConvertTimeUnitsToXMLString(units);
}

taviTimeUnits GPTimeUnit::UnitsFromXml(std::u16string_view text) {
    return CartoXTimeHelpers::ConvertXMLStringToTimeUnits(text);
}

String GPTimeUnit::XmlTypeNamespace() const {
    return XmlNamespaceUtil::GetDocumentNamespace();
}

template class UnitT<GPLinearUnit, taviUnits>;
template class UnitT<GPArealUnit, taviAreaUnits>;
template class UnitT<GPTimeUnit, taviTimeUnits>;
template class UnitValue<GPLinearUnit, taviUnits, IGPLinearUnit, IGPLinearUnit2, IGPUnitImpl>;
template class UnitValue<GPArealUnit, taviAreaUnits, IGPArealUnit, IGPUnitImpl, IDocumentVersionSupport>;
template class UnitValue<GPTimeUnit, taviTimeUnits, IGPTimeUnit>;

} // namespace tavi
