// The record set value base: see RecordSetValue.h.
#include "layers/RecordSetValue.h"

#include "layers/GPRecordSet.h"

#include "data/DataElementValue.h"
#include "data/LayerDefinition.h"
#include "data/RecordSet.h"
#include "data/RecordSetJson.h"
#include "data/ServiceInputLayer.h"
#include "host/CreateInstance.h"
#include "host/GPCatalogPath.h"
#include "host/HttpClient.h"
#include "host/StreamIO.h"
#include "platform/Utf.h"
#include "tavi/GPExtent.h"
#include "tavi/GPUtilities.h"

#include <cmath>
#include <filesystem>
#include <limits>

namespace tavi {

namespace {

// Save versions by document version: record sets (8 entries), feature sets (the newer line's 5 entries and the older
// line's 9).
constexpr int16_t kRecordSetSaveVersions[] = {2, 2, 2, 2, 2, 2, 2, 3};
constexpr int16_t kFeatureSetNewerSaveVersions[] = {5, 5, 5, 5, 5};
constexpr int16_t kFeatureSetOlderSaveVersions[] = {2, 2, 2, 2, 2, 3, 3, 4, 4};

template <class T> ComPtr<T> CreateHost(REFCLSID clsid) {
    ComPtr<T> made;
    if (FAILED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::iid, made.OutVoid())))
        return {};
    return made;
}

ComPtr<IGPUtilities> Utilities() {
    return CreateHost<IGPUtilities>(CLSID_GPUtilities);
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsWebAddress(std::u16string_view text) {
    return StartsWithNoCase(text, u"http://") || StartsWithNoCase(text, u"https://");
}

// The part of a web address before its query ("?"), all of it when the "?" is its first character or absent.
std::u16string_view BeforeQuery(std::u16string_view address) {
    const size_t query = address.find(u'?');
    return query == std::u16string_view::npos || query == 0 ? address : address.substr(0, query);
}

// A record set file address: the first ".dat" (any letter case) of `path` ends the part before its query.
bool NamesRecordFile(std::u16string_view path) {
    const String folded = FoldCase(path);
    const size_t dat = folded.find(u".dat");
    return dat != String::npos && dat + 4 == BeforeQuery(path).size();
}

// The table name ExportToWorkspace derives from a given name: blanks and parentheses become "_".
String ExportName(std::u16string_view name) {
    String made(name);
    for (char16_t& c : made)
        if (c == u' ' || c == u'(' || c == u')')
            c = u'_';
    return made;
}

// The names of the datasets of a workspace, case-folded.
std::vector<String> DatasetNames(IWorkspace* workspace) {
    std::vector<String> names;
    BStr path;
    auto utilities = Utilities();
    ComPtr<IDataElement> element;
    ComPtr<IArray> children;
    if (!utilities || FAILED(workspace->get_PathName(path.Out())) ||
        FAILED(utilities->OpenDataElementFromText(path.c_str(), element.Out())) ||
        FAILED(element->get_Children(children.Out())) || !children)
        return names;
    int32_t count = 0;
    children->get_Count(&count);
    for (int32_t index = 0; index < count; ++index) {
        ComPtr<IUnknown> child;
        BStr name;
        if (SUCCEEDED(children->get_Element(index, child.Out())))
            if (auto data = QueryAs<IDataElement>(child.Get()); data && SUCCEEDED(data->get_Name(name.Out())))
                names.push_back(FoldCase(name.view()));
    }
    return names;
}

// `base`, or `base` followed by 1, 2, ... until no dataset of `taken` has the name.
String FreeName(const String& base, const std::vector<String>& taken) {
    auto isTaken = [&](const String& name) {
        return std::find(taken.begin(), taken.end(), FoldCase(name)) != taken.end();
    };
    String name = base;
    for (int counter = 1; isTaken(name); ++counter)
        name = base + FromUtf8(std::to_string(counter));
    return name;
}

// A file name for a downloaded record set file in the scratch folder (or the system's temporary folder).
String TempRecordFileName() {
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ignored);
    if (auto utilities = Utilities()) {
        BStr scratch;
        if (SUCCEEDED(utilities->get_ScratchFolder(scratch.Out())) && !scratch.view().empty()) {
            std::filesystem::create_directories(ToUtf8(scratch.view()), ignored);
            folder = ToUtf8(scratch.view());
        }
    }
    static std::atomic<uint64_t> counter{0};
    const std::string name = "record_set_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".dat";
    return FromUtf8((folder / name).string());
}

} // namespace

void RecordSetCore::ResetAll() {
    state_ = RecordSetState{};
    table_ = TableBaseState{};
    table_.name = DefaultName();
    scratchWorkspacePath_.clear();
    scratchTable_ = nullptr;
}

void RecordSetCore::TakeRecordSet(IRecordSet* recordSet) {
    state_.recordSet = ComPtr<IRecordSet>(recordSet);
    if (!recordSet)
        return;
    ComPtr<IFields> fields;
    if (SUCCEEDED(recordSet->get_Fields(fields.Out())))
        table_.fields = fields;
    BStr oid;
    if (SUCCEEDED(recordSet->get_OIDFieldName(oid.Out())) && !oid.view().empty()) {
        state_.oidFieldName = oid.str();
        table_.hasOID = true;
    }
    BStr shape;
    if (features_ && SUCCEEDED(recordSet->get_ShapeFieldName(shape.Out())) && !shape.view().empty())
        state_.shapeFieldName = shape.str();
}

HRESULT RecordSetCore::ApplyDefinition() {
    LayerDefinitionFacts facts;
    if (FAILED(ReadLayerDefinitionFacts(state_.layerDefinition, facts)))
        return E_FAIL;
    state_.layerName = facts.name;
    table_.name = facts.name;
    RecordData description;
    if (SUCCEEDED(ReadLayerDefinitionFields(state_.layerDefinition, description))) {
        ComPtr<IFields> fields;
        if (SUCCEEDED(description.MakeFields(fields.Out())))
            table_.fields = fields;
        if (!description.oidFieldName.empty()) {
            state_.oidFieldName = description.oidFieldName;
            table_.hasOID = true;
        }
        if (features_ && description.hasGeometry)
            state_.shapeFieldName = description.geometry.fieldName;
    }
    return S_OK;
}

HRESULT RecordSetCore::Connect() {
    if (state_.serviceLayer)
        return S_OK;
    auto layer = CreateHost<IGPServiceInputLayer>(CLSID_GPServiceInputLayer);
    if (!layer)
        return E_OUTOFMEMORY;
    if (HRESULT hr = layer->Init(state_.url.c_str(), state_.token.c_str(), state_.referer.c_str()); FAILED(hr))
        return hr;
    state_.serviceLayer = layer;
    return S_OK;
}

HRESULT RecordSetCore::SetServiceLayer(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer,
                                       IJSONObject* definition) {
    ResetAll();
    state_.url = url;
    state_.token = token ? token : u"";
    state_.referer = referer ? referer : u"";
    table_.name.clear();
    // With the definition given, the service is first contacted when its records are needed.
    ComPtr<IJSONObject> given(definition);
    if (!given) {
        if (HRESULT hr = Connect(); FAILED(hr))
            return hr;
        if (FAILED(state_.serviceLayer->GetLayerDefinition(given.Out())) || !given)
            return E_FAIL;
    }
    BStr text;
    if (FAILED(given->ToJSONString(text.Out())))
        return E_FAIL;
    std::string reduced;
    if (FAILED(ReduceLayerDefinition(ToUtf8(text.view()), reduced)))
        return E_FAIL;
    state_.layerDefinition = std::move(reduced);
    return ApplyDefinition();
}

HRESULT RecordSetCore::LoadOnDemand() {
    if (state_.recordSet)
        return S_OK;
    if (IsURLBased())
        return FetchFromService();
    if (state_.path.empty())
        return S_OK;
    return LoadFromFile();
}

HRESULT RecordSetCore::FetchFromService() {
    if (HRESULT hr = Connect(); FAILED(hr))
        return hr;
    if (state_.layerDefinition.empty()) {
        ComPtr<IJSONObject> definition;
        BStr text;
        std::string reduced;
        if (SUCCEEDED(state_.serviceLayer->GetLayerDefinition(definition.Out())) && definition &&
            SUCCEEDED(definition->ToJSONString(text.Out())) &&
            SUCCEEDED(ReduceLayerDefinition(ToUtf8(text.view()), reduced))) {
            state_.layerDefinition = std::move(reduced);
            ApplyDefinition();
        }
    }
    ComPtr<IRecordSet> records;
    ComPtr<IQueryFilter> updated;
    if (HRESULT hr = state_.serviceLayer->GetRecords(state_.queryFilter.Get(), records.Out(), updated.Out());
        FAILED(hr))
        return hr;
    if (updated)
        state_.queryFilter = updated;
    if (records) {
        TakeRecordSet(records.Get());
        table_.name = state_.layerName;
    }
    VARIANT_BOOL exceeded = VARIANT_FALSE;
    if (SUCCEEDED(state_.serviceLayer->get_ExceededTransferLimit(&exceeded)) && exceeded == VARIANT_TRUE) {
        state_.exceededTransferLimit = true;
        ComPtr<IPropertySet> properties;
        if (SUCCEEDED(state_.serviceLayer->get_ServiceProperties(properties.Out())))
            state_.serviceProperties = properties;
    }
    return S_OK;
}

HRESULT RecordSetCore::DownloadRecordFile(const String& address, String& local) {
    local = TempRecordFileName();
    HttpRequest request;
    request.url = ToUtf8(address);
    return HttpDownload(request, ToUtf8(local), HttpSettings::FromEnvironment()).Succeeded() ? S_OK : E_FAIL;
}

// Reads the record set file `path` names (downloaded first when it is a web address). A file that cannot be had or
// read leaves the value without records. A downloaded file is removed afterwards; a local one only once it was read,
// as its records then live in the value (a file that cannot be read is left for the user to look into).
HRESULT RecordSetCore::LoadFromFile() {
    String local;
    bool downloaded = false;
    if (IsWebAddress(state_.path)) {
        if (!NamesRecordFile(state_.path))
            return S_OK;
        if (FAILED(DownloadRecordFile(state_.path, local))) {
            std::error_code ignored;
            std::filesystem::remove(ToUtf8(local), ignored);
            return S_OK;
        }
        downloaded = true;
    } else {
        std::error_code error;
        const std::string file = ToUtf8(state_.path);
        if (!std::filesystem::is_regular_file(file, error) ||
            !EqualsNoCase(FromUtf8(std::filesystem::path(file).extension().string()), u".dat"))
            return S_OK;
        local = state_.path;
    }
    state_.path.clear();
    bool read = false;
    ComPtr<IStream> stream;
    if (SUCCEEDED(CreateStreamOnFile(ToUtf8(local).c_str(), 0, 0, stream.Out()))) {
        ComPtr<IUnknown> stored;
        if (SUCCEEDED(LoadObject(stream.Get(), IUnknown::iid, stored.OutVoid())) && stored &&
            QueryAs<IGPRecordSet>(stored.Get()))
            read = SUCCEEDED(AssignState(stored.Get()));
    }
    stream = nullptr;
    if (downloaded || read) {
        std::error_code ignored;
        std::filesystem::remove(ToUtf8(local), ignored);
    }
    return S_OK;
}

HRESULT RecordSetCore::CreateScratchTable(IWorkspace* workspace, const String& baseName, ComPtr<ITable>& table) {
    const String name = FreeName(baseName, DatasetNames(workspace));
    return state_.recordSet->CreateTable(workspace, name.c_str(), table.Out());
}

void RecordSetCore::NameTable(ITable* table) {
    auto element = QueryAs<IDataElement>(table);
    BStr path, name;
    if (element && SUCCEEDED(element->get_CatalogPath(path.Out())) && SUCCEEDED(element->get_Name(name.Out()))) {
        table_.catalogPath = path.str();
        table_.name = name.str();
    }
    ComPtr<IFields> fields;
    if (SUCCEEDED(table->get_Fields(fields.Out())))
        table_.fields = fields;
}

HRESULT RecordSetCore::MakeScratchTable() {
    if (HRESULT hr = LoadOnDemand(); FAILED(hr))
        return hr;
    if (!state_.recordSet || scratchTable_)
        return S_OK;
    auto utilities = Utilities();
    if (!utilities)
        return E_FAIL;
    ComPtr<IWorkspace> workspace;
    if (scratchWorkspacePath_.empty()) {
        if (HRESULT hr = utilities->GetDefaultWorkspace(workspace.Out()); FAILED(hr))
            return hr;
        BStr path;
        workspace->get_PathName(path.Out());
        scratchWorkspacePath_ = path.str();
    } else {
        ComPtr<IDataElement> element;
        if (HRESULT hr = utilities->OpenDataElementFromText(scratchWorkspacePath_.c_str(), element.Out()); FAILED(hr))
            return hr;
        auto workspaceElement = QueryAs<IDEWorkspace>(element.Get());
        if (!workspaceElement || FAILED(workspaceElement->OpenWorkspace(workspace.Out())))
            return E_FAIL;
    }
    ComPtr<ITable> table;
    if (HRESULT hr = CreateScratchTable(workspace.Get(), table_.name.empty() ? DefaultName() : table_.name, table);
        FAILED(hr))
        return hr;
    scratchTable_ = table;
    NameTable(table.Get());
    return S_OK;
}

// Exports always write a new table: a scratch table made for the value's text is the value's own, not the export
// the caller asks for.
HRESULT RecordSetCore::Export(IWorkspace* workspace, const OLECHAR* name, ITable** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    if (HRESULT hr = LoadOnDemand(); FAILED(hr))
        return E_FAIL;
    if (!state_.recordSet)
        return E_FAIL;
    ComPtr<IWorkspace> target(workspace);
    if (!target) {
        auto utilities = Utilities();
        if (!utilities || FAILED(utilities->GetDefaultWorkspace(target.Out())) || !target)
            return E_FAIL;
    }
    const String base = ExportName(name && *name ? std::u16string_view(name) : std::u16string_view(table_.name));
    ComPtr<ITable> made;
    if (FAILED(CreateScratchTable(target.Get(), base.empty() ? DefaultName() : base, made)))
        return E_FAIL;
    scratchTable_ = made;
    NameTable(made.Get());
    *table = made.Detach();
    return S_OK;
}

HRESULT RecordSetCore::SetAsTextRead(std::u16string_view text) {
    ServiceUrl parsed;
    if (!ParseServiceUrl(text, kServiceTypes, parsed)) {
        ResetAll();
        return S_OK;
    }
    if (IsURLBased() && EqualsNoCase(state_.url, text))
        return S_OK;
    // A text only names the layer: its definition and records are fetched when first needed.
    ResetAll();
    state_.url = String(text);
    table_.name.clear();
    return S_OK;
}

HRESULT RecordSetCore::TextForm(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (IsURLBased())
            return HandOut(state_.url, text);
        MakeScratchTable();
        return HandOut(table_.catalogPath, text);
    });
}

HRESULT RecordSetCore::CatalogPath(BSTR* path) {
    if (HRESULT hr = ClearOut(path); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!state_.recordSet && state_.serviceLayer)
            FetchFromService();
        MakeScratchTable();
        return HandOut(table_.catalogPath, path);
    });
}

HRESULT RecordSetCore::IsEmptyNow(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    return guard([&] {
        if (IsURLBased()) {
            *empty = VARIANT_FALSE;
            return S_OK;
        }
        LoadOnDemand();
        *empty = state_.recordSet ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT RecordSetCore::RecordsJson(int32_t options, VARIANT* value) {
    if (!state_.recordSet)
        return S_FALSE;
    auto init = QueryAs<IRecordSetInit>(state_.recordSet.Get());
    BStr json;
    if (!init || FAILED(init->ToJSON(options, json.Out())))
        return S_FALSE;
    return DescribeString(json.view(), value);
}

HRESULT RecordSetCore::DescribeRecords(IGPValue* self, IDataElement* element, const OLECHAR* name, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    if (!name)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        struct JsonName {
            std::u16string_view name;
            int32_t options;
            bool featuresOnly;
        };
        static constexpr JsonName kJsonNames[] = {
            {u"JSON", taviJsonSkipFieldAliases, false},
            {u"PJSON", taviJsonSkipFieldAliases | taviJsonPretty, false},
            {u"JSONXY", taviJsonSkipFieldAliases | taviJsonNoZ | taviJsonNoM, true},
            {u"JSONXYZ", taviJsonSkipFieldAliases | taviJsonNoM, true},
            {u"JSONXYM", taviJsonSkipFieldAliases | taviJsonNoZ, true},
            {u"JSONXYZM", taviJsonSkipFieldAliases, true},
        };
        const std::u16string_view asked(name);
        for (const JsonName& json : kJsonNames)
            if (EqualsNoCase(asked, json.name) && (features_ || !json.featuresOnly)) {
                LoadOnDemand();
                if (RecordsJson(json.options, value) == S_OK)
                    return S_OK;
            }
        if (EqualsNoCase(asked, u"catalogpath") && IsURLBased() && !state_.recordSet)
            return DescribeString(state_.url, value);
        if (EqualsNoCase(asked, u"shapeType") && IsURLBased()) {
            LayerDefinitionFacts facts;
            if (SUCCEEDED(ReadLayerDefinitionFacts(state_.layerDefinition, facts))) {
                if (facts.geometryType.size() <= 12)
                    return S_FALSE;
                return DescribeString(std::u16string_view(facts.geometryType).substr(12), value);
            }
        }
        if (HRESULT hr = DescribeDataElement(element, name, value); hr == S_OK)
            return hr;
        return DescribeValueBase(self, asked, value);
    });
}

HRESULT RecordSetCore::AssignState(IUnknown* source) {
    auto other = QueryAs<IGPRecordSet2>(source);
    if (!other)
        return E_INVALIDARG;
    // A source of this library is read whole (its token and referer are in memory only); another through its
    // interfaces.
    auto* core = dynamic_cast<RecordSetCore*>(source);
    ReleaseScratch();
    RecordSetState taken;
    TableBaseState table;
    if (core) {
        taken = core->state_;
        table = core->table_;
    } else {
        BStr url, token, referer, oid;
        other->GetURL(url.Out(), token.Out(), referer.Out());
        taken.url = url.str();
        taken.token = token.str();
        taken.referer = referer.str();
        other->get_RecordSet(taken.recordSet.Out());
        other->get_QueryFilter(taken.queryFilter.Out());
        other->get_OIDFieldName(oid.Out());
        taken.oidFieldName = oid.str();
        VARIANT_BOOL exceeded = VARIANT_FALSE;
        other->get_ExceededTransferLimit(&exceeded);
        taken.exceededTransferLimit = exceeded == VARIANT_TRUE;
        if (auto impl = QueryAs<IGPRecordSetImpl>(source)) {
            BStr path, definition;
            impl->get_Path(path.Out());
            taken.path = path.str();
            impl->get_ServiceProperties(taken.serviceProperties.Out());
            if (SUCCEEDED(impl->get_LayerDefinition(definition.Out())))
                taken.layerDefinition = ToUtf8(definition.view());
        }
    }
    const bool sameScratch = core == this;
    state_ = std::move(taken);
    if (!sameScratch) {
        table_ = TableBaseState{};
        table_.name = table.name.empty() ? String(DefaultName()) : table.name;
        table_.fields = table.fields;
        table_.hasOID = table.hasOID;
    }
    if (IsURLBased()) {
        table_.name = state_.layerName;
        if (!state_.layerDefinition.empty())
            ApplyDefinition();
        if (state_.recordSet)
            TakeRecordSet(state_.recordSet.Get());
    } else if (state_.recordSet) {
        TakeRecordSet(state_.recordSet.Get());
    }
    return S_OK;
}

// Equal when both name the same service layer, or when both hold equal records (none on both sides counts as
// equal) with the same object id field (names compared without regard to case, both empty alike).
bool RecordSetCore::SameStateAs(IUnknown* other) {
    auto records = QueryAs<IGPRecordSet2>(other);
    if (!records)
        return false;
    BStr url;
    records->GetURL(url.Out(), nullptr, nullptr);
    if (!url.view().empty())
        return EqualsNoCase(url.view(), state_.url);
    if (IsURLBased())
        return false;
    BStr oid;
    records->get_OIDFieldName(oid.Out());
    if (!EqualsNoCase(oid.view(), state_.oidFieldName))
        return false;
    ComPtr<IRecordSet> theirs;
    if (FAILED(records->get_RecordSet(theirs.Out())))
        return false;
    LoadOnDemand();
    return EqualByClone(state_.recordSet.Get(), theirs.Get());
}

int32_t RecordSetCore::SaveVersion(IStream* stream) const {
    const int32_t document = AfStreamGetDocumentVersion(stream);
    if (features_)
        return AfStreamGetOrinSaveVersion(document, std::size(kFeatureSetNewerSaveVersions),
                                          kFeatureSetNewerSaveVersions, std::size(kFeatureSetOlderSaveVersions),
                                          kFeatureSetOlderSaveVersions);
    return AfStreamGetSaveVersion(document, std::size(kRecordSetSaveVersions), kRecordSetSaveVersions);
}

HRESULT RecordSetCore::SaveDrawingDescription(IStream* stream, uint16_t version, bool clearDirty) {
    if (version >= 5) {
        BStr json;
        if (auto object = QueryAs<IJSONObject>(state_.drawingDescription.Get()))
            object->ToJSONString(json.Out());
        return WriteString(stream, json.view());
    }
    return SaveObject(QueryAs<IPersistStream>(state_.drawingDescription.Get()).Get(), stream, clearDirty);
}

HRESULT RecordSetCore::LoadDrawingDescription(IStream* stream, uint16_t version) {
    if (version >= 5) {
        String json;
        if (FAILED(ReadString(stream, &json)))
            return E_FAIL;
        state_.drawingDescription = nullptr;
        if (!json.empty()) {
            auto object = CreateHost<IJSONObject>(CLSID_JSONObject);
            if (!object || FAILED(object->FromJSONString(json.c_str())))
                return E_FAIL;
            state_.drawingDescription = object;
        }
        return S_OK;
    }
    return LoadObject(stream, IUnknown::iid, state_.drawingDescription.OutVoid());
}

HRESULT RecordSetCore::SaveState(IStream* stream, uint16_t version, bool clearDirty) {
    const bool withService = features_ ? version >= 4 : version >= 3;
    // URL-based values store the address, not what was fetched (feature sets before version 4 stored the records).
    IRecordSet* records = IsURLBased() && (withService || !features_) ? nullptr : state_.recordSet.Get();
    if (FAILED(SaveObject(QueryAs<IPersistStream>(records).Get(), stream, clearDirty)))
        return E_FAIL;
    if (features_ || version >= 2) {
        const bool namedElement =
            state_.path.empty() && !IsURLBased() && !table_.name.empty() && table_.name != DefaultName();
        if (FAILED(WriteString(stream, namedElement ? table_.name : state_.path)) ||
            FAILED(AfStreamWrite(stream, static_cast<int16_t>(state_.exceededTransferLimit ? -1 : 0))))
            return E_FAIL;
    }
    if (FAILED(WriteString(stream, state_.oidFieldName)))
        return E_FAIL;
    if (features_) {
        if (FAILED(WriteString(stream, state_.shapeFieldName)) ||
            FAILED(SaveDrawingDescription(stream, version, clearDirty)))
            return E_FAIL;
        if (version >= 3 &&
            FAILED(SaveObject(QueryAs<IPersistStream>(state_.editTemplates.Get()).Get(), stream, clearDirty)))
            return E_FAIL;
    }
    if (!withService)
        return S_OK;
    // The token and referer are never stored: empty texts stand in their places.
    if (FAILED(SaveObject(QueryAs<IPersistStream>(state_.queryFilter.Get()).Get(), stream, clearDirty)) ||
        FAILED(WriteString(stream, state_.url)) || FAILED(WriteString(stream, u"")) ||
        FAILED(WriteString(stream, u"")) || FAILED(WriteString(stream, FromUtf8(state_.layerDefinition))))
        return E_FAIL;
    return S_OK;
}

HRESULT RecordSetCore::LoadState(IStream* stream, uint16_t version) {
    ResetAll();
    ComPtr<IUnknown> stored;
    if (FAILED(LoadObject(stream, IUnknown::iid, stored.OutVoid())))
        return E_FAIL;
    if (stored && !(state_.recordSet = QueryAs<IRecordSet>(stored.Get())))
        return E_FAIL;
    if (features_ ? version >= 2 : version >= 2) {
        int16_t exceeded = 0;
        if (FAILED(ReadString(stream, &state_.path)) || FAILED(AfStreamRead(stream, &exceeded)))
            return E_FAIL;
        state_.exceededTransferLimit = exceeded != 0;
    }
    if (FAILED(ReadString(stream, &state_.oidFieldName)))
        return E_FAIL;
    if (features_) {
        if (FAILED(ReadString(stream, &state_.shapeFieldName)) || FAILED(LoadDrawingDescription(stream, version)))
            return E_FAIL;
        if (version >= 3 && FAILED(LoadObject(stream, IUnknown::iid, state_.editTemplates.OutVoid())))
            return E_FAIL;
    }
    if (features_ ? version >= 4 : version >= 3) {
        ComPtr<IUnknown> filter;
        String token, referer, definition;
        if (FAILED(LoadObject(stream, IUnknown::iid, filter.OutVoid())) ||
            (filter && !(state_.queryFilter = QueryAs<IQueryFilter>(filter.Get()))) ||
            FAILED(ReadString(stream, &state_.url)) || FAILED(ReadString(stream, &token)) ||
            FAILED(ReadString(stream, &referer)) || FAILED(ReadString(stream, &definition)))
            return E_FAIL;
        state_.layerDefinition = ToUtf8(definition);
    }
    return FinishRead();
}

HRESULT RecordSetCore::FinishRead() {
    if (IsURLBased()) {
        table_.name = state_.layerName;
        if (!state_.layerDefinition.empty() && FAILED(ApplyDefinition()))
            return E_FAIL;
        return S_OK;
    }
    if (state_.recordSet)
        TakeRecordSet(state_.recordSet.Get());
    if (!state_.path.empty())
        table_.name = GPCatalogPath(state_.path).GetBaseName();
    return S_OK;
}

HRESULT RecordSetCore::SerializeState(IXMLSerializeData* data) {
    if (!IsURLBased() && state_.recordSet) {
        if (FAILED(data->AddObject(u"RecordSet", state_.recordSet.Get())))
            return E_FAIL;
    }
    if (IsURLBased()) {
        if (FAILED(data->AddString(u"URL", state_.url.c_str())) || FAILED(data->AddString(u"token", u"")) ||
            FAILED(data->AddString(u"referer", u"")) ||
            FAILED(data->AddString(u"LayerDefinition", FromUtf8(state_.layerDefinition).c_str())))
            return E_FAIL;
    }
    if (state_.queryFilter && FAILED(data->AddObject(u"filter", state_.queryFilter.Get())))
        return E_FAIL;
    if (!state_.oidFieldName.empty() && FAILED(data->AddString(u"OIDFieldName", state_.oidFieldName.c_str())))
        return E_FAIL;
    if (features_) {
        if (!state_.shapeFieldName.empty() && FAILED(data->AddString(u"ShapeFieldName", state_.shapeFieldName.c_str())))
            return E_FAIL;
        if (QueryAs<IXMLSerialize>(state_.drawingDescription.Get()) &&
            FAILED(data->AddObject(u"LayerDrawingDescription", state_.drawingDescription.Get())))
            return E_FAIL;
    }
    if (state_.exceededTransferLimit && FAILED(data->AddBoolean(u"ExceededTransferLimit", VARIANT_TRUE)))
        return E_FAIL;
    return S_OK;
}

namespace {

// An optional text element: S_OK with the text, S_FALSE when absent, the read's failure.
HRESULT ReadText(IXMLSerializeData* data, const OLECHAR* name, String& text) {
    int32_t index = -1;
    if (data->Find(name, &index) != S_OK || index < 0)
        return S_FALSE;
    BStr read;
    if (HRESULT hr = data->GetString(index, read.Out()); FAILED(hr))
        return hr;
    text = read.str();
    return S_OK;
}

// An optional object element of the interface I: S_OK with it (or null), E_FAIL for a read failure or another kind.
template <class I>
HRESULT ReadObject(IXMLSerializeData* data, const OLECHAR* name, const OLECHAR* typeName, ComPtr<I>& object) {
    int32_t index = -1;
    if (data->Find(name, &index) != S_OK || index < 0)
        return S_OK;
    ComPtr<IUnknown> read;
    if (FAILED(data->GetObject(index, ValueNamespace(), typeName, read.Out())))
        return E_FAIL;
    if (!read)
        return S_OK;
    object = QueryAs<I>(read.Get());
    return object ? S_OK : E_FAIL;
}

} // namespace

HRESULT RecordSetCore::DeserializeState(IXMLSerializeData* data) {
    ReleaseScratch();
    state_.path.clear();
    String definition, ignored;
    if (FAILED(ReadText(data, u"URL", state_.url)) || FAILED(ReadText(data, u"token", ignored)) ||
        FAILED(ReadText(data, u"referer", ignored)) || FAILED(ReadText(data, u"LayerDefinition", definition)))
        return E_FAIL;
    state_.layerDefinition = ToUtf8(definition);
    if (FAILED(ReadObject(data, u"filter", u"QueryFilter", state_.queryFilter)))
        return E_FAIL;
    if (!IsURLBased() && FAILED(ReadObject(data, u"RecordSet", u"RecordSet", state_.recordSet)))
        return E_FAIL;
    if (FAILED(ReadText(data, u"OIDFieldName", state_.oidFieldName)))
        return E_FAIL;
    if (features_) {
        if (FAILED(ReadText(data, u"ShapeFieldName", state_.shapeFieldName)) ||
            FAILED(ReadObject(data, u"LayerDrawingDescription", u"LayerDrawingDescription", state_.drawingDescription)))
            return E_FAIL;
    }
    int32_t index = -1;
    VARIANT_BOOL exceeded = VARIANT_FALSE;
    if (data->Find(u"ExceededTransferLimit", &index) == S_OK && index >= 0 &&
        FAILED(data->GetBoolean(index, &exceeded)))
        return E_FAIL;
    state_.exceededTransferLimit = exceeded == VARIANT_TRUE;
    return FinishRead();
}

HRESULT RecordSetCore::ShapeType(int32_t* shapeType) {
    if (!shapeType)
        return E_POINTER;
    *shapeType = taviGeometryNull;
    if (state_.recordSet)
        return state_.recordSet->get_ShapeType(shapeType);
    RecordData description;
    if (!state_.layerDefinition.empty() && SUCCEEDED(ReadLayerDefinitionFields(state_.layerDefinition, description)) &&
        description.hasGeometry)
        *shapeType = description.geometry.shapeType;
    return S_OK;
}

HRESULT RecordSetCore::SpatialReference(ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        LoadOnDemand();
        if (!state_.recordSet)
            return S_FALSE;
        return state_.recordSet->get_SpatialReference(spatialReference);
    });
}

// The extent of the records' coordinates, in their spatial reference (empty without records or coordinates).
HRESULT RecordSetCore::Extent(IEnvelope** extent) {
    if (HRESULT hr = ClearOut(extent); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        LoadOnDemand();
        auto envelope = CreateHost<IEnvelope>(CLSID_Envelope);
        if (!envelope)
            return E_FAIL;
        if (auto data = RecordDataOf(state_.recordSet.Get()); data && data->hasGeometry) {
            double xmin = INFINITY, ymin = INFINITY, xmax = -INFINITY, ymax = -INFINITY;
            const auto& xy = data->geometry.xy;
            for (size_t i = 0; i + 1 < xy.size(); i += 2) {
                if (std::isnan(xy[i]) || std::isnan(xy[i + 1]))
                    continue;
                xmin = std::min(xmin, xy[i]);
                xmax = std::max(xmax, xy[i]);
                ymin = std::min(ymin, xy[i + 1]);
                ymax = std::max(ymax, xy[i + 1]);
            }
            if (xmin <= xmax && ymin <= ymax)
                envelope->PutCoords(xmin, ymin, xmax, ymax);
            envelope->putref_SpatialReference(data->geometry.spatialReference.Get());
        }
        *extent = envelope.Detach();
        return S_OK;
    });
}

} // namespace tavi

// --- the template's operations, for both values ---

namespace tavi {

template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(this->NewTextMessage(made.Out())))
            return E_FAIL;
        const std::u16string_view read = text ? std::u16string_view(text) : std::u16string_view();
        const bool same = IsURLBased() && EqualsNoCase(State().url, read);
        SetAsTextRead(read);
        if (same)
            ; // the same address: nothing changes
        else if (IsURLBased())
            this->SetModified();
        else
            this->BaseEmpty();
        *message = made.Detach();
        return S_OK;
    });
}

template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::GetURL(BSTR* url, BSTR* token, BSTR* referer) {
    if (!url)
        return E_POINTER;
    *url = nullptr;
    if (token)
        *token = nullptr;
    if (referer)
        *referer = nullptr;
    return guard([&]() -> HRESULT {
        const RecordSetState& state = State();
        if (!state.url.empty())
            *url = BStr(state.url).Detach();
        if (token && !state.token.empty())
            *token = BStr(state.token).Detach();
        if (referer && !state.referer.empty())
            *referer = BStr(state.referer).Detach();
        return S_OK;
    });
}

template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::get_ServiceLayer(IUnknown** serviceLayer) {
    if (HRESULT hr = ClearOut(serviceLayer); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!State().serviceLayer && IsURLBased())
            if (HRESULT hr = Connect(); FAILED(hr))
                return hr;
        if (State().serviceLayer)
            *serviceLayer = QueryAs<IUnknown>(State().serviceLayer.Get()).Detach();
        return S_OK;
    });
}

template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::get_LayerDefinition(BSTR* definition) {
    if (!definition)
        return E_POINTER;
    if (State().layerDefinition.empty())
        return S_OK;
    return guard([&] { return HandOut(FromUtf8(State().layerDefinition), definition); });
}

template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::get_Note(BSTR* note, VARIANT_BOOL* flag) {
    if (!note || !flag)
        return E_POINTER;
    *flag = State().noteFlag ? VARIANT_TRUE : VARIANT_FALSE;
    return HandOut(State().note, note);
}

// The fields of the source; a URL-based value whose definition was not fetched yet fetches it first.
template <class Derived, bool kFeatures> HRESULT RecordSetValue<Derived, kFeatures>::get_Fields(IFields** fields) {
    if (HRESULT hr = ClearOut(fields); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!table_.fields && IsURLBased() && State().layerDefinition.empty() && SUCCEEDED(Connect())) {
            ComPtr<IJSONObject> definition;
            BStr text;
            std::string reduced;
            if (SUCCEEDED(State().serviceLayer->GetLayerDefinition(definition.Out())) && definition &&
                SUCCEEDED(definition->ToJSONString(text.Out())) &&
                SUCCEEDED(ReduceLayerDefinition(ToUtf8(text.view()), reduced))) {
                State().layerDefinition = std::move(reduced);
                ApplyDefinition();
            }
        }
        if (table_.fields)
            return table_.fields.CopyTo(fields);
        RecordData none;
        return none.MakeFields(fields);
    });
}

template <class Derived, bool kFeatures> HRESULT RecordSetValue<Derived, kFeatures>::get_BaseName(BSTR* baseName) {
    return guard([&] { return HandOut(GPCatalogPath(table_.name).GetBaseName(), baseName); });
}

template <class Derived, bool kFeatures> HRESULT RecordSetValue<Derived, kFeatures>::get_Extension(BSTR* extension) {
    return guard([&] { return HandOut(GPCatalogPath(table_.name).GetExtension(), extension); });
}

template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        BStr text;
        GetAsText(text.Out());
        return PlainStringReplacement(text.view(), replacement);
    });
}

// A source of drawing descriptions (a layer) gives its description; anything else is kept as given.
template <class Derived, bool kFeatures>
HRESULT RecordSetValue<Derived, kFeatures>::putref_DrawingDescription(IUnknown* description) {
    return Change([&] {
        ComPtr<IUnknown> kept(description);
        if (auto source = QueryAs<ILayerDrawingDescriptionSource>(description)) {
            ComPtr<IUnknown> given;
            source->get_DrawingDescription(given.Out());
            kept = given;
        }
        State().drawingDescription = kept;
    });
}

template class RecordSetValue<GPRecordSet, false>;
template class RecordSetValue<GPFeatureRecordSetLayer, true>;

} // namespace tavi
