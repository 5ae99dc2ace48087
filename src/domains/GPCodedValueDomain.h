// The coded value domain (a list of codes, each a value with the name a user sees, that a value must be one of) and
// the property object that stands for one code in the domain's XML form.
#pragma once

#include "host/GPDomain.h"
#include "host/String.h"
#include "tavi/GPDomains.h"
#include "tavi/Xml.h"

#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace tavi {

struct IStoredText;

namespace codedvalue {

// The order of code names: unit by unit (UTF-16 code units), each unit lowered the way the C runtime lowers a
// single character in its default locale (A-Z only; every other unit compares as it is); the first differing unit
// decides and a prefix sorts first. Names that compare equal are one name for every look-up. Negative, zero or
// positive, as a three-way comparison.
int CompareNames(std::u16string_view a, std::u16string_view b);

struct NameLess {
    bool operator()(std::u16string_view a, std::u16string_view b) const { return CompareNames(a, b) < 0; }
};

// The first character of the C runtime's current locale decimal point, read now.
char16_t CurrentLocaleDecimalSeparator();
// The process's decimal separator: CurrentLocaleDecimalSeparator() as it was on first use, kept for the life of
// the process (a later change of the C locale does not change how names are stored).
char16_t ProcessDecimalSeparator();
// Makes ProcessDecimalSeparator() answer `separator` (0: the process's own again), so that both kinds of locale can
// be exercised in one process.
void SetDecimalSeparatorForTesting(char16_t separator);

// The name a code is stored under: with a comma decimal separator, a plain decimal number written with a point
// (ASCII digits, an optional leading minus, exactly one point that is neither the first nor the last character)
// gets a comma instead, so that it reads as the user of that locale writes it; every other name is kept as given.
String StoredName(std::u16string_view name, char16_t decimalSeparator);

} // namespace codedvalue

// A list of codes in the order they were added (indexes 0..n-1), with an index by name in the name order above;
// equal names keep the order they were added in. A value is a member when it equals one code's value (see
// MemberOf). The list is filled by AddCode and the operations built on it, and by the stream, XML and Assign forms.
class GPCodedValueDomain final : public GPDomain<GPCodedValueDomain, DomainInterfaces, IGPCodedValueDomain,
                                                 IGPCodedValueDomainImpl, ICPPGPCodedValueDomain> {
public:
    static constexpr CLSID kClassId = CLSID_GPCodedValueDomain;
    static constexpr const char16_t* kClassName = u"GPCodedValueDomain";
    // The newest stream version Load reads: version 2 adds the skip flag after the values.
    static constexpr uint16_t kStreamVersion = 2;
    // The message code of a value that is not one of the codes.
    static constexpr int32_t kNotAMemberCode = 800;

    GPCodedValueDomain() : GPDomain(kClassId) {}

    // IGPDomain. S_OK and an empty message for a member; S_FALSE and error 800 for a non-member, whose text lists
    // the allowed entries joined by " | " (the codes' names in the desktop application when codes are shown by
    // name, else each string value's text and the name of any other code). The message is handed out before the
    // check starts; a failure to unpack a variable or parameter is returned with the message left at error 800.
    // A null value is no member.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPCodedValueDomain
    HRESULT get_CodeCount(int32_t* count) override;
    // E_INVALIDARG for an index outside 0..count-1; an empty name is handed out as a null string.
    HRESULT get_Name(int32_t index, BSTR* name) override;
    // The code's value itself (a new reference, not a copy).
    HRESULT get_Value(int32_t index, IGPValue** value) override;
    // The value of the first code added under `name` (name order); S_FALSE and null when none.
    HRESULT FindValue(const OLECHAR* name, IGPValue** value) override;
    // Appends a code holding a reference to `value`, its name stored by codedvalue::StoredName. No duplicate check.
    // E_POINTER for a null value; E_FAIL when memory runs out (the codes stay as they were).
    HRESULT AddCode(IGPValue* value, const OLECHAR* name) override;
    // AddCode with a new string value of `valueText`.
    HRESULT AddStringCode(const OLECHAR* valueText, const OLECHAR* name) override;
    // Removes the first code whose value equals `value`; E_FAIL when none does.
    HRESULT DeleteCode(IGPValue* value) override;
    HRESULT Empty() override;
    // SetCodesWithSeparator with ",".
    HRESULT SetCodes(BSTR values, BSTR names, IGPDataType* type) override;
    // The name of the first code whose value equals `value`; S_FALSE and an empty text when none does.
    HRESULT FindName(IGPValue* value, BSTR* name) override;

    // IGPCodedValueDomainImpl: when set, every value that reaches the membership test is a member.
    HRESULT get_SkipMemberOfTest(VARIANT_BOOL* skip) override;
    HRESULT put_SkipMemberOfTest(VARIANT_BOOL skip) override;

    // ICPPGPCodedValueDomain: empties the domain, then pairs the value and name lists (split at `separator`,
    // blanks trimmed, quotes not grouping) in order, each value made by `type` (null: the string data type) from its
    // text; the pairing stops at the first empty token of either list. A value the type cannot make stops the work
    // with its failure, keeping the codes added so far.
    HRESULT SetCodesWithSeparator(BSTR values, BSTR names, BSTR separator, IGPDataType* type) override;

    // IClone. Assign copies the codes of any coded value domain (clones of the values; a value that cannot be
    // cloned is skipped) and its skip flag; E_INVALIDARG for anything else. IsEqual: the same number of codes,
    // every name of the other present here, the values equal position by position, the same skip flag.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version, int32 count, the names, int32 count, the values (class identifier and stream
    // form each), then from version 2 the int16 skip flag. The version comes from the document version's entry in
    // the class's version tables; older documents and the newer line write version 1 and so no flag. Load refuses
    // unknown versions and any corrupt or short form with E_FAIL and keeps the domain as it was.
    int32_t SaveVersionFor(IStream* stream) override;
    uint16_t OldestStreamVersion() const override { return 1; }
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPCodedValueDomain"; with codes, the array "GPDomainPropertiesArray" of
    // GPCodedValueDomainProperty objects and the boolean "SkipMemberOfTest".
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    struct Entry {
        String name;
        ComPtr<IGPValue> value;
        // The value's stored text when it is the library's own plain string value, else null: such codes are
        // compared by their text directly, which spares the search an allocation per code. The entry's reference
        // to the value keeps it valid.
        const IStoredText* plainString = nullptr;
    };
    // The key is a view of the entry's own name; the entry lives on the heap, so the view stays valid while the
    // entry is in the list.
    using NameIndex = std::multimap<std::u16string_view, Entry*, codedvalue::NameLess>;

    // Appends a code with `name` as given; on failure nothing changes.
    void Append(IGPValue* value, String name);
    // Removes the code at `index` and its index node.
    void RemoveAt(size_t index);
    void Clear();
    // The index of the first code whose value equals `probe`, or -1. A probe without IClone matches nothing.
    int32_t FindIndex(IGPValue* probe) const;
    // The boolean, double and unit fallbacks of the membership test, on the value as it was passed in.
    bool FallbackMember(IGPValue* given) const;
    // The text of a code's value (GetAsText); empty when it cannot be had.
    static String ValueText(const Entry& entry);
    // The allowed entries of the non-member message.
    String AllowedList() const;

    std::vector<std::unique_ptr<Entry>> codes_;
    NameIndex index_;
    VARIANT_BOOL skipMemberOfTest_ = VARIANT_FALSE;
};

// One code as an object: the element of a coded value domain's XML array. It has no stream form and no clone.
class GPCodedValueDomainProperty final
    : public Object<GPCodedValueDomainProperty, IGPCodedValueDomainProperty, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_GPCodedValueDomainProperty;
    static constexpr const char16_t* kClassName = u"GPCodedValueDomainProperty";

    // IGPCodedValueDomainProperty. putref_Value keeps a reference to the value given (null clears).
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(const OLECHAR* name) override;
    HRESULT get_Value(IGPValue** value) override;
    HRESULT putref_Value(IGPValue* value) override;

    // IXMLSerialize: type "GPCodedValueDomainProperty", the string "Name" and the object "Value". Reading needs a
    // readable "Value" (E_FAIL otherwise); an object there that is no value leaves the property without one.
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    String name_;
    ComPtr<IGPValue> value_;
};

} // namespace tavi
