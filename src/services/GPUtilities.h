// The framework's utility object: one per thread (singleton factory). It keeps the registry of catalog paths whose
// data is known not to exist, routes work to the repository threads that own repository state, and applies thread
// capsules to every repository thread.
#pragma once

#include "frame/ConnectionPoint.h"
#include "host/String.h"
#include "platform/Object.h"
#include "services/ProjectDocument.h"
#include "tavi/GPUtilities.h"

#include <optional>
#include <set>

namespace tavi {

// The construction-time settings of the current user's "Software\TAVI\Torvik\Settings" (DWORD values only; a value
// of another type, a missing value or key leaves the default).
struct GPUtilitiesSettings {
    bool cachingEnabled = true;                          // "DisableGPCaching" 1, 3 or 4 turn it off
    VARIANT_BOOL runOnlyInMainThread = VARIANT_FALSE;    // "RunGPOnlyInMainThread" 1
    VARIANT_BOOL skipMapObjNonExistData = VARIANT_FALSE; // "SkipMapUpdateNonExistsDataPathnames" 1
    VARIANT_BOOL showCodedValueKeys = VARIANT_FALSE;     // "ShowCodedValueKeys" 1

    static GPUtilitiesSettings Read();
};

class GPUtilities final : public Object<GPUtilities, IConnectionPointContainer, IGPUtilities, IGPUtilitiesImpl,
                                        IGPProjectUtilities, IGPProjectUtilities2> {
public:
    static constexpr CLSID kClassId = CLSID_GPUtilities;
    static constexpr const char16_t* kClassName = u"GPUtilities";

    // Reads the settings and notes the thread it is made on. Starts no repository thread.
    GPUtilities();

    // IConnectionPointContainer: the object raises no events yet, so it has no points.
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return points_.EnumConnectionPoints(points);
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        return points_.FindConnectionPoint(riid, point);
    }

    // IGPUtilitiesImpl: the missing-data registry. Outside the desktop application each answers S_FALSE (a null
    // out is E_POINTER first, and outs are cleared). The instance made on the main repository thread keeps the
    // paths; any other instance forwards the call to it, answers what it answered, and holds it from then on (the
    // paths live while an instance that used them does, or until the library may unload). Add refuses an empty path
    // (E_INVALIDARG); Check finds nothing for one.
    HRESULT AddNonExistDataPathname(const OLECHAR* path) override;
    HRESULT CheckNonExistDataPathname(const OLECHAR* path, VARIANT_BOOL* found) override;
    HRESULT ClearNonExistDataPathname() override;
    HRESULT SetSkipMapObjNonExistData(VARIANT_BOOL skip) override;
    HRESULT GetSkipMapObjNonExistData(VARIANT_BOOL* skip) override;

    // Looks the capsule's key up in the repository of every repository thread up to the highest index this
    // instance has seen and applies the capsule with the command to each that knows it, on that repository's
    // thread and never on two threads at once (a capsule holds no lock of its own). "refresh" also disconnects and
    // reconnects the capsule in this instance's own repository; "connect_suspend" in the desktop application, from
    // an instance made off the repository threads, also applies it to the application repository it holds. The
    // first failure of Apply is the result.
    HRESULT DoThreadCapsule(const OLECHAR* command, IGPThreadCapsule* capsule) override;

    HRESULT get_RepositoryIndex(int32_t* index) override;
    HRESULT put_RepositoryIndex(int32_t index) override;
    HRESULT get_CachingEnabled(VARIANT_BOOL* enabled) override;
    HRESULT get_RunGPOnlyInMainThread(VARIANT_BOOL* mainOnly) override;
    HRESULT get_ShowCodedValueKeys(VARIANT_BOOL* show) override;
    HRESULT get_InScriptingSession(VARIANT_BOOL* scripting) override;

    // IGPUtilities: the data operations (GPUtilitiesData.cpp). They keep no state in the object, so every
    // instance on every thread answers alike; data is opened afresh on each call.
    HRESULT MakeGPValueFromText(const OLECHAR* dataTypeName, const OLECHAR* text, IGPValue** value) override;
    HRESULT ResolveValue(IUnknown* source, IGPVariableManager* manager, IGPValue** value) override;
    HRESULT IsDataType(IGPDataType* dataType, VARIANT_BOOL* isData) override;
    HRESULT IsDataTypeName(const OLECHAR* dataTypeName, VARIANT_BOOL* isData) override;
    HRESULT OpenDataElementFromText(const OLECHAR* text, IDataElement** element) override;
    HRESULT OpenDataElement(IUnknown* data, IDataElement** element) override;
    HRESULT CanOpenData(IUnknown* data, VARIANT_BOOL* canOpen) override;
    HRESULT IsValidDataElement(IDataElement* element, VARIANT_BOOL* valid) override;
    HRESULT GetExtent(IUnknown* data, IEnvelope** extent) override;
    HRESULT GetFields(IUnknown* data, IFields** fields) override;
    HRESULT GetFieldsWithRaster(IUnknown* data, IFields** fields) override;
    HRESULT GetSpatialReference(IUnknown* data, ISpatialReference** spatialReference) override;
    HRESULT HasExtension(const OLECHAR* path, const OLECHAR* extension, VARIANT_BOOL* has) override;
    HRESULT GetDefaultWorkspace(IWorkspace** workspace) override;
    HRESULT PrepareDataElement(IDataElement* element, IUnknown* options) override;
    HRESULT OpenVirtualWorkspace(const OLECHAR* name, IWorkspace** workspace) override;
    HRESULT get_ScratchFolder(BSTR* folder) override;
    HRESULT get_DisplayExtent(IEnvelope** extent) override;
    HRESULT put_DisplayExtent(IEnvelope* extent) override;
    HRESULT get_OutputCoordinateSystem(ISpatialReference** spatialReference) override;
    HRESULT put_OutputCoordinateSystem(ISpatialReference* spatialReference) override;

    // IGPProjectUtilities, IGPProjectUtilities2 (GPUtilitiesProject.cpp): the process's current project, shared
    // by every instance. A document that cannot be read answers ProjectDocumentError's code with its message as the
    // thread's error information (source "GPUtilities"); so does a map, layout or report file of the kind named.
    // A text names an item of the current project (as written, else without regard to case), else a standalone
    // file of the item's kind, else "PATH\\Name" or "PATH/Name" with PATH a document file holding the item Name.
    HRESULT get_ProjectPath(BSTR* path) override;
    HRESULT put_ProjectPath(const OLECHAR* path) override;
    HRESULT get_CurrentMap(BSTR* name) override;
    HRESULT put_CurrentMap(const OLECHAR* name) override;
    HRESULT FindMap(const OLECHAR* text, IGPMap** map) override;
    HRESULT FindLayout(const OLECHAR* text, IGPLayout** layout) override;
    HRESULT FindReport(const OLECHAR* text, IGPReport** report) override;
    HRESULT GetLayerNames(IEnumBSTR** names) override;
    // The layer's kind as written, else a group's ("GPGroupLayer") when it has `layers`, else told from its data,
    // which is opened for that: a feature class makes a GPFeatureLayer, a table a GPTableView, a raster a
    // GPRasterLayer. Otherwise a known kind's data is not opened here: the layer opens it when asked.
    HRESULT MakeLayer(const OLECHAR* name, IGPLayer** layer) override;
    HRESULT DescribeProject(BSTR* json) override;

private:
    HRESULT FieldsOf(IUnknown* data, bool withRaster, IFields** fields);
    // The shape of the operations that answer a fact of the data a text, value or variable names: `*out` cleared,
    // E_POINTER for null data, the data opened (its failure returned), then `answer(element)`.
    template <class Out, class Answer> HRESULT AnswerFromData(IUnknown* data, Out** out, Answer answer);

    // Runs `call` with the owner on the main repository thread and answers its result.
    template <class Call> HRESULT ForwardToOwner(Call call);

    // The instance made on the main repository thread owns the registry state.
    bool IsOwner() const { return createdOnMainThread_; }
    int32_t RepositoryIndex() const { return explicitIndex_ >= 0 ? explicitIndex_ : defaultIndex_; }

    bool inDesktopApp_;
    bool inScriptingSession_;
    bool createdOnCIMThread_;
    bool createdOnMainThread_;
    GPUtilitiesSettings settings_;
    VARIANT_BOOL skipMapObjNonExistData_;
    std::set<String> nonExistDataPathnames_; // only the owner fills it
    int32_t defaultIndex_;
    int32_t explicitIndex_ = -1;
    int32_t highestIndexSeen_ = 0;
    ComPtr<ICIMRepository> applicationRepository_; // made on first need, desktop application only
    ComPtr<IGPUtilitiesImpl> owner_;               // a non-owner's owner, taken on its first forward
    ConnectionPointList points_;
    ComPtr<IEnvelope> displayExtent_; // a private copy; null without a display
};

// Where a text names a project item: the document that holds it and its position in the document's list.
struct ProjectItemFound {
    std::shared_ptr<const ProjectDocument> document;
    size_t index = 0;
};

// The item of the form `text` names, as the utility object finds it (see GPUtilities); none for a text that names
// no such item. Throws ProjectDocumentError for a document that cannot be read.
std::optional<ProjectItemFound> FindProjectItem(ProjectDocument::Form form, std::u16string_view text);

// Lets the process's current project go; the next need reads TAVI_PROJECT again.
void ForgetCurrentProject();

} // namespace tavi
