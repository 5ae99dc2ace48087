// The whole-class walk: every provided class of the module's table, made through DllGetClassObject, answers each of
// its interface rows with one identity and refuses the rest; values empty, print and clone; clones are equal; the
// stream and XML forms read back equal; and every truncated stream and damaged XML document is refused without
// changing the object it was read into. The module object count comes back to where it began.
#include "TestSupport.h"

#include "catalogue/DataTypeCatalogue.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/StringTable.h"
#include "host/XmlSerialize.h"
#include "module/ModuleTable.h"
#include "tavi/ClassIds.h"
#include "tavi/Entry.h"
#include "tavi/GPKeyValue.h"
#include "tavi/GPScalar.h"
#include "tavi/GPValue.h"
#include "tavi/Stream.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

// A text each value class reads without an error message, so that the forms walked below carry content. Classes
// not listed are walked as they are made.
const std::map<std::u16string, std::u16string> kSampleText = {
    {u"GPBoolean", u"true"},
    {u"GPLong", u"42"},
    {u"GPDouble", u"2.5"},
    {u"GPString", u"some text"},
    {u"GPStringHidden", u"hidden text"},
    {u"GPDate", u"1/2/2003"},
    {u"GPVariant", u"variant text"},
    {u"GPEnvelope", u"1 2 3 4"},
    {u"GPExtent", u"1 2 3 4"},
    {u"GPPoint", u"3.5 -2"},
    {u"GPLine", u"0 0;10 0;10 10"},
    {u"GPPolygon", u"1 2;3 4;5 6;1 2"},
    {u"GPSpatialReference", u"EPSG:4326"},
    {u"GPCoordinateSystem", u"EPSG:26911"},
    {u"GPXYDomain", u"0 0 100 50"},
    {u"GPZDomain", u"-100 100"},
    {u"GPMDomain", u"0 1.5"},
    {u"GPCellSizeXY", u"10 20"},
    {u"GPRandomNumberGenerator", u"-7 MERSENNE_TWISTER"},
    {u"GPLinearUnit", u"12 Meters"},
    {u"GPArealUnit", u"3 SquareKilometers"},
    {u"GPTimeUnit", u"4 Hours"},
    {u"GPKeyValue", uR"({"id":42,"name":"some text","sizes":[1.5,2],"inner":{"flag":true}})"},
    {u"GPFieldInfo", u"NAME Name VISIBLE NONE;'my field' Other HIDDEN RATIO"},
    {u"GPFieldMapping", uR"(NAME "Name" true true false 20 Text 0 0,Join,"; ",/nowhere/a.shp,NAME,0,3)"},
};

// A made-up interface no class answers.
constexpr IID kUnlisted{0x5E1DC0DE, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};

class ClassWalkTest : public ModuleClassesTest {
protected:
    static ComPtr<IUnknown> Make(REFCLSID clsid) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(DllGetClassObject(clsid, IClassFactory::iid, factory.OutVoid()), S_OK);
        ComPtr<IUnknown> made;
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::iid, made.OutVoid()), S_OK);
        }
        return made;
    }

    static ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
        ComPtr<IGPDataTypeFactory> factory;
        AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, CLSCTX_INPROC_SERVER, IGPDataTypeFactory::iid,
                         factory.OutVoid());
        ComPtr<IGPDataType> type;
        EXPECT_EQ(factory->GetDataType(name, type.Out()), S_OK);
        return type;
    }

    // The keys a key-value's sample text fills: a long, a string, a list of doubles and a nested key-value.
    static void DeclareSampleKeys(IGPKeyValue* keyValue) {
        auto sizes = Make(CLSID_GPMultiValueType).As<IGPMultiValueType>();
        sizes->putref_MemberDataType(TypeNamed(u"GPDouble").Get());
        auto inner = Make(CLSID_GPKeyValueType).As<IGPKeyValueType>();
        inner->AddKey(u"flag", TypeNamed(u"GPBoolean").Get(), VARIANT_TRUE);
        auto type = Make(CLSID_GPKeyValueType).As<IGPKeyValueType>();
        type->AddKey(u"id", TypeNamed(u"GPLong").Get(), VARIANT_TRUE);
        type->AddKey(u"name", TypeNamed(u"GPString").Get(), VARIANT_FALSE);
        type->AddKey(u"sizes", sizes.As<IGPDataType>().Get(), VARIANT_FALSE);
        type->AddKey(u"inner", inner.As<IGPDataType>().Get(), VARIANT_FALSE);
        type->AddKey(u"unset", TypeNamed(u"GPDate").Get(), VARIANT_FALSE);
        EXPECT_EQ(keyValue->putref_DataType(type.As<IGPDataType>().Get()), S_OK);
    }

    // The object of a class, holding its sample text when it has one.
    static ComPtr<IUnknown> MakeSample(const ClassEntry& entry) {
        auto made = Make(entry.classId);
        auto sample = kSampleText.find(entry.name);
        auto value = QueryAs<IGPValue>(made.Get());
        if (auto secret = QueryAs<IGPEncryptedString>(made.Get())) { // its SetAsText takes nothing
            EXPECT_EQ(secret->put_Value(u"secret text"), S_OK);
        }
        if (auto keyValue = QueryAs<IGPKeyValue>(made.Get())) { // its text means something only for its keys
            DeclareSampleKeys(keyValue.Get());
        }
        if (value && sample != kSampleText.end()) {
            ComPtr<IGPMessage> message;
            EXPECT_EQ(value->SetAsText(sample->second.c_str(), message.Out()), S_OK);
            VARIANT_BOOL empty = VARIANT_TRUE;
            EXPECT_EQ(value->IsEmpty(&empty), S_OK);
            EXPECT_FALSE(empty) << "the sample text leaves the value empty";
        }
        return made;
    }

    // The object's stream form, or nothing when it has none.
    static std::vector<uint8_t> StreamForm(IUnknown* object) {
        auto persist = QueryAs<IPersistStream>(object);
        ComPtr<IStream> stream;
        if (!persist || FAILED(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out())) ||
            FAILED(persist->Save(stream.Get(), 0)))
            return {};
        return StreamBytes(stream.Get());
    }

    static std::vector<uint8_t> StreamBytes(IStream* stream) {
        uint64_t size = 0;
        stream->Seek(0, STREAM_SEEK_END, &size);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        std::vector<uint8_t> bytes(size);
        uint32_t read = 0;
        if (size)
            stream->Read(bytes.data(), static_cast<uint32_t>(size), &read);
        return bytes;
    }

    static HRESULT LoadFrom(IUnknown* object, const std::vector<uint8_t>& bytes) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(bytes.data(), bytes.size(), docversion::kCurrent, stream.Out()), S_OK);
        return QueryAs<IPersistStream>(object)->Load(stream.Get());
    }

    // Two objects are equal when IClone says so, or, for a class without it, when their stream forms are.
    static bool Equal(IUnknown* a, IUnknown* b) {
        auto clone = QueryAs<IClone>(a);
        VARIANT_BOOL equal = VARIANT_FALSE;
        if (clone)
            return SUCCEEDED(clone->IsEqual(QueryAs<IClone>(b).Get(), &equal)) && equal;
        return StreamForm(a) == StreamForm(b);
    }

    // Two objects are the same when they are equal and their stream forms are too: nothing at all differs. (A spatial
    // reference read from XML is equal to its source but keeps the shorter text of the XML form.)
    static bool Same(IUnknown* a, IUnknown* b) {
        auto clone = QueryAs<IClone>(a);
        VARIANT_BOOL equal = VARIANT_TRUE;
        if (clone && (FAILED(clone->IsEqual(QueryAs<IClone>(b).Get(), &equal)) || !equal))
            return false;
        return StreamForm(a) == StreamForm(b);
    }
};

TEST_F(ClassWalkTest, EveryRowIsAnsweredWithOneIdentity) {
    for (const ClassEntry& entry : ModuleClassTable()) {
        if (!entry.Provided())
            continue;
        SCOPED_TRACE(ToUtf8(entry.name));
        auto object = Make(entry.classId);
        ASSERT_TRUE(object);
        ASSERT_TRUE(entry.interfaceRows);
        for (const InterfaceRow& row : entry.interfaceRows()) {
            ComPtr<IUnknown> answer;
            HRESULT hr = object->QueryInterface(row.iid, answer.OutVoid());
            if (!row.answered) {
                EXPECT_EQ(hr, E_NOINTERFACE) << "a hidden row is answered";
                continue;
            }
            ASSERT_EQ(hr, S_OK);
            EXPECT_EQ(answer.As<IUnknown>().Get(), object.Get()) << "IUnknown differs through an interface";
        }
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(kUnlisted, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(object.As<IClassID>().As<IUnknown>().Get(), object.Get());
    }
}

TEST_F(ClassWalkTest, ValuesEmptyPrintAndCloneEqual) {
    for (const ClassEntry& entry : ModuleClassTable()) {
        if (!entry.Provided())
            continue;
        SCOPED_TRACE(ToUtf8(entry.name));
        auto object = MakeSample(entry);
        if (auto clone = QueryAs<IClone>(object.Get())) {
            ComPtr<IClone> copy;
            ASSERT_EQ(clone->Clone(copy.Out()), S_OK);
            EXPECT_TRUE(Same(object.Get(), copy.Get())) << "a clone differs from its source";
        }
        auto value = QueryAs<IGPValue>(object.Get());
        if (!value)
            continue;
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        EXPECT_EQ(value->Empty(), S_OK);
        VARIANT_BOOL empty = VARIANT_FALSE;
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        EXPECT_TRUE(empty);
    }
}

TEST_F(ClassWalkTest, StreamFormsReadBackAndCutFormsChangeNothing) {
    for (const ClassEntry& entry : ModuleClassTable()) {
        if (!entry.Provided())
            continue;
        SCOPED_TRACE(ToUtf8(entry.name));
        auto sample = MakeSample(entry);
        if (!QueryAs<IPersistStream>(sample.Get()))
            continue;
        const std::vector<uint8_t> bytes = StreamForm(sample.Get());
        ASSERT_FALSE(bytes.empty());
        auto read = Make(entry.classId);
        ASSERT_EQ(LoadFrom(read.Get(), bytes), S_OK);
        EXPECT_TRUE(Same(read.Get(), sample.Get())) << "the stream form does not read back equal";

        // Every cut of the form is refused and leaves the object it was read into as it was: a new one, and one
        // holding the whole form.
        auto fresh = Make(entry.classId);
        const std::vector<uint8_t> freshForm = StreamForm(fresh.Get());
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            std::vector<uint8_t> shortForm(bytes.begin(), bytes.begin() + cut);
            EXPECT_EQ(LoadFrom(fresh.Get(), shortForm), E_FAIL) << "cut at " << cut;
            EXPECT_EQ(StreamForm(fresh.Get()), freshForm) << "a read cut at " << cut << " changed a new object";
            EXPECT_EQ(LoadFrom(read.Get(), shortForm), E_FAIL) << "cut at " << cut;
            EXPECT_TRUE(Same(read.Get(), sample.Get())) << "a read cut at " << cut << " changed the object";
        }
    }
}

// Damaged documents: cut inside, an element's text replaced by one that no reader takes, an element dropped.
std::vector<std::string> DamagedDocuments(const std::string& xml) {
    std::vector<std::string> damaged;
    for (size_t cut = 1; cut < 4; ++cut)
        damaged.push_back(xml.substr(0, xml.size() * cut / 4));
    for (size_t open = xml.find('>'); open != std::string::npos; open = xml.find('>', open + 1)) {
        size_t close = xml.find('<', open);
        if (close == std::string::npos)
            break;
        if (close > open + 1) {
            std::string garbled = xml;
            garbled.replace(open + 1, close - open - 1, "\x7f@not-a-value@");
            damaged.push_back(std::move(garbled));
        }
    }
    return damaged;
}

TEST_F(ClassWalkTest, XmlFormsReadBackAndDamagedFormsChangeNothing) {
    for (const ClassEntry& entry : ModuleClassTable()) {
        if (!entry.Provided())
            continue;
        SCOPED_TRACE(ToUtf8(entry.name));
        auto sample = MakeSample(entry);
        if (!QueryAs<IXMLSerialize>(sample.Get()))
            continue;
        String xml;
        ASSERT_EQ(XmlSerializeObject(sample.Get(), nullptr, &xml), S_OK);
        auto read = Make(entry.classId);
        ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
        EXPECT_TRUE(Equal(read.Get(), sample.Get())) << "the XML form does not read back equal";

        for (const std::string& damaged : DamagedDocuments(ToUtf8(xml))) {
            auto target = MakeSample(entry);
            auto before = QueryAs<IClone>(target.Get());
            ComPtr<IClone> copy;
            if (before) {
                ASSERT_EQ(before->Clone(copy.Out()), S_OK);
            }
            std::vector<uint8_t> formBefore = StreamForm(target.Get());
            if (FAILED(XmlDeserializeObject(FromUtf8(damaged), target.Get()))) {
                EXPECT_EQ(StreamForm(target.Get()), formBefore) << "a failed read changed the object:\n" << damaged;
                if (copy) {
                    EXPECT_TRUE(Same(target.Get(), copy.Get())) << "a failed read changed the object:\n" << damaged;
                }
            }
        }
    }
}

// Every catalogue row names a class of the module's table by its identifier, or one of the data types the library
// knows only by identifier. A provided data type answers the row's name and display name.
TEST_F(ClassWalkTest, EveryCatalogueRowNamesAClassOfTheTable) {
    const CLSID withoutClass[] = {CLSID_GPRasterBuilderType,
                                  CLSID_GPNetworkDataSourceType,
                                  CLSID_DEToolboxType,
                                  CLSID_DEToolType,
                                  CLSID_GPGraphDataTableType,
                                  CLSID_GPGraphType,
                                  CLSID_GPPairwiseWeightsTableType};
    for (const DataTypeCatalogueRow& row : DataTypeCatalogue()) {
        SCOPED_TRACE(ToUtf8(row.name));
        const ClassEntry* found = nullptr;
        for (const ClassEntry& entry : ModuleClassTable())
            if (entry.classId == row.dataTypeClassId)
                found = &entry;
        if (!found) {
            EXPECT_NE(std::find(std::begin(withoutClass), std::end(withoutClass), row.dataTypeClassId),
                      std::end(withoutClass))
                << "the identifier names no class of the table";
            continue;
        }
        if (!found->Provided())
            continue;
        auto dataType = QueryAs<IGPDataType>(Make(row.dataTypeClassId).Get());
        ASSERT_TRUE(dataType);
        BStr name, displayName;
        ASSERT_EQ(dataType->get_Name(name.Out()), S_OK);
        ASSERT_EQ(dataType->get_DisplayName(displayName.Out()), S_OK);
        EXPECT_EQ(name.view(), std::u16string_view(row.name));
        EXPECT_EQ(displayName.str(), LoadResourceString(row.displayNameId));
    }
}

} // namespace
} // namespace tavi::test
