// Which application hosts the process, for the parts of the library that behave differently inside the desktop
// application or while scripts run.
#pragma once

namespace tavi::hostapp {

// True when the process is the desktop application: the environment names it with TAVI_HOST_APP=desktop. Read on
// every call, so a host that sets it late is still seen.
bool InDesktopApplication();
// True when the process runs scripts, where users type values rather than pick them: TAVI_SCRIPTING=1.
bool InScriptingSession();

} // namespace tavi::hostapp
