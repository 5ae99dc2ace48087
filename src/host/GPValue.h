// The value base: what every value class shares (identities, the empty flag, data type creation, cloning,
// description, the JSON form), on the persistence frame of values and domains (host/PersistFrame.h: the version, the
// dirty flag, transactional reads).
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
// The frame runs Save, Load, Serialize and Deserialize around those hooks (see PersistFrame.h); the value's base
// parts sit between the version and the content, the XML type name is the class name, and the XML content is
// written and read only when the value is not empty. Load and Deserialize stage on another object of the class and
// commit through the class's Assign, so a read that fails part-way changes nothing; the hooks need no care for it.
// A class whose form needs another order may still override the interface operation, and says why. The class itself
// keeps: Assign (own fields from the source, then BaseAssign), IsEqual (own fields, then BaseIsEqual), Empty (own
// fields, then BaseEmpty); every change of content ends with SetModified(). Helpers for the rest: SetAsTextWith
// gives SetAsText its usual shape (the class supplies only the reading of a non-empty text), ConvertVariant is
// IGPVariant::put_Value's conversion, and SupportedFromVersion and PlainStringReplacement answer
// IDocumentVersionSupport for a value that older documents do not know.
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

#include "host/PersistFrame.h"
#include "host/String.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

#include <initializer_list>
#include <optional>
#include <type_traits>

namespace tavi {

// The base's rows: IGPDescribe is implemented but not answered by the lookup. Rows may follow the group
// (GPValue<GPStringHidden, IGPStringHidden, IGPString, IGPVariant, ValueInterfaces, IDocumentVersionSupport>).
using ValueInterfaces =
    Rows<IGPValue, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>, Hidden<IGPDescribe>>;
// The same rows for values whose lookup answers IGPDescribe too.
using ValueInterfacesDescribed =
    Rows<IGPValue, IGPDescribe, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize>;

// The stored text of the library's own plain string value, without a copy: for code that compares one text with
// many string values (a coded value domain's membership walk, a list writing its members). The identifier is the
// library's own and never published, so only GPString answers it and any other object refuses it.
struct IStoredText : IUnknown {
    static constexpr IID iid{0x2697E517, 0x8E31, 0x5074, {0xB7, 0x98, 0x5C, 0x36, 0x3B, 0x55, 0x80, 0x48}};
    // Valid while the object lives and its text is not changed.
    virtual const String& StoredText() const = 0;
};

// Hands `use` the text a list writes for `member` (a std::optional<std::u16string_view>, valid during the call):
// none for a missing member; with `variableNames`, a model variable's name; a plain string's stored text without a
// copy; any other member's own text.
template <class Use> void UseMemberText(IGPValue* member, bool variableNames, Use&& use) {
    if (!member) {
        use(std::nullopt);
        return;
    }
    BStr text;
    if (variableNames)
        if (auto variable = QueryAs<IGPVariable>(member)) {
            variable->get_Name(text.Out());
            use(std::optional<std::u16string_view>(text.view()));
            return;
        }
    if (auto stored = QueryAs<IStoredText>(member)) {
        use(std::optional<std::u16string_view>(stored->StoredText()));
        return;
    }
    member->GetAsText(text.Out());
    use(std::optional<std::u16string_view>(text.view()));
}

// Shared helpers of the bases.
// Creates an object of `clsid` (AfCreateInstance) and lets it Assign from `source`; the new object or nothing.
HRESULT CloneByClass(REFCLSID clsid, IClone* source, IClone** clone);
// The byte count `object`'s Save writes now (saved to a scratch memory stream; the dirty flag is left alone).
HRESULT SaveFormSize(IPersistStream* object, uint64_t* size);
// True when `object` answers one of `iids`.
bool AnswersAny(IUnknown* object, std::initializer_list<IID> iids);
// True when both are null, or both answer IClone and `a` finds `b` equal (IsEqual); false otherwise.
bool EqualByClone(IUnknown* a, IUnknown* b);
// A new copy of `object` through its IClone, asked for I: E_NOINTERFACE for an object without IClone, the clone's
// failure, E_FAIL for a copy that does not answer I. `copy` is set only on success, so it may hold `object`.
template <class I> HRESULT CloneAs(IUnknown* object, ComPtr<I>& copy) {
    auto clonable = QueryAs<IClone>(object);
    if (!clonable)
        return E_NOINTERFACE;
    ComPtr<IClone> made;
    if (HRESULT hr = clonable->Clone(made.Out()); FAILED(hr))
        return hr;
    ComPtr<I> typed = made.template As<I>();
    if (!typed)
        return E_FAIL;
    copy = std::move(typed);
    return S_OK;
}
// A copy of `object` when it answers IClone, else `object` itself shared (null stays null). As CloneAs, `result`
// is set only on success and may hold `object`.
template <class I> HRESULT CloneOrShare(I* object, ComPtr<I>& result) {
    if (!object || !QueryAs<IClone>(object)) {
        result = ComPtr<I>(object);
        return S_OK;
    }
    return CloneAs(object, result);
}
// The current namespace of value XML forms.
const OLECHAR* ValueNamespace();
// Out variants of Describe.
HRESULT DescribeString(std::u16string_view text, VARIANT* value);
HRESULT DescribeUnknown(IUnknown* object, VARIANT* value);
HRESULT DescribeBool(bool flag, VARIANT* value);
HRESULT DescribeInteger(int32_t number, VARIANT* value);
// The base names of Describe for any value: "DataType" (its data type's name; S_FALSE and an empty variant for a
// value without a data type), "Value" (the text form) and "IsEmpty" (boolean), compared without regard to case.
// Other names give S_FALSE and an empty variant, so that a class can answer its own names first or after.
HRESULT DescribeValueBase(IGPValue* self, std::u16string_view name, VARIANT* value);
// IDocumentVersionSupport::IsSupportedAtVersion of a class that documents before `firstVersion` do not know.
HRESULT SupportedFromVersion(int32_t firstVersion, int32_t docVersion, VARIANT_BOOL* supported);
// IDocumentVersionSupport of a class that documents of every version know: supported everywhere, and the object
// itself (`self`) as its own replacement.
HRESULT SupportedAtEveryVersion(VARIANT_BOOL* supported);
HRESULT SelfAsSupportedObject(IUnknown* self, IUnknown** replacement);
// IGPValueExpression of a value whose text names no model variables: always resolved, resolving gives a clone of
// `self` (no value when the clone cannot be made), no variable names or variables.
HRESULT ResolvedWithoutVariables(VARIANT_BOOL* resolved);
HRESULT ResolveAsClone(IClone* self, IGPValue** resolved);
// The replacement a value gives documents that do not know it: a new GPString holding `text` in *replacement, or
// null (and S_OK) when it cannot be made.
HRESULT PlainStringReplacement(std::u16string_view text, IUnknown** replacement);
// `in` converted to `kind` in the user default locale (VariantChangeTypeEx) into `out`; E_FAIL for VT_NULL and for
// any conversion that fails or gives another kind.
HRESULT ConvertVariant(const VARIANT& in, VARTYPE kind, Variant& out);

// Reads one field of `source` through its interface I with the operation `get`: false when `source` does not
// answer I or the read fails. A BSTR field arrives as a String.
template <class I, class T, class Field> bool ReadThrough(IUnknown* source, HRESULT (I::*get)(T*), Field& field) {
    auto other = QueryAs<I>(source);
    if (!other)
        return false;
    if constexpr (std::is_same_v<T, BSTR>) {
        BStr text;
        if (FAILED((other.Get()->*get)(text.Out())))
            return false;
        field = text.str();
    } else {
        T value{};
        if (FAILED((other.Get()->*get)(&value)))
            return false;
        field = value;
    }
    return true;
}

// The non-template part of every value.
class GPValueCore : public PersistFrame {
public:
    // Marks the content changed: sets the dirty flag and clears the empty flag.
    void SetModified() {
        SetDirty();
        empty_ = VARIANT_FALSE;
    }
    bool IsEmptyFlag() const { return empty_ != VARIANT_FALSE; }
    void SetEmptyFlag(bool empty) { empty_ = empty ? VARIANT_TRUE : VARIANT_FALSE; }
    const CLSID& ValueClassId() const { return valueClassId_; }
    const CLSID& DataTypeClassId() const { return dataTypeClassId_; }

protected:
    GPValueCore(const CLSID& valueClassId, const CLSID& dataTypeClassId)
        : valueClassId_(valueClassId), dataTypeClassId_(dataTypeClassId) {}

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

    // The usual shapes of a value whose content is read through its own interface, so that a value class writes
    // only what is its own:
    //   Assign:    the source's field through `get` (E_INVALIDARG when the source does not answer it), handed to
    //              `store`, then the base part;
    //   IsEqual:   false (S_OK) unless the other answers `get` and `same(field)` holds, then the base part;
    //   IGPVariant::put_Value: the variant converted to `kind` in the user's locale (E_FAIL for VT_NULL and a failed
    //              conversion), handed to `put`.
    template <class I, class T, class Store>
    HRESULT AssignThrough(IClone* source, HRESULT (I::*get)(T*), Store&& store) {
        return guard([&]() -> HRESULT {
            FieldOf<T> field{};
            if (!ReadThrough(source, get, field))
                return E_INVALIDARG;
            if constexpr (std::is_void_v<std::invoke_result_t<Store, FieldOf<T>&&>>)
                store(std::move(field));
            else if (HRESULT hr = store(std::move(field)); FAILED(hr))
                return hr;
            return BaseAssign(source);
        });
    }
    template <class I, class T, class Same>
    HRESULT IsEqualThrough(IClone* other, VARIANT_BOOL* equal, HRESULT (I::*get)(T*), Same&& same) {
        if (!other || !equal)
            return E_POINTER;
        *equal = VARIANT_FALSE;
        return guard([&]() -> HRESULT {
            FieldOf<T> field{};
            if (!ReadThrough(other, get, field) || !same(field))
                return S_OK;
            return BaseIsEqual(other, equal);
        });
    }
    template <class Put> static HRESULT PutVariantAs(const VARIANT& value, VARTYPE kind, Put&& put) {
        return guard([&]() -> HRESULT {
            Variant converted;
            if (FAILED(ConvertVariant(value, kind, converted)))
                return E_FAIL;
            return put(converted);
        });
    }

    // The frame's hooks that every value answers alike: the XML type name is the class name, the base parts are the
    // empty flag.
    const OLECHAR* XmlTypeName() const override { return SelfClassName(); }
    HRESULT SaveBase(IStream* stream) override;
    HRESULT LoadBase(IStream* stream) override;
    HRESULT SerializeBase(IXMLSerializeData* data, bool* contentFollows) override;
    HRESULT DeserializeBase(IXMLSerializeData* data, bool* contentFollows) override;

    // What the template's interface operations do.
    HRESULT CoreGetDataType(IGPDataType** dataType);
    HRESULT CoreDescribe(const OLECHAR* name, VARIANT* value);
    HRESULT CoreClone(IClone** clone);
    HRESULT CoreIsIdentical(IClone* other, VARIANT_BOOL* identical);
    HRESULT CoreGetSizeMax(uint64_t* size);
    HRESULT CoreSerializeJSON(BSTR* json);
    HRESULT CoreDeserializeJSON(const OLECHAR* json);
    HRESULT CoreIsEmpty(VARIANT_BOOL* empty);

    // The object's own interfaces, supplied by the template.
    virtual IGPValue* SelfValue() = 0;
    virtual IClone* SelfClone() = 0;
    virtual IPersistStream* SelfPersist() = 0;
    virtual const char16_t* SelfClassName() const = 0;

private:
    // The type a field read through an interface is kept in: a String for a BSTR, else the type itself.
    template <class T> using FieldOf = std::conditional_t<std::is_same_v<T, BSTR>, String, T>;

    CLSID valueClassId_;
    CLSID dataTypeClassId_;
    VARIANT_BOOL empty_ = VARIANT_TRUE;
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
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return FrameSave(stream, clearDirty); }
    HRESULT Load(IStream* stream) override { return FrameLoad(stream); }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return FrameSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return FrameDeserialize(data); }

protected:
    GPValue(const CLSID& valueClassId, const CLSID& dataTypeClassId) : GPValueCore(valueClassId, dataTypeClassId) {}

private:
    Derived* Self() { return static_cast<Derived*>(this); }
    IGPValue* SelfValue() override { return static_cast<IGPValue*>(Self()); }
    IClone* SelfClone() override { return static_cast<IClone*>(Self()); }
    IPersistStream* SelfPersist() override { return static_cast<IPersistStream*>(Self()); }
    const char16_t* SelfClassName() const override { return this->GetClassName(); }
    uint16_t NewestStreamVersion() const override { return Derived::kStreamVersion; }
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override {
        return StageRead(Self(), fromCurrent, read);
    }
};

} // namespace tavi
