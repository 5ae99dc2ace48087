// Environment settings: one named, typed setting that applies to many tools at once (an output coordinate system,
// a processing extent), the editable list of settings, and the host's environment manager that keeps the settings
// of the process.
//
// Identifiers marked "assigned" are name-based (version 5) identifiers of "taviGeoprocessing.<name>" in the namespace
// of the library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}.
#pragma once

#include "tavi/Collections.h"
#include "tavi/GPValue.h"

struct ISpatialReference;

// One setting. Every getter gives E_POINTER for a null out pointer. A setting may stand in for another one, its
// source (IGPEnvironmentImpl): it then answers every getter from the source until its first change, when it copies
// the source and detaches from it.
struct IGPEnvironment : IUnknown {
    static constexpr IID iid{0x5547046F, 0x7777, 0x4AB6, {0xB5, 0x2D, 0xA7, 0xE7, 0x6C, 0x82, 0x4C, 0x6F}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT get_DisplayName(BSTR* displayName) = 0;
    virtual HRESULT put_DisplayName(const OLECHAR* displayName) = 0;
    virtual HRESULT get_Category(BSTR* category) = 0;
    virtual HRESULT put_Category(const OLECHAR* category) = 0;
    // A copy of the value (a model variable is handed out as itself); null and S_OK when there is none.
    virtual HRESULT get_Value(IGPValue** value) = 0;
    virtual HRESULT putref_Value(IGPValue* value) = 0;
    virtual HRESULT get_Domain(IGPDomain** domain) = 0;
    virtual HRESULT putref_Domain(IGPDomain* domain) = 0;
    // The data type put, else the value's data type, else null.
    virtual HRESULT get_DataType(IGPDataType** dataType) = 0;
    virtual HRESULT putref_DataType(IGPDataType* dataType) = 0;
    // The position in user interfaces (-1 for none). Putting it never detaches a stand-in.
    virtual HRESULT get_DisplayOrder(int32_t* order) = 0;
    virtual HRESULT put_DisplayOrder(int32_t order) = 0;
    // The class of the control that edits the setting; null and S_FALSE for none.
    virtual HRESULT get_ControlCLSID(IUID** control) = 0;
    virtual HRESULT put_ControlCLSID(IUID* control) = 0;
    // The names of the parameters the setting depends on: a new list of copies; putting one replaces them all.
    virtual HRESULT get_ParameterDependencies(IEnumBSTR** names) = 0;
    virtual HRESULT put_ParameterDependencies(IEnumBSTR* names) = 0;
    // Appends one name; an empty name is ignored.
    virtual HRESULT AddDependency(const OLECHAR* name) = 0;
    virtual HRESULT get_MetadataFile(BSTR* file) = 0;
    virtual HRESULT put_MetadataFile(const OLECHAR* file) = 0;
};

// The stand-in side of a setting.
struct IGPEnvironmentImpl : IUnknown {
    static constexpr IID iid{0x88F22DF4, 0xDF9C, 0x4EAD, {0x8E, 0x7A, 0x78, 0x78, 0xAE, 0xA6, 0x15, 0xFE}};
    virtual HRESULT get_Source(IGPEnvironment** source) = 0;
    // Null detaches a stand-in (it keeps a copy of what it stood for).
    virtual HRESULT putref_Source(IGPEnvironment* source) = 0;
    // The value object itself, never a copy (the source's, while standing in).
    virtual HRESULT get_StoredValue(IGPValue** value) = 0;
};

// Whether the user changed the setting. Putting it neither detaches nor marks the setting changed.
struct IGPEnvironmentImpl2 : IUnknown {
    static constexpr IID iid{0xD7715B79, 0x5150, 0x4A70, {0x8C, 0x0E, 0x79, 0xA4, 0xAB, 0x5F, 0x69, 0xDE}};
    virtual HRESULT get_Altered(VARIANT_BOOL* altered) = 0;
    virtual HRESULT put_Altered(VARIANT_BOOL altered) = 0;
};

// Reads a list of settings one by one; S_FALSE (and null) past the last.
struct IEnumGPEnvironment : IUnknown {
    static constexpr IID iid{0x11AB998A, 0xB838, 0x434A, {0xAE, 0x5F, 0xBB, 0x86, 0x52, 0x36, 0xC7, 0x6D}};
    virtual HRESULT Next(IGPEnvironment** setting) = 0;
    virtual HRESULT Reset() = 0;
};

// The settings of the process, one per name (names compare without regard to case). Unknown names are
// E_INVALIDARG. What the manager hands out are copies: changing one changes nothing in the process until it is put
// back. The manager is safe to use from any thread.
struct IGPEnvironmentManager : IUnknown {
    static constexpr IID iid{0xAA2BF88C, 0x9D85, 0x5EE1, {0xAD, 0xB8, 0xA2, 0x84, 0x5A, 0x3D, 0xF6, 0x7B}}; // assigned
    // A copy of the setting.
    virtual HRESULT GetEnvironment(const OLECHAR* name, IGPEnvironment** setting) = 0;
    // A copy of the setting's value, or S_FALSE and null when it has none.
    virtual HRESULT GetEnvironmentValue(const OLECHAR* name, IGPValue** value) = 0;
    // Stores a copy of `value` (null clears it) and marks the setting altered. A value the setting's data type or
    // domain refuses is E_INVALIDARG and changes nothing.
    virtual HRESULT SetEnvironmentValue(const OLECHAR* name, IGPValue* value) = 0;
    // The value's text; the empty text when there is no value.
    virtual HRESULT GetEnvironmentText(const OLECHAR* name, BSTR* text) = 0;
    // Makes a value of the setting's data type from `text` (the empty text clears the value). Text the data type or
    // domain refuses is reported in `message` (an error message, S_OK) and changes nothing.
    virtual HRESULT SetEnvironmentText(const OLECHAR* name, const OLECHAR* text, IGPMessage** message) = 0;
    // Back to the default: no value, not altered.
    virtual HRESULT ResetEnvironment(const OLECHAR* name) = 0;
    virtual HRESULT ResetEnvironments() = 0;
    // Adds a copy of `setting` (it must have a name), replacing a setting of the same name.
    virtual HRESULT AddEnvironment(IGPEnvironment* setting) = 0;
    virtual HRESULT RemoveEnvironment(const OLECHAR* name) = 0;
    virtual HRESULT get_Count(int32_t* count) = 0;
    // The names of the settings, in display order.
    virtual HRESULT GetEnvironmentNames(IEnumBSTR** names) = 0;
    // The coordinate system a setting's value holds (kept by reference, not copied), or S_FALSE and null when it
    // has no value. E_INVALIDARG for a setting whose values hold no coordinate system.
    virtual HRESULT GetSpatialReference(const OLECHAR* name, ISpatialReference** spatialReference) = 0;
    // Stores a value of the setting's data type holding `spatialReference` (null clears the value).
    virtual HRESULT SetSpatialReference(const OLECHAR* name, ISpatialReference* spatialReference) = 0;
    // A new list of copies of every setting, in display order.
    virtual HRESULT get_Environments(IEnumGPEnvironment** settings) = 0;
};

// The host object through which tools reach the process's environment manager.
struct IGPEnvironmentHost : IUnknown {
    static constexpr IID iid{0x1DA73E06, 0x4C74, 0x403C, {0xBE, 0xAA, 0x56, 0xC4, 0x2D, 0x37, 0xA7, 0xCA}};
    virtual HRESULT get_EnvironmentManager(IGPEnvironmentManager** manager) = 0;
};

constexpr CLSID CLSID_GPEnvironment{0xA422768B, 0x9961, 0x47C5, {0xB4, 0x2B, 0xD6, 0xCC, 0x69, 0xA8, 0x05, 0xC9}};
constexpr CLSID CLSID_EnumGPEnvironment{0x38AA0DE8, 0xA116, 0x447A, {0x8E, 0x5D, 0xFF, 0x14, 0x53, 0x38, 0x56, 0x7A}};
// The process's environment manager: every instance made works on the same settings.
constexpr CLSID CLSID_GPEnvironmentManager{
    0x880A1B44, 0x93A2, 0x5780, {0x84, 0xFE, 0x85, 0x5F, 0x6E, 0xBF, 0xD7, 0xBC}}; // assigned
constexpr CLSID CLSID_GPEnvironmentHost{0x602B0005, 0x0AD2, 0x41F1, {0xA8, 0x31, 0xC6, 0x40, 0xD8, 0x58, 0x6C, 0xAD}};
