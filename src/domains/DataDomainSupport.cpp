// Shared pieces of the domains over data: code and name lists, their stream and XML forms, verdict messages.
#include "domains/DataDomainSupport.h"

#include "host/CreateInstance.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "host/StringTable.h"
#include "host/XmlNamespace.h"
#include "platform/BStr.h"
#include "tavi/GPMessage.h"
#include "tavi/StringArray.h"

#include <algorithm>

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

} // namespace tavi
