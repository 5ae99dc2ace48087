// The host's in-memory record set (IRecordSet, IRecordSetInit): a RecordData behind the component interfaces, with
// its stored forms and the reading and writing of tables through OGR.
//
// The content is shared and never changed: IRecordSetInit builds a new RecordData and puts it in place only when the
// whole reading succeeded, so a failed read leaves the record set as it was; clones share the content.
//
// Stream form (IPersistStream): the record content's form of RecordSetStream.h. XML form (IXMLSerialize): type
// "RecordSet" in c_xml_ns_tavi holding one string element "Json", the compact JSON form (RecordSetJson.h), whose
// numbers read back exactly.
#pragma once

#include "data/RecordData.h"
#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/RecordSet.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <memory>
#include <mutex>

namespace tavi {

// Inside the data access only: the content behind a record set object of this library.
struct IRecordDataAccess : IUnknown {
    // Assigned: name-based identifier of "taviGeoprocessing.IRecordDataAccess" (see DataAccess.h).
    static constexpr IID iid{0x6FBF7F47, 0xD799, 0x5F26, {0xBB, 0x02, 0x6A, 0xA2, 0x76, 0xCE, 0x90, 0xB6}};
    virtual std::shared_ptr<const RecordData> Content() = 0;
};

class RecordSet final : public Object<RecordSet, IRecordSet, IRecordSetInit, IClone, IPersistStream,
                                      Alias<IPersist, IPersistStream>, IXMLSerialize, IRecordDataAccess> {
public:
    static constexpr CLSID kClassId = CLSID_RecordSet;
    static constexpr const char16_t* kClassName = u"RecordSet";

    // An empty record set: no fields, no records.
    RecordSet();
    explicit RecordSet(std::shared_ptr<const RecordData> data);

    // IRecordSet. get_SpatialReference hands out a copy, so that the shared content stays as it is.
    HRESULT get_Fields(IFields** fields) override;
    HRESULT get_RecordCount(int64_t* count) override;
    HRESULT get_OIDFieldName(BSTR* name) override;
    HRESULT get_ShapeFieldName(BSTR* name) override;
    HRESULT get_ShapeType(int32_t* shapeType) override;
    HRESULT get_HasZ(VARIANT_BOOL* hasZ) override;
    HRESULT get_HasM(VARIANT_BOOL* hasM) override;
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;
    // Small integers VT_I2, integers VT_I4, big integers and object identifiers VT_I8 (as a row gives them).
    HRESULT get_Value(int64_t record, int32_t field, VARIANT* value) override;
    HRESULT CreateTable(IWorkspace* workspace, const OLECHAR* name, ITable** table) override;

    // IRecordSetInit. E_POINTER for a null text or path. The JSON files are read and written as UTF-8 bytes, never
    // as UTF-16 text; a file that cannot be written gives STG_E_WRITEFAULT and is removed.
    HRESULT SetSourceTable(IUnknown* table, const OLECHAR* whereClause) override;
    HRESULT FromJSON(const OLECHAR* json) override;
    HRESULT ToJSON(int32_t options, BSTR* json) override;
    HRESULT ToGeoJSON(BSTR* json) override;
    HRESULT ReadJSONFile(const OLECHAR* path) override;
    HRESULT WriteJSONFile(const OLECHAR* path, int32_t options) override;

    // IClone: a clone shares the content; Assign takes another record set of this library's (E_INVALIDARG for
    // anything else); record sets are equal when their content is (two empty ones are).
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // IPersistStream. Dirty once its content was replaced, clean after Load and after a Save that clears it.
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

    // IRecordDataAccess
    std::shared_ptr<const RecordData> Content() override;

private:
    // Puts new content in place and marks the record set dirty.
    void Replace(std::shared_ptr<const RecordData> data, bool dirty = true);
    // Reads new content with `read`; puts it in place only when it succeeds.
    template <class Read> HRESULT ReadNew(Read&& read);

    mutable std::mutex lock_; // guards the pointer and the flag; the content itself never changes
    std::shared_ptr<const RecordData> data_;
    bool dirty_ = false;
};

// A new record set object over `data` (shared, never changed afterwards).
HRESULT MakeRecordSet(std::shared_ptr<const RecordData> data, IRecordSet** recordSet);

// The content of a record set object made by this library; null for any other object.
std::shared_ptr<const RecordData> RecordDataOf(IUnknown* recordSet);

} // namespace tavi
