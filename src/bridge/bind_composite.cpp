// Bindings of the composite values: the multi-value, its data type and name, the value table views and the value
// enumerator.
#include "bridge/Binding.h"

#include "tavi/GPComposite.h"

namespace tavigp {

void BindCompositeFamily(BindingTable& t) {
    BIND(t, IEnumGPValue, Next);
    BIND(t, IEnumGPValue, Reset);

    BIND(t, IGPMultiValue, get_Value);
    BIND(t, IGPMultiValue, get_Values);
    BIND(t, IGPMultiValue, putref_MemberDataType);
    BIND(t, IGPMultiValue, get_MemberDataType);
    BIND(t, IGPMultiValue, get_Count);
    BIND(t, IGPMultiValue, AddValue);
    BIND(t, IGPMultiValue, InsertValue);
    BIND(t, IGPMultiValue, RemoveValue);
    BIND(t, IGPMultiValue, Remove);
    BIND(t, IGPMultiValue, Replace);

    BIND(t, IGPMultiValueType, putref_MemberDataType);
    BIND(t, IGPMultiValueType, get_MemberDataType);

    BIND(t, IGPMultiValueDataTypeName, get_MemberDataTypeName);
    BIND(t, IGPMultiValueDataTypeName, putref_MemberDataTypeName);

    BIND(t, IGPValueTable, get_DataTypeCount);
    BIND(t, IGPValueTable, get_DataType);
    BIND(t, IGPValueTable, AddDataType);
    BIND(t, IGPValueTable, RemoveDataType);
    BIND(t, IGPValueTable, get_RecordCount);
    BIND(t, IGPValueTable, GetValue);
    BIND(t, IGPValueTable, SetValue);
    BIND(t, IGPValueTable, AddRecord);
    BIND(t, IGPValueTable, InsertRecord);
    BIND(t, IGPValueTable, ReplaceRecord);
    BIND(t, IGPValueTable, RemoveRecord);
    BIND(t, IGPValueTable, GetRecord);
    BIND(t, IGPValueTable, RemoveValue);

    BIND(t, IGPValueTableType, get_Count);
    BIND(t, IGPValueTableType, get_DataType);
    BIND(t, IGPValueTableType, get_Width);
    BIND(t, IGPValueTableType, get_DisplayName);
    BIND(t, IGPValueTableType, AddDataType);
    BIND(t, IGPValueTableType, RemoveDataType);
    BIND(t, IGPValueTableType, get_ControlCLSID);
    BIND(t, IGPValueTableType, put_ReadOnly);
    BIND(t, IGPValueTableType, get_ReadOnly);

    BIND(t, IGPValueTableTypeName, get_Count);
    BIND(t, IGPValueTableTypeName, get_DataTypeName);
    BIND(t, IGPValueTableTypeName, put_ReadOnly);
    BIND(t, IGPValueTableTypeName, get_ReadOnly);
    BIND(t, IGPValueTableTypeName, get_Width);
    BIND(t, IGPValueTableTypeName, get_DisplayName);
    BIND(t, IGPValueTableTypeName, AddDataType);
    BIND(t, IGPValueTableTypeName, RemoveDataType);
    BIND(t, IGPValueTableTypeName, get_ControlCLSID);
    BIND(t, IGPValueTableTypeNameProperty, get_Width);
    BIND(t, IGPValueTableTypeNameProperty, put_Width);
    BIND(t, IGPValueTableTypeNameProperty, get_Flag);
    BIND(t, IGPValueTableTypeNameProperty, put_Flag);
    BIND(t, IGPValueTableTypeNameProperty, get_DataTypeName);
    BIND(t, IGPValueTableTypeNameProperty, putref_DataTypeName);
    BIND(t, IGPValueTableTypeNameProperty, put_DisplayName);
    BIND(t, IGPValueTableTypeNameProperty, get_DisplayName);
    BIND(t, IGPValueTableTypeNameProperty, putref_ControlCLSID);
    BIND(t, IGPValueTableTypeNameProperty, get_ControlCLSID);

    BIND(t, IGPCompositeDataType, get_Count);
    BIND(t, IGPCompositeDataType, get_DataType);
    BIND(t, IGPCompositeDataType, AddDataType);
    BIND(t, IGPCompositeDataType, RemoveDataType);
    BIND(t, IGPCompositeDataTypeName, get_Count);
    BIND(t, IGPCompositeDataTypeName, get_DataTypeName);
    BIND(t, IGPCompositeDataTypeName, AddDataTypeName);
    BIND(t, IGPCompositeDataTypeName, RemoveDataTypeName);
}

} // namespace tavigp
