// The `--env NAME=TEXT` option that commands share: environment settings of the process set for one run, through
// the library's environment manager.
#pragma once

#include "platform/ComPtr.h"
#include "tavi/GPEnvironment.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavigp {

// Takes `--env NAME=TEXT` or `--env=NAME=TEXT` at args[i] (moving i past a separate value) into `assignments`;
// false when args[i] is another word. A missing or malformed NAME=TEXT is a UsageError.
bool TakeEnvironmentOption(const std::vector<std::string>& args, size_t& i, std::vector<std::string>& assignments);

// The process's environment manager, or null after a line on standard error naming `command`.
tavi::ComPtr<IGPEnvironmentManager> OpenEnvironmentManager(std::string_view command);

// Sets each NAME=TEXT through `manager`; false after a line on standard error for the first setting that is
// unknown or refuses its text (the setting's message says why).
bool ApplyEnvironmentSettings(IGPEnvironmentManager* manager, const std::vector<std::string>& assignments,
                              std::string_view command);

} // namespace tavigp
