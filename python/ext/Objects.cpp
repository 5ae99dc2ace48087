// The Python face of the library's objects.
#include "Objects.h"

#include "Convert.h"

#include "bridge/ClassTable.h"
#include "bridge/StreamContent.h"

#include "tavi/GPMessage.h"
#include "tavi/GPValue.h"

#include "platform/BStr.h"

#include <pybind11/stl.h>

namespace tavipy {

using tavigp::Json;

namespace {

std::vector<std::string> KindsOf(const std::string& signature) {
    std::vector<std::string> kinds;
    size_t from = 0;
    while (from < signature.size()) {
        size_t comma = signature.find(", ", from);
        kinds.push_back(signature.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        from = comma == std::string::npos ? signature.size() : comma + 2;
    }
    return kinds;
}

// The interfaces that have bound operations, by name.
const std::map<std::string, IID>& Interfaces() {
    static const auto interfaces = [] {
        std::map<std::string, IID> made;
        for (const auto& [name, info] : Operations())
            made.emplace(info.interface, info.binding->iid);
        return made;
    }();
    return interfaces;
}

// The operations of every interface by their short name ("SetAsText").
const std::multimap<std::string, const OperationInfo*>& ByShortName() {
    static const auto operations = [] {
        std::multimap<std::string, const OperationInfo*> made;
        for (const auto& [name, info] : Operations())
            made.emplace(info.shortName, &info);
        return made;
    }();
    return operations;
}

bool Answers(IUnknown* unknown, const IID& iid) {
    void* target = nullptr;
    if (FAILED(unknown->QueryInterface(iid, &target)) || !target)
        return false;
    static_cast<IUnknown*>(target)->Release();
    return true;
}

std::string Described(const std::string& className) {
    return className.empty() ? "the object" : "'" + className + "'";
}

// The one operation `shortName` names among the interfaces the object answers. Objects of one class answer the same
// interfaces, so the answer is kept per class (under the interpreter's lock, as every attribute look-up runs).
const OperationInfo* Resolve(const tavi::ComPtr<IUnknown>& unknown, const std::string& className,
                             const std::string& shortName) {
    static std::map<std::string, const OperationInfo*> resolved;
    std::string key = className + "." + shortName;
    if (!className.empty())
        if (auto found = resolved.find(key); found != resolved.end())
            return found->second;
    std::vector<const OperationInfo*> answered;
    auto [first, last] = ByShortName().equal_range(shortName);
    for (auto it = first; it != last; ++it)
        if (Answers(unknown.Get(), it->second->binding->iid))
            answered.push_back(it->second);
    if (answered.empty())
        throw py::attribute_error(Described(className) + " has no attribute or operation '" + shortName + "'");
    if (answered.size() > 1) {
        std::string names;
        for (const OperationInfo* info : answered)
            names += (names.empty() ? "" : ", ") + info->name;
        throw py::attribute_error("'" + shortName + "' is ambiguous on " + Described(className) + " (" + names +
                                  "): call it through the interface, as object." + answered.front()->name);
    }
    if (!className.empty())
        resolved.emplace(key, answered.front());
    return answered.front();
}

std::string TextOf(IUnknown* unknown) {
    auto value = tavi::QueryAs<IGPValue>(unknown);
    tavi::BStr text;
    if (!value || FAILED(value->GetAsText(text.Out())))
        return {};
    return tavigp::Narrow(text.view());
}

// A value's text form; other objects as their representation (a message's own, too).
py::str Str(const py::object& self) {
    const Object& object = self.cast<const Object&>();
    if (tavi::QueryAs<IGPValue>(object.unknown.Get()))
        return py::str(TextOf(object.unknown.Get()));
    return py::repr(self);
}

std::string Repr(const Object& self) {
    std::string repr = "<tavi." + (self.className.empty() ? std::string("Object") : self.className);
    if (tavi::QueryAs<IGPValue>(self.unknown.Get()))
        repr += " " + py::repr(py::str(TextOf(self.unknown.Get()))).cast<std::string>();
    return repr + ">";
}

// An interface or operation found by name; kept in the instance's dictionary, so that the next look-up of the name
// finds it there without coming here.
py::object GetAttr(const py::object& instance, const std::string& name) {
    if (name.starts_with("__"))
        throw py::attribute_error(name);
    const Object& self = instance.cast<const Object&>();
    py::object found;
    if (auto interface = Interfaces().find(name); interface != Interfaces().end()) {
        if (!Answers(self.unknown.Get(), interface->second))
            throw py::attribute_error(Described(self.className) + " does not answer " + name);
        found = py::cast(Interface{self.unknown, self.className, name});
    } else {
        found = py::cast(Operation{self.unknown, self.className, Resolve(self.unknown, self.className, name)});
    }
    instance.attr("__dict__")[py::str(name)] = found;
    return found;
}

py::object InterfaceGetAttr(const py::object& instance, const std::string& name) {
    if (name.starts_with("__"))
        throw py::attribute_error(name);
    const Interface& self = instance.cast<const Interface&>();
    auto operation = Operations().find(self.name + "." + name);
    if (operation == Operations().end())
        throw py::attribute_error(self.name + " has no operation '" + name + "'");
    py::object found = py::cast(Operation{self.unknown, self.className, &operation->second});
    instance.attr("__dict__")[py::str(name)] = found;
    return found;
}

// The interfaces the object answers and the operations it can be asked for by their short names.
py::list Dir(const Object& self) {
    py::list names;
    std::map<std::string, int> shortNames;
    for (const auto& [name, iid] : Interfaces()) {
        if (!Answers(self.unknown.Get(), iid))
            continue;
        names.append(name);
        for (const auto& [full, info] : Operations())
            if (info.interface == name)
                ++shortNames[info.shortName];
    }
    for (const auto& [name, count] : shortNames)
        if (count == 1)
            names.append(name);
    return names;
}

bool Equal(const Object& self, const py::object& other) {
    const Object& that = other.cast<const Object&>();
    auto mine = tavi::QueryAs<IClone>(self.unknown.Get());
    auto theirs = tavi::QueryAs<IClone>(that.unknown.Get());
    if (!mine || !theirs)
        return tavi::SameObject(self.unknown.Get(), that.unknown.Get());
    VARIANT_BOOL equal = VARIANT_FALSE;
    HRESULT hr = mine->IsEqual(theirs.Get(), &equal);
    if (FAILED(hr))
        RaiseComError(hr, "IClone.IsEqual");
    return equal != VARIANT_FALSE;
}

py::object Copy(const Object& self) {
    auto clone = tavi::QueryAs<IClone>(self.unknown.Get());
    if (!clone)
        throw py::type_error(Described(self.className) + " cannot be copied: it does not answer IClone");
    tavi::ComPtr<IClone> copy;
    HRESULT hr = clone->Clone(copy.Out());
    if (FAILED(hr) || !copy)
        RaiseComError(FAILED(hr) ? hr : E_POINTER, "IClone.Clone");
    return Wrap(tavi::ComPtr<IUnknown>(copy.Get()), self.className);
}

py::object Load(const std::string& classId, const py::bytes& data) {
    auto guid = tavigp::GuidFromText(classId);
    if (!guid)
        throw py::value_error("not a class identifier: " + classId);
    std::string bytes = data;
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = tavigp::LoadStreamForm(*guid, std::vector<uint8_t>(bytes.begin(), bytes.end()), object);
    if (FAILED(hr))
        RaiseComError(hr, "loading the stream form of " + classId);
    const tavigp::ClassRow* row = tavigp::ClassOf(object.Get());
    return Wrap(std::move(object), row ? row->name : std::string());
}

py::tuple Reduce(const Object& self) {
    CLSID classId{};
    std::vector<uint8_t> bytes;
    HRESULT hr = tavigp::SaveStreamForm(self.unknown.Get(), classId, bytes);
    if (hr == E_NOINTERFACE)
        throw py::type_error(Described(self.className) + " cannot be pickled: it has no stream form");
    if (FAILED(hr))
        RaiseComError(hr, "IPersistStream.Save");
    // A function of the package, not of the extension: pickle finds a Python function by its module and name.
    py::object load = py::module_::import("tavi").attr("_load");
    return py::make_tuple(load, py::make_tuple(tavigp::GuidToText(classId),
                                               py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

int32_t MessageNumber(const Message& self, HRESULT (IGPMessage::*get)(int32_t*), const char* what) {
    int32_t number = 0;
    HRESULT hr = (tavi::QueryAs<IGPMessage>(self.unknown.Get()).Get()->*get)(&number);
    if (FAILED(hr))
        RaiseComError(hr, what);
    return number;
}

std::string MessageDescription(const Message& self) {
    tavi::BStr text;
    HRESULT hr = tavi::QueryAs<IGPMessage>(self.unknown.Get())->get_Description(text.Out());
    if (FAILED(hr))
        RaiseComError(hr, "IGPMessage.get_Description");
    return tavigp::Narrow(text.view());
}

std::string OperationRepr(const Operation& self) {
    return "<operation " + self.info->name + "(" + self.info->binding->signature + ")>";
}

} // namespace

const std::map<std::string, OperationInfo>& Operations() {
    static const auto operations = [] {
        std::map<std::string, OperationInfo> made;
        for (const auto& [name, binding] : tavigp::Bindings().All()) {
            OperationInfo info;
            info.name = name;
            size_t dot = name.find('.');
            info.interface = name.substr(0, dot);
            info.shortName = name.substr(dot + 1);
            info.binding = &binding;
            for (std::string& kind : KindsOf(binding.signature))
                (kind.starts_with("out ") ? info.outKinds : info.inKinds).push_back(std::move(kind));
            made.emplace(name, std::move(info));
        }
        return made;
    }();
    return operations;
}

py::object Wrap(tavi::ComPtr<IUnknown> unknown, std::string className) {
    if (!unknown)
        return py::none();
    if (tavi::QueryAs<IGPMessage>(unknown.Get())) {
        Message message;
        message.unknown = std::move(unknown);
        message.className = std::move(className);
        return py::cast(std::move(message));
    }
    return py::cast(Object{std::move(unknown), std::move(className)});
}

void RaiseComError(HRESULT hr, const std::string& what, IUnknown* object, const IID* iid) {
    // The thread's error information belongs to this failure only when the object says it reports errors that way
    // on the interface called; otherwise it may be left over from another call, and is not taken.
    std::string description;
    auto reports = tavi::QueryAs<ISupportErrorInfo>(object);
    tavi::ComPtr<IErrorInfo> info;
    if (reports && iid && reports->InterfaceSupportsErrorInfo(*iid) == S_OK && GetErrorInfo(0, info.Out()) == S_OK &&
        info) {
        tavi::BStr text;
        if (SUCCEEDED(info->GetDescription(text.Out())))
            description = tavigp::Narrow(text.view());
    }
    std::string name(tavigp::HrName(hr));
    std::string message = what + " failed: " + tavigp::HrText(hr) + (name.empty() ? "" : " " + name) +
                          (description.empty() ? "" : ": " + description);
    py::object type = py::module_::import("tavi._tavi").attr("ComError");
    py::object error = type(message);
    error.attr("hr") = static_cast<uint32_t>(hr);
    error.attr("name") = name;
    error.attr("description") = description;
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

py::object Call(const Operation& operation, const py::args& args, const std::vector<size_t>& nullOuts,
                bool withResult) {
    const OperationInfo& info = *operation.info;
    if (args.size() != info.inKinds.size())
        throw py::type_error(info.name + "() takes " + std::to_string(info.inKinds.size()) + " argument(s) (" +
                             info.binding->signature + "), " + std::to_string(args.size()) + " given");
    CallObjects objects;
    Json in = Json::array();
    for (size_t i = 0; i < args.size(); ++i)
        in.push_back(ToJson(args[i], info.inKinds[i], objects));
    tavigp::CallOutcome outcome;
    try {
        py::gil_scoped_release unlocked;
        outcome = tavigp::CallBound(objects.session, info.name, *info.binding, operation.unknown.Get(), in,
                                    std::set<size_t>(nullOuts.begin(), nullOuts.end()));
    } catch (const tavigp::BridgeError& error) {
        throw py::value_error(error.what());
    }
    if (FAILED(outcome.hr))
        RaiseComError(outcome.hr, info.name, operation.unknown.Get(), &info.binding->iid);
    py::object result = py::none();
    if (outcome.outs.size() == 1) {
        result = FromJson(outcome.outs[0], info.outKinds[0], objects);
    } else if (!outcome.outs.empty()) {
        py::tuple outs(outcome.outs.size());
        for (size_t i = 0; i < outcome.outs.size(); ++i)
            outs[i] = FromJson(outcome.outs[i], info.outKinds[i], objects);
        result = std::move(outs);
    }
    return withResult ? py::make_tuple(static_cast<uint32_t>(outcome.hr), result) : result;
}

void DefineObjects(py::module_& module) {
    py::object comError =
        py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc("tavi.ComError",
                                                                    "An operation of a library object failed: hr (the "
                                                                    "result code), name (its name) and description "
                                                                    "(the error information), when known.",
                                                                    nullptr, nullptr));
    module.attr("ComError") = comError;

    py::class_<Object>(module, "Object", py::dynamic_attr(),
                       "A library object: its interfaces and operations are its attributes.")
        .def("__getattr__", &GetAttr)
        .def("__dir__", &Dir)
        .def("__str__", &Str)
        .def("__repr__", &Repr)
        .def("__eq__",
             [](const Object& self, const py::object& other) -> py::object {
                 if (!py::isinstance<Object>(other))
                     return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 return py::bool_(Equal(self, other));
             })
        .def("__copy__", &Copy)
        .def("__deepcopy__", [](const Object& self, const py::object&) { return Copy(self); })
        .def("__reduce__", &Reduce)
        .def_readonly("class_name", &Object::className, "The class the object reports; empty when none.")
        .def(
            "answers",
            [](const Object& self, const std::string& interface) {
                auto found = Interfaces().find(interface);
                return found != Interfaces().end() && Answers(self.unknown.Get(), found->second);
            },
            "Whether the object answers the interface (one with bound operations).")
        .def(
            "same",
            [](const Object& self, const Object& other) {
                return tavi::SameObject(self.unknown.Get(), other.unknown.Get());
            },
            "Whether both are the same library object.");

    py::class_<Message, Object>(module, "Message", py::dynamic_attr(),
                                "A message: a warning, an error or information about a value.")
        .def_property_readonly(
            "type",
            [](const Message& self) { return MessageNumber(self, &IGPMessage::get_Type, "IGPMessage.get_Type"); })
        .def_property_readonly("code",
                               [](const Message& self) {
                                   return MessageNumber(self, &IGPMessage::get_ErrorCode, "IGPMessage.get_ErrorCode");
                               })
        .def_property_readonly("description", &MessageDescription)
        .def("__repr__", [](const Message& self) {
            return "<tavi.Message type " +
                   std::to_string(MessageNumber(self, &IGPMessage::get_Type, "IGPMessage.get_Type")) + ", code " +
                   std::to_string(MessageNumber(self, &IGPMessage::get_ErrorCode, "IGPMessage.get_ErrorCode")) + ": " +
                   py::repr(py::str(MessageDescription(self))).cast<std::string>() + ">";
        });

    py::class_<Interface>(module, "Interface", py::dynamic_attr(),
                          "A library object seen through one of its interfaces.")
        .def("__getattr__", &InterfaceGetAttr)
        .def("__dir__",
             [](const Interface& self) {
                 py::list names;
                 for (const auto& [full, info] : Operations())
                     if (info.interface == self.name)
                         names.append(info.shortName);
                 return names;
             })
        .def("__repr__", [](const Interface& self) {
            return "<tavi." + (self.className.empty() ? std::string("Object") : self.className) + " as " + self.name +
                   ">";
        });

    py::class_<Operation>(module, "Operation", "One operation of a library object; call it with its in arguments.")
        .def("__call__", &Call, py::kw_only(), py::arg("nullout") = std::vector<size_t>(),
             py::arg("result_code") = false)
        .def("__repr__", &OperationRepr)
        .def_property_readonly("name", [](const Operation& self) { return self.info->name; })
        .def_property_readonly("signature", [](const Operation& self) { return self.info->binding->signature; });

    module.def(
        "load_stream_form", &Load, py::arg("class_id"), py::arg("data"),
        "Makes an object of the class `class_id` ('{...}') from its stream form, as IPersistStream.Save wrote it.");
}

} // namespace tavipy
