// Which application hosts the process.
#include "host/HostApplication.h"

#include <cstdlib>
#include <cstring>

namespace tavi::hostapp {

bool InDesktopApplication() {
    const char* app = std::getenv("TAVI_HOST_APP");
    return app && std::strcmp(app, "desktop") == 0;
}

bool InScriptingSession() {
    const char* scripting = std::getenv("TAVI_SCRIPTING");
    return scripting && std::strcmp(scripting, "1") == 0;
}

} // namespace tavi::hostapp
