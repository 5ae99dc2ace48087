// The unit values: a number with a linear, areal or time unit, their data type markers, and the user-interface
// support of data types.
#pragma once

#include "tavi/GPValue.h"

#include <cstdint>

enum class taviUnits : int32_t {
    Unknown = 0,
    Inches = 1,
    Points = 2,
    Feet = 3,
    Yards = 4,
    Miles = 5,
    NauticalMiles = 6,
    Millimeters = 7,
    Centimeters = 8,
    Meters = 9,
    Kilometers = 10,
    DecimalDegrees = 11,
    Decimeters = 12,
    InchesInt = 13,
    FeetInt = 14,
    YardsInt = 15,
    MilesInt = 16,
    NauticalMilesInt = 17,
};

enum class taviAreaUnits : int32_t {
    Unknown = 0,
    SquareInches = 1,
    SquareFeet = 2,
    SquareYards = 3,
    Acres = 4,
    SquareMiles = 5,
    SquareMillimeters = 6,
    SquareCentimeters = 7,
    SquareDecimeters = 8,
    SquareMeters = 9,
    Ares = 10,
    Hectares = 11,
    SquareKilometers = 12,
    SquareInchesUS = 13,
    SquareFeetUS = 14,
    SquareYardsUS = 15,
    AcresUS = 16,
    SquareMilesUS = 17,
    SquareNauticalMiles = 18,
    SquareNauticalMilesUS = 19,
};

enum class taviTimeUnits : int32_t {
    Unknown = 0,
    Milliseconds = 1,
    Seconds = 2,
    Minutes = 3,
    Hours = 4,
    Days = 5,
    Weeks = 6,
    Months = 7,
    Years = 8,
    Decades = 9,
    Centuries = 10,
};

// A distance. put_Value makes the value non-empty; put_Units leaves the empty flag as it is.
struct IGPLinearUnit : IUnknown {
    static constexpr IID iid{0x0EE02101, 0x1597, 0x473C, {0xB7, 0x7D, 0x1E, 0xDF, 0xD5, 0x47, 0xAC, 0xE5}};
    virtual HRESULT get_Value(double* value) = 0;
    virtual HRESULT put_Value(double value) = 0;
    virtual HRESULT get_Units(taviUnits* units) = 0;
    virtual HRESULT put_Units(taviUnits units) = 0;
    // The value expressed in `target`.
    virtual HRESULT get_ConvertedValue(taviUnits target, double* value) = 0;
};

struct IGPLinearUnit2 : IUnknown {
    static constexpr IID iid{0xACAF2C1B, 0x97CB, 0x45F5, {0x99, 0xB1, 0x3F, 0x0B, 0x0A, 0x72, 0x16, 0xE2}};
    virtual HRESULT put_Units(taviUnits units) = 0;
};

// An area.
struct IGPArealUnit : IUnknown {
    static constexpr IID iid{0xC3E5E514, 0x0FD9, 0x4E5C, {0x8B, 0x07, 0xE9, 0xF8, 0x38, 0x11, 0x3F, 0x76}};
    virtual HRESULT get_Value(double* value) = 0;
    virtual HRESULT put_Value(double value) = 0;
    virtual HRESULT get_Units(taviAreaUnits* units) = 0;
    virtual HRESULT put_Units(taviAreaUnits units) = 0;
    virtual HRESULT get_ConvertedValue(taviAreaUnits target, double* value) = 0;
};

// A duration (28-day months, 336-day years).
struct IGPTimeUnit : IUnknown {
    static constexpr IID iid{0x8214F11B, 0x06BB, 0x4523, {0xAE, 0xAA, 0x05, 0xB0, 0x77, 0xC3, 0xBD, 0xEA}};
    virtual HRESULT get_Value(double* value) = 0;
    virtual HRESULT put_Value(double value) = 0;
    virtual HRESULT get_Units(taviTimeUnits* units) = 0;
    virtual HRESULT put_Units(taviTimeUnits units) = 0;
    virtual HRESULT get_ConvertedValue(taviTimeUnits target, double* value) = 0;
};

// Linear and areal values in the units of a coordinate system. (No identifier is documented for it; this one is
// the name-based identifier of "taviGeoprocessing.IGPUnitImpl" in the library's namespace, like every identifier
// marked "assigned" below.)
struct IGPUnitImpl : IUnknown {
    static constexpr IID iid{0x59F84F01, 0xC7FC, 0x5CC4, {0x9D, 0x52, 0xFF, 0x9B, 0xE7, 0x33, 0x6A, 0x20}}; // assigned
    // `object` is a dataset, a value naming one, or a spatial reference. S_FALSE (the value unchanged) for units 0
    // or when the object has no projected or geographic coordinate system.
    virtual HRESULT get_ValueInSpatialReferenceUnits(IUnknown* object, double* value) = 0;
};

// What an editing control of a data type needs to know about a value. S_FALSE (and a null text) when the type has
// nothing to say about it.
struct IGPValueUISupport : IUnknown {
    static constexpr IID iid{0xEA682A80, 0xF397, 0x5BE4, {0xBD, 0xAF, 0xBC, 0xA9, 0x8B, 0xAD, 0x6E, 0x46}}; // assigned
    virtual HRESULT GetValueSupport(IGPValue* value, BSTR* support) = 0;
};

// Data type markers.
struct IGPLinearUnitType : IUnknown {
    static constexpr IID iid{0xE6A942A8, 0xA514, 0x5A13, {0x8B, 0xD2, 0xFF, 0x88, 0x39, 0x20, 0x36, 0x84}}; // assigned
};
struct IGPArealUnitType : IUnknown {
    static constexpr IID iid{0xF0D7343E, 0xCB71, 0x5ED7, {0xBF, 0xC0, 0xA2, 0xEA, 0x69, 0x29, 0xFC, 0x90}}; // assigned
};
struct IGPTimeUnitType : IUnknown {
    static constexpr IID iid{0xD6722A9D, 0xA608, 0x5AB0, {0xBE, 0xD2, 0x90, 0xC0, 0xE1, 0xF6, 0xD4, 0x49}}; // assigned
};

// Classes.
constexpr CLSID CLSID_GPLinearUnit{0x842DE5C7, 0x80FB, 0x4C41, {0x86, 0x21, 0x69, 0xDE, 0xAD, 0x3C, 0xC0, 0x24}};
constexpr CLSID CLSID_GPLinearUnitType{0x6FCFE362, 0x9E99, 0x487E, {0x86, 0x7D, 0xBB, 0xE9, 0x63, 0x65, 0xAF, 0x8F}};
constexpr CLSID CLSID_GPArealUnit{0x62C28A96, 0xB84E, 0x49F8, {0xAC, 0xF5, 0x0B, 0x1B, 0x5A, 0x87, 0xEF, 0x08}};
constexpr CLSID CLSID_GPArealUnitType{0x9D28E204, 0xB2AE, 0x4576, {0xB0, 0x6B, 0x91, 0x93, 0x8B, 0x49, 0x73, 0x2E}};
constexpr CLSID CLSID_GPTimeUnit{0x4F5249B5, 0x5190, 0x45BE, {0xAB, 0x45, 0x02, 0xEF, 0x38, 0x29, 0xAF, 0xA5}};
constexpr CLSID CLSID_GPTimeUnitType{0x133C7DB7, 0xD7BE, 0x4ECB, {0x94, 0xB1, 0xE1, 0x52, 0xDF, 0x72, 0x35, 0xCF}};
