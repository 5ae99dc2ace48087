// The text form of identifiers for the library's own use (registry key names, XML, display).
#pragma once

#include "tavi/Platform.h"

#include <string>

namespace tavi {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": braces included, upper-case hexadecimal, as StringFromGUID2 writes it.
std::u16string GuidText(REFGUID guid);

} // namespace tavi
