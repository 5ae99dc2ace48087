// The locale for number and date text, and the localized string resources beside the library.
#pragma once

#include "tavi/Platform.h"

#include <string>

namespace tavi {

class LocalizedStrings;

class TAVILocale {
public:
    // The locale for number and date text: the user default locale.
    static LCID GetLocale();
    // Loads the localized string table for the user default locale from the folder of `module` (a path of a file in
    // it; null or empty: the library's own file, found with dladdr): "taviGeoprocessing.<locale>.strings", tried with
    // the full locale name ("de_CH") and then its language ("de"). Makes the table the active one and returns it as a
    // handle, or null when there is none. Free it with FreeLocalizedRes.
    static LocalizedStrings* LoadLocalizedRes(const char* module);
    // Frees a handle of LoadLocalizedRes; deactivates it first when it is the active table.
    static void FreeLocalizedRes(LocalizedStrings* handle);
    // The folder holding the library's file (empty when it cannot be told).
    static std::string LibraryFolder();
};

} // namespace tavi
