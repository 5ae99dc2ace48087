// Arbitrary input to the stream and XML readers of the domain classes. The first byte chooses the class (coded
// value, range, numeric, composite and unit domains, the platform's range domain object, and the file, workspace,
// dataset and data element domains), the second the form
// (even: the stream form, odd: the XML form); the rest is the form's content. A class that cannot be created here is
// skipped, and a class without the chosen form is simply not read. Whatever was read is then used the way a data
// type would: asked about a value, cloned and compared, and written back out in both forms. No input may crash,
// hang or leak: the module object count must come back to where it was.
#include "ProvidedClasses.h"
#include "host/StreamIO.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"
#include "tavi/GPScalar.h"
#include "tavi/Xml.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

using namespace tavi;

namespace {

const CLSID kDomainClasses[] = {CLSID_GPCodedValueDomain, CLSID_GPRangeDomain,     CLSID_GPNumericDomain,
                                CLSID_GPCompositeDomain,  CLSID_GPUnitDomain,      CLSID_RangeDomain,
                                CLSID_GPFileDomain,       CLSID_GPWorkspaceDomain, CLSID_GPDatasetDomain,
                                CLSID_DataElementDomain,  CLSID_GPFieldDomain,     CLSID_GPFeatureClassDomain};

bool LoadFromStream(IUnknown* object, const uint8_t* data, size_t size) {
    auto persist = QueryAs<IPersistStream>(object);
    ComPtr<IStream> stream;
    return persist &&
           SUCCEEDED(CreateStreamOnMemory(data, static_cast<ULONG>(size), AfStreamGetDocumentVersion(nullptr),
                                          stream.Out())) &&
           SUCCEEDED(persist->Load(stream.Get()));
}

bool LoadFromXml(IUnknown* object, const uint8_t* data, size_t size) {
    if (!QueryAs<IXMLSerialize>(object))
        return false;
    std::u16string xml = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    return SUCCEEDED(TaviXmlDeserialize(xml.c_str(), object));
}

// What a data type does with a domain it was given: membership of a few kinds of value, its browse filters, then
// cloning, comparison and both written forms.
void UseDomain(IUnknown* object) {
    if (auto domain = QueryAs<IGPDomain>(object)) {
        for (const CLSID& valueClass : {CLSID_GPString, CLSID_GPDouble}) {
            ComPtr<IGPValue> value;
            if (FAILED(AfCreateInstance(valueClass, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, value.OutVoid())))
                continue;
            ComPtr<IGPMessage> message;
            value->SetAsText(u"5", message.Out());
            domain->MemberOf(value.Get(), message.Out());
        }
    }
    if (auto filterInfo = QueryAs<IGxFilterInfo>(object)) {
        ComPtr<IArray> filters;
        filterInfo->get_OpenGxObjectFilters(filters.Out());
    }
    if (auto clonable = QueryAs<IClone>(object)) {
        ComPtr<IClone> copy;
        VARIANT_BOOL equal = VARIANT_FALSE;
        if (SUCCEEDED(clonable->Clone(copy.Out())) && copy)
            clonable->IsEqual(copy.Get(), &equal);
    }
    if (auto persist = QueryAs<IPersistStream>(object)) {
        ComPtr<IStream> out;
        if (SUCCEEDED(CreateStreamOnMemory(nullptr, 0, AfStreamGetDocumentVersion(nullptr), out.Out())))
            persist->Save(out.Get(), 1);
    }
    if (QueryAs<IXMLSerialize>(object)) {
        BStr xml;
        TaviXmlSerialize(object, nullptr, xml.Out());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ProvidedClasses(); // installs the module as the class source
    if (size < 2 || size > (1u << 20))
        return 0;
    int32_t objectsBefore = fuzz::ObjectsLeftAfterSingletons();
    {
        const CLSID& clsid = kDomainClasses[data[0] % std::size(kDomainClasses)];
        ComPtr<IUnknown> object;
        if (SUCCEEDED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, object.OutVoid()))) {
            bool read = data[1] % 2 == 0 ? LoadFromStream(object.Get(), data + 2, size - 2)
                                         : LoadFromXml(object.Get(), data + 2, size - 2);
            if (read)
                UseDomain(object.Get());
        }
    }
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != objectsBefore) {
        std::fprintf(stderr, "objects leaked: %d before, %d after\n", objectsBefore, after);
        std::abort();
    }
    return 0;
}
