// The data types of the spatial reference, coordinate system and coordinate range values. All are pure data on the
// data type base: each accepts its own type and validates values that answer its value's interface, so a spatial
// reference value (which answers IGPCoordinateSystem, IGPXYDomain and IGPZDomain too) is also a valid coordinate
// system, XY domain and Z domain: it carries each of them.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPSpatialReferenceValues.h"

namespace tavi {

class GPSpatialReferenceType final
    : public GPDataType<GPSpatialReferenceType, IGPSpatialReferenceType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPSpatialReferenceType;
    static constexpr const char16_t* kClassName = u"GPSpatialReferenceType";
    static constexpr int32_t kDisplayNameId = 4684;
    GPSpatialReferenceType();
};

class GPCoordinateSystemType final
    : public GPDataType<GPCoordinateSystemType, IGPCoordinateSystemType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPCoordinateSystemType;
    static constexpr const char16_t* kClassName = u"GPCoordinateSystemType";
    static constexpr int32_t kDisplayNameId = 4726;
    GPCoordinateSystemType();
};

class GPXYDomainType final : public GPDataType<GPXYDomainType, IGPXYDomainType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPXYDomainType;
    static constexpr const char16_t* kClassName = u"GPXYDomainType";
    static constexpr int32_t kDisplayNameId = 4715;
    GPXYDomainType();
};

class GPZDomainType final : public GPDataType<GPZDomainType, IGPZDomainType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPZDomainType;
    static constexpr const char16_t* kClassName = u"GPZDomainType";
    static constexpr int32_t kDisplayNameId = 4718;
    GPZDomainType();
};

class GPMDomainType final : public GPDataType<GPMDomainType, IGPMDomainType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPMDomainType;
    static constexpr const char16_t* kClassName = u"GPMDomainType";
    static constexpr int32_t kDisplayNameId = 4723;
    GPMDomainType();
};

} // namespace tavi
