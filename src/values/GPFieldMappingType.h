// The field mapping data type: all behaviour of the data type base, and a description of a mapping's input tables
// for an editing control (IGPValueUISupport):
//   <value-support schema_locked='false'><source value='roads' layer_id='0' path='/data/roads.shp'>
//   <field name='NAME' type='Text' length='32'/>...</source>...</value-support>
// one source per input table (its name, its position among the input tables and its catalog path) with its fields
// in order; schema_locked is 'true' when the mapping has a target table, whose schema then fixes the output. Texts
// are escaped for XML attributes.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPFieldMapping.h"
#include "tavi/GPUnits.h"

namespace tavi {

class GPFieldMappingType final
    : public GPDataType<GPFieldMappingType, IGPFieldMappingType, IGPDataType, IClone, IGPValueUISupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPFieldMappingType;
    static constexpr const char16_t* kClassName = u"GPFieldMappingType";
    static constexpr CLSID kControlClassId{
        0x55348748, 0x2BE4, 0x4F55, {0xA9, 0x71, 0xAE, 0xE8, 0xC8, 0x9A, 0x8A, 0xFF}};
    static constexpr int32_t kDisplayNameId = 4748;

    GPFieldMappingType()
        : GPDataType({u"GPFieldMapping", kDisplayNameId, kClassId, CLSID_GPFieldMapping, kControlClassId,
                      IGPFieldMappingType::iid, IGPFieldMapping::iid}) {}

    // IGPValueUISupport: S_FALSE and null for a value that is no field mapping.
    HRESULT GetValueSupport(IGPValue* value, BSTR* support) override;
};

} // namespace tavi
