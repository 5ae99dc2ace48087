// The platform's string array: an ordered list of texts, written to XML as an object of type "ArrayOfString" with one
// "String" element per text. Domains keep their lists of names and type texts in it.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/Stream.h"
#include "tavi/StringArray.h"
#include "tavi/Xml.h"

#include <vector>

namespace tavi {

// Texts hold any character but NUL: texts come in through the interface as terminated strings, so a NUL can only
// arrive in a stream, and Load refuses such a stream rather than keep a text the XML form could not write whole.
//
// Stream form (little-endian): int32 count, then each text in the String stream form (int32 count of UTF-16 units,
// then the units). Load reads every text before it changes anything: a negative count, a count the stream does not
// hold, a damaged text or one holding NUL gives E_FAIL and leaves the array as it was. No memory is reserved from
// the stored count.
//
// XML form: type "ArrayOfString" in the library's namespace, then one string element "String" per text, in order.
// Every character is kept (control characters, blanks at the ends, markup characters), except that a lone
// surrogate leaves as U+FFFD, as all text the library writes as UTF-8.
// Reading takes the "String" elements in document order and ignores elements of other names; one that cannot be
// read as a string gives E_FAIL and leaves the array as it was.
class StringArray final
    : public Object<StringArray, IStringArray, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_StringArray;
    static constexpr const char16_t* kClassName = u"StringArray";
    // The type name of the XML form, which also names the class when an element carries no class identifier.
    static constexpr const char16_t* kXmlTypeName = u"ArrayOfString";

    // IStringArray. Null out pointers give E_POINTER; indexes outside the list (0..count for Insert) E_INVALIDARG.
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Element(int32_t index, BSTR* text) override;
    HRESULT Add(const OLECHAR* text) override;
    HRESULT Insert(int32_t index, const OLECHAR* text) override;
    HRESULT Remove(int32_t index) override;
    HRESULT RemoveAll() override;
    HRESULT Replace(int32_t index, const OLECHAR* text) override;
    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;
    // IClone: any object answering IStringArray can be assigned (its texts replace these; E_INVALIDARG otherwise);
    // two arrays are equal when they hold the same texts in the same order, compared exactly.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;
    // IPersistStream
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;

    const std::vector<String>& Texts() const { return texts_; }

private:
    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < texts_.size(); }

    std::vector<String> texts_;
    bool dirty_ = false;
};

// The texts of any IStringArray, appended to `texts`. The array's own failure is returned (texts read before it
// stay appended).
HRESULT ReadStringArray(IStringArray* array, std::vector<String>& texts);

} // namespace tavi
