// The data types of the envelope and extent values.
#include "values/GPEnvelopeTypes.h"

#include "values/GPEnvelope.h"

namespace tavi {

GPEnvelopeType::GPEnvelopeType()
    : GPDataType({u"GPEnvelope", kDisplayNameId, kClassId, GPEnvelope::kClassId, GUID_NULL, IGPEnvelopeType::iid,
                  IGPEnvelope::iid}) {}

GPExtentType::GPExtentType()
    : GPDataType(
          {u"GPExtent", kDisplayNameId, kClassId, GPExtent::kClassId, GUID_NULL, IGPExtentType::iid, IGPExtent::iid}) {}

HRESULT GPExtentType::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    return ValidateDataTypeAgainst(other, {IGPExtentType::iid, IGPEnvelopeType::iid}, message);
}

} // namespace tavi
