// `tavigp eval`: the automation bridge. One JSON request per line on standard input, one JSON reply per line on
// standard output, flushed after each; see docs/bridge.md.
#include "Command.h"
#include "bridge/Requests.h"

#include <iostream>

namespace tavigp {
namespace {

Json ReplyTo(Session& session, const std::string& line) {
    Json request;
    try {
        request = Json::parse(line);
    } catch (const Json::parse_error& error) {
        return {{"ok", false}, {"error", std::string("not JSON: ") + error.what()}};
    }
    return HandleRequest(session, request);
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

int RunEval(const std::vector<std::string>& args) {
    if (!args.empty())
        throw UsageError("unexpected argument '" + args.front() + "' (requests come on standard input)");
    Session session;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (IsBlank(line))
            continue;
        std::cout << DumpLine(ReplyTo(session, line)) << "\n" << std::flush;
    }
    return kExitOk; // the session's objects are released as it ends
}

const Command kEval{
    "eval",
    "drive the library with JSON requests (the automation bridge)",
    "usage: tavigp eval < requests\n"
    "\n"
    "Reads one JSON request per line from standard input and writes one JSON reply per line to standard output,\n"
    "flushed after each. Blank lines are skipped. Every reply has \"ok\": true when the request was carried out\n"
    "(whatever result code the library answered), or \"ok\": false with an \"error\" text when the request was\n"
    "malformed; the session goes on either way. At the end of input every session object is released.\n"
    "\n"
    "Requests:\n"
    "  {\"new\": \"GPString\", \"as\": \"s\"}                         create by class name, prog id or {class id}\n"
    "  {\"release\": \"s\"}  {\"same\": [\"a\", \"b\"]}  {\"objects\": true}  {\"ops\": true}\n"
    "  {\"call\": \"IGPValue.SetAsText\", \"on\": \"s\", \"args\": [\"10 meters\"], \"nullout\": [0]}\n"
    "  {\"stream\": \"new\" | \"fromhex\" | \"hex\" | \"rewind\", …}         memory streams\n"
    "  {\"xml\": \"write\" | \"read\", …}  {\"json\": \"write\" | \"read\", …}\n"
    "  {\"thread\": 2, \"do\": {…}}  {\"threadlocale\": 1054}\n"
    "  {\"dll\": \"DllCanUnloadNow\" | \"DllGetClassObject\" | \"taviDllRegisterServer\" | …}\n"
    "  {\"reg\": \"get\" | \"set\" | \"keys\", \"key\": \"HKEY_CLASSES_ROOT\\\\…\", …}\n"
    "\n"
    "docs/bridge.md describes every request and the marshalling of arguments.\n",
    &RunEval,
};
const CommandRegistration kRegistration{kEval};

} // namespace
} // namespace tavigp
