// Bindings of the key-value family: the key-value by name and by position, its data type's key declarations by name
// and by position, the data type's name and the pairs of the XML forms. Their value table views are the composite
// family's IGPValueTable and IGPValueTableType.
#include "bridge/Binding.h"

#include "tavi/GPKeyValue.h"

namespace tavigp {

void BindKeyValueFamily(BindingTable& t) {
    BIND(t, IGPKeyValueType, get_Keys);
    BIND(t, IGPKeyValueType, AddKey);
    BIND(t, IGPKeyValueType, get_KeyDataType);
    BIND(t, IGPKeyValueType, RemoveKey);
    BIND(t, IGPKeyValueType, RemoveAllKeys);
    BIND(t, IGPKeyValueType, putref_KeyDataType);
    BIND(t, IGPKeyValueType, GetKeyIndex);
    BIND(t, IGPKeyValueType, get_KeyRequired);
    BIND(t, IGPKeyValueType, put_KeyRequired);

    BIND(t, IGPKeyValueTypeIndex, get_Count);
    BIND(t, IGPKeyValueTypeIndex, get_Key);
    BIND(t, IGPKeyValueTypeIndex, Find);
    BIND(t, IGPKeyValueTypeIndex, RemoveKeyAt);
    BIND(t, IGPKeyValueTypeIndex, get_DataType);
    BIND(t, IGPKeyValueTypeIndex, putref_DataType);
    BIND(t, IGPKeyValueTypeIndex, get_Required);
    BIND(t, IGPKeyValueTypeIndex, put_Required);

    BIND(t, IGPKeyValue, putref_DataType);
    BIND(t, IGPKeyValue, get_Keys);
    BIND(t, IGPKeyValue, get_Value);
    BIND(t, IGPKeyValue, putref_Value);
    BIND(t, IGPKeyValue, RemoveKeyValue);

    BIND(t, IGPKeyValueIndex, get_Count);
    BIND(t, IGPKeyValueIndex, get_Key);
    BIND(t, IGPKeyValueIndex, get_Value);
    BIND(t, IGPKeyValueIndex, putref_Value);
    BIND(t, IGPKeyValueIndex, RemoveValueAt);
    BIND(t, IGPKeyValueIndex, Find);

    BIND(t, IGPKeyValuePair, get_Key);
    BIND(t, IGPKeyValuePair, put_Key);
    BIND(t, IGPKeyValuePair, get_Value);
    BIND(t, IGPKeyValuePair, putref_Value);

    BIND(t, IGPKeyValueTypeNamePair, get_Key);
    BIND(t, IGPKeyValueTypeNamePair, put_Key);
    BIND(t, IGPKeyValueTypeNamePair, get_DataTypeName);
    BIND(t, IGPKeyValueTypeNamePair, putref_DataTypeName);
    BIND(t, IGPKeyValueTypeNamePair, get_Required);
    BIND(t, IGPKeyValueTypeNamePair, put_Required);

    BIND(t, IGPKeyValueTypeName, get_Count);
    BIND(t, IGPKeyValueTypeName, get_Pair);
    BIND(t, IGPKeyValueTypeName, AddPair);
    BIND(t, IGPKeyValueTypeName, RemovePair);
    BIND(t, IGPKeyValueTypeName, RemoveAllPairs);
}

} // namespace tavigp
