// What the domains over data share: lists of type codes and of names with their stream and XML forms (string
// arrays of type "ArrayOfString"), the verdict messages, the utility object that opens the data with the listing
// settings it takes, the children of a data element that a domain accepts, and reads staged on a copy of a domain's
// state for domains whose Assign adds to what they hold.
#pragma once

#include "host/PersistFrame.h"
#include "host/String.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/DataAccess.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPUtilities.h"
#include "tavi/Stream.h"
#include "tavi/TypeConverter.h"
#include "tavi/Xml.h"

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
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

// The type codes of another domain read through its interface (get_TypeCount and get_Type, as the workspace and
// dataset domains declare them); nothing when the list cannot be read.
template <class I> std::optional<std::vector<int32_t>> ReadTypeCodes(I* domain) {
    int32_t count = 0;
    if (!domain || FAILED(domain->get_TypeCount(&count)) || count < 0)
        return std::nullopt;
    std::vector<int32_t> codes;
    for (int32_t i = 0; i < count; ++i) {
        int32_t code = 0;
        if (FAILED(domain->get_Type(i, &code)))
            return std::nullopt;
        codes.push_back(code);
    }
    return codes;
}

// The position of the first entry equal to `name` without regard to case, or -1.
int32_t FindNoCase(const NameList& names, std::u16string_view name);
// Appends `name` unless an entry equals it without regard to case; false when one does.
bool AddNoCase(NameList* names, std::u16string_view name);
// Removes the first entry equal to `name` without regard to case; false when there is none.
bool RemoveNoCase(NameList* names, std::u16string_view name);

// Stream form of a list of names: int32 count, then each name in the host's string form.
HRESULT SaveNames(IStream* stream, const NameList& names);
HRESULT LoadNames(IStream* stream, NameList* names);

// A string array object (CLSID_StringArray) holding `texts`, written as the object element `element`.
HRESULT AddStringArray(IXMLSerializeData* data, const OLECHAR* element, const NameList& texts);
// The texts of the string array at element `index`; E_FAIL when it cannot be read as one.
HRESULT ReadStringArray(IXMLSerializeData* data, int32_t index, NameList* texts);
// The texts of the string array in the element named `element`; none when the document has no such element.
HRESULT ReadStringArray(IXMLSerializeData* data, const OLECHAR* element, NameList* texts);
// Converts texts to codes with `fromText`; E_FAIL for a text that names no code.
HRESULT CodesFromTexts(const NameList& texts, std::optional<int32_t> (*fromText)(std::u16string_view), CodeList* codes);
NameList TextsOfCodes(const CodeList& codes, String (*toText)(int32_t));
// Type codes in XML: the host's text of a code (`text`), or the code's decimal number when the host has none, so
// that a code this library has no text for still reads back; and the code of such a decimal text.
String TypeTextOrNumber(std::u16string_view text, int32_t code);
std::optional<int32_t> DecimalCode(std::u16string_view text);
// The two above over a host table: `toText`'s text of a code or its number, and `fromText`'s code of a text or the
// code a decimal text names.
template <std::u16string_view (*ToText)(int32_t)> String TextOrNumberOf(int32_t code) {
    return TypeTextOrNumber(ToText(code), code);
}
template <std::optional<int32_t> (*FromText)(std::u16string_view)>
std::optional<int32_t> CodeOfTextOrNumber(std::u16string_view text) {
    std::optional<int32_t> code = FromText(text);
    return code ? code : DecimalCode(text);
}

// Boolean XML elements that may be left out: false when absent.
HRESULT ReadOptionalBoolean(IXMLSerializeData* data, const OLECHAR* element, bool* flag);

// A new error message (type 100) of `code` with its table text, `argument` put in for %1.
HRESULT MakeVerdict(int32_t code, std::u16string_view argument, IGPMessage** message);

// The texts joined with " | ", as verdicts list what a domain allows.
String JoinAlternatives(const NameList& texts);

// The thread's utility object.
HRESULT GetUtilities(ComPtr<IGPUtilities>* utilities);
// New settings for the utility object's PrepareDataElement: the children listed when `listChildren`, at every depth.
HRESULT NewListingOptions(bool listChildren, ComPtr<IDEListingOptions>* options);

// The children of `element` that `accepts` takes, in order, as a new array (IArray); null when it has no children
// or none is taken. The result is that of the element's get_Children.
HRESULT MatchingChildren(IDataElement* element, const std::function<bool(IUnknown* child)>& accepts, IArray** children);

// PersistFrame::RunStaged for a domain whose Assign adds to what it holds, so that it cannot commit a read: the read
// runs on a new object of the class whose `state` member starts as a copy of `self`'s when `fromCurrent`; when it
// succeeds `self` takes the staged state, and its dirty flag from the staged object. A failed read leaves `self`
// exactly as it was.
template <class D, class S>
HRESULT StageState(D* self, S D::*state, bool fromCurrent, const PersistFrame::StagedRead& read) {
    ComPtr<D> staged = MakeObject<D>();
    if (fromCurrent)
        (*staged).*state = self->*state;
    if (HRESULT hr = read(*staged); FAILED(hr))
        return hr;
    using std::swap;
    swap(self->*state, (*staged).*state);
    if (staged->IsDirtyFlag())
        self->SetDirty();
    else
        self->ClearDirty();
    return S_OK;
}

inline bool IsTrue(VARIANT_BOOL flag) {
    return flag != VARIANT_FALSE;
}
inline VARIANT_BOOL ToVariantBool(bool flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace tavi
