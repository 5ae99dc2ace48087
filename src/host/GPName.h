// The name base: a catalogue entry (name, display name, description, category) with the factory that opens it,
// and the plain name class built on it.
//
// A name class lists its interfaces (IName and IGPName among them) and derives from GPNameBase:
//
//   class GPFunctionName final : public GPNameBase<GPFunctionName, IGPFunctionName, IName, IGPName,
//                                                  IXMLSerialize, IPersistStream, Alias<IPersist, IPersistStream>>
//
// Base parts, written after the derived class's own version and before its fields:
//   stream  name, display name, description, category (foundation strings), then the factory class identifier;
//   XML     string elements "Name", "DisplayName", "Description", "Category", "FactoryCLSID" (identifier text);
//           missing elements read as empty.
// IName::Open resolves the factory (the one set, else one made from the factory class identifier) and asks its
// IGPDataTypeFactory for the data type of the stored name; E_UNEXPECTED without a usable factory. Classes whose
// factory is something else override Open.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

namespace tavi {

class GPNameCore {
public:
    const String& Name() const { return name_; }
    const CLSID& FactoryClassId() const { return factoryClassId_; }
    void SetFactoryClassId(const CLSID& clsid) { factoryClassId_ = clsid; }

protected:
    GPNameCore() = default;
    virtual ~GPNameCore() = default;

    HRESULT BaseSave(IStream* stream);
    HRESULT BaseLoad(IStream* stream);
    HRESULT BaseSerialize(IXMLSerializeData* data);
    HRESULT BaseDeserialize(IXMLSerializeData* data);

    HRESULT CoreGetText(const String& field, BSTR* out);
    HRESULT CoreSetText(String& field, const OLECHAR* text);
    HRESULT CoreGetFactory(IUnknown** factory);
    HRESULT CorePutFactory(IUnknown* factory);
    HRESULT CoreOpen(IUnknown** object);

    String name_, displayName_, description_, category_, nameString_;
    CLSID factoryClassId_ = GUID_NULL;
    ComPtr<IUnknown> factory_;
    bool dirty_ = false;
};

template <class Derived, class... R> class GPNameBase : public Object<Derived, R...>, public GPNameCore {
public:
    // IName
    HRESULT get_NameString(BSTR* text) override { return CoreGetText(nameString_, text); }
    HRESULT put_NameString(const OLECHAR* text) override { return CoreSetText(nameString_, text); }
    HRESULT Open(IUnknown** object) override { return CoreOpen(object); }
    HRESULT UpdateFactoryName() override { return S_OK; }

    // IGPName
    HRESULT get_Name(BSTR* name) override { return CoreGetText(name_, name); }
    HRESULT put_Name(const OLECHAR* name) override { return CoreSetText(name_, name); }
    HRESULT get_DisplayName(BSTR* name) override { return CoreGetText(displayName_, name); }
    HRESULT put_DisplayName(const OLECHAR* name) override { return CoreSetText(displayName_, name); }
    HRESULT get_Description(BSTR* text) override { return CoreGetText(description_, text); }
    HRESULT put_Description(const OLECHAR* text) override { return CoreSetText(description_, text); }
    HRESULT get_Category(BSTR* text) override { return CoreGetText(category_, text); }
    HRESULT put_Category(const OLECHAR* text) override { return CoreSetText(category_, text); }
    HRESULT get_Factory(IUnknown** factory) override { return CoreGetFactory(factory); }
    HRESULT putref_Factory(IUnknown* factory) override { return CorePutFactory(factory); }

    // IPersistStream (Load and Save are the name class's)
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT GetSizeMax(uint64_t* size) override;

protected:
    GPNameBase() = default;
};

// The plain name: the base alone. Stream form: 16-bit version 1, then the base part.
// It answers IGPDataTypeName too: the names data types give as their full names are of this class.
class GPName final : public GPNameBase<GPName, IName, IGPName, IGPDataTypeName, IXMLSerialize, IPersistStream,
                                       Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_GPName;
    static constexpr const char16_t* kClassName = u"GPName";

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;
};

HRESULT SaveFormSize(IPersistStream* object, uint64_t* size);

template <class Derived, class... R> HRESULT GPNameBase<Derived, R...>::GetSizeMax(uint64_t* size) {
    return SaveFormSize(static_cast<IPersistStream*>(static_cast<Derived*>(this)), size);
}

} // namespace tavi
