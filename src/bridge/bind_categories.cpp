// Bindings of the component category interfaces. Their arrays of identifiers are JSON arrays here.
#include "bridge/Binding.h"

namespace tavigp {

namespace {

constexpr ULONG kMaxBatch = 1024;

ULONG CountOf(const std::vector<GUID>& ids) {
    return static_cast<ULONG>(ids.size());
}

HRESULT RegisterCategories(ICatRegister* r, CategoryInfos infos) {
    return r->RegisterCategories(static_cast<ULONG>(infos.size()), infos.data());
}
HRESULT UnRegisterCategories(ICatRegister* r, std::vector<GUID> ids) {
    return r->UnRegisterCategories(CountOf(ids), ids.data());
}
HRESULT RegisterClassImplCategories(ICatRegister* r, const GUID& clsid, std::vector<GUID> ids) {
    return r->RegisterClassImplCategories(clsid, CountOf(ids), ids.data());
}
HRESULT UnRegisterClassImplCategories(ICatRegister* r, const GUID& clsid, std::vector<GUID> ids) {
    return r->UnRegisterClassImplCategories(clsid, CountOf(ids), ids.data());
}
HRESULT RegisterClassReqCategories(ICatRegister* r, const GUID& clsid, std::vector<GUID> ids) {
    return r->RegisterClassReqCategories(clsid, CountOf(ids), ids.data());
}
HRESULT UnRegisterClassReqCategories(ICatRegister* r, const GUID& clsid, std::vector<GUID> ids) {
    return r->UnRegisterClassReqCategories(clsid, CountOf(ids), ids.data());
}

HRESULT EnumClassesOfCategories(ICatInformation* c, std::vector<GUID> implemented, std::vector<GUID> required,
                                IEnumGUID** classes) {
    return c->EnumClassesOfCategories(CountOf(implemented), implemented.data(), CountOf(required), required.data(),
                                      classes);
}
HRESULT IsClassOfCategories(ICatInformation* c, const GUID& clsid, std::vector<GUID> implemented,
                            std::vector<GUID> required) {
    return c->IsClassOfCategories(clsid, CountOf(implemented), implemented.data(), CountOf(required), required.data());
}

HRESULT NextGuids(IEnumGUID* e, ULONG count, std::vector<GUID>* out, ULONG* fetched) {
    if (count > kMaxBatch)
        throw BridgeError("at most " + std::to_string(kMaxBatch) + " items per Next through the bridge");
    std::vector<GUID> items(count ? count : 1, GUID_NULL);
    HRESULT hr = e->Next(count, out ? items.data() : nullptr, fetched);
    // Without a fetched count only a full batch (S_OK) says how many items came.
    ULONG got = fetched ? std::min(*fetched, count) : (hr == S_OK ? count : 0);
    if (out)
        out->assign(items.begin(), items.begin() + got);
    return hr;
}

} // namespace

void BindCategoryFamily(BindingTable& t) {
    ADAPT(t, ICatRegister, RegisterCategories, &RegisterCategories);
    ADAPT(t, ICatRegister, UnRegisterCategories, &UnRegisterCategories);
    ADAPT(t, ICatRegister, RegisterClassImplCategories, &RegisterClassImplCategories);
    ADAPT(t, ICatRegister, UnRegisterClassImplCategories, &UnRegisterClassImplCategories);
    ADAPT(t, ICatRegister, RegisterClassReqCategories, &RegisterClassReqCategories);
    ADAPT(t, ICatRegister, UnRegisterClassReqCategories, &UnRegisterClassReqCategories);
    ADAPT(t, ICatInformation, EnumClassesOfCategories, &EnumClassesOfCategories);
    ADAPT(t, ICatInformation, IsClassOfCategories, &IsClassOfCategories);

    ADAPT(t, IEnumGUID, Next, &NextGuids);
    BIND(t, IEnumGUID, Skip);
    BIND(t, IEnumGUID, Reset);
    BIND(t, IEnumGUID, Clone);
}

} // namespace tavigp
