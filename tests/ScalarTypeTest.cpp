// The data types of the boolean, numeric and date values: names, display names, identities, value creation and
// validation by kind.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/String.h"
#include "platform/Guid.h"
#include "tavi/Entry.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"

namespace tavi::test {
namespace {

class ScalarTypeTest : public ModuleClassesTest {};

struct TypeRow {
    CLSID type;
    const char16_t* name;
    const char16_t* displayName;
    const char16_t* control;
    IID marker;
    CLSID valueClass;
    IID valueInterface;
    const char16_t* goodText; // CreateValue reads it (S_OK)
    const char16_t* badText;  // CreateValue's value cannot read it
    HRESULT badResult;
};

const TypeRow kTypes[] = {
    {CLSID_GPBooleanType, u"GPBoolean", u"Boolean", u"{330553DC-A5FD-11D5-A682-0008C711C8C1}", IGPBooleanType::iid,
     CLSID_GPBoolean, IGPBoolean::iid, u"true", u"yes", E_FAIL}, // the boolean refuses bad text by its result
    {CLSID_GPLongType, u"GPLong", u"Long", u"{330553E2-A5FD-11D5-A682-0008C711C8C1}", IGPLongType::iid, CLSID_GPLong,
     IGPLong::iid, u"42", u"forty", S_FALSE},
    {CLSID_GPDoubleType, u"GPDouble", u"Double", u"{330553E0-A5FD-11D5-A682-0008C711C8C1}", IGPDoubleType::iid,
     CLSID_GPDouble, IGPDouble::iid, u"2.5", u"half", S_FALSE},
    {CLSID_GPDateType, u"GPDate", u"Date", u"{330553E4-A5FD-11D5-A682-0008C711C8C1}", IGPDateType::iid, CLSID_GPDate,
     IGPDate::iid, u"2024-03-01T10:00:00", u"no date", S_FALSE},
};

String TextOf(HRESULT (IGPDataType::*get)(BSTR*), IGPDataType* type) {
    BStr text;
    EXPECT_EQ((type->*get)(text.Out()), S_OK);
    return text.str();
}

bool IsError(IGPMessage* message) {
    VARIANT_BOOL error = VARIANT_FALSE;
    EXPECT_EQ(message->IsError(&error), S_OK);
    return error != VARIANT_FALSE;
}

TEST_F(ScalarTypeTest, NamesAndIdentities) {
    for (const auto& row : kTypes) {
        SCOPED_TRACE(ToUtf8(row.name));
        auto type = Create<IGPDataType>(row.type);
        ASSERT_TRUE(type);
        EXPECT_EQ(TextOf(&IGPDataType::get_Name, type.Get()), row.name);
        EXPECT_EQ(TextOf(&IGPDataType::get_DisplayName, type.Get()), row.displayName);
        ComPtr<IUID> control;
        ASSERT_EQ(type->get_ControlCLSID(control.Out()), S_OK);
        Variant controlText;
        ASSERT_EQ(control->get_Value(controlText.Out()), S_OK);
        EXPECT_EQ(String(controlText.bstrVal), row.control);
        for (const IID& iid : {row.marker, IGPDataType::iid, IGPVariantType::iid, IClone::iid}) {
            ComPtr<IUnknown> answered;
            EXPECT_EQ(type->QueryInterface(iid, answered.OutVoid()), S_OK) << ToUtf8(GuidText(iid));
        }
        // A value made by the type knows the type again.
        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(nullptr, value.Out()), S_OK);
        CLSID valueClass{};
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->GetClassID(&valueClass), S_OK);
        EXPECT_EQ(valueClass, row.valueClass);
        ComPtr<IGPDataType> back;
        ASSERT_EQ(value->get_DataType(back.Out()), S_OK);
        EXPECT_EQ(TextOf(&IGPDataType::get_Name, back.Get()), row.name);
    }
}

TEST_F(ScalarTypeTest, CreateValueFromText) {
    for (const auto& row : kTypes) {
        SCOPED_TRACE(ToUtf8(row.name));
        auto type = Create<IGPDataType>(row.type);
        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(row.goodText, value.Out()), S_OK);
        VARIANT_BOOL empty = VARIANT_TRUE;
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        EXPECT_EQ(empty, VARIANT_FALSE);

        EXPECT_EQ(type->CreateValue(u"", value.Out()), S_OK);
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        EXPECT_EQ(empty, VARIANT_TRUE);

        EXPECT_EQ(type->CreateValue(row.badText, value.Out()), row.badResult);
        EXPECT_EQ(type->CreateValue(row.goodText, nullptr), E_POINTER);
    }
}

TEST_F(ScalarTypeTest, ValidationByKind) {
    // Each type accepts its own data type and values and refuses the others'.
    for (const auto& row : kTypes) {
        auto type = Create<IGPDataType>(row.type);
        for (const auto& other : kTypes) {
            SCOPED_TRACE(ToUtf8(row.name) + " given " + ToUtf8(other.name));
            bool same = &row == &other;
            auto otherType = Create<IGPDataType>(other.type);
            ComPtr<IGPMessage> message;
            EXPECT_EQ(type->ValidateDataType(otherType.Get(), message.Out()), S_OK);
            EXPECT_EQ(IsError(message.Get()), !same);
            ComPtr<IGPValue> value;
            ASSERT_EQ(otherType->CreateValue(other.goodText, value.Out()), S_OK);
            EXPECT_EQ(type->ValidateValue(value.Get(), nullptr, message.Out()), S_OK);
            EXPECT_EQ(IsError(message.Get()), !same);
        }
    }
}

TEST_F(ScalarTypeTest, CloneIsEqual) {
    for (const auto& row : kTypes) {
        SCOPED_TRACE(ToUtf8(row.name));
        auto type = Create<IClone>(row.type);
        ComPtr<IClone> clone;
        ASSERT_EQ(type->Clone(clone.Out()), S_OK);
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(type->IsEqual(clone.Get(), &equal), S_OK);
        EXPECT_EQ(equal, VARIANT_TRUE);
        auto other = Create<IClone>(row.type == CLSID_GPLongType ? CLSID_GPDoubleType : CLSID_GPLongType);
        EXPECT_EQ(type->IsEqual(other.Get(), &equal), S_OK);
        EXPECT_EQ(equal, VARIANT_FALSE);
    }
}

} // namespace
} // namespace tavi::test
