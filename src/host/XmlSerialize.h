// The XML serialization layer: a writer and a reader of IXMLSerializeData over an XML document tree, and the
// document entry points (declared for hosts in tavi/Xml.h).
//
// Document form. The root element is named after the object's type name; every object element carries
//   xsi:type="typens:<type name>", xmlns:typens="<type namespace>" (where it differs from the enclosing one) and
//   clsid="{...}" (the class identifier, when the object tells one), so reading can create it again;
// the root also declares xmlns:xsi and xmlns:xs. Scalar elements carry xsi:type="xs:<kind>" and their text:
//   string   the text as it is;          integer  decimal;      double  shortest text that reads back exactly,
//   boolean  "true" / "false";           "NaN", "INF", "-INF" for the special values;
//   date     "YYYY-MM-DDThh:mm:ss[.fff]", plus attribute days="<day number>" when that text alone would not
//            read back to the exact day number;
//   variant  its kind's xs type (xs:short, xs:int, xs:long, xs:byte, xs:unsignedByte, xs:unsignedShort,
//            xs:unsignedInt, xs:unsignedLong, xs:float, xs:double, xs:decimal for currency, xs:boolean,
//            xs:dateTime, xs:string); an empty variant is xs:anyType without text, a null one xsi:nil="true";
//            an object variant is an object element.
// An element that stands for no object is <name xsi:nil="true"/>. An array of objects is an element of type
// "typens:ArrayOf<element type name>" whose children, one per array element, are object elements named after the
// element type name.
//
// Reading refuses (E_FAIL) text that is not well-formed XML and documents nested more than kMaxXmlDepth deep.
#pragma once

#include "host/String.h"
#include "tavi/Xml.h"

namespace tavi {

constexpr int kMaxXmlDepth = 200;

// The XML document of `object` (which must answer IXMLSerialize) written for `documentNamespace` (null: the
// thread's current document namespace).
HRESULT XmlSerializeObject(IUnknown* object, const char16_t* documentNamespace, String* xml);
// Reads `xml` into `object` through its IXMLSerialize::Deserialize.
HRESULT XmlDeserializeObject(std::u16string_view xml, IUnknown* object);

// The class an XML type name stands for: the host class table's row of that name, else the class registered under
// the programmatic identifier "taviGeoprocessing.<name>". False when neither knows it.
bool ClassIdForTypeName(std::u16string_view typeName, CLSID* clsid);

} // namespace tavi
