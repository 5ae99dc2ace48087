// The expression values and their data types: GPSQLExpression (a where clause), GPCalculatorExpression (a field
// calculation) and GPINFOExpression (a selection expression for INFO tables). A value holds its expression as plain
// text, which it neither parses nor changes: the data source or calculator that runs the tool reads it. Each is a
// string value of its own class (the stream and variant forms of host strings; XML type name the class name) whose
// texts compare exactly, letter case included, as an expression's literals do.
//
// The data types accept a type of their own kind or a string type, and a value of their own kind (by class). The
// SQL and calculator types describe the expression builder's input (IGPValueUISupport): "<source><item
// empty='true'/></source>", as a value names no input of its own.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPExpressions.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "values/GPString.h"

namespace tavi {

template <class Derived, class... Extra>
class ExpressionValue : public StringValue<Derived, IGPString, IGPVariant, ValueInterfaces, Extra...> {
public:
    using StringValue<Derived, IGPString, IGPVariant, ValueInterfaces, Extra...>::get_Value;
    using StringValue<Derived, IGPString, IGPVariant, ValueInterfaces, Extra...>::put_Value;

    // IGPString
    HRESULT get_Value(BSTR* value) override {
        if (!value)
            return E_POINTER;
        *value = MakeBSTR(this->value_);
        return *value ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT put_Value(const OLECHAR* value) override {
        return guard([&] { this->StoreText(value ? String(value) : String()); });
    }

    // IGPValue: the text as it is, both ways.
    HRESULT GetAsText(BSTR* text) override { return get_Value(text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override {
        if (HRESULT hr = this->NewTextMessage(message); FAILED(hr))
            return hr;
        return put_Value(text);
    }

    // IClone
    HRESULT Assign(IClone* source) override {
        return this->AssignThrough(source, &IGPString::get_Value,
                                   [&](String text) { this->StoreText(std::move(text)); });
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        return this->IsEqualThrough(other, equal, &IGPString::get_Value,
                                    [&](const String& text) { return text == this->value_; });
    }

protected:
    ExpressionValue()
        : StringValue<Derived, IGPString, IGPVariant, ValueInterfaces, Extra...>(Derived::kClassId,
                                                                                 Derived::kTypeClassId) {}

private:
    const OLECHAR* XmlTypeName() const override { return Derived::kClassName; }
};

class GPSQLExpression final : public ExpressionValue<GPSQLExpression> {
public:
    static constexpr CLSID kClassId = CLSID_GPSQLExpression;
    static constexpr CLSID kTypeClassId = CLSID_GPSQLExpressionType;
    static constexpr const char16_t* kClassName = u"GPSQLExpression";
};

class GPCalculatorExpression final : public ExpressionValue<GPCalculatorExpression, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPCalculatorExpression;
    static constexpr CLSID kTypeClassId = CLSID_GPCalculatorExpressionType;
    static constexpr const char16_t* kClassName = u"GPCalculatorExpression";

    // IDocumentVersionSupport: documents of every version know the calculator expression.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;
};

class GPINFOExpression final : public ExpressionValue<GPINFOExpression> {
public:
    static constexpr CLSID kClassId = CLSID_GPINFOExpression;
    static constexpr CLSID kTypeClassId = CLSID_GPINFOExpressionType;
    static constexpr const char16_t* kClassName = u"GPINFOExpression";
};

// The shared checks of the expression data types.
class ExpressionTypeCore {
protected:
    // A value (unpacked) of the class `valueClass` is accepted; a given domain then decides.
    static HRESULT CheckValue(GPDataTypeCore& type, REFCLSID valueClass, IGPValue* value, IGPDomain* domain,
                              IGPMessage** message);
    static HRESULT BuilderSource(IGPValue* value, BSTR* support);
};

template <class Derived, class Marker, class... Extra>
class ExpressionType : public GPDataType<Derived, Marker, IGPDataType, IGPStringType, IClone, Extra...>,
                       protected ExpressionTypeCore {
public:
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override {
        return this->ValidateDataTypeAgainst(other, {Marker::iid, IGPStringType::iid}, message);
    }
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override {
        return CheckValue(*this, this->ValueClassId(), value, domain, message);
    }

protected:
    ExpressionType(const char16_t* name, int32_t displayNameId, const CLSID& controlClassId)
        : GPDataType<Derived, Marker, IGPDataType, IGPStringType, IClone, Extra...>(
              {name, displayNameId, Derived::kClassId, Derived::kValueClassId, controlClassId, Marker::iid,
               IGPString::iid}) {}
};

class GPSQLExpressionType final : public ExpressionType<GPSQLExpressionType, IGPSQLExpressionType, IGPValueUISupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPSQLExpressionType;
    static constexpr CLSID kValueClassId = CLSID_GPSQLExpression;
    static constexpr const char16_t* kClassName = u"GPSQLExpressionType";
    static constexpr CLSID kControlClassId{
        0xA8C053CF, 0xC114, 0x418C, {0xB9, 0xD5, 0x44, 0x9F, 0xB1, 0x48, 0x2E, 0xF6}};
    static constexpr int32_t kDisplayNameId = 4687;
    GPSQLExpressionType() : ExpressionType(u"GPSQLExpression", kDisplayNameId, kControlClassId) {}

    // IGPValueUISupport
    HRESULT GetValueSupport(IGPValue* value, BSTR* support) override { return BuilderSource(value, support); }
};

class GPCalculatorExpressionType final
    : public ExpressionType<GPCalculatorExpressionType, IGPCalculatorExpressionType, IGPValueUISupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPCalculatorExpressionType;
    static constexpr CLSID kValueClassId = CLSID_GPCalculatorExpression;
    static constexpr const char16_t* kClassName = u"GPCalculatorExpressionType";
    static constexpr CLSID kControlClassId{
        0xCD56692A, 0x4968, 0x45D0, {0x9D, 0x88, 0x45, 0xE4, 0x94, 0x6A, 0xB3, 0xDD}};
    static constexpr int32_t kDisplayNameId = 4104;
    GPCalculatorExpressionType() : ExpressionType(u"GPCalculatorExpression", kDisplayNameId, kControlClassId) {}

    // IGPValueUISupport
    HRESULT GetValueSupport(IGPValue* value, BSTR* support) override { return BuilderSource(value, support); }
};

class GPINFOExpressionType final : public ExpressionType<GPINFOExpressionType, IGPINFOExpressionType> {
public:
    static constexpr CLSID kClassId = CLSID_GPINFOExpressionType;
    static constexpr CLSID kValueClassId = CLSID_GPINFOExpression;
    static constexpr const char16_t* kClassName = u"GPINFOExpressionType";
    static constexpr CLSID kControlClassId{
        0xC99DBEED, 0x9502, 0x4020, {0x8A, 0xB7, 0x58, 0xC3, 0x7E, 0xF5, 0x39, 0xE1}};
    static constexpr int32_t kDisplayNameId = 4650;
    GPINFOExpressionType() : ExpressionType(u"GPINFOExpression", kDisplayNameId, kControlClassId) {}
};

} // namespace tavi
