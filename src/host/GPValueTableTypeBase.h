// The value table data type base: the columns of a value table type (each a data type with its heading, width,
// editing control and read-only setting), values made with those columns, and validation column by column. A value
// table type class gives only its identities:
//
//   class GPValueTableType final : public GPValueTableTypeBase<GPValueTableType> {
//   public:
//       GPValueTableType() : GPValueTableTypeBase({u"GPValueTable", 4699, kClassId, CLSID_GPValueTable, ...}) {}
//   };
//
// What it does:
//   get_FullName      a new value table type name (CLSID_GPValueTableTypeName) with every column by its data type's
//                     full name, heading, width, control and read-only setting;
//   CreateValue       a new value of the value class with the columns; a text goes through SetAsText (S_FALSE, with
//                     the value, when the text could not be read);
//   ValidateDataType  another value table type with as many columns, each accepted by this type's column;
//   ValidateValue     a value table (unpacked from variables and parameters) with as many columns, every cell checked
//                     by its column's type with the column's domain (of a composite domain, the domain at the column's
//                     position; any other domain is every column's); the cells' messages in one composite message;
//   Assign / IsEqual  the same class, and the columns (data types shared on Assign, compared by IClone).
// Column indexes outside the columns give E_INVALIDARG.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPComposite.h"

#include <vector>

namespace tavi {

// The columns of a value table type and the operations on them; the base below forwards to it.
class ValueTableTypeColumns {
public:
    struct Column {
        ComPtr<IGPDataType> type;
        String displayName;
        int32_t width = 0;
        CLSID control = GUID_NULL;
        bool readOnly = false;
    };

    const std::vector<Column>& All() const { return columns_; }

    // IGPValueTableType
    HRESULT Count(int32_t* count) const;
    HRESULT DataType(int32_t index, IGPDataType** dataType) const;
    HRESULT Width(int32_t index, int32_t* width) const;
    HRESULT DisplayName(int32_t index, BSTR* name) const;
    HRESULT Add(IGPDataType* dataType, const OLECHAR* displayName, int32_t width, IUnknown* control);
    HRESULT Remove(int32_t index);
    HRESULT Control(int32_t index, IUID** control) const;
    HRESULT PutReadOnly(int32_t index, VARIANT_BOOL readOnly);
    HRESULT ReadOnly(int32_t index, VARIANT_BOOL* readOnly) const;

    HRESULT FullName(IName** fullName) const;
    HRESULT CreateValue(REFCLSID valueClass, const OLECHAR* text, IGPValue** value) const;
    // The verdicts, made with `type`'s message builders.
    HRESULT ValidateDataType(GPDataTypeCore& type, IGPDataType* other, IGPMessage** message) const;
    HRESULT ValidateValue(GPDataTypeCore& type, IGPValue* value, IGPDomain* domain, IGPMessage** message) const;
    // The source's columns through IGPValueTableType; E_INVALIDARG when it does not answer it.
    HRESULT AssignFrom(IClone* source);
    bool EqualTo(IClone* other) const;

private:
    bool IsColumn(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < columns_.size(); }

    std::vector<Column> columns_;
};

template <class Derived, class... R>
class GPValueTableTypeBase : public GPDataType<Derived, IGPDataType, IClone, IGPValueTableType, R...> {
public:
    // IGPDataType
    HRESULT get_FullName(IName** fullName) override { return columns_.FullName(fullName); }
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override {
        return columns_.CreateValue(this->ValueClassId(), text, value);
    }
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override {
        return columns_.ValidateDataType(*this, other, message);
    }
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override {
        return columns_.ValidateValue(*this, value, domain, message);
    }

    // IClone
    HRESULT Assign(IClone* source) override {
        if (HRESULT hr = this->CoreAssign(source); FAILED(hr))
            return hr;
        return columns_.AssignFrom(source);
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        if (HRESULT hr = this->CoreIsEqual(other, equal); FAILED(hr) || !*equal)
            return hr;
        *equal = columns_.EqualTo(other) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    // IGPValueTableType
    HRESULT get_Count(int32_t* count) override { return columns_.Count(count); }
    HRESULT get_DataType(int32_t index, IGPDataType** dataType) override { return columns_.DataType(index, dataType); }
    HRESULT get_Width(int32_t index, int32_t* width) override { return columns_.Width(index, width); }
    HRESULT get_DisplayName(int32_t index, BSTR* name) override { return columns_.DisplayName(index, name); }
    HRESULT AddDataType(IGPDataType* dataType, const OLECHAR* displayName, int32_t width, IUnknown* control) override {
        return columns_.Add(dataType, displayName, width, control);
    }
    HRESULT RemoveDataType(int32_t index) override { return columns_.Remove(index); }
    HRESULT get_ControlCLSID(int32_t index, IUID** control) override { return columns_.Control(index, control); }
    HRESULT put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) override {
        return columns_.PutReadOnly(index, readOnly);
    }
    HRESULT get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) override { return columns_.ReadOnly(index, readOnly); }

    using GPDataType<Derived, IGPDataType, IClone, IGPValueTableType, R...>::get_ControlCLSID;
    using GPDataType<Derived, IGPDataType, IClone, IGPValueTableType, R...>::get_DisplayName;

protected:
    explicit GPValueTableTypeBase(const DataTypeIdentity& identity)
        : GPDataType<Derived, IGPDataType, IClone, IGPValueTableType, R...>(identity) {}

private:
    ValueTableTypeColumns columns_;
};

} // namespace tavi
