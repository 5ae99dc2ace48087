// The value, data type, domain and name interfaces of the geoprocessing objects, with the identifier object,
// variables, parameters and the document version support every versioned class answers.
//
// Where no order is fixed elsewhere, operations are in the order: getters before setters, property by property,
// then the other operations.
#pragma once

#include "tavi/GPMessage.h"
#include "tavi/Unknown.h"

struct IGPDataType;
struct IGPDomain;
struct IName;
struct IUID;
struct IGPName;
struct IArray;
struct IEnumGPName;
struct IGPVariable;

// A tool parameter's content.
struct IGPValue : IUnknown {
    static constexpr IID iid{0x92EE08B6, 0xC757, 0x4178, {0x80, 0x3C, 0x67, 0xCD, 0x66, 0x5A, 0xC8, 0x01}};
    virtual HRESULT get_DataType(IGPDataType** dataType) = 0;
    virtual HRESULT IsEmpty(VARIANT_BOOL* empty) = 0;
    virtual HRESULT Empty() = 0;
    virtual HRESULT GetAsText(BSTR* text) = 0;
    // Parse errors travel in the message (type 100 and the class's code); the call itself succeeds.
    virtual HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) = 0;
    // The value as a JSON object text, and back. E_INVALIDARG for text that is not such an object.
    virtual HRESULT SerializeJSONObject(BSTR* json) = 0;
    virtual HRESULT DeserializeJSONObject(const OLECHAR* json) = 0;
};

// Named facts about a value ("DataType", "Value", "IsEmpty", ...). S_FALSE with an empty variant for a name the
// object does not know.
struct IGPDescribe : IUnknown {
    static constexpr IID iid{0x05DF0101, 0x1DFB, 0x4FD7, {0x8B, 0x15, 0xC3, 0xF1, 0xEB, 0x9C, 0xA9, 0x8B}};
    virtual HRESULT Describe(const OLECHAR* name, VARIANT* value) = 0;
};

struct IClone : IUnknown {
    static constexpr IID iid{0x9BFF8AEB, 0xE415, 0x11D0, {0x94, 0x3C, 0x08, 0x00, 0x09, 0xEE, 0xBE, 0xCB}};
    virtual HRESULT Clone(IClone** clone) = 0;
    virtual HRESULT Assign(IClone* source) = 0;
    virtual HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) = 0;
    // True when both lead to the same object identity (both asked for IUnknown).
    virtual HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) = 0;
};

// A scalar value as a platform variant.
struct IGPVariant : IUnknown {
    static constexpr IID iid{0xC872280B, 0xFD3D, 0x497F, {0x93, 0x1A, 0xBF, 0x13, 0xAC, 0xAE, 0xD8, 0xFD}};
    virtual HRESULT get_Value(VARIANT* value) = 0;
    virtual HRESULT put_Value(VARIANT value) = 0;
};

// The model variables of a running model, by name. (No identifier is documented for it; this one is the
// name-based identifier of "taviGeoprocessing.IGPVariableManager" in the library's namespace.)
struct IGPVariableManager : IUnknown {
    static constexpr IID iid{0x5FA287C4, 0x7B84, 0x51A9, {0xAC, 0xE9, 0x70, 0x69, 0x7C, 0x2A, 0x59, 0xC0}};
    // The variable of that name (names compare without regard to case); E_FAIL and null when there is none.
    virtual HRESULT FindVariable(const OLECHAR* name, IGPVariable** variable) = 0;
};

// A value whose text may name model variables, resolved later against a variable manager.
struct IGPValueExpression : IUnknown {
    static constexpr IID iid{0x1AC0728D, 0x8DA6, 0x4592, {0xBC, 0xF9, 0x7C, 0x30, 0x27, 0xF5, 0x1F, 0x38}};
    virtual HRESULT get_Resolved(VARIANT_BOOL* resolved) = 0;
    virtual HRESULT put_Resolved(VARIANT_BOOL resolved) = 0;
    // The value with its variables replaced by their values.
    virtual HRESULT ResolveValue(IGPVariableManager* manager, IGPValue** resolved) = 0;
    // The names of the variables the value's text holds (a string list), or null.
    virtual HRESULT GetVariableNames(IUnknown** names) = 0;
    virtual HRESULT get_Variables(IArray** variables) = 0;
    virtual HRESULT putref_Variables(IArray* variables) = 0;
    virtual HRESULT GetAsText(IGPVariableManager* manager, BSTR* text) = 0;
};

// Objects that are written differently, or replaced, for documents of older versions.
struct IDocumentVersionSupport : IUnknown {
    static constexpr IID iid{0xC9E7A782, 0x3DDC, 0x411F, {0x8A, 0x66, 0x90, 0x8C, 0x57, 0x9F, 0x12, 0x3D}};
    virtual HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) = 0;
    virtual HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) = 0;
};

// A kind of value: names, value creation and validation (operations in this order, 1 to 10).
struct IGPDataType : IUnknown {
    static constexpr IID iid{0x172A93A9, 0xAFC1, 0x432D, {0x8F, 0x04, 0x54, 0xB7, 0x30, 0x9B, 0xA4, 0x32}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_DisplayName(BSTR* displayName) = 0;
    virtual HRESULT get_ControlCLSID(IUID** control) = 0;
    virtual HRESULT get_FullName(IName** fullName) = 0;
    virtual HRESULT get_HelpFile(BSTR* helpFile) = 0;
    virtual HRESULT get_HelpContext(int32_t* helpContext) = 0;
    virtual HRESULT get_MetadataFile(BSTR* metadataFile) = 0;
    virtual HRESULT CreateValue(const OLECHAR* text, IGPValue** value) = 0;
    virtual HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) = 0;
    virtual HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) = 0;
};

// A restriction on values. S_OK for a member, S_FALSE for a non-member; the message says why.
struct IGPDomain : IUnknown {
    static constexpr IID iid{0x2A7EB8A3, 0xB95C, 0x4CED, {0x8C, 0x2F, 0xDF, 0x84, 0x7C, 0x1C, 0x38, 0xA5}};
    virtual HRESULT MemberOf(IGPValue* value, IGPMessage** message) = 0;
};

// A name from which an object can be made again.
struct IName : IUnknown {
    static constexpr IID iid{0x4BA33331, 0xD55F, 0x11D1, {0x88, 0x82, 0x00, 0x00, 0xF8, 0x77, 0x76, 0x2D}};
    virtual HRESULT get_NameString(BSTR* text) = 0;
    virtual HRESULT put_NameString(const OLECHAR* text) = 0;
    // The object the name stands for, made through the name's factory.
    virtual HRESULT Open(IUnknown** object) = 0;
    // Brings what the name stores about its factory up to date; the plain name has nothing to refresh (S_OK).
    virtual HRESULT UpdateFactoryName() = 0;
};

// A class or interface identifier as an object.
struct IUID : IUnknown {
    static constexpr IID iid{0x942ECC0A, 0xB16A, 0x4F0D, {0xB9, 0x89, 0xC5, 0x32, 0xBC, 0x15, 0x93, 0xA8}};
    // The identifier as text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (VT_BSTR).
    virtual HRESULT get_Value(VARIANT* value) = 0;
    // Takes the text form (or a registered programmatic identifier); E_INVALIDARG for anything else.
    virtual HRESULT put_Value(VARIANT value) = 0;
    virtual HRESULT get_SubType(int32_t* subType) = 0;
    virtual HRESULT put_SubType(int32_t subType) = 0;
    // A new random identifier.
    virtual HRESULT Generate() = 0;
    // Same identifier and sub type.
    virtual HRESULT Compare(IUID* other, VARIANT_BOOL* equal) = 0;
};

// The binary side of the identifier object.
struct IUIDInit : IUnknown {
    static constexpr IID iid{0x3B916CDD, 0xE139, 0x11D2, {0x9F, 0x38, 0x00, 0xC0, 0x4F, 0x6B, 0xC6, 0x1A}};
    virtual HRESULT SetGUID(REFGUID guid, int32_t subType) = 0;
    virtual HRESULT GetGUID(GUID* guid) = 0;
};

// A named, described entry of a catalogue, with the factory that opens it.
struct IGPName : IUnknown {
    static constexpr IID iid{0x17A47938, 0xE1ED, 0x4D82, {0xA1, 0xD1, 0xD2, 0x74, 0x46, 0x5F, 0xCB, 0xC4}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT get_DisplayName(BSTR* displayName) = 0;
    virtual HRESULT put_DisplayName(const OLECHAR* displayName) = 0;
    virtual HRESULT get_Description(BSTR* description) = 0;
    virtual HRESULT put_Description(const OLECHAR* description) = 0;
    virtual HRESULT get_Category(BSTR* category) = 0;
    virtual HRESULT put_Category(const OLECHAR* category) = 0;
    // The factory object: the one set, else one made from the stored factory class identifier.
    virtual HRESULT get_Factory(IUnknown** factory) = 0;
    virtual HRESULT putref_Factory(IUnknown* factory) = 0;
};

// The catalogue of data types by name.
struct IGPDataTypeFactory : IUnknown {
    static constexpr IID iid{0x1AFF0D88, 0xE9B8, 0x4571, {0x8D, 0xF1, 0x21, 0x7D, 0xCA, 0xF4, 0x8A, 0x50}};
    virtual HRESULT get_FactoryID(IUID** id) = 0;
    virtual HRESULT GetDataType(const OLECHAR* name, IGPDataType** dataType) = 0;
    virtual HRESULT GetDataTypeName(const OLECHAR* name, IGPName** dataTypeName) = 0;
    virtual HRESULT GetDataTypeNames(IEnumGPName** names) = 0;
};

// A model variable: a named value that tools share.
struct IGPVariable : IUnknown {
    static constexpr IID iid{0x91290E84, 0xB518, 0x43E3, {0x8E, 0x7A, 0x9E, 0xE8, 0xE0, 0xCE, 0xF5, 0xC9}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT get_Value(IGPValue** value) = 0;
    virtual HRESULT putref_Value(IGPValue* value) = 0;
    virtual HRESULT get_DataType(IGPDataType** dataType) = 0;
    virtual HRESULT putref_DataType(IGPDataType* dataType) = 0;
    virtual HRESULT get_Derived(VARIANT_BOOL* derived) = 0;
    virtual HRESULT put_Derived(VARIANT_BOOL derived) = 0;
};

// Parameter directions and types.
enum taviGPParameterDirection : int32_t { taviGPParameterDirectionInput = 0, taviGPParameterDirectionOutput = 1 };
enum taviGPParameterType : int32_t {
    taviGPParameterTypeRequired = 0,
    taviGPParameterTypeOptional = 1,
    taviGPParameterTypeDerived = 2,
};

// A tool parameter, read side: the getters in their fixed order.
struct IGPParameter : IUnknown {
    static constexpr IID iid{0x40EF6D06, 0x4E62, 0x4B3D, {0x98, 0xE6, 0x85, 0xF7, 0xA0, 0x60, 0x77, 0x30}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_DisplayName(BSTR* displayName) = 0;
    virtual HRESULT get_Direction(int32_t* direction) = 0;
    virtual HRESULT get_DataType(IGPDataType** dataType) = 0;
    virtual HRESULT get_ParameterType(int32_t* parameterType) = 0;
    virtual HRESULT get_ParameterDependencies(IArray** dependencies) = 0;
    virtual HRESULT get_Domain(IGPDomain** domain) = 0;
    virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
    virtual HRESULT get_Value(IGPValue** value) = 0;
    virtual HRESULT get_ControlCLSID(IUID** control) = 0;
    virtual HRESULT get_DefaultEnvironmentName(BSTR* name) = 0;
    virtual HRESULT get_DisplayOrder(int32_t* order) = 0;
    virtual HRESULT get_Altered(VARIANT_BOOL* altered) = 0;
    virtual HRESULT get_HasBeenValidated(VARIANT_BOOL* validated) = 0;
    virtual HRESULT get_Category(BSTR* category) = 0;
    virtual HRESULT get_ChoiceListName(BSTR* name) = 0;
    virtual HRESULT get_Managed(VARIANT_BOOL* managed) = 0;
    virtual HRESULT get_Schema(IUnknown** schema) = 0;
    virtual HRESULT get_SymbologyLayer(IUnknown** layer) = 0;
    virtual HRESULT get_ChartDefinitions(IUnknown** charts) = 0;
    virtual HRESULT get_AddToMap(VARIANT_BOOL* addToMap) = 0;
};

// Classes of this family.
constexpr CLSID CLSID_UID{0x78FF7FA1, 0xFB2F, 0x11D1, {0x94, 0xA2, 0x08, 0x00, 0x09, 0xEE, 0xBE, 0xCB}};
constexpr CLSID CLSID_GPName{0x960CB02A, 0x8CAF, 0x442B, {0xAC, 0xF7, 0x6B, 0x62, 0x56, 0xFC, 0x19, 0xF9}};
constexpr CLSID CLSID_GPDataTypeFactory{0xE41CFD44, 0x5741, 0x4F2B, {0x8A, 0xCE, 0x1A, 0x49, 0xE1, 0x46, 0xD3, 0x29}};
// The host's variable manager: the model variables a host puts in it (IArray of IGPVariable), found by name through
// IGPVariableManager. (Assigned: the name-based identifier of "taviGeoprocessing.GPVariableManager".)
constexpr CLSID CLSID_GPVariableManager{0x580976E5, 0xD80B, 0x575E, {0x9E, 0xF8, 0x64, 0x18, 0xB6, 0x05, 0xFA, 0xA5}};
