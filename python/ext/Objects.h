// The Python face of the library's objects: an Object holds one reference to a library object, an Interface is an
// object seen through one interface, and an Operation is one bound operation of an object, called with Python values.
// Which operations exist, how their parameters cross and what comes back are the bridge's binding tables.
#pragma once

#include "bridge/Binding.h"

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace tavipy {

namespace py = pybind11;

// One bound operation with the kinds of its in and out parameters, in order ("text", "out object", ...).
struct OperationInfo {
    std::string name;      // "IGPValue.SetAsText"
    std::string interface; // "IGPValue"
    std::string shortName; // "SetAsText"
    const tavigp::BindingTable::Binding* binding = nullptr;
    std::vector<std::string> inKinds;
    std::vector<std::string> outKinds;
};

// Every bound operation, by full name; built once from the binding table.
const std::map<std::string, OperationInfo>& Operations();

struct Object {
    tavi::ComPtr<IUnknown> unknown;
    std::string className; // the class the object reports; empty when it reports none
};

// A message: an object answering IGPMessage, with its type, code and description as properties.
struct Message : Object {};

struct Interface {
    tavi::ComPtr<IUnknown> unknown;
    std::string className;
    std::string name; // "IGPValue"
};

struct Operation {
    tavi::ComPtr<IUnknown> unknown;
    std::string className;
    const OperationInfo* info = nullptr;
};

// A Python object for a library object: a Message when it answers IGPMessage, else an Object.
py::object Wrap(tavi::ComPtr<IUnknown> unknown, std::string className);

// Calls `operation` with Python arguments; `nullOuts` are the out positions passed as null pointers. The outs in
// order as Python values: None for none, the value for one, a tuple for more; with `withResult`, a pair of the
// result code and that. Raises ComError when the call fails, TypeError or ValueError when an argument has no form.
py::object Call(const Operation& operation, const py::args& args, const std::vector<size_t>& nullOuts, bool withResult);

// Raises tavi.ComError for `hr` of `what`, with the thread's error information when `object` reports errors through
// it for interface `iid`.
[[noreturn]] void RaiseComError(HRESULT hr, const std::string& what, IUnknown* object = nullptr,
                                const IID* iid = nullptr);

// Defines the classes and ComError in `module`.
void DefineObjects(py::module_& module);

} // namespace tavipy
