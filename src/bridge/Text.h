// Text forms the command line shares: identifiers, result codes, and the JSON type used for every request and reply.
#pragma once

#include "tavi/Platform.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavigp {

// Replies keep their keys in insertion order so that "ok" comes first and scripts can read them by eye.
using Json = nlohmann::ordered_json;

// A request the bridge cannot carry out as written (unknown name, wrong argument kind or count). It becomes a reply
// with "ok": false and the message as "error"; the session goes on.
class BridgeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::string GuidToText(const GUID& guid);
// Parses the braced form, in either case; nothing for any other text.
std::optional<GUID> GuidFromText(std::string_view text);

// "0x80004003".
std::string HrText(HRESULT hr);
// The constant's name ("E_POINTER"), or empty when the code has no known name.
std::string_view HrName(HRESULT hr);
// Both, as messages show a code: "0x80004003 (E_POINTER)", or the number alone when it has no known name.
std::string HrTextAndName(HRESULT hr);

// UTF-8 <-> UTF-16 at the JSON edge; ill-formed input becomes U+FFFD.
std::string Narrow(std::u16string_view text);
std::u16string Widen(std::string_view text);

// One reply line: compact JSON, invalid text replaced rather than thrown on.
std::string DumpLine(const Json& reply);

} // namespace tavigp
