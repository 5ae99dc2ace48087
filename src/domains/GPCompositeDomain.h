// GPCompositeDomain: an ordered list of domains that accepts a value when any one of them does. A composite data
// type hands entry i to its member type i, so entries keep their positions, and an entry may be empty (an empty
// entry accepts everything).
#pragma once

#include "host/GPDomain.h"
#include "tavi/GPDomains.h"

#include <vector>

namespace tavi {

class GPCompositeDomain final
    : public GPDomain<GPCompositeDomain, DomainInterfaces, IGPCompositeDomain, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPCompositeDomain;
    static constexpr const char16_t* kClassName = u"GPCompositeDomain";
    // The only stream version; Load refuses newer ones.
    static constexpr uint16_t kStreamVersion = 1;

    GPCompositeDomain() : GPDomain(kClassId) {}

    // IGPDomain. The first entry in list order whose message passes IsGood decides: its message alone is handed
    // out. When none accepts (or the list is empty) the answer is a composite message holding every entry's
    // message in list order. S_OK either way; a failing entry's code ends the call with no message.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPCompositeDomain. Indexes outside 0..count-1 give E_INVALIDARG and leave the out pointer untouched. A null
    // domain is an empty entry. The domain itself cannot be one of its entries (E_INVALIDARG).
    HRESULT get_DomainCount(int32_t* count) override;
    HRESULT get_Domain(int32_t index, IGPDomain** domain) override;
    HRESULT AddDomain(IGPDomain* domain) override;
    HRESULT RemoveDomain(int32_t index) override;
    HRESULT ReplaceDomain(int32_t index, IGPDomain* domain) override;

    // IGxFilterInfo: the entries' filters in order; an entry that has none contributes one GPString
    // "filter_datatype". No filters at all: none, S_OK.
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

    // IClone. Assign copies the source's entries as clones (an entry that cannot be cloned becomes empty).
    // IsEqual compares the other's entries with this one's at the same positions, so a longer list equals its own
    // prefix when this domain is the longer one.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int32 count, then each entry as a nested object (an empty entry as no object).
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPCompositeDomain"; with entries, the object array "GPDomainArray" of "GPDomain" elements (an
    // empty entry as a nil element, read back as an empty entry). Elements that are not domains are skipped when
    // read.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    using DomainList = std::vector<ComPtr<IGPDomain>>;

    bool IsIndex(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < domains_.size(); }
    bool IsSelf(IGPDomain* domain);
    // Replaces the whole list and marks the domain dirty.
    void SetList(DomainList domains);
    // The entry's answer for `value`: its own MemberOf, or an empty message for an empty entry.
    static HRESULT EntryAnswer(IGPDomain* entry, IGPValue* value, ComPtr<IGPMessage>* answer);
    static HRESULT AppendFilters(IGPDomain* entry, IArray* collected);

    DomainList domains_;
};

} // namespace tavi
