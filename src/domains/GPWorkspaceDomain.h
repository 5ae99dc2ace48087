// GPWorkspaceDomain: restricts a workspace parameter to a list of workspace types, and names the browse dialog's
// filters for them.
#pragma once

#include "domains/DataDomainSupport.h"
#include "host/GPDomain.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"

namespace tavi {

// The types (taviWorkspaceType numbers) are kept in the order they were added. An empty list accepts every
// workspace. Reading a stored form appends what it reads without the duplicate test of AddType.
class GPWorkspaceDomain final
    : public GPDomain<GPWorkspaceDomain, DomainInterfaces, IGPWorkspaceDomain, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPWorkspaceDomain;
    static constexpr const char16_t* kClassName = u"GPWorkspaceDomain";
    // The only stream version; Load refuses newer ones.
    static constexpr uint16_t kStreamVersion = 1;
    // Message codes: a workspace of a type not in the list; a value that is no workspace.
    static constexpr int32_t kWrongTypeCode = 837;
    static constexpr int32_t kNotWorkspaceCode = 838;

    GPWorkspaceDomain() : GPDomain(kClassId) {}

    // IGPDomain. A member is a workspace data element (IDEWorkspace) whose type passes the type test: empty
    // message, S_OK. Not a workspace (also no value): error 838; a type not in the list: error 837; S_FALSE. A
    // variable or parameter that cannot be unpacked returns its failure with no message.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPWorkspaceDomain. AddType and RemoveType mark the domain dirty whether or not the list changed.
    HRESULT get_TypeCount(int32_t* count) override;
    HRESULT get_Type(int32_t index, int32_t* type) override;
    HRESULT AddType(int32_t type) override;
    HRESULT RemoveType(int32_t type) override;
    // The children of the data element the value holds that are workspaces passing the type test, as a new array;
    // null when it has no children or none passes. E_POINTER for a null argument, E_INVALIDARG for a value that is
    // no data element; otherwise the result of listing the children.
    HRESULT GetMatchingChildren(IGPValue* value, IArray** children) override;

    // IGxFilterInfo: the filters of each type of the list in order, in one new array (empty for an empty list;
    // filters may repeat).
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

    // IClone. Assign adds each type of another workspace domain with AddType to the types held (the list is not
    // emptied first); E_INVALIDARG for another kind. IsEqual: the same number of types, each of the other's in
    // this list.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int32 count, the types (int32 each).
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPWorkspaceDomain"; with types, their texts (the host's workspace type texts; a type without
    // one as its number) as a string array in the element "TypeArray". A text that names no type fails the read.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;
    // A read is staged on a copy of the state and taken whole: Assign adds to what is held, so it cannot commit one.
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override;

    // The type test: the workspace's type is in the list, or the list is empty. A type that cannot be read fails.
    bool PassesTypeTest(IDEWorkspace* workspace) const;

    CodeList types_;
};

} // namespace tavi
