// The layer value bases: the state shared by every layer, its text form, its views of the data and its stored forms.
#include "layers/LayerBase.h"

#include "data/DataElement.h"
#include "host/CreateInstance.h"
#include "host/ObjectArray.h"
#include "host/String.h"
#include "host/XmlNamespace.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPUtilities.h"
#include "tavi/Xml.h"

#include <algorithm>
#include <charconv>

namespace tavi {

namespace {

// How deep nested child layers are being read on this thread.
thread_local int gReadNesting = 0;

class NestingGuard {
public:
    NestingGuard() { ++gReadNesting; }
    ~NestingGuard() { --gReadNesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
    bool TooDeep() const { return gReadNesting > LayerCore::kMaxNesting; }
};

// The rows of a cursor whose object id is in a selection (ascending ids, searched by halves).
class SelectedRowsCursor final : public Object<SelectedRowsCursor, ICursor> {
public:
    SelectedRowsCursor(ComPtr<ICursor> inner, std::vector<int64_t> selection)
        : inner_(std::move(inner)), selection_(std::move(selection)) {}

    HRESULT get_Fields(IFields** fields) override { return inner_->get_Fields(fields); }
    HRESULT NextRow(IRow** row) override {
        if (HRESULT hr = ClearOut(row); FAILED(hr))
            return hr;
        for (;;) {
            ComPtr<IRow> next;
            HRESULT hr = inner_->NextRow(next.Out());
            if (FAILED(hr) || !next)
                return hr;
            int64_t oid = 0;
            if (SUCCEEDED(next->get_OID(&oid)) && std::binary_search(selection_.begin(), selection_.end(), oid)) {
                *row = next.Detach();
                return S_OK;
            }
        }
    }

private:
    ComPtr<ICursor> inner_;
    std::vector<int64_t> selection_;
};

// "(a) AND (b)", or the one that is not empty.
String CombinedWhere(const String& query, std::u16string_view where) {
    if (query.empty())
        return String(where);
    if (where.empty())
        return query;
    return u"(" + query + u") AND (" + String(where) + u")";
}

String TextThrough(IUnknown* source, HRESULT (IGPLayer::*get)(BSTR*)) {
    String text;
    ReadThrough(source, get, text);
    return text;
}

// The selection as decimal ids separated by single spaces.
String SelectionText(const std::vector<int64_t>& ids) {
    std::string text;
    for (int64_t id : ids) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(id);
    }
    return String(text.begin(), text.end());
}

// Reads SelectionText's form; false for anything else (ids out of order or repeated included).
bool ReadSelectionText(std::u16string_view text, std::vector<int64_t>& ids) {
    ids.clear();
    std::string narrow;
    for (char16_t c : text) {
        if (c > 0x7F)
            return false;
        narrow += static_cast<char>(c);
    }
    const char* at = narrow.data();
    const char* end = at + narrow.size();
    while (at < end) {
        int64_t id = 0;
        auto [next, error] = std::from_chars(at, end, id);
        if (error != std::errc() || (!ids.empty() && id <= ids.back()))
            return false;
        ids.push_back(id);
        at = next;
        if (at < end && *at++ != ' ')
            return false;
        if (at == end && narrow.back() == ' ')
            return false;
    }
    return true;
}

} // namespace

bool LayerHolds(IUnknown* layer, IUnknown* self, int depth) {
    if (SameObject(layer, self))
        return true;
    auto composite = QueryAs<IGPCompositeLayer>(layer);
    int32_t count = 0;
    // A tree deeper than its forms can read back counts as holding it: such a tree could not be stored, and a walk
    // that gave up there would let a cycle in below.
    if (depth > LayerCore::kMaxNesting)
        return true;
    if (!composite || FAILED(composite->get_LayerCount(&count)))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPLayer> child;
        if (SUCCEEDED(composite->get_Layer(i, child.Out())) && child && LayerHolds(child.Get(), self, depth + 1))
            return true;
    }
    return false;
}

HRESULT LayerCore::Element(ComPtr<IDataElement>& element) {
    if (!element_ && !state_.dataSource.empty()) {
        if (HRESULT hr = OpenDataElement(state_.dataSource, element_.Out()); FAILED(hr))
            return hr;
    }
    element = element_;
    return S_OK;
}

void LayerCore::PutElement(IDataElement* element) {
    element_ = ComPtr<IDataElement>(element);
    state_.dataSource.clear();
    BStr path;
    if (element && SUCCEEDED(element->get_CatalogPath(path.Out())))
        state_.dataSource = path.str();
}

HRESULT LayerCore::ReadText(std::u16string_view text, bool composite) {
    String typed(text);
    // A layer of the current project's map, when there is one of that name.
    ComPtr<IGPProjectUtilities> project;
    if (SUCCEEDED(AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPProjectUtilities::iid,
                                   project.OutVoid())) &&
        project) {
        ComPtr<IGPLayer> found;
        if (project->MakeLayer(typed.c_str(), found.Out()) == S_OK && found) {
            LayerCore taken;
            if (HRESULT hr = taken.TakeStateOf(found.Get(), composite && QueryAs<IGPCompositeLayer>(found.Get()));
                FAILED(hr))
                return hr;
            state_ = std::move(taken.state_);
            element_ = std::move(taken.element_);
            return S_OK;
        }
    }
    LayerState made;
    made.name = typed;
    ComPtr<IDataElement> element;
    if (SUCCEEDED(OpenDataElement(text, element.Out())) && element) {
        BStr path;
        BStr name;
        element->get_CatalogPath(path.Out());
        element->get_Name(name.Out());
        made.dataSource = path.str();
        made.displayName = name.str();
    }
    state_ = std::move(made);
    element_ = std::move(element);
    return S_OK;
}

HRESULT LayerCore::TakeStateOf(IUnknown* source, bool withChildren) {
    LayerState taken;
    ComPtr<IDataElement> element;
    if (auto* ours = dynamic_cast<LayerCore*>(QueryAs<IGPLayer>(source).Get())) {
        if (ours == this)
            return S_OK;
        taken = ours->state_;
        element = ours->element_;
        taken.children.clear();
    } else {
        auto layer = QueryAs<IGPLayer>(source);
        if (!layer)
            return E_INVALIDARG;
        taken.name = TextThrough(layer.Get(), &IGPLayer::get_Name);
        taken.displayName = TextThrough(layer.Get(), &IGPLayer::get_DisplayName);
        if (auto more = QueryAs<IGPLayer2>(source)) {
            ReadThrough(more.Get(), &IGPLayer2::get_DataSource, taken.dataSource);
            ReadThrough(more.Get(), &IGPLayer2::get_DefinitionQuery, taken.definitionQuery);
            VARIANT_BOOL visible = VARIANT_TRUE;
            more->get_Visible(&visible);
            taken.visible = visible != 0;
            more->get_FieldInfo(taken.fieldInfo.Out());
            int32_t count = 0;
            more->get_SelectionCount(&count);
            for (int32_t i = 0; i < count; ++i) {
                int64_t oid = 0;
                if (SUCCEEDED(more->GetSelectedID(i, &oid)))
                    taken.selection.push_back(oid);
            }
            std::sort(taken.selection.begin(), taken.selection.end());
            taken.selection.erase(std::unique(taken.selection.begin(), taken.selection.end()), taken.selection.end());
        }
        if (taken.dataSource.empty())
            layer->get_DataElement(element.Out());
    }
    // The field info and the children are copies, never shared with the source.
    if (taken.fieldInfo) {
        ComPtr<IGPFieldInfo> copy;
        if (HRESULT hr = CloneAs(taken.fieldInfo.Get(), copy); FAILED(hr))
            return hr;
        taken.fieldInfo = std::move(copy);
    }
    if (withChildren)
        if (auto composite = QueryAs<IGPCompositeLayer>(source)) {
            int32_t count = 0;
            if (HRESULT hr = composite->get_LayerCount(&count); FAILED(hr))
                return hr;
            for (int32_t i = 0; i < count; ++i) {
                ComPtr<IGPLayer> child;
                ComPtr<IGPLayer> copy;
                if (HRESULT hr = composite->get_Layer(i, child.Out()); FAILED(hr))
                    return hr;
                if (HRESULT hr = CloneAs(child.Get(), copy); FAILED(hr))
                    return hr;
                taken.children.push_back(std::move(copy));
            }
        }
    state_ = std::move(taken);
    element_ = std::move(element);
    return S_OK;
}

bool LayerCore::SameStateAs(IUnknown* other, bool withChildren) {
    // A layer of this library is compared as it stands; another through a copy of its state.
    LayerCore copy;
    const LayerCore* theirs = dynamic_cast<LayerCore*>(QueryAs<IGPLayer>(other).Get());
    if (!theirs) {
        if (FAILED(copy.TakeStateOf(other, withChildren)))
            return false;
        theirs = &copy;
    }
    const LayerState& a = state_;
    const LayerState& b = theirs->state_;
    if (a.name != b.name || a.displayName != b.displayName || a.dataSource != b.dataSource ||
        a.definitionQuery != b.definitionQuery || a.visible != b.visible || a.selection != b.selection ||
        !EqualByClone(a.fieldInfo.Get(), b.fieldInfo.Get()))
        return false;
    if (!withChildren)
        return true;
    if (a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.children.size(); ++i)
        if (!EqualByClone(a.children[i].Get(), b.children[i].Get()))
            return false;
    return true;
}

HRESULT LayerCore::OpenTable(ITable** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IDataElement> element;
        if (HRESULT hr = Element(element); FAILED(hr))
            return hr;
        if (!element)
            return TAVI_E_DATA_NOT_FOUND;
        auto opened = QueryAs<ITable>(element.Get());
        if (!opened)
            return E_NOINTERFACE;
        *table = opened.Detach();
        return S_OK;
    });
}

HRESULT LayerCore::Search(const OLECHAR* whereClause, bool selectedOnly, ICursor** cursor) {
    if (HRESULT hr = ClearOut(cursor); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<ITable> table;
        if (HRESULT hr = OpenTable(table.Out()); FAILED(hr))
            return hr;
        String where = CombinedWhere(state_.definitionQuery, whereClause ? whereClause : u"");
        ComPtr<ICursor> rows;
        if (HRESULT hr = table->Search(where.empty() ? nullptr : where.c_str(), rows.Out()); FAILED(hr))
            return hr;
        if (selectedOnly)
            rows = MakeObject<SelectedRowsCursor>(std::move(rows), state_.selection);
        *cursor = rows.Detach();
        return S_OK;
    });
}

HRESULT LayerCore::RowCount(bool selectedOnly, int64_t* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return guard([&]() -> HRESULT {
        if (!selectedOnly && state_.definitionQuery.empty()) {
            ComPtr<ITable> table;
            if (HRESULT hr = OpenTable(table.Out()); FAILED(hr))
                return hr;
            return table->RowCount(count);
        }
        ComPtr<ICursor> rows;
        if (HRESULT hr = Search(nullptr, selectedOnly, rows.Out()); FAILED(hr))
            return hr;
        int64_t counted = 0;
        for (;;) {
            ComPtr<IRow> row;
            if (HRESULT hr = rows->NextRow(row.Out()); FAILED(hr))
                return hr;
            if (!row)
                break;
            ++counted;
        }
        *count = counted;
        return S_OK;
    });
}

// A property of the layer's data, read through `fromFeatures` of a feature class or `fromRaster` of a raster;
// S_FALSE with null for a layer without data or over data of another kind.
template <class T>
HRESULT LayerCore::FromGeoData(T** out, HRESULT (IFeatureClass::*fromFeatures)(T**),
                               HRESULT (IRasterDataset::*fromRaster)(T**)) {
    if (HRESULT hr = ClearOut(out); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IDataElement> element;
        if (FAILED(Element(element)) || !element)
            return S_FALSE;
        if (auto features = QueryAs<IFeatureClass>(element.Get()))
            return (features.Get()->*fromFeatures)(out);
        if (auto raster = QueryAs<IRasterDataset>(element.Get()))
            return (raster.Get()->*fromRaster)(out);
        return S_FALSE;
    });
}

HRESULT LayerCore::Extent(IEnvelope** extent) {
    return FromGeoData(extent, &IFeatureClass::get_Extent, &IRasterDataset::get_Extent);
}

HRESULT LayerCore::SpatialReference(ISpatialReference** spatialReference) {
    return FromGeoData(spatialReference, &IFeatureClass::get_SpatialReference, &IRasterDataset::get_SpatialReference);
}

HRESULT LayerCore::AddChild(IUnknown* self, IGPLayer* layer) {
    if (!layer)
        return E_POINTER;
    if (LayerHolds(layer, self))
        return E_INVALIDARG;
    state_.children.emplace_back(layer);
    return S_OK;
}

HRESULT LayerCore::SaveChildren(IStream* stream, bool clearDirty) {
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(state_.children.size()))))
        return E_FAIL;
    for (const auto& child : state_.children)
        if (FAILED(SaveObject(child.Get(), stream, clearDirty)))
            return E_FAIL;
    return S_OK;
}

HRESULT LayerCore::LoadChildren(IStream* stream) {
    NestingGuard nesting;
    int32_t count = 0;
    if (nesting.TooDeep() || FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    // No room is made ahead of the reads: a count larger than the stream holds fails at its end.
    std::vector<ComPtr<IGPLayer>> children;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPLayer> child;
        if (FAILED(LoadObject(stream, IGPLayer::iid, child.OutVoid())) || !child)
            return E_FAIL;
        children.push_back(std::move(child));
    }
    state_.children = std::move(children);
    return S_OK;
}

HRESULT LayerCore::SaveState(IStream* stream, bool composite, bool clearDirty) {
    const LayerState& s = state_;
    if (FAILED(WriteString(stream, s.name)) || FAILED(WriteString(stream, s.displayName)) ||
        FAILED(WriteString(stream, s.dataSource)) || FAILED(WriteString(stream, s.definitionQuery)) ||
        FAILED(AfStreamWrite(stream, static_cast<int16_t>(s.visible ? VARIANT_TRUE : VARIANT_FALSE))) ||
        FAILED(SaveObject(s.fieldInfo.Get(), stream, clearDirty)) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(s.selection.size()))))
        return E_FAIL;
    for (int64_t id : s.selection)
        if (FAILED(AfStreamWrite(stream, id)))
            return E_FAIL;
    if (composite)
        return SaveChildren(stream, clearDirty);
    return S_OK;
}

HRESULT LayerCore::LoadState(IStream* stream, bool composite) {
    LayerState read;
    int16_t visible = 0;
    int32_t count = 0;
    if (FAILED(ReadString(stream, &read.name)) || FAILED(ReadString(stream, &read.displayName)) ||
        FAILED(ReadString(stream, &read.dataSource)) || FAILED(ReadString(stream, &read.definitionQuery)) ||
        FAILED(AfStreamRead(stream, &visible)) || (visible != VARIANT_TRUE && visible != VARIANT_FALSE) ||
        FAILED(LoadObject(stream, IGPFieldInfo::iid, read.fieldInfo.OutVoid())) ||
        FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    read.visible = visible != 0;
    for (int32_t i = 0; i < count; ++i) {
        int64_t id = 0;
        if (FAILED(AfStreamRead(stream, &id)) || (!read.selection.empty() && id <= read.selection.back()))
            return E_FAIL;
        read.selection.push_back(id);
    }
    read.children = std::move(state_.children);
    state_ = std::move(read);
    element_ = nullptr;
    if (composite)
        return LoadChildren(stream);
    return S_OK;
}

HRESULT LayerCore::SerializeState(IXMLSerializeData* data) {
    const LayerState& s = state_;
    HRESULT hr = S_OK;
    if (FAILED(hr = data->AddString(u"Name", s.name.c_str())) ||
        FAILED(hr = data->AddString(u"DisplayName", s.displayName.c_str())) ||
        FAILED(hr = data->AddString(u"DataSource", s.dataSource.c_str())) ||
        FAILED(hr = data->AddString(u"DefinitionQuery", s.definitionQuery.c_str())) ||
        FAILED(hr = data->AddBoolean(u"Visible", s.visible ? VARIANT_TRUE : VARIANT_FALSE)))
        return hr;
    if (s.fieldInfo && FAILED(hr = data->AddObject(u"FieldInfo", s.fieldInfo.Get())))
        return hr;
    if (!s.selection.empty() && FAILED(hr = data->AddString(u"Selection", SelectionText(s.selection).c_str())))
        return hr;
    if (s.children.empty())
        return S_OK;
    auto array = MakeObject<ObjectArray>();
    for (const auto& child : s.children)
        array->Add(child.Get());
    return data->AddObjectArray(u"Layers", static_cast<IArray*>(array.Get()), u"GPLayer", c_xml_ns_tavi);
}

HRESULT LayerCore::DeserializeState(IXMLSerializeData* data) {
    LayerState read = state_;
    auto readText = [&](const char16_t* name, String& field) {
        int32_t index = -1;
        if (FAILED(data->Find(name, &index)))
            return false;
        if (index < 0)
            return true;
        BStr text;
        if (FAILED(data->GetString(index, text.Out())))
            return false;
        field = text.str();
        return true;
    };
    if (!readText(u"Name", read.name) || !readText(u"DisplayName", read.displayName) ||
        !readText(u"DataSource", read.dataSource) || !readText(u"DefinitionQuery", read.definitionQuery))
        return E_FAIL;
    int32_t index = -1;
    if (FAILED(data->Find(u"Visible", &index)))
        return E_FAIL;
    if (index >= 0) {
        VARIANT_BOOL visible = VARIANT_TRUE;
        if (FAILED(data->GetBoolean(index, &visible)))
            return E_FAIL;
        read.visible = visible != 0;
    }
    if (FAILED(data->Find(u"FieldInfo", &index)))
        return E_FAIL;
    if (index >= 0) {
        ComPtr<IUnknown> object;
        if (FAILED(data->GetObject(index, c_xml_ns_tavi, u"GPFieldInfo", object.Out())))
            return E_FAIL;
        read.fieldInfo = QueryAs<IGPFieldInfo>(object.Get());
        if (object && !read.fieldInfo)
            return E_FAIL;
    }
    String selection;
    if (FAILED(data->Find(u"Selection", &index)))
        return E_FAIL;
    if (index >= 0 && (!readText(u"Selection", selection) || !ReadSelectionText(selection, read.selection)))
        return E_FAIL;
    NestingGuard nesting;
    if (nesting.TooDeep())
        return E_FAIL;
    std::vector<ComPtr<IUnknown>> elements;
    if (FAILED(ReadXmlObjectArray(data, u"Layers", u"ArrayOfGPLayer", elements)))
        return E_FAIL;
    read.children.clear();
    for (const auto& element : elements) {
        auto child = QueryAs<IGPLayer>(element.Get());
        if (!child)
            return E_FAIL;
        read.children.push_back(std::move(child));
    }
    if (read.dataSource != state_.dataSource)
        element_ = nullptr;
    state_ = std::move(read);
    return S_OK;
}

HRESULT LayerCore::DescribeState(IGPValue* self, const OLECHAR* name, VARIANT* value) {
    if (!name || !value)
        return E_POINTER;
    VariantInit(value);
    std::u16string_view asked(name);
    const struct {
        const char16_t* name;
        const String* text;
    } texts[] = {{u"Name", &state_.name},
                 {u"DisplayName", &state_.displayName},
                 {u"DataSource", &state_.dataSource},
                 {u"DefinitionQuery", &state_.definitionQuery}};
    for (const auto& entry : texts)
        if (EqualsNoCase(asked, entry.name))
            return DescribeString(*entry.text, value);
    if (EqualsNoCase(asked, u"SelectionCount"))
        return DescribeInteger(static_cast<int32_t>(state_.selection.size()), value);
    return DescribeValueBase(self, asked, value);
}

} // namespace tavi
