// The data type, domain and name bases, shown on the sample data type and domain.
#include "SampleValue.h"
#include "TestSupport.h"

#include "host/DocumentVersion.h"
#include "host/GPName.h"
#include "host/MessageMaker.h"
#include "host/StringTable.h"
#include "host/UID.h"

namespace tavi::test {
namespace {

struct IGPOtherType : IUnknown {
    static constexpr IID iid{0x1E6F3C2B, 0x4A5D, 0x4B7E, {0x9C, 0x8F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}};
};

// A data type of another kind, to be refused.
class GPOtherType final : public GPDataType<GPOtherType, IGPOtherType, IGPDataType, IClone> {
public:
    GPOtherType()
        : GPDataType({u"GPOther", 4690, GUID_NULL, GUID_NULL, GUID_NULL, IGPOtherType::iid, IGPOtherType::iid}) {}
};

// A value of another kind: answers IGPValue only.
class ForeignValue final : public Object<ForeignValue, IGPValue> {
public:
    HRESULT get_DataType(IGPDataType**) override { return E_NOTIMPL; }
    HRESULT IsEmpty(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT GetAsText(BSTR* text) override {
        *text = MakeBSTR(u"foreign");
        return S_OK;
    }
    HRESULT SetAsText(const OLECHAR*, IGPMessage**) override { return E_NOTIMPL; }
    HRESULT SerializeJSONObject(BSTR*) override { return E_NOTIMPL; }
    HRESULT DeserializeJSONObject(const OLECHAR*) override { return E_NOTIMPL; }
};

// A catalogue that knows the sample type by name.
class SampleFactoryOfTypes final : public Object<SampleFactoryOfTypes, IGPDataTypeFactory> {
public:
    HRESULT get_FactoryID(IUID**) override { return E_NOTIMPL; }
    HRESULT GetDataType(const OLECHAR* name, IGPDataType** dataType) override {
        if (!name || std::u16string_view(name) != u"GPSample")
            return E_FAIL;
        return tavi::CreateInstance<GPSampleType>(nullptr, IGPDataType::iid, reinterpret_cast<void**>(dataType));
    }
    HRESULT GetDataTypeName(const OLECHAR*, IGPName**) override { return E_NOTIMPL; }
    HRESULT GetDataTypeNames(IEnumGPName**) override { return E_NOTIMPL; }
};

class DataTypeBaseTest : public LeakCheckedTest {
protected:
    SampleClassScope classes_;
    ComPtr<IGPDataType> type_ = ComPtr<IGPDataType>(static_cast<IGPDataType*>(MakeObject<GPSampleType>().Get()));
};

String TextOf(HRESULT (IGPDataType::*get)(BSTR*), IGPDataType* type) {
    BStr text;
    EXPECT_EQ((type->*get)(text.Out()), S_OK);
    return text.str();
}

TEST_F(DataTypeBaseTest, NamesComeFromTheIdentity) {
    EXPECT_EQ(TextOf(&IGPDataType::get_Name, type_.Get()), u"GPSample");
    EXPECT_EQ(TextOf(&IGPDataType::get_DisplayName, type_.Get()), LoadResourceString(4665));
    EXPECT_EQ(TextOf(&IGPDataType::get_HelpFile, type_.Get()), DEConstants::c_taviDataTypeHelpfile);
    EXPECT_EQ(TextOf(&IGPDataType::get_MetadataFile, type_.Get()), u"");
    int32_t context = -1;
    EXPECT_EQ(type_->get_HelpContext(&context), S_OK);
    EXPECT_EQ(context, 0);
    EXPECT_EQ(type_->get_Name(nullptr), E_POINTER);

    ComPtr<IUID> control;
    ASSERT_EQ(type_->get_ControlCLSID(control.Out()), S_OK);
    EXPECT_EQ(GuidOf(control.Get()), GPSampleType::kControlClassId);
    auto other = MakeObject<GPOtherType>(); // no control class: nothing, and S_FALSE
    EXPECT_EQ(other->get_ControlCLSID(control.Out()), S_FALSE);
    EXPECT_FALSE(control);
}

TEST_F(DataTypeBaseTest, FullNameOpensThroughTheFactory) {
    ComPtr<IName> name;
    ASSERT_EQ(type_->get_FullName(name.Out()), S_OK);
    auto gpName = name.As<IGPName>();
    ASSERT_TRUE(gpName);
    BStr text;
    gpName->get_Name(text.Out());
    EXPECT_EQ(text.str(), u"GPSample");

    ComPtr<IUnknown> opened;
    EXPECT_EQ(name->Open(opened.Out()), E_UNEXPECTED); // the catalogue class is not available here

    auto factory = MakeObject<SampleFactoryOfTypes>();
    ASSERT_EQ(gpName->putref_Factory(static_cast<IGPDataTypeFactory*>(factory.Get())), S_OK);
    ASSERT_EQ(name->Open(opened.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPSampleType>(opened.Get()));
}

TEST_F(DataTypeBaseTest, CreateValueAppliesTheText) {
    struct Case {
        const char16_t* text;
        HRESULT hr;
        bool empty;
        int32_t value;
    } const cases[] = {
        {u"12", S_OK, false, 12},
        {nullptr, S_OK, true, 0}, // no text: a new, empty value
        {u"", S_OK, true, 0},
        {u"twelve", S_FALSE, true, 0}, // unreadable text: the value still comes, S_FALSE says the text failed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? ToUtf8(c.text) : "null");
        ComPtr<IGPValue> value;
        ASSERT_EQ(type_->CreateValue(c.text, value.Out()), c.hr);
        ASSERT_TRUE(value);
        VARIANT_BOOL empty = VARIANT_FALSE;
        value->IsEmpty(&empty);
        EXPECT_EQ(empty != VARIANT_FALSE, c.empty);
        int32_t number = -1;
        value.As<IGPSample>()->get_Value(&number);
        EXPECT_EQ(number, c.value);
    }
    EXPECT_EQ(type_->CreateValue(u"1", nullptr), E_POINTER);
}

TEST_F(DataTypeBaseTest, ValidateDataTypeByInterface) {
    ComPtr<IGPMessage> message;
    auto same = MakeObject<GPSampleType>();
    ASSERT_EQ(type_->ValidateDataType(static_cast<IGPDataType*>(same.Get()), message.Out()), S_OK);
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeEmpty);

    auto other = MakeObject<GPOtherType>();
    ASSERT_EQ(type_->ValidateDataType(static_cast<IGPDataType*>(other.Get()), message.Out()), S_OK);
    EXPECT_TRUE(MessageIsError(message.Get()));
    EXPECT_EQ(MessageCode(message.Get()), kMessageCodeInvalidDataType);

    EXPECT_EQ(type_->ValidateDataType(nullptr, message.Out()), E_POINTER);
    EXPECT_EQ(type_->ValidateDataType(static_cast<IGPDataType*>(same.Get()), nullptr), E_POINTER);
}

TEST_F(DataTypeBaseTest, ValidateValueWithAndWithoutDomain) {
    auto domain = MakeObject<GPSampleDomain>();
    domain->put_Maximum(10);
    auto* asDomain = static_cast<IGPDomain*>(domain.Get());
    auto five = MakeSample(5).As<IGPValue>();
    auto fifty = MakeSample(50).As<IGPValue>();
    auto foreign = MakeObject<ForeignValue>();
    auto holdsFifty = MakeObject<GPSampleVariable>();
    holdsFifty->putref_Value(fifty.Get());
    auto holdsNothing = MakeObject<GPSampleVariable>();

    struct Case {
        const char* reason;
        IGPValue* value;
        IGPDomain* domain;
        HRESULT hr;
        int32_t code; // 0: a message that is no error
    } const cases[] = {
        {"accepted kind, no domain", five.Get(), nullptr, S_OK, 0},
        {"accepted kind, no domain asks no bound", fifty.Get(), nullptr, S_OK, 0},
        {"domain admits", five.Get(), asDomain, S_OK, 0},
        {"domain refuses: its message and code", fifty.Get(), asDomain, S_FALSE, kSampleDomainCode},
        {"another kind", foreign.Get(), asDomain, S_OK, kMessageCodeInvalidValue},
        {"variable stands for its value", static_cast<IGPValue*>(holdsFifty.Get()), nullptr, S_OK, 0},
        {"the domain sees the value, not the variable", static_cast<IGPValue*>(holdsFifty.Get()), asDomain, S_FALSE,
         kSampleDomainCode},
        {"a variable holding nothing cannot be unpacked", static_cast<IGPValue*>(holdsNothing.Get()), nullptr, E_FAIL,
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type_->ValidateValue(c.value, c.domain, message.Out()), c.hr);
        if (c.code < 0) {
            EXPECT_FALSE(message);
            continue;
        }
        ASSERT_TRUE(message);
        EXPECT_EQ(MessageIsError(message.Get()), c.code != 0);
        EXPECT_EQ(MessageCode(message.Get()), c.code);
    }
    ComPtr<IGPMessage> message;
    EXPECT_EQ(type_->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
}

TEST_F(DataTypeBaseTest, DataTypeCloneAndEquality) {
    auto clone = type_.As<IClone>();
    ComPtr<IClone> copy;
    ASSERT_EQ(clone->Clone(copy.Out()), S_OK);
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ(clone->IsEqual(copy.Get(), &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(clone->IsIdentical(copy.Get(), &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);

    auto other = MakeObject<GPOtherType>();
    EXPECT_EQ(clone->IsEqual(static_cast<IClone*>(other.Get()), &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(clone->Assign(static_cast<IClone*>(other.Get())), E_INVALIDARG);
}

TEST_F(DataTypeBaseTest, DomainBaseClonesAndPersists) {
    auto domain = MakeObject<GPSampleDomain>();
    domain->put_Maximum(77);
    EXPECT_EQ(domain->IsDirty(), S_OK);
    ComPtr<IClone> copy;
    ASSERT_EQ(domain->Clone(copy.Out()), S_OK);
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(domain->IsEqual(copy.Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_TRUE);
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(copy.As<IPersistStream>()->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_GPSampleDomain);
    uint64_t size = 0;
    EXPECT_EQ(domain->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size, sizeof(uint16_t) + sizeof(int32_t));
}

TEST_F(DataTypeBaseTest, NameAndIdentifierPersist) {
    auto name = MakeObject<GPName>();
    name->put_Name(u"GPSample");
    name->put_Category(u"Data Type");
    name->SetFactoryClassId(CLSID_GPDataTypeFactory);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    ASSERT_EQ(name->Save(stream.Get(), 1), S_OK);
    EXPECT_EQ(name->IsDirty(), S_FALSE);

    auto uid = MakeObject<UID>();
    uid->SetGUID(GPSampleType::kControlClassId, 3);
    ASSERT_EQ(uid->Save(stream.Get(), 1), S_OK);

    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto nameBack = MakeObject<GPName>();
    ASSERT_EQ(nameBack->Load(stream.Get()), S_OK);
    BStr text;
    nameBack->get_Category(text.Out());
    EXPECT_EQ(text.str(), u"Data Type");
    EXPECT_EQ(nameBack->FactoryClassId(), CLSID_GPDataTypeFactory);

    auto uidBack = MakeObject<UID>();
    ASSERT_EQ(uidBack->Load(stream.Get()), S_OK);
    VARIANT_BOOL same = VARIANT_FALSE;
    EXPECT_EQ(uidBack->Compare(static_cast<IUID*>(uid.Get()), &same), S_OK);
    EXPECT_EQ(same, VARIANT_TRUE);
    EXPECT_EQ(uidBack->Load(stream.Get()), E_FAIL); // nothing left to read

    Variant textForm;
    ASSERT_EQ(uid->get_Value(textForm.Out()), S_OK);
    auto parsed = MakeObject<UID>();
    ASSERT_EQ(parsed->put_Value(textForm), S_OK);
    EXPECT_EQ(GuidOf(static_cast<IUID*>(parsed.Get())), GPSampleType::kControlClassId);
    EXPECT_EQ(parsed->put_Value(Variant::Text(u"not an identifier")), E_INVALIDARG);
}

} // namespace
} // namespace tavi::test
