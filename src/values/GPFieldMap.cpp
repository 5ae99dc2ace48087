// The field map: see GPFieldMap.h.
#include "values/GPFieldMap.h"

#include "data/DataElement.h"
#include "data/Field.h"
#include "host/GPValue.h"
#include "host/StreamIO.h"
#include "platform/HandOut.h"
#include "values/FieldMapText.h"

#include <charconv>

namespace tavi {

using namespace fieldmaptext;

namespace {

constexpr int16_t kSaveVersions[] = {1, 1, 1, 2};
// The first save version that stores each input's table index.
constexpr uint16_t kTableIndexVersion = 11;

const char16_t* BoolWord(bool value) {
    return value ? u"true" : u"false";
}

// A field's properties; false for no field or one that cannot be read.
bool PropertiesOf(IField* field, FieldProperties& properties) {
    return field && SUCCEEDED(ReadFieldProperties(field, properties));
}

// A stored copy of a field: the library's own field with the same properties, which a stream can hold whatever
// object the caller handed in.
ComPtr<Field> StorableField(IField* field) {
    FieldProperties properties;
    if (!PropertiesOf(field, properties))
        return {};
    return MakeField(std::move(properties));
}

IField* AsField(const ComPtr<Field>& field) {
    return static_cast<IField*>(field.Get());
}

// A whole number's decimal text appended to `text`.
void AppendDecimal(String& text, int32_t value) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

// `text` without one enclosing pair of quotes that encloses all of it (a text such as "a" "b" keeps its quotes).
std::u16string_view WithoutEnclosingQuotes(std::u16string_view text) {
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front() &&
        text.substr(1, text.size() - 2).find(text.front()) == std::u16string_view::npos)
        return text.substr(1, text.size() - 2);
    return text;
}

// An alias token without its quotes: every apostrophe and double quote at either end goes.
std::u16string_view AliasToken(std::u16string_view token) {
    auto isQuote = [](char16_t c) { return c == u'"' || c == u'\''; };
    while (!token.empty() && isQuote(token.front()))
        token.remove_prefix(1);
    while (!token.empty() && isQuote(token.back()))
        token.remove_suffix(1);
    return token;
}

// A table path or input field name as the text writes it: in double quotes when it holds a character that would
// otherwise split the text or open a quote, or blanks at its ends that reading would trim.
void AppendPath(String& text, const String& path) {
    bool blankEnd = !path.empty() && (path.front() == u' ' || path.back() == u' ');
    if (!blankEnd && path.find_first_of(u",;'") == String::npos) {
        text += path;
        return;
    }
    text += u'"';
    text += path;
    text += u'"';
}

// Whether an input's table path or field name read from text can be written back: an empty part would vanish
// between its commas, and double quotes could not hold a double quote, nor end in a backslash that would escape the
// closing quote.
bool IsWritableInputPart(std::u16string_view part) {
    return !part.empty() && part.find(u'"') == std::u16string_view::npos && !part.ends_with(u'\\');
}

} // namespace

GPFieldMap::Input GPFieldMap::Input::Of(ComPtr<IField> field, ComPtr<IDEGdbTable7> table, int32_t start, int32_t end,
                                        int32_t tableIndex) {
    BStr name;
    if (field)
        field->get_Name(name.Out());
    String path = CatalogPathOf(table.Get());
    return {std::move(field), std::move(table), start, end, tableIndex, name.str(), std::move(path)};
}

String CatalogPathOf(IUnknown* table) {
    BStr path;
    if (auto element = QueryAs<IDataElement>(table))
        element->get_CatalogPath(path.Out());
    return path.str();
}

// ---- table source ----

const TableSource::Opened& TableSource::Open(const String& path) {
    auto found = opened_.find(path);
    if (found != opened_.end())
        return found->second;
    Opened opened;
    ComPtr<IDataElement> element;
    if (SUCCEEDED(OpenDataElement(path, element.Out())))
        opened.table = QueryAs<IDEGdbTable7>(element.Get());
    if (!opened.table) {
        size_t slash = path.find_last_of(u"/\\");
        String name = slash == String::npos ? path : path.substr(slash + 1);
        opened.table = ComPtr<IDEGdbTable7>(
            static_cast<IDEGdbTable7*>(MakeObject<TableDescription>(u"DETable", path, name).Get()));
    }
    ComPtr<IFields> fields;
    int32_t count = 0;
    if (SUCCEEDED(opened.table->get_Fields(fields.Out())) && fields && SUCCEEDED(fields->get_FieldCount(&count)))
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IField> field;
            BStr name;
            if (SUCCEEDED(fields->get_Field(i, field.Out())) && SUCCEEDED(field->get_Name(name.Out())))
                opened.fieldsByName.emplace(FoldCase(name.view()), field);
        }
    return opened_.emplace(path, std::move(opened)).first->second;
}

// ---- IGPFieldMap ----

HRESULT GPFieldMap::RemoveAll() {
    inputs_.clear();
    SetDirty();
    return S_OK;
}

HRESULT GPFieldMap::get_InputFieldCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(inputs_.size()), count);
}

HRESULT GPFieldMap::GetQualifiedFields(IFields** fields) {
    if (HRESULT hr = ClearOut(fields); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto qualified = MakeObject<Fields>();
        for (const Input& input : inputs_) {
            FieldProperties properties;
            if (!PropertiesOf(input.field.Get(), properties))
                return E_FAIL;
            String path = CatalogPathOf(input.table.Get());
            properties.name = path.empty() ? properties.name : path + u"\\" + properties.name;
            qualified->Add(std::move(properties), {FieldSource::Attribute, -1});
        }
        *fields = qualified.Detach();
        return S_OK;
    });
}

HRESULT GPFieldMap::get_OutputField(IField** field) {
    if (HRESULT hr = ClearOut(field); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<Field> copy = StorableField(AsField(output_));
        if (!copy)
            return E_FAIL;
        *field = static_cast<IField*>(copy.Detach());
        return S_OK;
    });
}

HRESULT GPFieldMap::putref_OutputField(IField* field) {
    if (!field)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        BStr name;
        if (FAILED(field->get_Name(name.Out())) || TrimRight(name.view()).empty())
            return E_FAIL;
        output_ = StorableField(field);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPFieldMap::get_MergeRule(int32_t* rule) {
    return HandOutValue(mergeRule_, rule);
}

HRESULT GPFieldMap::put_MergeRule(int32_t rule) {
    if (rule < 0 || rule >= kMergeRuleCount)
        return E_INVALIDARG;
    mergeRule_ = rule;
    SetDirty();
    return S_OK;
}

HRESULT GPFieldMap::get_JoinDelimiter(BSTR* delimiter) {
    return HandOut(joinDelimiter_, delimiter);
}

HRESULT GPFieldMap::put_JoinDelimiter(const OLECHAR* delimiter) {
    return guard([&] {
        joinDelimiter_ = delimiter ? delimiter : u"";
        SetDirty();
    });
}

HRESULT GPFieldMap::AddInputField(IDEGdbTable7* table, IField* field, int32_t start, int32_t end) {
    if (!table || !field)
        return E_POINTER;
    return guard([&] {
        inputs_.push_back(Input::Of(ComPtr<IField>(field), ComPtr<IDEGdbTable7>(table), start, end));
        SetDirty();
    });
}

HRESULT GPFieldMap::FindInputField(IDEGdbTable7* table, const OLECHAR* fieldName, int32_t* index) {
    if (!index)
        return E_POINTER;
    *index = -1;
    if (!table || !fieldName)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        String path = ComparablePath(CatalogPathOf(table));
        for (size_t i = 0; i < inputs_.size(); ++i) {
            if (EqualsNoCase(inputs_[i].fieldName, fieldName) && ComparablePath(inputs_[i].tablePath) == path) {
                *index = static_cast<int32_t>(i);
                return S_OK;
            }
        }
        return S_OK;
    });
}

HRESULT GPFieldMap::RemoveInputField(int32_t index) {
    if (!IsIndex(index))
        return E_FAIL;
    inputs_.erase(inputs_.begin() + index);
    SetDirty();
    return S_OK;
}

HRESULT GPFieldMap::get_InputField(int32_t index, IField** field) {
    if (HRESULT hr = ClearOut(field); FAILED(hr))
        return hr;
    return IsIndex(index) ? inputs_[index].field.CopyTo(field) : E_FAIL;
}

HRESULT GPFieldMap::get_InputTable(int32_t index, IDEGdbTable7** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    return IsIndex(index) ? inputs_[index].table.CopyTo(table) : E_FAIL;
}

HRESULT GPFieldMap::GetTextPositions(int32_t index, int32_t* start, int32_t* end) {
    if (!start || !end)
        return E_POINTER;
    if (!IsIndex(index))
        return E_FAIL;
    *start = inputs_[index].start;
    *end = inputs_[index].end;
    return S_OK;
}

HRESULT GPFieldMap::SetTextPositions(int32_t index, int32_t start, int32_t end) {
    if (!IsIndex(index))
        return E_FAIL;
    inputs_[index].start = start;
    inputs_[index].end = end;
    SetDirty();
    return S_OK;
}

HRESULT GPFieldMap::get_InputTableIndex(int32_t index, int32_t* tableIndex) {
    if (!tableIndex)
        return E_POINTER;
    return IsIndex(index) ? HandOutValue(inputs_[index].tableIndex, tableIndex) : E_FAIL;
}

HRESULT GPFieldMap::put_InputTableIndex(int32_t index, int32_t tableIndex) {
    if (!IsIndex(index))
        return E_FAIL;
    inputs_[index].tableIndex = tableIndex;
    SetDirty();
    return S_OK;
}

// ---- text ----

HRESULT GPFieldMap::GetAsText(BSTR* text) {
    return guard([&] {
        String written;
        AppendText(written);
        return HandOut(written, text);
    });
}

HRESULT GPFieldMap::SetAsText(const OLECHAR* text) {
    return guard([&]() -> HRESULT {
        auto staged = MakeObject<GPFieldMap>();
        TableSource tables;
        if (!staged->ReadText(text ? text : u"", tables))
            return E_FAIL;
        if (HRESULT hr = staged->CheckMap(); FAILED(hr))
            return hr;
        return Assign(staged.Get());
    });
}

HRESULT GPFieldMap::Check() {
    return guard([&] { return CheckMap(); });
}

void GPFieldMap::AppendText(String& text) const {
    if (output_ && !(output_->Properties().name.empty() && output_->Properties().alias.empty())) {
        const FieldProperties& out = output_->Properties();
        text += out.name;
        text += u" \"";
        AppendEncodedAlias(text, out.alias.empty() ? out.name : out.alias);
        text += u"\" ";
        for (bool setting : {out.editable, out.nullable, out.required}) {
            text += BoolWord(setting);
            text += u' ';
        }
        AppendDecimal(text, out.length);
        text += u' ';
        text += FieldTypeKeyword(out.type);
        text += u' ';
        AppendDecimal(text, out.precision);
        text += u' ';
        AppendDecimal(text, out.scale);
    }
    text += u',';
    text += MergeRuleKeyword(mergeRule_);
    if (joinDelimiter_.empty()) {
        text += u",#";
    } else {
        text += u",\"";
        text += joinDelimiter_;
        text += u'"';
    }
    for (const Input& input : inputs_) {
        text += u',';
        AppendPath(text, input.tablePath);
        text += u',';
        AppendPath(text, input.fieldName);
        text += u',';
        AppendDecimal(text, input.start);
        text += u',';
        AppendDecimal(text, input.end);
    }
}

bool GPFieldMap::ReadFieldPart(std::u16string_view part) {
    auto tokens = Split(WithoutEnclosingQuotes(part), u' ');
    if (!tokens || tokens->empty())
        return false;
    FieldProperties p;
    p.type = taviFieldTypeInteger;
    p.nullable = true;
    auto token = [&](size_t i) -> std::optional<std::u16string_view> {
        if (i >= tokens->size() || (*tokens)[i].starts_with(u"#"))
            return std::nullopt;
        return (*tokens)[i];
    };
    auto number = [&](size_t i, int32_t& setting) {
        if (auto t = token(i))
            if (auto value = ReadInteger(*t))
                setting = *value;
    };
    p.name = Unquoted((*tokens)[0]);
    if (p.name.find_first_of(u"\"',; \t\\") != String::npos)
        return false; // a name the field part could not write back
    if (auto alias = token(1)) {
        p.alias = DecodeAlias(AliasToken(*alias));
        if (p.alias.ends_with(u'\\'))
            return false; // it would escape the double quote that closes it
    }
    bool* settings[] = {&p.editable, &p.nullable, &p.required};
    for (size_t i = 0; i < 3; ++i)
        if (auto t = token(2 + i))
            *settings[i] = EqualsNoCase(*t, u"true");
    number(5, p.length);
    if (p.length < 0)
        p.length = 0;
    if (auto type = token(6))
        p.type = FieldTypeOf(*type);
    if (p.type == taviFieldTypeRaster)
        p.rasterDef = ComPtr<IRasterDef>(static_cast<IRasterDef*>(MakeObject<RasterDef>().Get()));
    number(7, p.precision);
    number(8, p.scale);
    if (p.alias == p.name)
        p.alias.clear();
    output_ = MakeField(std::move(p));
    return true;
}

bool GPFieldMap::ReadText(std::u16string_view text, TableSource& tables) {
    auto parts = Split(text, u',');
    if (!parts || parts->empty())
        return false;
    if (text.starts_with(u',')) {
        // The text of a map without output field begins with its merge rule.
        parts->insert(parts->begin(), std::u16string_view());
        output_ = {};
    } else if (!ReadFieldPart((*parts)[0])) {
        return false;
    }
    mergeRule_ = parts->size() > 1 ? MergeRuleOf((*parts)[1]) : taviGPFieldMapMergeRuleFirst;
    joinDelimiter_.clear();
    if (parts->size() > 2) {
        std::u16string_view delimiter = Unquoted((*parts)[2]);
        if (delimiter.find(u'"') != std::u16string_view::npos || delimiter.ends_with(u'\\'))
            return false; // a delimiter its double quotes could not hold
        if (!delimiter.empty() && delimiter.front() != u'#')
            joinDelimiter_ = delimiter;
    }
    inputs_.clear();
    const FieldProperties out = output_ ? output_->Properties() : FieldProperties{};
    for (size_t i = 3; i < parts->size(); i += 4) {
        if (i + 1 >= parts->size())
            return false; // a table without a field
        auto position = [&](size_t at) {
            std::optional<int32_t> value = at < parts->size() ? ReadInteger(Unquoted((*parts)[at])) : std::nullopt;
            return value.value_or(-1);
        };
        String path(Unquoted((*parts)[i]));
        String name(Unquoted((*parts)[i + 1]));
        if (!IsWritableInputPart(path) || !IsWritableInputPart(name))
            return false;
        const TableSource::Opened& opened = tables.Open(path);
        auto found = opened.fieldsByName.find(FoldCase(name));
        ComPtr<IField> field;
        if (found != opened.fieldsByName.end()) {
            field = found->second;
        } else {
            // A field the table does not have (or a table that could not be opened): kept by name.
            FieldProperties missing = out;
            missing.name = name;
            missing.alias.clear();
            field = ComPtr<IField>(static_cast<IField*>(MakeField(std::move(missing)).Get()));
        }
        FieldProperties in;
        if (output_ && PropertiesOf(field.Get(), in)) {
            if (in.rasterDef)
                output_->putref_RasterDef(in.rasterDef.Get());
            if (in.type == taviFieldTypeDate && out.type == taviFieldTypeDate)
                output_->put_Precision(in.precision);
        }
        inputs_.push_back(Input::Of(field, opened.table, position(i + 2), position(i + 3)));
    }
    SetDirty();
    return true;
}

HRESULT GPFieldMap::CheckMap() const {
    if (!output_ || TrimRight(output_->Properties().name).empty())
        return E_FAIL;
    const FieldProperties& out = output_->Properties();
    bool outputIsBlob = out.type == taviFieldTypeBlob;
    for (const Input& input : inputs_) {
        int32_t type = 0;
        if (input.field && SUCCEEDED(input.field->get_Type(&type)) && (type == taviFieldTypeBlob) != outputIsBlob)
            return TAVI_E_FIELDMAP_TYPE_MISMATCH;
    }
    return S_OK;
}

String GPFieldMap::OutputKey() const {
    return output_ ? FoldCase(output_->Properties().name) : String();
}

// ---- IClone ----

HRESULT GPFieldMap::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<GPFieldMap>();
        if (HRESULT hr = copy->Assign(this); FAILED(hr))
            return hr;
        *clone = static_cast<IClone*>(copy.Detach());
        return S_OK;
    });
}

// Read through IGPFieldMap, so that any field map can be the source.
HRESULT GPFieldMap::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPFieldMap>(source);
        if (!other)
            return E_INVALIDARG;
        if (SameObject(static_cast<IGPFieldMap*>(this), other.Get()))
            return S_OK;
        ComPtr<IField> output;
        int32_t rule = 0, count = 0;
        BStr delimiter;
        if (FAILED(other->get_MergeRule(&rule)) || FAILED(other->get_JoinDelimiter(delimiter.Out())) ||
            FAILED(other->get_InputFieldCount(&count)))
            return E_FAIL;
        other->get_OutputField(output.Out()); // none is a state of its own
        std::vector<Input> inputs(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            Input& input = inputs[i];
            if (FAILED(other->get_InputField(i, input.field.Out())) ||
                FAILED(other->get_InputTable(i, input.table.Out())) ||
                FAILED(other->GetTextPositions(i, &input.start, &input.end)) ||
                FAILED(other->get_InputTableIndex(i, &input.tableIndex)))
                return E_FAIL;
        }
        for (Input& input : inputs)
            input = Input::Of(std::move(input.field), std::move(input.table), input.start, input.end, input.tableIndex);
        output_ = StorableField(output.Get());
        mergeRule_ = rule;
        joinDelimiter_ = delimiter.str();
        inputs_ = std::move(inputs);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPFieldMap::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto map = QueryAs<IGPFieldMap>(other);
        if (!map)
            return S_OK;
        auto copy = MakeObject<GPFieldMap>();
        if (FAILED(copy->Assign(other)))
            return S_OK;
        // Two maps are equal when they read and write alike: the same text, and the same table indexes.
        String mine, theirs;
        AppendText(mine);
        copy->AppendText(theirs);
        bool same = mine == theirs && copy->inputs_.size() == inputs_.size();
        for (size_t i = 0; same && i < inputs_.size(); ++i)
            same = inputs_[i].tableIndex == copy->inputs_[i].tableIndex;
        *equal = same ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT GPFieldMap::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IGPFieldMap*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// ---- stream and XML forms ----

HRESULT GPFieldMap::GetClassID(CLSID* clsid) {
    return HandOutValue(kClassId, clsid);
}

HRESULT GPFieldMap::GetSizeMax(uint64_t* size) {
    return SaveFormSize(this, size);
}

int32_t GPFieldMap::SaveVersionFor(IStream* stream) {
    return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kSaveVersions), kSaveVersions);
}

HRESULT GPFieldMap::SaveContent(IStream* stream, uint16_t version) {
    bool clearDirty = SaveClearsDirty();
    if (FAILED(AfStreamWrite(stream, mergeRule_)) || FAILED(WriteString(stream, joinDelimiter_)) ||
        FAILED(SaveObject(AsField(output_), stream, clearDirty)) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(inputs_.size()))))
        return E_FAIL;
    for (const Input& input : inputs_) {
        // The table is stored as a light description: its name and path, without its fields and data.
        ComPtr<TableDescription> table;
        if (FAILED(DescribeTable(input.table.Get(), false, table)) ||
            FAILED(SaveObject(AsField(StorableField(input.field.Get())), stream, clearDirty)) ||
            FAILED(SaveObject(static_cast<IDataElement*>(table.Get()), stream, clearDirty)) ||
            FAILED(AfStreamWrite(stream, input.start)) || FAILED(AfStreamWrite(stream, input.end)))
            return E_FAIL;
        if (version >= kTableIndexVersion && FAILED(AfStreamWrite(stream, input.tableIndex)))
            return E_FAIL;
    }
    return S_OK;
}

HRESULT GPFieldMap::LoadContent(IStream* stream, uint16_t version) {
    int32_t count = 0;
    ComPtr<IField> output;
    if (FAILED(AfStreamRead(stream, &mergeRule_)) || mergeRule_ < 0 || mergeRule_ >= kMergeRuleCount ||
        FAILED(ReadString(stream, &joinDelimiter_)) || FAILED(LoadObject(stream, IField::iid, output.OutVoid())) ||
        FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    for (int32_t i = 0; i < count; ++i) {
        Input input;
        if (FAILED(LoadObject(stream, IField::iid, input.field.OutVoid())) || !input.field ||
            FAILED(LoadObject(stream, IDEGdbTable7::iid, input.table.OutVoid())) || !input.table ||
            FAILED(AfStreamRead(stream, &input.start)) || FAILED(AfStreamRead(stream, &input.end)))
            return E_FAIL;
        if (version >= kTableIndexVersion && FAILED(AfStreamRead(stream, &input.tableIndex)))
            return E_FAIL;
        inputs_.push_back(
            Input::Of(std::move(input.field), std::move(input.table), input.start, input.end, input.tableIndex));
    }
    output_ = StorableField(output.Get());
    return S_OK;
}

HRESULT GPFieldMap::SerializeContent(IXMLSerializeData* data) {
    String text;
    AppendText(text);
    return data->AddString(u"Value", text.c_str());
}

HRESULT GPFieldMap::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    BStr text;
    TableSource tables;
    if (FAILED(data->Find(u"Value", &index)) || index < 0 || FAILED(data->GetString(index, text.Out())) ||
        !ReadText(text.view(), tables))
        return E_FAIL;
    return S_OK;
}

// ---- versions ----

HRESULT GPFieldMap::IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) {
    return SupportedAtEveryVersion(supported);
}

HRESULT GPFieldMap::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return SelfAsSupportedObject(static_cast<IGPFieldMap*>(this), replacement);
}

} // namespace tavi
