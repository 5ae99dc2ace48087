// The current project of the process as commands set it: `--project PATH` on `tavigp value`, the PATH of
// `tavigp project`, put through the utility object's project operations.
#pragma once

#include "platform/ComPtr.h"
#include "tavi/GPUtilities.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavigp {

// Takes `--project PATH` or `--project=PATH` at args[i] (moving i past a separate value) into `path`; false when
// args[i] is another word. A missing PATH is a UsageError.
bool TakeProjectOption(const std::vector<std::string>& args, size_t& i, std::string& path);

// A utility object whose current project is the document at `path`, or null after a line on standard error naming
// `command` and the reader's message (what is wrong and where).
tavi::ComPtr<IGPProjectUtilities> OpenProject(const std::string& path, std::string_view command);

} // namespace tavigp
