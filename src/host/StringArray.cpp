// The platform's string array: see StringArray.h.
#include "host/StringArray.h"

#include "host/StreamIO.h"
#include "host/XmlNamespace.h"

namespace tavi {

namespace {
constexpr const char16_t* kXmlString = u"String";

std::u16string_view TextOf(const OLECHAR* text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}
} // namespace

HRESULT StringArray::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(texts_.size());
    return S_OK;
}

HRESULT StringArray::get_Element(int32_t index, BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    if (!IsIndex(index))
        return E_INVALIDARG;
    return guard([&] { *text = BStr(texts_[index]).Detach(); });
}

HRESULT StringArray::Add(const OLECHAR* text) {
    return guard([&] {
        texts_.emplace_back(TextOf(text));
        dirty_ = true;
    });
}

HRESULT StringArray::Insert(int32_t index, const OLECHAR* text) {
    if (index < 0 || static_cast<size_t>(index) > texts_.size())
        return E_INVALIDARG;
    return guard([&] {
        texts_.emplace(texts_.begin() + index, TextOf(text));
        dirty_ = true;
    });
}

HRESULT StringArray::Remove(int32_t index) {
    if (!IsIndex(index))
        return E_INVALIDARG;
    texts_.erase(texts_.begin() + index);
    dirty_ = true;
    return S_OK;
}

HRESULT StringArray::RemoveAll() {
    texts_.clear();
    dirty_ = true;
    return S_OK;
}

HRESULT StringArray::Replace(int32_t index, const OLECHAR* text) {
    if (!IsIndex(index))
        return E_INVALIDARG;
    return guard([&] {
        texts_[index] = TextOf(text);
        dirty_ = true;
    });
}

HRESULT StringArray::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(kXmlTypeName);
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        for (const String& text : texts_)
            if (HRESULT hr = data->AddString(kXmlString, text.c_str()); FAILED(hr))
                return hr;
        return S_OK;
    });
}

HRESULT StringArray::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (FAILED(data->get_ElementCount(&count)))
            return E_FAIL;
        std::vector<String> texts;
        for (int32_t i = 0; i < count; ++i) {
            BStr name;
            if (FAILED(data->GetElementName(i, name.Out())))
                return E_FAIL;
            if (name.view() != kXmlString)
                continue;
            BStr text;
            if (FAILED(data->GetString(i, text.Out())))
                return E_FAIL;
            texts.push_back(text.str());
        }
        texts_ = std::move(texts);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT StringArray::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<StringArray>();
        copy->texts_ = texts_;
        return copy.As<IClone>().CopyTo(clone);
    });
}

HRESULT StringArray::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IStringArray>(source);
        if (!other)
            return E_INVALIDARG;
        std::vector<String> texts;
        if (FAILED(ReadStringArray(other.Get(), texts)))
            return E_FAIL;
        texts_ = std::move(texts);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT StringArray::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto array = QueryAs<IStringArray>(other);
        std::vector<String> texts;
        if (array && SUCCEEDED(ReadStringArray(array.Get(), texts)) && texts == texts_)
            *equal = VARIANT_TRUE;
    });
}

HRESULT StringArray::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IStringArray*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT StringArray::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        // Grown text by text: each stored text takes at least four bytes, so a count larger than the stream fails at
        // the first text the stream does not hold, having allocated no more than the stream's own size.
        std::vector<String> texts;
        for (int32_t i = 0; i < count; ++i) {
            String text;
            if (FAILED(ReadString(stream, &text)) || text.find(u'\0') != String::npos)
                return E_FAIL;
            texts.push_back(std::move(text));
        }
        texts_ = std::move(texts);
        dirty_ = false;
        return S_OK;
    });
}

HRESULT StringArray::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(texts_.size()))))
            return E_FAIL;
        for (const String& text : texts_)
            if (FAILED(WriteString(stream, text)))
                return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT StringArray::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    uint64_t total = sizeof(int32_t);
    for (const String& text : texts_)
        total += sizeof(int32_t) + text.size() * sizeof(char16_t);
    *size = total;
    return S_OK;
}

HRESULT ReadStringArray(IStringArray* array, std::vector<String>& texts) {
    if (!array)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (HRESULT hr = array->get_Count(&count); FAILED(hr))
            return hr;
        for (int32_t i = 0; i < count; ++i) {
            BStr text;
            if (HRESULT hr = array->get_Element(i, text.Out()); FAILED(hr))
                return hr;
            texts.push_back(text.str());
        }
        return S_OK;
    });
}

} // namespace tavi
