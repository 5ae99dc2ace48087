// The data access's creatable classes: see DataClasses.h.
#include "data/DataClasses.h"

#include "data/Field.h"
#include "data/RecordSet.h"
#include "data/ServiceInputLayer.h"
#include "data/TableDescription.h"

#include <iterator>

namespace tavi {

namespace {

const HostClassRow kDataClasses[] = {
    {Field::kClassId, Field::kClassName, &CreateInstance<Field>},
    {RasterDef::kClassId, RasterDef::kClassName, &CreateInstance<RasterDef>},
    {TableDescription::kClassId, TableDescription::kClassName, &CreateInstance<TableDescription>},
    {RecordSet::kClassId, RecordSet::kClassName, &CreateInstance<RecordSet>},
    {ServiceInputLayer::kClassId, ServiceInputLayer::kClassName, &CreateInstance<ServiceInputLayer>},
};

} // namespace

const HostClassRow* DataClassTable(size_t* count) {
    *count = std::size(kDataClasses);
    return kDataClasses;
}

} // namespace tavi
