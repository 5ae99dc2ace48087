// The multi-value: an ordered list of values of one member data type, read from and written as "a;'b c';x" (the
// grammar of host/MultiValueText.h), each member made by the member data type from its text. It also presents itself
// as a value table of one column and as a value expression whose members may be model variables.
//
// Stream form (version 1): the base part; the member data type's full name as a nested object (none without a member
// type); the member count, 32-bit; each member as a nested object. XML form: "MemberDataType" (the member type's
// name, found again among the data type factory's names) and "Values" (the members as an object array).
#pragma once

#include "host/GPValue.h"
#include "host/MultiValueText.h"
#include "tavi/GPComposite.h"

#include <vector>

namespace tavi {

class GPMultiValue final
    : public GPValue<GPMultiValue, ValueInterfacesDescribed, IGPMultiValue, IGPValueTable, IGPValueExpression> {
public:
    static constexpr CLSID kClassId = CLSID_GPMultiValue;
    static constexpr const char16_t* kClassName = u"GPMultiValue";
    static constexpr uint16_t kStreamVersion = 1;
    // The message code of a member that cannot be made from its text.
    static constexpr int32_t kMemberNotMade = 818;

    GPMultiValue() : GPValue(kClassId, CLSID_GPMultiValueType) {}

    // IGPValue
    HRESULT get_DataType(IGPDataType** dataType) override; // a multi-value type with this list's member type
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;         // true exactly when the list has no members
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPMultiValue
    HRESULT get_Value(int32_t index, IGPValue** value) override;
    HRESULT get_Values(IEnumGPValue** values) override;
    HRESULT putref_MemberDataType(IGPDataType* dataType) override;
    HRESULT get_MemberDataType(IGPDataType** dataType) override;
    HRESULT get_Count(int32_t* count) override;
    HRESULT AddValue(IGPValue* value) override;
    HRESULT InsertValue(int32_t index, IGPValue* value) override;
    HRESULT RemoveValue(IGPValue* value) override; // IGPValueTable's too
    HRESULT Remove(int32_t index) override;
    HRESULT Replace(int32_t index, IGPValue* value) override;

    // IGPValueTable: one column (the member type), one record per member.
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

    // IGPValueExpression
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override;
    HRESULT put_Resolved(VARIANT_BOOL resolved) override;
    HRESULT ResolveValue(IGPVariableManager* manager, IGPValue** resolved) override;
    HRESULT GetVariableNames(IUnknown** names) override;
    HRESULT get_Variables(IArray** variables) override;
    HRESULT putref_Variables(IArray* variables) override;
    HRESULT GetAsText(IGPVariableManager* manager, BSTR* text) override;

private:
    // A member, with the stored text of a plain string member found when it joins the list: writing a long list
    // then reads each plain string's text without asking the member for it (the text's place lives as long as the
    // member, which the list holds).
    class Member {
    public:
        Member(ComPtr<IGPValue> value = {});
        Member(IGPValue* value) : Member(ComPtr<IGPValue>(value)) {}
        IGPValue* Get() const { return value_.Get(); }
        const ComPtr<IGPValue>& Value() const { return value_; }
        const String* StoredText() const { return stored_; }

    private:
        ComPtr<IGPValue> value_;
        const String* stored_ = nullptr;
    };

    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < members_.size(); }
    // The list's text; with `variableNames`, a member that is a model variable is written as its name.
    String ListText(bool variableNames) const;
    // Reads the members of a text of `form` (not empty) in place of the list's; the message says which member failed
    // (the members before it make the list).
    HRESULT ReadMembers(std::u16string_view text, multivaluetext::Form form, IGPMessage* message);
    // Makes a member of the member type from its text and appends it to `read`; false when it cannot be made.
    bool AppendMemberFromText(const String& text, std::vector<Member>& read) const;
    // The first element of a record as a value (null for an empty or missing record).
    static ComPtr<IGPValue> RecordValue(IArray* record);

    ComPtr<IGPDataType> member_;
    std::vector<Member> members_;
    VARIANT_BOOL resolved_ = VARIANT_FALSE;
};

} // namespace tavi
