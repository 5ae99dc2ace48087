// Bindings of the XML serialization interfaces.
#include "Binding.h"

#include "tavi/Xml.h"

namespace tavigp {

void BindXmlFamily(BindingTable& t) {
    t.Bind("IXMLSerialize.Serialize", &IXMLSerialize::Serialize);
    t.Bind("IXMLSerialize.Deserialize", &IXMLSerialize::Deserialize);

    t.Bind("IXMLSerializeData.get_TypeName", &IXMLSerializeData::get_TypeName);
    t.Bind("IXMLSerializeData.put_TypeName", &IXMLSerializeData::put_TypeName);
    t.Bind("IXMLSerializeData.get_TypeNamespaceURI", &IXMLSerializeData::get_TypeNamespaceURI);
    t.Bind("IXMLSerializeData.put_TypeNamespaceURI", &IXMLSerializeData::put_TypeNamespaceURI);
    t.Bind("IXMLSerializeData.AddString", &IXMLSerializeData::AddString);
    t.Bind("IXMLSerializeData.AddInteger", &IXMLSerializeData::AddInteger);
    t.Bind("IXMLSerializeData.AddDouble", &IXMLSerializeData::AddDouble);
    t.Bind("IXMLSerializeData.AddBoolean", &IXMLSerializeData::AddBoolean);
    t.Bind("IXMLSerializeData.AddDate", &IXMLSerializeData::AddDate);
    t.Bind("IXMLSerializeData.AddVariant", &IXMLSerializeData::AddVariant);
    t.Bind("IXMLSerializeData.AddObject", &IXMLSerializeData::AddObject);
    t.Bind("IXMLSerializeData.AddObjectArray", &IXMLSerializeData::AddObjectArray);
    t.Bind("IXMLSerializeData.get_ElementCount", &IXMLSerializeData::get_ElementCount);
    t.Bind("IXMLSerializeData.GetElementName", &IXMLSerializeData::GetElementName);
    t.Bind("IXMLSerializeData.Find", &IXMLSerializeData::Find);
    t.Bind("IXMLSerializeData.GetString", &IXMLSerializeData::GetString);
    t.Bind("IXMLSerializeData.GetInteger", &IXMLSerializeData::GetInteger);
    t.Bind("IXMLSerializeData.GetDouble", &IXMLSerializeData::GetDouble);
    t.Bind("IXMLSerializeData.GetBoolean", &IXMLSerializeData::GetBoolean);
    t.Bind("IXMLSerializeData.GetDate", &IXMLSerializeData::GetDate);
    t.Bind("IXMLSerializeData.GetVariant", &IXMLSerializeData::GetVariant);
    t.Bind("IXMLSerializeData.GetObject", &IXMLSerializeData::GetObject);
    t.Bind("IXMLSerializeData.GetObjectArray", &IXMLSerializeData::GetObjectArray);
}

} // namespace tavigp
