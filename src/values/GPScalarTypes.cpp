// The data types of the boolean, numeric and date values.
#include "values/GPScalarTypes.h"

namespace tavi {

GPBooleanType::GPBooleanType()
    : GPDataType({u"GPBoolean", kDisplayNameId, kClassId, CLSID_GPBoolean, kControlClassId, IGPBooleanType::iid,
                  IGPBoolean::iid}) {}

GPLongType::GPLongType()
    : GPDataType({u"GPLong", kDisplayNameId, kClassId, CLSID_GPLong, kControlClassId, IGPLongType::iid, IGPLong::iid}) {
}

GPDoubleType::GPDoubleType()
    : GPDataType({u"GPDouble", kDisplayNameId, kClassId, CLSID_GPDouble, kControlClassId, IGPDoubleType::iid,
                  IGPDouble::iid}) {}

GPDateType::GPDateType()
    : GPDataType({u"GPDate", kDisplayNameId, kClassId, CLSID_GPDate, kControlClassId, IGPDateType::iid, IGPDate::iid}) {
}

} // namespace tavi
