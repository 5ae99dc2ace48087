// Bindings of the XML serialization interfaces.
#include "bridge/Binding.h"

#include "tavi/Xml.h"

namespace tavigp {

void BindXmlFamily(BindingTable& t) {
    BIND(t, IXMLSerialize, Serialize);
    BIND(t, IXMLSerialize, Deserialize);
    BIND(t, IXMLVersionSupport, get_MinNamespaceSupported);

    BIND(t, IXMLSerializeData, get_TypeName);
    BIND(t, IXMLSerializeData, put_TypeName);
    BIND(t, IXMLSerializeData, get_TypeNamespaceURI);
    BIND(t, IXMLSerializeData, put_TypeNamespaceURI);
    BIND(t, IXMLSerializeData, AddString);
    BIND(t, IXMLSerializeData, AddInteger);
    BIND(t, IXMLSerializeData, AddDouble);
    BIND(t, IXMLSerializeData, AddBoolean);
    BIND(t, IXMLSerializeData, AddDate);
    BIND(t, IXMLSerializeData, AddVariant);
    BIND(t, IXMLSerializeData, AddObject);
    BIND(t, IXMLSerializeData, AddObjectArray);
    BIND(t, IXMLSerializeData, get_ElementCount);
    BIND(t, IXMLSerializeData, GetElementName);
    BIND(t, IXMLSerializeData, Find);
    BIND(t, IXMLSerializeData, GetString);
    BIND(t, IXMLSerializeData, GetInteger);
    BIND(t, IXMLSerializeData, GetDouble);
    BIND(t, IXMLSerializeData, GetBoolean);
    BIND(t, IXMLSerializeData, GetDate);
    BIND(t, IXMLSerializeData, GetVariant);
    BIND(t, IXMLSerializeData, GetObject);
    BIND(t, IXMLSerializeData, GetObjectArray);
}

} // namespace tavigp
