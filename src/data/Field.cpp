// Fields: see Field.h.
#include "data/Field.h"

#include "data/DataElementValue.h"
#include "host/GPValue.h"
#include "host/StreamIO.h"
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
    if (type < taviFieldTypeSmallInteger || type > taviFieldTypeTimestampOffset)
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

HRESULT Field::get_DataType(IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    return S_FALSE;
}

HRESULT Field::IsEmpty(VARIANT_BOOL* empty) {
    return HandOutValue(ToBool(p_.name.empty()), empty);
}

HRESULT Field::GetAsText(BSTR* text) {
    return HandOut(p_.name, text);
}

HRESULT Field::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return KeepNameText(p_.name, text, true, message);
}

HRESULT Field::SerializeJSONObject(BSTR* json) {
    return NameJson("name", p_.name, json);
}

HRESULT Field::DeserializeJSONObject(const OLECHAR* json) {
    return KeepNameJson("name", p_.name, json, true);
}

HRESULT Field::Describe(const OLECHAR* name, VARIANT* value) {
    return DescribeField(this, name, value);
}

HRESULT Field::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&] { *clone = static_cast<IClone*>(MakeField(p_).Detach()); });
}

HRESULT Field::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto field = QueryAs<IField>(source);
        if (!field)
            return E_INVALIDARG;
        FieldProperties properties;
        if (HRESULT hr = ReadFieldProperties(field.Get(), properties); FAILED(hr))
            return hr;
        p_ = std::move(properties);
        return S_OK;
    });
}

HRESULT Field::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto field = QueryAs<IField>(other);
        FieldProperties o;
        if (!field || FAILED(ReadFieldProperties(field.Get(), o)))
            return S_OK;
        bool same = o.name == p_.name && o.alias == p_.alias && o.type == p_.type && o.length == p_.length &&
                    o.nullable == p_.nullable && o.editable == p_.editable && o.required == p_.required &&
                    o.precision == p_.precision && o.scale == p_.scale && o.rasterDef.Get() == p_.rasterDef.Get();
        *equal = ToBool(same);
        return S_OK;
    });
}

HRESULT Field::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = ToBool(SameObject(static_cast<IField*>(this), other));
    return S_OK;
}

HRESULT Field::GetClassID(CLSID* clsid) {
    return HandOutValue(kClassId, clsid);
}

namespace {

constexpr uint16_t kFieldStreamVersion = 1;

HRESULT WriteBool(IStream* stream, bool value) {
    return AfStreamWrite(stream, static_cast<int16_t>(ToBool(value)));
}

HRESULT ReadBool(IStream* stream, bool& value) {
    int16_t stored = 0;
    if (FAILED(AfStreamRead(stream, &stored)))
        return E_FAIL;
    value = stored != 0;
    return S_OK;
}

} // namespace

HRESULT Field::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        HRESULT results[] = {AfStreamWrite(stream, kFieldStreamVersion),
                             WriteString(stream, p_.name),
                             WriteString(stream, p_.alias),
                             AfStreamWrite(stream, p_.type),
                             AfStreamWrite(stream, p_.length),
                             WriteBool(stream, p_.nullable),
                             WriteBool(stream, p_.editable),
                             WriteBool(stream, p_.required),
                             AfStreamWrite(stream, p_.precision),
                             AfStreamWrite(stream, p_.scale),
                             SaveObject(p_.rasterDef.Get(), stream, clearDirty != 0)};
        for (HRESULT hr : results)
            if (FAILED(hr))
                return E_FAIL;
        return S_OK;
    });
}

// Reads into a copy, so that a form that breaks off leaves the field as it was.
HRESULT Field::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0;
        FieldProperties p;
        if (FAILED(AfStreamRead(stream, &version)) || version != kFieldStreamVersion)
            return E_FAIL;
        HRESULT results[] = {
            ReadString(stream, &p.name),    ReadString(stream, &p.alias),
            AfStreamRead(stream, &p.type),  AfStreamRead(stream, &p.length),
            ReadBool(stream, p.nullable),   ReadBool(stream, p.editable),
            ReadBool(stream, p.required),   AfStreamRead(stream, &p.precision),
            AfStreamRead(stream, &p.scale), LoadObject(stream, IRasterDef::iid, p.rasterDef.OutVoid())};
        for (HRESULT hr : results)
            if (FAILED(hr))
                return E_FAIL;
        if (p.type < taviFieldTypeSmallInteger || p.type > taviFieldTypeTimestampOffset || p.length < 0)
            return E_FAIL;
        p_ = std::move(p);
        return S_OK;
    });
}

HRESULT Field::GetSizeMax(uint64_t* size) {
    return SaveFormSize(this, size);
}

ComPtr<Field> MakeField(FieldProperties properties) {
    return MakeObject<Field>(std::move(properties));
}

HRESULT RasterDef::get_Description(BSTR* description) {
    return HandOut(description_, description);
}

HRESULT RasterDef::get_SpatialReference(ISpatialReference** spatialReference) {
    return spatialReference_.CopyTo(spatialReference);
}

HRESULT RasterDef::GetClassID(CLSID* clsid) {
    return HandOutValue(kClassId, clsid);
}

HRESULT RasterDef::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kFieldStreamVersion)) || FAILED(WriteString(stream, description_)) ||
            FAILED(SaveObject(spatialReference_.Get(), stream, clearDirty != 0)))
            return E_FAIL;
        return S_OK;
    });
}

HRESULT RasterDef::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0;
        String description;
        ComPtr<ISpatialReference> spatialReference;
        if (FAILED(AfStreamRead(stream, &version)) || version != kFieldStreamVersion ||
            FAILED(ReadString(stream, &description)) ||
            FAILED(LoadObject(stream, ISpatialReference::iid, spatialReference.OutVoid())))
            return E_FAIL;
        description_ = std::move(description);
        spatialReference_ = std::move(spatialReference);
        return S_OK;
    });
}

HRESULT RasterDef::GetSizeMax(uint64_t* size) {
    return SaveFormSize(this, size);
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
    // Kept as OGR's date, time and date-time, which read back as dates (their text sets them).
    case taviFieldTypeDateOnly:
        type = OFTDate;
        break;
    case taviFieldTypeTimeOnly:
        type = OFTTime;
        break;
    case taviFieldTypeTimestampOffset:
        type = OFTDateTime;
        break;
    default:
        return E_INVALIDARG; // object identifiers, shapes and rasters are no attributes
    }
    definition = std::make_unique<OGRFieldDefn>(ToUtf8(p.name).c_str(), type);
    definition->SetSubType(subType);
    if (type == OFTString) {
        definition->SetWidth(p.length);
    } else if (type != OFTDate && type != OFTTime && type != OFTDateTime && type != OFTBinary) {
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
