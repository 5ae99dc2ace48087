// `tavigp classes`: the library's class table, one row per class.
#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include <algorithm>
#include <iostream>

namespace tavigp {
namespace {

std::string FactoryKindText(int32_t kind) {
    return kind == TaviFactorySingleton ? "singleton" : "plain";
}

std::string CategoriesText(const std::vector<CATID>& categories) {
    if (categories.empty())
        return "-";
    std::string text;
    for (const CATID& category : categories)
        text += (text.empty() ? "" : ",") + GuidToText(category);
    return text;
}

void PrintPadded(const std::string& text, size_t width) {
    std::cout << text << std::string(width > text.size() ? width - text.size() : 0, ' ') << "  ";
}

int RunClasses(const std::vector<std::string>& args) {
    bool pendingOnly = false, providedOnly = false;
    for (const std::string& arg : args) {
        if (arg == "--pending")
            pendingOnly = true;
        else if (arg == "--provided")
            providedOnly = true;
        else
            throw UsageError("unexpected argument '" + arg + "'");
    }
    const auto& rows = ClassRows();
    size_t nameWidth = 4;
    for (const ClassRow& row : rows)
        nameWidth = std::max(nameWidth, row.name.size());
    size_t provided = 0;
    for (const ClassRow& row : rows) {
        provided += row.provided;
        if ((pendingOnly && row.provided) || (providedOnly && !row.provided))
            continue;
        PrintPadded(row.name, nameWidth);
        PrintPadded(GuidToText(row.classId), 38);
        PrintPadded(row.ProgId(), nameWidth + kProgIdPrefix.size() + 1);
        PrintPadded(FactoryKindText(row.factoryKind), 9);
        std::cout << CategoriesText(row.categories) << (row.provided ? "" : "  (not yet provided)") << "\n";
    }
    std::cout << rows.size() << " classes, " << provided << " provided\n";
    return kExitOk;
}

const Command kClasses{
    "classes",
    "list the class table",
    "usage: tavigp classes [--provided | --pending]\n"
    "\n"
    "Lists the library's class table in table order, one class per line: the class name, the class identifier,\n"
    "the programmatic identifier, the factory kind (plain: a new object on every request; singleton: one object\n"
    "per thread), and the component categories the class implements besides the programmable-component category\n"
    "('-' for none). Classes the library does not provide yet are marked '(not yet provided)'. A last line counts\n"
    "the classes.\n"
    "\n"
    "  --provided   list only the classes the library can create\n"
    "  --pending    list only the classes not yet provided\n",
    &RunClasses,
};
const CommandRegistration kRegistration{kClasses};

} // namespace
} // namespace tavigp
