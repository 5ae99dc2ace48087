// The variable base: a named model variable holding a value and a data type, with a derived flag, its stream and
// XML forms, and the helpers that persist a data type as a nested object (shared with the classes that hold data
// types of their own, such as parameters).
//
// A variable class lists its rows and derives from GPVariableBase:
//
//   class GPVariable final : public GPVariableBase<GPVariable, VariableInterfaces> { ... };
//
// The variable also stands where a value is expected: its IGPValue face forwards to the value it holds, so that
// data types unpack it (ResolveValue) and lists of values can hold it.
//
// Stream form, version 1 (versions 0 and 1 are read; a newer one is E_FAIL):
//   16-bit version, name (String), value (nested object, none when unset), data type (SaveDataType form),
//   derived flag (16-bit VARIANT_BOOL).
// XML form, under the class name in the value namespace:
//   string "Name", object "Value" (when set), object "DataType" (when set; DataTypeElement form), boolean
//   "Derived". Missing elements read as empty, none and false; a present element that cannot be read is E_FAIL.
// A failed Load or Deserialize leaves the variable as it was.
#pragma once

#include "host/PersistFrame.h"
#include "host/String.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

namespace tavi {

// A data type as a nested object of a stream: the data type itself when it persists itself (IPersistStream), else
// the name object its get_FullName gives. A null data type writes no object. E_FAIL when neither can be written.
HRESULT SaveDataType(IStream* stream, IGPDataType* dataType);
// Reads what SaveDataType wrote: a data type is taken as it is, a name is opened to give the data type. S_OK with
// null for no object; E_FAIL when the object cannot be read or opened or is no data type.
HRESULT LoadDataType(IStream* stream, IGPDataType** dataType);
// The same for an XML object element named `name`: the data type itself when it answers IXMLSerialize, else its
// full name.
HRESULT AddDataTypeElement(IXMLSerializeData* data, const OLECHAR* name, IGPDataType* dataType);
// Reads the object element at `index` as a data type (S_OK with null for an element holding no object).
HRESULT GetDataTypeElement(IXMLSerializeData* data, int32_t index, IGPDataType** dataType);

// The rows every variable class answers, in lookup order.
using VariableInterfaces = Rows<IGPVariable, IXMLSerialize, IPersistStream, Alias<IPersist, IPersistStream>, IGPValue>;

// The non-template part of every variable. Its reads commit only at their end, so the frame runs them in place.
class GPVariableCore : public PersistFrame {
public:
    static constexpr uint16_t kStreamVersion = 1;

    const String& Name() const { return name_; }
    IGPValue* Value() const { return value_.Get(); }
    IGPDataType* DataType() const { return dataType_.Get(); }
    bool IsDerived() const { return derived_; }

protected:
    GPVariableCore() = default;
    virtual ~GPVariableCore() = default;

    // The fields in their stream and XML forms, without the version and type name, for classes that extend them.
    HRESULT FieldsSave(IStream* stream);
    HRESULT FieldsLoad(IStream* stream);
    HRESULT FieldsSerialize(IXMLSerializeData* data);
    HRESULT FieldsDeserialize(IXMLSerializeData* data);

    // What the template's interface operations do.
    HRESULT CoreGetName(BSTR* name);
    HRESULT CorePutName(const OLECHAR* name);
    HRESULT CoreGetValue(IGPValue** value);
    HRESULT CorePutValue(IGPValue* value);
    HRESULT CoreGetDataType(IGPDataType** dataType);
    HRESULT CorePutDataType(IGPDataType* dataType);
    HRESULT CoreGetDerived(VARIANT_BOOL* derived);
    HRESULT CorePutDerived(VARIANT_BOOL derived);
    HRESULT CoreGetSizeMax(uint64_t* size);
    HRESULT CoreIsEmpty(VARIANT_BOOL* empty);
    HRESULT CoreEmpty();
    HRESULT CoreGetAsText(BSTR* text);
    HRESULT CoreSetAsText(const OLECHAR* text, IGPMessage** message);
    HRESULT CoreSerializeJSON(BSTR* json);
    HRESULT CoreDeserializeJSON(const OLECHAR* json);

    virtual IPersistStream* SelfPersist() = 0;
    virtual const char16_t* SelfClassName() const = 0;

    String name_;
    ComPtr<IGPValue> value_;
    ComPtr<IGPDataType> dataType_;
    bool derived_ = false;

private:
    // The frame's hooks: the fields are the whole content.
    uint16_t NewestStreamVersion() const override { return kStreamVersion; }
    const OLECHAR* XmlTypeName() const override { return SelfClassName(); }
    HRESULT SaveContent(IStream* stream, uint16_t) override { return FieldsSave(stream); }
    HRESULT LoadContent(IStream* stream, uint16_t) override { return FieldsLoad(stream); }
    HRESULT SerializeContent(IXMLSerializeData* data) override { return FieldsSerialize(data); }
    HRESULT DeserializeContent(IXMLSerializeData* data) override { return FieldsDeserialize(data); }
};

template <class Derived, class... R> class GPVariableBase : public Object<Derived, R...>, public GPVariableCore {
public:
    // IGPVariable. get_Value and get_DataType give S_FALSE and null when nothing is set; get_DataType falls back to
    // the held value's data type. putref_Value shares the value; a value that is this variable, or a variable whose
    // chain of values leads back to it, is E_INVALIDARG. put_Derived stores true for any nonzero flag.
    HRESULT get_Name(BSTR* name) override { return CoreGetName(name); }
    HRESULT put_Name(const OLECHAR* name) override { return CorePutName(name); }
    HRESULT get_Value(IGPValue** value) override { return CoreGetValue(value); }
    HRESULT putref_Value(IGPValue* value) override { return CorePutValue(value); }
    HRESULT get_DataType(IGPDataType** dataType) override { return CoreGetDataType(dataType); }
    HRESULT putref_DataType(IGPDataType* dataType) override { return CorePutDataType(dataType); }
    HRESULT get_Derived(VARIANT_BOOL* derived) override { return CoreGetDerived(derived); }
    HRESULT put_Derived(VARIANT_BOOL derived) override { return CorePutDerived(derived); }

    // IGPValue, forwarded to the held value: empty when there is none (its text is then the empty text);
    // SetAsText without a value makes one through the data type (E_FAIL when there is neither); the JSON forms
    // need a value (E_FAIL).
    HRESULT IsEmpty(VARIANT_BOOL* empty) override { return CoreIsEmpty(empty); }
    HRESULT Empty() override { return CoreEmpty(); }
    HRESULT GetAsText(BSTR* text) override { return CoreGetAsText(text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override { return CoreSetAsText(text, message); }
    HRESULT SerializeJSONObject(BSTR* json) override { return CoreSerializeJSON(json); }
    HRESULT DeserializeJSONObject(const OLECHAR* json) override { return CoreDeserializeJSON(json); }

    // IPersistStream
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return FrameSave(stream, clearDirty); }
    HRESULT Load(IStream* stream) override { return FrameLoad(stream); }
    HRESULT GetSizeMax(uint64_t* size) override { return CoreGetSizeMax(size); }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return FrameSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return FrameDeserialize(data); }

protected:
    GPVariableBase() = default;

private:
    IPersistStream* SelfPersist() override { return static_cast<IPersistStream*>(static_cast<Derived*>(this)); }
    const char16_t* SelfClassName() const override { return this->GetClassName(); }
};

} // namespace tavi
