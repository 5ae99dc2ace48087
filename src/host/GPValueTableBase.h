// The value table base: a value made of records, each record holding one value per column, each column with its own
// data type (a list of input tables each with a rank, say). A value table class gives only its identities:
//
//   class GPValueTable final : public GPValueTableBase<GPValueTable> {
//   public:
//       GPValueTable() : GPValueTableBase(kClassId, CLSID_GPValueTableType) {}
//   };
//
// Records are kept rectangular: every record has one cell per column, and a cell may hold no value. A table without
// columns holds no records.
//
// Text form: records separated by ";", the values of a record by blanks, each value quoted by the multi-value's
// rules (host/MultiValueText.h) so that it stays one value: "in.shp 1;'my data.shp' 2". A value without text is
// "#". Reading makes each value with its column's data type (a "#" or missing value: the type's value from no text);
// a record with more values than columns, or a value its column's type cannot read, makes the message an error (code
// 818) and the table keeps what it held.
//
// Stream form (version 1): the base part; the column count, 32-bit; each column's data type full name as a nested
// object; the record count, 32-bit; every record's cells in order as nested objects (none for an empty cell).
// XML form: "DataTypes" (the columns' full names, an object array of "GPDataTypeName") and "Values" (every record's
// cells in row order, an object array of "GPValue", nil for an empty cell).
//
// IGPValueExpression: cells may be model variables; the text with variable names, their "%name%" substitution and
// resolving work as the multi-value's do.
#pragma once

#include "host/GPValue.h"
#include "host/ModelVariables.h"
#include "tavi/GPComposite.h"

#include <string_view>
#include <vector>

namespace tavi {

// The columns and records of a value table and the operations on them; the base below forwards to it.
class ValueTableContent {
public:
    using Record = std::vector<ComPtr<IGPValue>>;
    // The message code of a record value that cannot be made from its text.
    static constexpr int32_t kValueNotMade = 818;

    // `owner` is told of every change (SetModified).
    explicit ValueTableContent(GPValueCore& owner) : owner_(owner) {}

    bool HasRecords() const { return !records_.empty(); }
    void ClearRecords() { records_.clear(); }

    // IGPValueTable. Indexes outside the columns or records give E_INVALIDARG; a record array supplies one value per
    // column (fewer leave the rest empty; more give E_INVALIDARG); a table without columns takes no record (E_FAIL).
    HRESULT DataTypeCount(int32_t* count) const;
    HRESULT DataType(int32_t index, IGPDataType** dataType) const;
    HRESULT AddDataType(IGPDataType* dataType); // each record gets an empty cell
    HRESULT RemoveDataType(int32_t index);      // and each record's cell of that column
    HRESULT RecordCount(int32_t* count) const;
    HRESULT GetValue(int32_t row, int32_t column, IGPValue** value) const;
    HRESULT SetValue(int32_t row, int32_t column, IGPValue* value);
    HRESULT AddRecord(IArray* record);
    HRESULT InsertRecord(int32_t index, IArray* record); // 0..count
    HRESULT ReplaceRecord(int32_t index, IArray* record);
    HRESULT RemoveRecord(int32_t index);
    HRESULT GetRecord(int32_t index, IArray** record) const; // a new array of the record's cells
    HRESULT RemoveValue(IGPValue* value);                    // the first record holding it; E_FAIL when none does

    // The value's data type: a new object of `typeClass` given the columns.
    HRESULT DataTypeOfValue(REFCLSID typeClass, IGPDataType** dataType) const;
    // The text form; with `variableNames` a cell that is a model variable is written as its name.
    String Text(bool variableNames) const;
    // Reads a non-empty text; false (nothing changed) when a record does not fit the columns or a value cannot be
    // made.
    bool ReadText(std::u16string_view text);

    // Assign: the source's columns (shared) and cells (copied; model variables shared). IsEqual: columns and cells
    // equal by IClone.
    HRESULT AssignFrom(IClone* source);
    bool EqualTo(IClone* other) const;

    // IGPValueExpression::ResolveValue: a new value of `valueClass` with the same columns and each cell resolved
    // through `manager`.
    HRESULT Resolved(REFCLSID valueClass, IGPVariableManager* manager, IGPValue** resolved) const;

    HRESULT Save(IStream* stream, bool clearDirty) const;
    HRESULT Load(IStream* stream);
    HRESULT Serialize(IXMLSerializeData* data) const;
    HRESULT Deserialize(IXMLSerializeData* data);

private:
    bool IsColumn(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < columns_.size(); }
    bool IsRecord(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < records_.size(); }
    // The record an array stands for; false when it does not fit the columns.
    bool RecordOf(IArray* array, Record& record) const;
    void Changed() { owner_.SetModified(); }

    GPValueCore& owner_;
    std::vector<ComPtr<IGPDataType>> columns_;
    std::vector<Record> records_;
};

template <class Derived, class... R>
class GPValueTableBase : public GPValue<Derived, ValueInterfacesDescribed, IGPValueTable, IGPValueExpression, R...> {
public:
    static constexpr uint16_t kStreamVersion = 1;

    // IGPValue
    HRESULT get_DataType(IGPDataType** dataType) override {
        return content_.DataTypeOfValue(this->DataTypeClassId(), dataType);
    }
    HRESULT IsEmpty(VARIANT_BOOL* empty) override {
        if (!empty)
            return E_POINTER;
        *empty = content_.HasRecords() ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    }
    HRESULT Empty() override {
        content_.ClearRecords();
        return this->BaseEmpty();
    }
    HRESULT GetAsText(BSTR* text) override { return HandOutText(false, text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override {
        return this->SetAsTextWith(text, message, ValueTableContent::kValueNotMade,
                                   [&](std::u16string_view view) { return content_.ReadText(view); });
    }

    // IClone
    HRESULT Assign(IClone* source) override {
        if (HRESULT hr = content_.AssignFrom(source); FAILED(hr))
            return hr;
        return this->BaseAssign(source);
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        if (!other || !equal)
            return E_POINTER;
        *equal = VARIANT_FALSE;
        return guard([&]() -> HRESULT { return content_.EqualTo(other) ? this->BaseIsEqual(other, equal) : S_OK; });
    }

    // IGPValueTable
    HRESULT get_DataTypeCount(int32_t* count) override { return content_.DataTypeCount(count); }
    HRESULT get_DataType(int32_t index, IGPDataType** dataType) override { return content_.DataType(index, dataType); }
    HRESULT AddDataType(IGPDataType* dataType) override { return content_.AddDataType(dataType); }
    HRESULT RemoveDataType(int32_t index) override { return content_.RemoveDataType(index); }
    HRESULT get_RecordCount(int32_t* count) override { return content_.RecordCount(count); }
    HRESULT GetValue(int32_t row, int32_t column, IGPValue** value) override {
        return content_.GetValue(row, column, value);
    }
    HRESULT SetValue(int32_t row, int32_t column, IGPValue* value) override {
        return content_.SetValue(row, column, value);
    }
    HRESULT AddRecord(IArray* record) override { return content_.AddRecord(record); }
    HRESULT InsertRecord(int32_t index, IArray* record) override { return content_.InsertRecord(index, record); }
    HRESULT ReplaceRecord(int32_t index, IArray* record) override { return content_.ReplaceRecord(index, record); }
    HRESULT RemoveRecord(int32_t index) override { return content_.RemoveRecord(index); }
    HRESULT GetRecord(int32_t index, IArray** record) override { return content_.GetRecord(index, record); }
    HRESULT RemoveValue(IGPValue* value) override { return content_.RemoveValue(value); }

    // IGPValueExpression
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override {
        if (!resolved)
            return E_POINTER;
        *resolved = resolved_;
        return S_OK;
    }
    HRESULT put_Resolved(VARIANT_BOOL resolved) override {
        resolved_ = resolved ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT ResolveValue(IGPVariableManager* manager, IGPValue** resolved) override {
        return content_.Resolved(this->ValueClassId(), manager, resolved);
    }
    HRESULT GetVariableNames(IUnknown** names) override {
        return guard([&] { return modelvariables::HandOutNamesIn(content_.Text(true), names); });
    }
    HRESULT get_Variables(IArray** variables) override { return ClearOut(variables); }
    HRESULT putref_Variables(IArray*) override {
        resolved_ = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT GetAsText(IGPVariableManager* manager, BSTR* text) override {
        if (!manager)
            return HandOutText(true, text);
        if (!text)
            return E_POINTER;
        *text = nullptr;
        return guard([&] {
            *text = BStr(modelvariables::Substitute(content_.Text(false), manager)).Detach();
            return S_OK;
        });
    }

protected:
    GPValueTableBase(const CLSID& valueClassId, const CLSID& dataTypeClassId)
        : GPValue<Derived, ValueInterfacesDescribed, IGPValueTable, IGPValueExpression, R...>(valueClassId,
                                                                                              dataTypeClassId) {}

private:
    HRESULT HandOutText(bool variableNames, BSTR* text) {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        return guard([&] {
            *text = BStr(content_.Text(variableNames)).Detach();
            return S_OK;
        });
    }
    HRESULT SaveContent(IStream* stream, uint16_t) override { return content_.Save(stream, this->SaveClearsDirty()); }
    HRESULT LoadContent(IStream* stream, uint16_t) override { return content_.Load(stream); }
    HRESULT SerializeContent(IXMLSerializeData* data) override { return content_.Serialize(data); }
    HRESULT DeserializeContent(IXMLSerializeData* data) override { return content_.Deserialize(data); }

    ValueTableContent content_{*this};
    VARIANT_BOOL resolved_ = VARIANT_FALSE;
};

} // namespace tavi
