// String lists: EnumBSTR, a read-only enumeration filled by the code that makes it, and ComEnumBSTR, an editable
// list that also enumerates itself (created through the class table's "EnumBSTR" row).
#pragma once

#include "platform/BStr.h"
#include "platform/Object.h"
#include "tavi/Collections.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavi {

class EnumBSTR final : public Object<EnumBSTR, IEnumBSTR> {
public:
    static constexpr const char16_t* kClassName = u"EnumBSTR";

    EnumBSTR() = default;
    explicit EnumBSTR(std::vector<std::u16string> items) : items_(std::move(items)) {}
    // Appends a string; only the code that makes the enumerator calls this, before handing it out.
    void Add(std::u16string_view text) { items_.emplace_back(text); }

    // A new copy of the string at the cursor, then the cursor moves on. S_FALSE with a null string at the end.
    HRESULT Next(BSTR* text) override;
    HRESULT Reset() override;

private:
    std::vector<std::u16string> items_;
    size_t cursor_ = 0;
};

class ComEnumBSTR final : public Object<ComEnumBSTR, IBStringArray, IEnumBSTR> {
public:
    // Created and registered under the "EnumBSTR" row.
    static constexpr CLSID kClassId = CLSID_EnumBSTR;
    static constexpr const char16_t* kClassName = u"ComEnumBSTR";

    // IBStringArray. Indexes outside the list give E_FAIL; Insert accepts 0 to Count. A null BSTR is stored as the
    // empty string. Strings are copied in and handed out as new copies.
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Element(int32_t index, BSTR* text) override;
    HRESULT Add(BSTR text) override;
    HRESULT Insert(int32_t index, BSTR text) override;
    HRESULT Remove(int32_t index) override;
    // Empties the list and resets the enumeration cursor.
    HRESULT RemoveAll() override;
    HRESULT Replace(int32_t index, BSTR text) override;

    // IEnumBSTR: reads the element at the cursor and moves on only when that succeeds.
    HRESULT Next(BSTR* text) override;
    HRESULT Reset() override;

private:
    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < items_.size(); }

    std::vector<std::u16string> items_;
    int32_t cursor_ = 0;
};

} // namespace tavi
