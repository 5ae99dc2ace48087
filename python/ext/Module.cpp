// The extension module tavi._tavi: creating library objects by class, the data type catalogue, the module object
// count, and the classes of Objects.h. The package tavi (python/tavi) re-exports it.
#include "Objects.h"

#include "bridge/ClassTable.h"

#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"

#include "platform/BStr.h"

#include <pybind11/stl.h>

namespace tavipy {
namespace {

py::object Create(const std::string& which) {
    tavi::ComPtr<IUnknown> object;
    std::optional<HRESULT> created = tavigp::CreateObject(which, &object);
    if (!created)
        throw py::value_error("no class named '" + which + "'");
    if (FAILED(*created))
        RaiseComError(*created, "creating " + which);
    const tavigp::ClassRow* row = tavigp::ClassOf(object.Get());
    bool byIdentifier = tavigp::GuidFromText(which).has_value();
    return Wrap(std::move(object), row ? row->name : byIdentifier ? std::string() : which);
}

std::string NameText(IGPName* name, HRESULT (IGPName::*get)(BSTR*)) {
    tavi::BStr text;
    return SUCCEEDED((name->*get)(text.Out())) ? tavigp::Narrow(text.view()) : std::string();
}

// The data type catalogue in its order: name, display name, description and category of each data type.
py::list Types() {
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = tavigp::CreateObject(tavigp::GuidToText(CLSID_GPDataTypeFactory), &object).value_or(E_FAIL);
    auto factory = tavi::QueryAs<IGPDataTypeFactory>(object.Get());
    if (FAILED(hr) || !factory)
        RaiseComError(FAILED(hr) ? hr : E_NOINTERFACE, "creating the data type factory");
    tavi::ComPtr<IEnumGPName> names;
    hr = factory->GetDataTypeNames(names.Out());
    if (FAILED(hr) || !names)
        RaiseComError(FAILED(hr) ? hr : E_POINTER, "IGPDataTypeFactory.GetDataTypeNames");
    py::list types;
    tavi::ComPtr<IGPName> name;
    while ((hr = names->Next(name.Out())) == S_OK && name) {
        py::dict type;
        type["name"] = NameText(name.Get(), &IGPName::get_Name);
        type["display_name"] = NameText(name.Get(), &IGPName::get_DisplayName);
        type["description"] = NameText(name.Get(), &IGPName::get_Description);
        type["category"] = NameText(name.Get(), &IGPName::get_Category);
        types.append(std::move(type));
    }
    if (FAILED(hr))
        RaiseComError(hr, "IEnumGPName.Next");
    return types;
}

py::dict OperationSignatures() {
    py::dict signatures;
    for (const auto& [name, info] : Operations())
        signatures[py::str(name)] = info.binding->signature;
    return signatures;
}

} // namespace
} // namespace tavipy

PYBIND11_MODULE(_tavi, module) {
    using namespace tavipy;
    module.doc() = "The library's objects for Python (use the package tavi).";
    DefineObjects(module);
    module.def("create", &Create, py::arg("which"),
               "Creates an object by class name ('GPLinearUnit'), programmatic identifier or class identifier "
               "('{...}'); the host's own classes ('Array', 'GPMessage', ...) too.");
    module.def("types", &Types, "The data type catalogue: a dict of name, display_name, description, category each.");
    module.def("object_count", &TaviGetModuleObjectCount,
               "The module object count: live library objects and server locks.");
    module.def(
        "release_unused", [] { return DllCanUnloadNow() == S_OK; },
        "Lets the calling thread's unused singletons go; True when no library object is left.");
    module.def("operations", &OperationSignatures,
               "Every bound operation ('IGPValue.SetAsText') with its parameter kinds ('text, out object').");
}
