// The shared `--project PATH` option and the opening of a project document.
#include "ProjectOptions.h"

#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include "platform/BStr.h"

#include <iostream>

namespace tavigp {

bool TakeProjectOption(const std::vector<std::string>& args, size_t& i, std::string& path) {
    const std::string& arg = args[i];
    if (arg == "--project") {
        if (i + 1 >= args.size() || args[i + 1].empty())
            throw UsageError("--project needs the path of a project document");
        path = args[++i];
        return true;
    }
    if (arg.starts_with("--project=")) {
        path = arg.substr(std::string_view("--project=").size());
        if (path.empty())
            throw UsageError("--project needs the path of a project document");
        return true;
    }
    return false;
}

tavi::ComPtr<IGPProjectUtilities> OpenProject(const std::string& path, std::string_view command) {
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(CLSID_GPUtilities), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    auto project = tavi::QueryAs<IGPProjectUtilities>(object.Get());
    if (FAILED(hr) || !project) {
        std::cerr << "tavigp " << command
                  << ": cannot create the utility object: " << HrTextAndName(FAILED(hr) ? hr : E_NOINTERFACE) << "\n";
        return nullptr;
    }
    hr = project->put_ProjectPath(Widen(path).c_str());
    if (FAILED(hr)) {
        tavi::ComPtr<IErrorInfo> info;
        tavi::BStr description;
        if (GetErrorInfo(0, info.Out()) == S_OK && info)
            info->GetDescription(description.Out());
        std::cerr << "tavigp " << command << ": "
                  << (description.view().empty() ? "cannot read " + path : Narrow(description.view())) << " ("
                  << HrTextAndName(hr) << ")\n";
        return nullptr;
    }
    return project;
}

} // namespace tavigp
