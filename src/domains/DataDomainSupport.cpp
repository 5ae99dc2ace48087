// Shared pieces of the domains over data: code and name lists, their stream and XML forms, verdict messages, the
// utility object with its listing settings, and accepted children.
#include "domains/DataDomainSupport.h"

#include "host/CreateInstance.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/StringTable.h"
#include "host/XmlNamespace.h"
#include "platform/BStr.h"
#include "tavi/GPMessage.h"
#include "tavi/StringArray.h"

#include <algorithm>
#include <charconv>

namespace tavi {

// ---- CodeList ----

bool CodeList::Contains(int32_t code) const {
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

void CodeList::Add(int32_t code) {
    if (!Contains(code))
        codes_.push_back(code);
}

void CodeList::Append(int32_t code) {
    codes_.push_back(code);
}

void CodeList::Remove(int32_t code) {
    if (auto found = std::find(codes_.begin(), codes_.end(), code); found != codes_.end())
        codes_.erase(found);
}

HRESULT CodeList::Save(IStream* stream) const {
    if (FAILED(AfStreamWrite(stream, Count())))
        return E_FAIL;
    for (int32_t code : codes_)
        if (FAILED(AfStreamWrite(stream, code)))
            return E_FAIL;
    return S_OK;
}

HRESULT CodeList::Load(IStream* stream) {
    int32_t count = 0;
    if (FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    // No reserve: a damaged count must not allocate, it ends at the first failed read.
    std::vector<int32_t> read;
    for (int32_t i = 0; i < count; ++i) {
        int32_t code = 0;
        if (FAILED(AfStreamRead(stream, &code)))
            return E_FAIL;
        read.push_back(code);
    }
    codes_ = std::move(read);
    return S_OK;
}

// ---- names ----

int32_t FindNoCase(const NameList& names, std::u16string_view name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (EqualsNoCase(names[i], name))
            return static_cast<int32_t>(i);
    return -1;
}

bool AddNoCase(NameList* names, std::u16string_view name) {
    if (FindNoCase(*names, name) >= 0)
        return false;
    names->emplace_back(name);
    return true;
}

bool RemoveNoCase(NameList* names, std::u16string_view name) {
    int32_t found = FindNoCase(*names, name);
    if (found < 0)
        return false;
    names->erase(names->begin() + found);
    return true;
}

HRESULT SaveNames(IStream* stream, const NameList& names) {
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(names.size()))))
        return E_FAIL;
    for (const String& name : names)
        if (FAILED(WriteString(stream, name)))
            return E_FAIL;
    return S_OK;
}

HRESULT LoadNames(IStream* stream, NameList* names) {
    int32_t count = 0;
    if (FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    NameList read;
    for (int32_t i = 0; i < count; ++i) {
        String name;
        if (FAILED(ReadString(stream, &name)))
            return E_FAIL;
        read.push_back(std::move(name));
    }
    *names = std::move(read);
    return S_OK;
}

// ---- XML ----

HRESULT AddStringArray(IXMLSerializeData* data, const OLECHAR* element, const NameList& texts) {
    ComPtr<IStringArray> array;
    if (HRESULT hr =
            AfCreateInstance(CLSID_StringArray, nullptr, CLSCTX_INPROC_SERVER, IStringArray::iid, array.OutVoid());
        FAILED(hr))
        return hr;
    for (const String& text : texts)
        if (HRESULT hr = array->Add(BStr(text).c_str()); FAILED(hr))
            return hr;
    return data->AddObject(element, array.Get());
}

HRESULT ReadStringArray(IXMLSerializeData* data, int32_t index, NameList* texts) {
    ComPtr<IUnknown> object;
    if (FAILED(data->GetObject(index, c_xml_ns_tavi, u"ArrayOfString", object.Out())))
        return E_FAIL;
    auto array = QueryAs<IStringArray>(object.Get());
    if (!array)
        return E_FAIL;
    int32_t count = 0;
    if (FAILED(array->get_Count(&count)))
        return E_FAIL;
    NameList read;
    for (int32_t i = 0; i < count; ++i) {
        BStr text;
        if (FAILED(array->get_Element(i, text.Out())))
            return E_FAIL;
        read.emplace_back(text.view());
    }
    *texts = std::move(read);
    return S_OK;
}

HRESULT ReadStringArray(IXMLSerializeData* data, const OLECHAR* element, NameList* texts) {
    int32_t index = -1;
    data->Find(element, &index);
    if (index < 0) {
        texts->clear();
        return S_OK;
    }
    return ReadStringArray(data, index, texts);
}

HRESULT CodesFromTexts(const NameList& texts, std::optional<int32_t> (*fromText)(std::u16string_view),
                       CodeList* codes) {
    CodeList read;
    for (const String& text : texts) {
        std::optional<int32_t> code = fromText(text);
        if (!code)
            return E_FAIL;
        read.Append(*code);
    }
    *codes = std::move(read);
    return S_OK;
}

NameList TextsOfCodes(const CodeList& codes, String (*toText)(int32_t)) {
    NameList texts;
    for (int32_t code : codes.Codes())
        texts.push_back(toText(code));
    return texts;
}

String TypeTextOrNumber(std::u16string_view text, int32_t code) {
    return text.empty() ? FormatInteger("%d", code) : String(text);
}

std::optional<int32_t> DecimalCode(std::u16string_view text) {
    if (text.empty() || text.size() > 11)
        return std::nullopt;
    std::string narrow;
    for (char16_t c : text) {
        if (c > 0x7F)
            return std::nullopt;
        narrow.push_back(static_cast<char>(c));
    }
    int32_t code = 0;
    auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), code);
    if (error != std::errc() || end != narrow.data() + narrow.size())
        return std::nullopt;
    return code;
}

HRESULT ReadOptionalBoolean(IXMLSerializeData* data, const OLECHAR* element, bool* flag) {
    int32_t index = -1;
    data->Find(element, &index);
    *flag = false;
    if (index < 0)
        return S_OK;
    VARIANT_BOOL read = VARIANT_FALSE;
    if (FAILED(data->GetBoolean(index, &read)))
        return E_FAIL;
    *flag = IsTrue(read);
    return S_OK;
}

// ---- verdicts and services ----

HRESULT MakeVerdict(int32_t code, std::u16string_view argument, IGPMessage** message) {
    return MakeMessage(taviGPMessageTypeError, code, FormatInserts(MessageText(code), {argument}), message);
}

String JoinAlternatives(const NameList& texts) {
    String joined;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            joined += u" | ";
        joined += texts[i];
    }
    return joined;
}

HRESULT GetUtilities(ComPtr<IGPUtilities>* utilities) {
    HRESULT hr =
        AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities->OutVoid());
    if (SUCCEEDED(hr) && !*utilities)
        return E_FAIL;
    return hr;
}

HRESULT NewListingOptions(bool listChildren, ComPtr<IDEListingOptions>* options) {
    HRESULT hr = AfCreateInstance(CLSID_DEListingOptions, nullptr, CLSCTX_INPROC_SERVER, IDEListingOptions::iid,
                                  options->OutVoid());
    if (FAILED(hr))
        return hr;
    if (!*options)
        return E_FAIL;
    if (listChildren && FAILED(hr = (*options)->put_ListChildren(VARIANT_TRUE)))
        return hr;
    return (*options)->put_ChildDepth(-1);
}

// ---- children ----

HRESULT MatchingChildren(IDataElement* element, const std::function<bool(IUnknown* child)>& accepts,
                         IArray** children) {
    ComPtr<IArray> all;
    HRESULT listed = element->get_Children(all.Out());
    if (FAILED(listed) || !all)
        return listed;
    int32_t count = 0;
    if (HRESULT hr = all->get_Count(&count); FAILED(hr))
        return hr;
    ComPtr<IArray> taken;
    if (HRESULT hr = CreateObjectArray(IArray::iid, taken.OutVoid()); FAILED(hr))
        return hr;
    bool any = false;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> child;
        if (HRESULT hr = all->get_Element(i, child.Out()); FAILED(hr))
            return hr;
        if (!child || !accepts(child.Get()))
            continue;
        if (HRESULT hr = taken->Add(child.Get()); FAILED(hr))
            return hr;
        any = true;
    }
    if (any)
        *children = taken.Detach();
    return listed;
}

} // namespace tavi
