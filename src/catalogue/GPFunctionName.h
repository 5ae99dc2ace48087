// GPFunctionName: the name object of one geoprocessing tool. It adds a help reference (file and context) to the
// name base and opens through a tool factory instead of a data type factory.
//
// Stream form: 16-bit version (4 when written), the name base's part, then by version:
//   0, 1  an embedded identifier object (IUID) holding the factory's class identifier, which replaces the one the
//         base part stored; the help fields keep their defaults;
//   2     nothing more;
//   3, 4  the help file (foundation string) and the help context (32-bit).
// XML form: type name "GPFunctionName" in the current namespace, the base's elements, then "HelpFile" (string) and
// "HelpContext" (a number). Reading takes a missing "HelpFile" as empty and a missing "HelpContext" as 0.
#pragma once

#include "host/GPName.h"
#include "platform/BStr.h"
#include "tavi/GPCatalog.h"
#include "tavi/Xml.h"

namespace tavi {

class GPFunctionName final : public GPNameBase<GPFunctionName, IGPFunctionName, IName, IGPName, IXMLSerialize,
                                               IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_GPFunctionName;
    static constexpr const char16_t* kClassName = u"GPFunctionName";

    // IGPFunctionName. The getters copy the field (a help file never set is a null string); E_POINTER for a null
    // out pointer.
    HRESULT get_HelpFile(BSTR* helpFile) override;
    HRESULT put_HelpFile(const OLECHAR* helpFile) override;
    HRESULT get_HelpContext(int32_t* helpContext) override;
    HRESULT put_HelpContext(int32_t helpContext) override;

    // IName. Open asks the factory's IGPFunctionFactory for the tool of the stored name and hands it out;
    // E_UNEXPECTED when there is no factory or it is not a tool factory. UpdateFactoryName asks the same tool
    // factory for its name and keeps it as the name string (IName::get_NameString).
    HRESULT Open(IUnknown** object) override;
    HRESULT UpdateFactoryName() override;

    // IPersistStream. Load refuses versions above 4 with E_FAIL and leaves the object unchanged on any failure.
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;

    // IXMLSerialize. Deserialize leaves the object unchanged when an element cannot be read.
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    ComPtr<IGPFunctionFactory> ToolFactory();
    HRESULT LoadFields(IStream* stream);

    BStr helpFile_;
    int32_t helpContext_ = 0;
};

} // namespace tavi
