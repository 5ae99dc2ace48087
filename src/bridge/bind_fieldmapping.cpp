// Bindings of the field mapping family: field maps, the mapping's field maps and tables, and the table descriptions
// that stand for input tables.
#include "bridge/Binding.h"

#include "tavi/GPFieldMapping.h"

namespace tavigp {

void BindFieldMappingFamily(BindingTable& t) {
    BIND(t, IGPFieldMap, RemoveAll);
    BIND(t, IGPFieldMap, get_InputFieldCount);
    BIND(t, IGPFieldMap, GetQualifiedFields);
    BIND(t, IGPFieldMap, get_OutputField);
    BIND(t, IGPFieldMap, putref_OutputField);
    BIND(t, IGPFieldMap, get_MergeRule);
    BIND(t, IGPFieldMap, put_MergeRule);
    BIND(t, IGPFieldMap, get_JoinDelimiter);
    BIND(t, IGPFieldMap, put_JoinDelimiter);
    BIND(t, IGPFieldMap, AddInputField);
    BIND(t, IGPFieldMap, FindInputField);
    BIND(t, IGPFieldMap, RemoveInputField);
    BIND(t, IGPFieldMap, get_InputField);
    BIND(t, IGPFieldMap, get_InputTable);
    BIND(t, IGPFieldMap, GetTextPositions);
    BIND(t, IGPFieldMap, SetTextPositions);
    BIND(t, IGPFieldMap, get_InputTableIndex);
    BIND(t, IGPFieldMap, put_InputTableIndex);

    BIND(t, IGPFieldMapImpl, GetAsText);
    BIND(t, IGPFieldMapImpl, SetAsText);
    BIND(t, IGPFieldMapImpl, Check);

    BIND(t, IGPFieldMapping, AddTable);
    BIND(t, IGPFieldMapping, GetOutputFields);
    BIND(t, IGPFieldMapping, RemoveAll);
    BIND(t, IGPFieldMapping, get_FieldMapCount);
    BIND(t, IGPFieldMapping, GetFieldMap);
    BIND(t, IGPFieldMapping, ReplaceFieldMap);
    BIND(t, IGPFieldMapping, AddFieldMap);
    BIND(t, IGPFieldMapping, RemoveTable);
    BIND(t, IGPFieldMapping, RemoveFieldMap);
    BIND(t, IGPFieldMapping, ResetFieldMaps);

    BIND(t, IGPFieldMappingImpl, get_InputTableCount);
    BIND(t, IGPFieldMappingImpl, get_InputTable);
    BIND(t, IGPFieldMappingImpl, get_TargetTable);
    BIND(t, IGPFieldMappingImpl, putref_TargetTable);

    BIND(t, IDEGdbTable7, get_Fields);
    BIND(t, IDEGdbTable7, putref_Fields);
    BIND(t, IDEGdbTable7, get_HasOID);
    BIND(t, IDEGdbTable7, get_OIDFieldName);
    BIND(t, IDEGdbTable7, put_OIDFieldName);
}

} // namespace tavigp
