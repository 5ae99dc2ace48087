// The host's environment manager: the environment settings of the process (workspace, output coordinate system,
// extent, tolerances, ...), each with its data type and, where it has one, its domain; and the environment host
// through which tools reach it.
//
// The settings live in one store per process, made on first need. Every manager object works on that store, so a
// setting changed through one is seen through all, and through the utility object (whose output coordinate system
// is a view of the setting "outputCoordinateSystem"). The store goes when the library is asked whether it can
// unload (DllCanUnloadNow) while no manager object holds it: a host that wants its settings kept holds a manager.
// The default settings are listed in docs/environments.md.
#pragma once

#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/GPEnvironment.h"

#include <memory>

namespace tavi {

class EnvironmentStore;

class GPEnvironmentManager final : public Object<GPEnvironmentManager, IGPEnvironmentManager> {
public:
    static constexpr CLSID kClassId = CLSID_GPEnvironmentManager;
    static constexpr const char16_t* kClassName = u"GPEnvironmentManager";

    // Takes hold of the process's store, making it (with the default settings) when there is none.
    GPEnvironmentManager();
    ~GPEnvironmentManager();

    HRESULT GetEnvironment(const OLECHAR* name, IGPEnvironment** setting) override;
    HRESULT GetEnvironmentValue(const OLECHAR* name, IGPValue** value) override;
    HRESULT SetEnvironmentValue(const OLECHAR* name, IGPValue* value) override;
    HRESULT GetEnvironmentText(const OLECHAR* name, BSTR* text) override;
    HRESULT SetEnvironmentText(const OLECHAR* name, const OLECHAR* text, IGPMessage** message) override;
    HRESULT ResetEnvironment(const OLECHAR* name) override;
    HRESULT ResetEnvironments() override;
    HRESULT AddEnvironment(IGPEnvironment* setting) override;
    HRESULT RemoveEnvironment(const OLECHAR* name) override;
    HRESULT get_Count(int32_t* count) override;
    HRESULT GetEnvironmentNames(IEnumBSTR** names) override;
    HRESULT GetSpatialReference(const OLECHAR* name, ISpatialReference** spatialReference) override;
    HRESULT SetSpatialReference(const OLECHAR* name, ISpatialReference* spatialReference) override;
    HRESULT get_Environments(IEnumGPEnvironment** settings) override;

private:
    std::shared_ptr<EnvironmentStore> store_;
};

// The environment host: a new manager of the process's settings on every request.
class GPEnvironmentHost final : public Object<GPEnvironmentHost, IGPEnvironmentHost> {
public:
    static constexpr CLSID kClassId = CLSID_GPEnvironmentHost;
    static constexpr const char16_t* kClassName = u"GPEnvironmentHost";

    HRESULT get_EnvironmentManager(IGPEnvironmentManager** manager) override;
};

// The name of the setting that holds the output coordinate system.
inline constexpr const char16_t* kOutputCoordinateSystemSetting = u"outputCoordinateSystem";

// The coordinate system the named process setting holds, without making the store: S_FALSE and null when there is
// no store or no value. The utility object reads its output coordinate system through this.
HRESULT ProcessSpatialReference(const OLECHAR* name, ISpatialReference** spatialReference);
// Puts it (making the store when needed); null clears the value.
HRESULT SetProcessSpatialReference(const OLECHAR* name, ISpatialReference* spatialReference);

// Lets the process's store go when no manager object holds it (the library is asked whether it can unload).
void ReleaseUnusedEnvironmentStore();

} // namespace tavi
