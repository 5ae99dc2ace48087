// The scratch folder and the default workspace kept in it: where tools write intermediate and unnamed output.
#pragma once

#include "host/String.h"
#include "tavi/DataAccess.h"

namespace tavi {

// The scratch folder: TAVI_SCRATCH_FOLDER when set and not empty, else $XDG_CACHE_HOME/tavi/scratch when that is
// set to an absolute path, else $HOME/.cache/tavi/scratch. Empty when none of them can be had. Creates nothing.
String ScratchFolder();

// The default workspace: the GeoPackage "scratch.gpkg" in the scratch folder, the folder (with its parents) and the
// file made when missing. Another thread or process making the file at the same moment is not a failure. E_FAIL
// without a scratch folder; TAVI_E_DATA_ACCESS_DENIED when the folder cannot be made; the data access codes when
// the file cannot be made or opened.
HRESULT OpenDefaultWorkspace(IWorkspace** workspace);

} // namespace tavi
