// The value base: what every value class shares (identities, the empty and dirty flags, data type creation,
// cloning, description, the JSON form, and the frame of the stream and XML forms).
//
// A value class lists its own interfaces, then ValueInterfaces, and writes only what is its own: its fields' stream
// and XML forms, its text grammar, and Assign/IsEqual of its fields. GPLong, in short:
//
//   class GPLong final : public GPValue<GPLong, IGPLong, IGPVariant, ValueInterfaces> {
//   public:
//       static constexpr uint16_t kStreamVersion = 2; // the newest stream version it reads
//       GPLong() : GPValue(kClassId, CLSID_GPLongType) {}
//       // its interface, Empty, GetAsText, SetAsText (through SetAsTextWith), Assign, IsEqual, and:
//   private:
//       int32_t SaveVersionFor(IStream* stream) override;                 // 1 or 2 by document version
//       HRESULT SaveContent(IStream* stream, uint16_t version) override;  // the 32- or 64-bit number
//       HRESULT LoadContent(IStream* stream, uint16_t version) override;
//       HRESULT SerializeContent(IXMLSerializeData* data) override;       // "Value" or "Value64"
//       HRESULT DeserializeContent(IXMLSerializeData* data) override;
//   };
//
// The template implements the rest around those hooks:
//   Save:        SaveVersionFor (the newest by default; -1 writes nothing and succeeds; any other version outside
//                1..kStreamVersion fails, nothing written), the 16-bit version, the base part, SaveContent, then
//                ClearDirty() when asked;
//   Load:        the version (E_FAIL above kStreamVersion), the base part, LoadContent, ClearDirty();
//   Serialize:   XmlTypeName (the class name) and XmlTypeNamespace (ValueNamespace()), the base part, stop when
//                IsEmptyFlag(), else SerializeContent;
//   Deserialize: the base part, stop (S_OK) when IsEmptyFlag(), else DeserializeContent;
//   IsEmpty:     the empty flag (a class whose emptiness is its content overrides it).
// Every failure of the stream form is E_FAIL. A class whose form needs another order may still override the
// interface operation, and says why. The class itself keeps: Assign (own fields from the source, then BaseAssign),
// IsEqual (own fields, then BaseIsEqual), Empty (own fields, then BaseEmpty); every change of content ends with
// SetModified(). Helpers for the rest: SetAsTextWith gives SetAsText its usual shape (the class supplies only the
// reading of a non-empty text), ConvertVariant is IGPVariant::put_Value's conversion, and SupportedFromVersion and
// PlainStringReplacement answer IDocumentVersionSupport for a value that older documents do not know.
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
#include "platform/BStr.h"
#include "platform/ComPtr.h"
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
// IDocumentVersionSupport::IsSupportedAtVersion of a class that documents before `firstVersion` do not know.
HRESULT SupportedFromVersion(int32_t firstVersion, int32_t docVersion, VARIANT_BOOL* supported);
// The replacement a value gives documents that do not know it: a new GPString holding `text` in *replacement, or
// null (and S_OK) when it cannot be made.
HRESULT PlainStringReplacement(std::u16string_view text, IUnknown** replacement);
// `in` converted to `kind` in the user default locale (VariantChangeTypeEx) into `out`; E_FAIL for VT_NULL and for
// any conversion that fails or gives another kind.
HRESULT ConvertVariant(const VARIANT& in, VARTYPE kind, Variant& out);

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

    // SetAsText's message: a new empty message in *message; E_POINTER for null, E_FAIL when it cannot be made.
    static HRESULT NewTextMessage(IGPMessage** message);
    // Makes `message` an error with `code`; E_FAIL when it cannot.
    static HRESULT MakeTextError(IGPMessage* message, int32_t code);

    // The usual SetAsText: a new message; the null or empty text empties the value; any other text goes to
    // `read(std::u16string_view)`, which stores it and answers true, or answers false to make the message an error
    // with `errorCode` (the value then as `read` left it), or with kRefuseText to fail the call with E_FAIL. The
    // message is handed out only with S_OK; E_FAIL when it cannot be made or made an error.
    static constexpr int32_t kRefuseText = 0;
    template <class Read>
    HRESULT SetAsTextWith(const OLECHAR* text, IGPMessage** message, int32_t errorCode, Read&& read) {
        if (HRESULT hr = ClearOut(message); FAILED(hr))
            return hr;
        return guard([&]() -> HRESULT {
            ComPtr<IGPMessage> made;
            if (HRESULT hr = NewTextMessage(made.Out()); FAILED(hr))
                return hr;
            if (!text || !*text)
                SelfValue()->Empty();
            else if (!read(std::u16string_view(text)) &&
                     (errorCode == kRefuseText || FAILED(MakeTextError(made.Get(), errorCode))))
                return E_FAIL;
            *message = made.Detach();
            return S_OK;
        });
    }

    // The hooks of the stream and XML forms (see the head of this file).
    // The newest stream version the class writes and reads: its kStreamVersion, supplied by the template.
    virtual uint16_t NewestStreamVersion() const = 0;
    // The version Save writes to `stream`: the newest by default. -1 writes nothing and succeeds; any other version
    // outside 1..NewestStreamVersion() fails with nothing written (a value the stream's form cannot hold).
    virtual int32_t SaveVersionFor(IStream* stream);
    // The own fields in the stream form of `version`, after the version and the base part.
    virtual HRESULT SaveContent(IStream* stream, uint16_t version) = 0;
    // Reads the own fields of the stream form of `version` (at most NewestStreamVersion()).
    virtual HRESULT LoadContent(IStream* stream, uint16_t version) = 0;
    // The XML type name and namespace.
    virtual const OLECHAR* XmlTypeName() const { return SelfClassName(); }
    virtual String XmlTypeNamespace() const { return ValueNamespace(); }
    // The own XML elements, written or read only when the value is not empty.
    virtual HRESULT SerializeContent(IXMLSerializeData* data) = 0;
    virtual HRESULT DeserializeContent(IXMLSerializeData* data) = 0;

    // What the template's interface operations do.
    HRESULT CoreGetDataType(IGPDataType** dataType);
    HRESULT CoreDescribe(const OLECHAR* name, VARIANT* value);
    HRESULT CoreClone(IClone** clone);
    HRESULT CoreIsIdentical(IClone* other, VARIANT_BOOL* identical);
    HRESULT CoreGetSizeMax(uint64_t* size);
    HRESULT CoreSerializeJSON(BSTR* json);
    HRESULT CoreDeserializeJSON(const OLECHAR* json);
    HRESULT CoreIsEmpty(VARIANT_BOOL* empty);
    HRESULT CoreSave(IStream* stream, int32_t clearDirty);
    HRESULT CoreLoad(IStream* stream);
    HRESULT CoreSerialize(IXMLSerializeData* data);
    HRESULT CoreDeserialize(IXMLSerializeData* data);

    // The object's own interfaces, supplied by the template.
    virtual IGPValue* SelfValue() = 0;
    virtual IClone* SelfClone() = 0;
    virtual IPersistStream* SelfPersist() = 0;
    virtual const char16_t* SelfClassName() const = 0;

private:
    // The base parts of the stream and XML forms, which the frame writes and reads around the class's own.
    HRESULT BaseSave(IStream* stream);
    HRESULT BaseLoad(IStream* stream);
    HRESULT BaseSerialize(IXMLSerializeData* data);
    HRESULT BaseDeserialize(IXMLSerializeData* data);

    CLSID valueClassId_;
    CLSID dataTypeClassId_;
    VARIANT_BOOL empty_ = VARIANT_TRUE;
    bool dirty_ = false;
};

template <class Derived, class... R> class GPValue : public Object<Derived, R...>, public GPValueCore {
public:
    // IGPValue (the rest is the value class's)
    HRESULT IsEmpty(VARIANT_BOOL* empty) override { return CoreIsEmpty(empty); }
    HRESULT get_DataType(IGPDataType** dataType) override { return CoreGetDataType(dataType); }
    HRESULT SerializeJSONObject(BSTR* json) override { return CoreSerializeJSON(json); }
    HRESULT DeserializeJSONObject(const OLECHAR* json) override { return CoreDeserializeJSON(json); }

    // IGPDescribe
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override { return CoreDescribe(name, value); }

    // IClone (Assign and IsEqual are the value class's)
    HRESULT Clone(IClone** clone) override { return CoreClone(clone); }
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override { return CoreIsIdentical(other, identical); }

    // IPersistStream
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = ValueClassId();
        return S_OK;
    }
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT GetSizeMax(uint64_t* size) override { return CoreGetSizeMax(size); }
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return CoreSave(stream, clearDirty); }
    HRESULT Load(IStream* stream) override { return CoreLoad(stream); }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return CoreSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return CoreDeserialize(data); }

protected:
    GPValue(const CLSID& valueClassId, const CLSID& dataTypeClassId) : GPValueCore(valueClassId, dataTypeClassId) {}

private:
    Derived* Self() { return static_cast<Derived*>(this); }
    IGPValue* SelfValue() override { return static_cast<IGPValue*>(Self()); }
    IClone* SelfClone() override { return static_cast<IClone*>(Self()); }
    IPersistStream* SelfPersist() override { return static_cast<IPersistStream*>(Self()); }
    const char16_t* SelfClassName() const override { return this->GetClassName(); }
    uint16_t NewestStreamVersion() const override { return Derived::kStreamVersion; }
};

} // namespace tavi
