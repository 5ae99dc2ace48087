// The command table: filled by the static registrations of the cmd_*.cpp files before main runs.
#include "Command.h"

#include <algorithm>
#include <map>

namespace tavigp {

namespace {

// Built on first use so that registrations from any translation unit find it constructed.
std::map<std::string_view, const Command*>& Table() {
    static std::map<std::string_view, const Command*> table;
    return table;
}

} // namespace

CommandRegistration::CommandRegistration(const Command& command) {
    Table()[command.name] = &command;
}

std::vector<const Command*> AllCommands() {
    std::vector<const Command*> commands;
    for (const auto& [name, command] : Table())
        commands.push_back(command);
    return commands;
}

const Command* FindCommand(std::string_view name) {
    auto found = Table().find(name);
    return found == Table().end() ? nullptr : found->second;
}

} // namespace tavigp
