// The field mapping value: the field maps of an output table, in order, and the input tables they draw on.
//
// Text form: the field maps' texts (see GPFieldMap.h) joined by ";", e.g.
//   NAME "Name" true true false 32 Text 0 0,First,#,/data/a.shp,NAME,-1,-1;COUNT "COUNT" true true false 0 Long 0
//   0,Sum,#,...
// An empty text, "#" and "()" are the empty mapping; one enclosing pair of parentheses is ignored. Reading opens each
// input table once and makes the tables met, in order, the mapping's input tables. A text that cannot be read, or
// one whose field map fails the field map check, gives an error message with code 801 and the failure, and the
// mapping keeps what it held.
//
// Every input entry's table index is the position of its table among the input tables (0 for the first), however
// the entry came in: by AddTable, by text, by a field map added or replaced, or by a stream.
//
// Stream form: the 16-bit save version (current documents 2, older documents of the newer line 1, of the older line
// 2, 10 or 11; read up to 11), the base part, the field map count (32-bit) and each field map as a nested object,
// the input table count and each input table as a nested object (a table description with its fields), from version
// 2 the target table as a nested object (none allowed), from version 3 the 16-bit flag that marks a mapping read with
// field maps. XML form: the base part and, for a mapping with field maps, its text as the string "Value".
#pragma once

#include "host/GPValue.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "values/GPFieldMap.h"

#include <unordered_map>
#include <vector>

namespace tavi {

class GPFieldMapping final
    : public GPValue<GPFieldMapping, ValueInterfacesDescribed, IGPFieldMapping, IGPFieldMappingImpl,
                     IDocumentVersionSupport, IGPValueExpression, IGPToolTip> {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldMapping;
    static constexpr const char16_t* kClassName = u"GPFieldMapping";
    static constexpr uint16_t kStreamVersion = 11;
    // The message code of a text that cannot be read as a field mapping.
    static constexpr int32_t kUnreadableText = 801;

    GPFieldMapping() : GPValue(kClassId, CLSID_GPFieldMappingType) {}

    // IGPValue
    HRESULT IsEmpty(VARIANT_BOOL* empty) override; // true exactly when there is no field map
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPFieldMapping
    HRESULT AddTable(IDEGdbTable7* table) override;
    HRESULT GetOutputFields(IFields** fields) override;
    HRESULT RemoveAll() override;
    HRESULT get_FieldMapCount(int32_t* count) override;
    HRESULT GetFieldMap(int32_t index, IGPFieldMap** fieldMap) override;
    HRESULT ReplaceFieldMap(int32_t index, IGPFieldMap* fieldMap) override;
    HRESULT AddFieldMap(IGPFieldMap* fieldMap) override;
    HRESULT RemoveTable(int32_t tableIndex) override;
    HRESULT RemoveFieldMap(int32_t index) override;
    HRESULT ResetFieldMaps() override;

    // IGPFieldMappingImpl
    HRESULT get_InputTableCount(int32_t* count) override;
    HRESULT get_InputTable(int32_t index, IDEGdbTable7** table) override;
    HRESULT get_TargetTable(IDEGdbTable7** table) override;
    HRESULT putref_TargetTable(IDEGdbTable7* table) override;

    // IDocumentVersionSupport: documents of every version know field mappings.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IGPValueExpression: a mapping names no model variables; its text is the text form.
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override { return ResolvedWithoutVariables(resolved); }
    HRESULT put_Resolved(VARIANT_BOOL) override { return S_OK; }
    HRESULT ResolveValue(IGPVariableManager*, IGPValue** resolved) override { return ResolveAsClone(this, resolved); }
    HRESULT GetVariableNames(IUnknown** names) override { return ClearOut(names); }
    HRESULT get_Variables(IArray** variables) override { return ClearOut(variables); }
    HRESULT putref_Variables(IArray*) override { return S_OK; }
    HRESULT GetAsText(IGPVariableManager*, BSTR* text) override { return GetAsText(text); }

    // IGPToolTip: the field maps' texts, one per line.
    HRESULT get_ToolTip(BSTR* toolTip) override;

    const std::vector<ComPtr<IDEGdbTable7>>& InputTables() const { return tables_; }

private:
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < maps_.size(); }
    // The mapping's text, or the text of its field maps joined by `separator`.
    String JoinedText(std::u16string_view separator) const;
    // Reads a mapping text (not empty) into this object's field maps (their tables are registered by Reindex); the
    // field map check's failure, or E_FAIL.
    HRESULT ReadText(std::u16string_view text);
    // A copy of `fieldMap` after the field map check.
    static HRESULT CheckedCopy(IGPFieldMap* fieldMap, ComPtr<GPFieldMap>& copy);
    // Merges the fields of `table` into the field maps as AddTable does; the table must already stand at `tableIndex`.
    HRESULT MergeTable(IDEGdbTable7* table, int32_t tableIndex);
    // The position of `table` (at `catalogPath`) among the input tables, appending it when no input table has its
    // catalog path.
    int32_t RegisterTable(IDEGdbTable7* table, std::u16string_view catalogPath);
    // Sets every entry's table index from its table (registering the tables met), then indexes the output names.
    void Reindex();
    // Takes the field maps and input tables of `staged` in place of this mapping's, then Reindex.
    void TakeMapsAndTables(GPFieldMapping& staged);
    void ClearContent();

    std::vector<ComPtr<GPFieldMap>> maps_;
    std::vector<ComPtr<IDEGdbTable7>> tables_;
    std::vector<String> tablePaths_; // the input tables' comparable catalog paths, in step with tables_
    ComPtr<IDEGdbTable7> target_;
    int16_t readFlag_ = 0;                               // -1 once the mapping was read with field maps
    std::unordered_map<String, size_t> mapByOutputName_; // folded output field names
};

} // namespace tavi
