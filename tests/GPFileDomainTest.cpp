// The file domain: its list of extensions, membership by extension of a text or of a data element's catalog path,
// filtering lists of data elements, browse filters, copies and comparison, and the stream and XML forms.
#include "DataDomainTestSupport.h"

#include "platform/Guid.h"
#include "tavi/StringArray.h"
#include "values/BrowseFilters.h"

namespace tavi::test {
namespace {

class GPFileDomainTest : public DataDomainTest {
protected:
    static ComPtr<IGPFileDomain> Domain(std::initializer_list<const char16_t*> extensions) {
        auto domain = Create<IGPFileDomain>(CLSID_GPFileDomain);
        for (const char16_t* extension : extensions)
            EXPECT_EQ(domain->AddFileExtension(extension), S_OK);
        return domain;
    }
    static std::vector<std::string> Extensions(IGPFileDomain* domain) {
        int32_t count = 0;
        EXPECT_EQ(domain->get_FileExtensionCount(&count), S_OK);
        std::vector<std::string> texts;
        for (int32_t i = 0; i < count; ++i) {
            BStr text;
            EXPECT_EQ(domain->get_FileExtension(i, text.Out()), S_OK);
            texts.push_back(ToUtf8(text.view()));
        }
        return texts;
    }
    static std::vector<std::string> Filters(IGPFileDomain* domain) {
        ComPtr<IArray> filters;
        EXPECT_EQ(QueryAs<IGxFilterInfo>(domain)->get_OpenGxObjectFilters(filters.Out()), S_OK);
        EXPECT_TRUE(filters) << "an array is handed out even when it is empty";
        return FilterTexts(filters.Get());
    }
};

TEST_F(GPFileDomainTest, ExtensionsAreUniqueInAnyLetterCase) {
    auto domain = Domain({u"csv", u"CSV", u"txt", u"Csv"});
    EXPECT_EQ(Extensions(domain.Get()), (std::vector<std::string>{"csv", "txt"}));

    // Removing takes the first entry equal in any letter case; removing what is not there changes nothing and
    // leaves the domain clean.
    QueryAs<IPersistStream>(domain.Get())->Save(NewStream().Get(), 1);
    EXPECT_EQ(domain->RemoveFileExtension(u"shp"), S_OK);
    EXPECT_EQ(domain->AddFileExtension(u"TXT"), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_FALSE);
    EXPECT_EQ(domain->RemoveFileExtension(u"TXT"), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_OK);
    EXPECT_EQ(Extensions(domain.Get()), (std::vector<std::string>{"csv"}));

    BStr text(u"untouched");
    EXPECT_EQ(domain->get_FileExtension(1, text.Out()), E_INVALIDARG);
    EXPECT_EQ(text.Get(), nullptr);
    EXPECT_EQ(domain->get_FileExtension(-1, text.Out()), E_INVALIDARG);
    EXPECT_EQ(domain->get_FileExtension(0, nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FileExtensionCount(nullptr), E_POINTER);
    EXPECT_EQ(domain->AddFileExtension(nullptr), E_POINTER);
    EXPECT_EQ(domain->RemoveFileExtension(nullptr), E_POINTER);
}

TEST_F(GPFileDomainTest, TextsAreCheckedByExtension) {
    struct Case {
        std::initializer_list<const char16_t*> extensions;
        std::u16string text; // the value's text; none for a null value
        bool hasValue;
        Verdict verdict;
        const char* why;
    };
    const Case cases[] = {
        {{u"txt", u"csv"}, u"data/points.CSV", true, kMember, "the utility object compares extensions in any case"},
        {{u"txt", u"csv"}, u"data/points.shp", true, Refused(814), "an extension not in the list"},
        {{u"txt", u"csv"}, u"data/points", true, Refused(814), "no extension at all"},
        {{u"txt", u"csv"}, u"/no/such/folder/missing.csv", true, kMember, "the file need not exist"},
        {{u"txt", u"csv"}, u"CSV", true, kMember, "a text equal to an entry"},
        {{u".csv"}, u"points.csv", true, kMember, "an entry written with its point"},
        {{u"*"}, u"anything.at.all", true, kMember, "\"*\" accepts every file"},
        {{u"shp", u"*"}, u"dem.tif", true, kMember, "\"*\" anywhere in the list"},
        {{u"rawfilemode"}, u"dem.tif", true, kMember, "the single entry rawfilemode accepts every file"},
        {{u"RawFileMode"}, u"dem.tif", true, Refused(814), "rawfilemode is compared with case"},
        {{u"rawfilemode", u"shp"}, u"dem.tif", true, Refused(814), "rawfilemode among others is an extension"},
        {{}, u"dem.tif", true, kMember, "an empty list accepts every file"},
        {{u"csv"}, u"", true, kMember, "an empty value is a member"},
        {{u"csv"}, u"", false, Refused(815), "no value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto domain = Domain(c.extensions);
        auto value = c.hasValue ? NewValue(CLSID_GPString, c.text.c_str()) : nullptr;
        EXPECT_EQ(MemberVerdict(domain.Get(), value.Get()), c.verdict);
    }

    // A variable stands for the value it holds; one that holds none gives no file.
    auto domain = Domain({u"csv"});
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    EXPECT_EQ(MemberVerdict(domain.Get(), QueryAs<IGPValue>(variable.Get()).Get()), Refused(815));
    variable->putref_Value(NewValue(CLSID_GPString, u"a.shp").Get());
    EXPECT_EQ(MemberVerdict(domain.Get(), QueryAs<IGPValue>(variable.Get()).Get()), Refused(814));

    EXPECT_EQ(QueryAs<IGPDomain>(domain.Get())->MemberOf(nullptr, nullptr), E_POINTER);
}

TEST_F(GPFileDomainTest, DataElementsAreCheckedByTheirCatalogPath) {
    auto domain = Domain({u"csv", u"txt"});
    EXPECT_EQ(MemberVerdict(domain.Get(), Element(P("points.csv")).Get()), kMember);
    EXPECT_EQ(MemberVerdict(domain.Get(), Element(P("notes.txt")).Get()), kMember);
    EXPECT_EQ(MemberVerdict(domain.Get(), Element(P("wells.shp")).Get()), Refused(814));
    // A dataset inside a container has the container's path before its name: no extension of its own.
    EXPECT_EQ(MemberVerdict(domain.Get(), Element(P("city.gpkg/roads")).Get()), Refused(814));
    EXPECT_EQ(MemberVerdict(Domain({u"gpkg"}).Get(), Element(P("city.gpkg")).Get()), kMember);
}

TEST_F(GPFileDomainTest, FilterDataElementsKeepsTheMembersWhosePathPasses) {
    auto domain = Domain({u"csv", u"txt"});
    auto csv = Open(P("points.csv"));
    auto txt = Open(P("notes.txt"));
    auto shp = Open(P("wells.shp"));
    auto gpkg = Open(P("city.gpkg"));
    auto text = NewValue(CLSID_GPString, u"other.csv");

    // An array: elements in order, what is no data element left out (even a text that names a passing path).
    auto array = ArrayOf({shp.Get(), csv.Get(), text.Get(), gpkg.Get(), txt.Get()});
    ComPtr<IArray> kept;
    ASSERT_EQ(domain->FilterDataElements(array.Get(), kept.Out()), S_OK);
    EXPECT_EQ(ElementNames(kept.Get()), (std::vector<std::string>{"points.csv", "notes.txt"}));

    // A multi-value of data elements, also behind a variable.
    auto list = Create<IGPMultiValue>(CLSID_GPMultiValue);
    for (IDataElement* element : {txt.Get(), gpkg.Get()})
        ASSERT_EQ(list->AddValue(QueryAs<IGPValue>(element).Get()), S_OK);
    ASSERT_EQ(domain->FilterDataElements(list.Get(), kept.Out()), S_OK);
    EXPECT_EQ(ElementNames(kept.Get()), (std::vector<std::string>{"notes.txt"}));
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    variable->putref_Value(QueryAs<IGPValue>(list.Get()).Get());
    ASSERT_EQ(domain->FilterDataElements(variable.Get(), kept.Out()), S_OK);
    EXPECT_EQ(ElementNames(kept.Get()), (std::vector<std::string>{"notes.txt"}));

    // None passing is an empty array; what holds no list is refused.
    ASSERT_EQ(Domain({u"las"})->FilterDataElements(array.Get(), kept.Out()), S_OK);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(ElementNames(kept.Get()).empty());
    EXPECT_EQ(domain->FilterDataElements(csv.Get(), kept.Out()), E_INVALIDARG);
    EXPECT_FALSE(kept);
    EXPECT_EQ(domain->FilterDataElements(text.Get(), kept.Out()), E_INVALIDARG);
    EXPECT_EQ(domain->FilterDataElements(nullptr, kept.Out()), E_POINTER);
    EXPECT_EQ(domain->FilterDataElements(array.Get(), nullptr), E_POINTER);
}

TEST_F(GPFileDomainTest, BrowseFiltersOfTheExtensionsTheTableHolds) {
    const std::string prefix = "tavi_browseDialogFilters_";
    EXPECT_EQ(Filters(Domain({u"csv", u"unknownext"}).Get()), (std::vector<std::string>{prefix + "TextFiles"}));
    EXPECT_EQ(Filters(Domain({}).Get()), (std::vector<std::string>{}));
    // Table keys are compared exactly, so an entry in capitals names no filter.
    EXPECT_EQ(Filters(Domain({u"CSV"}).Get()), (std::vector<std::string>{}));
    // Extensions that share a filter each name it, in list order.
    EXPECT_EQ(Filters(Domain({u"gpkg", u"xlsx", u"xls"}).Get()),
              (std::vector<std::string>{prefix + "GeoPackages", prefix + "Spreadsheets", prefix + "Spreadsheets"}));
    EXPECT_EQ(QueryAs<IGxFilterInfo>(Domain({}).Get())->get_OpenGxObjectFilters(nullptr), E_POINTER);

    // The ends of the table, and keys just outside it.
    EXPECT_EQ(FileBrowseFilterCount(), 111u);
    EXPECT_EQ(FileBrowseFilter(u"3ds"), u"tavi_browseDialogFilters_Models3D");
    EXPECT_EQ(FileBrowseFilter(u"zip"), u"tavi_browseDialogFilters_Archives");
    EXPECT_EQ(FileBrowseFilter(u"zipx"), u"");
    EXPECT_EQ(FileBrowseFilter(u""), u"");
}

TEST_F(GPFileDomainTest, AssignReplacesAndIsEqualIgnoresOrderAndCase) {
    auto domain = Domain({u"shp"});
    auto source = Domain({u"csv", u"txt"});
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(source.Get()).Get()), S_OK);
    EXPECT_EQ(Extensions(domain.Get()), (std::vector<std::string>{"csv", "txt"}));
    EXPECT_TRUE(Equal(domain.Get(), Domain({u"TXT", u"csv"}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Domain({u"csv"}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Domain({u"csv", u"tif"}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Create<IGPWorkspaceDomain>(CLSID_GPWorkspaceDomain).Get()));
    EXPECT_EQ(QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(NewValue(CLSID_GPString, u"x").Get()).Get()),
              E_INVALIDARG);
    EXPECT_EQ(Extensions(domain.Get()), (std::vector<std::string>{"csv", "txt"}));

    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Clone(clone.Out()), S_OK);
    EXPECT_EQ(Extensions(QueryAs<IGPFileDomain>(clone.Get()).Get()), (std::vector<std::string>{"csv", "txt"}));
}

TEST_F(GPFileDomainTest, StreamFormReadsBackAndRefusesDamage) {
    auto domain = Domain({u"csv", u"t\u00e4b", u""});
    auto form = SavedForm(domain.Get());
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_FALSE);
    // int16 version 1, int32 count 3, then the texts.
    ASSERT_GE(form.size(), 6u);
    EXPECT_EQ((std::vector<uint8_t>(form.begin(), form.begin() + 6)), (std::vector<uint8_t>{1, 0, 3, 0, 0, 0}));
    auto read = StreamCopy<IGPFileDomain>(domain.Get(), CLSID_GPFileDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Extensions(read.Get()), (std::vector<std::string>{"csv",
                                                                "t\xC3\xA4"
                                                                "b",
                                                                ""}));

    auto target = Domain({u"shp"});
    DamagedFormsChangeNothing(target.Get(), form);
    auto newer = form;
    newer[0] = 2;
    EXPECT_EQ(LoadForm(target.Get(), newer), E_FAIL);
    auto negative = std::vector<uint8_t>{1, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadForm(target.Get(), negative), E_FAIL);
    EXPECT_EQ(Extensions(target.Get()), (std::vector<std::string>{"shp"}));
}

TEST_F(GPFileDomainTest, XmlFormReadsBackAndRefusesDamage) {
    auto domain = Domain({u"csv", u"txt"});
    auto xml = XmlForm(domain.Get());
    EXPECT_NE(xml.find(u"GPFileDomain"), std::u16string::npos);
    EXPECT_NE(xml.find(u"<FileExtensionArray"), std::u16string::npos);
    EXPECT_NE(xml.find(u"ArrayOfString"), std::u16string::npos);
    auto read = XmlCopy<IGPFileDomain>(xml, CLSID_GPFileDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Extensions(read.Get()), (std::vector<std::string>{"csv", "txt"}));

    // No extensions: no array, and reading that empties the list.
    auto empty = XmlForm(Domain({}).Get());
    EXPECT_EQ(empty.find(u"FileExtensionArray"), std::u16string::npos);
    ASSERT_EQ(TaviXmlDeserialize(empty.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Extensions(read.Get()), (std::vector<std::string>{}));

    // Entries equal in another letter case read as one.
    auto doubled = xml;
    doubled.replace(doubled.find(u">txt<"), 5, u">CSV<");
    auto once = XmlCopy<IGPFileDomain>(doubled, CLSID_GPFileDomain);
    ASSERT_TRUE(once);
    EXPECT_EQ(Extensions(once.Get()), (std::vector<std::string>{"csv"}));

    // A document cut short anywhere, or whose array is something else, changes nothing.
    auto target = Domain({u"shp"});
    for (size_t length = 0; length <= xml.rfind(u'>'); length += 7) {
        EXPECT_NE(TaviXmlDeserialize(xml.substr(0, length).c_str(), target.Get()), S_OK);
    }
    auto wrong = xml;
    const std::u16string arrayClass = GuidText(CLSID_StringArray);
    wrong.replace(wrong.find(arrayClass), arrayClass.size(), GuidText(CLSID_GPLong));
    EXPECT_EQ(TaviXmlDeserialize(wrong.c_str(), target.Get()), E_FAIL);
    EXPECT_EQ(Extensions(target.Get()), (std::vector<std::string>{"shp"}));
}

} // namespace
} // namespace tavi::test
