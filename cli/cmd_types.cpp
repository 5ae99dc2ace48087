// `tavigp types`: the data type catalogue, read through the data type factory's list of names.
#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"

#include <iostream>

namespace tavigp {
namespace {

// One text of a name, or what went wrong reading it.
std::string NameText(IGPName* name, HRESULT (IGPName::*get)(BSTR*)) {
    tavi::BStr text;
    HRESULT hr = (name->*get)(text.Out());
    return SUCCEEDED(hr) ? Narrow(text.view()) : "(" + HrText(hr) + ")";
}

int Fail(const std::string& what, HRESULT hr) {
    std::cerr << "tavigp types: " << what << ": " << HrTextAndName(hr) << "\n";
    return kExitFailure;
}

int ListTypes(IGPDataTypeFactory* factory) {
    tavi::ComPtr<IEnumGPName> names;
    if (HRESULT hr = factory->GetDataTypeNames(names.Out()); FAILED(hr) || !names)
        return Fail("cannot list the data type names", FAILED(hr) ? hr : E_POINTER);
    tavi::ComPtr<IGPName> name;
    HRESULT hr = S_OK;
    while ((hr = names->Next(name.Out())) == S_OK && name)
        std::cout << NameText(name.Get(), &IGPName::get_Name) << '\t' << NameText(name.Get(), &IGPName::get_DisplayName)
                  << '\t' << NameText(name.Get(), &IGPName::get_Description) << '\t'
                  << NameText(name.Get(), &IGPName::get_Category) << '\n';
    return FAILED(hr) ? Fail("cannot read the list of names", hr) : kExitOk;
}

int RunTypes(const std::vector<std::string>& args) {
    if (!args.empty())
        throw UsageError("unexpected argument '" + args.front() + "'");
    int status = kExitFailure;
    {
        tavi::ComPtr<IUnknown> object;
        HRESULT hr = CreateObject(GuidToText(CLSID_GPDataTypeFactory), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
        auto factory = tavi::QueryAs<IGPDataTypeFactory>(object.Get());
        status = FAILED(hr) || !factory ? Fail("cannot create the data type factory", FAILED(hr) ? hr : E_NOINTERFACE)
                                        : ListTypes(factory.Get());
    }
    DllCanUnloadNow(); // lets the thread's factory go
    return status;
}

const Command kTypes{
    "types",
    "list the data type catalogue",
    "usage: tavigp types\n"
    "\n"
    "Lists every data type the data type factory knows, in catalogue order, one per line with four fields\n"
    "separated by tabs:\n"
    "\n"
    "  name          the data type name GetDataType takes (e.g. GPLong; any letter case finds it)\n"
    "  display name  the name shown to people, from the string table\n"
    "  description   a short description, from the string table\n"
    "  category      the category the type is listed under, from the string table\n"
    "\n"
    "The texts come from the library's string table, so a localized table (see TAVI_LOCALE) changes them. A type\n"
    "is listed whether or not the library can create it yet; 'tavigp value' tells. Exit status 0, or 1 when the\n"
    "factory cannot be created or cannot list its names.\n",
    &RunTypes,
};
const CommandRegistration kRegistration{kTypes};

} // namespace
} // namespace tavigp
