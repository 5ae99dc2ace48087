// tavigp: the command-line host of the library. It reaches the library only through its exported functions.
#include "Command.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace tavigp;

void PrintCommandList(std::ostream& out) {
    out << "usage: tavigp <command> [arguments]\n\ncommands:\n";
    for (const Command* command : AllCommands()) {
        std::string name(command->name);
        name.resize(std::max<size_t>(name.size(), 12), ' ');
        out << "  " << name << command->summary << "\n";
    }
    out << "\n'tavigp <command> --help' tells more about a command.\n";
}

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h")
            return true;
    return false;
}

int Run(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        PrintCommandList(std::cerr);
        return kExitUsage;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        if (words.size() > 1)
            if (const Command* command = FindCommand(words[1])) {
                std::cout << command->help;
                return kExitOk;
            }
        PrintCommandList(std::cout);
        return kExitOk;
    }
    const Command* command = FindCommand(words[0]);
    if (!command) {
        std::cerr << "tavigp: unknown command '" << words[0] << "'\n";
        PrintCommandList(std::cerr);
        return kExitUsage;
    }
    std::vector<std::string> args(words.begin() + 1, words.end());
    if (AsksForHelp(args)) {
        std::cout << command->help;
        return kExitOk;
    }
    try {
        return command->run(args);
    } catch (const UsageError& error) {
        std::cerr << "tavigp " << command->name << ": " << error.what() << "\n"
                  << "Try 'tavigp " << command->name << " --help'.\n";
        return kExitUsage;
    }
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "tavigp: " << error.what() << "\n";
        return kExitFailure;
    }
}
