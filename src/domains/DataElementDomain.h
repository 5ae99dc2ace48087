// DataElementDomain: restricts a parameter whose value is a data element to a list of data element type names
// ("DEFeatureClass", "DEWorkspace", ...).
#pragma once

#include "domains/DataDomainSupport.h"
#include "host/GPDomain.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"

namespace tavi {

// The names are kept in the order they were added, compared without regard to case. An empty list accepts every
// data element. Reading a stored form appends what it reads without the duplicate test of AddType.
class DataElementDomain final : public GPDomain<DataElementDomain, DomainInterfaces, IDataElementDomain> {
public:
    static constexpr CLSID kClassId = CLSID_DataElementDomain;
    static constexpr const char16_t* kClassName = u"DataElementDomain";
    // The only stream version; Load refuses newer ones.
    static constexpr uint16_t kStreamVersion = 1;
    // Message codes: a data element whose type name is not in the list; a value that is no data element.
    static constexpr int32_t kWrongTypeCode = 793;
    static constexpr int32_t kNotDataElementCode = 794;

    DataElementDomain() : GPDomain(kClassId) {}

    // IGPDomain. A member is a data element whose type name passes the name test: empty message, S_OK. No data
    // element (also no value): error 794; a type name not in the list: error 793; S_FALSE. A variable or parameter
    // that cannot be unpacked returns its failure with no message.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IDataElementDomain. E_POINTER for a null name; AddType and RemoveType mark the domain dirty whether or not the
    // list changed.
    HRESULT get_TypeCount(int32_t* count) override;
    HRESULT get_Type(int32_t index, BSTR* name) override;
    HRESULT AddType(const OLECHAR* name) override;
    HRESULT RemoveType(const OLECHAR* name) override;
    // The data element the value holds is readied by the utility object (listing its children at every depth), then
    // its children that are data elements passing the name test are handed out as a new array; null when it has no
    // children or none passes. E_POINTER for a null argument, E_INVALIDARG for a value that is no data element; the
    // utility object's failure; otherwise the result of listing the children.
    HRESULT GetMatchingChildren(IGPValue* value, IArray** children) override;

    // IClone. Assign adds each name of another data element domain with AddType to the names held (the list is not
    // emptied first); E_INVALIDARG for another kind. IsEqual: the same number of names, each of the other's in this
    // list in any letter case.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int32 count, the names (String form each).
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "DataElementDomain"; with names, the names as a string array in the element "TypeArray".
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    // A read is staged on a copy of the state and taken whole: Assign adds to what is held, so it cannot commit one.
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override;

    // The name test: the list is empty, or an entry equals the element's type name in any letter case. A type name
    // that cannot be read fails.
    bool PassesNameTest(IDataElement* element) const;
    // The names of another data element domain; nothing when they cannot be read.
    static std::optional<std::vector<String>> ReadNames(IDataElementDomain* domain);

    NameList names_;
};

} // namespace tavi
