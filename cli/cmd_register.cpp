// `tavigp register` and `tavigp unregister`: the library's own registration of its classes in the registry store.
#include "Command.h"
#include "bridge/Text.h"

#include "tavi/Entry.h"

#include <iostream>

namespace tavigp {
namespace {

int Report(const char* what, HRESULT hr) {
    std::string_view name = HrName(hr);
    std::cout << what << ": " << HrText(hr);
    if (!name.empty())
        std::cout << " (" << name << ")";
    std::cout << "\n";
    return SUCCEEDED(hr) ? kExitOk : kExitFailure;
}

void NoArguments(const std::vector<std::string>& args) {
    if (!args.empty())
        throw UsageError("unexpected argument '" + args.front() + "'");
}

int RunRegister(const std::vector<std::string>& args) {
    NoArguments(args);
    return Report("taviDllRegisterServer", taviDllRegisterServer());
}

int RunUnregister(const std::vector<std::string>& args) {
    NoArguments(args);
    return Report("taviDllUnregisterServer", taviDllUnregisterServer());
}

const Command kRegister{
    "register",
    "register every class in the registry store",
    "usage: tavigp register\n"
    "\n"
    "Calls the library's taviDllRegisterServer, which writes the class keys, programmatic identifiers and component\n"
    "categories of every provided class into the registry store (TAVI_REGISTRY names the store file), and prints\n"
    "the result code. Exit status 0 on success, 1 when registration failed.\n",
    &RunRegister,
};
const Command kUnregister{
    "unregister",
    "remove the registration of every class",
    "usage: tavigp unregister\n"
    "\n"
    "Calls the library's taviDllUnregisterServer, which removes what 'tavigp register' wrote, and prints the\n"
    "result code. Exit status 0 on success, 1 when unregistration failed.\n",
    &RunUnregister,
};
const CommandRegistration kRegisterRegistration{kRegister};
const CommandRegistration kUnregisterRegistration{kUnregister};

} // namespace
} // namespace tavigp
