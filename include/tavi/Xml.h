// The XML serialization interfaces and the exported XML entry points.
//
// IXMLSerializeData is the typed element list of one object in an XML document. A writer appends elements in
// order; a reader finds them by name and converts their text. Element kinds: string, integer, double, boolean,
// date, variant, object (a nested object that carries its type name, namespace and class identifier, so that
// reading creates it again) and array of objects (an IArray whose elements are written one object each).
#pragma once

#include "tavi/Unknown.h"

struct IXMLSerializeData;
struct IArray;

struct IXMLSerialize : IUnknown {
    static constexpr IID iid{0xC8545045, 0x6615, 0x48E3, {0xAF, 0x27, 0x52, 0xA0, 0xE5, 0xFC, 0x35, 0xE2}};
    virtual HRESULT Serialize(IXMLSerializeData* data) = 0;
    virtual HRESULT Deserialize(IXMLSerializeData* data) = 0;
};

// What a class says of its XML form: the namespace URI of the oldest document generation its form can be written
// for. Its identifier is the name-based (version 5) identifier of "taviGeoprocessing.IXMLVersionSupport" in the
// namespace {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, as those of tavi/GPComposite.h.
struct IXMLVersionSupport : IUnknown {
    static constexpr IID iid{0xF72AAF4B, 0x6A24, 0x5769, {0xA0, 0x46, 0x09, 0x68, 0xDE, 0x65, 0xCF, 0x4F}};
    virtual HRESULT get_MinNamespaceSupported(BSTR* namespaceURI) = 0;
};

// Results common to every operation: E_POINTER for a null required argument; E_INVALIDARG for an element index
// outside the list; E_FAIL when the element's text is not of the asked kind (the out value is then left cleared),
// or when the operation does not fit the object (adding on a reader, reading on a writer).
struct IXMLSerializeData : IUnknown {
    static constexpr IID iid{0x55F2E949, 0x777B, 0x45C9, {0x95, 0xEA, 0xB6, 0xCF, 0xA5, 0xC0, 0x19, 0x92}};
    // The type name and namespace of the object being written or read. A writer records what is put; a reader
    // answers what the document says.
    virtual HRESULT get_TypeName(BSTR* name) = 0;
    virtual HRESULT put_TypeName(const OLECHAR* name) = 0;
    virtual HRESULT get_TypeNamespaceURI(BSTR* uri) = 0;
    virtual HRESULT put_TypeNamespaceURI(const OLECHAR* uri) = 0;

    // Writing. Names are element names: letters, digits, '_', '-', '.', not starting with a digit (E_INVALIDARG).
    virtual HRESULT AddString(const OLECHAR* name, const OLECHAR* value) = 0; // null value: empty text
    virtual HRESULT AddInteger(const OLECHAR* name, int32_t value) = 0;
    virtual HRESULT AddDouble(const OLECHAR* name, double value) = 0; // read back exactly; nan and infinities too
    virtual HRESULT AddBoolean(const OLECHAR* name, VARIANT_BOOL value) = 0;
    virtual HRESULT AddDate(const OLECHAR* name, DATE value) = 0;              // read back exactly
    virtual HRESULT AddVariant(const OLECHAR* name, const VARIANT* value) = 0; // kind kept; objects as AddObject
    // A null object writes an element that reads back as no object. The object must answer IXMLSerialize.
    virtual HRESULT AddObject(const OLECHAR* name, IUnknown* object) = 0;
    // Each element of `array` (an IArray) written as an object whose element name is `elementTypeName`; the array
    // element carries the type name "ArrayOf" + elementTypeName in `elementNamespace` (null: the document's).
    virtual HRESULT AddObjectArray(const OLECHAR* name, IUnknown* array, const OLECHAR* elementTypeName,
                                   const OLECHAR* elementNamespace) = 0;

    // Reading.
    virtual HRESULT get_ElementCount(int32_t* count) = 0;
    virtual HRESULT GetElementName(int32_t index, BSTR* name) = 0;
    // The index of the first element of that name (exact comparison), or -1. S_OK either way.
    virtual HRESULT Find(const OLECHAR* name, int32_t* index) = 0;
    virtual HRESULT GetString(int32_t index, BSTR* value) = 0;
    virtual HRESULT GetInteger(int32_t index, int32_t* value) = 0;
    virtual HRESULT GetDouble(int32_t index, double* value) = 0;
    virtual HRESULT GetBoolean(int32_t index, VARIANT_BOOL* value) = 0;
    virtual HRESULT GetDate(int32_t index, DATE* value) = 0;
    virtual HRESULT GetVariant(int32_t index, VARIANT* value) = 0; // `value` is overwritten, not cleared first
    // Creates the nested object by the class identifier it carries (else by its type name as a class name), lets
    // it deserialize itself and hands it out. `typeNamespace` and `typeName` are what the caller expects; they are
    // informative (null allowed) and a different type name is no failure. An element that holds no object gives
    // S_FALSE and null. E_FAIL when the object cannot be created or its Deserialize fails.
    virtual HRESULT GetObject(int32_t index, const OLECHAR* typeNamespace, const OLECHAR* typeName,
                              IUnknown** object) = 0;
    // Appends each object of the array element to `array` (an IArray), in document order.
    virtual HRESULT GetObjectArray(int32_t index, const OLECHAR* typeNamespace, const OLECHAR* typeName,
                                   IUnknown* array) = 0;
};

extern "C" {
// The XML document of `object` (which must answer IXMLSerialize): its type name and namespace on the root element,
// then its elements. `documentNamespace` is the namespace the object is written for (null: the current one of the
// thread's XML namespace scope). E_POINTER for a null argument; the object's Serialize failure is returned.
TAVI_API HRESULT TaviXmlSerialize(IUnknown* object, const OLECHAR* documentNamespace, BSTR* xml);
// Reads `xml` into `object` through its IXMLSerialize::Deserialize. Malformed or too deeply nested XML gives
// E_FAIL; the object's own failure is returned as it is.
TAVI_API HRESULT TaviXmlDeserialize(const OLECHAR* xml, IUnknown* object);
}
