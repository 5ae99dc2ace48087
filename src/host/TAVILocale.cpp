// The locale for number and date text, and the localized string table loaded from beside the library.
#include "host/TAVILocale.h"

#include "host/StringTable.h"
#include "platform/Locale.h"

#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tavi {

namespace {

// A localized table larger than this is not a table of strings; it is refused instead of read into memory.
constexpr std::streamoff kMaxTableBytes = 16 * 1024 * 1024;

bool ReadSmallFile(const std::string& path, std::string* content) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxTableBytes)
        return false;
    file.seekg(0, std::ios::beg);
    content->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

LCID TAVILocale::GetLocale() {
    return GetUserDefaultLCID();
}

std::string TAVILocale::LibraryFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&TAVILocale::LibraryFolder), &info) || !info.dli_fname)
        return {};
    return FolderOf(info.dli_fname);
}

LocalizedStrings* TAVILocale::LoadLocalizedRes(const char* module) {
    try {
        std::string folder = (module && *module) ? FolderOf(module) : LibraryFolder();
        if (folder.empty())
            return nullptr;
        std::string name = locale::IcuName(GetLocale()); // "de_CH"
        std::string candidates[2] = {name, name.substr(0, name.find('_'))};
        for (const std::string& candidate : candidates) {
            if (candidate.empty())
                continue;
            std::string content;
            if (!ReadSmallFile(folder + "/taviGeoprocessing." + candidate + ".strings", &content))
                continue;
            LocalizedStrings* table = ParseLocalizedStrings(content);
            SetActiveLocalizedStrings(table);
            return table;
        }
    } catch (...) {
        // No localized table: the built-in English texts serve.
    }
    return nullptr;
}

void TAVILocale::FreeLocalizedRes(LocalizedStrings* handle) {
    FreeLocalizedStrings(handle);
}

} // namespace tavi
