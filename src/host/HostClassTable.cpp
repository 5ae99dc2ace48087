// The host's own classes that AfCreateInstance creates before it asks the module or the registry.
#include "host/CreateInstance.h"

#include "host/CellSize.h"
#include "host/Envelope.h"
#include "host/GPName.h"
#include "host/Geometry.h"
#include "host/JsonObject.h"
#include "host/ListingOptions.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/ModelVariables.h"
#include "host/ObjectArray.h"
#include "host/PropertySet.h"
#include "host/QueryFilter.h"
#include "host/RangeDomain.h"
#include "host/SpatialReference.h"
#include "host/StringArray.h"
#include "host/TypeConverter.h"
#include "host/UID.h"
#include "host/ValueResolver.h"
#include "platform/CategoryManager.h"

#include <iterator>

namespace tavi {

namespace {

// One row per class: identifier, name, creator.
const HostClassRow kHostClasses[] = {
    {CLSID_StdComponentCategoriesMgr, u"ComponentCategoriesManager", &CreateCategoryManager},
    {GPMessage::kClassId, GPMessage::kClassName, &CreateInstance<GPMessage>},
    {GPMultiMessage::kClassId, GPMultiMessage::kClassName, &CreateInstance<GPMultiMessage>},
    {GPMessageMaker::kClassId, GPMessageMaker::kClassName, &CreateInstance<GPMessageMaker>},
    {GPValueResolver::kClassId, GPValueResolver::kClassName, &CreateInstance<GPValueResolver>},
    {UID::kClassId, UID::kClassName, &CreateInstance<UID>},
    {ObjectArray::kClassId, ObjectArray::kClassName, &CreateInstance<ObjectArray>},
    {GPName::kClassId, GPName::kClassName, &CreateInstance<GPName>},
    {Envelope::kClassId, Envelope::kClassName, &CreateInstance<Envelope>},
    {SpatialReference::kClassId, SpatialReference::kClassName, &CreateInstance<SpatialReference>},
    {Point::kClassId, Point::kClassName, &CreateInstance<Point>},
    {Polyline::kClassId, Polyline::kClassName, &CreateInstance<Polyline>},
    {Polygon::kClassId, Polygon::kClassName, &CreateInstance<Polygon>},
    {RangeDomain::kClassId, RangeDomain::kClassName, &CreateInstance<RangeDomain>},
    {CellSize::kClassId, CellSize::kClassName, &CreateInstance<CellSize>},
    {GPVariableManager::kClassId, GPVariableManager::kClassName, &CreateInstance<GPVariableManager>},
    {StringArray::kClassId, StringArray::kClassName, &CreateInstance<StringArray>},
    // The string array again under its XML type name, so that an element of that type without a class identifier
    // is read as one.
    {StringArray::kClassId, StringArray::kXmlTypeName, &CreateInstance<StringArray>},
    {GPTypeConverter::kClassId, GPTypeConverter::kClassName, &CreateInstance<GPTypeConverter>},
    {DEListingOptions::kClassId, DEListingOptions::kClassName, &CreateInstance<DEListingOptions>},
    {QueryFilter::kClassId, QueryFilter::kClassName, &CreateInstance<QueryFilter>},
    {PropertySet::kClassId, PropertySet::kClassName, &CreateInstance<PropertySet>},
    {JSONObject::kClassId, JSONObject::kClassName, &CreateInstance<JSONObject>},
};

} // namespace

const HostClassRow* HostClassTable(size_t* count) {
    *count = std::size(kHostClasses);
    return kHostClasses;
}

} // namespace tavi
