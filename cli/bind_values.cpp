// Bindings of the geoprocessing value, data type, domain, name and identifier interfaces.
#include "Binding.h"

#include "tavi/Collections.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPValue.h"

namespace tavigp {

void BindValueFamily(BindingTable& t) {
    t.Bind("IGPValue.get_DataType", &IGPValue::get_DataType);
    t.Bind("IGPValue.IsEmpty", &IGPValue::IsEmpty);
    t.Bind("IGPValue.Empty", &IGPValue::Empty);
    t.Bind("IGPValue.GetAsText", &IGPValue::GetAsText);
    t.Bind("IGPValue.SetAsText", &IGPValue::SetAsText);
    t.Bind("IGPValue.SerializeJSONObject", &IGPValue::SerializeJSONObject);
    t.Bind("IGPValue.DeserializeJSONObject", &IGPValue::DeserializeJSONObject);
    t.Bind("IGPDescribe.Describe", &IGPDescribe::Describe);

    t.Bind("IClone.Clone", &IClone::Clone);
    t.Bind("IClone.Assign", &IClone::Assign);
    t.Bind("IClone.IsEqual", &IClone::IsEqual);
    t.Bind("IClone.IsIdentical", &IClone::IsIdentical);

    t.Bind("IGPVariant.get_Value", &IGPVariant::get_Value);
    t.Bind("IGPVariant.put_Value", &IGPVariant::put_Value);
    t.Bind("IGPValueExpression.get_Resolved", &IGPValueExpression::get_Resolved);
    t.Bind("IGPValueExpression.put_Resolved", &IGPValueExpression::put_Resolved);
    t.Bind("IGPValueExpression.ResolveValue", &IGPValueExpression::ResolveValue);
    t.Bind("IGPValueExpression.GetVariableNames", &IGPValueExpression::GetVariableNames);
    t.Bind("IGPValueExpression.get_Variables", &IGPValueExpression::get_Variables);
    t.Bind("IGPValueExpression.putref_Variables", &IGPValueExpression::putref_Variables);
    t.Bind("IGPValueExpression.GetAsText", &IGPValueExpression::GetAsText);
    t.Bind("IGPVariableManager.FindVariable", &IGPVariableManager::FindVariable);
    t.Bind("IDocumentVersionSupport.IsSupportedAtVersion", &IDocumentVersionSupport::IsSupportedAtVersion);
    t.Bind("IDocumentVersionSupport.ConvertToSupportedObject", &IDocumentVersionSupport::ConvertToSupportedObject);

    t.Bind("IGPDataType.get_Name", &IGPDataType::get_Name);
    t.Bind("IGPDataType.get_DisplayName", &IGPDataType::get_DisplayName);
    t.Bind("IGPDataType.get_ControlCLSID", &IGPDataType::get_ControlCLSID);
    t.Bind("IGPDataType.get_FullName", &IGPDataType::get_FullName);
    t.Bind("IGPDataType.get_HelpFile", &IGPDataType::get_HelpFile);
    t.Bind("IGPDataType.get_HelpContext", &IGPDataType::get_HelpContext);
    t.Bind("IGPDataType.get_MetadataFile", &IGPDataType::get_MetadataFile);
    t.Bind("IGPDataType.CreateValue", &IGPDataType::CreateValue);
    t.Bind("IGPDataType.ValidateDataType", &IGPDataType::ValidateDataType);
    t.Bind("IGPDataType.ValidateValue", &IGPDataType::ValidateValue);
    t.Bind("IGPDomain.MemberOf", &IGPDomain::MemberOf);

    t.Bind("IName.get_NameString", &IName::get_NameString);
    t.Bind("IName.put_NameString", &IName::put_NameString);
    t.Bind("IName.Open", &IName::Open);
    t.Bind("IName.UpdateFactoryName", &IName::UpdateFactoryName);

    t.Bind("IUID.get_Value", &IUID::get_Value);
    t.Bind("IUID.put_Value", &IUID::put_Value);
    t.Bind("IUID.get_SubType", &IUID::get_SubType);
    t.Bind("IUID.put_SubType", &IUID::put_SubType);
    t.Bind("IUID.Generate", &IUID::Generate);
    t.Bind("IUID.Compare", &IUID::Compare);
    t.Bind("IUIDInit.SetGUID", &IUIDInit::SetGUID);
    t.Bind("IUIDInit.GetGUID", &IUIDInit::GetGUID);

    t.Bind("IGPName.get_Name", &IGPName::get_Name);
    t.Bind("IGPName.put_Name", &IGPName::put_Name);
    t.Bind("IGPName.get_DisplayName", &IGPName::get_DisplayName);
    t.Bind("IGPName.put_DisplayName", &IGPName::put_DisplayName);
    t.Bind("IGPName.get_Description", &IGPName::get_Description);
    t.Bind("IGPName.put_Description", &IGPName::put_Description);
    t.Bind("IGPName.get_Category", &IGPName::get_Category);
    t.Bind("IGPName.put_Category", &IGPName::put_Category);
    t.Bind("IGPName.get_Factory", &IGPName::get_Factory);
    t.Bind("IGPName.putref_Factory", &IGPName::putref_Factory);

    t.Bind("IGPDataTypeFactory.get_FactoryID", &IGPDataTypeFactory::get_FactoryID);
    t.Bind("IGPDataTypeFactory.GetDataType", &IGPDataTypeFactory::GetDataType);
    t.Bind("IGPDataTypeFactory.GetDataTypeName", &IGPDataTypeFactory::GetDataTypeName);
    t.Bind("IGPDataTypeFactory.GetDataTypeNames", &IGPDataTypeFactory::GetDataTypeNames);

    t.Bind("IGPVariable.get_Name", &IGPVariable::get_Name);
    t.Bind("IGPVariable.put_Name", &IGPVariable::put_Name);
    t.Bind("IGPVariable.get_Value", &IGPVariable::get_Value);
    t.Bind("IGPVariable.putref_Value", &IGPVariable::putref_Value);
    t.Bind("IGPVariable.get_DataType", &IGPVariable::get_DataType);
    t.Bind("IGPVariable.putref_DataType", &IGPVariable::putref_DataType);
    t.Bind("IGPVariable.get_Derived", &IGPVariable::get_Derived);
    t.Bind("IGPVariable.put_Derived", &IGPVariable::put_Derived);

    t.Bind("IGPParameter.get_Name", &IGPParameter::get_Name);
    t.Bind("IGPParameter.get_DisplayName", &IGPParameter::get_DisplayName);
    t.Bind("IGPParameter.get_Direction", &IGPParameter::get_Direction);
    t.Bind("IGPParameter.get_DataType", &IGPParameter::get_DataType);
    t.Bind("IGPParameter.get_ParameterType", &IGPParameter::get_ParameterType);
    t.Bind("IGPParameter.get_ParameterDependencies", &IGPParameter::get_ParameterDependencies);
    t.Bind("IGPParameter.get_Domain", &IGPParameter::get_Domain);
    t.Bind("IGPParameter.get_Enabled", &IGPParameter::get_Enabled);
    t.Bind("IGPParameter.get_Value", &IGPParameter::get_Value);
    t.Bind("IGPParameter.get_ControlCLSID", &IGPParameter::get_ControlCLSID);
    t.Bind("IGPParameter.get_DefaultEnvironmentName", &IGPParameter::get_DefaultEnvironmentName);
    t.Bind("IGPParameter.get_DisplayOrder", &IGPParameter::get_DisplayOrder);
    t.Bind("IGPParameter.get_Altered", &IGPParameter::get_Altered);
    t.Bind("IGPParameter.get_HasBeenValidated", &IGPParameter::get_HasBeenValidated);
    t.Bind("IGPParameter.get_Category", &IGPParameter::get_Category);
    t.Bind("IGPParameter.get_ChoiceListName", &IGPParameter::get_ChoiceListName);
    t.Bind("IGPParameter.get_Managed", &IGPParameter::get_Managed);
    t.Bind("IGPParameter.get_Schema", &IGPParameter::get_Schema);
    t.Bind("IGPParameter.get_SymbologyLayer", &IGPParameter::get_SymbologyLayer);
    t.Bind("IGPParameter.get_ChartDefinitions", &IGPParameter::get_ChartDefinitions);
    t.Bind("IGPParameter.get_AddToMap", &IGPParameter::get_AddToMap);
}

} // namespace tavigp
