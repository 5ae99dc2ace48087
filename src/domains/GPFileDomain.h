// GPFileDomain: restricts a file parameter to a list of file extensions, and names the browse dialog's filters for
// them.
#pragma once

#include "domains/DataDomainSupport.h"
#include "host/GPDomain.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"

namespace tavi {

// The extensions are kept in the order they were added, without their point ("csv"), no two equal in any letter
// case. "*" accepts every file, and so does a list whose only entry is exactly "rawfilemode"; an empty list accepts
// every file too.
class GPFileDomain final : public GPDomain<GPFileDomain, DomainInterfaces, IGPFileDomain, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPFileDomain;
    static constexpr const char16_t* kClassName = u"GPFileDomain";
    // The only stream version; Load refuses newer ones.
    static constexpr uint16_t kStreamVersion = 1;
    // Message codes: the file's extension is not in the list; no file was given.
    static constexpr int32_t kNotAllowedCode = 814;
    static constexpr int32_t kNoFileCode = 815;

    GPFileDomain() : GPDomain(kClassId) {}

    // IGPDomain. An empty value is a member; any other value is a member when its catalog path (a data element's
    // own, else the value's text) passes the extension test: an entry equal to the whole path in any letter case,
    // the entry "*", or an entry the utility object says is the path's extension. Not a member: error 814, S_FALSE.
    // No value (null, or a variable holding none): error 815, S_FALSE. The utility object's failure is returned.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPFileDomain. E_POINTER for a null text; a change marks the domain dirty.
    HRESULT get_FileExtensionCount(int32_t* count) override;
    HRESULT get_FileExtension(int32_t index, BSTR* extension) override;
    HRESULT AddFileExtension(const OLECHAR* extension) override;
    HRESULT RemoveFileExtension(const OLECHAR* extension) override;
    // A new array of the data elements the value holds (an IArray, or a multi-value, also through a variable) whose
    // catalog path passes the extension test; members that are no data elements are left out. E_INVALIDARG for a
    // value that holds no list.
    HRESULT FilterDataElements(IUnknown* value, IArray** elements) override;

    // IGxFilterInfo: a new array of string values, one per extension of the list that the browse filter table holds
    // (compared exactly), with its filter, in list order; empty when none is held.
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

    // IClone. Assign takes the extensions of any file domain in place of its own (E_INVALIDARG for another kind).
    // IsEqual: the same number of extensions, each of the other's present here in any letter case.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int32 count, the extensions (String form each).
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPFileDomain"; the extensions as a string array ("ArrayOfString") in the element
    // "FileExtensionArray", left out when there are none. Reading keeps the list free of equal entries.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // The extension test of `path`, asking `utilities` (fetched on first need) about extensions.
    HRESULT PassesExtensionTest(std::u16string_view path, ComPtr<IGPUtilities>* utilities, bool* passes) const;

    NameList extensions_;
};

} // namespace tavi
