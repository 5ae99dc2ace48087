// The domain base's shared part.
#include "host/GPDomain.h"

#include "host/GPValue.h"
#include "host/ValueResolver.h"

namespace tavi {

HRESULT GPDomainCore::UnpackValue(IGPValue* value, IGPValue** actual) {
    return ResolveValue(value, actual);
}

HRESULT GPDomainCore::CoreClone(IClone* self, IClone** clone) {
    return CloneByClass(classId_, self, clone);
}

HRESULT GPDomainCore::CoreIsIdentical(IClone* self, IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(self, other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

} // namespace tavi
