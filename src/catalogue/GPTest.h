// GPTest: diagnostics of the tool framework. It reaches the process's environment settings through the environment
// host, and lists the tools of every factory registered in CATID_GPFunctionFactories.
#pragma once

#include "platform/Object.h"
#include "tavi/GPParameter.h"

namespace tavi {

class GPTest final : public Object<GPTest, IGPTest> {
public:
    static constexpr CLSID kClassId = CLSID_GPTest;
    static constexpr const char16_t* kClassName = u"GPTest";

    // Creates the environment host (CLSID_GPEnvironmentHost), takes its environment manager and hands out that
    // manager's list of settings. S_OK whatever happens on the way; null when any step fails. E_POINTER for a null
    // pointer.
    HRESULT GetEnvironments(IEnumGPEnvironment** settings) override;
    // Walks the classes of CATID_GPFunctionFactories with the category manager, asks each for its tool names
    // (GetFunctionNames), resets the list and collects every name it yields into a new platform object array,
    // handed out as IArray when it holds at least one name (else S_OK and null). A class that cannot be made into a
    // tool factory is passed over; a factory whose list cannot be obtained stops the walk with its code (and null).
    HRESULT GetToolNames(IArray** names) override;
};

} // namespace tavi
