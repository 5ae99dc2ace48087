// Generic lists of interface pointers handed out across interfaces:
//   SimpleEnumerator<IEnum, Item>  a fixed array enumerated with Next(Item**) and Reset (IEnumGPName, IEnumGPValue);
//   ComEnum<IEnum, Item>           an editable object array (IArray, IArray2) that enumerates itself through IEnum;
//                                  ComEnumBase is the base for named lists such as EnumGPName;
//   Enumerator<IEnum, Item>        Next(count, items, fetched), Skip, Reset, Clone (IEnumConnectionPoints).
// Every Next checks its out pointer (E_POINTER), clears it first, hands out AddRef'ed pointers and answers S_FALSE
// at the end; Reset moves the cursor back to the start.
#pragma once

#include "host/ObjectArray.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/Collections.h"

#include <vector>

namespace tavi {

template <class IEnum, class Item> class SimpleEnumerator final : public Object<SimpleEnumerator<IEnum, Item>, IEnum> {
public:
    static constexpr const char16_t* kClassName = u"ENUM_TYPE";

    // Holds a reference on every item, and on `parent` (the object the items belong to) when given.
    explicit SimpleEnumerator(std::vector<ComPtr<Item>> items, ComPtr<IUnknown> parent = {})
        : items_(std::move(items)), parent_(std::move(parent)) {}

    HRESULT Next(Item** item) override {
        if (HRESULT hr = ClearOut(item); FAILED(hr))
            return hr;
        if (cursor_ >= items_.size())
            return S_FALSE;
        return items_[cursor_++].CopyTo(item);
    }
    HRESULT Reset() override {
        cursor_ = 0;
        return S_OK;
    }

private:
    std::vector<ComPtr<Item>> items_;
    ComPtr<IUnknown> parent_;
    size_t cursor_ = 0;
};

// The editable list: the IArray and IArray2 operations go unchanged to an inner object array (E_UNEXPECTED when
// there is none); IEnum walks the same elements, each queried for Item.
template <class Derived, class IEnum, class Item> class ComEnumBase : public Object<Derived, IArray, IArray2, IEnum> {
public:
    static constexpr const char16_t* kClassName = u"ComEnum";

    ComEnumBase() {
        // Without an inner array every operation answers E_UNEXPECTED instead of the constructor failing.
        CreateObjectArray(IArray::iid, inner_.OutVoid());
    }

    HRESULT get_Count(int32_t* count) override { return inner_ ? inner_->get_Count(count) : E_UNEXPECTED; }
    HRESULT get_Element(int32_t index, IUnknown** element) override {
        return inner_ ? inner_->get_Element(index, element) : E_UNEXPECTED;
    }
    HRESULT Add(IUnknown* element) override { return inner_ ? inner_->Add(element) : E_UNEXPECTED; }
    HRESULT Insert(int32_t index, IUnknown* element) override {
        return inner_ ? inner_->Insert(index, element) : E_UNEXPECTED;
    }
    HRESULT Remove(int32_t index) override { return inner_ ? inner_->Remove(index) : E_UNEXPECTED; }
    HRESULT RemoveAll() override {
        if (!inner_)
            return E_UNEXPECTED;
        cursor_ = 0;
        return inner_->RemoveAll();
    }
    HRESULT Replace(int32_t index, IUnknown* element) override {
        auto inner2 = inner_.template As<IArray2>();
        return inner2 ? inner2->Replace(index, element) : E_UNEXPECTED;
    }

    // The element at the cursor queried for Item; the cursor moves on even when the query fails. A null element
    // gives E_POINTER.
    HRESULT Next(Item** item) override {
        if (HRESULT hr = ClearOut(item); FAILED(hr))
            return hr;
        if (!inner_)
            return E_UNEXPECTED;
        int32_t count = 0;
        if (HRESULT hr = inner_->get_Count(&count); FAILED(hr))
            return hr;
        if (cursor_ >= count)
            return S_FALSE;
        ComPtr<IUnknown> element;
        HRESULT hr = inner_->get_Element(cursor_++, element.Out());
        if (FAILED(hr))
            return hr;
        if (!element)
            return E_POINTER;
        return element->QueryInterface(Item::iid, reinterpret_cast<void**>(item));
    }
    HRESULT Reset() override {
        cursor_ = 0;
        return S_OK;
    }

private:
    ComPtr<IArray> inner_;
    int32_t cursor_ = 0;
};

template <class IEnum, class Item> class ComEnum final : public ComEnumBase<ComEnum<IEnum, Item>, IEnum, Item> {};

template <class IEnum, class Item> class Enumerator final : public Object<Enumerator<IEnum, Item>, IEnum> {
public:
    static constexpr const char16_t* kClassName = u"Enumerator";

    explicit Enumerator(std::vector<ComPtr<Item>> items, size_t cursor = 0)
        : items_(std::move(items)), cursor_(cursor) {}

    // Up to `count` items from the cursor. S_OK when all were handed out, S_FALSE when the list ended first.
    // `fetched` may be null only when count is 1.
    HRESULT Next(ULONG count, Item** items, ULONG* fetched) override {
        if (!items || (!fetched && count > 1))
            return E_POINTER;
        if (fetched)
            *fetched = 0;
        ULONG handed = 0;
        for (; handed < count && cursor_ < items_.size(); ++handed)
            items_[cursor_++].CopyTo(&items[handed]);
        for (ULONG rest = handed; rest < count; ++rest)
            items[rest] = nullptr;
        if (fetched)
            *fetched = handed;
        return handed == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        size_t left = items_.size() - cursor_;
        cursor_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        cursor_ = 0;
        return S_OK;
    }
    // A new enumerator over the same items, at the same cursor.
    HRESULT Clone(IEnum** clone) override {
        if (HRESULT hr = ClearOut(clone); FAILED(hr))
            return hr;
        return guard([&] { *clone = MakeObject<Enumerator>(items_, cursor_).Detach(); });
    }

private:
    std::vector<ComPtr<Item>> items_;
    size_t cursor_ = 0;
};

} // namespace tavi
