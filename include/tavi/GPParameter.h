// Tool parameters (the read side, IGPParameter, lives with the values it holds), their editing side, the background
// flag of the data layer, and the diagnostic object that lists the tools of the registered tool factories.
#pragma once

#include "tavi/Collections.h"
#include "tavi/GPEnvironment.h"
#include "tavi/GPValue.h"

// IGPParameter as later generations identify it: the same operations, answered by the same pointer.
struct IGPParameterId2 : IGPParameter {
    static constexpr IID iid{0x3A5BCFF9, 0x9178, 0x4CFE, {0x9C, 0xD9, 0x20, 0xB7, 0x59, 0x3C, 0xB1, 0x7F}};
};
struct IGPParameterId3 : IGPParameter {
    static constexpr IID iid{0xED520462, 0x7C5F, 0x4EEE, {0xBC, 0xDD, 0x8A, 0x82, 0xA7, 0x17, 0x4A, 0x91}};
};

// A tool parameter, editing side: one setter for each getter of IGPParameter, in the same order. Object properties
// are stored by reference (`putref_`); texts and identifiers are copied. Every setter marks the parameter changed.
struct IGPParameterEdit3 : IUnknown {
    static constexpr IID iid{0x41EA73EE, 0x8C7F, 0x4EC8, {0xBF, 0x00, 0x1C, 0x5B, 0x11, 0xEF, 0x78, 0x1D}};
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT put_DisplayName(const OLECHAR* displayName) = 0;
    // taviGPParameterDirection; any other number is E_INVALIDARG.
    virtual HRESULT put_Direction(int32_t direction) = 0;
    virtual HRESULT putref_DataType(IGPDataType* dataType) = 0;
    // taviGPParameterType; any other number is E_INVALIDARG.
    virtual HRESULT put_ParameterType(int32_t parameterType) = 0;
    // The objects (usually GPString values naming other parameters) the parameter depends on; null empties it.
    virtual HRESULT putref_ParameterDependencies(IArray* dependencies) = 0;
    virtual HRESULT putref_Domain(IGPDomain* domain) = 0;
    virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
    virtual HRESULT putref_Value(IGPValue* value) = 0;
    // Null clears the control.
    virtual HRESULT put_ControlCLSID(IUID* control) = 0;
    virtual HRESULT put_DefaultEnvironmentName(const OLECHAR* name) = 0;
    virtual HRESULT put_DisplayOrder(int32_t order) = 0;
    virtual HRESULT put_Altered(VARIANT_BOOL altered) = 0;
    virtual HRESULT put_HasBeenValidated(VARIANT_BOOL validated) = 0;
    virtual HRESULT put_Category(const OLECHAR* category) = 0;
    virtual HRESULT put_ChoiceListName(const OLECHAR* name) = 0;
    virtual HRESULT put_Managed(VARIANT_BOOL managed) = 0;
    virtual HRESULT putref_Schema(IUnknown* schema) = 0;
    virtual HRESULT putref_SymbologyLayer(IUnknown* layer) = 0;
    virtual HRESULT putref_ChartDefinitions(IUnknown* charts) = 0;
    virtual HRESULT put_AddToMap(VARIANT_BOOL addToMap) = 0;
};
struct IGPParameterEdit3Id2 : IGPParameterEdit3 {
    static constexpr IID iid{0x1BA34152, 0x5E03, 0x4DF1, {0xA4, 0x02, 0x22, 0xC7, 0xE2, 0xA9, 0xF8, 0x69}};
};
struct IGPParameterEdit3Id3 : IGPParameterEdit3 {
    static constexpr IID iid{0x5353174C, 0x8A81, 0x4C72, {0xA8, 0x74, 0x88, 0x0A, 0xC9, 0xB7, 0xEF, 0x3F}};
};

// Whether the data layer works in the background.
struct IDataLayerBackground : IUnknown {
    static constexpr IID iid{0x56EC8556, 0x503F, 0x4BE5, {0xAD, 0xF9, 0xBA, 0xF2, 0xED, 0xD8, 0x91, 0x1F}};
    virtual HRESULT get_Background(VARIANT_BOOL* background) = 0;
    virtual HRESULT put_Background(VARIANT_BOOL background) = 0;
};

// Diagnostics of the tool framework.
struct IGPTest : IUnknown {
    static constexpr IID iid{0x029325C4, 0xED3B, 0x4F7E, {0xA1, 0x72, 0x19, 0x84, 0xA8, 0x28, 0xC9, 0x0B}};
    // The process's environment settings, through the environment host and its manager. Always S_OK; null when
    // any step fails.
    virtual HRESULT GetEnvironments(IEnumGPEnvironment** settings) = 0;
    // The names (IGPName) of every tool of the factories registered in CATID_GPFunctionFactories, or S_OK and null
    // when they name no tool.
    virtual HRESULT GetToolNames(IArray** names) = 0;
};

constexpr CLSID CLSID_GPParameter{0x31D06F12, 0x3F00, 0x47F8, {0xA6, 0x57, 0x3A, 0x2E, 0x4E, 0xA8, 0x5F, 0xE2}};
constexpr CLSID CLSID_GPBackgroundObject{0x1BF3CB47, 0xDB78, 0x46C0, {0xA8, 0x94, 0x4E, 0x2B, 0x0E, 0xCE, 0x03, 0xA9}};
constexpr CLSID CLSID_GPTest{0x0DF6991C, 0xDB2B, 0x452C, {0x83, 0xC2, 0xD1, 0x0A, 0xDB, 0xAF, 0x3A, 0x98}};
