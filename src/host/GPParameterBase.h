// The parameter base: a tool parameter's description (name, direction, data type, domain, value and the settings
// the tool framework keeps with it), its editing side, cloning, and its stream and XML forms.
//
// A parameter class lists its rows and derives from GPParameterBase:
//
//   class GPParameter final : public GPParameterBase<GPParameter, ParameterInterfaces> { ... };
//
// Properties and their defaults: Name, DisplayName, DefaultEnvironmentName, Category and ChoiceListName are texts
// (empty); Direction (input) and ParameterType (required) take only their enumerations' numbers; DataType, Domain,
// Value, ParameterDependencies (an IArray of objects), Schema, SymbologyLayer and ChartDefinitions are objects held
// by reference (none); ControlCLSID is a class identifier (all zero); DisplayOrder is -1; Enabled is true; Altered,
// HasBeenValidated, Managed and AddToMap are false. Every setter marks the parameter dirty.
//
// Stream form, version 1 (a newer one is E_FAIL):
//   16-bit version; Name (String); DisplayName (String); Direction (32-bit); DataType (SaveDataType form);
//   ParameterType (32-bit); ParameterDependencies: count (32-bit), then each element as a nested object; Domain
//   (nested object); Enabled (16-bit VARIANT_BOOL); Value (nested object); ControlCLSID (GUID);
//   DefaultEnvironmentName (String); DisplayOrder (32-bit); Altered, HasBeenValidated (16-bit each); Category,
//   ChoiceListName (String); Managed (16-bit); Schema, SymbologyLayer, ChartDefinitions (nested objects); AddToMap
//   (16-bit). A parameter read back without dependencies has no array; with some, a new platform object array.
//   A nested object is written as the foundation's SaveObject writes it (none for an unset property). An object
//   property that cannot persist itself makes Save fail with E_FAIL: a saved parameter never silently loses one.
// XML form, type "GPParameter" (the class name) in the value namespace, one element per property in the order of
// IGPParameter: strings "Name", "DisplayName", "DefaultEnvironmentName", "Category", "ChoiceListName"; integers
//   "Direction", "ParameterType", "DisplayOrder"; booleans "Enabled", "Altered", "HasBeenValidated", "Managed",
//   "AddToMap"; objects "DataType" (DataTypeElement form), "Domain", "Value", "Schema", "SymbologyLayer",
//   "ChartDefinitions" (each only when set); the object array "ParameterDependencies" (elements "Dependency", only
//   when there are any); string "ControlCLSID" (the identifier's text, only when not all zero).
//   A missing element reads as the property's default; a present element that cannot be read, a number outside its
//   enumeration, or an object of the wrong kind is E_FAIL. Writing an object that cannot serialize itself fails.
// A failed Load or Deserialize leaves the parameter as it was. An object property that leads back to the parameter
// makes Save, Serialize and Clone fail with E_FAIL, and IsEqual answer false, rather than recurse without end.
#pragma once

#include "host/PersistFrame.h"
#include "host/String.h"
#include "platform/Object.h"
#include "tavi/GPParameter.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

#include <vector>

namespace tavi {

// The rows every parameter class answers, in lookup order: the read and the editing interface each under their
// three identifiers (one pointer each), cloning, the stream and XML forms, document version support.
using ParameterInterfaces =
    Rows<IGPParameter, Alias<IGPParameterId2, IGPParameter>, Alias<IGPParameterId3, IGPParameter>, IGPParameterEdit3,
         Alias<IGPParameterEdit3Id2, IGPParameterEdit3>, Alias<IGPParameterEdit3Id3, IGPParameterEdit3>, IClone,
         IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize, IDocumentVersionSupport>;

// Every property of a parameter.
struct ParameterFields {
    String name;
    String displayName;
    int32_t direction = taviGPParameterDirectionInput;
    ComPtr<IGPDataType> dataType;
    int32_t parameterType = taviGPParameterTypeRequired;
    ComPtr<IArray> dependencies; // shared with whoever gave it; its elements are read when needed
    ComPtr<IGPDomain> domain;
    bool enabled = true;
    ComPtr<IGPValue> value;
    GUID control = GUID_NULL;
    String defaultEnvironmentName;
    int32_t displayOrder = -1;
    bool altered = false;
    bool hasBeenValidated = false;
    String category;
    String choiceListName;
    bool managed = false;
    ComPtr<IUnknown> schema;
    ComPtr<IUnknown> symbologyLayer;
    ComPtr<IUnknown> chartDefinitions;
    bool addToMap = false;
};

// The properties of any object answering IGPParameter, read through its getters; E_FAIL when one cannot be read.
HRESULT ReadParameterFields(IGPParameter* parameter, ParameterFields* fields);
// True when the two parameters' properties are equal: texts, numbers and flags alike; objects both unset, the same
// object, found equal by IClone, or (for objects that do not answer IClone) persisting to the same bytes; an unset
// dependency array equals an empty one.
bool EqualParameterFields(const ParameterFields& a, const ParameterFields& b);

// The non-template part of every parameter. Its reads commit only at their end, so the frame runs them in place.
class GPParameterCore : public PersistFrame {
public:
    static constexpr uint16_t kStreamVersion = 1;

    const ParameterFields& Fields() const { return fields_; }

protected:
    GPParameterCore() = default;
    virtual ~GPParameterCore() = default;

    // IGPParameter
    HRESULT CoreGetText(const String& text, BSTR* out);
    template <class I> static HRESULT CoreGetObject(const ComPtr<I>& object, I** out) {
        if (HRESULT hr = ClearOut(out); FAILED(hr))
            return hr;
        return object ? object.CopyTo(out) : S_OK;
    }
    static HRESULT CoreGetFlag(bool flag, VARIANT_BOOL* out);
    static HRESULT CoreGetNumber(int32_t number, int32_t* out);
    HRESULT CoreGetControl(IUID** control);

    // IGPParameterEdit3
    HRESULT CorePutText(String& field, const OLECHAR* text);
    HRESULT CorePutFlag(bool& field, VARIANT_BOOL flag);
    HRESULT CorePutDirection(int32_t direction);
    HRESULT CorePutParameterType(int32_t parameterType);
    template <class I> HRESULT CorePutObject(ComPtr<I>& field, I* object) {
        field = ComPtr<I>(object);
        SetDirty();
        return S_OK;
    }
    HRESULT CorePutControl(IUID* control);
    HRESULT CorePutDisplayOrder(int32_t order);

    // IClone
    HRESULT CoreAssign(IClone* source);
    HRESULT CoreIsEqual(IClone* other, VARIANT_BOOL* equal);
    HRESULT CoreIsIdentical(IClone* other, VARIANT_BOOL* identical);

    HRESULT CoreGetSizeMax(uint64_t* size);

    virtual IPersistStream* SelfPersist() = 0;
    virtual const char16_t* SelfClassName() const = 0;

    ParameterFields fields_;

    // Set while the parameter saves, serializes, clones or compares itself. An object property may lead back to the
    // parameter (a schema that is the parameter, or holds it); meeting the parameter again inside the same operation
    // fails it (E_FAIL, or not equal) instead of recursing without end.
    struct Busy {
        bool saving = false;
        bool cloning = false;
        bool comparing = false;
    } busy_;
    class Entered {
    public:
        explicit Entered(bool& flag) : flag_(flag), first_(!flag) { flag_ = true; }
        ~Entered() {
            if (first_)
                flag_ = false;
        }
        Entered(const Entered&) = delete;
        Entered& operator=(const Entered&) = delete;
        // False when the operation was already running on this parameter.
        bool First() const { return first_; }

    private:
        bool& flag_;
        bool first_;
    };

private:
    uint16_t NewestStreamVersion() const override { return kStreamVersion; }
    uint16_t OldestStreamVersion() const override { return kStreamVersion; }
    const OLECHAR* XmlTypeName() const override { return SelfClassName(); }
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
};

template <class Derived, class... R> class GPParameterBase : public Object<Derived, R...>, public GPParameterCore {
public:
    // IGPParameter. Every getter gives E_POINTER for a null pointer. Objects are handed out as stored (S_OK and
    // null when unset); get_ControlCLSID gives a new identifier object, or S_FALSE and null when it is all zero.
    HRESULT get_Name(BSTR* name) override { return CoreGetText(fields_.name, name); }
    HRESULT get_DisplayName(BSTR* displayName) override { return CoreGetText(fields_.displayName, displayName); }
    HRESULT get_Direction(int32_t* direction) override { return CoreGetNumber(fields_.direction, direction); }
    HRESULT get_DataType(IGPDataType** dataType) override { return CoreGetObject(fields_.dataType, dataType); }
    HRESULT get_ParameterType(int32_t* type) override { return CoreGetNumber(fields_.parameterType, type); }
    HRESULT get_ParameterDependencies(IArray** dependencies) override {
        return CoreGetObject(fields_.dependencies, dependencies);
    }
    HRESULT get_Domain(IGPDomain** domain) override { return CoreGetObject(fields_.domain, domain); }
    HRESULT get_Enabled(VARIANT_BOOL* enabled) override { return CoreGetFlag(fields_.enabled, enabled); }
    HRESULT get_Value(IGPValue** value) override { return CoreGetObject(fields_.value, value); }
    HRESULT get_ControlCLSID(IUID** control) override { return CoreGetControl(control); }
    HRESULT get_DefaultEnvironmentName(BSTR* name) override {
        return CoreGetText(fields_.defaultEnvironmentName, name);
    }
    HRESULT get_DisplayOrder(int32_t* order) override { return CoreGetNumber(fields_.displayOrder, order); }
    HRESULT get_Altered(VARIANT_BOOL* altered) override { return CoreGetFlag(fields_.altered, altered); }
    HRESULT get_HasBeenValidated(VARIANT_BOOL* validated) override {
        return CoreGetFlag(fields_.hasBeenValidated, validated);
    }
    HRESULT get_Category(BSTR* category) override { return CoreGetText(fields_.category, category); }
    HRESULT get_ChoiceListName(BSTR* name) override { return CoreGetText(fields_.choiceListName, name); }
    HRESULT get_Managed(VARIANT_BOOL* managed) override { return CoreGetFlag(fields_.managed, managed); }
    HRESULT get_Schema(IUnknown** schema) override { return CoreGetObject(fields_.schema, schema); }
    HRESULT get_SymbologyLayer(IUnknown** layer) override { return CoreGetObject(fields_.symbologyLayer, layer); }
    HRESULT get_ChartDefinitions(IUnknown** charts) override { return CoreGetObject(fields_.chartDefinitions, charts); }
    HRESULT get_AddToMap(VARIANT_BOOL* addToMap) override { return CoreGetFlag(fields_.addToMap, addToMap); }

    // IGPParameterEdit3. Null texts store the empty text; flags store true for any nonzero value; objects are
    // shared, not copied (null unsets), and so is the dependency array.
    HRESULT put_Name(const OLECHAR* name) override { return CorePutText(fields_.name, name); }
    HRESULT put_DisplayName(const OLECHAR* displayName) override {
        return CorePutText(fields_.displayName, displayName);
    }
    HRESULT put_Direction(int32_t direction) override { return CorePutDirection(direction); }
    HRESULT putref_DataType(IGPDataType* dataType) override { return CorePutObject(fields_.dataType, dataType); }
    HRESULT put_ParameterType(int32_t type) override { return CorePutParameterType(type); }
    HRESULT putref_ParameterDependencies(IArray* dependencies) override {
        return CorePutObject(fields_.dependencies, dependencies);
    }
    HRESULT putref_Domain(IGPDomain* domain) override { return CorePutObject(fields_.domain, domain); }
    HRESULT put_Enabled(VARIANT_BOOL enabled) override { return CorePutFlag(fields_.enabled, enabled); }
    HRESULT putref_Value(IGPValue* value) override { return CorePutObject(fields_.value, value); }
    HRESULT put_ControlCLSID(IUID* control) override { return CorePutControl(control); }
    HRESULT put_DefaultEnvironmentName(const OLECHAR* name) override {
        return CorePutText(fields_.defaultEnvironmentName, name);
    }
    HRESULT put_DisplayOrder(int32_t order) override { return CorePutDisplayOrder(order); }
    HRESULT put_Altered(VARIANT_BOOL altered) override { return CorePutFlag(fields_.altered, altered); }
    HRESULT put_HasBeenValidated(VARIANT_BOOL validated) override {
        return CorePutFlag(fields_.hasBeenValidated, validated);
    }
    HRESULT put_Category(const OLECHAR* category) override { return CorePutText(fields_.category, category); }
    HRESULT put_ChoiceListName(const OLECHAR* name) override { return CorePutText(fields_.choiceListName, name); }
    HRESULT put_Managed(VARIANT_BOOL managed) override { return CorePutFlag(fields_.managed, managed); }
    HRESULT putref_Schema(IUnknown* schema) override { return CorePutObject(fields_.schema, schema); }
    HRESULT putref_SymbologyLayer(IUnknown* layer) override { return CorePutObject(fields_.symbologyLayer, layer); }
    HRESULT putref_ChartDefinitions(IUnknown* charts) override {
        return CorePutObject(fields_.chartDefinitions, charts);
    }
    HRESULT put_AddToMap(VARIANT_BOOL addToMap) override { return CorePutFlag(fields_.addToMap, addToMap); }

    // IClone. Clone makes a new object of the class and assigns to it. Assign takes every property of any object
    // answering IGPParameter (E_NOINTERFACE otherwise): the value, the domain, the dependency elements (into a new
    // array) and the schema, symbology layer and chart definitions are cloned when they answer IClone and shared
    // otherwise; the data type is shared. IsEqual compares every property (EqualParameterFields); an object that is
    // no parameter is not equal. IsIdentical: the same object.
    HRESULT Clone(IClone** clone) override {
        if (HRESULT hr = ClearOut(clone); FAILED(hr))
            return hr;
        return guard([&]() -> HRESULT {
            Entered entered(busy_.cloning);
            if (!entered.First())
                return E_FAIL;
            ComPtr<Derived> made = MakeObject<Derived>();
            if (HRESULT hr = made->Assign(static_cast<IClone*>(static_cast<Derived*>(this))); FAILED(hr))
                return hr;
            *clone = static_cast<IClone*>(made.Detach());
            return S_OK;
        });
    }
    HRESULT Assign(IClone* source) override { return CoreAssign(source); }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override { return CoreIsEqual(other, equal); }
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override { return CoreIsIdentical(other, identical); }

    // IPersistStream
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return FrameSave(stream, clearDirty); }
    HRESULT Load(IStream* stream) override { return FrameLoad(stream); }
    HRESULT GetSizeMax(uint64_t* size) override { return CoreGetSizeMax(size); }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return FrameSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return FrameDeserialize(data); }

    // IDocumentVersionSupport: documents of every version hold a parameter; it is its own replacement.
    HRESULT IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t, IUnknown** replacement) override;

protected:
    GPParameterBase() = default;

private:
    IPersistStream* SelfPersist() override { return static_cast<IPersistStream*>(static_cast<Derived*>(this)); }
    const char16_t* SelfClassName() const override { return this->GetClassName(); }
};

// IDocumentVersionSupport of the parameter base (out of line: they need the value helpers).
HRESULT ParameterSupportedAtVersion(VARIANT_BOOL* supported);
HRESULT ParameterAsSupportedObject(IUnknown* self, IUnknown** replacement);

template <class Derived, class... R>
HRESULT GPParameterBase<Derived, R...>::IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) {
    return ParameterSupportedAtVersion(supported);
}

template <class Derived, class... R>
HRESULT GPParameterBase<Derived, R...>::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return ParameterAsSupportedObject(static_cast<IGPParameter*>(static_cast<Derived*>(this)), replacement);
}

} // namespace tavi
