// `tavigp env`: the environment settings of the process, with their values, read through the environment manager.
#include "Command.h"
#include "EnvironmentOptions.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/Entry.h"
#include "tavi/GPEnvironment.h"

#include <iostream>

namespace tavigp {
namespace {

using tavi::BStr;
using tavi::ComPtr;

std::string TextOf(IGPEnvironment* setting, HRESULT (IGPEnvironment::*get)(BSTR*)) {
    BStr text;
    return SUCCEEDED((setting->*get)(text.Out())) ? Narrow(text.view()) : std::string();
}

// One setting's facts; "value" is null when the setting has none.
Json Describe(IGPEnvironment* setting) {
    Json facts = Json::object();
    facts["name"] = TextOf(setting, &IGPEnvironment::get_Name);
    facts["displayName"] = TextOf(setting, &IGPEnvironment::get_DisplayName);
    facts["category"] = TextOf(setting, &IGPEnvironment::get_Category);
    ComPtr<IGPDataType> dataType;
    BStr typeName;
    if (SUCCEEDED(setting->get_DataType(dataType.Out())) && dataType)
        dataType->get_Name(typeName.Out());
    facts["dataType"] = Narrow(typeName.view());
    ComPtr<IGPValue> value;
    BStr text;
    if (SUCCEEDED(setting->get_Value(value.Out())) && value && SUCCEEDED(value->GetAsText(text.Out())))
        facts["value"] = Narrow(text.view());
    else
        facts["value"] = nullptr;
    VARIANT_BOOL altered = VARIANT_FALSE;
    if (auto impl = tavi::QueryAs<IGPEnvironmentImpl2>(setting))
        impl->get_Altered(&altered);
    facts["altered"] = altered != VARIANT_FALSE;
    return facts;
}

int ListSettings(IGPEnvironmentManager* manager, bool json) {
    ComPtr<IEnumGPEnvironment> settings;
    if (HRESULT hr = manager->get_Environments(settings.Out()); FAILED(hr) || !settings) {
        std::cerr << "tavigp env: cannot list the settings: " << HrTextAndName(FAILED(hr) ? hr : E_POINTER) << "\n";
        return kExitFailure;
    }
    Json all = Json::array();
    ComPtr<IGPEnvironment> setting;
    while (settings->Next(setting.Out()) == S_OK && setting)
        all.push_back(Describe(setting.Get()));
    if (json) {
        std::cout << all.dump() << "\n";
        return kExitOk;
    }
    for (const Json& facts : all)
        std::cout << facts["name"].get<std::string>() << '\t' << facts["dataType"].get<std::string>() << '\t'
                  << (facts["value"].is_null() ? "" : facts["value"].get<std::string>()) << '\n';
    return kExitOk;
}

int RunEnv(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> assignments;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json")
            json = true;
        else if (!TakeEnvironmentOption(args, i, assignments))
            throw UsageError("unexpected argument '" + args[i] + "'");
    }
    int status = kExitFailure;
    {
        ComPtr<IGPEnvironmentManager> manager = OpenEnvironmentManager("env");
        if (manager && ApplyEnvironmentSettings(manager.Get(), assignments, "env"))
            status = ListSettings(manager.Get(), json);
    }
    DllCanUnloadNow(); // lets the settings go with the manager
    return status;
}

const Command kEnv{
    "env",
    "list the environment settings with their values",
    "usage: tavigp env [--env NAME=TEXT]... [--json]\n"
    "\n"
    "Lists the environment settings of the process (docs/environments.md), in display order, one per line with\n"
    "three fields separated by tabs:\n"
    "\n"
    "  name       the setting's name, as --env takes it (any letter case finds it)\n"
    "  data type  the data type its values have\n"
    "  value      the value's text form; empty when the setting has none\n"
    "\n"
    "  --env NAME=TEXT  first sets the setting NAME from TEXT, as its data type reads text (an empty TEXT clears\n"
    "                   it); may be given more than once. Settings last for this run only.\n"
    "  --json           one JSON array instead, an object per setting with the keys name, displayName, category,\n"
    "                   dataType, value (null when none) and altered\n"
    "\n"
    "Exit status 0; 1 when a setting is unknown or refuses its text (a line on standard error says why) or the\n"
    "settings cannot be read; 2 for a wrong command line.\n",
    &RunEnv,
};
const CommandRegistration kRegistration{kEnv};

} // namespace
} // namespace tavigp
