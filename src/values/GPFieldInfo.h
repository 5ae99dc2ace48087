// The field info value, its data type and the property object of its XML form.
//
// Text form. GetAsText writes the entries in order separated by ";", each as its name, its new name, "VISIBLE" or
// "HIDDEN" and "NONE" or "RATIO", separated by blanks. The name and the new name are trimmed of white space and then
// quoted by the host's quoting rule (GeoprocessingUtil::Quote: in apostrophes, or in double quotes when the text holds
// an apostrophe; an empty text is ''), so that each reads back as one token. SetAsText:
//   - one enclosing pair of double quotes, then one of parentheses, is removed from the trimmed text;
//   - the rest is split at ";" by the grouped tokenizer (quotes and parentheses group); empty entries are skipped,
//     so the empty text and "()" give an empty value;
//   - each entry is split at blanks: name, new name, visibility, split rule (missing tokens stay empty). The entry is
//     hidden exactly when the third token is "hidden" and splits by ratio exactly when the fourth is "ratio", both
//     without regard to case; any other word, or none, means visible and "NONE". Its field index is -1 (not known);
//   - an entry that cannot be split (a quote or parenthesis it leaves open, or more than four tokens) makes the
//     message an error of code kEntryNotSplit (type 100) and the call fails with E_FAIL, the message handed out.
// The entries are read into a new list and taken only when the whole text was read: a refused text changes nothing.
//
// Stream form: the version (1 for documents of the first five older-line versions, 2 after), the base part, the
// entry count (32-bit signed) and per entry its field index, name, new name, split rule and visibility (16-bit);
// version 2 adds the source alias, the type code, the source table, the length and the precision. Versions above 2
// are refused. A version 1 form reads the further settings as unknown.
//
// XML form: "FieldProperties", an object array of GPFieldInfoProperty, one per entry, written while the value holds
// entries.
#pragma once

#include "host/GPDataType.h"
#include "host/GPValue.h"
#include "tavi/GPFieldInfo.h"
#include "tavi/GPSpatialReferenceValues.h"

#include <unordered_map>
#include <vector>

namespace tavi {

// One entry of a field info: the settings of one field.
struct FieldInfoEntry {
    int32_t fieldIndex = -1;
    String name;
    String newName;
    int32_t splitRule = taviFieldSplitNone;
    VARIANT_BOOL visible = VARIANT_TRUE;
    VARIANT_BOOL hasError = VARIANT_FALSE;
    // What the entry knows of its field's source.
    String sourceAlias;
    String sourceTable;
    int32_t fieldType = -1;
    int32_t fieldLength = 0;
    int32_t fieldPrecision = 0;

    // The content: everything but the error mark.
    bool SameContent(const FieldInfoEntry& other) const;
};

class GPFieldInfo final : public GPValue<GPFieldInfo, ValueInterfacesDescribed, IGPFieldInfo, IGPFieldInfo2,
                                         IGPFieldInfo3, IGPFieldInfo4, IDocumentVersionSupport, IGPToolTip> {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldInfo;
    static constexpr const char16_t* kClassName = u"GPFieldInfo";
    static constexpr uint16_t kStreamVersion = 2;
    // The message code of an entry text that cannot be split.
    static constexpr int32_t kEntryNotSplit = 812;

    GPFieldInfo();

    // IGPValue
    HRESULT IsEmpty(VARIANT_BOOL* empty) override; // true exactly when there is no entry
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: the entries (through IGPFieldInfo, and IGPFieldInfo2 and IGPFieldInfo3 when the source answers them),
    // then the base's. IsEqual compares the entries' content; error marks do not count.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPFieldInfo
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_Name(int32_t index, BSTR* name) override;
    HRESULT put_Name(int32_t index, const OLECHAR* name) override;
    HRESULT get_NewName(int32_t index, BSTR* newName) override;
    HRESULT put_NewName(int32_t index, const OLECHAR* newName) override;
    HRESULT get_FieldIndex(int32_t index, int32_t* fieldIndex) override;
    HRESULT put_FieldIndex(int32_t index, int32_t fieldIndex) override;
    HRESULT get_Visible(int32_t index, VARIANT_BOOL* visible) override;
    HRESULT put_Visible(int32_t index, VARIANT_BOOL visible) override;
    HRESULT get_SplitRule(int32_t index, int32_t* rule) override;
    HRESULT put_SplitRule(int32_t index, int32_t rule) override;
    HRESULT get_HasError(int32_t index, VARIANT_BOOL* hasError) override;
    HRESULT put_HasError(int32_t index, VARIANT_BOOL hasError) override;
    HRESULT AddField(const OLECHAR* name, const OLECHAR* newName, int32_t fieldIndex, VARIANT_BOOL visible,
                     int32_t rule) override;
    HRESULT RemoveField(int32_t index) override;
    HRESULT RemoveAll() override;
    HRESULT FindField(const OLECHAR* name, int32_t* index) override;

    // IGPFieldInfo2
    HRESULT get_SourceAlias(int32_t index, BSTR* alias) override;
    HRESULT put_SourceAlias(int32_t index, const OLECHAR* alias) override;
    HRESULT get_SourceTable(int32_t index, BSTR* table) override;
    HRESULT put_SourceTable(int32_t index, const OLECHAR* table) override;

    // IGPFieldInfo3
    HRESULT get_FieldType(int32_t index, int32_t* type) override;
    HRESULT put_FieldType(int32_t index, int32_t type) override;
    HRESULT get_FieldLength(int32_t index, int32_t* length) override;
    HRESULT put_FieldLength(int32_t index, int32_t length) override;
    HRESULT get_FieldPrecision(int32_t index, int32_t* precision) override;
    HRESULT put_FieldPrecision(int32_t index, int32_t precision) override;

    // IGPFieldInfo4
    HRESULT SetFromTable(IUnknown* table) override;
    HRESULT SetFromCatalogPath(const OLECHAR* catalogPath) override;

    // IDocumentVersionSupport: documents of every version know the field info.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IGPToolTip: the text form.
    HRESULT get_ToolTip(BSTR* toolTip) override { return GetAsText(toolTip); }

    const std::vector<FieldInfoEntry>& Entries() const { return entries_; }

private:
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < entries_.size(); }
    // Runs `use` on the entry at `index`: E_FAIL outside the list.
    template <class Use> HRESULT WithEntry(int32_t index, Use&& use);
    // The same, for a change: the value is then marked modified.
    template <class Change> HRESULT ChangeEntry(int32_t index, Change&& change);
    // Takes `entries` as the content and rebuilds the name index.
    void TakeEntries(std::vector<FieldInfoEntry> entries);
    void RebuildIndex();
    // Marks the content changed; the empty flag follows whether there are entries.
    void Changed();

    std::vector<FieldInfoEntry> entries_;
    // The lower-cased (case-folded) name of each entry to its entry index; the first entry of a name wins.
    std::unordered_map<String, int32_t> byName_;
};

class GPFieldInfoProperty final : public Object<GPFieldInfoProperty, IGPFieldInfoProperty, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldInfoProperty;
    static constexpr const char16_t* kClassName = u"GPFieldInfoProperty";

    // IGPFieldInfoProperty
    HRESULT get_Index(int32_t* fieldIndex) override;
    HRESULT put_Index(int32_t fieldIndex) override;
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(const OLECHAR* name) override;
    HRESULT get_Alias(BSTR* newName) override;
    HRESULT put_Alias(const OLECHAR* newName) override;
    HRESULT get_SplitRule(int32_t* rule) override;
    HRESULT put_SplitRule(int32_t rule) override;
    HRESULT get_Visible(VARIANT_BOOL* visible) override;
    HRESULT put_Visible(VARIANT_BOOL visible) override;
    HRESULT get_HasError(VARIANT_BOOL* hasError) override;
    HRESULT put_HasError(VARIANT_BOOL hasError) override;
    HRESULT get_SourceAlias(BSTR* alias) override;
    HRESULT put_SourceAlias(const OLECHAR* alias) override;
    HRESULT get_SourceTable(BSTR* table) override;
    HRESULT put_SourceTable(const OLECHAR* table) override;
    HRESULT get_FieldType(int32_t* type) override;
    HRESULT put_FieldType(int32_t type) override;
    HRESULT get_FieldLength(int32_t* length) override;
    HRESULT put_FieldLength(int32_t length) override;
    HRESULT get_FieldPrecision(int32_t* precision) override;
    HRESULT put_FieldPrecision(int32_t precision) override;

    // IXMLSerialize: "Index", "Name", "Alias", "SplitRule", "Visible" and "HasError" always; "SourceAlias",
    // "SourceTable", "FieldType", "FieldLength" and "FieldPrecision" only when they say something (not their
    // unknown defaults), so that an entry without them is written in the plain form. Reading takes the elements
    // present (others keep their settings) and changes nothing when one cannot be read.
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

    const FieldInfoEntry& Entry() const { return entry_; }
    void SetEntry(const FieldInfoEntry& entry) { entry_ = entry; }

private:
    FieldInfoEntry entry_;
};

class GPFieldInfoType final : public GPDataType<GPFieldInfoType, IGPFieldInfoType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldInfoType;
    static constexpr const char16_t* kClassName = u"GPFieldInfoType";
    static constexpr int32_t kDisplayNameId = 4635;
    static constexpr CLSID kControlClassId{
        0xC7E0586B, 0xA181, 0x4084, {0x9A, 0xCF, 0xE5, 0x24, 0xD7, 0x5E, 0x5E, 0x63}};
    GPFieldInfoType()
        : GPDataType({u"GPFieldInfo", kDisplayNameId, kClassId, CLSID_GPFieldInfo, kControlClassId,
                      IGPFieldInfoType::iid, IGPFieldInfo::iid}) {}
};

} // namespace tavi
