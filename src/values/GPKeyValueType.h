// The key-value data type, which declares the keys of its values (name, data type, required flag), the name that
// stands for it in documents, and that name's pair of one declaration.
//
// Stream form of GPKeyValueTypeName: 16-bit version 1; the declaration count, 32-bit signed; per declaration in
// order its key as a foundation string, its data type's name as a nested object (none allowed) and its required flag,
// 16-bit (VARIANT_TRUE or VARIANT_FALSE; any other number is a damaged form). XML form: the object array
// "KeyValueTypeNamePairs" of GPKeyValueTypeNamePair elements, each with "Key" (string), "DataTypeName" (object) and
// "Required" (boolean). Both reads refuse a key declared twice and change nothing when they fail.
#pragma once

#include "host/DataTypeNameBase.h"
#include "host/GPDataType.h"
#include "host/String.h"
#include "tavi/GPKeyValue.h"
#include "tavi/Xml.h"

#include <functional>
#include <unordered_map>
#include <vector>

namespace tavi {

// IXMLVersionSupport's answer for the classes of the family, which older namespaces do not know: the current one.
HRESULT HandOutCurrentNamespace(BSTR* namespaceURI);

// The 64-bit FNV-1a hash of a text's UTF-16 code units, each as two bytes, low byte first.
struct KeyNameHash {
    using is_transparent = void; // looked up by text view, without a copy of the name
    size_t operator()(std::u16string_view name) const noexcept;
};

// One key: its name, its data type (may be none) and whether a value must give it one.
struct KeyDeclaration {
    String name;
    ComPtr<IGPDataType> dataType;
    bool required = false;
};

// The declarations in the order of addition, with an index from name to position (a hash map that never holds more
// entries than buckets) for the lookups by name that reading a key-value's text makes for every member.
class KeyDeclarations {
public:
    KeyDeclarations() { index_.max_load_factor(1.0f); }

    int32_t Count() const { return static_cast<int32_t>(keys_.size()); }
    bool IsIndex(int32_t index) const { return index >= 0 && index < Count(); }
    const KeyDeclaration& operator[](int32_t index) const { return keys_[static_cast<size_t>(index)]; }
    KeyDeclaration& operator[](int32_t index) { return keys_[static_cast<size_t>(index)]; }
    // The position of `name`, or -1.
    int32_t Find(std::u16string_view name) const;
    // Appends a declaration; false (and nothing added) when the name is already declared.
    bool Add(KeyDeclaration key);
    void RemoveAt(int32_t index);
    void Clear();

private:
    void Reindex();

    std::vector<KeyDeclaration> keys_;
    std::unordered_map<String, int32_t, KeyNameHash, std::equal_to<>> index_;
};

class GPKeyValueType final
    : public GPDataType<GPKeyValueType, IGPDataType, IClone, IGPKeyValueType, IGPKeyValueTypeIndex, IGPValueTableType,
                        IDocumentVersionSupport, IXMLVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPKeyValueType;
    static constexpr const char16_t* kClassName = u"GPKeyValueType";
    static constexpr int32_t kDisplayNameId = 4872;
    static constexpr CLSID kControlClassId{
        0xDA8EA072, 0xAD53, 0x11D5, {0xA6, 0x85, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    // The verdict code of a required key that holds no value.
    static constexpr int32_t kRequiredKeyNotSet = 1;
    GPKeyValueType();

    // IGPDataType. The full name is a GPKeyValueTypeName of the declarations. CreateValue gives a GPKeyValue with a
    // copy of this type, then reads the text (S_FALSE with the value when it could not). ValidateDataType accepts
    // another key-value type (the base's). ValidateValue: a value that is no key-value gets the base's value error;
    // otherwise a composite message of one message per declared key in order: the key's data type's verdict on its
    // value (with the composite domain's member at the key's position as its domain), or for a key without value an
    // error (code kRequiredKeyNotSet) when it is required and an empty message when it is not.
    HRESULT get_FullName(IName** fullName) override;
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override;
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;

    // IClone: the declarations, their data types shared (Assign) or compared by clone (IsEqual), then the base's.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPKeyValueType
    HRESULT get_Keys(IBStringArray** names) override;
    HRESULT AddKey(const OLECHAR* name, IGPDataType* dataType, VARIANT_BOOL required) override;
    HRESULT get_KeyDataType(const OLECHAR* name, IGPDataType** dataType) override;
    HRESULT RemoveKey(const OLECHAR* name) override;
    HRESULT RemoveAllKeys() override;
    HRESULT putref_KeyDataType(const OLECHAR* name, IGPDataType* dataType) override;
    HRESULT GetKeyIndex(const OLECHAR* name, int32_t* index) override;
    HRESULT get_KeyRequired(const OLECHAR* name, VARIANT_BOOL* required) override;
    HRESULT put_KeyRequired(const OLECHAR* name, VARIANT_BOOL required) override;

    // IGPKeyValueTypeIndex (get_Count and get_DataType serve IGPValueTableType too)
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Key(int32_t index, BSTR* name) override;
    HRESULT Find(const OLECHAR* name, int32_t* index) override;
    HRESULT RemoveKeyAt(int32_t index) override;
    HRESULT get_DataType(int32_t index, IGPDataType** dataType) override;
    HRESULT putref_DataType(int32_t index, IGPDataType* dataType) override;
    HRESULT get_Required(int32_t index, VARIANT_BOOL* required) override;
    HRESULT put_Required(int32_t index, VARIANT_BOOL required) override;

    // IGPValueTableType: one column per key. Keys have no width, read-only flag or editing control of their own: the
    // width is 0, the flag false (put_ReadOnly keeps nothing), the control the key data type's. AddDataType declares
    // an optional key named `displayName` (an empty one: the key count before it, in decimal); E_INVALIDARG for a
    // name already declared.
    HRESULT get_Width(int32_t index, int32_t* width) override;
    HRESULT get_DisplayName(int32_t index, BSTR* name) override;
    HRESULT AddDataType(IGPDataType* dataType, const OLECHAR* displayName, int32_t width, IUnknown* control) override;
    HRESULT RemoveDataType(int32_t index) override;
    HRESULT get_ControlCLSID(int32_t index, IUID** control) override;
    HRESULT put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) override;
    HRESULT get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) override;

    using GPDataType::get_ControlCLSID;
    using GPDataType::get_DisplayName;

    // IDocumentVersionSupport: documents before the current version do not know key-values; they get a string type.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IXMLVersionSupport: the current namespace.
    HRESULT get_MinNamespaceSupported(BSTR* namespaceURI) override;

    const KeyDeclarations& Keys() const { return keys_; }
    KeyDeclarations& Keys() { return keys_; }
    // A new key-value type holding the declarations of `source` (which must answer IGPKeyValueTypeIndex), or null.
    static ComPtr<GPKeyValueType> CopyOf(IUnknown* source);

private:
    // The position of a declared key, or -1 for a null or undeclared name.
    int32_t IndexOf(const OLECHAR* name) const { return name ? keys_.Find(name) : -1; }
    // A type cannot declare a key of its own type: its full name would hold itself without end.
    bool IsSelf(IGPDataType* dataType) { return dataType && SameObject(dataType, static_cast<IGPDataType*>(this)); }

    KeyDeclarations keys_;
};

class GPKeyValueTypeName final
    : public DataTypeNameBase<GPKeyValueTypeName, IName, IGPName, IGPDataTypeName, IGPKeyValueTypeName, IPersistStream,
                              Alias<IPersist, IPersistStream>, IDocumentVersionSupport, IXMLSerialize,
                              IXMLVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPKeyValueTypeName;
    static constexpr const char16_t* kClassName = u"GPKeyValueTypeName";
    static constexpr NameTexts kTexts{u"GPKeyValue", 4872, 4871, kDataTypeCategoryStringId};
    static constexpr uint16_t kStreamVersion = 1;

    // One declaration by name.
    struct Entry {
        String key;
        ComPtr<IGPName> dataTypeName;
        bool required = false;
    };

    // IName: a new key-value type with every declaration; a data type name that does not open leaves its key
    // without data type.
    HRESULT Open(IUnknown** type) override;

    // IGPKeyValueTypeName
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Pair(int32_t index, IGPKeyValueTypeNamePair** pair) override;
    HRESULT AddPair(IGPKeyValueTypeNamePair* pair) override;
    HRESULT RemovePair(int32_t index) override;
    HRESULT RemoveAllPairs() override;

    // IPersistStream and IXMLSerialize: the forms described at the top of this file.
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

    // IDocumentVersionSupport: documents before the current version get the name of a string type.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IXMLVersionSupport: the current namespace.
    HRESULT get_MinNamespaceSupported(BSTR* namespaceURI) override;

    // Appends a declaration; false when its key is already there.
    bool Add(Entry entry);

private:
    std::vector<Entry> entries_;
};

class GPKeyValueTypeNamePair final : public Object<GPKeyValueTypeNamePair, IGPKeyValueTypeNamePair, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_GPKeyValueTypeNamePair;
    static constexpr const char16_t* kClassName = u"GPKeyValueTypeNamePair";

    // IGPKeyValueTypeNamePair
    HRESULT get_Key(BSTR* key) override;
    HRESULT put_Key(const OLECHAR* key) override;
    HRESULT get_DataTypeName(IGPDataTypeName** name) override;
    HRESULT putref_DataTypeName(IUnknown* name) override;
    HRESULT get_Required(VARIANT_BOOL* required) override;
    HRESULT put_Required(VARIANT_BOOL required) override;

    // IXMLSerialize: "Key", "DataTypeName" (read with the type name "GPDataTypeName"), "Required". Reading needs the
    // key; the others may be left out (no data type name, not required).
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

    const GPKeyValueTypeName::Entry& Fields() const { return fields_; }
    void SetFields(GPKeyValueTypeName::Entry fields) { fields_ = std::move(fields); }

private:
    GPKeyValueTypeName::Entry fields_;
};

} // namespace tavi
