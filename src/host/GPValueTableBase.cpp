// The value table base.
#include "host/GPValueTableBase.h"

#include "host/CreateInstance.h"
#include "host/MultiValueText.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/GPUtilities.h"

namespace tavi {

namespace {

// A copy of a cell for another table: model variables are shared, other values cloned. False when a value cannot be
// cloned.
bool CopyCell(IGPValue* cell, ComPtr<IGPValue>& copy) {
    if (!cell || QueryAs<IGPVariable>(cell)) {
        copy = ComPtr<IGPValue>(cell);
        return true;
    }
    auto clone = QueryAs<IClone>(cell);
    ComPtr<IClone> made;
    if (!clone || FAILED(clone->Clone(made.Out())) || !made)
        return false;
    copy = QueryAs<IGPValue>(made.Get());
    return static_cast<bool>(copy);
}

// The data type a stored full name opens to; null when it does not open to one.
ComPtr<IGPDataType> OpenDataType(IUnknown* fullName) {
    auto name = QueryAs<IName>(fullName);
    ComPtr<IUnknown> opened;
    if (!name || FAILED(name->Open(opened.Out())))
        return {};
    return QueryAs<IGPDataType>(opened.Get());
}

} // namespace

// --- columns and records ---

HRESULT ValueTableContent::DataTypeCount(int32_t* count) const {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(columns_.size());
    return S_OK;
}

HRESULT ValueTableContent::DataType(int32_t index, IGPDataType** dataType) const {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!IsColumn(index))
        return E_INVALIDARG;
    *dataType = ComPtr<IGPDataType>(columns_[static_cast<size_t>(index)]).Detach();
    return S_OK;
}

HRESULT ValueTableContent::AddDataType(IGPDataType* dataType) {
    if (!dataType)
        return E_POINTER;
    return guard([&] {
        columns_.emplace_back(dataType);
        for (auto& record : records_)
            record.emplace_back();
        Changed();
        return S_OK;
    });
}

HRESULT ValueTableContent::RemoveDataType(int32_t index) {
    if (!IsColumn(index))
        return E_INVALIDARG;
    columns_.erase(columns_.begin() + index);
    for (auto& record : records_)
        record.erase(record.begin() + index);
    if (columns_.empty())
        records_.clear(); // a table without columns holds no records
    Changed();
    return S_OK;
}

HRESULT ValueTableContent::RecordCount(int32_t* count) const {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(records_.size());
    return S_OK;
}

HRESULT ValueTableContent::GetValue(int32_t row, int32_t column, IGPValue** value) const {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!IsRecord(row) || !IsColumn(column))
        return E_INVALIDARG;
    *value = ComPtr<IGPValue>(records_[static_cast<size_t>(row)][static_cast<size_t>(column)]).Detach();
    return S_OK;
}

HRESULT ValueTableContent::SetValue(int32_t row, int32_t column, IGPValue* value) {
    if (!IsRecord(row) || !IsColumn(column))
        return E_INVALIDARG;
    records_[static_cast<size_t>(row)][static_cast<size_t>(column)] = ComPtr<IGPValue>(value);
    Changed();
    return S_OK;
}

bool ValueTableContent::RecordOf(IArray* array, Record& record) const {
    int32_t count = 0;
    if (!array || FAILED(array->get_Count(&count)) || count < 0 || static_cast<size_t>(count) > columns_.size())
        return false;
    record.assign(columns_.size(), nullptr);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        if (FAILED(array->get_Element(i, element.Out())))
            return false;
        record[static_cast<size_t>(i)] = QueryAs<IGPValue>(element.Get());
        if (element && !record[static_cast<size_t>(i)])
            return false; // an element that is no value
    }
    return true;
}

HRESULT ValueTableContent::AddRecord(IArray* record) {
    return InsertRecord(static_cast<int32_t>(records_.size()), record);
}

HRESULT ValueTableContent::InsertRecord(int32_t index, IArray* record) {
    if (!record)
        return E_POINTER;
    if (columns_.empty())
        return E_FAIL;
    if (index < 0 || static_cast<size_t>(index) > records_.size())
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        Record made;
        if (!RecordOf(record, made))
            return E_INVALIDARG;
        records_.insert(records_.begin() + index, std::move(made));
        Changed();
        return S_OK;
    });
}

HRESULT ValueTableContent::ReplaceRecord(int32_t index, IArray* record) {
    if (!record)
        return E_POINTER;
    if (!IsRecord(index))
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        Record made;
        if (!RecordOf(record, made))
            return E_INVALIDARG;
        records_[static_cast<size_t>(index)] = std::move(made);
        Changed();
        return S_OK;
    });
}

HRESULT ValueTableContent::RemoveRecord(int32_t index) {
    if (!IsRecord(index))
        return E_INVALIDARG;
    records_.erase(records_.begin() + index);
    Changed();
    return S_OK;
}

HRESULT ValueTableContent::GetRecord(int32_t index, IArray** record) const {
    if (HRESULT hr = ClearOut(record); FAILED(hr))
        return hr;
    if (!IsRecord(index))
        return E_INVALIDARG;
    return guard([&] {
        auto array = MakeObject<ObjectArray>();
        for (const auto& cell : records_[static_cast<size_t>(index)])
            array->Add(cell.Get());
        *record = static_cast<IArray*>(array.Detach());
        return S_OK;
    });
}

HRESULT ValueTableContent::RemoveValue(IGPValue* value) {
    if (!value)
        return E_POINTER;
    for (auto record = records_.begin(); record != records_.end(); ++record)
        for (const auto& cell : *record)
            if (SameObject(cell.Get(), value)) {
                records_.erase(record);
                Changed();
                return S_OK;
            }
    return E_FAIL;
}

HRESULT ValueTableContent::DataTypeOfValue(REFCLSID typeClass, IGPDataType** dataType) const {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValueTableType> type;
        if (FAILED(
                AfCreateInstance(typeClass, nullptr, CLSCTX_INPROC_SERVER, IGPValueTableType::iid, type.OutVoid())) ||
            !type)
            return E_FAIL;
        for (const auto& column : columns_)
            if (HRESULT hr = type->AddDataType(column.Get(), u"", 0, nullptr); FAILED(hr))
                return hr;
        return type->QueryInterface(IGPDataType::iid, reinterpret_cast<void**>(dataType));
    });
}

// --- the text form ---

String ValueTableContent::Text(bool variableNames) const {
    multivaluetext::TableWriter writer;
    writer.Reserve(records_.size() * columns_.size() * 12); // a guess at the common short value
    for (const auto& record : records_) {
        writer.BeginRecord();
        for (const auto& cell : record)
            UseMemberText(cell.Get(), variableNames,
                          [&](std::optional<std::u16string_view> text) { writer.AddCell(text); });
    }
    return writer.Finish();
}

bool ValueTableContent::ReadText(std::u16string_view text) {
    std::vector<Record> read;
    bool made = true;
    multivaluetext::SplitRecords(text, [&](std::vector<String>& cells) {
        if (cells.size() > columns_.size())
            return made = false;
        Record record(columns_.size());
        for (size_t i = 0; i < columns_.size(); ++i) {
            // A missing value, or "#", is the column type's value made from no text.
            const OLECHAR* cellText = i < cells.size() && !cells[i].empty() ? cells[i].c_str() : nullptr;
            if (columns_[i]->CreateValue(cellText, record[i].Out()) != S_OK || !record[i])
                return made = false;
        }
        read.push_back(std::move(record));
        return true;
    });
    if (!made)
        return false;
    records_ = std::move(read);
    Changed();
    return true;
}

// --- cloning ---

HRESULT ValueTableContent::AssignFrom(IClone* source) {
    auto other = QueryAs<IGPValueTable>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        int32_t columnCount = 0;
        int32_t recordCount = 0;
        other->get_DataTypeCount(&columnCount);
        other->get_RecordCount(&recordCount);
        std::vector<ComPtr<IGPDataType>> columns(static_cast<size_t>(std::max(columnCount, 0)));
        for (int32_t c = 0; c < columnCount; ++c)
            if (FAILED(other->get_DataType(c, columns[static_cast<size_t>(c)].Out())) || !columns[c])
                return E_FAIL;
        std::vector<Record> records;
        for (int32_t r = 0; r < recordCount; ++r) {
            Record record(columns.size());
            for (int32_t c = 0; c < columnCount; ++c) {
                ComPtr<IGPValue> cell;
                if (FAILED(other->GetValue(r, c, cell.Out())) || !CopyCell(cell.Get(), record[static_cast<size_t>(c)]))
                    return E_FAIL;
            }
            records.push_back(std::move(record));
        }
        columns_ = std::move(columns);
        records_ = std::move(records);
        return S_OK;
    });
}

bool ValueTableContent::EqualTo(IClone* other) const {
    auto table = QueryAs<IGPValueTable>(other);
    int32_t columnCount = 0;
    int32_t recordCount = 0;
    if (!table || FAILED(table->get_DataTypeCount(&columnCount)) || FAILED(table->get_RecordCount(&recordCount)) ||
        static_cast<size_t>(columnCount) != columns_.size() || static_cast<size_t>(recordCount) != records_.size())
        return false;
    for (int32_t c = 0; c < columnCount; ++c) {
        ComPtr<IGPDataType> column;
        table->get_DataType(c, column.Out());
        if (!EqualByClone(columns_[static_cast<size_t>(c)].Get(), column.Get()))
            return false;
    }
    for (int32_t r = 0; r < recordCount; ++r)
        for (int32_t c = 0; c < columnCount; ++c) {
            ComPtr<IGPValue> cell;
            table->GetValue(r, c, cell.Out());
            if (!EqualByClone(records_[static_cast<size_t>(r)][static_cast<size_t>(c)].Get(), cell.Get()))
                return false;
        }
    return true;
}

HRESULT ValueTableContent::Resolved(REFCLSID valueClass, IGPVariableManager* manager, IGPValue** resolved) const {
    if (HRESULT hr = ClearOut(resolved); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValueTable> made;
        if (FAILED(AfCreateInstance(valueClass, nullptr, CLSCTX_INPROC_SERVER, IGPValueTable::iid, made.OutVoid())) ||
            !made)
            return E_FAIL;
        for (const auto& column : columns_)
            made->AddDataType(column.Get());
        ComPtr<IGPUtilities> utilities;
        AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities.OutVoid());
        for (const auto& record : records_) {
            auto array = MakeObject<ObjectArray>();
            for (const auto& cell : record) {
                ComPtr<IGPValue> value;
                if (utilities && cell)
                    utilities->ResolveValue(cell.Get(), manager, value.Out());
                array->Add(value ? value.Get() : cell.Get());
            }
            if (HRESULT hr = made->AddRecord(static_cast<IArray*>(array.Get())); FAILED(hr))
                return hr;
        }
        if (auto expression = QueryAs<IGPValueExpression>(made.Get()))
            expression->put_Resolved(VARIANT_TRUE);
        return made->QueryInterface(IGPValue::iid, reinterpret_cast<void**>(resolved));
    });
}

// --- the stream and XML forms ---

HRESULT ValueTableContent::Save(IStream* stream, bool clearDirty) const {
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(columns_.size()))))
        return E_FAIL;
    for (const auto& column : columns_) {
        ComPtr<IName> name;
        if (FAILED(column->get_FullName(name.Out())) || FAILED(SaveObject(name.Get(), stream, clearDirty)))
            return E_FAIL;
    }
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(records_.size()))))
        return E_FAIL;
    for (const auto& record : records_)
        for (const auto& cell : record)
            if (FAILED(SaveObject(cell.Get(), stream, clearDirty)))
                return E_FAIL;
    return S_OK;
}

HRESULT ValueTableContent::Load(IStream* stream) {
    int32_t columnCount = 0;
    if (FAILED(AfStreamRead(stream, &columnCount)) || columnCount < 0)
        return E_FAIL;
    std::vector<ComPtr<IGPDataType>> columns;
    for (int32_t c = 0; c < columnCount; ++c) {
        ComPtr<IUnknown> name;
        if (FAILED(LoadObject(stream, IUnknown::iid, name.OutVoid())))
            return E_FAIL;
        ComPtr<IGPDataType> column = OpenDataType(name.Get());
        if (!column)
            return E_FAIL;
        columns.push_back(std::move(column));
    }
    int32_t recordCount = 0;
    if (FAILED(AfStreamRead(stream, &recordCount)) || recordCount < 0 || (recordCount > 0 && columns.empty()))
        return E_FAIL;
    std::vector<Record> records;
    for (int32_t r = 0; r < recordCount; ++r) {
        Record record(columns.size());
        for (auto& cell : record)
            if (FAILED(LoadObject(stream, IGPValue::iid, cell.OutVoid())))
                return E_FAIL;
        records.push_back(std::move(record));
    }
    columns_ = std::move(columns);
    records_ = std::move(records);
    return S_OK;
}

HRESULT ValueTableContent::Serialize(IXMLSerializeData* data) const {
    auto names = MakeObject<ObjectArray>();
    for (const auto& column : columns_) {
        ComPtr<IName> name;
        if (FAILED(column->get_FullName(name.Out())))
            return E_FAIL;
        names->Add(name.Get());
    }
    if (HRESULT hr =
            data->AddObjectArray(u"DataTypes", static_cast<IArray*>(names.Get()), u"GPDataTypeName", c_xml_ns_tavi);
        FAILED(hr))
        return hr;
    auto cells = MakeObject<ObjectArray>();
    for (const auto& record : records_)
        for (const auto& cell : record)
            cells->Add(cell.Get());
    return data->AddObjectArray(u"Values", static_cast<IArray*>(cells.Get()), u"GPValue", c_xml_ns_tavi);
}

HRESULT ValueTableContent::Deserialize(IXMLSerializeData* data) {
    std::vector<ComPtr<IUnknown>> names;
    std::vector<ComPtr<IUnknown>> cells;
    if (HRESULT hr = ReadXmlObjectArray(data, u"DataTypes", u"ArrayOfGPDataTypeName", names); FAILED(hr))
        return hr;
    if (HRESULT hr = ReadXmlObjectArray(data, u"Values", u"ArrayOfGPValue", cells); FAILED(hr))
        return hr;
    std::vector<ComPtr<IGPDataType>> columns;
    for (const auto& name : names) {
        ComPtr<IGPDataType> column = OpenDataType(name.Get());
        if (!column)
            return E_FAIL;
        columns.push_back(std::move(column));
    }
    if (columns.empty() ? !cells.empty() : cells.size() % columns.size() != 0)
        return E_FAIL; // cells that make no whole records
    std::vector<Record> records;
    for (size_t at = 0; at < cells.size(); at += columns.size()) {
        Record record(columns.size());
        for (size_t c = 0; c < columns.size(); ++c) {
            record[c] = QueryAs<IGPValue>(cells[at + c].Get());
            if (cells[at + c] && !record[c])
                return E_FAIL;
        }
        records.push_back(std::move(record));
    }
    columns_ = std::move(columns);
    records_ = std::move(records);
    return S_OK;
}

} // namespace tavi
