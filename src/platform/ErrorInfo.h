// Error information of the calling thread, as the library's classes report a failure beyond its result code.
#pragma once

#include "tavi/Unknown.h"

#include <string_view>

namespace tavi {

// Puts new error information with `source` (the reporting class's name) and `description` on the calling thread,
// replacing any earlier one, and answers `code`, so that a failing operation can end with `return ReportError(...)`.
// When the information cannot be made, the thread keeps what it had and `code` is still answered.
HRESULT ReportError(HRESULT code, std::u16string_view source, std::u16string_view description);

} // namespace tavi
