// The value table data type base.
#include "host/GPValueTableTypeBase.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/UID.h"
#include "tavi/GPDomains.h"

namespace tavi {

namespace {

// The identifier of a column's control as handed to AddDataType: an identifier object, or nothing.
CLSID ControlOf(IUnknown* control) {
    return GuidOf(QueryAs<IUID>(control).Get());
}

// The domain column `index` is checked with: of a composite domain its domain at that position, else `domain`.
ComPtr<IGPDomain> ColumnDomain(IGPDomain* domain, int32_t index) {
    auto composite = QueryAs<IGPCompositeDomain>(domain);
    if (!composite)
        return ComPtr<IGPDomain>(domain);
    ComPtr<IGPDomain> member;
    composite->get_Domain(index, member.Out());
    return member;
}

} // namespace

HRESULT ValueTableTypeColumns::Count(int32_t* count) const {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(columns_.size());
    return S_OK;
}

HRESULT ValueTableTypeColumns::DataType(int32_t index, IGPDataType** dataType) const {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *dataType = ComPtr<IGPDataType>(columns_[static_cast<size_t>(index)].type).Detach();
    return S_OK;
}

HRESULT ValueTableTypeColumns::Width(int32_t index, int32_t* width) const {
    if (!width)
        return E_POINTER;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *width = columns_[static_cast<size_t>(index)].width;
    return S_OK;
}

HRESULT ValueTableTypeColumns::DisplayName(int32_t index, BSTR* name) const {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    return guard([&] {
        *name = BStr(columns_[static_cast<size_t>(index)].displayName).Detach();
        return S_OK;
    });
}

HRESULT ValueTableTypeColumns::Add(IGPDataType* dataType, const OLECHAR* displayName, int32_t width,
                                   IUnknown* control) {
    if (!dataType)
        return E_POINTER;
    return guard([&] {
        columns_.push_back({ComPtr<IGPDataType>(dataType), displayName ? String(displayName) : String(), width,
                            ControlOf(control), false});
        return S_OK;
    });
}

HRESULT ValueTableTypeColumns::Remove(int32_t index) {
    if (!IsColumn(index))
        return E_INVALIDARG;
    columns_.erase(columns_.begin() + index);
    return S_OK;
}

HRESULT ValueTableTypeColumns::Control(int32_t index, IUID** control) const {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    const CLSID& id = columns_[static_cast<size_t>(index)].control;
    return id == GUID_NULL ? S_OK : MakeUID(id, control);
}

HRESULT ValueTableTypeColumns::PutReadOnly(int32_t index, VARIANT_BOOL readOnly) {
    if (!IsColumn(index))
        return E_INVALIDARG;
    columns_[static_cast<size_t>(index)].readOnly = readOnly != VARIANT_FALSE;
    return S_OK;
}

HRESULT ValueTableTypeColumns::ReadOnly(int32_t index, VARIANT_BOOL* readOnly) const {
    if (!readOnly)
        return E_POINTER;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *readOnly = columns_[static_cast<size_t>(index)].readOnly ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ValueTableTypeColumns::FullName(IName** fullName) const {
    if (HRESULT hr = ClearOut(fullName); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValueTableTypeName> name;
        if (FAILED(AfCreateInstance(CLSID_GPValueTableTypeName, nullptr, CLSCTX_INPROC_SERVER,
                                    IGPValueTableTypeName::iid, name.OutVoid())) ||
            !name)
            return E_FAIL;
        int32_t added = 0;
        for (const Column& column : columns_) {
            ComPtr<IName> columnName;
            ComPtr<IUID> control;
            if (FAILED(column.type->get_FullName(columnName.Out())) || !columnName)
                return E_FAIL;
            if (column.control != GUID_NULL && FAILED(MakeUID(column.control, control.Out())))
                return E_FAIL;
            if (HRESULT hr =
                    name->AddDataType(columnName.Get(), column.displayName.c_str(), column.width, control.Get());
                FAILED(hr))
                return hr;
            name->put_ReadOnly(added++, column.readOnly ? VARIANT_TRUE : VARIANT_FALSE);
        }
        return name->QueryInterface(IName::iid, reinterpret_cast<void**>(fullName));
    });
}

HRESULT ValueTableTypeColumns::CreateValue(REFCLSID valueClass, const OLECHAR* text, IGPValue** value) const {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValueTable> table;
        if (FAILED(AfCreateInstance(valueClass, nullptr, CLSCTX_INPROC_SERVER, IGPValueTable::iid, table.OutVoid())) ||
            !table)
            return E_FAIL;
        for (const Column& column : columns_)
            if (HRESULT hr = table->AddDataType(column.type.Get()); FAILED(hr))
                return hr;
        ComPtr<IGPValue> made = QueryAs<IGPValue>(table.Get());
        HRESULT hr = S_OK;
        if (text) {
            ComPtr<IGPMessage> message;
            hr = made->SetAsText(text, message.Out());
            if (SUCCEEDED(hr) && MessageIsError(message.Get()))
                hr = S_FALSE;
        }
        *value = made.Detach();
        return FAILED(hr) ? S_FALSE : hr;
    });
}

HRESULT ValueTableTypeColumns::ValidateDataType(GPDataTypeCore& type, IGPDataType* other, IGPMessage** message) const {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!other)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto table = QueryAs<IGPValueTableType>(other);
        int32_t count = 0;
        if (!table || FAILED(table->get_Count(&count)) || static_cast<size_t>(count) != columns_.size())
            return type.MakeDataTypeErrorMessage(VARIANT_FALSE, other, message);
        // The first column that refuses its counterpart speaks for the table.
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPDataType> theirs;
            ComPtr<IGPMessage> verdict;
            table->get_DataType(i, theirs.Out());
            if (!theirs)
                return type.MakeDataTypeErrorMessage(VARIANT_FALSE, other, message);
            if (HRESULT hr = columns_[static_cast<size_t>(i)].type->ValidateDataType(theirs.Get(), verdict.Out());
                FAILED(hr))
                return hr;
            if (MessageIsError(verdict.Get())) {
                *message = verdict.Detach();
                return S_OK;
            }
        }
        return type.MakeDataTypeErrorMessage(VARIANT_TRUE, other, message);
    });
}

HRESULT ValueTableTypeColumns::ValidateValue(GPDataTypeCore& type, IGPValue* value, IGPDomain* domain,
                                             IGPMessage** message) const {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = GPDataTypeCore::UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto table = QueryAs<IGPValueTable>(actual.Get());
        int32_t columnCount = 0;
        int32_t recordCount = 0;
        if (!table || FAILED(table->get_DataTypeCount(&columnCount)) ||
            static_cast<size_t>(columnCount) != columns_.size() || FAILED(table->get_RecordCount(&recordCount)))
            return type.MakeValueErrorMessage(VARIANT_FALSE, value, message);
        auto collected = MakeObject<GPMultiMessage>();
        for (int32_t c = 0; c < columnCount; ++c) {
            ComPtr<IGPDomain> columnDomain = ColumnDomain(domain, c);
            for (int32_t r = 0; r < recordCount; ++r) {
                ComPtr<IGPValue> cell;
                table->GetValue(r, c, cell.Out());
                if (!cell)
                    continue;
                ComPtr<IGPMessage> verdict;
                HRESULT hr =
                    columns_[static_cast<size_t>(c)].type->ValidateValue(cell.Get(), columnDomain.Get(), verdict.Out());
                if (verdict)
                    collected->AddMessage(verdict.Get());
                if (FAILED(hr))
                    return hr;
            }
        }
        *message = static_cast<IGPMessage*>(collected.Detach());
        return S_OK;
    });
}

HRESULT ValueTableTypeColumns::AssignFrom(IClone* source) {
    auto other = QueryAs<IGPValueTableType>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        other->get_Count(&count);
        std::vector<Column> columns;
        for (int32_t i = 0; i < count; ++i) {
            Column column;
            BStr name;
            ComPtr<IUID> control;
            VARIANT_BOOL readOnly = VARIANT_FALSE;
            if (FAILED(other->get_DataType(i, column.type.Out())) || !column.type ||
                FAILED(other->get_DisplayName(i, name.Out())) || FAILED(other->get_Width(i, &column.width)) ||
                FAILED(other->get_ControlCLSID(i, control.Out())) || FAILED(other->get_ReadOnly(i, &readOnly)))
                return E_FAIL;
            column.displayName = name.str();
            column.control = GuidOf(control.Get());
            column.readOnly = readOnly != VARIANT_FALSE;
            columns.push_back(std::move(column));
        }
        columns_ = std::move(columns);
        return S_OK;
    });
}

bool ValueTableTypeColumns::EqualTo(IClone* other) const {
    ValueTableTypeColumns theirs;
    if (FAILED(theirs.AssignFrom(other)) || theirs.columns_.size() != columns_.size())
        return false;
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Column& a = columns_[i];
        const Column& b = theirs.columns_[i];
        if (a.displayName != b.displayName || a.width != b.width || a.control != b.control ||
            a.readOnly != b.readOnly || !EqualByClone(a.type.Get(), b.type.Get()))
            return false;
    }
    return true;
}

} // namespace tavi
