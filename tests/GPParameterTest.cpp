// Tool parameters: one pointer under the three identifiers of each face, defaults, every property through the stream
// and XML forms and Clone with values of several kinds, damaged forms, properties that cannot persist, equality;
// the background flag; the diagnostic object's environment settings and its walk of the registered tool factories.
#include "TestSupport.h"

#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "platform/Guid.h"
#include "tavi/Categories.h"
#include "tavi/Collections.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDomains.h"
#include "tavi/GPExtent.h"
#include "tavi/GPParameter.h"
#include "tavi/GPScalar.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/GPUnits.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace tavi::test {
namespace {

constexpr GUID kControl{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}

std::vector<uint8_t> Bytes(IStream* stream) {
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_CUR, &size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(size);
    ULONG read = 0;
    if (size)
        stream->Read(bytes.data(), static_cast<ULONG>(size), &read);
    return bytes;
}

ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}

template <class I> ComPtr<I> Make(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

ComPtr<IGPValue> ValueOf(REFCLSID clsid, const char16_t* text) {
    auto value = Make<IGPValue>(clsid);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
    return value;
}

String TextOf(IGPValue* value) {
    BStr text;
    EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
    return text.str();
}

String Read(IGPParameter* parameter, HRESULT (IGPParameter::*get)(BSTR*)) {
    BStr text;
    EXPECT_EQ((parameter->*get)(text.Out()), S_OK);
    return text.str();
}

bool Flag(IGPParameter* parameter, HRESULT (IGPParameter::*get)(VARIANT_BOOL*)) {
    VARIANT_BOOL flag = 7;
    EXPECT_EQ((parameter->*get)(&flag), S_OK);
    EXPECT_TRUE(flag == VARIANT_TRUE || flag == VARIANT_FALSE);
    return flag != VARIANT_FALSE;
}

template <class I> ComPtr<I> Object(IGPParameter* parameter, HRESULT (IGPParameter::*get)(I**)) {
    ComPtr<I> object;
    EXPECT_EQ((parameter->*get)(object.Out()), S_OK);
    return object;
}

// What a value stands for, told without the parameter's own equality: its class and text, and for a model
// variable its name and its value's text.
String Describe(IUnknown* object) {
    if (!object)
        return u"(none)";
    String description;
    CLSID clsid = GUID_NULL;
    if (auto persist = QueryAs<IPersistStream>(object))
        persist->GetClassID(&clsid);
    description = GuidText(clsid) + u" ";
    if (auto variable = QueryAs<IGPVariable>(object)) {
        BStr name;
        variable->get_Name(name.Out());
        description += name.str() + u"=";
    }
    if (auto value = QueryAs<IGPValue>(object))
        description += TextOf(value.Get());
    else if (auto uid = QueryAs<IUID>(object))
        description += GuidText(GuidOf(uid.Get()));
    else if (auto type = QueryAs<IGPDataType>(object)) {
        BStr name;
        type->get_Name(name.Out());
        description += name.str();
    }
    return description;
}

// Each property of a parameter as text, for comparing two parameters independently of IsEqual.
std::vector<String> Properties(IGPParameter* p) {
    std::vector<String> all;
    for (auto get : {&IGPParameter::get_Name, &IGPParameter::get_DisplayName, &IGPParameter::get_DefaultEnvironmentName,
                     &IGPParameter::get_Category, &IGPParameter::get_ChoiceListName})
        all.push_back(Read(p, get));
    int32_t number = 99;
    EXPECT_EQ(p->get_Direction(&number), S_OK);
    all.push_back(u"direction " + FromUtf8(std::to_string(number)));
    EXPECT_EQ(p->get_ParameterType(&number), S_OK);
    all.push_back(u"type " + FromUtf8(std::to_string(number)));
    EXPECT_EQ(p->get_DisplayOrder(&number), S_OK);
    all.push_back(u"order " + FromUtf8(std::to_string(number)));
    for (auto get : {&IGPParameter::get_Enabled, &IGPParameter::get_Altered, &IGPParameter::get_HasBeenValidated,
                     &IGPParameter::get_Managed, &IGPParameter::get_AddToMap})
        all.push_back(Flag(p, get) ? u"true" : u"false");
    all.push_back(Describe(Object(p, &IGPParameter::get_DataType).Get()));
    all.push_back(Describe(Object(p, &IGPParameter::get_Value).Get()));
    all.push_back(Describe(Object(p, &IGPParameter::get_Schema).Get()));
    all.push_back(Describe(Object(p, &IGPParameter::get_SymbologyLayer).Get()));
    all.push_back(Describe(Object(p, &IGPParameter::get_ChartDefinitions).Get()));
    ComPtr<IUID> control;
    EXPECT_TRUE(SUCCEEDED(p->get_ControlCLSID(control.Out())));
    all.push_back(u"control " + GuidText(GuidOf(control.Get())));
    // The domain through its own equality, against a domain made the way MakeParameter makes it.
    auto domain = Object(p, &IGPParameter::get_Domain);
    all.push_back(domain ? u"domain " + Describe(domain.Get()) : u"no domain");
    if (auto coded = QueryAs<IGPCodedValueDomain>(domain.Get())) {
        int32_t count = 0;
        coded->get_CodeCount(&count);
        for (int32_t i = 0; i < count; ++i) {
            BStr name;
            ComPtr<IGPValue> code;
            coded->get_Name(i, name.Out());
            coded->get_Value(i, code.Out());
            all.push_back(name.str() + u": " + Describe(code.Get()));
        }
    }
    auto dependencies = Object(p, &IGPParameter::get_ParameterDependencies);
    int32_t count = 0;
    if (dependencies)
        dependencies->get_Count(&count);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        dependencies->get_Element(i, element.Out());
        all.push_back(u"depends on " + Describe(element.Get()));
    }
    return all;
}

struct ValueCase {
    const CLSID* valueClass;
    const char16_t* text; // the value's text; for the variable, its value's
    const CLSID* typeClass;
    const char* reason;
};

const ValueCase kValues[] = {
    {&CLSID_GPString, u"Main <Street> & \"2nd\"", &CLSID_GPStringType, "a string with markup characters"},
    {&CLSID_GPLong, u"-42", &CLSID_GPLongType, "a long"},
    {&CLSID_GPLinearUnit, u"10 Meters", &CLSID_GPLinearUnitType, "a linear unit"},
    {&CLSID_GPExtent, u"1 2 3 4", &CLSID_GPExtentType, "an extent"},
    {&CLSID_GPCoordinateSystem, u"EPSG:32611", &CLSID_GPCoordinateSystemType, "a coordinate system"},
    {&CLSID_GPMultiValue, u"a;b;'c d'", &CLSID_GPMultiValueType, "a list of strings"},
    {&CLSID_GPVariable, u"7", &CLSID_GPLongType, "a model variable holding a long"},
};

ComPtr<IGPValue> MakeValue(const ValueCase& c) {
    if (*c.valueClass == CLSID_GPVariable) {
        auto variable = Make<IGPVariable>(CLSID_GPVariable);
        variable->put_Name(u"count");
        variable->putref_Value(ValueOf(CLSID_GPLong, c.text).Get());
        variable->putref_DataType(Make<IGPDataType>(CLSID_GPLongType).Get());
        return QueryAs<IGPValue>(variable.Get());
    }
    if (*c.valueClass == CLSID_GPMultiValue) {
        auto list = Make<IGPMultiValue>(CLSID_GPMultiValue);
        list->putref_MemberDataType(Make<IGPDataType>(CLSID_GPStringType).Get());
        auto value = QueryAs<IGPValue>(list.Get());
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(c.text, message.Out()), S_OK);
        return value;
    }
    return ValueOf(*c.valueClass, c.text);
}

ComPtr<IGPDataType> MakeType(const ValueCase& c) {
    auto type = Make<IGPDataType>(*c.typeClass);
    if (*c.typeClass == CLSID_GPMultiValueType)
        QueryAs<IGPMultiValueType>(type.Get())->putref_MemberDataType(Make<IGPDataType>(CLSID_GPStringType).Get());
    return type;
}

// A parameter with every property set away from its default.
ComPtr<IGPParameterEdit3> MakeParameter(const ValueCase& c) {
    auto p = Make<IGPParameterEdit3>(CLSID_GPParameter);
    EXPECT_EQ(p->put_Name(u"in_value"), S_OK);
    EXPECT_EQ(p->put_DisplayName(u"Input <value> & more"), S_OK);
    EXPECT_EQ(p->put_Direction(taviGPParameterDirectionOutput), S_OK);
    EXPECT_EQ(p->putref_DataType(MakeType(c).Get()), S_OK);
    EXPECT_EQ(p->put_ParameterType(taviGPParameterTypeDerived), S_OK);
    auto dependencies = Make<IArray>(CLSID_Array);
    dependencies->Add(ValueOf(CLSID_GPString, u"in_features").Get());
    dependencies->Add(ValueOf(CLSID_GPString, u"distance").Get());
    EXPECT_EQ(p->putref_ParameterDependencies(dependencies.Get()), S_OK);
    auto domain = Make<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
    domain->AddStringCode(u"a", u"First");
    domain->AddStringCode(u"b", u"Second");
    EXPECT_EQ(p->putref_Domain(QueryAs<IGPDomain>(domain.Get()).Get()), S_OK);
    EXPECT_EQ(p->put_Enabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(p->putref_Value(MakeValue(c).Get()), S_OK);
    ComPtr<IUID> control;
    MakeUID(kControl, control.Out());
    EXPECT_EQ(p->put_ControlCLSID(control.Get()), S_OK);
    EXPECT_EQ(p->put_DefaultEnvironmentName(u"workspace"), S_OK);
    EXPECT_EQ(p->put_DisplayOrder(3), S_OK);
    EXPECT_EQ(p->put_Altered(VARIANT_TRUE), S_OK);
    EXPECT_EQ(p->put_HasBeenValidated(5), S_OK); // any nonzero flag is true
    EXPECT_EQ(p->put_Category(u"Advanced"), S_OK);
    EXPECT_EQ(p->put_ChoiceListName(u"fields"), S_OK);
    EXPECT_EQ(p->put_Managed(VARIANT_TRUE), S_OK);
    EXPECT_EQ(p->putref_Schema(ValueOf(CLSID_GPString, u"schema").Get()), S_OK);
    EXPECT_EQ(p->putref_SymbologyLayer(ValueOf(CLSID_GPLong, u"12").Get()), S_OK);
    ComPtr<IUID> charts;
    MakeUID(CLSID_GPExtent, charts.Out());
    EXPECT_EQ(p->putref_ChartDefinitions(charts.Get()), S_OK);
    EXPECT_EQ(p->put_AddToMap(VARIANT_TRUE), S_OK);
    return p;
}

ComPtr<IGPParameter> ReadSide(IUnknown* p) {
    return QueryAs<IGPParameter>(p);
}

// Two parameters hold the same properties: the same texts, and values that their own equality finds equal (a
// coordinate system's text may spell the same system differently once read back), or for a model variable the same
// name and value text.
constexpr size_t kValueProperty = 14;
void ExpectSameProperties(IUnknown* actual, IUnknown* expected) {
    auto a = QueryAs<IGPParameter>(actual);
    auto b = QueryAs<IGPParameter>(expected);
    auto actualProperties = Properties(a.Get());
    auto expectedProperties = Properties(b.Get());
    ASSERT_EQ(actualProperties.size(), expectedProperties.size());
    actualProperties.erase(actualProperties.begin() + kValueProperty);
    expectedProperties.erase(expectedProperties.begin() + kValueProperty);
    EXPECT_EQ(actualProperties, expectedProperties);
    auto actualValue = Object(a.Get(), &IGPParameter::get_Value);
    auto expectedValue = Object(b.Get(), &IGPParameter::get_Value);
    if (QueryAs<IGPVariable>(expectedValue.Get()) || !expectedValue) {
        EXPECT_EQ(Describe(actualValue.Get()), Describe(expectedValue.Get()));
        return;
    }
    VARIANT_BOOL equal = VARIANT_FALSE;
    ASSERT_TRUE(QueryAs<IClone>(actualValue.Get()));
    EXPECT_EQ(QueryAs<IClone>(expectedValue.Get())->IsEqual(QueryAs<IClone>(actualValue.Get()).Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_TRUE) << ToUtf8(Describe(actualValue.Get())) << " / "
                                   << ToUtf8(Describe(expectedValue.Get()));
}

bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal == VARIANT_TRUE;
}

class GPParameterTest : public ModuleClassesTest {};

TEST_F(GPParameterTest, EachFaceAnswersOnePointerUnderItsThreeIdentifiers) {
    auto p = Make<IUnknown>(CLSID_GPParameter);
    for (auto ids : {std::vector<IID>{IGPParameter::iid, IGPParameterId2::iid, IGPParameterId3::iid},
                     std::vector<IID>{IGPParameterEdit3::iid, IGPParameterEdit3Id2::iid, IGPParameterEdit3Id3::iid}}) {
        std::vector<void*> answers;
        for (const IID& iid : ids) {
            void* answer = nullptr;
            ASSERT_EQ(p->QueryInterface(iid, &answer), S_OK);
            answers.push_back(answer);
            static_cast<IUnknown*>(answer)->Release();
        }
        EXPECT_EQ(answers[0], answers[1]);
        EXPECT_EQ(answers[0], answers[2]);
    }
    EXPECT_NE(static_cast<void*>(ReadSide(p.Get()).Get()),
              static_cast<void*>(QueryAs<IGPParameterEdit3>(p.Get()).Get()));
    for (const IID& iid :
         {IClone::iid, IPersistStream::iid, IPersist::iid, IXMLSerialize::iid, IDocumentVersionSupport::iid}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(p->QueryInterface(iid, answer.OutVoid()), S_OK);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(p->QueryInterface(IGPValue::iid, none.OutVoid()), E_NOINTERFACE);
}

TEST_F(GPParameterTest, Defaults) {
    auto p = Make<IGPParameter>(CLSID_GPParameter);
    std::vector<String> expected = {u"",
                                    u"",
                                    u"",
                                    u"",
                                    u"",
                                    u"direction 0",
                                    u"type 0",
                                    u"order -1",
                                    u"true",
                                    u"false",
                                    u"false",
                                    u"false",
                                    u"false",
                                    u"(none)",
                                    u"(none)",
                                    u"(none)",
                                    u"(none)",
                                    u"(none)",
                                    u"control " + GuidText(GUID_NULL),
                                    u"no domain"};
    EXPECT_EQ(Properties(p.Get()), expected);
    ComPtr<IUID> control;
    EXPECT_EQ(p->get_ControlCLSID(control.Out()), S_FALSE);
    EXPECT_FALSE(control);
    EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->IsDirty(), S_FALSE);

    // Null out pointers, and numbers outside their enumerations.
    EXPECT_EQ(p->get_Name(nullptr), E_POINTER);
    EXPECT_EQ(p->get_Direction(nullptr), E_POINTER);
    EXPECT_EQ(p->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(p->get_ControlCLSID(nullptr), E_POINTER);
    EXPECT_EQ(p->get_AddToMap(nullptr), E_POINTER);
    auto edit = QueryAs<IGPParameterEdit3>(p.Get());
    EXPECT_EQ(edit->put_Direction(2), E_INVALIDARG);
    EXPECT_EQ(edit->put_ParameterType(-1), E_INVALIDARG);
    EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->IsDirty(), S_FALSE);
    EXPECT_EQ(edit->put_DisplayOrder(-1), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->IsDirty(), S_OK) << "every setter marks the parameter changed";

    // Objects are held by reference: the getter hands out the object given.
    auto value = ValueOf(CLSID_GPString, u"x");
    ASSERT_EQ(edit->putref_Value(value.Get()), S_OK);
    EXPECT_EQ(Object(p.Get(), &IGPParameter::get_Value).Get(), value.Get());
    ASSERT_EQ(edit->putref_Value(nullptr), S_OK);
    EXPECT_FALSE(Object(p.Get(), &IGPParameter::get_Value));
    ASSERT_EQ(edit->put_ControlCLSID(nullptr), S_OK);
    EXPECT_EQ(p->get_ControlCLSID(control.Out()), S_FALSE);
}

TEST_F(GPParameterTest, EveryPropertyThroughStreamXmlAndClone) {
    for (const auto& c : kValues) {
        SCOPED_TRACE(c.reason);
        auto original = MakeParameter(c);
        auto expected = Properties(ReadSide(original.Get()).Get());
        ASSERT_EQ(expected.size(), 24u);

        // Stream.
        auto stream = NewStream();
        ASSERT_EQ(SaveObject(original.Get(), stream.Get(), true), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(original.Get())->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        ComPtr<IGPParameter> loaded;
        ASSERT_EQ(LoadObject(stream.Get(), IGPParameter::iid, loaded.OutVoid()), S_OK);
        ASSERT_TRUE(loaded);
        ExpectSameProperties(loaded.Get(), original.Get());
        EXPECT_TRUE(Equal(loaded.Get(), original.Get()));

        // XML, read into a parameter that held something else.
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(original.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_NE(xml.view().find(u"GPParameter"), std::u16string_view::npos);
        auto fromXml = MakeParameter(kValues[0]);
        fromXml->put_Name(u"other");
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK) << ToUtf8(xml.view());
        ExpectSameProperties(fromXml.Get(), original.Get());
        EXPECT_TRUE(Equal(fromXml.Get(), original.Get()));

        // Clone: values, domains, dependency elements and the other objects are copies when they copy themselves.
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(original.Get())->Clone(clone.Out()), S_OK);
        auto cloned = QueryAs<IGPParameter>(clone.Get());
        EXPECT_EQ(Properties(cloned.Get()), expected);
        ExpectSameProperties(cloned.Get(), original.Get());
        EXPECT_TRUE(Equal(cloned.Get(), original.Get()));
        auto mine = ReadSide(original.Get());
        auto value = Object(mine.Get(), &IGPParameter::get_Value);
        auto clonedValue = Object(cloned.Get(), &IGPParameter::get_Value);
        EXPECT_EQ(value.Get() == clonedValue.Get(), *c.valueClass == CLSID_GPVariable)
            << "a value that clones itself is copied, a variable (no IClone) shared";
        EXPECT_NE(Object(mine.Get(), &IGPParameter::get_Domain).Get(),
                  Object(cloned.Get(), &IGPParameter::get_Domain).Get());
        EXPECT_NE(Object(mine.Get(), &IGPParameter::get_ParameterDependencies).Get(),
                  Object(cloned.Get(), &IGPParameter::get_ParameterDependencies).Get());
        EXPECT_EQ(Object(mine.Get(), &IGPParameter::get_DataType).Get(),
                  Object(cloned.Get(), &IGPParameter::get_DataType).Get());
        VARIANT_BOOL identical = 7;
        EXPECT_EQ(QueryAs<IClone>(original.Get())->IsIdentical(clone.Get(), &identical), S_OK);
        EXPECT_EQ(identical, VARIANT_FALSE);
    }
}

TEST_F(GPParameterTest, DamagedStreamLeavesTheParameterAsItWas) {
    auto saved = NewStream();
    ASSERT_EQ(QueryAs<IPersistStream>(MakeParameter(kValues[1]).Get())->Save(saved.Get(), 0), S_OK);
    auto bytes = Bytes(saved.Get());
    ASSERT_GT(bytes.size(), 40u);

    // A form written by hand up to a direction no parameter has.
    auto badDirection = NewStream();
    AfStreamWrite(badDirection.Get(), uint16_t{1});
    WriteString(badDirection.Get(), u"n");
    WriteString(badDirection.Get(), u"N");
    AfStreamWrite(badDirection.Get(), int32_t{7});
    SaveObject(nullptr, badDirection.Get(), false);
    AfStreamWrite(badDirection.Get(), int32_t{0});
    AfStreamWrite(badDirection.Get(), int32_t{0});

    std::vector<std::pair<std::vector<uint8_t>, const char*>> cases;
    auto newer = bytes;
    newer[0] = 2;
    cases.push_back({newer, "a newer version"});
    for (size_t cut : {size_t{1}, size_t{6}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 1})
        cases.push_back({std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut), "cut short"});
    cases.push_back({Bytes(badDirection.Get()), "a direction outside the enumeration"});

    for (const auto& [damaged, reason] : cases) {
        SCOPED_TRACE(reason);
        auto p = MakeParameter(kValues[0]);
        auto before = Properties(ReadSide(p.Get()).Get());
        auto stream = StreamOf(damaged);
        EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->Load(stream.Get()), E_FAIL);
        EXPECT_EQ(Properties(ReadSide(p.Get()).Get()), before);
    }
    auto p = Make<IPersistStream>(CLSID_GPParameter);
    EXPECT_EQ(p->Load(nullptr), E_POINTER);
    EXPECT_EQ(p->Save(nullptr, 0), E_POINTER);
}

TEST_F(GPParameterTest, DamagedXmlLeavesTheParameterAsItWas) {
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(MakeParameter(kValues[1]).Get(), nullptr, xml.Out()), S_OK);
    const String text = xml.str();
    struct Case {
        const char16_t* from;
        const char16_t* to;
        const char* reason;
    };
    const Case cases[] = {
        {u">1</Direction>", u">4</Direction>", "a direction outside the enumeration"},
        {u">2</ParameterType>", u">-2</ParameterType>", "a parameter type outside the enumeration"},
        {u">false</Enabled>", u">perhaps</Enabled>", "a flag that is no boolean"},
        {u">3</DisplayOrder>", u">three</DisplayOrder>", "an order that is no number"},
        {u">{12345678-", u">{nonsense-", "a control identifier that is no identifier"},
        {u">GPLong</Name>", u">NoSuchDataType</Name>", "a data type no factory knows"},
        {u"</GPParameter>", u"", "cut before its last tag"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        String changed = text;
        size_t at = changed.rfind(c.from);
        ASSERT_NE(at, String::npos) << ToUtf8(text);
        changed.replace(at, std::char_traits<char16_t>::length(c.from), c.to);
        auto p = MakeParameter(kValues[0]);
        auto before = Properties(ReadSide(p.Get()).Get());
        EXPECT_TRUE(FAILED(TaviXmlDeserialize(changed.c_str(), p.Get())));
        EXPECT_EQ(Properties(ReadSide(p.Get()).Get()), before);
    }
}

TEST_F(GPParameterTest, APropertyThatCannotPersistFailsTheSave) {
    // A platform array persists in neither form.
    auto cannot = Make<IUnknown>(CLSID_Array);
    using Put = std::function<void(IGPParameterEdit3*)>;
    const std::pair<Put, const char*> cases[] = {
        {[&](IGPParameterEdit3* p) { p->putref_Schema(cannot.Get()); }, "schema"},
        {[&](IGPParameterEdit3* p) { p->putref_SymbologyLayer(cannot.Get()); }, "symbology layer"},
        {[&](IGPParameterEdit3* p) { p->putref_ChartDefinitions(cannot.Get()); }, "chart definitions"},
        {[&](IGPParameterEdit3* p) {
             auto dependencies = Make<IArray>(CLSID_Array);
             dependencies->Add(cannot.Get());
             p->putref_ParameterDependencies(dependencies.Get());
         },
         "a dependency"},
    };
    for (const auto& [put, reason] : cases) {
        SCOPED_TRACE(reason);
        auto p = MakeParameter(kValues[0]);
        put(p.Get());
        EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->Save(NewStream().Get(), 1), E_FAIL);
        EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->IsDirty(), S_OK) << "a failed save leaves it changed";
        BStr xml;
        EXPECT_TRUE(FAILED(TaviXmlSerialize(p.Get(), nullptr, xml.Out())));
    }
}

TEST_F(GPParameterTest, APropertyLeadingBackToTheParameterFailsInsteadOfRecursing) {
    // The schema is the parameter itself, or a second parameter whose schema is the first.
    for (bool throughAnother : {false, true}) {
        SCOPED_TRACE(throughAnother ? "through another parameter" : "the parameter itself");
        auto p = MakeParameter(kValues[0]);
        auto other = MakeParameter(kValues[0]);
        auto copy = MakeParameter(kValues[0]);
        if (throughAnother) {
            other->putref_Schema(p.Get());
            p->putref_Schema(other.Get());
        } else {
            p->putref_Schema(p.Get());
        }
        copy->putref_Schema(copy.Get());
        EXPECT_EQ(QueryAs<IPersistStream>(p.Get())->Save(NewStream().Get(), 0), E_FAIL);
        BStr xml;
        EXPECT_TRUE(FAILED(TaviXmlSerialize(p.Get(), nullptr, xml.Out())));
        ComPtr<IClone> clone;
        EXPECT_EQ(QueryAs<IClone>(p.Get())->Clone(clone.Out()), E_FAIL);
        EXPECT_FALSE(clone);
        EXPECT_TRUE(Equal(p.Get(), p.Get()));
        EXPECT_FALSE(Equal(copy.Get(), p.Get())) << "comparing the schemas would meet the same comparison again";
        // Break the loop, or the objects keep each other alive.
        p->putref_Schema(nullptr);
        other->putref_Schema(nullptr);
        copy->putref_Schema(nullptr);
    }
}

TEST_F(GPParameterTest, IsEqualComparesEveryProperty) {
    auto original = MakeParameter(kValues[6]); // holds a model variable
    using Change = std::function<void(IGPParameterEdit3*)>;
    const std::pair<Change, const char*> changes[] = {
        {[](IGPParameterEdit3* p) { p->put_Name(u"IN_VALUE"); }, "name, compared with case"},
        {[](IGPParameterEdit3* p) { p->put_DisplayName(u""); }, "display name"},
        {[](IGPParameterEdit3* p) { p->put_Direction(taviGPParameterDirectionInput); }, "direction"},
        {[](IGPParameterEdit3* p) { p->putref_DataType(nullptr); }, "data type"},
        {[](IGPParameterEdit3* p) { p->put_ParameterType(taviGPParameterTypeOptional); }, "parameter type"},
        {[](IGPParameterEdit3* p) { p->putref_ParameterDependencies(nullptr); }, "dependencies"},
        {[](IGPParameterEdit3* p) { p->putref_Domain(nullptr); }, "domain"},
        {[](IGPParameterEdit3* p) { p->put_Enabled(VARIANT_TRUE); }, "enabled"},
        {[](IGPParameterEdit3* p) {
             auto variable = Make<IGPVariable>(CLSID_GPVariable);
             variable->put_Name(u"count");
             variable->putref_Value(ValueOf(CLSID_GPLong, u"8").Get());
             variable->putref_DataType(Make<IGPDataType>(CLSID_GPLongType).Get());
             p->putref_Value(QueryAs<IGPValue>(variable.Get()).Get());
         },
         "a variable holding another value"},
        {[](IGPParameterEdit3* p) { p->put_ControlCLSID(nullptr); }, "control"},
        {[](IGPParameterEdit3* p) { p->put_DefaultEnvironmentName(u""); }, "environment name"},
        {[](IGPParameterEdit3* p) { p->put_DisplayOrder(4); }, "display order"},
        {[](IGPParameterEdit3* p) { p->put_Altered(VARIANT_FALSE); }, "altered"},
        {[](IGPParameterEdit3* p) { p->put_HasBeenValidated(VARIANT_FALSE); }, "validated"},
        {[](IGPParameterEdit3* p) { p->put_Category(u"advanced"); }, "category"},
        {[](IGPParameterEdit3* p) { p->put_ChoiceListName(u""); }, "choice list"},
        {[](IGPParameterEdit3* p) { p->put_Managed(VARIANT_FALSE); }, "managed"},
        {[](IGPParameterEdit3* p) { p->putref_Schema(ValueOf(CLSID_GPString, u"schema2").Get()); }, "schema"},
        {[](IGPParameterEdit3* p) { p->putref_SymbologyLayer(nullptr); }, "symbology layer"},
        {[](IGPParameterEdit3* p) { p->putref_ChartDefinitions(nullptr); }, "chart definitions"},
        {[](IGPParameterEdit3* p) { p->put_AddToMap(VARIANT_FALSE); }, "add to map"},
    };
    for (const auto& [change, reason] : changes) {
        SCOPED_TRACE(reason);
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(original.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(clone.Get(), original.Get()));
        change(QueryAs<IGPParameterEdit3>(clone.Get()).Get());
        EXPECT_FALSE(Equal(clone.Get(), original.Get()));
        EXPECT_FALSE(Equal(original.Get(), clone.Get()));
    }

    // Separate but equal objects: a variable of the same content, and an empty dependency array for none.
    auto other = MakeParameter(kValues[6]);
    EXPECT_NE(Object(ReadSide(other.Get()).Get(), &IGPParameter::get_Value).Get(),
              Object(ReadSide(original.Get()).Get(), &IGPParameter::get_Value).Get());
    EXPECT_TRUE(Equal(other.Get(), original.Get()));
    auto none = Make<IGPParameterEdit3>(CLSID_GPParameter);
    auto empty = Make<IGPParameterEdit3>(CLSID_GPParameter);
    empty->putref_ParameterDependencies(Make<IArray>(CLSID_Array).Get());
    EXPECT_TRUE(Equal(none.Get(), empty.Get()));

    // Something that is no parameter is never equal; null arguments are E_POINTER.
    VARIANT_BOOL equal = 7;
    auto text = QueryAs<IClone>(ValueOf(CLSID_GPString, u"in_value").Get());
    EXPECT_EQ(QueryAs<IClone>(original.Get())->IsEqual(text.Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(QueryAs<IClone>(original.Get())->IsEqual(nullptr, &equal), E_POINTER);
    EXPECT_EQ(QueryAs<IClone>(original.Get())->Assign(text.Get()), E_NOINTERFACE);
    EXPECT_EQ(QueryAs<IClone>(original.Get())->Assign(nullptr), E_POINTER);
}

TEST_F(GPParameterTest, EveryDocumentVersionHoldsAParameter) {
    auto p = Make<IDocumentVersionSupport>(CLSID_GPParameter);
    for (int32_t version : {0, 1, docversion::kCurrent}) {
        VARIANT_BOOL supported = VARIANT_FALSE;
        EXPECT_EQ(p->IsSupportedAtVersion(version, &supported), S_OK);
        EXPECT_EQ(supported, VARIANT_TRUE);
        ComPtr<IUnknown> replacement;
        EXPECT_EQ(p->ConvertToSupportedObject(version, replacement.Out()), S_OK);
        EXPECT_TRUE(SameObject(replacement.Get(), p.Get()));
    }
}

TEST_F(GPParameterTest, BackgroundFlag) {
    auto background = Make<IDataLayerBackground>(CLSID_GPBackgroundObject);
    VARIANT_BOOL flag = 7;
    ASSERT_EQ(background->get_Background(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    ASSERT_EQ(background->put_Background(VARIANT_TRUE), S_OK);
    ASSERT_EQ(background->get_Background(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    ASSERT_EQ(background->put_Background(0), S_OK);
    ASSERT_EQ(background->get_Background(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(background->get_Background(nullptr), E_POINTER);
}

// ---- GPTest ----

constexpr CLSID kGoodFactory{0x7E570001, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr CLSID kOtherFactory{0x7E570002, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
constexpr CLSID kFailingFactory{0x7E570003, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 3}};
constexpr CLSID kUnmadeFactory{0x7E570004, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 4}};
constexpr CLSID kListedFactory{0x7E570005, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 5}};

// A tool factory of this test: the tools it names, or a failure when asked for them.
class ToolFactory final : public tavi::Object<ToolFactory, IGPFunctionFactory> {
public:
    std::vector<String> tools;
    HRESULT failure = S_OK;

    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_Alias(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_CLSID(IUID**) override { return E_NOTIMPL; }
    HRESULT GetFunction(const OLECHAR*, IUnknown**) override { return E_NOTIMPL; }
    HRESULT GetFunctionName(const OLECHAR*, IGPName**) override { return E_NOTIMPL; }
    HRESULT GetFunctionEnvironments(IEnumGPEnvironment**) override { return E_NOTIMPL; }
    HRESULT GetFunctionNamesInCategory(const OLECHAR*, IEnumGPName**) override { return E_NOTIMPL; }
    HRESULT GetFunctionNames(IEnumGPName** names) override {
        *names = nullptr;
        if (FAILED(failure))
            return failure;
        auto list = Make<IArray>(CLSID_EnumGPName);
        for (const auto& tool : tools) {
            auto name = Make<IGPName>(CLSID_GPFunctionName);
            name->put_Name(tool.c_str());
            list->Add(name.Get());
        }
        auto enumerator = QueryAs<IEnumGPName>(list.Get());
        enumerator->Next(ComPtr<IGPName>().Out()); // left part-way through: the walk resets it
        *names = enumerator.Detach();
        return S_OK;
    }
};

// The stand-ins of the environment host and its manager, which hand over a list of this test.
class SettingsList final : public tavi::Object<SettingsList, IEnumGPEnvironment> {
public:
    HRESULT Next(IGPEnvironment** setting) override {
        *setting = nullptr;
        return S_FALSE;
    }
    HRESULT Reset() override { return S_OK; }
};

class Manager final : public tavi::Object<Manager, IGPEnvironmentManager> {
public:
    HRESULT GetEnvironment(const OLECHAR*, IGPEnvironment**) override { return E_NOTIMPL; }
    HRESULT GetEnvironmentValue(const OLECHAR*, IGPValue**) override { return E_NOTIMPL; }
    HRESULT SetEnvironmentValue(const OLECHAR*, IGPValue*) override { return E_NOTIMPL; }
    HRESULT GetEnvironmentText(const OLECHAR*, BSTR*) override { return E_NOTIMPL; }
    HRESULT SetEnvironmentText(const OLECHAR*, const OLECHAR*, IGPMessage**) override { return E_NOTIMPL; }
    HRESULT ResetEnvironment(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT ResetEnvironments() override { return E_NOTIMPL; }
    HRESULT AddEnvironment(IGPEnvironment*) override { return E_NOTIMPL; }
    HRESULT RemoveEnvironment(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_Count(int32_t*) override { return E_NOTIMPL; }
    HRESULT GetEnvironmentNames(IEnumBSTR**) override { return E_NOTIMPL; }
    HRESULT GetSpatialReference(const OLECHAR*, ISpatialReference**) override { return E_NOTIMPL; }
    HRESULT SetSpatialReference(const OLECHAR*, ISpatialReference*) override { return E_NOTIMPL; }
    HRESULT get_Environments(IEnumGPEnvironment** settings) override {
        return MakeObject<SettingsList>()->QueryInterface(IEnumGPEnvironment::iid, reinterpret_cast<void**>(settings));
    }
};

class Host final : public tavi::Object<Host, IGPEnvironmentHost> {
public:
    HRESULT get_EnvironmentManager(IGPEnvironmentManager** manager) override {
        *manager = nullptr;
        if (!hostHasManager)
            return E_FAIL;
        return MakeObject<Manager>()->QueryInterface(IGPEnvironmentManager::iid, reinterpret_cast<void**>(manager));
    }
    static inline bool hostHasManager = true;
};

// The test's classes by identifier: made fresh on each request, configured by the test.
struct TestClasses {
    static inline std::vector<String> goodTools;
    static inline std::vector<String> otherTools;
    static inline HRESULT failing = E_ACCESSDENIED;
    static inline bool standInHost = false;
    // The factories this test program serves. The tests of a program share its registry store and may run at the
    // same time in other processes, so each test registers factories of its own, and a factory another test
    // registered is one this process cannot make: the walk passes over it.
    static inline std::vector<CLSID> served;
    static bool Serves(const CLSID& clsid) { return std::find(served.begin(), served.end(), clsid) != served.end(); }
};

template <class Make> class Factory final : public tavi::Object<Factory<Make>, IClassFactory> {
public:
    explicit Factory(Make make) : make_(std::move(make)) {}
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return make_()->QueryInterface(riid, ppv);
    }
    HRESULT LockServer(int32_t) override { return S_OK; }

private:
    Make make_;
};

template <class Make> HRESULT Serve(Make make, REFIID riid, void** ppv) {
    return MakeObject<Factory<Make>>(std::move(make))->QueryInterface(riid, ppv);
}

HRESULT TestClassSource(REFCLSID clsid, REFIID riid, void** ppv) {
    auto factoryOf = [](std::vector<String> tools, HRESULT failure) {
        return [tools, failure] {
            auto factory = MakeObject<ToolFactory>();
            factory->tools = tools;
            factory->failure = failure;
            return factory;
        };
    };
    if (TestClasses::Serves(clsid)) {
        if (clsid == kGoodFactory || clsid == kListedFactory)
            return Serve(factoryOf(TestClasses::goodTools, S_OK), riid, ppv);
        if (clsid == kOtherFactory)
            return Serve(factoryOf(TestClasses::otherTools, S_OK), riid, ppv);
        if (clsid == kFailingFactory)
            return Serve(factoryOf({u"never"}, TestClasses::failing), riid, ppv);
    }
    if (clsid == CLSID_GPEnvironmentHost && TestClasses::standInHost)
        return Serve([] { return MakeObject<Host>(); }, riid, ppv);
    return DllGetClassObject(clsid, riid, ppv);
}

class GPTestTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        SetModuleClassSource(&TestClassSource);
        ASSERT_EQ(AfCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, ICatRegister::iid,
                                   registrar_.OutVoid()),
                  S_OK);
        TestClasses::goodTools = {u"Buffer", u"Clip"};
        TestClasses::otherTools = {u"Dissolve"};
        TestClasses::standInHost = false;
        TestClasses::served.clear();
        Host::hostHasManager = true;
    }
    void TearDown() override {
        CATID category = CATID_GPFunctionFactories;
        for (CLSID clsid : registered_)
            registrar_->UnRegisterClassImplCategories(clsid, 1, &category);
        registrar_ = nullptr;
        ModuleClassesTest::TearDown(); // puts the module's class source back
    }
    // Registers the factory in the category; `served` when this process makes it.
    void Register(const CLSID& clsid, bool served = true) {
        CATID category = CATID_GPFunctionFactories;
        ASSERT_EQ(registrar_->RegisterClassImplCategories(clsid, 1, &category), S_OK);
        registered_.push_back(clsid);
        if (served)
            TestClasses::served.push_back(clsid);
    }
    static std::vector<String> Names(IArray* names) {
        std::vector<String> all;
        int32_t count = 0;
        EXPECT_EQ(names->get_Count(&count), S_OK);
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> element;
            EXPECT_EQ(names->get_Element(i, element.Out()), S_OK);
            BStr name;
            EXPECT_EQ(QueryAs<IGPName>(element.Get())->get_Name(name.Out()), S_OK);
            all.push_back(name.str());
        }
        return all;
    }

    ComPtr<ICatRegister> registrar_;
    std::vector<CLSID> registered_;
};

TEST_F(GPTestTest, ToolNamesOfTheRegisteredFactories) {
    auto test = Make<IGPTest>(CLSID_GPTest);
    ComPtr<IArray> names;
    IArray* stale = reinterpret_cast<IArray*>(0x1);
    EXPECT_EQ(test->GetToolNames(&stale), S_OK);
    EXPECT_EQ(stale, nullptr) << "no factory registered: S_OK and no array";
    EXPECT_EQ(test->GetToolNames(nullptr), E_POINTER);

    Register(kGoodFactory);
    Register(kUnmadeFactory, false); // registered, but no source makes it: passed over
    Register(kOtherFactory);
    ASSERT_EQ(test->GetToolNames(names.Out()), S_OK);
    ASSERT_TRUE(names);
    auto all = Names(names.Get());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<String>{u"Buffer", u"Clip", u"Dissolve"})) << "every name, the first ones too";

    TestClasses::goodTools.clear();
    TestClasses::otherTools.clear();
    ASSERT_EQ(test->GetToolNames(names.Out()), S_OK);
    EXPECT_FALSE(names) << "factories without tools: no array";
}

TEST_F(GPTestTest, AFactoryWithoutAListStopsTheWalkWithItsCode) {
    auto test = Make<IGPTest>(CLSID_GPTest);
    Register(kListedFactory);
    Register(kFailingFactory);
    for (HRESULT failure : {E_ACCESSDENIED, E_OUTOFMEMORY}) {
        TestClasses::failing = failure;
        ComPtr<IArray> names;
        EXPECT_EQ(test->GetToolNames(names.Out()), failure);
        EXPECT_FALSE(names);
    }
}

TEST_F(GPTestTest, EnvironmentsThroughTheHostOrNone) {
    auto test = Make<IGPTest>(CLSID_GPTest);
    ComPtr<IEnumGPEnvironment> settings;
    EXPECT_EQ(test->GetEnvironments(settings.Out()), S_OK) << "whatever the process's host does";
    EXPECT_EQ(test->GetEnvironments(nullptr), E_POINTER);

    TestClasses::standInHost = true;
    ASSERT_EQ(test->GetEnvironments(settings.Out()), S_OK);
    ASSERT_TRUE(settings) << "the manager's list is handed over";
    ComPtr<IGPEnvironment> first;
    EXPECT_EQ(settings->Next(first.Out()), S_FALSE);

    Host::hostHasManager = false;
    EXPECT_EQ(test->GetEnvironments(settings.Out()), S_OK);
    EXPECT_FALSE(settings) << "a host without a manager: S_OK and null";
}

} // namespace
} // namespace tavi::test
