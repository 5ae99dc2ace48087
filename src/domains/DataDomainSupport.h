// What the domains over data share: lists of type codes and of names with their stream and XML forms (string
// arrays of type "ArrayOfString"), the verdict messages, and the utility object that opens the data.
#pragma once

#include "host/String.h"
#include "platform/ComPtr.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPUtilities.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tavi {

// An ordered list of 32-bit codes. Add keeps it free of duplicates; reading a stored form may append duplicates.
class CodeList {
public:
    int32_t Count() const { return static_cast<int32_t>(codes_.size()); }
    bool IsIndex(int32_t index) const { return index >= 0 && index < Count(); }
    int32_t At(int32_t index) const { return codes_[index]; }
    bool Contains(int32_t code) const;
    bool Empty() const { return codes_.empty(); }
    void Add(int32_t code);    // appended unless present
    void Append(int32_t code); // appended as read
    void Remove(int32_t code); // the first equal entry, if any
    void Clear() { codes_.clear(); }
    const std::vector<int32_t>& Codes() const { return codes_; }
    bool operator==(const CodeList&) const = default;

    // Stream form: int32 count, then the codes. A damaged count ends at the first failed read.
    HRESULT Save(IStream* stream) const;
    HRESULT Load(IStream* stream);

private:
    std::vector<int32_t> codes_;
};

using NameList = std::vector<String>;

// The position of the first entry equal to `name` without regard to case, or -1.
int32_t FindNoCase(const NameList& names, std::u16string_view name);

// Stream form of a list of names: int32 count, then each name in the host's string form.
HRESULT SaveNames(IStream* stream, const NameList& names);
HRESULT LoadNames(IStream* stream, NameList* names);

// A string array object (CLSID_StringArray) holding `texts`, written as the object element `element`.
HRESULT AddStringArray(IXMLSerializeData* data, const OLECHAR* element, const NameList& texts);
// The texts of the string array at element `index`; E_FAIL when it cannot be read as one.
HRESULT ReadStringArray(IXMLSerializeData* data, int32_t index, NameList* texts);
// Converts texts to codes with `fromText`; E_FAIL for a text that names no code.
HRESULT CodesFromTexts(const NameList& texts, std::optional<int32_t> (*fromText)(std::u16string_view), CodeList* codes);
NameList TextsOfCodes(const CodeList& codes, String (*toText)(int32_t));

// Boolean XML elements that may be left out: false when absent.
HRESULT ReadOptionalBoolean(IXMLSerializeData* data, const OLECHAR* element, bool* flag);

// A new error message (type 100) of `code` with its table text, `argument` put in for %1.
HRESULT MakeVerdict(int32_t code, std::u16string_view argument, IGPMessage** message);

// The texts joined with " | ", as verdicts list what a domain allows.
String JoinAlternatives(const NameList& texts);

// The thread's utility object.
HRESULT GetUtilities(ComPtr<IGPUtilities>* utilities);

inline bool IsTrue(VARIANT_BOOL flag) {
    return flag != VARIANT_FALSE;
}
inline VARIANT_BOOL ToVariantBool(bool flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace tavi
