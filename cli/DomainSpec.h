// The domains `tavigp value --domain SPEC` describes: "KIND:LIST" with the kinds coded, range, numeric (value
// domains) and fields, shapes, ext, workspace, datasets, elements (domains over data).
#pragma once

#include "platform/ComPtr.h"
#include "tavi/GPValue.h"

#include <string>

namespace tavigp {

// Throws UsageError for an unknown kind, bad bounds or a type text the host does not know.
void CheckDomainSpec(const std::string& spec);
// The domain of a checked SPEC; throws std::runtime_error when the library cannot make it.
tavi::ComPtr<IGPDomain> MakeDomain(const std::string& spec);
// True for "fields:...", whose verdict is given per field of the value's data.
bool IsFieldDomainSpec(const std::string& spec);

} // namespace tavigp
