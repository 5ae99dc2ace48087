// Python values to the bridge's JSON forms and back, for one parameter kind at a time (the kinds of the binding
// table: "text", "number", "VARIANT", "object", "out BSTR", ...). Objects cross through the call's bridge session: an
// Object passed in is stored there under a name for the call, an object handed out is taken from there and wrapped.
#pragma once

#include "bridge/Session.h"

#include <pybind11/pybind11.h>

#include <string_view>

namespace tavipy {

namespace py = pybind11;

// The objects of one call.
class CallObjects {
public:
    CallObjects() { session.DescribeHandOuts(false); } // the objects go to Python themselves

    // {"object": name} for an Object passed in; TypeError for anything else.
    tavigp::Json In(const py::handle& value);
    // The Python object for an object the call handed out ({"object": "$N", "class": ...}).
    py::object Out(const tavigp::Json& handedOut);

    tavigp::Session session;

private:
    int nextIn_ = 0;
};

// The JSON form of an in argument of `kind`; TypeError when `value` has none.
tavigp::Json ToJson(const py::handle& value, std::string_view kind, CallObjects& objects);
// The Python value of an out argument of `kind`.
py::object FromJson(const tavigp::Json& value, std::string_view kind, CallObjects& objects);

} // namespace tavipy
