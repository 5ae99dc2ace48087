// The shared `--env NAME=TEXT` option.
#include "EnvironmentOptions.h"

#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/GPMessage.h"

#include <iostream>

namespace tavigp {
namespace {

constexpr std::string_view kOption = "--env";

void CheckAssignment(const std::string& assignment) {
    size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError("--env needs NAME=TEXT, as in --env outputCoordinateSystem=EPSG:3857");
}

} // namespace

bool TakeEnvironmentOption(const std::vector<std::string>& args, size_t& i, std::vector<std::string>& assignments) {
    const std::string& arg = args[i];
    if (arg == kOption) {
        if (i + 1 >= args.size())
            throw UsageError("--env needs NAME=TEXT");
        CheckAssignment(args[++i]);
        assignments.push_back(args[i]);
        return true;
    }
    if (arg.starts_with("--env=")) {
        std::string assignment = arg.substr(kOption.size() + 1);
        CheckAssignment(assignment);
        assignments.push_back(std::move(assignment));
        return true;
    }
    return false;
}

tavi::ComPtr<IGPEnvironmentManager> OpenEnvironmentManager(std::string_view command) {
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(CLSID_GPEnvironmentManager), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    auto manager = tavi::QueryAs<IGPEnvironmentManager>(object.Get());
    if (FAILED(hr) || !manager)
        std::cerr << "tavigp " << command
                  << ": cannot create the environment manager: " << HrTextAndName(FAILED(hr) ? hr : E_NOINTERFACE)
                  << "\n";
    return manager;
}

bool ApplyEnvironmentSettings(IGPEnvironmentManager* manager, const std::vector<std::string>& assignments,
                              std::string_view command) {
    for (const std::string& assignment : assignments) {
        const size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const std::u16string wideName = Widen(name), text = Widen(assignment.substr(equals + 1));
        tavi::ComPtr<IGPMessage> message;
        HRESULT hr = manager->SetEnvironmentText(wideName.c_str(), text.c_str(), message.Out());
        if (hr == E_INVALIDARG) {
            std::cerr << "tavigp " << command << ": unknown environment setting '" << name
                      << "' ('tavigp env' lists them)\n";
            return false;
        }
        if (FAILED(hr)) {
            std::cerr << "tavigp " << command << ": cannot set " << name << ": " << HrTextAndName(hr) << "\n";
            return false;
        }
        VARIANT_BOOL error = VARIANT_FALSE;
        if (message && SUCCEEDED(message->IsError(&error)) && error) {
            int32_t code = 0;
            tavi::BStr description;
            message->get_ErrorCode(&code);
            message->get_Description(description.Out());
            std::cerr << "tavigp " << command << ": " << name << " refuses '" << Narrow(text) << "': error " << code
                      << ": " << Narrow(description.view()) << "\n";
            return false;
        }
    }
    return true;
}

} // namespace tavigp
