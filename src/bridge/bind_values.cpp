// Bindings of the geoprocessing value, data type, domain, name and identifier interfaces.
#include "bridge/Binding.h"

#include "tavi/Collections.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPValue.h"

namespace tavigp {

void BindValueFamily(BindingTable& t) {
    BIND(t, IGPValue, get_DataType);
    BIND(t, IGPValue, IsEmpty);
    BIND(t, IGPValue, Empty);
    BIND(t, IGPValue, GetAsText);
    BIND(t, IGPValue, SetAsText);
    BIND(t, IGPValue, SerializeJSONObject);
    BIND(t, IGPValue, DeserializeJSONObject);
    BIND(t, IGPDescribe, Describe);

    BIND(t, IClone, Clone);
    BIND(t, IClone, Assign);
    BIND(t, IClone, IsEqual);
    BIND(t, IClone, IsIdentical);

    BIND(t, IGPVariant, get_Value);
    BIND(t, IGPVariant, put_Value);
    BIND(t, IGPValueExpression, get_Resolved);
    BIND(t, IGPValueExpression, put_Resolved);
    BIND(t, IGPValueExpression, ResolveValue);
    BIND(t, IGPValueExpression, GetVariableNames);
    BIND(t, IGPValueExpression, get_Variables);
    BIND(t, IGPValueExpression, putref_Variables);
    BIND(t, IGPValueExpression, GetAsText);
    BIND(t, IGPVariableManager, FindVariable);
    BIND(t, IDocumentVersionSupport, IsSupportedAtVersion);
    BIND(t, IDocumentVersionSupport, ConvertToSupportedObject);

    BIND(t, IGPDataType, get_Name);
    BIND(t, IGPDataType, get_DisplayName);
    BIND(t, IGPDataType, get_ControlCLSID);
    BIND(t, IGPDataType, get_FullName);
    BIND(t, IGPDataType, get_HelpFile);
    BIND(t, IGPDataType, get_HelpContext);
    BIND(t, IGPDataType, get_MetadataFile);
    BIND(t, IGPDataType, CreateValue);
    BIND(t, IGPDataType, ValidateDataType);
    BIND(t, IGPDataType, ValidateValue);
    BIND(t, IGPDomain, MemberOf);

    BIND(t, IName, get_NameString);
    BIND(t, IName, put_NameString);
    BIND(t, IName, Open);
    BIND(t, IName, UpdateFactoryName);

    BIND(t, IUID, get_Value);
    BIND(t, IUID, put_Value);
    BIND(t, IUID, get_SubType);
    BIND(t, IUID, put_SubType);
    BIND(t, IUID, Generate);
    BIND(t, IUID, Compare);
    BIND(t, IUIDInit, SetGUID);
    BIND(t, IUIDInit, GetGUID);

    BIND(t, IGPName, get_Name);
    BIND(t, IGPName, put_Name);
    BIND(t, IGPName, get_DisplayName);
    BIND(t, IGPName, put_DisplayName);
    BIND(t, IGPName, get_Description);
    BIND(t, IGPName, put_Description);
    BIND(t, IGPName, get_Category);
    BIND(t, IGPName, put_Category);
    BIND(t, IGPName, get_Factory);
    BIND(t, IGPName, putref_Factory);

    BIND(t, IGPDataTypeFactory, get_FactoryID);
    BIND(t, IGPDataTypeFactory, GetDataType);
    BIND(t, IGPDataTypeFactory, GetDataTypeName);
    BIND(t, IGPDataTypeFactory, GetDataTypeNames);

    BIND(t, IGPVariable, get_Name);
    BIND(t, IGPVariable, put_Name);
    BIND(t, IGPVariable, get_Value);
    BIND(t, IGPVariable, putref_Value);
    BIND(t, IGPVariable, get_DataType);
    BIND(t, IGPVariable, putref_DataType);
    BIND(t, IGPVariable, get_Derived);
    BIND(t, IGPVariable, put_Derived);

    BIND(t, IGPParameter, get_Name);
    BIND(t, IGPParameter, get_DisplayName);
    BIND(t, IGPParameter, get_Direction);
    BIND(t, IGPParameter, get_DataType);
    BIND(t, IGPParameter, get_ParameterType);
    BIND(t, IGPParameter, get_ParameterDependencies);
    BIND(t, IGPParameter, get_Domain);
    BIND(t, IGPParameter, get_Enabled);
    BIND(t, IGPParameter, get_Value);
    BIND(t, IGPParameter, get_ControlCLSID);
    BIND(t, IGPParameter, get_DefaultEnvironmentName);
    BIND(t, IGPParameter, get_DisplayOrder);
    BIND(t, IGPParameter, get_Altered);
    BIND(t, IGPParameter, get_HasBeenValidated);
    BIND(t, IGPParameter, get_Category);
    BIND(t, IGPParameter, get_ChoiceListName);
    BIND(t, IGPParameter, get_Managed);
    BIND(t, IGPParameter, get_Schema);
    BIND(t, IGPParameter, get_SymbologyLayer);
    BIND(t, IGPParameter, get_ChartDefinitions);
    BIND(t, IGPParameter, get_AddToMap);
}

} // namespace tavigp
