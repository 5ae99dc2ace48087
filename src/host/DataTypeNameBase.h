// The base of the names that stand for composite data types in documents (the multi-value's, the value table's, the
// composite data type's, the key-value's): fixed texts, a factory that is always the data type factory, the dirty
// flag, and Open left to the name class, which rebuilds its data type from what it stores.
//
//   class GPMultiValueTypeName final : public DataTypeNameBase<GPMultiValueTypeName, IName, IGPName, ...> {
//       static constexpr NameTexts kTexts{u"GPMultiValue", 4669, 4668, 4667};
//       HRESULT Open(IUnknown** type) override; // and its own interface, stream and XML forms
//   };
//
// What the base answers: IName.get_NameString an empty text and put_NameString nothing (S_OK); UpdateFactoryName
// S_OK; the IGPName getters the fixed texts (the name as it is, the others from the string table); its setters
// change nothing and answer S_FALSE; get_Factory a new data type factory (null, with S_OK, when it cannot be made);
// IPersistStream.GetClassID the class, IsDirty the dirty flag, GetSizeMax the size Save writes.
#pragma once

#include "host/CreateInstance.h"
#include "host/StringTable.h"
#include "platform/BStr.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

namespace tavi {

struct NameTexts {
    const char16_t* name;
    int32_t displayNameId;
    int32_t descriptionId;
    int32_t categoryId;
};

HRESULT SaveFormSize(IPersistStream* object, uint64_t* size);

template <class Derived, class... R> class DataTypeNameBase : public Object<Derived, R...> {
public:
    // IName (Open is the name class's)
    HRESULT get_NameString(BSTR* text) override { return HandOutText(u"", text); }
    HRESULT put_NameString(const OLECHAR*) override { return S_OK; }
    HRESULT UpdateFactoryName() override { return S_OK; }

    // IGPName
    HRESULT get_Name(BSTR* name) override { return HandOutText(Derived::kTexts.name, name); }
    HRESULT get_DisplayName(BSTR* name) override { return HandOutResource(Derived::kTexts.displayNameId, name); }
    HRESULT get_Description(BSTR* text) override { return HandOutResource(Derived::kTexts.descriptionId, text); }
    HRESULT get_Category(BSTR* text) override { return HandOutResource(Derived::kTexts.categoryId, text); }
    HRESULT put_Name(const OLECHAR*) override { return S_FALSE; }
    HRESULT put_DisplayName(const OLECHAR*) override { return S_FALSE; }
    HRESULT put_Description(const OLECHAR*) override { return S_FALSE; }
    HRESULT put_Category(const OLECHAR*) override { return S_FALSE; }
    HRESULT get_Factory(IUnknown** factory) override {
        if (!factory)
            return E_POINTER;
        *factory = nullptr;
        return guard([&] {
            AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, CLSCTX_INPROC_SERVER, IGPDataTypeFactory::iid,
                             reinterpret_cast<void**>(factory));
            return S_OK;
        });
    }
    HRESULT putref_Factory(IUnknown*) override { return S_FALSE; }

    // IPersistStream (Load and Save are the name class's)
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = Derived::kClassId;
        return S_OK;
    }
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT GetSizeMax(uint64_t* size) override {
        return SaveFormSize(static_cast<IPersistStream*>(static_cast<Derived*>(this)), size);
    }

protected:
    DataTypeNameBase() = default;

    static HRESULT HandOutText(std::u16string_view text, BSTR* out) {
        if (!out)
            return E_POINTER;
        return guard([&] {
            *out = BStr(text).Detach();
            return S_OK;
        });
    }
    static HRESULT HandOutResource(int32_t id, BSTR* out) {
        if (!out)
            return E_POINTER;
        return guard([&] { return HandOutText(LoadResourceString(id), out); });
    }

    bool dirty_ = false;
};

} // namespace tavi
