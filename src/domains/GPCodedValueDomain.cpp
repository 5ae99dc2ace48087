// The coded value domain and its XML property object.
#include "domains/GPCodedValueDomain.h"

#include "host/CreateInstance.h"
#include "host/HostApplication.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/ValueResolver.h"
#include "host/XmlNamespace.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "tavi/GPUtilities.h"
#include "values/GPString.h"

#include <atomic>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace tavi {

namespace codedvalue {

namespace {

char16_t LowerForNames(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A plain decimal number written with a point: see StoredName.
bool IsPointDecimal(std::u16string_view name) {
    size_t points = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c == u'.') {
            if (i == 0 || i + 1 == name.size())
                return false;
            ++points;
        } else if (!(IsAsciiDigit(c) || (c == u'-' && i == 0))) {
            return false;
        }
    }
    return points == 1;
}

std::atomic<char16_t> testSeparator{0};

} // namespace

int CompareNames(std::u16string_view a, std::u16string_view b) {
    size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        char16_t x = LowerForNames(a[i]);
        char16_t y = LowerForNames(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

char16_t CurrentLocaleDecimalSeparator() {
    const std::lconv* conventions = std::localeconv();
    const char* point = conventions ? conventions->decimal_point : nullptr;
    if (!point || !*point)
        return u'.';
    if (static_cast<unsigned char>(*point) < 0x80)
        return static_cast<char16_t>(*point);
    // A decimal point outside ASCII: its first character in the locale's own encoding.
    std::mbstate_t state{};
    wchar_t wide = 0;
    size_t used = std::mbrtowc(&wide, point, std::strlen(point), &state);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2) || wide > 0xFFFF)
        return u'.';
    return static_cast<char16_t>(wide);
}

char16_t ProcessDecimalSeparator() {
    if (char16_t forced = testSeparator.load(std::memory_order_relaxed))
        return forced;
    static const char16_t probed = CurrentLocaleDecimalSeparator();
    return probed;
}

void SetDecimalSeparatorForTesting(char16_t separator) {
    testSeparator.store(separator, std::memory_order_relaxed);
}

String StoredName(std::u16string_view name, char16_t decimalSeparator) {
    String stored(name);
    if (decimalSeparator == u',' && IsPointDecimal(stored))
        stored[stored.find(u'.')] = u',';
    return stored;
}

} // namespace codedvalue

namespace {

// Save versions by document version: the older application line writes version 1 up to its last version, which
// writes 2 (the skip flag); the newer line writes version 1.
constexpr int16_t kOlderSaveVersions[21] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
constexpr int16_t kNewerSaveVersions[1] = {1};

constexpr char16_t kListSeparator[] = u" | ";
constexpr const OLECHAR* kPropertyTypeName = u"GPCodedValueDomainProperty";
constexpr const OLECHAR* kPropertyArrayName = u"GPDomainPropertiesArray";
constexpr const OLECHAR* kSkipElementName = u"SkipMemberOfTest";

bool IsTrue(VARIANT_BOOL flag) {
    return flag != VARIANT_FALSE;
}

int32_t FindElement(IXMLSerializeData* data, const OLECHAR* name) {
    int32_t index = -1;
    if (FAILED(data->Find(name, &index)))
        return -1;
    return index;
}

// The text of a value through GetAsText; empty when it cannot be had.
String TextOf(IGPValue* value) {
    BStr text;
    if (!value || FAILED(value->GetAsText(text.Out())))
        return String();
    return text.str();
}

// The keyword of a unit value's text ("Meters" in "5 Meters"): what follows the first blank. False for a value
// that is no unit value or whose text has no blank.
bool UnitKeyword(IGPValue* value, String* keyword) {
    if (!AnswersAny(value, {IGPLinearUnit::iid, IGPArealUnit::iid, IGPTimeUnit::iid}))
        return false;
    String text = TextOf(value);
    size_t blank = text.find(u' ');
    if (blank == String::npos)
        return false;
    *keyword = text.substr(blank + 1);
    return true;
}

// Codes are listed by name only in the desktop application, and there only when the utility object neither shows
// codes by their values nor runs a scripting session, where users type the values.
bool ListCodesByName() {
    if (!hostapp::InDesktopApplication())
        return false;
    ComPtr<IGPUtilitiesImpl> utilities;
    if (FAILED(AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilitiesImpl::iid,
                                utilities.OutVoid())) ||
        !utilities)
        return false;
    VARIANT_BOOL showKeys = VARIANT_TRUE, scripting = VARIANT_TRUE;
    if (FAILED(utilities->get_ShowCodedValueKeys(&showKeys)) || FAILED(utilities->get_InScriptingSession(&scripting)))
        return false;
    return !IsTrue(showKeys) && !IsTrue(scripting);
}

// What a probe is compared with: the probe itself, and the facts a plain string code's equality test reads from
// it, gathered once per search.
struct Probe {
    IGPValue* value = nullptr;
    ComPtr<IClone> clone;
    bool hasText = false; // the probe answers IGPString and gave its text
    String text;
    bool emptyKnown = false;
    bool empty = false;
};

Probe MakeProbe(IGPValue* value) {
    Probe probe;
    probe.value = value;
    probe.clone = QueryAs<IClone>(value);
    if (!probe.clone)
        return probe;
    if (auto asString = QueryAs<IGPString>(value)) {
        BStr text;
        if (SUCCEEDED(asString->get_Value(text.Out()))) {
            probe.hasText = true;
            probe.text = text.str();
        }
    }
    VARIANT_BOOL empty = VARIANT_FALSE;
    if (SUCCEEDED(value->IsEmpty(&empty))) {
        probe.emptyKnown = true;
        probe.empty = IsTrue(empty);
    }
    return probe;
}

// The value's stored text when it is the library's own plain string value, else null.
const IStoredText* OwnPlainString(IGPValue* value) {
    auto text = QueryAs<IStoredText>(value);
    return text.Get(); // the caller holds the value, and with it the object
}

// The string value's own equality test (text without regard to case, then the same emptiness) on what the probe
// gathered: a string value is empty exactly when its text is.
bool PlainStringEquals(const IStoredText& code, const Probe& probe) {
    return probe.hasText && probe.emptyKnown && EqualsNoCase(code.StoredText(), probe.text) &&
           code.StoredText().empty() == probe.empty;
}

} // namespace

// ---- the list and its index ----

void GPCodedValueDomain::Append(IGPValue* value, String name) {
    auto entry = std::make_unique<Entry>();
    entry->name = std::move(name);
    entry->value = ComPtr<IGPValue>(value);
    entry->plainString = OwnPlainString(value);
    Entry* added = entry.get();
    codes_.push_back(std::move(entry));
    try {
        // A multimap inserts after the nodes of an equal key, so equal names keep the order they were added in.
        index_.emplace(std::u16string_view(added->name), added);
    } catch (...) {
        codes_.pop_back();
        throw;
    }
}

void GPCodedValueDomain::RemoveAt(size_t index) {
    Entry* entry = codes_[index].get();
    // The node of this very entry: its key views the entry's own name. (Another code may hold the same value
    // object under another name; its node must stay.)
    auto [first, last] = index_.equal_range(std::u16string_view(entry->name));
    for (auto node = first; node != last; ++node) {
        if (node->second == entry) {
            index_.erase(node);
            break;
        }
    }
    codes_.erase(codes_.begin() + static_cast<std::ptrdiff_t>(index));
}

void GPCodedValueDomain::Clear() {
    index_.clear();
    codes_.clear();
}

int32_t GPCodedValueDomain::FindIndex(IGPValue* value) const {
    if (codes_.empty())
        return -1;
    Probe probe = MakeProbe(value);
    if (!probe.clone)
        return -1;
    for (size_t i = 0; i < codes_.size(); ++i) {
        const Entry& entry = *codes_[i];
        bool equal = false;
        if (entry.plainString) {
            equal = PlainStringEquals(*entry.plainString, probe);
        } else if (auto codeClone = QueryAs<IClone>(entry.value.Get())) {
            VARIANT_BOOL answer = VARIANT_FALSE;
            equal = SUCCEEDED(codeClone->IsEqual(probe.clone.Get(), &answer)) && IsTrue(answer);
        } else {
            equal = SameObject(entry.value.Get(), value);
        }
        if (equal)
            return static_cast<int32_t>(i);
    }
    return -1;
}

String GPCodedValueDomain::ValueText(const Entry& entry) {
    return entry.plainString ? entry.plainString->StoredText() : TextOf(entry.value.Get());
}

bool GPCodedValueDomain::FallbackMember(IGPValue* given) const {
    // A boolean matches a boolean code of the same truth, whatever number stands for true.
    if (auto flag = QueryAs<IGPBoolean>(given)) {
        VARIANT_BOOL mine = VARIANT_FALSE;
        if (SUCCEEDED(flag->get_Value(&mine))) {
            for (const auto& entry : codes_) {
                auto code = QueryAs<IGPBoolean>(entry->value.Get());
                VARIANT_BOOL theirs = VARIANT_FALSE;
                if (code && SUCCEEDED(code->get_Value(&theirs)) && IsTrue(mine) == IsTrue(theirs))
                    return true;
            }
        }
    }
    // A double matches a code whose text is its text ("3.5" is "3.5" even when the numbers differ in the last
    // bits), and a unit value matches a code named by its unit keyword; both without regard to case.
    String wanted;
    bool byText = false;
    if (QueryAs<IGPDouble>(given)) {
        wanted = TextOf(given);
        byText = true;
    } else {
        byText = UnitKeyword(given, &wanted);
    }
    if (!byText)
        return false;
    for (const auto& entry : codes_)
        if (codedvalue::CompareNames(ValueText(*entry), wanted) == 0)
            return true;
    return false;
}

String GPCodedValueDomain::AllowedList() const {
    const bool byName = ListCodesByName();
    String list;
    bool first = true;
    for (const auto& entry : codes_) {
        if (!first)
            list += kListSeparator;
        first = false;
        if (byName) {
            list += entry->name;
        } else if (auto asString = QueryAs<IGPString>(entry->value.Get())) {
            BStr text;
            if (SUCCEEDED(asString->get_Value(text.Out())))
                list += text.view();
        } else {
            list += entry->name;
        }
    }
    return list;
}

// ---- IGPDomain ----

HRESULT GPCodedValueDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto verdict = MakeObject<GPMessage>();
        if (FAILED(verdict->MakeErrorWithText(taviGPMessageTypeError, kNotAMemberCode,
                                              VerdictText(kNotAMemberCode).c_str())))
            return E_FAIL;
        // The caller holds the message from here on; what follows only changes it.
        verdict.CopyTo(message);

        if (!value)
            return S_FALSE;
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        // The host's resolver may still stand the value for another one; a failure there leaves it as it is.
        ComPtr<IGPValue> resolved;
        if (actual && SUCCEEDED(ResolveValue(actual.Get(), resolved.Out())) && resolved &&
            !SameObject(resolved.Get(), actual.Get()))
            actual = resolved;
        if (!actual || !QueryAs<IClone>(actual.Get()))
            return S_FALSE;

        bool member =
            codes_.empty() || IsTrue(skipMemberOfTest_) || FindIndex(actual.Get()) >= 0 || FallbackMember(value);
        if (member) {
            verdict->MakeErrorWithText(taviGPMessageTypeEmpty, 0, u"");
            return S_OK;
        }
        String list = AllowedList();
        verdict->MakeErrorWithText(taviGPMessageTypeError, kNotAMemberCode, VerdictText(kNotAMemberCode, list).c_str());
        return S_FALSE;
    });
}

// ---- IGPCodedValueDomain ----

HRESULT GPCodedValueDomain::get_CodeCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(codes_.size());
    return S_OK;
}

HRESULT GPCodedValueDomain::get_Name(int32_t index, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= codes_.size())
        return E_INVALIDARG;
    const String& text = codes_[index]->name;
    if (text.empty())
        return S_OK;
    *name = MakeBSTR(text);
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPCodedValueDomain::get_Value(int32_t index, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (index < 0 || static_cast<size_t>(index) >= codes_.size())
        return E_INVALIDARG;
    return codes_[index]->value.CopyTo(value);
}

HRESULT GPCodedValueDomain::FindValue(const OLECHAR* name, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    auto node = index_.lower_bound(std::u16string_view(name));
    if (node == index_.end() || codedvalue::CompareNames(node->first, name) != 0)
        return S_FALSE;
    return node->second->value.CopyTo(value);
}

HRESULT GPCodedValueDomain::AddCode(IGPValue* value, const OLECHAR* name) {
    if (!value)
        return E_POINTER;
    try {
        String stored =
            codedvalue::StoredName(name ? std::u16string_view(name) : u"", codedvalue::ProcessDecimalSeparator());
        Append(value, std::move(stored));
        SetDirty();
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT GPCodedValueDomain::AddStringCode(const OLECHAR* valueText, const OLECHAR* name) {
    return guard([&]() -> HRESULT {
        auto text = MakeObject<GPString>();
        ComPtr<IGPMessage> ignored; // a string value reads every text
        text->SetAsText(valueText, ignored.Out());
        return AddCode(static_cast<IGPValue*>(text.Get()), name);
    });
}

HRESULT GPCodedValueDomain::DeleteCode(IGPValue* value) {
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t index = FindIndex(value);
        if (index < 0)
            return E_FAIL;
        RemoveAt(static_cast<size_t>(index));
        SetDirty();
        return S_OK;
    });
}

HRESULT GPCodedValueDomain::Empty() {
    Clear();
    SetDirty();
    return S_OK;
}

HRESULT GPCodedValueDomain::SetCodes(BSTR values, BSTR names, IGPDataType* type) {
    return guard([&] {
        BStr comma(u",");
        return SetCodesWithSeparator(values, names, comma.Get(), type);
    });
}

HRESULT GPCodedValueDomain::FindName(IGPValue* value, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return guard([&]() -> HRESULT {
        int32_t index = value ? FindIndex(value) : -1;
        *name = MakeBSTR(index < 0 ? std::u16string_view() : std::u16string_view(codes_[index]->name));
        if (!*name)
            return E_OUTOFMEMORY;
        return index < 0 ? S_FALSE : S_OK;
    });
}

// ---- IGPCodedValueDomainImpl ----

HRESULT GPCodedValueDomain::get_SkipMemberOfTest(VARIANT_BOOL* skip) {
    if (!skip)
        return E_POINTER;
    *skip = skipMemberOfTest_;
    return S_OK;
}

HRESULT GPCodedValueDomain::put_SkipMemberOfTest(VARIANT_BOOL skip) {
    skipMemberOfTest_ = skip;
    SetDirty();
    return S_OK;
}

// ---- ICPPGPCodedValueDomain ----

HRESULT GPCodedValueDomain::SetCodesWithSeparator(BSTR values, BSTR names, BSTR separator, IGPDataType* type) {
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> dataType(type);
        if (!dataType && (FAILED(AfCreateInstance(CLSID_GPStringType, nullptr, CLSCTX_INPROC_SERVER, IGPDataType::iid,
                                                  dataType.OutVoid())) ||
                          !dataType))
            return E_FAIL;
        Empty();

        ComPtr<IGPParseString> valueTokens, nameTokens;
        for (auto* tokens : {&valueTokens, &nameTokens})
            if (FAILED(AfCreateInstance(CLSID_GPParseString, nullptr, CLSCTX_INPROC_SERVER, IGPParseString::iid,
                                        tokens->OutVoid())) ||
                !*tokens)
                return E_FAIL;
        HRESULT hr = valueTokens->Init(values, separator);
        if (SUCCEEDED(hr))
            hr = nameTokens->Init(names, separator);
        if (FAILED(hr))
            return hr;

        BStr valueText, name;
        auto next = [&]() -> HRESULT {
            HRESULT read = valueTokens->NextPlainToken(valueText.Out());
            return FAILED(read) ? read : nameTokens->NextPlainToken(name.Out());
        };
        for (hr = next(); SUCCEEDED(hr) && !valueText.empty() && !name.empty(); hr = next()) {
            ComPtr<IGPValue> value;
            hr = dataType->CreateValue(valueText.c_str(), value.Out());
            if (FAILED(hr))
                return hr;
            if (!value)
                return E_FAIL;
            if (HRESULT added = AddCode(value.Get(), name.c_str()); FAILED(added))
                return added;
        }
        return hr;
    });
}

// ---- IClone ----

HRESULT GPCodedValueDomain::Assign(IClone* source) {
    auto other = QueryAs<IGPCodedValueDomain>(source);
    if (!other)
        return E_INVALIDARG;
    if (SameObject(source, static_cast<IClone*>(this)))
        return S_OK;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (HRESULT hr = other->get_CodeCount(&count); FAILED(hr))
            return hr;
        // The copies are made first, so that a failure leaves this domain as it was.
        std::vector<std::pair<String, ComPtr<IGPValue>>> copies;
        for (int32_t i = 0; i < count; ++i) {
            BStr name;
            ComPtr<IGPValue> value;
            if (HRESULT hr = other->get_Name(i, name.Out()); FAILED(hr))
                return hr;
            if (HRESULT hr = other->get_Value(i, value.Out()); FAILED(hr))
                return hr;
            auto original = QueryAs<IClone>(value.Get());
            if (!original)
                continue; // a value that cannot be cloned is not copied
            ComPtr<IClone> copy;
            if (HRESULT hr = original->Clone(copy.Out()); FAILED(hr))
                return hr;
            auto copiedValue = QueryAs<IGPValue>(copy.Get());
            if (!copiedValue)
                return E_FAIL;
            copies.emplace_back(name.str(), std::move(copiedValue));
        }
        VARIANT_BOOL skip = skipMemberOfTest_;
        if (auto impl = QueryAs<IGPCodedValueDomainImpl>(source))
            if (HRESULT hr = impl->get_SkipMemberOfTest(&skip); FAILED(hr))
                return hr;

        Clear();
        for (auto& [name, value] : copies)
            Append(value.Get(), std::move(name));
        skipMemberOfTest_ = skip;
        SetDirty();
        return S_OK;
    });
}

HRESULT GPCodedValueDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    if (SameObject(other, static_cast<IClone*>(this))) {
        *equal = VARIANT_TRUE;
        return S_OK;
    }
    return guard([&]() -> HRESULT {
        auto domain = QueryAs<IGPCodedValueDomain>(other);
        int32_t count = 0;
        if (!domain || FAILED(domain->get_CodeCount(&count)) || static_cast<size_t>(count) != codes_.size())
            return S_OK;
        for (int32_t i = 0; i < count; ++i) {
            BStr name;
            ComPtr<IGPValue> value;
            if (FAILED(domain->get_Name(i, name.Out())) || index_.find(name.view()) == index_.end())
                return S_OK;
            if (FAILED(domain->get_Value(i, value.Out())))
                return S_OK;
            auto theirs = QueryAs<IClone>(value.Get());
            auto mine = QueryAs<IClone>(codes_[i]->value.Get());
            VARIANT_BOOL same = VARIANT_FALSE;
            if (!theirs || !mine || FAILED(theirs->IsEqual(mine.Get(), &same)) || !IsTrue(same))
                return S_OK;
        }
        if (auto impl = QueryAs<IGPCodedValueDomainImpl>(other)) {
            VARIANT_BOOL skip = VARIANT_FALSE;
            if (FAILED(impl->get_SkipMemberOfTest(&skip)) || IsTrue(skip) != IsTrue(skipMemberOfTest_))
                return S_OK;
        }
        *equal = VARIANT_TRUE;
        return S_OK;
    });
}

// ---- IPersistStream ----

int32_t GPCodedValueDomain::SaveVersionFor(IStream* stream) {
    return AfStreamGetOrinSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kNewerSaveVersions),
                                      kNewerSaveVersions, std::size(kOlderSaveVersions), kOlderSaveVersions);
}

HRESULT GPCodedValueDomain::SaveContent(IStream* stream, uint16_t version) {
    const auto count = static_cast<int32_t>(codes_.size());
    if (FAILED(AfStreamWrite(stream, count)))
        return E_FAIL;
    for (const auto& entry : codes_)
        if (FAILED(WriteString(stream, entry->name)))
            return E_FAIL;
    if (FAILED(AfStreamWrite(stream, count)))
        return E_FAIL;
    for (const auto& entry : codes_)
        if (FAILED(SaveObject(entry->value.Get(), stream, SaveClearsDirty())))
            return E_FAIL;
    if (version >= 2 && FAILED(AfStreamWrite(stream, static_cast<int16_t>(skipMemberOfTest_))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPCodedValueDomain::LoadContent(IStream* stream, uint16_t version) {
    Clear();
    int32_t nameCount = 0;
    if (FAILED(AfStreamRead(stream, &nameCount)) || nameCount < 0)
        return E_FAIL;
    // Names are read one by one and each needs its bytes in the stream, so a corrupt count cannot make this
    // reserve memory the stream does not hold.
    std::vector<String> names;
    for (int32_t i = 0; i < nameCount; ++i) {
        String name;
        if (FAILED(ReadString(stream, &name)))
            return E_FAIL;
        names.push_back(std::move(name));
    }
    int32_t valueCount = 0;
    if (FAILED(AfStreamRead(stream, &valueCount)) || valueCount < 0)
        return E_FAIL;
    for (int32_t i = 0; i < valueCount; ++i) {
        ComPtr<IGPValue> value;
        // A saved code always has a value: an empty slot is a corrupt form.
        if (FAILED(LoadObject(stream, IGPValue::iid, value.OutVoid())) || !value)
            return E_FAIL;
        // A value without a name has no code to belong to. Names go through AddCode's rule again, so a number
        // saved under one decimal separator reads as this process writes it.
        if (static_cast<size_t>(i) < names.size() && FAILED(AddCode(value.Get(), names[i].c_str())))
            return E_FAIL;
    }
    int16_t skip = VARIANT_FALSE;
    if (version >= 2 && FAILED(AfStreamRead(stream, &skip)))
        return E_FAIL;
    skipMemberOfTest_ = skip;
    return S_OK;
}

// ---- IXMLSerialize ----

HRESULT GPCodedValueDomain::SerializeContent(IXMLSerializeData* data) {
    if (codes_.empty())
        return S_OK;
    ComPtr<IArray> properties;
    HRESULT hr = CreateObjectArray(IArray::iid, properties.OutVoid());
    if (FAILED(hr))
        return hr;
    for (const auto& entry : codes_) {
        auto property = MakeObject<GPCodedValueDomainProperty>();
        property->put_Name(entry->name.c_str());
        property->putref_Value(entry->value.Get());
        if (FAILED(hr = properties->Add(static_cast<IGPCodedValueDomainProperty*>(property.Get()))))
            return hr;
    }
    hr = data->AddObjectArray(kPropertyArrayName, properties.Get(), kPropertyTypeName, c_xml_ns_tavi);
    if (FAILED(hr))
        return hr;
    return data->AddBoolean(kSkipElementName, skipMemberOfTest_);
}

HRESULT GPCodedValueDomain::DeserializeContent(IXMLSerializeData* data) {
    Empty();
    int32_t arrayIndex = FindElement(data, kPropertyArrayName);
    if (arrayIndex < 0)
        return S_OK; // a domain written without codes says nothing of its skip flag either
    ComPtr<IArray> properties;
    HRESULT hr = CreateObjectArray(IArray::iid, properties.OutVoid());
    if (SUCCEEDED(hr))
        hr = data->GetObjectArray(arrayIndex, c_xml_ns_tavi, u"ArrayOfGPCodedValueDomainProperty", properties.Get());
    if (FAILED(hr))
        return hr;
    int32_t count = 0;
    if (FAILED(hr = properties->get_Count(&count)))
        return hr;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        if (FAILED(hr = properties->get_Element(i, element.Out())))
            return hr;
        auto property = QueryAs<IGPCodedValueDomainProperty>(element.Get());
        if (!property)
            continue; // not a code
        BStr name;
        ComPtr<IGPValue> value;
        if (FAILED(hr = property->get_Name(name.Out())) || FAILED(hr = property->get_Value(value.Out())))
            return hr;
        if (!value)
            continue; // an element without a value is no code
        if (FAILED(hr = AddCode(value.Get(), name.c_str())))
            return hr;
    }
    VARIANT_BOOL skip = VARIANT_FALSE;
    int32_t skipIndex = FindElement(data, kSkipElementName);
    if (skipIndex < 0 || FAILED(data->GetBoolean(skipIndex, &skip)))
        skip = VARIANT_FALSE;
    skipMemberOfTest_ = skip;
    return S_OK;
}

// ---- GPCodedValueDomainProperty ----

HRESULT GPCodedValueDomainProperty::get_Name(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = MakeBSTR(name_);
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPCodedValueDomainProperty::put_Name(const OLECHAR* name) {
    return guard([&] { name_ = name ? name : u""; });
}

HRESULT GPCodedValueDomainProperty::get_Value(IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return value_.CopyTo(value);
}

HRESULT GPCodedValueDomainProperty::putref_Value(IGPValue* value) {
    if (value != value_.Get())
        value_ = ComPtr<IGPValue>(value);
    return S_OK;
}

HRESULT GPCodedValueDomainProperty::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    HRESULT hr = data->put_TypeName(kClassName);
    if (SUCCEEDED(hr))
        hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
    if (SUCCEEDED(hr))
        hr = data->AddString(u"Name", name_.c_str());
    if (SUCCEEDED(hr))
        hr = data->AddObject(u"Value", value_.Get());
    return hr;
}

HRESULT GPCodedValueDomainProperty::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        String name;
        int32_t nameIndex = FindElement(data, u"Name");
        if (nameIndex >= 0) {
            BStr text;
            if (SUCCEEDED(data->GetString(nameIndex, text.Out())))
                name = text.str();
        }
        int32_t valueIndex = FindElement(data, u"Value");
        ComPtr<IUnknown> object;
        if (valueIndex < 0 || FAILED(data->GetObject(valueIndex, c_xml_ns_tavi, u"GPValue", object.Out())))
            return E_FAIL;
        name_ = std::move(name);
        value_ = QueryAs<IGPValue>(object.Get());
        return S_OK;
    });
}

} // namespace tavi
