// Data elements and fields as values: the shared parts of their IGPValue and IGPDescribe. A data element or a field
// names one thing for life, so its text form is that name (a catalog path, a field name) and reading a text only
// confirms it: the same name is taken without change, any other is refused with an error message and changes
// nothing.
#pragma once

#include "host/String.h"
#include "tavi/DataAccess.h"
#include "tavi/GPValue.h"

#include <string_view>

namespace tavi {

// The data type of the element's kind, created by class identifier: DEGeoDatasetType for a feature class or a
// raster, DEDatasetType for any other dataset (an element answering IDEDataset4), DEType for the rest (workspaces,
// folders, files, table descriptions). E_POINTER for a null out; the creation's failure code.
HRESULT DataElementDataType(IDataElement* element, IGPDataType** dataType);

// SetAsText of a value that holds `held` for life: a new message in *message, empty when the text (blanks around it
// ignored; null reads as empty) is `held` (without regard to case when `ignoreCase`), else an error (type 100,
// code 701) naming the text. S_OK either way; E_POINTER for a null message, E_FAIL when no message can be made.
HRESULT KeepNameText(std::u16string_view held, const OLECHAR* text, bool ignoreCase, IGPMessage** message);

// The JSON form {"<key>": "<held>"}.
HRESULT NameJson(const char* key, std::u16string_view held, BSTR* json);
// Reading it back, by KeepNameText's rule: S_OK for the same name; E_FAIL for another; E_INVALIDARG for text that is
// not a JSON object whose `key` is a string; E_POINTER for null.
HRESULT KeepNameJson(const char* key, std::u16string_view held, const OLECHAR* json, bool ignoreCase);

// Describe of a data element, names compared without regard to case:
//   every element  "CatalogPath", "Name", "BaseName", "Extension", "DataElementType" (its type name), and the value
//                  names "DataType", "Value", "IsEmpty";
//   datasets       "DatasetType" (the host's text of its dataset type);
//   feature class  "ShapeType" and "FeatureType" (the host's texts), "HasZ", "HasM", "HasSpatialIndex" (booleans);
//   workspaces     "WorkspaceType" (the host's text).
// A type code without a text is given as its decimal number. Other names, and names of another kind: S_FALSE with
// an empty variant.
HRESULT DescribeDataElement(IDataElement* element, const OLECHAR* name, VARIANT* value);

// Describe of a field: "Name", "AliasName", "Type" (the host's text of its field type), "Length" (VT_I4), and the
// value names; other names S_FALSE with an empty variant.
HRESULT DescribeField(IField* field, const OLECHAR* name, VARIANT* value);

} // namespace tavi
