// The value base: what every value class shares (identities, the empty and dirty flags, data type creation,
// cloning, description, the JSON form, and the base part of the stream and XML forms).
//
// A value class lists its own interfaces, then ValueInterfaces:
//
//   class GPString final : public GPValue<GPString, IGPString, IGPVariant, ValueInterfaces> {
//   public:
//       GPString() : GPValue(kClassId, kDataTypeClassId) {}
//       ...
//   };
//
// and implements IsEmpty, Empty, GetAsText, SetAsText, Assign, IsEqual, Load, Save, Serialize and Deserialize,
// chaining to the protected base parts in this order:
//   Save:        write the 16-bit version, BaseSave, own fields, then ClearDirty() when asked;
//   Load:        read and check the version (E_FAIL above the newest), BaseLoad, own fields, ClearDirty();
//   Serialize:   put the type name and namespace (ValueNamespace()), BaseSerialize, stop when IsEmptyFlag(),
//                else own elements;
//   Deserialize: BaseDeserialize, stop (S_OK) when IsEmptyFlag(), else own elements;
//   Assign:      own fields from the source, then BaseAssign;  IsEqual: own fields, then BaseIsEqual;
//   every change of content ends with SetModified().
//
// Base parts:
//   stream  the empty flag, 16-bit (VARIANT_TRUE or VARIANT_FALSE);
//   XML     boolean element "IsEmpty" (absent reads as false: content follows); a document that says empty
//           empties the value through its own Empty(), so earlier content cannot survive behind the flag;
//   JSON    {"type": <class name>, "value": <text form>} with "value" null for an empty value. Reading takes a
//           string (or a number or boolean, by its JSON text) through SetAsText; null or a missing "value"
//           empties the value. Text that is not such an object gives E_INVALIDARG; a text the value cannot read
//           gives E_FAIL.
//   Describe answers "DataType" (the data type's name), "Value" (the text form) and "IsEmpty" (boolean), names
//           compared without regard to case; other names give S_FALSE and an empty variant.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

#include <initializer_list>

namespace tavi {

// The base's rows: IGPDescribe is implemented but not answered by the lookup. Rows may follow the group
// (GPValue<GPStringHidden, IGPStringHidden, IGPString, IGPVariant, ValueInterfaces, IDocumentVersionSupport>).
using ValueInterfaces =
    Rows<IGPValue, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>, Hidden<IGPDescribe>>;
// The same rows for values whose lookup answers IGPDescribe too.
using ValueInterfacesDescribed =
    Rows<IGPValue, IGPDescribe, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize>;

// Shared helpers of the bases.
// Creates an object of `clsid` (AfCreateInstance) and lets it Assign from `source`; the new object or nothing.
HRESULT CloneByClass(REFCLSID clsid, IClone* source, IClone** clone);
// The byte count `object`'s Save writes now (saved to a scratch memory stream; the dirty flag is left alone).
HRESULT SaveFormSize(IPersistStream* object, uint64_t* size);
// True when `object` answers one of `iids`.
bool AnswersAny(IUnknown* object, std::initializer_list<IID> iids);
// The current namespace of value XML forms.
const OLECHAR* ValueNamespace();
// Out variants of Describe.
HRESULT DescribeString(std::u16string_view text, VARIANT* value);
HRESULT DescribeUnknown(IUnknown* object, VARIANT* value);
HRESULT DescribeBool(bool flag, VARIANT* value);

// The non-template part of every value.
class GPValueCore {
public:
    // Marks the content changed: sets the dirty flag and clears the empty flag.
    void SetModified() {
        dirty_ = true;
        empty_ = VARIANT_FALSE;
    }
    bool IsEmptyFlag() const { return empty_ != VARIANT_FALSE; }
    void SetEmptyFlag(bool empty) { empty_ = empty ? VARIANT_TRUE : VARIANT_FALSE; }
    bool IsDirtyFlag() const { return dirty_; }
    void SetDirty() { dirty_ = true; }
    void ClearDirty() { dirty_ = false; }
    const CLSID& ValueClassId() const { return valueClassId_; }
    const CLSID& DataTypeClassId() const { return dataTypeClassId_; }

protected:
    GPValueCore(const CLSID& valueClassId, const CLSID& dataTypeClassId)
        : valueClassId_(valueClassId), dataTypeClassId_(dataTypeClassId) {}
    virtual ~GPValueCore() = default;

    // Base parts the value class chains to.
    HRESULT BaseEmpty();                                     // sets the empty and dirty flags
    HRESULT BaseAssign(IClone* source);                      // takes the source's emptiness; sets dirty
    HRESULT BaseIsEqual(IClone* other, VARIANT_BOOL* equal); // equal when both are empty or both are not
    HRESULT BaseSave(IStream* stream);
    HRESULT BaseLoad(IStream* stream);
    HRESULT BaseSerialize(IXMLSerializeData* data);
    HRESULT BaseDeserialize(IXMLSerializeData* data);

    // SetAsText's message: a new empty message in *message; E_POINTER for null, E_FAIL when it cannot be made.
    static HRESULT NewTextMessage(IGPMessage** message);

    // What the template's interface operations do.
    HRESULT CoreGetDataType(IGPDataType** dataType);
    HRESULT CoreDescribe(const OLECHAR* name, VARIANT* value);
    HRESULT CoreClone(IClone** clone);
    HRESULT CoreIsIdentical(IClone* other, VARIANT_BOOL* identical);
    HRESULT CoreGetSizeMax(uint64_t* size);
    HRESULT CoreSerializeJSON(BSTR* json);
    HRESULT CoreDeserializeJSON(const OLECHAR* json);

    // The object's own interfaces, supplied by the template.
    virtual IGPValue* SelfValue() = 0;
    virtual IClone* SelfClone() = 0;
    virtual IPersistStream* SelfPersist() = 0;
    virtual const char16_t* SelfClassName() const = 0;

private:
    CLSID valueClassId_;
    CLSID dataTypeClassId_;
    VARIANT_BOOL empty_ = VARIANT_TRUE;
    bool dirty_ = false;
};

template <class Derived, class... R> class GPValue : public Object<Derived, R...>, public GPValueCore {
public:
    // IGPValue (the rest is the value class's)
    HRESULT get_DataType(IGPDataType** dataType) override { return CoreGetDataType(dataType); }
    HRESULT SerializeJSONObject(BSTR* json) override { return CoreSerializeJSON(json); }
    HRESULT DeserializeJSONObject(const OLECHAR* json) override { return CoreDeserializeJSON(json); }

    // IGPDescribe
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override { return CoreDescribe(name, value); }

    // IClone (Assign and IsEqual are the value class's)
    HRESULT Clone(IClone** clone) override { return CoreClone(clone); }
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override { return CoreIsIdentical(other, identical); }

    // IPersistStream (Load and Save are the value class's)
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = ValueClassId();
        return S_OK;
    }
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT GetSizeMax(uint64_t* size) override { return CoreGetSizeMax(size); }

protected:
    GPValue(const CLSID& valueClassId, const CLSID& dataTypeClassId) : GPValueCore(valueClassId, dataTypeClassId) {}

private:
    Derived* Self() { return static_cast<Derived*>(this); }
    IGPValue* SelfValue() override { return static_cast<IGPValue*>(Self()); }
    IClone* SelfClone() override { return static_cast<IClone*>(Self()); }
    IPersistStream* SelfPersist() override { return static_cast<IPersistStream*>(Self()); }
    const char16_t* SelfClassName() const override { return this->GetClassName(); }
};

} // namespace tavi
