// Fields: a field's definition (IField, IFieldEdit) and the ordered fields of a table (IFields), made from an OGR
// layer's definition. A table's fields are its object identifier field first, then its shape field, then the
// attribute fields in stored order.
#pragma once

#include "host/String.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/DataAccess.h"
#include "tavi/GPValue.h"
#include "tavi/Stream.h"

#include <ogrsf_frmts.h>

#include <memory>
#include <vector>

namespace tavi {

// The properties of one field.
struct FieldProperties {
    String name;
    String alias;
    int32_t type = taviFieldTypeString;
    int32_t length = 0;
    bool nullable = true;
    bool editable = true;
    bool required = false;
    int32_t precision = 0;
    int32_t scale = 0;
    ComPtr<IRasterDef> rasterDef;
};

// A field. Its stream form (version 1): name and alias (Strings; the alias as set, empty when the field has none),
// type and length (32-bit), nullable, editable and required (16-bit booleans), precision and scale (32-bit), then
// the raster definition as a nested object (none for most fields).
//
// A field is also a value (IGPValue, IGPDescribe), so that field domains take it: its text form is its name, which
// SetAsText and DeserializeJSONObject ({"name": "..."}) only confirm (see DataElementValue.h; names compare without
// regard to case, as a table finds its fields). No data type of the catalogue stands for a field: get_DataType gives
// S_FALSE and null. Empty is E_NOTIMPL; a field without a name is empty.
class Field final : public Object<Field, IField, IFieldEdit, IGPValue, IGPDescribe, IClone, IPersistStream,
                                  Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_Field;
    static constexpr const char16_t* kClassName = u"Field";

    Field() = default;
    explicit Field(FieldProperties properties) : p_(std::move(properties)) {}

    const FieldProperties& Properties() const { return p_; }

    // IField
    HRESULT get_Name(BSTR* name) override;
    HRESULT get_AliasName(BSTR* alias) override;
    HRESULT get_Type(int32_t* type) override;
    HRESULT get_Length(int32_t* length) override;
    HRESULT get_IsNullable(VARIANT_BOOL* nullable) override;
    HRESULT get_Editable(VARIANT_BOOL* editable) override;
    HRESULT get_Required(VARIANT_BOOL* required) override;
    HRESULT get_Precision(int32_t* precision) override;
    HRESULT get_Scale(int32_t* scale) override;
    HRESULT get_RasterDef(IRasterDef** rasterDef) override;
    // IFieldEdit. A field without an alias answers its name as the alias.
    HRESULT put_Name(const OLECHAR* name) override;
    HRESULT put_AliasName(const OLECHAR* alias) override;
    HRESULT put_Type(int32_t type) override;
    HRESULT put_Length(int32_t length) override;
    HRESULT put_IsNullable(VARIANT_BOOL nullable) override;
    HRESULT put_Editable(VARIANT_BOOL editable) override;
    HRESULT put_Required(VARIANT_BOOL required) override;
    HRESULT put_Precision(int32_t precision) override;
    HRESULT put_Scale(int32_t scale) override;
    HRESULT putref_RasterDef(IRasterDef* rasterDef) override;

    // IGPValue
    HRESULT get_DataType(IGPDataType** dataType) override;
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;
    HRESULT SerializeJSONObject(BSTR* json) override;
    HRESULT DeserializeJSONObject(const OLECHAR* json) override;

    // IGPDescribe
    HRESULT Describe(const OLECHAR* name, VARIANT* value) override;

    // IClone: fields are equal when every property is, the raster definitions by identity.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // IPersistStream. A field keeps no dirty flag: IsDirty answers S_OK, so that it is always saved.
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override { return S_OK; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;

private:
    FieldProperties p_;
};

// The definition of a raster field: a description and the rasters' spatial reference, both empty on a new one.
// Stream form (version 1): the description (String), then the spatial reference as a nested object.
class RasterDef final : public Object<RasterDef, IRasterDef, IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_RasterDef;
    static constexpr const char16_t* kClassName = u"RasterDef";
    // IRasterDef
    HRESULT get_Description(BSTR* description) override;
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;
    // IPersistStream
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override { return S_OK; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;

private:
    String description_;
    ComPtr<ISpatialReference> spatialReference_;
};

// Where a table field's values live in an OGR feature.
struct FieldSource {
    enum Kind { ObjectId, Geometry, Attribute } kind;
    int index; // geometry or attribute field index; unused for the object identifier
};

class Fields final : public Object<Fields, IFields, IFieldsEdit> {
public:
    static constexpr const char16_t* kClassName = u"Fields";

    // IFields
    HRESULT get_FieldCount(int32_t* count) override;
    HRESULT get_Field(int32_t index, IField** field) override;
    HRESULT FindField(const OLECHAR* name, int32_t* index) override;
    // IFieldsEdit. Fields added this way belong to no layer yet.
    HRESULT AddField(IField* field) override;

    void Add(FieldProperties properties, FieldSource source);
    int32_t Count() const { return static_cast<int32_t>(fields_.size()); }
    const FieldSource& Source(int32_t index) const { return sources_[index]; }
    const FieldProperties& Properties(int32_t index) const { return properties_[index]; }

private:
    std::vector<ComPtr<IField>> fields_;
    std::vector<FieldProperties> properties_;
    std::vector<FieldSource> sources_;
};

// A new empty list of fields, to be filled through IFieldsEdit.
HRESULT CreateFields(IFields** fields);

// The properties of any field, read through IField.
HRESULT ReadFieldProperties(IField* field, FieldProperties& properties);

// An OGR field definition for a field; E_INVALIDARG for a field type OGR cannot store as an attribute.
HRESULT ToOgrField(const FieldProperties& properties, std::unique_ptr<OGRFieldDefn>& definition);

// A new field with `properties`.
ComPtr<Field> MakeField(FieldProperties properties);
// A new field with default properties (a nullable, editable string named by nothing), to be set through IFieldEdit.
HRESULT CreateField(IField** field);

// The fields of an OGR layer. Layers without an identifier column get "FID" (read-only, from the feature id), and
// unnamed geometry fields are called "Shape".
ComPtr<Fields> FieldsOfLayer(OGRLayer& layer);

// The field type code of an OGR field definition.
int32_t FieldTypeOf(const OGRFieldDefn& definition);

} // namespace tavi
