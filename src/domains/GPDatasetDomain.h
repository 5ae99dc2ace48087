// GPDatasetDomain: restricts a dataset parameter (a dataset, or a layer standing for one) to a list of dataset
// types, and optionally to datasets that are or are not versioned and that can or cannot be versioned.
#pragma once

#include "domains/DataDomainSupport.h"
#include "host/GPDomain.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"
#include "tavi/GPLayer.h"

namespace tavi {

// The types (taviDatasetType numbers) are kept in the order they were added; an empty list accepts every type, and
// so does a dataset whose type reads 0. Reading a stored form appends what it reads without the duplicate test of
// AddType.
class GPDatasetDomain final : public GPDomain<GPDatasetDomain, DomainInterfaces, IGPDatasetDomain, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPDatasetDomain;
    static constexpr const char16_t* kClassName = u"GPDatasetDomain";
    // The only stream version; Load refuses newer ones.
    static constexpr uint16_t kStreamVersion = 1;
    // Message codes: a dataset that fails the type test; no dataset found for the value.
    static constexpr int32_t kWrongTypeCode = 808;
    static constexpr int32_t kNoDatasetCode = 809;

    GPDatasetDomain() : GPDomain(kClassId) {}

    // IGPDomain. The dataset checked is the value itself (IDEDataset4), or the data element of the layer a layer
    // holder holds (a holder without a layer has its data element readied by the utility object and is asked again)
    // or of a layer value. A feature layer whose data element is no dataset is a member. Member: empty message,
    // S_OK. No dataset (also no value): error 809; failing the type test: error 808; S_FALSE. A variable or parameter
    // that cannot be unpacked returns its failure with no message.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPDatasetDomain. AddType and RemoveType mark the domain dirty whether or not the list changed; so do the
    // filter setters. Every getter answers E_POINTER for a null out pointer.
    HRESULT get_TypeCount(int32_t* count) override;
    HRESULT get_Type(int32_t index, int32_t* type) override;
    HRESULT AddType(int32_t type) override;
    HRESULT RemoveType(int32_t type) override;
    // The children of the data element the value holds that are datasets passing the type test, as a new array;
    // null when it has no children or none passes. E_POINTER for a null argument, E_INVALIDARG for a value that is
    // no data element; otherwise the result of listing the children.
    HRESULT GetMatchingChildren(IGPValue* value, IArray** children) override;
    HRESULT put_FilterVersioned(VARIANT_BOOL check, VARIANT_BOOL required) override;
    HRESULT get_FilterVersioned(VARIANT_BOOL* check) override;
    HRESULT get_FilterVersionedType(VARIANT_BOOL* required) override;
    HRESULT put_FilterCanVersion(VARIANT_BOOL check, VARIANT_BOOL required) override;
    HRESULT get_FilterCanVersion(VARIANT_BOOL* check) override;
    HRESULT get_FilterCanVersionType(VARIANT_BOOL* required) override;

    // IGxFilterInfo: one filter per type of the list, in order, in a new array (empty for an empty list).
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

    // IClone. Assign adds each type of another dataset domain with AddType to the types held (the list is not
    // emptied first) and copies its four filter flags; E_INVALIDARG for another kind. IsEqual: the same number of
    // types, each of the other's in this list, and the same four flags.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int32 count, the types (int32 each), then the int16 flags FilterVersioned,
    // FilterVersionedType, FilterCanVersion, FilterCanVersionType.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPDatasetDomain"; with types, their texts (the host's dataset type texts; a type without one as
    // its number) as a string array in the element "TypeArray"; then the booleans "FilterVersioned" and
    // "FilterVersionedType" only when FilterVersioned is set, and "FilterCanVersion" and "FilterCanVersionType" only
    // when FilterCanVersion is set. Reading takes an absent flag as false; a flag or type text that cannot be read
    // fails the read.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    // A read is staged on a copy of the state and taken whole: Assign adds to what is held, so it cannot commit one.
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override;

    struct State {
        CodeList types;
        VARIANT_BOOL filterVersioned = VARIANT_FALSE;
        VARIANT_BOOL filterVersionedType = VARIANT_FALSE;
        VARIANT_BOOL filterCanVersion = VARIANT_FALSE;
        VARIANT_BOOL filterCanVersionType = VARIANT_FALSE;
    };

    // The type test: a type that reads 0 or an empty list passes the list; then the can-version and versioned
    // filters that are set must hold. A flag or type that cannot be read fails.
    bool PassesTypeTest(IDEDataset4* dataset) const;
    // The dataset `value` stands for (see MemberOf); `featureLayer` is set for a feature layer without one.
    static HRESULT FindDataset(IGPValue* value, ComPtr<IDEDataset4>* dataset, bool* featureLayer);

    State state_;
};

} // namespace tavi
