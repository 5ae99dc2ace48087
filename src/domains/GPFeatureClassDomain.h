// GPFeatureClassDomain: which feature classes may be chosen, by shape type, feature type, and whether they have a
// spatial index, Z values and M values.
#pragma once

#include "domains/DataDomainSupport.h"
#include "host/GPDomain.h"
#include "tavi/DataAccess.h"
#include "tavi/GPDataDomains.h"

namespace tavi {

class GPFeatureClassDomain final
    : public GPDomain<GPFeatureClassDomain, DomainInterfaces, IGPFeatureClassDomain2,
                      Alias<IGPFeatureClassDomain, IGPFeatureClassDomain2>, IDocumentVersionSupport, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPFeatureClassDomain;
    static constexpr const char16_t* kClassName = u"GPFeatureClassDomain";
    static constexpr uint16_t kStreamVersion = 1;

    GPFeatureClassDomain() : GPDomain(kClassId) {}

    // IGPDomain: the value must be a feature class, or a layer (or a value holding one) over a feature class (else
    // 811); then the first failing filter decides: shape type (3917, a shape type of 0 passes), feature type (3918),
    // spatial index (3914), M values (3915), Z values (3916).
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPFeatureClassDomain
    HRESULT get_ShapeTypeCount(int32_t* count) override;
    HRESULT get_ShapeType(int32_t index, int32_t* shapeType) override;
    HRESULT AddShapeType(int32_t shapeType) override;
    HRESULT RemoveShapeType(int32_t shapeType) override;
    // E_INVALIDARG for a value that is no data element.
    HRESULT GetFeatureClasses(IGPValue* value, IArray** featureClasses) override;
    HRESULT put_FilterIndex(VARIANT_BOOL filterIndex, VARIANT_BOOL filterIndexType) override;
    HRESULT get_FilterIndex(VARIANT_BOOL* filterIndex) override;
    HRESULT get_FilterIndexType(VARIANT_BOOL* filterIndexType) override;
    HRESULT put_FilterHasMs(VARIANT_BOOL filterHasMs, VARIANT_BOOL includeHasMs) override;
    HRESULT get_FilterHasMs(VARIANT_BOOL* filterHasMs) override;
    HRESULT get_IncludeHasMs(VARIANT_BOOL* includeHasMs) override;
    HRESULT put_FilterHasZs(VARIANT_BOOL filterHasZs, VARIANT_BOOL includeHasZs) override;
    HRESULT get_FilterHasZs(VARIANT_BOOL* filterHasZs) override;
    HRESULT get_IncludeHasZs(VARIANT_BOOL* includeHasZs) override;

    // IGPFeatureClassDomain2
    HRESULT get_FeatureTypeCount(int32_t* count) override;
    HRESULT get_FeatureType(int32_t index, int32_t* featureType) override;
    HRESULT AddFeatureType(int32_t featureType) override;
    HRESULT RemoveFeatureType(int32_t featureType) override;
    HRESULT get_TypeCount(int32_t* count) override;
    HRESULT get_Type(int32_t index, int32_t* type) override;
    HRESULT AddType(int32_t type) override;
    HRESULT RemoveType(int32_t type) override;

    // IDocumentVersionSupport: written at every document version but 0, where nothing replaces it.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    // IGxFilterInfo: the feature class filter of each listed shape type, or the filter of all feature classes when
    // none is listed (docs/browse-filters.md).
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: int16 version 1; the shape type, feature type and third lists (int32 count, then the codes);
    // int16 filterIndex, filterIndexType, filterHasMs, includeHasMs, filterHasZs, includeHasZs.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPFeatureClassDomain"; "TypeArray" (shape type texts), "FeatureTypeArray" (feature type
    // texts), a second "TypeArray" for the third list (each code as its decimal text, 0 as the empty text), each only
    // when its list is not empty; "FilterIndex" and "FilterIndexType" when filterIndex is set, "FilterHasMs" and
    // "IncludeHasMs" when filterHasMs is set, "FilterHasZs" and "IncludeHasZs" when filterHasZs is set. What a
    // document leaves out reads as empty or false.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // The verdict code of filters 3 to 7 for a feature class: 0 when it passes.
    int32_t FeatureClassVerdict(IFeatureClass* featureClass) const;
    HRESULT VerdictMessage(int32_t code, IGPMessage** message) const;

    // Everything the domain holds: what Assign copies, IsEqual compares and the stored forms carry.
    struct Settings {
        CodeList shapeTypes;
        CodeList featureTypes;
        CodeList thirdTypes;
        bool filterIndex = false, filterIndexType = false;
        bool filterHasMs = false, includeHasMs = false;
        bool filterHasZs = false, includeHasZs = false;
        bool operator==(const Settings&) const = default;
    };
    Settings settings_;
};

// The feature class a value stands for: a feature class itself, or the data element of a layer (or of the layer a
// value holds) when it is one. Null when there is none.
ComPtr<IFeatureClass> FeatureClassOfValue(IUnknown* value);

} // namespace tavi
