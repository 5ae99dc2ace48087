// The envelope and extent values: a rectangle (GPEnvelope) and the extent setting a tool accepts (GPExtent: a
// keyword or a rectangle), their interfaces, data type markers and class identifiers.
#pragma once

#include "tavi/DataAccess.h"
#include "tavi/GPValue.h"

#include <cstdint>

// The extent kinds of IGPExtent.
enum class taviExtentType : int32_t {
    Default = 0, // the tool decides
    MaxOf = 1,   // the union of the inputs
    MinOf = 2,   // the intersection of the inputs
    Value = 3,   // an explicit rectangle
};

// A rectangle value held in a geometry envelope. Getters answer E_POINTER for a null out; every setter marks the
// value modified (not empty).
struct IGPEnvelope : IUnknown {
    static constexpr IID iid{0x3A1F9B59, 0x74E8, 0x41C2, {0xBA, 0xE6, 0x58, 0xCF, 0xB6, 0x35, 0xF0, 0x61}};
    virtual HRESULT get_XMin(double* value) = 0;
    virtual HRESULT put_XMin(double value) = 0;
    virtual HRESULT get_YMin(double* value) = 0;
    virtual HRESULT put_YMin(double value) = 0;
    virtual HRESULT get_XMax(double* value) = 0;
    virtual HRESULT put_XMax(double value) = 0;
    virtual HRESULT get_YMax(double* value) = 0;
    virtual HRESULT put_YMax(double value) = 0;
    // The inner envelope itself (a new reference, not a copy).
    virtual HRESULT get_Envelope(IEnvelope** envelope) = 0;
    // A non-null envelope becomes the inner one (kept by reference); null empties the value.
    virtual HRESULT putref_Envelope(IEnvelope* envelope) = 0;
    virtual HRESULT PutCoords(double xmin, double ymin, double xmax, double ymax) = 0;
};

// An extent setting: a keyword or a rectangle.
struct IGPExtent : IUnknown {
    static constexpr IID iid{0xAC621F7A, 0x3033, 0x4321, {0xB1, 0xE3, 0xC8, 0x6A, 0x8E, 0x3E, 0x02, 0x6F}};
    // `type` is a taviExtentType number. For type 3 `source` holds an envelope, an envelope value or something
    // naming data (a data element, a value, a catalog path text); a non-empty `coordinateSystemSource` (a spatial
    // reference or something naming data that has one) projects the rectangle into that coordinate system.
    virtual HRESULT put_Extent(int32_t type, VARIANT source, VARIANT coordinateSystemSource) = 0;
    // The type, and for type 3 the rectangle (a new reference); null for the other types. E_POINTER when either
    // out is null.
    virtual HRESULT get_Extent(int32_t* type, IEnvelope** envelope) = 0;
};

// Data type markers.
struct IGPEnvelopeType : IUnknown {
    static constexpr IID iid{0x19E047D2, 0xE9FF, 0x5A9B, {0xBC, 0x5C, 0xC4, 0x65, 0x6C, 0x8E, 0x8D, 0xE6}}; // assigned
};
struct IGPExtentType : IUnknown {
    static constexpr IID iid{0x8CB8DB8C, 0x7656, 0x512C, {0x85, 0x76, 0x42, 0xD8, 0xA9, 0x6A, 0xE5, 0x29}}; // assigned
};

// Classes.
constexpr CLSID CLSID_GPEnvelope{0x01A9676B, 0xE251, 0x4A40, {0x85, 0x44, 0x5E, 0x5B, 0x65, 0xE2, 0x98, 0x3C}};
constexpr CLSID CLSID_GPEnvelopeType{0x537CE430, 0x2F16, 0x4E6B, {0x86, 0x2E, 0x72, 0x30, 0x4F, 0x45, 0x14, 0x99}};
constexpr CLSID CLSID_GPExtent{0x754F9CDC, 0xEE51, 0x412A, {0x97, 0xEA, 0xE5, 0x73, 0x07, 0x7C, 0x55, 0x9F}};
constexpr CLSID CLSID_GPExtentType{0xA523C978, 0xBE34, 0x4E9E, {0x94, 0x39, 0x71, 0xF4, 0x83, 0xF4, 0x53, 0x8F}};
// The host's geometry envelope.
constexpr CLSID CLSID_Envelope{0x30707212, 0x52D5, 0x11D0, {0xA8, 0xF2, 0x00, 0x60, 0x8C, 0x85, 0xED, 0xE5}};
