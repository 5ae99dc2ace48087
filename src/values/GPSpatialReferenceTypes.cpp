// The data types of the spatial reference, coordinate system and coordinate range values.
#include "values/GPSpatialReferenceTypes.h"

namespace tavi {

GPSpatialReferenceType::GPSpatialReferenceType()
    : GPDataType({u"GPSpatialReference", kDisplayNameId, kClassId, CLSID_GPSpatialReference, GUID_NULL,
                  IGPSpatialReferenceType::iid, IGPSpatialReference::iid}) {}

GPCoordinateSystemType::GPCoordinateSystemType()
    : GPDataType({u"GPCoordinateSystem", kDisplayNameId, kClassId, CLSID_GPCoordinateSystem, GUID_NULL,
                  IGPCoordinateSystemType::iid, IGPCoordinateSystem::iid}) {}

GPXYDomainType::GPXYDomainType()
    : GPDataType({u"GPXYDomain", kDisplayNameId, kClassId, CLSID_GPXYDomain, GUID_NULL, IGPXYDomainType::iid,
                  IGPXYDomain::iid}) {}

GPZDomainType::GPZDomainType()
    : GPDataType(
          {u"GPZDomain", kDisplayNameId, kClassId, CLSID_GPZDomain, GUID_NULL, IGPZDomainType::iid, IGPZDomain::iid}) {}

GPMDomainType::GPMDomainType()
    : GPDataType(
          {u"GPMDomain", kDisplayNameId, kClassId, CLSID_GPMDomain, GUID_NULL, IGPMDomainType::iid, IGPMDomain::iid}) {}

} // namespace tavi
