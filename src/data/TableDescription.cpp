// Table descriptions: see TableDescription.h.
#include "data/TableDescription.h"

#include "data/Field.h"
#include "host/GPValue.h"
#include "host/StreamIO.h"
#include "platform/HandOut.h"

namespace tavi {

namespace {

constexpr uint16_t kStreamVersion = 1;

// A new field list holding a copy of each field of `source` (none for a null source).
HRESULT CopyFields(IFields* source, ComPtr<IFields>& copy) {
    auto fields = MakeObject<Fields>();
    int32_t count = 0;
    if (source && FAILED(source->get_FieldCount(&count)))
        return E_FAIL;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        FieldProperties properties;
        if (FAILED(source->get_Field(i, field.Out())) || FAILED(ReadFieldProperties(field.Get(), properties)))
            return E_FAIL;
        fields->Add(std::move(properties), {FieldSource::Attribute, -1});
    }
    copy = ComPtr<IFields>(static_cast<IFields*>(fields.Get()));
    return S_OK;
}

bool SameFields(IFields* a, IFields* b) {
    int32_t countA = 0, countB = 0;
    if (FAILED(a->get_FieldCount(&countA)) || FAILED(b->get_FieldCount(&countB)) || countA != countB)
        return false;
    for (int32_t i = 0; i < countA; ++i) {
        ComPtr<IField> fieldA, fieldB;
        VARIANT_BOOL equal = VARIANT_FALSE;
        if (FAILED(a->get_Field(i, fieldA.Out())) || FAILED(b->get_Field(i, fieldB.Out())))
            return false;
        auto clone = QueryAs<IClone>(fieldA.Get());
        auto other = QueryAs<IClone>(fieldB.Get());
        if (!clone || !other || FAILED(clone->IsEqual(other.Get(), &equal)) || !equal)
            return false;
    }
    return true;
}

} // namespace

TableDescription::TableDescription() : TableDescription(u"DETable", String(), String()) {}

TableDescription::TableDescription(String typeName, String catalogPath, String name)
    : DataElementObject(std::move(typeName), std::move(catalogPath), std::move(name)),
      fields_(static_cast<IFields*>(MakeObject<Fields>().Get())) {}

HRESULT TableDescription::Empty() {
    return guard([&] {
        auto fields = MakeObject<Fields>();
        SetIdentity(u"DETable", String(), String());
        fields_ = ComPtr<IFields>(static_cast<IFields*>(fields.Get()));
        oidFieldName_.clear();
    });
}

HRESULT TableDescription::get_Fields(IFields** fields) {
    return fields_.CopyTo(fields);
}

HRESULT TableDescription::putref_Fields(IFields* fields) {
    return guard([&] { fields_ = fields ? ComPtr<IFields>(fields) : ComPtr<IFields>(MakeObject<Fields>().Get()); });
}

HRESULT TableDescription::get_HasOID(VARIANT_BOOL* hasOID) {
    return HandOutValue(oidFieldName_.empty() ? VARIANT_FALSE : VARIANT_TRUE, hasOID);
}

HRESULT TableDescription::get_OIDFieldName(BSTR* name) {
    return HandOut(oidFieldName_, name);
}

HRESULT TableDescription::put_OIDFieldName(const OLECHAR* name) {
    return guard([&] { oidFieldName_ = name ? name : u""; });
}

HRESULT TableDescription::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<TableDescription>();
        if (HRESULT hr = copy->Assign(this); FAILED(hr))
            return hr;
        *clone = static_cast<IClone*>(copy.Detach());
        return S_OK;
    });
}

HRESULT TableDescription::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        ComPtr<TableDescription> copy;
        if (FAILED(DescribeTable(source, true, copy)))
            return E_INVALIDARG;
        SetIdentity(copy->TypeName(), copy->CatalogPath(), copy->Name());
        fields_ = std::move(copy->fields_);
        oidFieldName_ = std::move(copy->oidFieldName_);
        return S_OK;
    });
}

HRESULT TableDescription::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        ComPtr<TableDescription> o;
        if (FAILED(DescribeTable(other, true, o)))
            return S_OK;
        bool same = o->TypeName() == TypeName() && o->CatalogPath() == CatalogPath() && o->Name() == Name() &&
                    o->oidFieldName_ == oidFieldName_ && SameFields(o->fields_.Get(), fields_.Get());
        *equal = same ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT TableDescription::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IDataElement*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TableDescription::GetClassID(CLSID* clsid) {
    return HandOutValue(kClassId, clsid);
}

HRESULT TableDescription::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (FAILED(fields_->get_FieldCount(&count)) || FAILED(AfStreamWrite(stream, kStreamVersion)) ||
            FAILED(WriteString(stream, TypeName())) || FAILED(WriteString(stream, CatalogPath())) ||
            FAILED(WriteString(stream, Name())) || FAILED(WriteString(stream, oidFieldName_)) ||
            FAILED(AfStreamWrite(stream, count)))
            return E_FAIL;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IField> field;
            if (FAILED(fields_->get_Field(i, field.Out())) || FAILED(SaveObject(field.Get(), stream, clearDirty)))
                return E_FAIL;
        }
        return S_OK;
    });
}

// Reads into new parts and takes them only when the whole form was read.
HRESULT TableDescription::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0;
        String typeName, catalogPath, name, oidFieldName;
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &version)) || version != kStreamVersion ||
            FAILED(ReadString(stream, &typeName)) || FAILED(ReadString(stream, &catalogPath)) ||
            FAILED(ReadString(stream, &name)) || FAILED(ReadString(stream, &oidFieldName)) ||
            FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        auto fields = MakeObject<Fields>();
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IField> field;
            if (FAILED(LoadObject(stream, IField::iid, field.OutVoid())) || !field ||
                FAILED(fields->AddField(field.Get())))
                return E_FAIL;
        }
        SetIdentity(std::move(typeName), std::move(catalogPath), std::move(name));
        fields_ = ComPtr<IFields>(static_cast<IFields*>(fields.Get()));
        oidFieldName_ = std::move(oidFieldName);
        return S_OK;
    });
}

HRESULT TableDescription::GetSizeMax(uint64_t* size) {
    return SaveFormSize(this, size);
}

HRESULT DescribeTable(IUnknown* table, bool withFields, ComPtr<TableDescription>& description) {
    auto element = QueryAs<IDataElement>(table);
    if (!element)
        return E_INVALIDARG;
    BStr typeName, catalogPath, name, oidFieldName;
    if (FAILED(element->get_Type(typeName.Out())) || FAILED(element->get_CatalogPath(catalogPath.Out())) ||
        FAILED(element->get_Name(name.Out())))
        return E_FAIL;
    auto made = MakeObject<TableDescription>(typeName.str(), catalogPath.str(), name.str());
    if (auto tableDescription = QueryAs<IDEGdbTable7>(table)) {
        ComPtr<IFields> fields;
        if (FAILED(tableDescription->get_OIDFieldName(oidFieldName.Out())))
            return E_FAIL;
        made->oidFieldName_ = oidFieldName.str();
        if (withFields &&
            (FAILED(tableDescription->get_Fields(fields.Out())) || FAILED(CopyFields(fields.Get(), made->fields_))))
            return E_FAIL;
    }
    description = std::move(made);
    return S_OK;
}

} // namespace tavi
