// Which application hosts the process, for the parts of the library below the utility services that behave
// differently inside the desktop application.
#pragma once

namespace tavi::hostapp {

// True when the process is the desktop application: the environment names it with TAVI_HOST_APP=desktop (the same
// rule the utility object applies). Read on every call, so a host that sets it late is still seen.
bool InDesktopApplication();

} // namespace tavi::hostapp
