// Bindings of the host's text pieces: the string array, the type converter between type codes and their texts, and
// the listing options given to the utility object before it lists a data element's children.
#include "bridge/Binding.h"

#include "tavi/StringArray.h"
#include "tavi/TypeConverter.h"

namespace tavigp {

void BindTextFamily(BindingTable& t) {
    BIND(t, IStringArray, get_Count);
    BIND(t, IStringArray, get_Element);
    BIND(t, IStringArray, Add);
    BIND(t, IStringArray, Insert);
    BIND(t, IStringArray, Remove);
    BIND(t, IStringArray, RemoveAll);
    BIND(t, IStringArray, Replace);

    BIND(t, IGPTypeConverter, DatasetTypeFromText);
    BIND(t, IGPTypeConverter, DatasetTypeToText);
    BIND(t, IGPTypeConverter, FieldTypeFromText);
    BIND(t, IGPTypeConverter, FieldTypeToText);
    BIND(t, IGPTypeConverter, GeometryTypeFromText);
    BIND(t, IGPTypeConverter, GeometryTypeToText);
    BIND(t, IGPTypeConverter, FeatureTypeFromText);
    BIND(t, IGPTypeConverter, FeatureTypeToText);
    BIND(t, IGPTypeConverter, DatasetTypeFromElementType);
    BIND(t, IGPTypeConverter, DatasetTypeToElementType);
    BIND(t, IGPTypeConverter, WorkspaceTypeFromText);
    BIND(t, IGPTypeConverter, WorkspaceTypeToText);

    BIND(t, IDEListingOptions, get_ListChildren);
    BIND(t, IDEListingOptions, put_ListChildren);
    BIND(t, IDEListingOptions, get_ChildDepth);
    BIND(t, IDEListingOptions, put_ChildDepth);
}

} // namespace tavigp
