// The data types of the point, line and polygon values: GPPointType, GPLineType and GPPolygonType. All three are
// pure data on the data type base: each accepts its own type and validates values of its own kind.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPShapes.h"

namespace tavi {

class GPPointType final : public GPDataType<GPPointType, IGPPointType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPPointType;
    static constexpr const char16_t* kClassName = u"GPPointType";
    static constexpr int32_t kDisplayNameId = 4673;
    GPPointType();
};

class GPLineType final : public GPDataType<GPLineType, IGPLineType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPLineType;
    static constexpr const char16_t* kClassName = u"GPLineType";
    static constexpr int32_t kDisplayNameId = 4656;
    GPLineType();
};

class GPPolygonType final : public GPDataType<GPPolygonType, IGPPolygonType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPPolygonType;
    static constexpr const char16_t* kClassName = u"GPPolygonType";
    static constexpr int32_t kDisplayNameId = 4677;
    GPPolygonType();
};

} // namespace tavi
