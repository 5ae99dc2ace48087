// `tavigp reg export [KEY]`: the registry store's keys and values in the usual registry text form.
#include "Command.h"
#include "bridge/RegistryAccess.h"
#include "bridge/Text.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace tavigp {
namespace {

constexpr const char* kExportHeader = "TAVI Registry Export 1.0";

// Backslashes and quotes are escaped inside quoted names and texts.
std::string Quoted(std::u16string_view text) {
    std::string out = "\"";
    for (char c : Narrow(text)) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ValueLine(const RegValue& value) {
    std::string line = value.name.empty() ? "@" : Quoted(value.name);
    char buffer[32];
    if (value.type == REG_SZ)
        return line + "=" + Quoted(value.text);
    if (value.type == REG_DWORD) {
        std::snprintf(buffer, sizeof buffer, "=dword:%08x", value.number);
        return line + buffer;
    }
    std::snprintf(buffer, sizeof buffer, "=hex(%x):", value.type);
    line += buffer;
    for (size_t i = 0; i < value.bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%s%02x", i ? "," : "", value.bytes[i]);
        line += buffer;
    }
    return line;
}

// Writes the key's section and then its subkeys', depth first in name order. A root without values gets no section
// of its own. Fails with the store's status when a key cannot be read.
LSTATUS ExportKey(const RegPath& path, std::ostream& out) {
    RegKey key;
    LSTATUS status = OpenKey(path, false, &key);
    if (status != ERROR_SUCCESS)
        return status;
    std::vector<RegValue> values;
    std::vector<std::u16string> subkeys;
    if ((status = Values(key.Get(), &values)) != ERROR_SUCCESS)
        return status;
    if ((status = SubkeyNames(key.Get(), &subkeys)) != ERROR_SUCCESS)
        return status;
    if (!path.subKey.empty() || !values.empty()) {
        out << "\n[" << path.Text() << "]\n";
        for (const RegValue& value : values)
            out << ValueLine(value) << "\n";
    }
    std::sort(subkeys.begin(), subkeys.end());
    for (const std::u16string& name : subkeys) {
        RegPath child = path;
        child.subKey = path.subKey.empty() ? name : path.subKey + u"\\" + name;
        if ((status = ExportKey(child, out)) != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

int RunExport(const std::vector<std::string>& args) {
    if (args.size() > 1)
        throw UsageError("unexpected argument '" + args[1] + "'");
    std::vector<RegPath> paths;
    if (args.empty()) {
        paths = {*ParseRegPath("HKEY_CLASSES_ROOT"), *ParseRegPath("HKEY_CURRENT_USER")};
    } else if (auto path = ParseRegPath(args[0])) {
        paths.push_back(*path);
    } else {
        throw UsageError("'" + args[0] + "' is not a key path under HKEY_CLASSES_ROOT or HKEY_CURRENT_USER");
    }
    if (!args.empty()) {
        // A key asked for by name must be there; the header is written only once it is known to be.
        RegKey key;
        if (LSTATUS status = OpenKey(paths.front(), false, &key); status != ERROR_SUCCESS) {
            std::cerr << "tavigp reg export: cannot read " << paths.front().Text() << ": " << RegStatusText(status)
                      << "\n";
            return kExitFailure;
        }
    }
    std::cout << kExportHeader << "\n";
    for (const RegPath& path : paths) {
        LSTATUS status = ExportKey(path, std::cout);
        // An absent root is only an empty store; an absent key that was asked for by name is an error.
        if (status == ERROR_FILE_NOT_FOUND && args.empty())
            continue;
        if (status != ERROR_SUCCESS) {
            std::cout.flush();
            std::cerr << "tavigp reg export: cannot read " << path.Text() << ": " << RegStatusText(status) << "\n";
            return kExitFailure;
        }
    }
    return kExitOk;
}

int RunReg(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("missing subcommand (export)");
    if (args[0] != "export")
        throw UsageError("unknown subcommand '" + args[0] + "'");
    return RunExport({args.begin() + 1, args.end()});
}

const Command kReg{
    "reg",
    "export the registry store as text",
    "usage: tavigp reg export [KEY]\n"
    "\n"
    "Writes the registry store's keys and values in registry text form: a header line, then one section per key,\n"
    "\"[HKEY_CLASSES_ROOT\\path]\", followed by its values, @=\"...\" for the default value, \"Name\"=\"text\" for\n"
    "REG_SZ and \"Name\"=dword:0000000a for REG_DWORD, with backslashes and quotes escaped. Subkeys follow their\n"
    "key, depth first, in name order.\n"
    "\n"
    "KEY names the key to start at, e.g. HKEY_CLASSES_ROOT\\CLSID (HKCR and HKCU abbreviate the roots); without it\n"
    "both roots are written. A key that is not there is an error (exit status 1).\n",
    &RunReg,
};
const CommandRegistration kRegistration{kReg};

} // namespace
} // namespace tavigp
