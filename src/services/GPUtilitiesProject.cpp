// The utility object's project operations: the current project of the process (shared by every utility object,
// behind one mutex), the maps, layouts and reports a text names, and layer values made from the current map.
#include "data/DataElement.h"
#include "frame/EnumBSTR.h"
#include "host/CreateInstance.h"
#include "host/String.h"
#include "layers/LayerMembers.h"
#include "platform/BStr.h"
#include "platform/ErrorInfo.h"
#include "platform/Utf.h"
#include "services/GPUtilities.h"
#include "services/ProjectDocument.h"
#include "tavi/ClassIds.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <mutex>
#include <string>

namespace tavi {

namespace {

using Form = ProjectDocument::Form;

// The process's current project. The document is never changed once read, so a caller takes a snapshot of the
// pointer under the mutex and reads it without holding the mutex.
struct CurrentProject {
    std::mutex mutex;
    std::shared_ptr<const ProjectDocument> document;
    std::u16string currentMap; // "" for the first map
    bool chosen = false;       // a path (or "") was put: TAVI_PROJECT no longer counts
};

CurrentProject& Shared() {
    static CurrentProject project;
    return project;
}

struct ProjectSnapshot {
    std::shared_ptr<const ProjectDocument> document;
    std::u16string currentMap;

    const ProjectMap* CurrentMap() const {
        if (!document || document->maps().empty())
            return nullptr;
        if (!currentMap.empty())
            if (const ProjectMap* map = document->FindMap(currentMap))
                return map;
        return &document->maps().front();
    }
};

// The current project, read from TAVI_PROJECT when no path was put and none was read yet. Throws
// ProjectDocumentError when that document cannot be read; the next need tries again.
ProjectSnapshot Snapshot() {
    CurrentProject& shared = Shared();
    std::string path; // the variable's text, copied once, as the environment may change meanwhile
    {
        std::lock_guard lock(shared.mutex);
        if (shared.document || shared.chosen)
            return {shared.document, shared.currentMap};
        const char* variable = std::getenv("TAVI_PROJECT");
        if (!variable || !*variable)
            return {};
        path = variable;
    }
    // Read without the mutex: a slow disk must not hold up other threads. Of two threads that both read, the
    // first to come back wins.
    auto document = ProjectDocument::ReadFile(path);
    std::lock_guard lock(shared.mutex);
    if (!shared.document && !shared.chosen)
        shared.document = std::move(document);
    return {shared.document, shared.currentMap};
}

// Puts the text as the calling thread's error information and answers `code`.
HRESULT ReportError(HRESULT code, std::u16string_view message) {
    return tavi::ReportError(code, u"GPUtilities", message);
}

// guard() that turns a refused document into its code and message.
template <class Body> HRESULT ProjectGuard(Body&& body) {
    return guard([&]() -> HRESULT {
        try {
            return body();
        } catch (const ProjectDocumentError& refusal) {
            return ReportError(refusal.code(), FromUtf8(refusal.what()));
        }
    });
}

bool IsRegularFile(std::u16string_view text) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(ToUtf8(text)), error);
}

std::optional<size_t> IndexOf(const ProjectDocument& document, Form form, std::u16string_view name) {
    switch (form) {
    case Form::Map:
        if (const ProjectMap* map = document.FindMap(name))
            return static_cast<size_t>(map - document.maps().data());
        break;
    case Form::Layout:
        if (const ProjectLayout* layout = document.FindLayout(name))
            return static_cast<size_t>(layout - document.layouts().data());
        break;
    case Form::Report:
        if (const ProjectReport* report = document.FindReport(name))
            return static_cast<size_t>(report - document.reports().data());
        break;
    case Form::Project:
        break;
    }
    return std::nullopt;
}

// A new layout or report value holding the document's path and the text as typed.
template <class Item>
HRESULT MakeNamedItem(const CLSID& clsid, const OLECHAR* path, const OLECHAR* text, IUnknown** value) {
    ComPtr<Item> item;
    if (HRESULT hr = AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, Item::iid, item.OutVoid());
        FAILED(hr) || !item)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    if (FAILED(item->put_Path(path)) || FAILED(item->put_NameString(text)))
        return E_FAIL;
    *value = item.template As<IUnknown>().Detach();
    return S_OK;
}

// The new value of the item found: the text as typed, the document's path, a basemap's type.
HRESULT MakeItemValue(Form form, const ProjectItemFound& found, const OLECHAR* text, IUnknown** value) {
    const OLECHAR* path = found.document->path().c_str();
    if (form == Form::Map) {
        ComPtr<IGPMap> map;
        if (HRESULT hr = AfCreateInstance(CLSID_GPMap, nullptr, CLSCTX_INPROC_SERVER, IGPMap::iid, map.OutVoid());
            FAILED(hr) || !map)
            return FAILED(hr) ? hr : E_NOINTERFACE;
        const bool basemap = found.document->maps()[found.index].basemap;
        if (FAILED(map->put_Path(path)) || FAILED(map->put_NameString(text)) ||
            FAILED(map->put_MapType(basemap ? taviMapTypeBasemap : taviMapTypeMap)))
            return E_FAIL;
        *value = map.As<IUnknown>().Detach();
        return S_OK;
    }
    return form == Form::Layout ? MakeNamedItem<IGPLayout>(CLSID_GPLayout, path, text, value)
                                : MakeNamedItem<IGPReport>(CLSID_GPReport, path, text, value);
}

// The kind of value an item form makes, as an interface pointer out of FindMap/FindLayout/FindReport.
template <class Item> HRESULT FindItem(Form form, const OLECHAR* text, Item** item) {
    if (HRESULT hr = ClearOut(item); FAILED(hr))
        return hr;
    if (!text)
        return E_POINTER;
    return ProjectGuard([&]() -> HRESULT {
        std::optional<ProjectItemFound> found = FindProjectItem(form, text);
        if (!found)
            return S_FALSE;
        ComPtr<IUnknown> value;
        if (HRESULT hr = MakeItemValue(form, *found, text, value.Out()); FAILED(hr))
            return hr;
        return value->QueryInterface(Item::iid, reinterpret_cast<void**>(item));
    });
}

std::string Narrow(std::u16string_view text) {
    return ToUtf8(text);
}

[[noreturn]] void RefuseLayer(HRESULT code, const ProjectLayer& layer, const std::string& why) {
    throw ProjectDocumentError(code, "layer '" + Narrow(layer.name) + "': " + why);
}

// The layer's data type name: as the document gives it, a group's, or told from the data (which is opened for
// that, and handed out through `opened` when asked). Throws ProjectDocumentError when none can be told.
std::u16string LayerKind(const ProjectLayer& layer, ComPtr<IDataElement>* opened = nullptr) {
    if (!layer.kind.empty())
        return layer.kind;
    if (layer.group)
        return u"GPGroupLayer";
    if (layer.source.empty())
        RefuseLayer(E_INVALIDARG, layer, "it has neither a 'kind' nor a 'source' to tell its kind from");
    ComPtr<IDataElement> element;
    if (HRESULT hr = OpenDataElement(layer.source, element.Out()); FAILED(hr) || !element)
        RefuseLayer(FAILED(hr) ? hr : TAVI_E_DATA_NOT_FOUND, layer,
                    "its data '" + Narrow(layer.source) + "' does not open, so its kind cannot be told");
    if (const char16_t* kind = LayerKindFor(element.Get()).dataTypeName) {
        if (opened)
            *opened = element;
        return kind;
    }
    BStr type;
    element->get_Type(type.Out());
    RefuseLayer(E_INVALIDARG, layer, "its kind cannot be told from data of type '" + Narrow(type.view()) + "'");
}

// A new layer value for `layer` of `map`, with its children. Throws ProjectDocumentError for a kind that names
// no layer data type; other failures are answered as codes.
HRESULT MakeLayerValue(const ProjectMap& map, const ProjectLayer& layer, IGPDataTypeFactory* factory, IGPLayer** out) {
    ComPtr<IDataElement> opened; // the data, when it was opened to tell the kind: handed on, not opened again
    const std::u16string kind = LayerKind(layer, &opened);
    ComPtr<IGPDataType> dataType;
    if (FAILED(factory->GetDataType(kind.c_str(), dataType.Out())) || !dataType) {
        ComPtr<IGPName> name;
        if (FAILED(factory->GetDataTypeName(kind.c_str(), name.Out())) || !name)
            RefuseLayer(E_INVALIDARG, layer, "'kind' names no data type: '" + Narrow(kind) + "'");
        RefuseLayer(E_FAIL, layer, "the data type '" + Narrow(kind) + "' cannot be made");
    }
    ComPtr<IGPValue> value;
    if (HRESULT hr = dataType->CreateValue(nullptr, value.Out()); FAILED(hr) || !value)
        return FAILED(hr) ? hr : E_FAIL;
    auto made = value.As<IGPLayer>();
    auto more = value.As<IGPLayer2>();
    if (!made || !more)
        RefuseLayer(E_INVALIDARG, layer, "'kind' names a data type that is not a layer: '" + Narrow(kind) + "'");
    for (HRESULT hr : {made->put_Name(layer.name.c_str()), made->put_DisplayName(layer.name.c_str()),
                       opened ? made->putref_DataElement(opened.Get()) : more->put_DataSource(layer.source.c_str()),
                       more->put_DefinitionQuery(layer.definitionQuery.c_str()),
                       more->put_Visible(layer.visible ? VARIANT_TRUE : VARIANT_FALSE)})
        if (FAILED(hr))
            return hr;
    if (layer.group || !layer.children.empty()) {
        auto composite = value.As<IGPCompositeLayer>();
        if (!composite)
            RefuseLayer(E_INVALIDARG, layer, "it has 'layers' but '" + Narrow(kind) + "' holds no layers");
        for (size_t child : layer.children) {
            ComPtr<IGPLayer> childValue;
            if (HRESULT hr = MakeLayerValue(map, map.layers[child], factory, childValue.Out()); FAILED(hr))
                return hr;
            if (HRESULT hr = composite->AddLayer(childValue.Get()); FAILED(hr))
                return hr;
        }
    }
    *out = made.Detach();
    return S_OK;
}

using Json = nlohmann::ordered_json;

Json DescribeLayer(const ProjectMap& map, const ProjectLayer& layer) {
    Json facts = Json::object();
    facts["name"] = Narrow(layer.name);
    std::u16string kind;
    try {
        kind = LayerKind(layer);
    } catch (const ProjectDocumentError&) {
        // Data not there yet: the kind stays untold.
    }
    facts["kind"] = Narrow(kind);
    facts["source"] = Narrow(layer.source);
    facts["definitionQuery"] = Narrow(layer.definitionQuery);
    facts["visible"] = layer.visible;
    if (layer.group) {
        Json children = Json::array();
        for (size_t child : layer.children)
            children.push_back(DescribeLayer(map, map.layers[child]));
        facts["layers"] = std::move(children);
    }
    return facts;
}

Json Describe(const ProjectSnapshot& snapshot) {
    const ProjectDocument& document = *snapshot.document;
    const ProjectMap* current = snapshot.CurrentMap();
    Json all = Json::object();
    all["path"] = Narrow(document.path());
    Json maps = Json::array();
    for (const ProjectMap& map : document.maps()) {
        Json facts = Json::object();
        facts["name"] = Narrow(map.name);
        facts["kind"] = map.basemap ? "basemap" : "map";
        facts["current"] = &map == current;
        Json layers = Json::array();
        for (size_t top : map.topLevel)
            layers.push_back(DescribeLayer(map, map.layers[top]));
        facts["layers"] = std::move(layers);
        maps.push_back(std::move(facts));
    }
    all["maps"] = std::move(maps);
    Json layouts = Json::array();
    for (const ProjectLayout& layout : document.layouts())
        layouts.push_back({{"name", Narrow(layout.name)}, {"map", Narrow(layout.map)}});
    all["layouts"] = std::move(layouts);
    Json reports = Json::array();
    for (const ProjectReport& report : document.reports())
        reports.push_back({{"name", Narrow(report.name)}, {"source", Narrow(report.source)}});
    all["reports"] = std::move(reports);
    return all;
}

} // namespace

std::optional<ProjectItemFound> FindProjectItem(Form form, std::u16string_view text) {
    if (text.empty())
        return std::nullopt;
    ProjectSnapshot snapshot = Snapshot();
    if (snapshot.document)
        if (auto index = IndexOf(*snapshot.document, form, text))
            return ProjectItemFound{snapshot.document, *index};
    // A standalone file of the item's kind holds its one item.
    if (IsFileOfForm(text, form) && IsRegularFile(text)) {
        auto document = ProjectDocument::ReadFile(ToUtf8(text));
        if (document->form() == form)
            return ProjectItemFound{document, 0};
        return std::nullopt;
    }
    // "PATH\Name" or "PATH/Name": the item Name of the document file PATH.
    const size_t cut = text.find_last_of(u"\\/");
    if (cut == std::u16string_view::npos || cut == 0 || cut + 1 == text.size())
        return std::nullopt;
    const std::u16string_view file = text.substr(0, cut);
    if (!IsRegularFile(file))
        return std::nullopt;
    auto document = ProjectDocument::ReadFile(ToUtf8(file));
    if (auto index = IndexOf(*document, form, text.substr(cut + 1)))
        return ProjectItemFound{document, *index};
    return std::nullopt;
}

void ForgetCurrentProject() {
    CurrentProject& shared = Shared();
    std::lock_guard lock(shared.mutex);
    shared.document.reset();
    shared.currentMap.clear();
    shared.chosen = false;
}

HRESULT GPUtilities::get_ProjectPath(BSTR* path) {
    if (HRESULT hr = ClearOut(path); FAILED(hr))
        return hr;
    return ProjectGuard([&]() -> HRESULT {
        ProjectSnapshot snapshot = Snapshot();
        *path = MakeBSTR(snapshot.document ? std::u16string_view(snapshot.document->path()) : std::u16string_view());
        return *path ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPUtilities::put_ProjectPath(const OLECHAR* path) {
    if (!path)
        return E_POINTER;
    return ProjectGuard([&]() -> HRESULT {
        std::shared_ptr<const ProjectDocument> document;
        if (*path)
            document = ProjectDocument::ReadFile(ToUtf8(path)); // a refusal leaves the current project alone
        CurrentProject& shared = Shared();
        std::lock_guard lock(shared.mutex);
        shared.document = std::move(document);
        shared.currentMap.clear();
        shared.chosen = true;
        return S_OK;
    });
}

HRESULT GPUtilities::get_CurrentMap(BSTR* name) {
    if (HRESULT hr = ClearOut(name); FAILED(hr))
        return hr;
    return ProjectGuard([&]() -> HRESULT {
        ProjectSnapshot snapshot = Snapshot();
        const ProjectMap* map = snapshot.CurrentMap();
        *name = MakeBSTR(map ? std::u16string_view(map->name) : std::u16string_view());
        return *name ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPUtilities::put_CurrentMap(const OLECHAR* name) {
    if (!name)
        return E_POINTER;
    return ProjectGuard([&]() -> HRESULT {
        ProjectSnapshot snapshot = Snapshot();
        CurrentProject& shared = Shared();
        std::lock_guard lock(shared.mutex);
        // Looked up in the project held now: another thread may have put a new one since the snapshot.
        const ProjectMap* map = shared.document ? shared.document->FindMap(name) : nullptr;
        if (!map)
            return ReportError(E_INVALIDARG, String(u"no map of the current project is named '") + name + u"'");
        shared.currentMap = map->name;
        return S_OK;
    });
}

HRESULT GPUtilities::FindMap(const OLECHAR* text, IGPMap** map) {
    return FindItem(Form::Map, text, map);
}

HRESULT GPUtilities::FindLayout(const OLECHAR* text, IGPLayout** layout) {
    return FindItem(Form::Layout, text, layout);
}

HRESULT GPUtilities::FindReport(const OLECHAR* text, IGPReport** report) {
    return FindItem(Form::Report, text, report);
}

HRESULT GPUtilities::GetLayerNames(IEnumBSTR** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    return ProjectGuard([&]() -> HRESULT {
        ProjectSnapshot snapshot = Snapshot();
        std::vector<std::u16string> list;
        if (const ProjectMap* map = snapshot.CurrentMap())
            for (const ProjectLayer& layer : map->layers)
                list.push_back(layer.name);
        auto made = MakeObject<EnumBSTR>(std::move(list));
        *names = made.Detach();
        return S_OK;
    });
}

HRESULT GPUtilities::MakeLayer(const OLECHAR* name, IGPLayer** layer) {
    if (HRESULT hr = ClearOut(layer); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    return ProjectGuard([&]() -> HRESULT {
        ProjectSnapshot snapshot = Snapshot();
        const ProjectMap* map = snapshot.CurrentMap();
        const ProjectLayer* found = map ? map->FindLayer(name) : nullptr;
        if (!found)
            return S_FALSE;
        ComPtr<IGPDataTypeFactory> factory;
        if (HRESULT hr = AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, CLSCTX_INPROC_SERVER,
                                          IGPDataTypeFactory::iid, factory.OutVoid());
            FAILED(hr))
            return hr;
        return MakeLayerValue(*map, *found, factory.Get(), layer);
    });
}

HRESULT GPUtilities::DescribeProject(BSTR* json) {
    if (HRESULT hr = ClearOut(json); FAILED(hr))
        return hr;
    return ProjectGuard([&]() -> HRESULT {
        ProjectSnapshot snapshot = Snapshot();
        if (!snapshot.document) {
            *json = MakeBSTR(u"");
            return *json ? S_FALSE : E_OUTOFMEMORY;
        }
        *json = MakeBSTR(FromUtf8(Describe(snapshot).dump()));
        return *json ? S_OK : E_OUTOFMEMORY;
    });
}

} // namespace tavi
