// The environment setting: defaults, the value handed out as a copy, standing in for a source and detaching from
// it, equality, the stream form of every version and the XML form, reads that fail without change, and the list of
// settings.
#include "TestSupport.h"

#include "PersistForms.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "host/XmlSerialize.h"
#include "tavi/Collections.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDomains.h"
#include "tavi/GPEnvironment.h"
#include "tavi/GPExtent.h"
#include "tavi/GPScalar.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <functional>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

constexpr GUID kControl{0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

class GPEnvironmentTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPEnvironment> NewSetting() { return Create<IGPEnvironment>(CLSID_GPEnvironment); }

    static ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
        auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
        ComPtr<IGPDataType> type;
        EXPECT_EQ(factory->GetDataType(name, type.Out()), S_OK);
        return type;
    }
    static ComPtr<IGPValue> ValueOf(REFCLSID clsid, const char16_t* text) {
        auto value = Create<IGPValue>(clsid);
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
        return value;
    }
    static ComPtr<IGPDomain> CodedDomain() {
        auto domain = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
        EXPECT_EQ(domain->AddCode(ValueOf(CLSID_GPString, u"first").Get(), u"First"), S_OK);
        EXPECT_EQ(domain->AddCode(ValueOf(CLSID_GPString, u"second").Get(), u"Second"), S_OK);
        return domain.As<IGPDomain>();
    }
    static ComPtr<IUID> Uid(const GUID& guid) {
        ComPtr<IUID> uid;
        EXPECT_EQ(MakeUID(guid, uid.Out()), S_OK);
        return uid;
    }

    static String Name(IGPEnvironment* setting) { return Text(setting, &IGPEnvironment::get_Name); }
    static String Category(IGPEnvironment* setting) { return Text(setting, &IGPEnvironment::get_Category); }
    static String Text(IGPEnvironment* setting, HRESULT (IGPEnvironment::*get)(BSTR*)) {
        BStr text;
        EXPECT_EQ((setting->*get)(text.Out()), S_OK);
        return text.str();
    }
    static String ValueText(IGPEnvironment* setting) {
        ComPtr<IGPValue> value;
        EXPECT_EQ(setting->get_Value(value.Out()), S_OK);
        if (!value)
            return u"<none>";
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static int32_t Order(IGPEnvironment* setting) {
        int32_t order = 0;
        EXPECT_EQ(setting->get_DisplayOrder(&order), S_OK);
        return order;
    }
    static bool Altered(IGPEnvironment* setting) {
        VARIANT_BOOL altered = 7;
        EXPECT_EQ(QueryAs<IGPEnvironmentImpl2>(setting)->get_Altered(&altered), S_OK);
        return altered != VARIANT_FALSE;
    }
    static ComPtr<IGPEnvironment> SourceOf(IGPEnvironment* setting) {
        ComPtr<IGPEnvironment> source;
        EXPECT_EQ(QueryAs<IGPEnvironmentImpl>(setting)->get_Source(source.Out()), S_OK);
        return source;
    }
    static std::vector<String> Dependencies(IGPEnvironment* setting) {
        ComPtr<IEnumBSTR> names;
        EXPECT_EQ(setting->get_ParameterDependencies(names.Out()), S_OK);
        std::vector<String> read;
        BStr name;
        while (names->Next(name.Out()) == S_OK)
            read.push_back(name.str());
        return read;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = 7;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    // The stream form for documents of the current version.
    static std::vector<uint8_t> Form(IUnknown* setting) { return SavedForm(setting, docversion::kCurrent); }
    static bool Dirty(IUnknown* setting) { return QueryAs<IPersistStream>(setting)->IsDirty() == S_OK; }

    // A setting with every field set, its value of `valueClass` read from `valueText`.
    static ComPtr<IGPEnvironment> FullSetting(REFCLSID valueClass = CLSID_GPString,
                                              const char16_t* valueText = u"first",
                                              const char16_t* typeName = u"GPString") {
        auto setting = NewSetting();
        EXPECT_EQ(setting->put_Name(u"workspace"), S_OK);
        EXPECT_EQ(setting->put_DisplayName(u"Current Workspace"), S_OK);
        EXPECT_EQ(setting->put_Category(u"General"), S_OK);
        EXPECT_EQ(setting->putref_Value(ValueOf(valueClass, valueText).Get()), S_OK);
        EXPECT_EQ(setting->putref_Domain(CodedDomain().Get()), S_OK);
        if (typeName) {
            EXPECT_EQ(setting->putref_DataType(TypeNamed(typeName).Get()), S_OK);
        }
        EXPECT_EQ(setting->put_DisplayOrder(3), S_OK);
        EXPECT_EQ(setting->put_ControlCLSID(Uid(kControl).Get()), S_OK);
        EXPECT_EQ(setting->AddDependency(u"in_features"), S_OK);
        EXPECT_EQ(setting->AddDependency(u"out_table"), S_OK);
        EXPECT_EQ(setting->put_MetadataFile(u"workspace.xml"), S_OK);
        EXPECT_EQ(QueryAs<IGPEnvironmentImpl2>(setting.Get())->put_Altered(VARIANT_TRUE), S_OK);
        return setting;
    }
};

TEST_F(GPEnvironmentTest, NewSettingHasTheDefaults) {
    auto setting = NewSetting();
    EXPECT_EQ(Order(setting.Get()), -1);
    EXPECT_EQ(Name(setting.Get()), u"");
    ComPtr<IGPValue> value;
    EXPECT_EQ(setting->get_Value(value.Out()), S_OK);
    EXPECT_FALSE(value);
    ComPtr<IUID> control = Uid(kControl);
    EXPECT_EQ(setting->get_ControlCLSID(control.Out()), S_FALSE);
    EXPECT_FALSE(control);
    ComPtr<IGPDataType> type;
    EXPECT_EQ(setting->get_DataType(type.Out()), S_OK);
    EXPECT_FALSE(type);
    EXPECT_TRUE(Dependencies(setting.Get()).empty());
    EXPECT_FALSE(Altered(setting.Get()));
    EXPECT_FALSE(Dirty(setting.Get()));

    // Null out pointers.
    EXPECT_EQ(setting->get_Name(nullptr), E_POINTER);
    EXPECT_EQ(setting->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(setting->get_DisplayOrder(nullptr), E_POINTER);
    EXPECT_EQ(setting->get_ControlCLSID(nullptr), E_POINTER);
    EXPECT_EQ(setting->get_ParameterDependencies(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPEnvironmentImpl>(setting.Get())->get_StoredValue(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPEnvironmentImpl2>(setting.Get())->get_Altered(nullptr), E_POINTER);

    auto versions = QueryAs<IDocumentVersionSupport>(setting.Get());
    VARIANT_BOOL supported = VARIANT_FALSE;
    EXPECT_EQ(versions->IsSupportedAtVersion(0, &supported), S_OK);
    EXPECT_TRUE(supported);
    EXPECT_EQ(versions->IsSupportedAtVersion(-1, &supported), S_OK);
    EXPECT_FALSE(supported);
    ComPtr<IUnknown> replacement;
    EXPECT_EQ(versions->ConvertToSupportedObject(docversion::kCurrent, replacement.Out()), E_NOTIMPL);
    uint64_t size = 0;
    EXPECT_EQ(QueryAs<IPersistStream>(setting.Get())->GetSizeMax(&size), E_NOTIMPL);
}

TEST_F(GPEnvironmentTest, ValueIsHandedOutAsACopyAndAVariableAsItself) {
    auto setting = NewSetting();
    auto stored = ValueOf(CLSID_GPLinearUnit, u"12 Meters");
    ASSERT_EQ(setting->putref_Value(stored.Get()), S_OK);
    ComPtr<IGPValue> first, second;
    ASSERT_EQ(setting->get_Value(first.Out()), S_OK);
    ASSERT_EQ(setting->get_Value(second.Out()), S_OK);
    EXPECT_FALSE(SameObject(first.Get(), second.Get()));
    EXPECT_FALSE(SameObject(first.Get(), stored.Get()));
    EXPECT_TRUE(Equal(first.Get(), second.Get()));
    ComPtr<IGPMessage> message;
    first->SetAsText(u"5 Feet", message.Out()); // changing the copy leaves the setting alone
    EXPECT_EQ(ValueText(setting.Get()), u"12 Meters");
    ComPtr<IGPValue> itself;
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl>(setting.Get())->get_StoredValue(itself.Out()), S_OK);
    EXPECT_TRUE(SameObject(itself.Get(), stored.Get()));

    // The data type: the value's until one is put.
    ComPtr<IGPDataType> type;
    ASSERT_EQ(setting->get_DataType(type.Out()), S_OK);
    ASSERT_TRUE(type);
    BStr typeName;
    type->get_Name(typeName.Out());
    EXPECT_EQ(typeName.view(), u"GPLinearUnit");
    ASSERT_EQ(setting->putref_DataType(TypeNamed(u"GPString").Get()), S_OK);
    ASSERT_EQ(setting->get_DataType(type.Out()), S_OK);
    type->get_Name(typeName.Out());
    EXPECT_EQ(typeName.view(), u"GPString");

    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    ASSERT_EQ(setting->putref_Value(QueryAs<IGPValue>(variable.Get()).Get()), S_OK);
    ASSERT_EQ(setting->get_Value(first.Out()), S_OK);
    ASSERT_EQ(setting->get_Value(second.Out()), S_OK);
    EXPECT_TRUE(SameObject(first.Get(), variable.Get()));
    EXPECT_TRUE(SameObject(second.Get(), variable.Get()));
}

TEST_F(GPEnvironmentTest, StandInAnswersFromItsSourceUntilItsFirstChange) {
    auto source = FullSetting();
    auto standIn = NewSetting();
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl>(standIn.Get())->putref_Source(source.Get()), S_OK);
    EXPECT_TRUE(Dirty(standIn.Get()));
    EXPECT_EQ(Name(standIn.Get()), u"workspace");
    EXPECT_EQ(ValueText(standIn.Get()), u"first");
    EXPECT_TRUE(Equal(standIn.Get(), source.Get()));
    ASSERT_EQ(source->put_Name(u"extent"), S_OK); // followed while standing in
    EXPECT_EQ(Name(standIn.Get()), u"extent");
    ComPtr<IGPValue> sourceValue, standInValue;
    QueryAs<IGPEnvironmentImpl>(source.Get())->get_StoredValue(sourceValue.Out());
    QueryAs<IGPEnvironmentImpl>(standIn.Get())->get_StoredValue(standInValue.Out());
    EXPECT_TRUE(SameObject(sourceValue.Get(), standInValue.Get()));

    ASSERT_EQ(standIn->put_Category(u"Analysis"), S_OK);
    EXPECT_FALSE(SourceOf(standIn.Get()));
    EXPECT_EQ(Name(standIn.Get()), u"extent");
    EXPECT_EQ(Category(standIn.Get()), u"Analysis");
    EXPECT_EQ(Category(source.Get()), u"General");
    EXPECT_EQ(Dependencies(standIn.Get()), (std::vector<String>{u"in_features", u"out_table"}));
    EXPECT_TRUE(Altered(standIn.Get()));
    ASSERT_EQ(source->put_Name(u"mask"), S_OK); // no longer followed
    EXPECT_EQ(Name(standIn.Get()), u"extent");
    // The value and domain are copies of the source's.
    QueryAs<IGPEnvironmentImpl>(standIn.Get())->get_StoredValue(standInValue.Out());
    EXPECT_FALSE(SameObject(sourceValue.Get(), standInValue.Get()));
    EXPECT_TRUE(Equal(sourceValue.Get(), standInValue.Get()));
    ComPtr<IGPDomain> sourceDomain, standInDomain;
    source->get_Domain(sourceDomain.Out());
    standIn->get_Domain(standInDomain.Out());
    EXPECT_FALSE(SameObject(sourceDomain.Get(), standInDomain.Get()));
    EXPECT_TRUE(Equal(sourceDomain.Get(), standInDomain.Get()));

    // Putting no source detaches too, keeping the copy.
    auto second = NewSetting();
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl>(second.Get())->putref_Source(source.Get()), S_OK);
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl>(second.Get())->putref_Source(nullptr), S_OK);
    EXPECT_FALSE(SourceOf(second.Get()));
    EXPECT_EQ(Name(second.Get()), u"mask");
}

// A display order or altered flag put on a stand-in belongs to it: the put neither detaches nor is overwritten by
// the source's when a later change detaches.
TEST_F(GPEnvironmentTest, DisplayOrderAndAlteredPutOnAStandInSurviveDetaching) {
    auto source = FullSetting();
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl2>(source.Get())->put_Altered(VARIANT_FALSE), S_OK);
    auto standIn = NewSetting();
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl>(standIn.Get())->putref_Source(source.Get()), S_OK);
    EXPECT_EQ(Order(standIn.Get()), 3);
    ASSERT_EQ(standIn->put_DisplayOrder(9), S_OK);
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl2>(standIn.Get())->put_Altered(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(SourceOf(standIn.Get())) << "put_DisplayOrder or put_Altered detached";
    EXPECT_EQ(Order(standIn.Get()), 9);
    EXPECT_TRUE(Altered(standIn.Get()));
    EXPECT_EQ(Order(source.Get()), 3);
    EXPECT_FALSE(Altered(source.Get()));

    ASSERT_EQ(standIn->put_Name(u"renamed"), S_OK);
    EXPECT_FALSE(SourceOf(standIn.Get()));
    EXPECT_EQ(Order(standIn.Get()), 9);
    EXPECT_TRUE(Altered(standIn.Get()));
}

TEST_F(GPEnvironmentTest, SourceLoopsAreRefused) {
    auto a = NewSetting();
    auto b = NewSetting();
    auto implA = QueryAs<IGPEnvironmentImpl>(a.Get());
    EXPECT_EQ(implA->putref_Source(a.Get()), E_INVALIDARG);
    ASSERT_EQ(implA->putref_Source(b.Get()), S_OK);
    EXPECT_EQ(QueryAs<IGPEnvironmentImpl>(b.Get())->putref_Source(a.Get()), E_INVALIDARG);
    EXPECT_FALSE(SourceOf(b.Get()));
    EXPECT_EQ(Name(a.Get()), u""); // still answers
}

TEST_F(GPEnvironmentTest, DependenciesAreAddedAndReplaced) {
    auto source = FullSetting();
    auto standIn = NewSetting();
    ASSERT_EQ(QueryAs<IGPEnvironmentImpl>(standIn.Get())->putref_Source(source.Get()), S_OK);
    Form(standIn.Get()); // saved: clean
    EXPECT_EQ(standIn->AddDependency(u""), S_OK);
    EXPECT_EQ(standIn->AddDependency(nullptr), S_OK);
    EXPECT_TRUE(SourceOf(standIn.Get())) << "an empty name detached the stand-in";
    EXPECT_FALSE(Dirty(standIn.Get()));
    EXPECT_EQ(Dependencies(standIn.Get()), (std::vector<String>{u"in_features", u"out_table"}));

    auto names = Create<IBStringArray>(CLSID_EnumBSTR);
    names->Add(BStr(u"alpha").Get());
    names->Add(BStr(u"beta").Get());
    ASSERT_EQ(standIn->put_ParameterDependencies(names.As<IEnumBSTR>().Get()), S_OK);
    EXPECT_FALSE(SourceOf(standIn.Get()));
    EXPECT_EQ(Dependencies(standIn.Get()), (std::vector<String>{u"alpha", u"beta"}));
    ASSERT_EQ(standIn->AddDependency(u"gamma"), S_OK);
    EXPECT_EQ(Dependencies(standIn.Get()), (std::vector<String>{u"alpha", u"beta", u"gamma"}));
    ASSERT_EQ(standIn->put_ParameterDependencies(nullptr), S_OK);
    EXPECT_TRUE(Dependencies(standIn.Get()).empty());
}

TEST_F(GPEnvironmentTest, EqualityComparesEveryFieldAndTextsWithoutCase) {
    using Change = std::function<void(IGPEnvironment*)>;
    struct EqualCase {
        const char* reason;
        Change change;
        bool equal;
    };
    const EqualCase cases[] = {
        {"name in another case", [](IGPEnvironment* s) { s->put_Name(u"WORKSPACE"); }, true},
        {"metadata file in another case", [](IGPEnvironment* s) { s->put_MetadataFile(u"Workspace.XML"); }, true},
        {"dependency in another case",
         [](IGPEnvironment* s) {
             s->put_ParameterDependencies(nullptr);
             s->AddDependency(u"IN_FEATURES");
             s->AddDependency(u"out_table");
         },
         true},
        {"another name", [](IGPEnvironment* s) { s->put_Name(u"extent"); }, false},
        {"another category", [](IGPEnvironment* s) { s->put_Category(u"Raster"); }, false},
        {"another display order", [](IGPEnvironment* s) { s->put_DisplayOrder(4); }, false},
        {"another value", [](IGPEnvironment* s) { s->putref_Value(ValueOf(CLSID_GPString, u"second").Get()); }, false},
        {"no value", [](IGPEnvironment* s) { s->putref_Value(nullptr); }, false},
        {"no domain", [](IGPEnvironment* s) { s->putref_Domain(nullptr); }, false},
        {"another data type", [](IGPEnvironment* s) { s->putref_DataType(TypeNamed(u"GPLong").Get()); }, false},
        {"no control class", [](IGPEnvironment* s) { s->put_ControlCLSID(nullptr); }, false},
        {"not altered", [](IGPEnvironment* s) { QueryAs<IGPEnvironmentImpl2>(s)->put_Altered(VARIANT_FALSE); }, false},
        {"one more dependency", [](IGPEnvironment* s) { s->AddDependency(u"extra"); }, false},
        {"another dependency",
         [](IGPEnvironment* s) {
             s->put_ParameterDependencies(nullptr);
             s->AddDependency(u"in_features");
             s->AddDependency(u"in_table");
         },
         false},
    };
    auto reference = FullSetting();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto other = FullSetting();
        ASSERT_TRUE(Equal(reference.Get(), other.Get()));
        c.change(other.Get());
        EXPECT_EQ(Equal(reference.Get(), other.Get()), c.equal);
        EXPECT_EQ(Equal(other.Get(), reference.Get()), c.equal);
    }
    VARIANT_BOOL equal = VARIANT_TRUE;
    auto notASetting = ValueOf(CLSID_GPString, u"x");
    EXPECT_EQ(QueryAs<IClone>(reference.Get())->IsEqual(QueryAs<IClone>(notASetting.Get()).Get(), &equal), S_OK);
    EXPECT_FALSE(equal);
}

TEST_F(GPEnvironmentTest, CloneCopiesAndAStandInsCloneStandsForTheSameSource) {
    auto setting = FullSetting();
    auto asClone = QueryAs<IClone>(setting.Get());
    ComPtr<IClone> copy;
    ASSERT_EQ(asClone->Clone(copy.Out()), S_OK);
    EXPECT_TRUE(Equal(copy.Get(), setting.Get()));
    EXPECT_EQ(Form(copy.Get()), Form(setting.Get()));
    VARIANT_BOOL identical = VARIANT_TRUE;
    EXPECT_EQ(asClone->IsIdentical(copy.Get(), &identical), S_OK);
    EXPECT_FALSE(identical);
    EXPECT_EQ(asClone->IsIdentical(asClone.Get(), &identical), S_OK);
    EXPECT_TRUE(identical);
    ComPtr<IGPValue> mine, theirs;
    QueryAs<IGPEnvironmentImpl>(setting.Get())->get_StoredValue(mine.Out());
    QueryAs<IGPEnvironmentImpl>(copy.Get())->get_StoredValue(theirs.Out());
    EXPECT_FALSE(SameObject(mine.Get(), theirs.Get()));

    auto standIn = NewSetting();
    QueryAs<IGPEnvironmentImpl>(standIn.Get())->putref_Source(setting.Get());
    standIn->put_DisplayOrder(7);
    ComPtr<IClone> standInCopy;
    ASSERT_EQ(QueryAs<IClone>(standIn.Get())->Clone(standInCopy.Out()), S_OK);
    auto copySetting = standInCopy.As<IGPEnvironment>();
    EXPECT_TRUE(SameObject(SourceOf(copySetting.Get()).Get(), setting.Get()));
    EXPECT_EQ(Order(copySetting.Get()), 7);

    auto notASetting = ValueOf(CLSID_GPString, u"x");
    EXPECT_EQ(asClone->Assign(QueryAs<IClone>(notASetting.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(Name(setting.Get()), u"workspace");
}

// The stream form of settings holding several kinds of value, a domain and a data type reads back equal and
// writes the same bytes again.
TEST_F(GPEnvironmentTest, StreamFormReadsBack) {
    struct ValueCase {
        const char* reason;
        CLSID valueClass;
        const char16_t* text;
        const char16_t* typeName;
    };
    const ValueCase cases[] = {
        {"string", CLSID_GPString, u"first", u"GPString"},
        {"linear unit", CLSID_GPLinearUnit, u"12 Meters", u"GPLinearUnit"},
        {"extent", CLSID_GPExtent, u"1 2 3 4", u"GPExtent"},
        {"coordinate system", CLSID_GPCoordinateSystem, u"EPSG:26911", u"GPCoordinateSystem"},
        {"no explicit data type", CLSID_GPString, u"first", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto setting = FullSetting(c.valueClass, c.text, c.typeName);
        auto bytes = Form(setting.Get());
        EXPECT_FALSE(Dirty(setting.Get()));
        auto read = NewSetting();
        ASSERT_EQ(LoadForm(read.Get(), bytes), S_OK);
        EXPECT_TRUE(Equal(read.Get(), setting.Get()));
        EXPECT_EQ(Form(read.Get()), bytes);
        EXPECT_FALSE(Dirty(read.Get()));
    }

    // A list of values with its member type.
    auto list = Create<IGPMultiValue>(CLSID_GPMultiValue);
    ASSERT_EQ(list->putref_MemberDataType(TypeNamed(u"GPString").Get()), S_OK);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(QueryAs<IGPValue>(list.Get())->SetAsText(u"a;b;c", message.Out()), S_OK);
    auto setting = FullSetting();
    ASSERT_EQ(setting->putref_Value(QueryAs<IGPValue>(list.Get()).Get()), S_OK);
    auto read = NewSetting();
    ASSERT_EQ(LoadForm(read.Get(), Form(setting.Get())), S_OK);
    EXPECT_TRUE(Equal(read.Get(), setting.Get()));
    EXPECT_EQ(ValueText(read.Get()), u"a;b;c");

    // A new setting (no data type: a null object) reads back, and a stand-in writes what it answers.
    auto fresh = NewSetting();
    ASSERT_EQ(LoadForm(fresh.Get(), Form(NewSetting().Get())), S_OK);
    EXPECT_TRUE(Equal(fresh.Get(), NewSetting().Get()));
    EXPECT_EQ(Order(fresh.Get()), -1);
    EXPECT_FALSE(Altered(fresh.Get()));
    EXPECT_EQ(ValueText(fresh.Get()), u"<none>");
    EXPECT_TRUE(Dependencies(fresh.Get()).empty());
    auto standIn = NewSetting();
    QueryAs<IGPEnvironmentImpl>(standIn.Get())->putref_Source(setting.Get());
    ASSERT_EQ(LoadForm(fresh.Get(), Form(standIn.Get())), S_OK);
    EXPECT_TRUE(Equal(fresh.Get(), setting.Get()));

    // Loading makes a stand-in independent.
    ASSERT_EQ(LoadForm(standIn.Get(), Form(NewSetting().Get())), S_OK);
    EXPECT_FALSE(SourceOf(standIn.Get()));
    EXPECT_EQ(Name(standIn.Get()), u"");
}

TEST_F(GPEnvironmentTest, SaveVersionFollowsTheDocumentVersion) {
    struct VersionCase {
        int32_t docVersion;
        uint16_t version;
    };
    const VersionCase cases[] = {
        {docversion::Older(0), 7}, {docversion::Older(3), 7}, {docversion::Older(4), 8},
        {docversion::Newer(0), 8}, {docversion::Newer(4), 8}, {docversion::kCurrent, 8},
    };
    auto setting = FullSetting();
    const size_t fullSize = SavedForm(setting.Get(), docversion::kCurrent).size();
    for (const auto& c : cases) {
        SCOPED_TRACE(docversion::Name(c.docVersion));
        auto bytes = SavedForm(setting.Get(), c.docVersion);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes[0] | bytes[1] << 8, c.version);
        EXPECT_EQ(bytes.size(), c.version == 8 ? fullSize : fullSize - 2); // version 7 has no altered flag
        auto read = NewSetting();
        ASSERT_EQ(LoadForm(read.Get(), bytes), S_OK);
        EXPECT_TRUE(Altered(read.Get())) << "version 7 reads as altered; version 8 keeps the flag (set here)";
    }
    // A version 7 form of a setting never altered still reads back altered.
    auto untouched = NewSetting();
    auto read = NewSetting();
    ASSERT_EQ(LoadForm(read.Get(), SavedForm(untouched.Get(), docversion::Older(0))), S_OK);
    EXPECT_TRUE(Altered(read.Get()));
}

// Streams of every version, written by hand: what each version holds and what it leaves at its default.
TEST_F(GPEnvironmentTest, EveryStreamVersionReads) {
    auto write = [](uint16_t version) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
        IStream* s = stream.Get();
        AfStreamWrite(s, version);
        WriteString(s, u"name");
        WriteString(s, u"display");
        SaveObject(ValueOf(CLSID_GPString, u"text").Get(), s, false);
        SaveObject(nullptr, s, false); // no domain
        if (version <= 2)
            WriteString(s, u"dropped");
        if (version >= 2)
            WriteString(s, u"category");
        if (version >= 4) {
            ComPtr<IName> typeName;
            TypeNamed(u"GPLong")->get_FullName(typeName.Out());
            SaveObject(typeName.Get(), s, false);
        }
        if (version >= 5)
            AfStreamWrite(s, int32_t{6});
        if (version >= 6) {
            AfStreamWrite(s, kControl);
            AfStreamWrite(s, int32_t{1});
            WriteString(s, u"dependency");
        }
        if (version >= 7)
            WriteString(s, u"metadata.xml");
        if (version >= 8)
            AfStreamWrite(s, int16_t{0});
        uint64_t size = 0;
        s->Seek(0, STREAM_SEEK_END, &size);
        s->Seek(0, STREAM_SEEK_SET, nullptr);
        std::vector<uint8_t> bytes(size);
        uint32_t got = 0;
        s->Read(bytes.data(), static_cast<uint32_t>(size), &got);
        return bytes;
    };
    for (uint16_t version = 0; version <= 8; ++version) {
        SCOPED_TRACE(version);
        auto read = NewSetting();
        ASSERT_EQ(LoadForm(read.Get(), write(version)), S_OK);
        EXPECT_EQ(Name(read.Get()), u"name");
        EXPECT_EQ(Text(read.Get(), &IGPEnvironment::get_DisplayName), u"display");
        EXPECT_EQ(ValueText(read.Get()), u"text");
        EXPECT_EQ(Category(read.Get()), version >= 2 ? u"category" : u"");
        ComPtr<IGPDataType> type;
        read->get_DataType(type.Out());
        BStr typeName;
        type->get_Name(typeName.Out());
        EXPECT_EQ(typeName.view(), version >= 4 ? u"GPLong" : u"GPString");
        EXPECT_EQ(Order(read.Get()), version >= 5 ? 6 : -1);
        ComPtr<IUID> control;
        read->get_ControlCLSID(control.Out());
        EXPECT_EQ(GuidOf(control.Get()), version >= 6 ? kControl : GUID_NULL);
        EXPECT_EQ(Dependencies(read.Get()).size(), version >= 6 ? 1u : 0u);
        EXPECT_EQ(Text(read.Get(), &IGPEnvironment::get_MetadataFile), version >= 7 ? u"metadata.xml" : u"");
        EXPECT_EQ(Altered(read.Get()), version < 8);
    }
    auto future = write(8);
    future[0] = 9;
    auto setting = FullSetting();
    EXPECT_EQ(LoadForm(setting.Get(), future), E_FAIL);
    EXPECT_TRUE(Equal(setting.Get(), FullSetting().Get()));
}

TEST_F(GPEnvironmentTest, DamagedStreamsChangeNothing) {
    auto full = FullSetting(CLSID_GPLinearUnit, u"12 Meters", u"GPLinearUnit");
    const auto bytes = Form(full.Get());
    auto target = FullSetting();
    ASSERT_EQ(target->put_Name(u"kept"), S_OK);
    const auto before = Form(target.Get());
    ASSERT_EQ(target->put_Name(u"kept"), S_OK); // dirty again
    for (size_t cut = 0; cut < bytes.size(); cut += 3) {
        std::vector<uint8_t> shortForm(bytes.begin(), bytes.begin() + cut);
        EXPECT_EQ(LoadForm(target.Get(), shortForm), E_FAIL) << "cut at " << cut;
    }
    // A dependency count far beyond what the stream holds.
    auto damaged = Form(NewSetting().Get());
    const size_t countAt = damaged.size() - 4 /* empty metadata */ - 2 /* altered */ - 4;
    damaged[countAt + 3] = 0x40;
    EXPECT_EQ(LoadForm(target.Get(), damaged), E_FAIL);
    EXPECT_TRUE(Dirty(target.Get()));
    EXPECT_EQ(Form(target.Get()), before);
}

TEST_F(GPEnvironmentTest, XmlFormReadsBackAndBadXmlChangesNothing) {
    auto setting = FullSetting(CLSID_GPExtent, u"1 2 3 4", u"GPExtent");
    String xml;
    ASSERT_EQ(XmlSerializeObject(setting.Get(), nullptr, &xml), S_OK);
    for (const char16_t* element : {u"<Name", u"<DataTypeName", u"<ControlCLSID", u"<ParamDependencyArray",
                                    u"<MetadataFile", u"<Altered", u"<DisplayOrder", u"<Domain", u"<Value"})
        EXPECT_NE(xml.find(element), String::npos) << ToUtf8(element);
    auto read = NewSetting();
    ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), setting.Get()));
    EXPECT_EQ(Dependencies(read.Get()), (std::vector<String>{u"in_features", u"out_table"}));

    // A new setting's form reads back with no value, control class or data type.
    String freshXml;
    ASSERT_EQ(XmlSerializeObject(NewSetting().Get(), nullptr, &freshXml), S_OK);
    ASSERT_EQ(XmlDeserializeObject(freshXml, read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), NewSetting().Get()));

    const auto before = Form(setting.Get());
    const std::pair<const char16_t*, const char16_t*> damage[] = {
        {u"<DisplayOrder xsi:type=\"xs:int\">3<", u"<DisplayOrder xsi:type=\"xs:int\">three<"},
        {u"<Altered xsi:type=\"xs:boolean\">true<", u"<Altered xsi:type=\"xs:boolean\">maybe<"},
        {u"</GPEnvironment>", u""},
    };
    for (const auto& [from, to] : damage) {
        SCOPED_TRACE(ToUtf8(to));
        String bad = xml;
        size_t at = bad.find(from);
        ASSERT_NE(at, String::npos) << ToUtf8(xml);
        bad.replace(at, std::u16string_view(from).size(), to);
        EXPECT_FALSE(SUCCEEDED(XmlDeserializeObject(bad, setting.Get())));
        EXPECT_FALSE(Dirty(setting.Get()));
        EXPECT_EQ(Form(setting.Get()), before);
    }
}

TEST_F(GPEnvironmentTest, ListHandsOutItsSettings) {
    auto list = Create<IArray>(CLSID_EnumGPEnvironment);
    auto first = FullSetting();
    auto second = NewSetting();
    ASSERT_EQ(list->Add(first.Get()), S_OK);
    ASSERT_EQ(list->Add(second.Get()), S_OK);
    int32_t count = 0;
    ASSERT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    auto settings = list.As<IEnumGPEnvironment>();
    ComPtr<IGPEnvironment> next;
    ASSERT_EQ(settings->Next(next.Out()), S_OK);
    EXPECT_TRUE(SameObject(next.Get(), first.Get()));
    ASSERT_EQ(settings->Next(next.Out()), S_OK);
    EXPECT_TRUE(SameObject(next.Get(), second.Get()));
    EXPECT_EQ(settings->Next(next.Out()), S_FALSE);
    EXPECT_FALSE(next);
    EXPECT_EQ(settings->Next(nullptr), E_POINTER);

    // Replace goes through IArray2; an element that is no setting is refused by Next.
    ASSERT_EQ(list.As<IArray2>()->Replace(1, ValueOf(CLSID_GPString, u"x").Get()), S_OK);
    ASSERT_EQ(settings->Reset(), S_OK);
    ASSERT_EQ(settings->Next(next.Out()), S_OK);
    EXPECT_EQ(settings->Next(next.Out()), E_NOINTERFACE);
    EXPECT_FALSE(next);

    // Removing all resets the cursor.
    ASSERT_EQ(settings->Reset(), S_OK);
    ASSERT_EQ(settings->Next(next.Out()), S_OK);
    ASSERT_EQ(list->RemoveAll(), S_OK);
    ASSERT_EQ(list->Add(second.Get()), S_OK);
    ASSERT_EQ(settings->Next(next.Out()), S_OK);
    EXPECT_TRUE(SameObject(next.Get(), second.Get()));
}

} // namespace
} // namespace tavi::test
