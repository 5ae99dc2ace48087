// The foundation library's object array: an ordered list of interface pointers (null allowed) answering IArray and
// IArray2. Lists of names and settings wrap one of these.
#pragma once

#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/Collections.h"
#include "tavi/Xml.h"

#include <vector>

namespace tavi {

class ObjectArray final : public Object<ObjectArray, IArray, IArray2> {
public:
    static constexpr CLSID kClassId = CLSID_Array;
    static constexpr const char16_t* kClassName = u"Array";

    // IArray. Elements are held with a reference and handed out AddRef'ed. Indexes outside the array give E_FAIL;
    // Insert accepts 0 to Count.
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Element(int32_t index, IUnknown** element) override;
    HRESULT Add(IUnknown* element) override;
    HRESULT Insert(int32_t index, IUnknown* element) override;
    HRESULT Remove(int32_t index) override;
    HRESULT RemoveAll() override;
    // IArray2
    HRESULT Replace(int32_t index, IUnknown* element) override;

    const std::vector<ComPtr<IUnknown>>& Items() const { return items_; }

private:
    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < items_.size(); }

    std::vector<ComPtr<IUnknown>> items_;
};

// A new empty object array queried for `riid`.
HRESULT CreateObjectArray(REFIID riid, void** ppv);

// The elements of the object array element `name` of an XML form in the library's namespace, read with the array
// type name `arrayType`, appended to `elements`; none when the document has no such element. E_FAIL when it cannot
// be read.
HRESULT ReadXmlObjectArray(IXMLSerializeData* data, const OLECHAR* name, const OLECHAR* arrayType,
                           std::vector<ComPtr<IUnknown>>& elements);

} // namespace tavi
