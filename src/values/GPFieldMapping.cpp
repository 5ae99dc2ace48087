// The field mapping value: see GPFieldMapping.h.
#include "values/GPFieldMapping.h"

#include "data/Field.h"
#include "host/StreamIO.h"
#include "platform/HandOut.h"
#include "values/FieldMapText.h"

#include <iterator>

namespace tavi {

using namespace fieldmaptext;

namespace {

constexpr int16_t kNewerSaveVersions[] = {1, 1, 1, 2};
constexpr int16_t kOlderSaveVersions[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 10, 10, 10, 10, 11};
// The numbers a clashing output name may take ("NAME1" ... "NAME9999998").
constexpr int32_t kLastNameNumber = 9999998;

// Paths of tables whose fields a database keeps; the fields of any other table (a file) come out nullable.
bool IsDatabasePath(std::u16string_view path) {
    for (std::u16string_view marker : {u".mdb", u".gdb", u".kvt", u".gds", u".geodatabase", u".dbconn"})
        if (FindNoCase(path, marker) != std::u16string_view::npos)
            return true;
    return false;
}

ComPtr<IField> NewField(FieldProperties properties) {
    return ComPtr<IField>(static_cast<IField*>(MakeField(std::move(properties)).Get()));
}

bool IsLongerText(const FieldProperties& input, const FieldProperties& output) {
    return input.length > output.length;
}

} // namespace

// ---- IGPValue ----

HRESULT GPFieldMapping::IsEmpty(VARIANT_BOOL* empty) {
    return HandOutValue(maps_.empty() ? VARIANT_TRUE : VARIANT_FALSE, empty);
}

HRESULT GPFieldMapping::Empty() {
    ClearContent();
    return BaseEmpty();
}

void GPFieldMapping::ClearContent() {
    maps_.clear();
    tables_.clear();
    tablePaths_.clear();
    mapByOutputName_.clear();
    readFlag_ = 0;
}

// A field map's text is never empty (it holds its merge rule at least), so every map is written.
String GPFieldMapping::JoinedText(std::u16string_view separator) const {
    String text;
    for (const auto& map : maps_) {
        if (!text.empty())
            text += separator;
        map->AppendText(text);
    }
    return text;
}

HRESULT GPFieldMapping::GetAsText(BSTR* text) {
    return guard([&] { return HandOut(JoinedText(u";"), text); });
}

HRESULT GPFieldMapping::get_ToolTip(BSTR* toolTip) {
    return guard([&] { return HandOut(JoinedText(u"\n"), toolTip); });
}

HRESULT GPFieldMapping::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        std::u16string_view body = text ? std::u16string_view(text) : std::u16string_view();
        if (body.size() >= 2 && body.front() == u'(' && body.back() == u')')
            body = body.substr(1, body.size() - 2);
        auto staged = MakeObject<GPFieldMapping>();
        HRESULT hr = body.empty() || body == u"#" ? S_OK : staged->ReadText(body);
        if (FAILED(hr)) {
            MakeTextError(made.Get(), kUnreadableText);
            *message = made.Detach();
            return hr;
        }
        ClearContent();
        TakeMapsAndTables(*staged);
        readFlag_ = maps_.empty() ? readFlag_ : -1;
        SetModified();
        *message = made.Detach();
        return S_OK;
    });
}

HRESULT GPFieldMapping::ReadText(std::u16string_view text) {
    auto mapTexts = Split(text, u';');
    if (!mapTexts)
        return E_FAIL;
    TableSource tables;
    for (std::u16string_view mapText : *mapTexts) {
        auto map = MakeObject<GPFieldMap>();
        if (!map->ReadText(mapText, tables))
            return E_FAIL;
        if (HRESULT hr = map->CheckMap(); FAILED(hr))
            return hr;
        maps_.push_back(std::move(map));
    }
    return S_OK;
}

// ---- IClone ----

HRESULT GPFieldMapping::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto mapping = QueryAs<IGPFieldMapping>(source);
        auto impl = QueryAs<IGPFieldMappingImpl>(source);
        if (!mapping || !impl)
            return E_INVALIDARG;
        if (SameObject(static_cast<IGPFieldMapping*>(this), mapping.Get()))
            return S_OK;
        auto staged = MakeObject<GPFieldMapping>();
        int32_t tableCount = 0, mapCount = 0;
        if (FAILED(impl->get_InputTableCount(&tableCount)) || FAILED(mapping->get_FieldMapCount(&mapCount)) ||
            FAILED(impl->get_TargetTable(staged->target_.Out())))
            return E_FAIL;
        for (int32_t i = 0; i < tableCount; ++i) {
            ComPtr<IDEGdbTable7> table;
            if (FAILED(impl->get_InputTable(i, table.Out())) || !table)
                return E_FAIL;
            staged->tables_.push_back(table);
            staged->tablePaths_.push_back(ComparablePath(CatalogPathOf(table.Get())));
        }
        for (int32_t i = 0; i < mapCount; ++i) {
            ComPtr<IGPFieldMap> map;
            auto copy = MakeObject<GPFieldMap>();
            if (FAILED(mapping->GetFieldMap(i, map.Out())) || FAILED(copy->Assign(QueryAs<IClone>(map.Get()).Get())))
                return E_FAIL;
            staged->maps_.push_back(std::move(copy));
        }
        if (HRESULT hr = BaseAssign(source); FAILED(hr))
            return hr;
        TakeMapsAndTables(*staged);
        target_ = std::move(staged->target_);
        readFlag_ = maps_.empty() ? 0 : -1;
        return S_OK;
    });
}

HRESULT GPFieldMapping::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        if (!QueryAs<IGPFieldMapping>(other))
            return S_OK;
        auto copy = MakeObject<GPFieldMapping>();
        if (FAILED(copy->Assign(other)) || copy->JoinedText(u";") != JoinedText(u";") ||
            copy->tablePaths_ != tablePaths_ ||
            ComparablePath(CatalogPathOf(copy->target_.Get())) != ComparablePath(CatalogPathOf(target_.Get())))
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// ---- IGPFieldMapping ----

HRESULT GPFieldMapping::AddTable(IDEGdbTable7* table) {
    if (!table)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (!QueryAs<IDataElement>(table))
            return E_INVALIDARG;
        // Merged on a copy, so that a table whose fields cannot be read changes nothing.
        auto staged = MakeObject<GPFieldMapping>();
        if (HRESULT hr = staged->Assign(this); FAILED(hr))
            return hr;
        int32_t tableIndex = static_cast<int32_t>(staged->tables_.size());
        staged->tables_.push_back(ComPtr<IDEGdbTable7>(table));
        staged->tablePaths_.push_back(ComparablePath(CatalogPathOf(table)));
        if (HRESULT hr = staged->MergeTable(table, tableIndex); FAILED(hr))
            return hr;
        TakeMapsAndTables(*staged);
        SetModified();
        return S_OK;
    });
}

HRESULT GPFieldMapping::MergeTable(IDEGdbTable7* table, int32_t tableIndex) {
    ComPtr<IFields> fields;
    int32_t count = 0;
    if (FAILED(table->get_Fields(fields.Out())) || !fields || FAILED(fields->get_FieldCount(&count)))
        return E_FAIL;
    bool fileBased = !IsDatabasePath(CatalogPathOf(table));
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        FieldProperties in;
        if (FAILED(fields->get_Field(i, field.Out())) || FAILED(ReadFieldProperties(field.Get(), in)))
            return E_FAIL;
        // The object identifier and the shape belong to the output table itself, not to its mapped fields.
        if (in.type == taviFieldTypeOID || in.type == taviFieldTypeGeometry)
            continue;
        GPFieldMap::Input input = GPFieldMap::Input::Of(field, ComPtr<IDEGdbTable7>(table), -1, -1, tableIndex);
        String name = in.name;
        auto existing = mapByOutputName_.find(FoldCase(name));
        if (existing != mapByOutputName_.end()) {
            GPFieldMap& map = *maps_[existing->second];
            map.Inputs().push_back(input);
            HRESULT check = map.CheckMap();
            if (SUCCEEDED(check)) {
                FieldProperties out;
                ReadFieldProperties(map.OutputField().Get(), out);
                if (IsLongerText(in, out))
                    QueryAs<IFieldEdit>(map.OutputField().Get())->put_Length(in.length);
                continue;
            }
            map.Inputs().pop_back();
            if (check != TAVI_E_FIELDMAP_TYPE_MISMATCH)
                return check;
            // The field cannot join its namesake: it starts an output field under the first free numbered name.
            int32_t number = 1;
            for (; number <= kLastNameNumber; ++number)
                if (!mapByOutputName_.contains(FoldCase(name + FormatInteger("%d", number))))
                    break;
            if (number > kLastNameNumber)
                return E_FAIL;
            name += FormatInteger("%d", number);
        }
        FieldProperties out = in;
        out.name = name;
        if (name != in.name)
            out.alias.clear();
        if (fileBased)
            out.nullable = true;
        auto map = MakeObject<GPFieldMap>();
        if (FAILED(map->putref_OutputField(NewField(std::move(out)).Get())))
            return E_FAIL;
        map->Inputs().push_back(input);
        mapByOutputName_.emplace(FoldCase(name), maps_.size());
        maps_.push_back(std::move(map));
    }
    return S_OK;
}

HRESULT GPFieldMapping::GetOutputFields(IFields** fields) {
    if (HRESULT hr = ClearOut(fields); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto outputs = MakeObject<Fields>();
        for (const auto& map : maps_) {
            FieldProperties out;
            if (map->OutputField() && SUCCEEDED(ReadFieldProperties(map->OutputField().Get(), out)))
                outputs->Add(std::move(out), {FieldSource::Attribute, -1});
        }
        *fields = outputs.Detach();
        return S_OK;
    });
}

HRESULT GPFieldMapping::RemoveAll() {
    ClearContent();
    SetModified();
    return S_OK;
}

HRESULT GPFieldMapping::get_FieldMapCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(maps_.size()), count);
}

HRESULT GPFieldMapping::GetFieldMap(int32_t index, IGPFieldMap** fieldMap) {
    if (HRESULT hr = ClearOut(fieldMap); FAILED(hr))
        return hr;
    if (!IsIndex(index))
        return E_FAIL;
    return guard([&]() -> HRESULT {
        ComPtr<IClone> copy;
        if (HRESULT hr = maps_[index]->Clone(copy.Out()); FAILED(hr))
            return hr;
        *fieldMap = copy.As<IGPFieldMap>().Detach();
        return S_OK;
    });
}

HRESULT GPFieldMapping::CheckedCopy(IGPFieldMap* fieldMap, ComPtr<GPFieldMap>& copy) {
    if (!fieldMap)
        return E_POINTER;
    auto made = MakeObject<GPFieldMap>();
    auto source = QueryAs<IClone>(fieldMap);
    if (!source || FAILED(made->Assign(source.Get())))
        return E_INVALIDARG;
    if (HRESULT hr = made->CheckMap(); FAILED(hr))
        return hr;
    copy = std::move(made);
    return S_OK;
}

HRESULT GPFieldMapping::ReplaceFieldMap(int32_t index, IGPFieldMap* fieldMap) {
    return guard([&]() -> HRESULT {
        ComPtr<GPFieldMap> copy;
        if (HRESULT hr = CheckedCopy(fieldMap, copy); FAILED(hr))
            return hr;
        if (!IsIndex(index))
            return E_FAIL;
        maps_[index] = std::move(copy);
        Reindex();
        SetModified();
        return S_OK;
    });
}

HRESULT GPFieldMapping::AddFieldMap(IGPFieldMap* fieldMap) {
    return guard([&]() -> HRESULT {
        ComPtr<GPFieldMap> copy;
        if (HRESULT hr = CheckedCopy(fieldMap, copy); FAILED(hr))
            return hr;
        maps_.push_back(std::move(copy));
        Reindex();
        SetModified();
        return S_OK;
    });
}

HRESULT GPFieldMapping::RemoveTable(int32_t tableIndex) {
    if (tableIndex < 0 || static_cast<size_t>(tableIndex) >= tables_.size())
        return E_FAIL;
    return guard([&] {
        const String path = tablePaths_[tableIndex];
        for (auto& map : maps_)
            std::erase_if(map->Inputs(),
                          [&](const GPFieldMap::Input& input) { return ComparablePath(input.tablePath) == path; });
        std::erase_if(maps_, [](const ComPtr<GPFieldMap>& map) { return map->Inputs().empty(); });
        tables_.erase(tables_.begin() + tableIndex);
        tablePaths_.erase(tablePaths_.begin() + tableIndex);
        Reindex();
        SetModified();
    });
}

HRESULT GPFieldMapping::RemoveFieldMap(int32_t index) {
    if (!IsIndex(index))
        return E_FAIL;
    maps_.erase(maps_.begin() + index);
    Reindex();
    SetModified();
    return S_OK;
}

HRESULT GPFieldMapping::ResetFieldMaps() {
    return guard([&]() -> HRESULT {
        auto staged = MakeObject<GPFieldMapping>();
        staged->tables_ = tables_;
        staged->tablePaths_ = tablePaths_;
        for (size_t i = 0; i < tables_.size(); ++i)
            if (HRESULT hr = staged->MergeTable(tables_[i].Get(), static_cast<int32_t>(i)); FAILED(hr))
                return hr;
        maps_ = std::move(staged->maps_);
        Reindex();
        SetModified();
        return S_OK;
    });
}

// ---- IGPFieldMappingImpl ----

HRESULT GPFieldMapping::get_InputTableCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(tables_.size()), count);
}

HRESULT GPFieldMapping::get_InputTable(int32_t index, IDEGdbTable7** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    if (index < 0 || static_cast<size_t>(index) >= tables_.size())
        return E_FAIL;
    return tables_[index].CopyTo(table);
}

HRESULT GPFieldMapping::get_TargetTable(IDEGdbTable7** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    if (!target_)
        return S_FALSE;
    return target_.CopyTo(table);
}

HRESULT GPFieldMapping::putref_TargetTable(IDEGdbTable7* table) {
    target_ = ComPtr<IDEGdbTable7>(table);
    SetDirty();
    return S_OK;
}

// ---- indexes ----

int32_t GPFieldMapping::RegisterTable(IDEGdbTable7* table, std::u16string_view catalogPath) {
    String path = ComparablePath(catalogPath);
    for (size_t i = 0; i < tablePaths_.size(); ++i)
        if (tablePaths_[i] == path)
            return static_cast<int32_t>(i);
    tables_.push_back(ComPtr<IDEGdbTable7>(table));
    tablePaths_.push_back(std::move(path));
    return static_cast<int32_t>(tables_.size() - 1);
}

void GPFieldMapping::TakeMapsAndTables(GPFieldMapping& staged) {
    maps_ = std::move(staged.maps_);
    tables_ = std::move(staged.tables_);
    tablePaths_ = std::move(staged.tablePaths_);
    Reindex();
}

void GPFieldMapping::Reindex() {
    mapByOutputName_.clear();
    for (size_t i = 0; i < maps_.size(); ++i) {
        for (auto& input : maps_[i]->Inputs())
            input.tableIndex = input.table ? RegisterTable(input.table.Get(), input.tablePath) : -1;
        mapByOutputName_.emplace(maps_[i]->OutputKey(), i);
    }
}

// ---- versions ----

HRESULT GPFieldMapping::IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) {
    return SupportedAtEveryVersion(supported);
}

HRESULT GPFieldMapping::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return SelfAsSupportedObject(static_cast<IGPValue*>(this), replacement);
}

// ---- stream and XML forms ----

int32_t GPFieldMapping::SaveVersionFor(IStream* stream) {
    return AfStreamGetOrinSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kNewerSaveVersions),
                                      kNewerSaveVersions, std::size(kOlderSaveVersions), kOlderSaveVersions);
}

HRESULT GPFieldMapping::SaveContent(IStream* stream, uint16_t version) {
    bool clearDirty = SaveClearsDirty();
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(maps_.size()))))
        return E_FAIL;
    for (const auto& map : maps_)
        if (FAILED(SaveObject(static_cast<IGPFieldMap*>(map.Get()), stream, clearDirty)))
            return E_FAIL;
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(tables_.size()))))
        return E_FAIL;
    for (const auto& table : tables_) {
        ComPtr<TableDescription> description;
        if (FAILED(DescribeTable(table.Get(), true, description)) ||
            FAILED(SaveObject(static_cast<IDataElement*>(description.Get()), stream, clearDirty)))
            return E_FAIL;
    }
    if (version >= 2) {
        ComPtr<TableDescription> description;
        if (target_ && FAILED(DescribeTable(target_.Get(), true, description)))
            return E_FAIL;
        if (FAILED(
                SaveObject(description ? static_cast<IDataElement*>(description.Get()) : nullptr, stream, clearDirty)))
            return E_FAIL;
    }
    if (version >= 3 && FAILED(AfStreamWrite(stream, readFlag_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPFieldMapping::LoadContent(IStream* stream, uint16_t version) {
    int32_t mapCount = 0, tableCount = 0;
    if (FAILED(AfStreamRead(stream, &mapCount)) || mapCount < 0)
        return E_FAIL;
    for (int32_t i = 0; i < mapCount; ++i) {
        ComPtr<IGPFieldMap> loaded;
        auto map = MakeObject<GPFieldMap>();
        if (FAILED(LoadObject(stream, IGPFieldMap::iid, loaded.OutVoid())) || !loaded ||
            FAILED(map->Assign(QueryAs<IClone>(loaded.Get()).Get())))
            return E_FAIL;
        maps_.push_back(std::move(map));
    }
    if (FAILED(AfStreamRead(stream, &tableCount)) || tableCount < 0)
        return E_FAIL;
    for (int32_t i = 0; i < tableCount; ++i) {
        ComPtr<IDEGdbTable7> table;
        if (FAILED(LoadObject(stream, IDEGdbTable7::iid, table.OutVoid())) || !table)
            return E_FAIL;
        tables_.push_back(table);
        tablePaths_.push_back(ComparablePath(CatalogPathOf(table.Get())));
    }
    if (version >= 2 && FAILED(LoadObject(stream, IDEGdbTable7::iid, target_.OutVoid())))
        return E_FAIL;
    if (version >= 3) {
        if (FAILED(AfStreamRead(stream, &readFlag_)))
            return E_FAIL;
    } else {
        readFlag_ = maps_.empty() ? 0 : -1;
    }
    // The stored field maps leave their table indexes out: they follow from the tables.
    Reindex();
    return S_OK;
}

HRESULT GPFieldMapping::SerializeContent(IXMLSerializeData* data) {
    if (maps_.empty())
        return S_OK;
    return data->AddString(u"Value", JoinedText(u";").c_str());
}

HRESULT GPFieldMapping::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    if (FAILED(data->Find(u"Value", &index)) || index < 0)
        return S_OK; // a document that holds only the base part: the field maps stay
    BStr text;
    if (FAILED(data->GetString(index, text.Out())))
        return E_FAIL;
    auto staged = MakeObject<GPFieldMapping>();
    if (!text.view().empty() && FAILED(staged->ReadText(text.view())))
        return E_FAIL;
    TakeMapsAndTables(*staged);
    readFlag_ = maps_.empty() ? readFlag_ : -1;
    return S_OK;
}

} // namespace tavi
