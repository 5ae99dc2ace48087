// The field info value, its property object and its data type.
#include "values/GPFieldInfo.h"

#include "data/DataElement.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/TextTokenizer.h"
#include "host/XmlNamespace.h"
#include "platform/HandOut.h"
#include "tavi/DataAccess.h"

#include <iterator>

namespace tavi {

namespace {

// The save version by document version: the first five older-line versions know only the first form.
constexpr int16_t kSaveVersions[] = {1, 1, 1, 1, 1, 2};
// The stream version from which the further settings are stored.
constexpr uint16_t kFurtherSettingsVersion = 2;

constexpr char16_t kApostrophe = u'\'';
constexpr char16_t kDoubleQuote = u'"';

VARIANT_BOOL AsVariantBool(VARIANT_BOOL flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

String TextOf(const OLECHAR* text) {
    return text ? String(text) : String();
}

String NameKey(std::u16string_view name) {
    return FoldCase(name);
}

// True when `text` leaves a quote or parenthesis group open at its end: the tokenizer would then read past where
// the writer meant a token to end.
bool LeavesGroupOpen(std::u16string_view text) {
    QuoteState state;
    for (char16_t c : text)
        QuoteStep(c, state);
    if (state.open == u' ')
        return false;
    // An apostrophe group whose last character was its closing apostrophe has ended.
    return !(state.open == kApostrophe && state.last == kApostrophe);
}

// Reads one entry text (name, new name, visibility, split rule, separated by blanks). False when it cannot be split:
// it leaves a group open or holds more than four tokens.
bool ReadEntry(std::u16string_view text, FieldInfoEntry& entry) {
    if (LeavesGroupOpen(text))
        return false;
    TextTokenizer tokens(text, u" ");
    String parts[4];
    for (String& part : parts)
        part = String(tokens.NextToken());
    if (!tokens.AtEnd())
        return false;
    entry.name = std::move(parts[0]);
    entry.newName = std::move(parts[1]);
    entry.visible = EqualsNoCase(parts[2], u"hidden") ? VARIANT_FALSE : VARIANT_TRUE;
    entry.splitRule = EqualsNoCase(parts[3], u"ratio") ? taviFieldSplitRatio : taviFieldSplitNone;
    return true;
}

// Reads the whole text into `entries`; false when an entry cannot be split.
bool ReadEntries(std::u16string_view text, std::vector<FieldInfoEntry>& entries) {
    std::u16string_view body = GeoprocessingUtil::StripOuterChars(
        GeoprocessingUtil::StripOuterChars(TextTokenizer::Trimmed(text), kDoubleQuote, kDoubleQuote), u'(', u')');
    if (LeavesGroupOpen(body))
        return false;
    TextTokenizer tokens(body, u";");
    while (!tokens.AtEnd()) {
        std::u16string_view entryText = tokens.NextToken();
        if (entryText.empty())
            continue; // an empty entry names no field
        FieldInfoEntry entry;
        if (!ReadEntry(entryText, entry))
            return false;
        entries.push_back(std::move(entry));
    }
    return true;
}

void WriteEntry(const FieldInfoEntry& entry, String& text) {
    text += GeoprocessingUtil::Quote(TextTokenizer::Trimmed(entry.name));
    text += u' ';
    text += GeoprocessingUtil::Quote(TextTokenizer::Trimmed(entry.newName));
    text += entry.visible ? u" VISIBLE" : u" HIDDEN";
    text += entry.splitRule ? u" RATIO" : u" NONE";
}

// Reads a number or flag of an entry of another object through its getter `get`; false when the read fails.
template <class I, class T> bool ReadField(I* source, HRESULT (I::*get)(int32_t, T*), int32_t index, T& field) {
    return SUCCEEDED((source->*get)(index, &field));
}
// The same for a text.
template <class I> bool ReadText(I* source, HRESULT (I::*get)(int32_t, BSTR*), int32_t index, String& field) {
    BStr text;
    if (FAILED((source->*get)(index, text.Out())))
        return false;
    field = text.str();
    return true;
}

// The settings a property object carries, read through its interface; false when a read fails.
bool ReadProperty(IGPFieldInfoProperty* property, FieldInfoEntry& entry) {
    BStr name, alias, sourceAlias, sourceTable;
    if (FAILED(property->get_Index(&entry.fieldIndex)) || FAILED(property->get_Name(name.Out())) ||
        FAILED(property->get_Alias(alias.Out())) || FAILED(property->get_SplitRule(&entry.splitRule)) ||
        FAILED(property->get_Visible(&entry.visible)) || FAILED(property->get_HasError(&entry.hasError)) ||
        FAILED(property->get_SourceAlias(sourceAlias.Out())) || FAILED(property->get_SourceTable(sourceTable.Out())) ||
        FAILED(property->get_FieldType(&entry.fieldType)) || FAILED(property->get_FieldLength(&entry.fieldLength)) ||
        FAILED(property->get_FieldPrecision(&entry.fieldPrecision)))
        return false;
    entry.name = name.str();
    entry.newName = alias.str();
    entry.sourceAlias = sourceAlias.str();
    entry.sourceTable = sourceTable.str();
    entry.visible = AsVariantBool(entry.visible);
    entry.hasError = AsVariantBool(entry.hasError);
    return true;
}

// The entries of another field info, read through its interfaces. IGPFieldInfo is needed; the further settings are
// read where the source answers IGPFieldInfo2 and IGPFieldInfo3. False when the source answers no IGPFieldInfo or a
// read fails.
bool ReadEntriesOf(IUnknown* source, std::vector<FieldInfoEntry>& entries) {
    auto info = QueryAs<IGPFieldInfo>(source);
    if (!info)
        return false;
    auto texts = QueryAs<IGPFieldInfo2>(source);
    auto numbers = QueryAs<IGPFieldInfo3>(source);
    int32_t count = 0;
    if (FAILED(info->get_Count(&count)) || count < 0)
        return false;
    entries.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        FieldInfoEntry entry;
        IGPFieldInfo* f = info.Get();
        if (!ReadText(f, &IGPFieldInfo::get_Name, i, entry.name) ||
            !ReadText(f, &IGPFieldInfo::get_NewName, i, entry.newName) ||
            !ReadField(f, &IGPFieldInfo::get_FieldIndex, i, entry.fieldIndex) ||
            !ReadField(f, &IGPFieldInfo::get_Visible, i, entry.visible) ||
            !ReadField(f, &IGPFieldInfo::get_SplitRule, i, entry.splitRule) ||
            !ReadField(f, &IGPFieldInfo::get_HasError, i, entry.hasError))
            return false;
        if (texts && (!ReadText(texts.Get(), &IGPFieldInfo2::get_SourceAlias, i, entry.sourceAlias) ||
                      !ReadText(texts.Get(), &IGPFieldInfo2::get_SourceTable, i, entry.sourceTable)))
            return false;
        if (numbers && (!ReadField(numbers.Get(), &IGPFieldInfo3::get_FieldType, i, entry.fieldType) ||
                        !ReadField(numbers.Get(), &IGPFieldInfo3::get_FieldLength, i, entry.fieldLength) ||
                        !ReadField(numbers.Get(), &IGPFieldInfo3::get_FieldPrecision, i, entry.fieldPrecision)))
            return false;
        entry.visible = AsVariantBool(entry.visible);
        entry.hasError = AsVariantBool(entry.hasError);
        entries.push_back(std::move(entry));
    }
    return true;
}

// The entries of a table's fields; the failing read's code when one fails.
HRESULT EntriesOfFields(IFields* fields, const String& tableName, std::vector<FieldInfoEntry>& entries) {
    int32_t count = 0;
    if (HRESULT hr = fields->get_FieldCount(&count); FAILED(hr))
        return hr;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        if (HRESULT hr = fields->get_Field(i, field.Out()); FAILED(hr))
            return hr;
        if (!field)
            return E_FAIL;
        FieldInfoEntry entry;
        entry.fieldIndex = i;
        BStr name, alias;
        HRESULT hr = field->get_Name(name.Out());
        if (SUCCEEDED(hr))
            hr = field->get_AliasName(alias.Out());
        if (SUCCEEDED(hr))
            hr = field->get_Type(&entry.fieldType);
        if (SUCCEEDED(hr))
            hr = field->get_Length(&entry.fieldLength);
        if (SUCCEEDED(hr))
            hr = field->get_Precision(&entry.fieldPrecision);
        if (FAILED(hr))
            return hr;
        entry.name = name.str();
        entry.newName = entry.name;
        entry.sourceAlias = alias.str();
        entry.sourceTable = tableName;
        entries.push_back(std::move(entry));
    }
    return S_OK;
}

} // namespace

bool FieldInfoEntry::SameContent(const FieldInfoEntry& other) const {
    return fieldIndex == other.fieldIndex && name == other.name && newName == other.newName &&
           splitRule == other.splitRule && visible == other.visible && sourceAlias == other.sourceAlias &&
           sourceTable == other.sourceTable && fieldType == other.fieldType && fieldLength == other.fieldLength &&
           fieldPrecision == other.fieldPrecision;
}

// --- the value ---

GPFieldInfo::GPFieldInfo() : GPValue(kClassId, CLSID_GPFieldInfoType) {}

void GPFieldInfo::Changed() {
    SetModified();
    SetEmptyFlag(entries_.empty());
}

void GPFieldInfo::RebuildIndex() {
    byName_.clear();
    for (size_t i = 0; i < entries_.size(); ++i)
        byName_.emplace(NameKey(entries_[i].name), static_cast<int32_t>(i));
}

void GPFieldInfo::TakeEntries(std::vector<FieldInfoEntry> entries) {
    entries_ = std::move(entries);
    RebuildIndex();
}

template <class Use> HRESULT GPFieldInfo::WithEntry(int32_t index, Use&& use) {
    if (!IsIndex(index))
        return E_FAIL;
    return guard([&] { return use(entries_[static_cast<size_t>(index)]); });
}

template <class Change> HRESULT GPFieldInfo::ChangeEntry(int32_t index, Change&& change) {
    if (!IsIndex(index))
        return E_FAIL;
    return guard([&] {
        change(entries_[static_cast<size_t>(index)]);
        Changed();
    });
}

// --- IGPValue ---

HRESULT GPFieldInfo::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = entries_.empty() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPFieldInfo::Empty() {
    entries_.clear();
    byName_.clear();
    return BaseEmpty();
}

HRESULT GPFieldInfo::GetAsText(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return guard([&] {
        String written;
        for (const FieldInfoEntry& entry : entries_) {
            if (!written.empty())
                written += u';';
            WriteEntry(entry, written);
        }
        return HandOut(written, text);
    });
}

HRESULT GPFieldInfo::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        std::vector<FieldInfoEntry> read; // taken only when the whole text was read
        if (!ReadEntries(text ? std::u16string_view(text) : std::u16string_view(), read)) {
            if (FAILED(MakeTextError(made.Get(), kEntryNotSplit)))
                return E_FAIL;
            *message = made.Detach();
            return E_FAIL;
        }
        TakeEntries(std::move(read));
        Changed();
        *message = made.Detach();
        return S_OK;
    });
}

// --- IClone ---

HRESULT GPFieldInfo::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::vector<FieldInfoEntry> entries;
        if (!ReadEntriesOf(source, entries))
            return E_INVALIDARG;
        TakeEntries(std::move(entries));
        Changed();
        return BaseAssign(source);
    });
}

HRESULT GPFieldInfo::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        std::vector<FieldInfoEntry> theirs;
        if (!ReadEntriesOf(other, theirs) || theirs.size() != entries_.size())
            return S_OK;
        for (size_t i = 0; i < theirs.size(); ++i)
            if (!entries_[i].SameContent(theirs[i]))
                return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// --- IGPFieldInfo ---

HRESULT GPFieldInfo::get_Count(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(entries_.size()), count);
}

HRESULT GPFieldInfo::get_Name(int32_t index, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOut(entry.name, name); });
}

HRESULT GPFieldInfo::put_Name(int32_t index, const OLECHAR* name) {
    if (!IsIndex(index))
        return E_FAIL;
    return guard([&] {
        entries_[static_cast<size_t>(index)].name = TextOf(name);
        RebuildIndex();
        Changed();
    });
}

HRESULT GPFieldInfo::get_NewName(int32_t index, BSTR* newName) {
    if (!newName)
        return E_POINTER;
    *newName = nullptr;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOut(entry.newName, newName); });
}

HRESULT GPFieldInfo::put_NewName(int32_t index, const OLECHAR* newName) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.newName = TextOf(newName); });
}

HRESULT GPFieldInfo::get_FieldIndex(int32_t index, int32_t* fieldIndex) {
    if (!fieldIndex)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.fieldIndex, fieldIndex); });
}

HRESULT GPFieldInfo::put_FieldIndex(int32_t index, int32_t fieldIndex) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.fieldIndex = fieldIndex; });
}

HRESULT GPFieldInfo::get_Visible(int32_t index, VARIANT_BOOL* visible) {
    if (!visible)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.visible, visible); });
}

HRESULT GPFieldInfo::put_Visible(int32_t index, VARIANT_BOOL visible) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.visible = AsVariantBool(visible); });
}

HRESULT GPFieldInfo::get_SplitRule(int32_t index, int32_t* rule) {
    if (!rule)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.splitRule, rule); });
}

HRESULT GPFieldInfo::put_SplitRule(int32_t index, int32_t rule) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.splitRule = rule; });
}

HRESULT GPFieldInfo::get_HasError(int32_t index, VARIANT_BOOL* hasError) {
    if (!hasError)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.hasError, hasError); });
}

HRESULT GPFieldInfo::put_HasError(int32_t index, VARIANT_BOOL hasError) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.hasError = AsVariantBool(hasError); });
}

HRESULT GPFieldInfo::AddField(const OLECHAR* name, const OLECHAR* newName, int32_t fieldIndex, VARIANT_BOOL visible,
                              int32_t rule) {
    return guard([&] {
        FieldInfoEntry entry;
        entry.fieldIndex = fieldIndex;
        entry.name = TextOf(name);
        entry.newName = TextOf(newName);
        entry.visible = AsVariantBool(visible);
        entry.splitRule = rule;
        byName_.emplace(NameKey(entry.name), static_cast<int32_t>(entries_.size()));
        entries_.push_back(std::move(entry));
        Changed();
    });
}

HRESULT GPFieldInfo::RemoveField(int32_t index) {
    if (!IsIndex(index))
        return E_FAIL;
    return guard([&] {
        entries_.erase(entries_.begin() + index);
        RebuildIndex();
        Changed();
    });
}

HRESULT GPFieldInfo::RemoveAll() {
    entries_.clear();
    byName_.clear();
    Changed();
    return S_OK;
}

HRESULT GPFieldInfo::FindField(const OLECHAR* name, int32_t* index) {
    if (!index)
        return E_POINTER;
    *index = -1;
    return guard([&] {
        auto found = byName_.find(NameKey(name ? std::u16string_view(name) : std::u16string_view()));
        if (found == byName_.end())
            return S_FALSE;
        *index = found->second;
        return S_OK;
    });
}

// --- IGPFieldInfo2 ---

HRESULT GPFieldInfo::get_SourceAlias(int32_t index, BSTR* alias) {
    if (!alias)
        return E_POINTER;
    *alias = nullptr;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOut(entry.sourceAlias, alias); });
}

HRESULT GPFieldInfo::put_SourceAlias(int32_t index, const OLECHAR* alias) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.sourceAlias = TextOf(alias); });
}

HRESULT GPFieldInfo::get_SourceTable(int32_t index, BSTR* table) {
    if (!table)
        return E_POINTER;
    *table = nullptr;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOut(entry.sourceTable, table); });
}

HRESULT GPFieldInfo::put_SourceTable(int32_t index, const OLECHAR* table) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.sourceTable = TextOf(table); });
}

// --- IGPFieldInfo3 ---

HRESULT GPFieldInfo::get_FieldType(int32_t index, int32_t* type) {
    if (!type)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.fieldType, type); });
}

HRESULT GPFieldInfo::put_FieldType(int32_t index, int32_t type) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.fieldType = type; });
}

HRESULT GPFieldInfo::get_FieldLength(int32_t index, int32_t* length) {
    if (!length)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.fieldLength, length); });
}

HRESULT GPFieldInfo::put_FieldLength(int32_t index, int32_t length) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.fieldLength = length; });
}

HRESULT GPFieldInfo::get_FieldPrecision(int32_t index, int32_t* precision) {
    if (!precision)
        return E_POINTER;
    return WithEntry(index, [&](const FieldInfoEntry& entry) { return HandOutValue(entry.fieldPrecision, precision); });
}

HRESULT GPFieldInfo::put_FieldPrecision(int32_t index, int32_t precision) {
    return ChangeEntry(index, [&](FieldInfoEntry& entry) { entry.fieldPrecision = precision; });
}

// --- IGPFieldInfo4 ---

HRESULT GPFieldInfo::SetFromTable(IUnknown* table) {
    if (!table)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        ComPtr<IFields> fields;
        String tableName;
        if (auto asTable = QueryAs<ITable>(table)) {
            if (HRESULT hr = asTable->get_Fields(fields.Out()); FAILED(hr))
                return hr;
            BStr name;
            if (auto element = QueryAs<IDataElement>(table); element && SUCCEEDED(element->get_Name(name.Out())))
                tableName = name.str();
        } else {
            fields = QueryAs<IFields>(table);
        }
        if (!fields)
            return E_INVALIDARG;
        std::vector<FieldInfoEntry> entries;
        if (HRESULT hr = EntriesOfFields(fields.Get(), tableName, entries); FAILED(hr))
            return hr;
        TakeEntries(std::move(entries));
        Changed();
        return S_OK;
    });
}

HRESULT GPFieldInfo::SetFromCatalogPath(const OLECHAR* catalogPath) {
    return guard([&]() -> HRESULT {
        ComPtr<ITable> table;
        if (HRESULT hr = OpenTable(catalogPath ? std::u16string_view(catalogPath) : std::u16string_view(), table.Out());
            FAILED(hr))
            return hr;
        return SetFromTable(table.Get());
    });
}

// --- IDocumentVersionSupport ---

HRESULT GPFieldInfo::IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) {
    return HandOutValue(VARIANT_TRUE, supported);
}

HRESULT GPFieldInfo::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return QueryInterface(IUnknown::iid, reinterpret_cast<void**>(replacement));
}

// --- the stream and XML forms ---

int32_t GPFieldInfo::SaveVersionFor(IStream* stream) {
    return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), static_cast<int32_t>(std::size(kSaveVersions)),
                                  kSaveVersions);
}

HRESULT GPFieldInfo::SaveContent(IStream* stream, uint16_t version) {
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(entries_.size()))))
        return E_FAIL;
    for (const FieldInfoEntry& entry : entries_) {
        if (FAILED(AfStreamWrite(stream, entry.fieldIndex)) || FAILED(WriteString(stream, entry.name)) ||
            FAILED(WriteString(stream, entry.newName)) || FAILED(AfStreamWrite(stream, entry.splitRule)) ||
            FAILED(AfStreamWrite(stream, static_cast<int16_t>(entry.visible))))
            return E_FAIL;
        if (version >= kFurtherSettingsVersion &&
            (FAILED(WriteString(stream, entry.sourceAlias)) || FAILED(AfStreamWrite(stream, entry.fieldType)) ||
             FAILED(WriteString(stream, entry.sourceTable)) || FAILED(AfStreamWrite(stream, entry.fieldLength)) ||
             FAILED(AfStreamWrite(stream, entry.fieldPrecision))))
            return E_FAIL;
    }
    return S_OK;
}

HRESULT GPFieldInfo::LoadContent(IStream* stream, uint16_t version) {
    int32_t count = 0;
    if (FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    // The count is not trusted for a reservation: a damaged one would ask for memory the stream cannot fill.
    std::vector<FieldInfoEntry> entries;
    for (int32_t i = 0; i < count; ++i) {
        FieldInfoEntry entry;
        int16_t visible = 0;
        if (FAILED(AfStreamRead(stream, &entry.fieldIndex)) || FAILED(ReadString(stream, &entry.name)) ||
            FAILED(ReadString(stream, &entry.newName)) || FAILED(AfStreamRead(stream, &entry.splitRule)) ||
            FAILED(AfStreamRead(stream, &visible)))
            return E_FAIL;
        entry.visible = AsVariantBool(visible);
        if (version >= kFurtherSettingsVersion &&
            (FAILED(ReadString(stream, &entry.sourceAlias)) || FAILED(AfStreamRead(stream, &entry.fieldType)) ||
             FAILED(ReadString(stream, &entry.sourceTable)) || FAILED(AfStreamRead(stream, &entry.fieldLength)) ||
             FAILED(AfStreamRead(stream, &entry.fieldPrecision))))
            return E_FAIL;
        entries.push_back(std::move(entry));
    }
    TakeEntries(std::move(entries));
    SetEmptyFlag(entries_.empty());
    return S_OK;
}

HRESULT GPFieldInfo::SerializeContent(IXMLSerializeData* data) {
    auto array = MakeObject<ObjectArray>();
    for (const FieldInfoEntry& entry : entries_) {
        auto property = MakeObject<GPFieldInfoProperty>();
        property->SetEntry(entry);
        array->Add(static_cast<IGPFieldInfoProperty*>(property.Get()));
    }
    return data->AddObjectArray(u"FieldProperties", static_cast<IArray*>(array.Get()), u"GPFieldInfoProperty",
                                c_xml_ns_tavi);
}

HRESULT GPFieldInfo::DeserializeContent(IXMLSerializeData* data) {
    int32_t at = -1;
    if (FAILED(data->Find(u"FieldProperties", &at)))
        return E_FAIL;
    if (at < 0) { // a document without the list keeps the entries the value has
        SetEmptyFlag(entries_.empty());
        return S_OK;
    }
    std::vector<ComPtr<IUnknown>> elements;
    if (FAILED(ReadXmlObjectArray(data, u"FieldProperties", u"ArrayOfGPFieldInfoProperty", elements)))
        return E_FAIL;
    std::vector<FieldInfoEntry> entries;
    entries.reserve(elements.size());
    for (const auto& element : elements) {
        auto property = QueryAs<IGPFieldInfoProperty>(element.Get());
        FieldInfoEntry entry;
        if (!property || !ReadProperty(property.Get(), entry))
            return E_FAIL; // an element that is no field property (or none at all)
        entries.push_back(std::move(entry));
    }
    TakeEntries(std::move(entries));
    SetEmptyFlag(entries_.empty());
    return S_OK;
}

// --- the property ---

HRESULT GPFieldInfoProperty::get_Index(int32_t* fieldIndex) {
    return HandOutValue(entry_.fieldIndex, fieldIndex);
}
HRESULT GPFieldInfoProperty::put_Index(int32_t fieldIndex) {
    entry_.fieldIndex = fieldIndex;
    return S_OK;
}
HRESULT GPFieldInfoProperty::get_Name(BSTR* name) {
    return HandOut(entry_.name, name);
}
HRESULT GPFieldInfoProperty::put_Name(const OLECHAR* name) {
    return guard([&] { entry_.name = TextOf(name); });
}
HRESULT GPFieldInfoProperty::get_Alias(BSTR* newName) {
    return HandOut(entry_.newName, newName);
}
HRESULT GPFieldInfoProperty::put_Alias(const OLECHAR* newName) {
    return guard([&] { entry_.newName = TextOf(newName); });
}
HRESULT GPFieldInfoProperty::get_SplitRule(int32_t* rule) {
    return HandOutValue(entry_.splitRule, rule);
}
HRESULT GPFieldInfoProperty::put_SplitRule(int32_t rule) {
    entry_.splitRule = rule;
    return S_OK;
}
HRESULT GPFieldInfoProperty::get_Visible(VARIANT_BOOL* visible) {
    return HandOutValue(entry_.visible, visible);
}
HRESULT GPFieldInfoProperty::put_Visible(VARIANT_BOOL visible) {
    entry_.visible = AsVariantBool(visible);
    return S_OK;
}
HRESULT GPFieldInfoProperty::get_HasError(VARIANT_BOOL* hasError) {
    return HandOutValue(entry_.hasError, hasError);
}
HRESULT GPFieldInfoProperty::put_HasError(VARIANT_BOOL hasError) {
    entry_.hasError = AsVariantBool(hasError);
    return S_OK;
}
HRESULT GPFieldInfoProperty::get_SourceAlias(BSTR* alias) {
    return HandOut(entry_.sourceAlias, alias);
}
HRESULT GPFieldInfoProperty::put_SourceAlias(const OLECHAR* alias) {
    return guard([&] { entry_.sourceAlias = TextOf(alias); });
}
HRESULT GPFieldInfoProperty::get_SourceTable(BSTR* table) {
    return HandOut(entry_.sourceTable, table);
}
HRESULT GPFieldInfoProperty::put_SourceTable(const OLECHAR* table) {
    return guard([&] { entry_.sourceTable = TextOf(table); });
}
HRESULT GPFieldInfoProperty::get_FieldType(int32_t* type) {
    return HandOutValue(entry_.fieldType, type);
}
HRESULT GPFieldInfoProperty::put_FieldType(int32_t type) {
    entry_.fieldType = type;
    return S_OK;
}
HRESULT GPFieldInfoProperty::get_FieldLength(int32_t* length) {
    return HandOutValue(entry_.fieldLength, length);
}
HRESULT GPFieldInfoProperty::put_FieldLength(int32_t length) {
    entry_.fieldLength = length;
    return S_OK;
}
HRESULT GPFieldInfoProperty::get_FieldPrecision(int32_t* precision) {
    return HandOutValue(entry_.fieldPrecision, precision);
}
HRESULT GPFieldInfoProperty::put_FieldPrecision(int32_t precision) {
    entry_.fieldPrecision = precision;
    return S_OK;
}

HRESULT GPFieldInfoProperty::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        const FieldInfoEntry unknown;
        HRESULT hr = data->put_TypeName(kClassName);
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (SUCCEEDED(hr))
            hr = data->AddInteger(u"Index", entry_.fieldIndex);
        if (SUCCEEDED(hr))
            hr = data->AddString(u"Name", entry_.name.c_str());
        if (SUCCEEDED(hr))
            hr = data->AddString(u"Alias", entry_.newName.c_str());
        if (SUCCEEDED(hr))
            hr = data->AddInteger(u"SplitRule", entry_.splitRule);
        if (SUCCEEDED(hr))
            hr = data->AddBoolean(u"Visible", entry_.visible);
        if (SUCCEEDED(hr))
            hr = data->AddBoolean(u"HasError", entry_.hasError);
        if (SUCCEEDED(hr) && entry_.sourceAlias != unknown.sourceAlias)
            hr = data->AddString(u"SourceAlias", entry_.sourceAlias.c_str());
        if (SUCCEEDED(hr) && entry_.sourceTable != unknown.sourceTable)
            hr = data->AddString(u"SourceTable", entry_.sourceTable.c_str());
        if (SUCCEEDED(hr) && entry_.fieldType != unknown.fieldType)
            hr = data->AddInteger(u"FieldType", entry_.fieldType);
        if (SUCCEEDED(hr) && entry_.fieldLength != unknown.fieldLength)
            hr = data->AddInteger(u"FieldLength", entry_.fieldLength);
        if (SUCCEEDED(hr) && entry_.fieldPrecision != unknown.fieldPrecision)
            hr = data->AddInteger(u"FieldPrecision", entry_.fieldPrecision);
        return hr;
    });
}

HRESULT GPFieldInfoProperty::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        FieldInfoEntry read = entry_; // taken only when every element present was read
        auto integer = [&](const OLECHAR* name, int32_t& field) {
            int32_t at = -1;
            return SUCCEEDED(data->Find(name, &at)) && (at < 0 || SUCCEEDED(data->GetInteger(at, &field)));
        };
        auto text = [&](const OLECHAR* name, String& field) {
            int32_t at = -1;
            BStr value;
            if (FAILED(data->Find(name, &at)) || (at >= 0 && FAILED(data->GetString(at, value.Out()))))
                return false;
            if (at >= 0)
                field = value.str();
            return true;
        };
        auto flag = [&](const OLECHAR* name, VARIANT_BOOL& field) {
            int32_t at = -1;
            if (FAILED(data->Find(name, &at)) || (at >= 0 && FAILED(data->GetBoolean(at, &field))))
                return false;
            field = AsVariantBool(field);
            return true;
        };
        if (!integer(u"Index", read.fieldIndex) || !text(u"Name", read.name) || !text(u"Alias", read.newName) ||
            !integer(u"SplitRule", read.splitRule) || !flag(u"Visible", read.visible) ||
            !flag(u"HasError", read.hasError) || !text(u"SourceAlias", read.sourceAlias) ||
            !text(u"SourceTable", read.sourceTable) || !integer(u"FieldType", read.fieldType) ||
            !integer(u"FieldLength", read.fieldLength) || !integer(u"FieldPrecision", read.fieldPrecision))
            return E_FAIL;
        entry_ = std::move(read);
        return S_OK;
    });
}

} // namespace tavi
