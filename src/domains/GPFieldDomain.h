// GPFieldDomain: which fields of a table may be chosen, by field type, with names that are always allowed (key
// fields) and names that never are (exclude fields).
#pragma once

#include "domains/DataDomainSupport.h"
#include "host/GPDomain.h"
#include "tavi/DataAccess.h"
#include "tavi/GPDataDomains.h"

namespace tavi {

class GPFieldDomain final
    : public GPDomain<GPFieldDomain, DomainInterfaces, IGPFieldDomain, IGPFieldDomain2, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldDomain;
    static constexpr const char16_t* kClassName = u"GPFieldDomain";
    static constexpr uint16_t kStreamVersion = 4;

    GPFieldDomain() : GPDomain(kClassId) {}

    // IGPDomain: the value must be a field (else 309); then, first rule that applies: a key field name (any letter
    // case) is a member; an excluded name is not (3913, the exclude list as argument); no types, or the field's type
    // listed, is a member; otherwise not (3911, the listed types' texts as argument).
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPFieldDomain
    HRESULT get_FieldTypeCount(int32_t* count) override;
    HRESULT get_FieldType(int32_t index, int32_t* fieldType) override;
    HRESULT AddType(int32_t fieldType) override;
    HRESULT RemoveType(int32_t fieldType) override;
    HRESULT GetFields(IGPValue* value, IArray** fields) override;
    HRESULT put_FilterIndex(VARIANT_BOOL filterIndex, int16_t filterIndexType) override;
    // These two answer E_POINTER for a null out pointer, as every getter here does.
    HRESULT get_FilterIndex(VARIANT_BOOL* filterIndex) override;
    HRESULT get_FilterIndexType(int16_t* filterIndexType) override;
    HRESULT get_KeyFieldCount(int32_t* count) override;
    HRESULT get_KeyField(int32_t index, BSTR* name) override;
    HRESULT AddKeyField(const OLECHAR* name) override;
    HRESULT RemoveKeyField(int32_t index) override;
    HRESULT get_ExcludeFieldCount(int32_t* count) override;
    HRESULT get_ExcludeField(int32_t index, BSTR* name) override;
    HRESULT AddExcludeField(const OLECHAR* name) override;
    HRESULT RemoveExcludeField(int32_t index) override;

    // IGPFieldDomain2
    HRESULT get_UseRasterFields(VARIANT_BOOL* use) override;
    HRESULT put_UseRasterFields(VARIANT_BOOL use) override;

    // IDocumentVersionSupport: written at every document version that is not negative.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: int16 version (3, or 4 from the newest document versions on), int32 count and the field type
    // codes, int16 filterIndex, int16 filterIndexType, the key field names and the exclude field names (int32 count,
    // then each name), and from version 4 int16 useRasterFields. Versions 1 and 2 lack the exclude names, version 1
    // the key names too. A read replaces what the stream holds and keeps the rest (an older form leaves
    // useRasterFields as it was).
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override;
    // XML form: type "GPFieldDomain"; "TypeArray" (the types' texts), "KeyFieldArray", "ExcludeFieldArray" as
    // string arrays, each only when its list is not empty; then the booleans "FilterIndex", "FilterIndexType",
    // "UseRasterFields". A list element that is absent reads as an empty list.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // The verdict code for a field of this name and type: 0 for a member, else 3913 or 3911.
    int32_t FieldVerdict(std::u16string_view name, int32_t type) const;
    HRESULT VerdictMessage(int32_t code, IGPMessage** message) const;
    HRESULT AddKeyFieldsTo(IArray* fields) const;
    HRESULT AddAllowedFieldsTo(IFields* source, IArray* fields) const;

    // Everything the domain holds: what Assign copies, IsEqual compares and the stored forms carry.
    struct Settings {
        CodeList types;
        NameList keyFields;
        NameList excludeFields;
        bool filterIndex = false;
        int16_t filterIndexType = 0;
        bool useRasterFields = false;
        bool operator==(const Settings&) const = default;
    };
    Settings settings_;
};

} // namespace tavi
