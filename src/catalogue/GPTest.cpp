// The tool framework's diagnostics.
#include "catalogue/GPTest.h"

#include "host/CategoryMgr.h"
#include "host/CreateInstance.h"
#include "host/ObjectArray.h"
#include "tavi/Categories.h"
#include "tavi/GPCatalog.h"

namespace tavi {

HRESULT GPTest::GetEnvironments(IEnumGPEnvironment** settings) {
    if (HRESULT hr = ClearOut(settings); FAILED(hr))
        return hr;
    guard([&] {
        ComPtr<IGPEnvironmentHost> host;
        ComPtr<IGPEnvironmentManager> manager;
        if (FAILED(AfCreateInstance(CLSID_GPEnvironmentHost, nullptr, CLSCTX_INPROC_SERVER, IGPEnvironmentHost::iid,
                                    host.OutVoid())) ||
            !host || FAILED(host->get_EnvironmentManager(manager.Out())) || !manager)
            return;
        ComPtr<IEnumGPEnvironment> list;
        if (SUCCEEDED(manager->get_Environments(list.Out())))
            *settings = list.Detach();
    });
    return S_OK;
}

HRESULT GPTest::GetToolNames(IArray** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto collected = MakeObject<ObjectArray>();
        CategoryMgr factories(CATID_GPFunctionFactories);
        if (FAILED(factories.Status()))
            return factories.Status();
        ComPtr<IGPFunctionFactory> factory;
        while (factories.Next(factory) == S_OK) {
            ComPtr<IEnumGPName> list;
            if (HRESULT hr = factory->GetFunctionNames(list.Out()); FAILED(hr))
                return hr;
            if (!list)
                continue;
            list->Reset();
            ComPtr<IGPName> name;
            while (list->Next(name.Out()) == S_OK && name)
                if (HRESULT hr = collected->Add(name.Get()); FAILED(hr))
                    return hr;
        }
        if (collected->Items().empty())
            return S_OK;
        *names = static_cast<IArray*>(collected.Detach());
        return S_OK;
    });
}

} // namespace tavi
