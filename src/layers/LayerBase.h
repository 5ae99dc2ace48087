// The layer value bases: GPLayerBase, GPFeatureLayerBase, GPTableViewBase and GPCompositeLayerBase. A layer value
// names a layer of a map (its text form) and holds what a tool reads through it: the data it draws (a catalog path,
// with the data element opened from it on demand), a definition query, a field info, whether it is drawn, a selection
// of object ids and, for composite layers, its child layers.
//
// Every base answers IGPValue, IGPDescribe, IClone, IPersistStream, IXMLSerialize, IGPLayer, IGPLayer2, IDEGeoDataset
// and IGPValueExpression (a layer names no model variables: always resolved). Feature layers and table views add
// IGPTableView, IGPTableView2 and IGPTableViewImpl, feature layers IGPFeatureLayer; composite layers (and the member
// kinds that hold children of their own) IGPCompositeLayer. A member class lists its marker interface first.
//
// Text form (SetAsText): null or "" empties the layer. Any other text makes a new layer: the utility object's
// project, when it has a layer of that name (IGPProjectUtilities::MakeLayer), gives its state (children only between
// composite layers); else a text that opens as data (OpenDataElement) makes a layer over that data, named by the text
// as typed, with the data's catalog path as data source and the dataset's name as display name; else the layer is
// only a name (an output layer that a tool will make). Never an error message for an unknown name. GetAsText gives
// the name.
//
// Table views: Search reads the opened table with "(definition query) AND (where clause)" (either may be empty) and,
// with selectedOnly, keeps only the rows whose object id is in the selection; RowCount counts the same rows.
//
// Stored state of every base (after the value frame's version and base part, the empty flag):
//   stream  name, display name, data source, definition query (Strings); visible (16-bit boolean); field info (a
//           nested object, none for no field info); selection (32-bit count, then that many 64-bit ids in ascending
//           order without repeats); composite layers then their children (32-bit count, then each child layer as a
//           nested object). Counts are checked against what the stream holds: a count the stream cannot hold, ids out
//           of order, or a child that is no layer make the read fail (E_FAIL) and leave the layer as it was.
//   XML     "Name", "DisplayName", "DataSource", "DefinitionQuery" (strings), "Visible" (boolean), "FieldInfo"
//           (object, written only when there is one), "Selection" (the ids in decimal, separated by one space,
//           written only when there are some), and, when the layer has children, "Layers": an array of type
//           "ArrayOfGPLayer" whose items are of type "GPLayer". An absent element keeps its default (absent "Layers"
//           clears the children).
//   Nested children are read at most kMaxNesting deep, so that a hostile form cannot exhaust the stack.
//
// Describe answers, besides the value's base names, "Name", "DisplayName", "DataSource" and "DefinitionQuery" (text)
// and "SelectionCount" (a number), names compared without regard to case.
#pragma once

#include "host/GPValue.h"
#include "host/StreamIO.h"
#include "platform/HandOut.h"
#include "tavi/GPLayer.h"

#include <type_traits>
#include <vector>

namespace tavi {

// The four bases a layer value is built on.
enum class LayerBaseKind { Layer, FeatureLayer, TableView, CompositeLayer };

// What every layer value holds.
struct LayerState {
    String name;
    String displayName;
    String dataSource;
    String definitionQuery;
    bool visible = true;
    ComPtr<IGPFieldInfo> fieldInfo;
    std::vector<int64_t> selection; // ascending, without repeats
    std::vector<ComPtr<IGPLayer>> children;
};

// The layer operations shared by every base, on one layer's state. `self` is the layer the state belongs to (for
// the cycle test of AddLayer and for messages).
class LayerCore {
public:
    static constexpr int kMaxNesting = 64;

    LayerState& State() { return state_; }
    const LayerState& State() const { return state_; }

protected:
    LayerCore() = default;
    virtual ~LayerCore() = default;

    // The data element: the one put, or the one opened from the data source (kept once opened); null without data.
    HRESULT Element(ComPtr<IDataElement>& element);
    void DropElement() { element_ = nullptr; }
    void PutElement(IDataElement* element);

    // SetAsText's reading of a non-empty text (see the header comment). `composite`: this layer takes children.
    HRESULT ReadText(std::u16string_view text, bool composite);
    // Takes the state of another layer through its interfaces (a copy of its field info and, when `withChildren`,
    // copies of its children). E_INVALIDARG when `source` is no IGPLayer.
    HRESULT TakeStateOf(IUnknown* source, bool withChildren);
    bool SameStateAs(IUnknown* other, bool withChildren);

    // IGPTableView and friends over the data.
    HRESULT OpenTable(ITable** table);
    HRESULT Search(const OLECHAR* whereClause, bool selectedOnly, ICursor** cursor);
    HRESULT RowCount(bool selectedOnly, int64_t* count);
    HRESULT Extent(IEnvelope** extent);
    HRESULT SpatialReference(ISpatialReference** spatialReference);
    template <class T>
    HRESULT FromGeoData(T** out, HRESULT (IFeatureClass::*fromFeatures)(T**),
                        HRESULT (IRasterDataset::*fromRaster)(T**));

    // IGPCompositeLayer
    HRESULT AddChild(IUnknown* self, IGPLayer* layer);

    // The stored forms of the state (see the header comment).
    HRESULT SaveState(IStream* stream, bool composite, bool clearDirty);
    HRESULT LoadState(IStream* stream, bool composite);
    HRESULT SerializeState(IXMLSerializeData* data);
    HRESULT DeserializeState(IXMLSerializeData* data);
    HRESULT DescribeState(IGPValue* self, const OLECHAR* name, VARIANT* value);

    // Children as a count and nested objects (the composite base's form, and that of members that store them first).
    HRESULT SaveChildren(IStream* stream, bool clearDirty);
    HRESULT LoadChildren(IStream* stream);

    void ResetState() {
        state_ = LayerState{};
        element_ = nullptr;
    }

private:
    LayerState state_;
    ComPtr<IDataElement> element_;
};

// True when `layer` is `self` or holds it among its children, at any depth, and when `layer`'s children nest more
// than LayerCore::kMaxNesting deep (AddLayer refuses both).
bool LayerHolds(IUnknown* layer, IUnknown* self, int depth = 0);

// The rows of a base: R when `answered`, else implemented but not answered.
template <bool answered, class I> using RowIf = std::conditional_t<answered, I, Hidden<I>>;

template <LayerBaseKind kKind, bool kChildren>
using LayerRows =
    Rows<RowIf<kKind == LayerBaseKind::FeatureLayer, IGPFeatureLayer>, IGPLayer, IGPLayer2,
         RowIf<kKind == LayerBaseKind::FeatureLayer || kKind == LayerBaseKind::TableView, IGPTableView>,
         RowIf<kKind == LayerBaseKind::FeatureLayer || kKind == LayerBaseKind::TableView, IGPTableView2>,
         RowIf<kKind == LayerBaseKind::FeatureLayer || kKind == LayerBaseKind::TableView, IGPTableViewImpl>,
         RowIf<kChildren, IGPCompositeLayer>, IDEGeoDataset, IGPValueExpression, ValueInterfacesDescribed>;

// The layer value base. `Own` are the member's own rows (its marker first), looked up before the base's.
// `kChildren`: the layer holds child layers (composite layers, and members such as the catalog layer that store
// children of their own before the base state; `kChildrenInBase` says which form).
template <class Derived, LayerBaseKind kKind, bool kChildren, class Own = Rows<>>
class LayerValue : public GPValue<Derived, Own, LayerRows<kKind, kChildren>>, public LayerCore {
    using Base = GPValue<Derived, Own, LayerRows<kKind, kChildren>>;

public:
    static constexpr uint16_t kStreamVersion = 1;
    static constexpr bool kChildrenInBase = kKind == LayerBaseKind::CompositeLayer;

    // IGPValue
    HRESULT Empty() override {
        return guard([&] {
            ResetState();
            return this->BaseEmpty();
        });
    }
    HRESULT GetAsText(BSTR* text) override { return HandOut(State().name, text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override {
        return this->SetAsTextWith(text, message, 0, [&](std::u16string_view read) {
            if (FAILED(ReadText(read, kChildren)))
                return false;
            this->SetModified();
            return true;
        });
    }

    // IClone
    HRESULT Assign(IClone* source) override {
        if (!source)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            if (HRESULT hr = AssignOwn(source); FAILED(hr))
                return hr;
            if (HRESULT hr = TakeStateOf(source, kChildren); FAILED(hr))
                return hr;
            return this->BaseAssign(source);
        });
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        if (!other || !equal)
            return E_POINTER;
        *equal = VARIANT_FALSE;
        return guard([&]() -> HRESULT {
            if (!SameOwnAs(other) || !SameStateAs(other, kChildren))
                return S_OK;
            return this->BaseIsEqual(other, equal);
        });
    }

    // IGPDescribe
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override {
        return DescribeState(static_cast<IGPValue*>(this), name, value);
    }

    // IGPLayer
    HRESULT get_Name(BSTR* name) override { return HandOut(State().name, name); }
    HRESULT put_Name(const OLECHAR* name) override {
        return Change([&] { State().name = name ? name : u""; });
    }
    HRESULT get_DisplayName(BSTR* name) override { return HandOut(State().displayName, name); }
    HRESULT put_DisplayName(const OLECHAR* name) override {
        return Change([&] { State().displayName = name ? name : u""; });
    }
    HRESULT putref_DataElement(IDataElement* element) override {
        return Change([&] { PutElement(element); });
    }
    HRESULT get_DataElement(IDataElement** element) override {
        if (HRESULT hr = ClearOut(element); FAILED(hr))
            return hr;
        return guard([&]() -> HRESULT {
            ComPtr<IDataElement> opened;
            if (HRESULT hr = Element(opened); FAILED(hr))
                return hr;
            *element = opened.Detach();
            return S_OK;
        });
    }

    // IGPLayer2
    HRESULT get_DataSource(BSTR* path) override { return HandOut(State().dataSource, path); }
    HRESULT put_DataSource(const OLECHAR* path) override {
        return Change([&] {
            State().dataSource = path ? path : u"";
            DropElement();
        });
    }
    HRESULT get_DefinitionQuery(BSTR* whereClause) override { return HandOut(State().definitionQuery, whereClause); }
    HRESULT put_DefinitionQuery(const OLECHAR* whereClause) override {
        return Change([&] { State().definitionQuery = whereClause ? whereClause : u""; });
    }
    HRESULT get_FieldInfo(IGPFieldInfo** fieldInfo) override {
        if (HRESULT hr = ClearOut(fieldInfo); FAILED(hr))
            return hr;
        if (!State().fieldInfo)
            return S_OK;
        return guard([&]() -> HRESULT {
            ComPtr<IGPFieldInfo> copy;
            if (HRESULT hr = CloneAs(State().fieldInfo.Get(), copy); FAILED(hr))
                return hr;
            *fieldInfo = copy.Detach();
            return S_OK;
        });
    }
    HRESULT putref_FieldInfo(IGPFieldInfo* fieldInfo) override {
        return guard([&]() -> HRESULT {
            ComPtr<IGPFieldInfo> copy;
            if (fieldInfo)
                if (HRESULT hr = CloneAs(fieldInfo, copy); FAILED(hr))
                    return hr;
            State().fieldInfo = std::move(copy);
            this->SetModified();
            return S_OK;
        });
    }
    HRESULT get_Visible(VARIANT_BOOL* visible) override {
        return HandOutValue<VARIANT_BOOL>(State().visible ? VARIANT_TRUE : VARIANT_FALSE, visible);
    }
    HRESULT put_Visible(VARIANT_BOOL visible) override {
        return Change([&] { State().visible = visible != 0; });
    }
    HRESULT get_SelectionCount(int32_t* count) override {
        return HandOutValue(static_cast<int32_t>(State().selection.size()), count);
    }
    HRESULT GetSelectedID(int32_t index, int64_t* oid) override {
        if (!oid)
            return E_POINTER;
        *oid = 0;
        if (index < 0 || static_cast<size_t>(index) >= State().selection.size())
            return E_INVALIDARG;
        *oid = State().selection[static_cast<size_t>(index)];
        return S_OK;
    }
    HRESULT AddToSelection(int64_t oid) override {
        return Change([&] {
            auto& ids = State().selection;
            auto at = std::lower_bound(ids.begin(), ids.end(), oid);
            if (at == ids.end() || *at != oid)
                ids.insert(at, oid);
        });
    }
    HRESULT ClearSelection() override {
        return Change([&] { State().selection.clear(); });
    }

    // IGPTableView
    HRESULT get_Fields(IFields** fields) override {
        if (HRESULT hr = ClearOut(fields); FAILED(hr))
            return hr;
        return guard([&]() -> HRESULT {
            ComPtr<ITable> table;
            if (HRESULT hr = LayerCore::OpenTable(table.Out()); FAILED(hr))
                return hr;
            return table->get_Fields(fields);
        });
    }
    HRESULT Search(const OLECHAR* whereClause, VARIANT_BOOL selectedOnly, ICursor** cursor) override {
        return LayerCore::Search(whereClause, selectedOnly != 0, cursor);
    }
    HRESULT RowCount(VARIANT_BOOL selectedOnly, int64_t* count) override {
        return LayerCore::RowCount(selectedOnly != 0, count);
    }
    // IGPTableView2
    HRESULT get_HasOID(VARIANT_BOOL* hasOID) override {
        if (!hasOID)
            return E_POINTER;
        *hasOID = VARIANT_FALSE;
        return WithTable([&](ITable* table) { return table->get_HasOID(hasOID); });
    }
    HRESULT get_OIDFieldName(BSTR* name) override {
        if (HRESULT hr = ClearOut(name); FAILED(hr))
            return hr;
        return WithTable([&](ITable* table) { return table->get_OIDFieldName(name); });
    }
    // IGPTableViewImpl
    HRESULT OpenTable(ITable** table) override { return LayerCore::OpenTable(table); }

    // IGPCompositeLayer
    HRESULT get_LayerCount(int32_t* count) override {
        return HandOutValue(static_cast<int32_t>(State().children.size()), count);
    }
    HRESULT get_Layer(int32_t index, IGPLayer** layer) override {
        if (HRESULT hr = ClearOut(layer); FAILED(hr))
            return hr;
        if (index < 0 || static_cast<size_t>(index) >= State().children.size())
            return E_INVALIDARG;
        *layer = ComPtr<IGPLayer>(State().children[static_cast<size_t>(index)]).Detach();
        return S_OK;
    }
    HRESULT AddLayer(IGPLayer* layer) override {
        return guard([&]() -> HRESULT {
            if (HRESULT hr = AddChild(static_cast<IGPLayer*>(this), layer); FAILED(hr))
                return hr;
            this->SetModified();
            return S_OK;
        });
    }
    HRESULT RemoveLayer(int32_t index) override {
        if (index < 0 || static_cast<size_t>(index) >= State().children.size())
            return E_INVALIDARG;
        return Change([&] { State().children.erase(State().children.begin() + index); });
    }
    HRESULT ClearLayers() override {
        return Change([&] { State().children.clear(); });
    }

    // IDEGeoDataset
    HRESULT get_Extent(IEnvelope** extent) override { return Extent(extent); }
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override {
        return SpatialReference(spatialReference);
    }

    // IGPValueExpression
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override { return ResolvedWithoutVariables(resolved); }
    HRESULT put_Resolved(VARIANT_BOOL) override { return S_OK; }
    HRESULT ResolveValue(IGPVariableManager*, IGPValue** resolved) override {
        return ResolveAsClone(static_cast<IClone*>(this), resolved);
    }
    HRESULT GetVariableNames(IUnknown** names) override { return ClearOut(names); }
    HRESULT get_Variables(IArray** variables) override { return ClearOut(variables); }
    HRESULT putref_Variables(IArray*) override { return S_OK; }
    HRESULT GetAsText(IGPVariableManager*, BSTR* text) override { return GetAsText(text); }

protected:
    LayerValue(const CLSID& valueClassId, const CLSID& dataTypeClassId) : Base(valueClassId, dataTypeClassId) {}

    // What a member class keeps of its own: fields stored between the version and the frame's base part
    // (Save/LoadFirst, the same in every version) and after the base state (Save/LoadLast), and their XML, Assign
    // and IsEqual. None by default.
    virtual HRESULT SaveFirst(IStream*) { return S_OK; }
    virtual HRESULT LoadFirst(IStream*) { return S_OK; }
    virtual HRESULT SaveLast(IStream*, uint16_t) { return S_OK; }
    virtual HRESULT LoadLast(IStream*, uint16_t) { return S_OK; }
    virtual HRESULT SerializeOwn(IXMLSerializeData*) { return S_OK; }
    virtual HRESULT DeserializeOwn(IXMLSerializeData*) { return S_OK; }
    virtual HRESULT AssignOwn(IClone*) { return S_OK; }
    virtual bool SameOwnAs(IClone*) { return true; }

    // Runs `change` and marks the layer changed.
    template <class F> HRESULT Change(F&& change) {
        return guard([&] {
            change();
            this->SetModified();
        });
    }

    // The frame's hooks. The version is read before the base part; a member's first fields sit between them.
    uint16_t OldestStreamVersion() const override { return 0; }
    HRESULT SaveBase(IStream* stream) override {
        if (FAILED(SaveFirst(stream)))
            return E_FAIL;
        return GPValueCore::SaveBase(stream);
    }
    HRESULT LoadBase(IStream* stream) override {
        if (FAILED(LoadFirst(stream)))
            return E_FAIL;
        return GPValueCore::LoadBase(stream);
    }
    HRESULT SaveContent(IStream* stream, uint16_t version) override {
        if (FAILED(SaveState(stream, kChildrenInBase, this->SaveClearsDirty())) || FAILED(SaveLast(stream, version)))
            return E_FAIL;
        return S_OK;
    }
    HRESULT LoadContent(IStream* stream, uint16_t version) override {
        if (FAILED(LoadState(stream, kChildrenInBase)) || FAILED(LoadLast(stream, version)))
            return E_FAIL;
        return S_OK;
    }
    HRESULT SerializeContent(IXMLSerializeData* data) override {
        if (HRESULT hr = SerializeState(data); FAILED(hr))
            return hr;
        return SerializeOwn(data);
    }
    HRESULT DeserializeContent(IXMLSerializeData* data) override {
        if (FAILED(DeserializeState(data)) || FAILED(DeserializeOwn(data)))
            return E_FAIL;
        return S_OK;
    }

private:
    template <class F> HRESULT WithTable(F&& use) {
        return guard([&]() -> HRESULT {
            ComPtr<ITable> table;
            if (HRESULT hr = LayerCore::OpenTable(table.Out()); FAILED(hr))
                return hr;
            return use(table.Get());
        });
    }
};

// The four bases by name.
template <class Derived, class Own = Rows<>> using GPLayerBase = LayerValue<Derived, LayerBaseKind::Layer, false, Own>;
template <class Derived, class Own = Rows<>>
using GPFeatureLayerBase = LayerValue<Derived, LayerBaseKind::FeatureLayer, false, Own>;
template <class Derived, class Own = Rows<>>
using GPTableViewBase = LayerValue<Derived, LayerBaseKind::TableView, false, Own>;
template <class Derived, class Own = Rows<>>
using GPCompositeLayerBase = LayerValue<Derived, LayerBaseKind::CompositeLayer, true, Own>;

} // namespace tavi
