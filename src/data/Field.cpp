// Fields: see Field.h.
#include "data/Field.h"

#include "platform/BStr.h"
#include "platform/HandOut.h"
#include "platform/Utf.h"

namespace tavi {

namespace {

VARIANT_BOOL ToBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

HRESULT Field::get_Name(BSTR* name) {
    return HandOut(p_.name, name);
}
HRESULT Field::get_AliasName(BSTR* alias) {
    return HandOut(p_.alias.empty() ? p_.name : p_.alias, alias);
}
HRESULT Field::get_Type(int32_t* type) {
    return HandOutValue(p_.type, type);
}
HRESULT Field::get_Length(int32_t* length) {
    return HandOutValue(p_.length, length);
}
HRESULT Field::get_IsNullable(VARIANT_BOOL* nullable) {
    return HandOutValue(ToBool(p_.nullable), nullable);
}
HRESULT Field::get_Editable(VARIANT_BOOL* editable) {
    return HandOutValue(ToBool(p_.editable), editable);
}
HRESULT Field::get_Required(VARIANT_BOOL* required) {
    return HandOutValue(ToBool(p_.required), required);
}
HRESULT Field::get_Precision(int32_t* precision) {
    return HandOutValue(p_.precision, precision);
}
HRESULT Field::get_Scale(int32_t* scale) {
    return HandOutValue(p_.scale, scale);
}
HRESULT Field::get_RasterDef(IRasterDef** rasterDef) {
    return p_.rasterDef.CopyTo(rasterDef);
}

HRESULT Field::put_Name(const OLECHAR* name) {
    return guard([&] { p_.name = name ? name : u""; });
}

HRESULT Field::put_AliasName(const OLECHAR* alias) {
    return guard([&] { p_.alias = alias ? alias : u""; });
}

HRESULT Field::put_Type(int32_t type) {
    if (type < taviFieldTypeSmallInteger || type > taviFieldTypeBigInteger)
        return E_INVALIDARG;
    p_.type = type;
    return S_OK;
}

HRESULT Field::put_Length(int32_t length) {
    if (length < 0)
        return E_INVALIDARG;
    p_.length = length;
    return S_OK;
}

HRESULT Field::put_IsNullable(VARIANT_BOOL nullable) {
    p_.nullable = nullable != VARIANT_FALSE;
    return S_OK;
}

HRESULT Field::put_Editable(VARIANT_BOOL editable) {
    p_.editable = editable != VARIANT_FALSE;
    return S_OK;
}

HRESULT Field::put_Required(VARIANT_BOOL required) {
    p_.required = required != VARIANT_FALSE;
    return S_OK;
}

HRESULT Field::put_Precision(int32_t precision) {
    if (precision < 0)
        return E_INVALIDARG;
    p_.precision = precision;
    return S_OK;
}

HRESULT Field::put_Scale(int32_t scale) {
    if (scale < 0)
        return E_INVALIDARG;
    p_.scale = scale;
    return S_OK;
}

HRESULT Field::putref_RasterDef(IRasterDef* rasterDef) {
    p_.rasterDef = ComPtr<IRasterDef>(rasterDef);
    return S_OK;
}

HRESULT Fields::get_FieldCount(int32_t* count) {
    return HandOutValue(Count(), count);
}

HRESULT Fields::get_Field(int32_t index, IField** field) {
    if (HRESULT hr = ClearOut(field); FAILED(hr))
        return hr;
    if (index < 0 || index >= Count())
        return E_INVALIDARG;
    return fields_[index].CopyTo(field);
}

HRESULT Fields::FindField(const OLECHAR* name, int32_t* index) {
    if (!index)
        return E_POINTER;
    *index = -1;
    if (!name)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        for (int32_t i = 0; i < Count(); ++i) {
            if (EqualsNoCase(properties_[i].name, name)) {
                *index = i;
                return S_OK;
            }
        }
        return S_FALSE;
    });
}

void Fields::Add(FieldProperties properties, FieldSource source) {
    fields_.push_back(MakeObject<Field>(properties));
    properties_.push_back(std::move(properties));
    sources_.push_back(source);
}

HRESULT Fields::AddField(IField* field) {
    if (!field)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        FieldProperties properties;
        if (HRESULT hr = ReadFieldProperties(field, properties); FAILED(hr))
            return hr;
        int32_t existing = -1;
        if (properties.name.empty() || FindField(properties.name.c_str(), &existing) == S_OK)
            return E_INVALIDARG;
        fields_.push_back(ComPtr<IField>(field));
        properties_.push_back(std::move(properties));
        sources_.push_back({FieldSource::Attribute, -1});
        return S_OK;
    });
}

HRESULT CreateFields(IFields** fields) {
    if (HRESULT hr = ClearOut(fields); FAILED(hr))
        return hr;
    return guard([&] { *fields = MakeObject<Fields>().Detach(); });
}

HRESULT ReadFieldProperties(IField* field, FieldProperties& p) {
    if (!field)
        return E_POINTER;
    BStr name, alias;
    VARIANT_BOOL nullable = 0, editable = 0, required = 0;
    HRESULT results[] = {field->get_Name(name.Out()),      field->get_AliasName(alias.Out()),
                         field->get_Type(&p.type),         field->get_Length(&p.length),
                         field->get_IsNullable(&nullable), field->get_Editable(&editable),
                         field->get_Required(&required),   field->get_Precision(&p.precision),
                         field->get_Scale(&p.scale),       field->get_RasterDef(p.rasterDef.Out())};
    for (HRESULT hr : results)
        if (FAILED(hr))
            return hr;
    p.name = name.str();
    p.alias = alias.view() == name.view() ? String() : alias.str();
    p.nullable = nullable != 0, p.editable = editable != 0, p.required = required != 0;
    return S_OK;
}

HRESULT ToOgrField(const FieldProperties& p, std::unique_ptr<OGRFieldDefn>& definition) {
    OGRFieldType type = OFTString;
    OGRFieldSubType subType = OFSTNone;
    switch (p.type) {
    case taviFieldTypeSmallInteger:
        type = OFTInteger, subType = OFSTInt16;
        break;
    case taviFieldTypeInteger:
        type = OFTInteger;
        break;
    case taviFieldTypeBigInteger:
        type = OFTInteger64;
        break;
    case taviFieldTypeSingle:
        type = OFTReal, subType = OFSTFloat32;
        break;
    case taviFieldTypeDouble:
        type = OFTReal;
        break;
    case taviFieldTypeDate:
        type = OFTDateTime;
        break;
    case taviFieldTypeBlob:
        type = OFTBinary;
        break;
    case taviFieldTypeGUID:
    case taviFieldTypeGlobalID:
        subType = OFSTUUID;
        break;
    case taviFieldTypeString:
    case taviFieldTypeXML:
        break;
    default:
        return E_INVALIDARG; // object identifiers, shapes and rasters are no attributes
    }
    definition = std::make_unique<OGRFieldDefn>(ToUtf8(p.name).c_str(), type);
    definition->SetSubType(subType);
    if (type == OFTString) {
        definition->SetWidth(p.length);
    } else if (type != OFTDateTime && type != OFTBinary) {
        definition->SetWidth(p.precision);
        definition->SetPrecision(p.scale);
    }
    definition->SetNullable(p.nullable);
    if (!p.alias.empty())
        definition->SetAlternativeName(ToUtf8(p.alias).c_str());
    return S_OK;
}

HRESULT CreateField(IField** field) {
    if (HRESULT hr = ClearOut(field); FAILED(hr))
        return hr;
    return guard([&] { *field = MakeObject<Field>().Detach(); });
}

int32_t FieldTypeOf(const OGRFieldDefn& definition) {
    switch (definition.GetType()) {
    case OFTInteger:
        return definition.GetSubType() == OFSTInt16 || definition.GetSubType() == OFSTBoolean
                   ? taviFieldTypeSmallInteger
                   : taviFieldTypeInteger;
    case OFTInteger64:
        return taviFieldTypeBigInteger;
    case OFTReal:
        return definition.GetSubType() == OFSTFloat32 ? taviFieldTypeSingle : taviFieldTypeDouble;
    case OFTDate:
    case OFTTime:
    case OFTDateTime:
        return taviFieldTypeDate;
    case OFTBinary:
        return taviFieldTypeBlob;
    case OFTString:
        return definition.GetSubType() == OFSTUUID ? taviFieldTypeGUID : taviFieldTypeString;
    default:
        return taviFieldTypeString; // lists read as their text form
    }
}

namespace {

FieldProperties ObjectIdProperties(OGRLayer& layer) {
    FieldProperties p;
    const char* column = layer.GetFIDColumn();
    p.name = FromUtf8(column && *column ? column : "FID");
    p.type = taviFieldTypeOID;
    p.length = 4;
    p.nullable = false;
    p.editable = false;
    p.required = true;
    return p;
}

FieldProperties GeometryProperties(OGRGeomFieldDefn& definition) {
    FieldProperties p;
    const char* name = definition.GetNameRef();
    p.name = FromUtf8(name && *name ? name : "Shape");
    p.type = taviFieldTypeGeometry;
    p.nullable = definition.IsNullable() != 0;
    p.required = true;
    return p;
}

FieldProperties AttributeProperties(const OGRFieldDefn& definition) {
    FieldProperties p;
    p.name = FromUtf8(definition.GetNameRef());
    p.alias = FromUtf8(definition.GetAlternativeNameRef());
    p.type = FieldTypeOf(definition);
    p.nullable = definition.IsNullable() != 0;
    if (p.type == taviFieldTypeString || p.type == taviFieldTypeGUID) {
        p.length = definition.GetWidth();
    } else if (p.type != taviFieldTypeDate && p.type != taviFieldTypeBlob) {
        // Numbers: the stored width is the count of digits, the stored precision the digits after the point.
        p.precision = definition.GetWidth();
        p.scale = definition.GetPrecision();
    }
    return p;
}

} // namespace

ComPtr<Fields> FieldsOfLayer(OGRLayer& layer) {
    auto fields = MakeObject<Fields>();
    OGRFeatureDefn* definition = layer.GetLayerDefn();
    fields->Add(ObjectIdProperties(layer), {FieldSource::ObjectId, -1});
    for (int i = 0; i < definition->GetGeomFieldCount(); ++i)
        fields->Add(GeometryProperties(*definition->GetGeomFieldDefn(i)), {FieldSource::Geometry, i});
    for (int i = 0; i < definition->GetFieldCount(); ++i)
        fields->Add(AttributeProperties(*definition->GetFieldDefn(i)), {FieldSource::Attribute, i});
    return fields;
}

} // namespace tavi
