// The record set value base, shared by GPRecordSet (records) and GPFeatureRecordSetLayer (records with geometry).
//
// A value holds a table of records from one of two sources, and at any time exactly one counts:
//   - an in-memory record set (IRecordSet): given, or read from a record set file (`path`: a local ".dat" file or an
//     http(s) address of one, loaded on first need);
//   - the address of a service layer (`url`, with a token and a referer that are never stored): the records are
//     fetched on first need through a service input layer (IGPServiceInputLayer). SetURL contacts the service at
//     once for the layer's definition; SetURLWithDefinition (which is given it) and SetAsText (a text only names the
//     layer) contact nothing, and the definition or records are fetched when first needed; a read of a stored form
//     keeps the definition it was saved with.
// The value is also a table data element (IDataElement, IDEGdbTable7): its fields follow the source, its name is
// "record_set" ("feature_set") or the service layer's name, and its catalog path is that of a scratch table in the
// default workspace into which the records are written when a caller needs a real table (GetAsText, get_CatalogPath).
//
// Text: a service layer address (FeatureServer, MapServer or BigDataCatalogServer, see docs/feature-service.md)
// makes the value URL based (the same address again, in any letter case, changes nothing); any other text empties
// the value, without an error. GetAsText gives the address, or the scratch table's catalog path.
//
// Stream form, version by document version (record sets 2 or 3, feature sets 2 to 5): the version, the empty flag,
// the record set object (none when URL based), the path (or the element's name when it is not the default one),
// the transfer limit flag, the object id field's name; feature sets then the shape field's name, the drawing
// description (version 5 as JSON text, older ones as a nested object) and, from version 3, the edit templates; then
// (record sets version 3, feature sets version 4 and later) the query filter, the address, an empty token and
// referer, and the layer definition.
// XML form: "RecordSet" (the records, not URL based) or "URL", "token", "referer" (both empty), "LayerDefinition";
// then "filter", "OIDFieldName", feature sets "ShapeFieldName" and "LayerDrawingDescription", and
// "ExceededTransferLimit" only when true.
// Reading a stored form applies the stored definition without contacting the service.
//
// Describe: "JSON" and "PJSON" give the records as JSON (feature sets also "JSONXY", "JSONXYZ", "JSONXYM",
// "JSONXYZM", with the Z and M values the name says); "catalogpath" of a URL-based value without records gives the
// address; "shapeType" of a URL-based value the definition's geometry type without its "taviGeometry" prefix; the
// rest as for data elements (DescribeDataElement) and values.
#pragma once

#include "host/GPValue.h"
#include "platform/HandOut.h"
#include "tavi/DataAccess.h"
#include "tavi/GPLayer.h"
#include "tavi/GPRecordSet.h"

#include <string>

namespace tavi {

// What a record set value holds.
struct RecordSetState {
    bool exceededTransferLimit = false;
    String path;
    ComPtr<IRecordSet> recordSet;
    String url;
    String token;
    String referer;
    String oidFieldName;
    String shapeFieldName; // feature sets
    std::string layerDefinition;
    String layerName;
    ComPtr<IQueryFilter> queryFilter;
    ComPtr<IPropertySet> serviceProperties;
    ComPtr<IGPServiceInputLayer> serviceLayer;
    bool noteFlag = false;
    String note;
    ComPtr<IUnknown> drawingDescription; // feature sets
    ComPtr<IUnknown> editTemplates;      // feature sets
};

// The table description the value keeps in step with its source.
struct TableBaseState {
    String name;
    String catalogPath;
    ComPtr<IFields> fields;
    bool hasOID = false;
};

// The logic of both values, on one value's state. `features` tells the feature set from the record set.
class RecordSetCore {
public:
    explicit RecordSetCore(bool features) : features_(features) { ResetAll(); }

    RecordSetState& State() { return state_; }
    const TableBaseState& Table() const { return table_; }

protected:
    const char16_t* DefaultName() const { return features_ ? u"feature_set" : u"record_set"; }
    bool IsURLBased() const { return !state_.url.empty(); }
    void ResetAll();

    // The records, loaded from the record set file or fetched from the service when not held yet.
    HRESULT LoadOnDemand();
    // The service input layer, created and initialised with the address, token and referer when there is none.
    HRESULT Connect();
    // Makes the value URL based with `definition` (null: asked of the service).
    HRESULT SetServiceLayer(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer, IJSONObject* definition);
    // Takes the stored layer definition: the layer's name and fields.
    HRESULT ApplyDefinition();
    // Holds `recordSet` and takes its fields.
    void TakeRecordSet(IRecordSet* recordSet);
    // The records written to a scratch table in the default workspace (once), which the table base then names.
    HRESULT MakeScratchTable();
    HRESULT Export(IWorkspace* workspace, const OLECHAR* name, ITable** table);
    // The records as JSON with taviRecordSetJsonOption `options`; S_FALSE without records.
    HRESULT RecordsJson(int32_t options, VARIANT* value);

    HRESULT SetAsTextRead(std::u16string_view text);
    HRESULT TextForm(BSTR* text);
    HRESULT CatalogPath(BSTR* path);
    HRESULT IsEmptyNow(VARIANT_BOOL* empty);
    HRESULT DescribeRecords(IGPValue* self, IDataElement* element, const OLECHAR* name, VARIANT* value);

    // Assign and IsEqual of the state (the value base parts are the template's).
    HRESULT AssignState(IUnknown* source);
    bool SameStateAs(IUnknown* other);

    // The stored forms of the state.
    int32_t SaveVersion(IStream* stream) const;
    HRESULT SaveState(IStream* stream, uint16_t version, bool clearDirty);
    HRESULT LoadState(IStream* stream, uint16_t version);
    HRESULT SerializeState(IXMLSerializeData* data);
    HRESULT DeserializeState(IXMLSerializeData* data);
    // What a read of a stored form does last: the definition applied, or the records' fields taken.
    HRESULT FinishRead();

    // The feature set's extent and spatial reference, from its records.
    HRESULT Extent(IEnvelope** extent);
    HRESULT SpatialReference(ISpatialReference** spatialReference);
    HRESULT ShapeType(int32_t* shapeType);

    void ReleaseScratch() {
        scratchTable_ = nullptr;
        table_.catalogPath.clear();
    }
    TableBaseState table_;

private:
    HRESULT LoadFromFile();
    HRESULT FetchFromService();
    HRESULT DownloadRecordFile(const String& address, String& local);
    HRESULT CreateScratchTable(IWorkspace* workspace, const String& baseName, ComPtr<ITable>& table);
    void NameTable(ITable* table);
    HRESULT SaveDrawingDescription(IStream* stream, uint16_t version, bool clearDirty);
    HRESULT LoadDrawingDescription(IStream* stream, uint16_t version);

    bool features_;
    RecordSetState state_;
    String scratchWorkspacePath_;
    ComPtr<ITable> scratchTable_;
};

// The rows of both: `R` when `answered`, else implemented but not answered.
template <bool answered, class I> using RecordRowIf = std::conditional_t<answered, I, Hidden<I>>;

template <bool kFeatures>
using RecordSetRows =
    Rows<RecordRowIf<kFeatures, IGPFeatureRecordSetLayer>, RecordRowIf<kFeatures, IGPLayerDescription>,
         RecordRowIf<kFeatures, IGPFeatureRecordSet>, Alias<IGPRecordSet, IGPRecordSet2>, IGPRecordSet2,
         IGPRecordSetImpl, RecordRowIf<kFeatures, IGPLayerEditTemplateManagerImpl>,
         RecordRowIf<kFeatures, IDEGdbFeatureClass3>, RecordRowIf<kFeatures, IDEGeoDataset>, IDEGdbTable7, IDataElement,
         IGPValue, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IDocumentVersionSupport,
         IGPDescribe>;

template <class Derived, bool kFeatures>
class RecordSetValue : public GPValue<Derived, RecordSetRows<kFeatures>>, public RecordSetCore {
public:
    static constexpr uint16_t kStreamVersion = kFeatures ? 5 : 3;

    // IGPValue
    HRESULT IsEmpty(VARIANT_BOOL* empty) override { return IsEmptyNow(empty); }
    HRESULT Empty() override {
        return guard([&] {
            ResetAll();
            return this->BaseEmpty();
        });
    }
    HRESULT GetAsText(BSTR* text) override { return TextForm(text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IGPDescribe
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override {
        return DescribeRecords(static_cast<IGPValue*>(this), static_cast<IDataElement*>(this), name, value);
    }

    // IClone
    HRESULT Assign(IClone* source) override {
        if (!source)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            if (HRESULT hr = AssignState(source); FAILED(hr))
                return hr;
            return this->BaseAssign(source);
        });
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        if (!other || !equal)
            return E_POINTER;
        *equal = VARIANT_FALSE;
        return guard([&]() -> HRESULT { return SameStateAs(other) ? this->BaseIsEqual(other, equal) : S_OK; });
    }

    // IGPRecordSet, IGPRecordSet2
    HRESULT get_RecordSet(IRecordSet** recordSet) override {
        if (HRESULT hr = ClearOut(recordSet); FAILED(hr))
            return hr;
        return guard([&]() -> HRESULT {
            if (HRESULT hr = LoadOnDemand(); FAILED(hr))
                return hr;
            return State().recordSet.CopyTo(recordSet);
        });
    }
    HRESULT putref_RecordSet(IRecordSet* recordSet) override {
        return guard([&] {
            ResetAll();
            TakeRecordSet(recordSet);
            this->SetModified();
        });
    }
    HRESULT get_OIDFieldName(BSTR* name) override { return HandOut(State().oidFieldName, name); }
    HRESULT put_OIDFieldName(const OLECHAR* name) override {
        return Change([&] { State().oidFieldName = name ? name : u""; });
    }
    HRESULT get_ExceededTransferLimit(VARIANT_BOOL* exceeded) override {
        return HandOutValue<VARIANT_BOOL>(State().exceededTransferLimit ? VARIANT_TRUE : VARIANT_FALSE, exceeded);
    }
    HRESULT put_ExceededTransferLimit(VARIANT_BOOL exceeded) override {
        return Change([&] { State().exceededTransferLimit = exceeded != VARIANT_FALSE; });
    }
    HRESULT SetURL(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer) override {
        return SetURLWithDefinitionOf(url, token, referer, nullptr);
    }
    HRESULT GetURL(BSTR* url, BSTR* token, BSTR* referer) override;
    HRESULT get_QueryFilter(IQueryFilter** filter) override {
        if (HRESULT hr = ClearOut(filter); FAILED(hr))
            return hr;
        return State().queryFilter.CopyTo(filter);
    }
    HRESULT putref_QueryFilter(IQueryFilter* filter) override {
        return Change([&] { State().queryFilter = ComPtr<IQueryFilter>(filter); });
    }
    HRESULT get_IsURLBased(VARIANT_BOOL* urlBased) override {
        return HandOutValue<VARIANT_BOOL>(IsURLBased() ? VARIANT_TRUE : VARIANT_FALSE, urlBased);
    }

    // IGPRecordSetImpl
    HRESULT get_Path(BSTR* path) override { return HandOut(State().path, path); }
    HRESULT put_Path(const OLECHAR* path) override {
        return Change([&] { State().path = path ? path : u""; });
    }
    HRESULT get_ServiceLayer(IUnknown** serviceLayer) override;
    HRESULT get_ServiceProperties(IPropertySet** properties) override {
        if (HRESULT hr = ClearOut(properties); FAILED(hr))
            return hr;
        return State().serviceProperties.CopyTo(properties);
    }
    HRESULT get_Path2(BSTR* path) override { return get_Path(path); }
    HRESULT SetURLWithDefinition(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer,
                                 IJSONObject* definition) override {
        if (!definition)
            return E_POINTER;
        return SetURLWithDefinitionOf(url, token, referer, definition);
    }
    HRESULT get_LayerDefinition(BSTR* definition) override;
    HRESULT ExportToWorkspace(IWorkspace* workspace, const OLECHAR* name, ITable** table) override {
        return guard([&] { return Export(workspace, name, table); });
    }
    HRESULT get_Note(BSTR* note, VARIANT_BOOL* flag) override;
    HRESULT put_Note(const OLECHAR* note, VARIANT_BOOL flag) override {
        return guard([&] {
            State().note = note ? note : u"";
            State().noteFlag = flag == VARIANT_TRUE;
        });
    }

    // IDEGdbTable7 (the object id field's accessors are IGPRecordSet's)
    HRESULT get_Fields(IFields** fields) override;
    HRESULT putref_Fields(IFields* fields) override {
        return guard([&] { table_.fields = ComPtr<IFields>(fields); });
    }
    HRESULT get_HasOID(VARIANT_BOOL* hasOID) override {
        return HandOutValue<VARIANT_BOOL>(table_.hasOID ? VARIANT_TRUE : VARIANT_FALSE, hasOID);
    }

    // IDataElement
    HRESULT get_Type(BSTR* typeName) override { return HandOut(kFeatures ? u"DEFeatureClass" : u"DETable", typeName); }
    HRESULT get_Name(BSTR* name) override { return HandOut(table_.name, name); }
    HRESULT get_CatalogPath(BSTR* path) override { return CatalogPath(path); }
    HRESULT get_BaseName(BSTR* baseName) override;
    HRESULT get_Extension(BSTR* extension) override;
    HRESULT get_ChildrenExpanded(VARIANT_BOOL* expanded) override {
        return HandOutValue<VARIANT_BOOL>(VARIANT_FALSE, expanded);
    }
    HRESULT get_Children(IArray** children) override { return ClearOut(children); }

    // IDocumentVersionSupport: known to documents of every version; the text in a string as the replacement.
    HRESULT IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) override {
        return SupportedAtEveryVersion(supported);
    }
    HRESULT ConvertToSupportedObject(int32_t, IUnknown** replacement) override;

    // IDEGdbFeatureClass3 (feature sets)
    HRESULT get_FeatureType(int32_t* featureType) override {
        return HandOutValue<int32_t>(taviFeatureTypeSimple, featureType);
    }
    HRESULT get_ShapeType(int32_t* shapeType) override { return ShapeType(shapeType); }
    HRESULT get_ShapeFieldName(BSTR* name) override { return HandOut(State().shapeFieldName, name); }
    // IDEGeoDataset (feature sets)
    HRESULT get_Extent(IEnvelope** extent) override { return Extent(extent); }
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override {
        return SpatialReference(spatialReference);
    }
    // IGPLayerDescription (feature sets)
    HRESULT get_DrawingDescription(IUnknown** description) override {
        if (HRESULT hr = ClearOut(description); FAILED(hr))
            return hr;
        return State().drawingDescription.CopyTo(description);
    }
    HRESULT putref_DrawingDescription(IUnknown* description) override;
    HRESULT get_DrawingDescription2(IUnknown** description) override { return get_DrawingDescription(description); }
    // IGPLayerEditTemplateManagerImpl (feature sets)
    HRESULT putref_EditTemplates(IUnknown* templates) override {
        return Change([&] { State().editTemplates = ComPtr<IUnknown>(templates); });
    }
    HRESULT get_EditTemplates(IUnknown** templates) override {
        if (HRESULT hr = ClearOut(templates); FAILED(hr))
            return hr;
        return State().editTemplates.CopyTo(templates);
    }

protected:
    RecordSetValue(const CLSID& valueClassId, const CLSID& dataTypeClassId)
        : GPValue<Derived, RecordSetRows<kFeatures>>(valueClassId, dataTypeClassId), RecordSetCore(kFeatures) {}

private:
    template <class F> HRESULT Change(F&& change) {
        return guard([&] {
            change();
            this->SetModified();
        });
    }
    HRESULT SetURLWithDefinitionOf(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer,
                                   IJSONObject* definition) {
        if (!url)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            HRESULT hr = SetServiceLayer(url, token, referer, definition);
            this->SetModified();
            if (FAILED(hr)) {
                ResetAll();
                this->BaseEmpty();
            }
            return hr;
        });
    }

    // The frame's hooks.
    int32_t SaveVersionFor(IStream* stream) override { return SaveVersion(stream); }
    HRESULT SaveContent(IStream* stream, uint16_t version) override {
        return SaveState(stream, version, this->SaveClearsDirty());
    }
    HRESULT LoadContent(IStream* stream, uint16_t version) override { return LoadState(stream, version); }
    HRESULT SerializeContent(IXMLSerializeData* data) override { return SerializeState(data); }
    HRESULT DeserializeContent(IXMLSerializeData* data) override { return DeserializeState(data); }
};

} // namespace tavi
