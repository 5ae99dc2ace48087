// The command table of `tavigp`. Each command lives in a file of its own (cmd_<name>.cpp) and adds itself to the
// table with one static CommandRegistration, so adding a command touches no other file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavigp {

// Exit statuses shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the command ran and the library or the store reported a failure
constexpr int kExitUsage = 2;   // the command line itself was wrong

// Thrown by a command whose arguments are wrong; main prints it with a hint and exits with kExitUsage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string_view name;    // the first word after `tavigp`
    std::string_view summary; // one line for the command list
    std::string_view help;    // the full text of `tavigp <name> --help`, starting with the usage line
    // Runs with the words after the command's name; returns the exit status. --help never reaches it.
    int (*run)(const std::vector<std::string>& args);
};

struct CommandRegistration {
    explicit CommandRegistration(const Command& command);
};

// The commands in name order.
std::vector<const Command*> AllCommands();
const Command* FindCommand(std::string_view name);

} // namespace tavigp
