// The key-value: one value per key that its data type (a private copy of a GPKeyValueType) declares, read from and
// written as a JSON object; and the pair of a key and its value that its XML form is written with.
//
// Text form. GetAsText gives the empty text when no key holds a value; otherwise one JSON object whose members are
// the keys that hold a value, in declaration order, each written by its value's kind: a nested key-value as an
// object; a multi-value as an array of its non-empty members; another value table as an array of records, each an
// array of its cells (null for an empty cell); a long, double or boolean as a JSON number or true/false; any other
// value, an empty one, and a double that is not finite (JSON has no such number) as a string holding its text.
// SetAsText reads such an object into a new set of values and takes it only when the whole text was read, so a text
// that fails changes nothing:
//   - text that is no JSON object is trimmed of blanks, tabs, CR and LF: nothing left empties the value; "#" keeps
//     the values as they are ("no change") and succeeds when every required key holds a value; anything else fails;
//   - a JSON object replaces every value: a member whose name is not declared is skipped; a declared key takes a
//     value made by its data type: an object for a key-value type (a nested key-value, its required keys enforced
//     too), an array for a multi-value type (members made by the member type, null members left out), an array of
//     arrays for a value table type (one record per array, each cell made by its column's type), a string, number or
//     boolean given as text to CreateValue (a string's content, a number's or boolean's JSON text; a string holding
//     U+0000 cannot be read); null leaves the key without value. Keys the object does not name hold no value
//     afterwards.
//   - a member that cannot be read, a text that is not an object, and JSON nested deeper than kMaxDepth levels (each
//     object or array is one level; the outer object is the first) fail with E_FAIL and an error message of code
//     kMemberNotRead naming the data type's display name; a required key left without value fails with E_FAIL and
//     an error message of code E_FAIL, "All required keys are not set".
// The text a key-value writes is nested at most kMaxDepth levels too: GetAsText fails (E_FAIL) beyond, so that every
// text written can be read back.
//
// Stream form (version 1): the base part; the data type's full name (a GPKeyValueTypeName) as a nested object; the
// key count, 32-bit signed; per key in declaration order its name (foundation string) and its value as a nested
// object (none allowed). Reading refuses a count outside 0..the declared key count and a key name that the read
// type does not declare or that comes twice. XML form: "Type" (the full name as an object) and "KeyValuePairs" (an
// object array of GPKeyValuePair, one per key that holds a value); the type is written even when no key holds a
// value, so that the declarations survive the round trip.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPKeyValue.h"
#include "tavi/Xml.h"
#include "values/GPKeyValueType.h"

#include <vector>

namespace tavi {

class GPKeyValue final : public GPValue<GPKeyValue, ValueInterfacesDescribed, IGPKeyValue, IGPKeyValueIndex,
                                        IGPValueTable, IDocumentVersionSupport, IXMLVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPKeyValue;
    static constexpr const char16_t* kClassName = u"GPKeyValue";
    static constexpr uint16_t kStreamVersion = 1;
    // The message code of a text or member that cannot be read.
    static constexpr int32_t kMemberNotRead = 888;
    // The deepest nesting of objects and arrays that the text form reads and writes.
    static constexpr int kMaxDepth = 200;

    GPKeyValue();

    // IGPValue
    HRESULT get_DataType(IGPDataType** dataType) override; // a copy of the value's data type
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;         // true exactly when no key holds a value
    HRESULT Empty() override;                              // every key without value; the keys stay
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the data type's declarations and a clone of each value, then the base's.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPKeyValue
    HRESULT putref_DataType(IGPDataType* dataType) override;
    HRESULT get_Keys(IBStringArray** names) override;
    HRESULT get_Value(const OLECHAR* key, IGPValue** value) override;
    HRESULT putref_Value(const OLECHAR* key, IGPValue* value) override;
    HRESULT RemoveKeyValue(const OLECHAR* key) override;

    // IGPKeyValueIndex
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Key(int32_t index, BSTR* name) override;
    HRESULT get_Value(int32_t index, IGPValue** value) override;
    HRESULT putref_Value(int32_t index, IGPValue* value) override;
    HRESULT RemoveValueAt(int32_t index) override;
    HRESULT Find(const OLECHAR* name, int32_t* index) override;

    // IGPValueTable: one column per key and, while there is a key, one record (row 0) of the key values. AddDataType
    // declares an optional key named by the key count before it (E_INVALIDARG when that name is taken); RemoveDataType
    // takes the key and its value away. A key-value always has exactly its one record, so AddRecord and InsertRecord
    // give E_NOTIMPL; every other row than 0 gives E_INVALIDARG. ReplaceRecord(0) sets every key from the record's
    // elements in order (a missing element: no value); RemoveRecord(0) empties the value; RemoveValue leaves the key
    // holding that very object without value (E_FAIL when none does).
    HRESULT get_DataTypeCount(int32_t* count) override;
    HRESULT get_DataType(int32_t index, IGPDataType** dataType) override;
    HRESULT AddDataType(IGPDataType* dataType) override;
    HRESULT RemoveDataType(int32_t index) override;
    HRESULT get_RecordCount(int32_t* count) override;
    HRESULT GetValue(int32_t row, int32_t column, IGPValue** value) override;
    HRESULT SetValue(int32_t row, int32_t column, IGPValue* value) override;
    HRESULT AddRecord(IArray* record) override;
    HRESULT InsertRecord(int32_t index, IArray* record) override;
    HRESULT ReplaceRecord(int32_t index, IArray* record) override;
    HRESULT RemoveRecord(int32_t index) override;
    HRESULT GetRecord(int32_t index, IArray** record) override;
    HRESULT RemoveValue(IGPValue* value) override;

    // IDocumentVersionSupport: documents before the current version get a GPString holding the text form.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IXMLVersionSupport: the current namespace.
    HRESULT get_MinNamespaceSupported(BSTR* namespaceURI) override;

    const KeyDeclarations& Keys() const { return type_->Keys(); }
    // The values, one per declared key (null: none).
    const std::vector<ComPtr<IGPValue>>& Values() const { return values_; }
    // Takes `values` (one per declared key) as the content.
    void TakeValues(std::vector<ComPtr<IGPValue>> values);

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeBase(IXMLSerializeData* data, bool* contentFollows) override;
    HRESULT DeserializeBase(IXMLSerializeData* data, bool* contentFollows) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // Takes a copy of `type`'s declarations, keeping the values of the keys it still declares.
    HRESULT AdoptType(IUnknown* type);
    // Marks the content changed; the empty flag follows whether a key holds a value.
    void Changed();
    bool AnyValue() const;
    // Makes `message` the error of a text that cannot be read (code kMemberNotRead) and answers E_FAIL.
    HRESULT FailNotRead(IGPMessage* message) const;
    HRESULT StoreAt(int32_t index, IGPValue* value);

    ComPtr<GPKeyValueType> type_;
    std::vector<ComPtr<IGPValue>> values_;
};

class GPKeyValuePair final : public Object<GPKeyValuePair, IGPKeyValuePair, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_GPKeyValuePair;
    static constexpr const char16_t* kClassName = u"GPKeyValuePair";

    // IGPKeyValuePair
    HRESULT get_Key(BSTR* key) override;
    HRESULT put_Key(const OLECHAR* key) override;
    HRESULT get_Value(IGPValue** value) override;
    HRESULT putref_Value(IGPValue* value) override;

    // IXMLSerialize: "Key" (string, needed when reading) and "Value" (the value as an object, read with the type name
    // "GPValue"; none allowed).
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    String key_;
    ComPtr<IGPValue> value_;
};

} // namespace tavi
