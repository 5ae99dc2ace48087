// A field map: one output field, the input fields that feed it (each with its table, the text positions taken and
// the position of its table among the mapping's input tables), the merge rule and the join delimiter.
//
// Text form, one field map of the field mapping grammar:
//   NAME "Alias" true true false 50 Text 0 0,Join,"; ",C:\data\a.shp,NAME,-1,-1,"C:\x,y\b.shp",NAME,0,5
// the field part (name, alias in double quotes with "[double_quote]" for each double quote, editable, nullable and
// required, length, type keyword, precision and scale), the merge rule keyword, the join delimiter in double quotes
// or "#", then per input its table's catalog path (in double quotes when it holds a comma), field name and start
// and end positions. Reading opens each table from its catalog path (through a TableSource, which a mapping shares
// among its field maps so that a table is opened once); a table that cannot be opened is kept as a description that
// names it, and a field the table does not have as a field of that name with the output field's type, so that the
// text is never lost.
//
// Stream form: the 16-bit save version (1 for older documents, 2 for current ones; read up to 11); the merge rule,
// 32-bit; the join delimiter (String); the output field as a nested object; the input count, 32-bit; per input its
// field and table (a description without fields: the data behind a table is never stored) as nested objects, start
// and end, 32-bit each, and from version 11 on the table index. XML form: the text form as the string "Value".
#pragma once

#include "data/Field.h"
#include "data/TableDescription.h"
#include "host/PersistFrame.h"
#include "tavi/GPFieldMapping.h"

#include <unordered_map>
#include <vector>

namespace tavi {

// Opens input tables by catalog path for the readers of field map texts, each path once.
class TableSource {
public:
    struct Opened {
        ComPtr<IDEGdbTable7> table;
        std::unordered_map<String, ComPtr<IField>> fieldsByName; // folded names
    };
    // The table at `path` (a description naming it when it cannot be opened).
    const Opened& Open(const String& path);

private:
    std::unordered_map<String, Opened> opened_;
};

class GPFieldMap final
    : public Object<GPFieldMap, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IGPFieldMap,
                    IGPFieldMapImpl, IDocumentVersionSupport>,
      public PersistFrame {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldMap;
    static constexpr const char16_t* kClassName = u"GPFieldMap";

    // An input entry. Its field's name and its table's catalog path are kept as they were when the entry was made,
    // so that writing a long mapping asks no object for them.
    struct Input {
        ComPtr<IField> field;
        ComPtr<IDEGdbTable7> table;
        int32_t start = -1;
        int32_t end = -1;
        int32_t tableIndex = 0;
        String fieldName;
        String tablePath;
        static Input Of(ComPtr<IField> field, ComPtr<IDEGdbTable7> table, int32_t start, int32_t end,
                        int32_t tableIndex = 0);
    };

    // IGPFieldMap
    HRESULT RemoveAll() override;
    HRESULT get_InputFieldCount(int32_t* count) override;
    HRESULT GetQualifiedFields(IFields** fields) override;
    HRESULT get_OutputField(IField** field) override;
    HRESULT putref_OutputField(IField* field) override;
    HRESULT get_MergeRule(int32_t* rule) override;
    HRESULT put_MergeRule(int32_t rule) override;
    HRESULT get_JoinDelimiter(BSTR* delimiter) override;
    HRESULT put_JoinDelimiter(const OLECHAR* delimiter) override;
    HRESULT AddInputField(IDEGdbTable7* table, IField* field, int32_t start, int32_t end) override;
    HRESULT FindInputField(IDEGdbTable7* table, const OLECHAR* fieldName, int32_t* index) override;
    HRESULT RemoveInputField(int32_t index) override;
    HRESULT get_InputField(int32_t index, IField** field) override;
    HRESULT get_InputTable(int32_t index, IDEGdbTable7** table) override;
    HRESULT GetTextPositions(int32_t index, int32_t* start, int32_t* end) override;
    HRESULT SetTextPositions(int32_t index, int32_t start, int32_t end) override;
    HRESULT get_InputTableIndex(int32_t index, int32_t* tableIndex) override;
    HRESULT put_InputTableIndex(int32_t index, int32_t tableIndex) override;

    // IGPFieldMapImpl
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text) override;
    HRESULT Check() override;

    // IClone: a copy has its own output field; input fields and tables are shared, as nothing changes them.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // IPersistStream
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override { return FrameLoad(stream); }
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return FrameSave(stream, clearDirty); }
    HRESULT GetSizeMax(uint64_t* size) override;

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return FrameSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return FrameDeserialize(data); }

    // IDocumentVersionSupport: documents of every version know field maps.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // For the mapping.
    const ComPtr<Field>& OutputField() const { return output_; }
    std::vector<Input>& Inputs() { return inputs_; }
    const std::vector<Input>& Inputs() const { return inputs_; }
    // Appends the field map's text to `text` (nothing for a map without output field part or inputs... see .cpp).
    void AppendText(String& text) const;
    // Reads a field map text in place of this map's content; false when it cannot be read.
    bool ReadText(std::u16string_view text, TableSource& tables);
    // The field map check (IGPFieldMapImpl::Check).
    HRESULT CheckMap() const;
    // The output field's name as the mapping indexes it (folded), empty without an output field.
    String OutputKey() const;

private:
    uint16_t NewestStreamVersion() const override { return 11; }
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    const OLECHAR* XmlTypeName() const override { return kClassName; }
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override { return StageRead(this, fromCurrent, read); }

    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < inputs_.size(); }
    bool ReadFieldPart(std::u16string_view part);

    ComPtr<Field> output_; // the map's own copy
    int32_t mergeRule_ = taviGPFieldMapMergeRuleFirst;
    String joinDelimiter_;
    std::vector<Input> inputs_;
};

// The catalog path of a table (empty when it names none).
String CatalogPathOf(IUnknown* table);

} // namespace tavi
