// The host's in-memory record set (IRecordSet, IRecordSetInit): a RecordData behind the component interfaces, with
// its stored forms and the reading and writing of tables through OGR.
#pragma once

#include "data/RecordData.h"
#include "tavi/RecordSet.h"

#include <memory>

namespace tavi {

// A new record set object over `data` (shared, never changed afterwards).
HRESULT MakeRecordSet(std::shared_ptr<const RecordData> data, IRecordSet** recordSet);

// The content of a record set object made by this library; null for any other object.
std::shared_ptr<const RecordData> RecordDataOf(IUnknown* recordSet);

} // namespace tavi
