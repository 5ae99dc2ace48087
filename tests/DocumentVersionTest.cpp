// Document versions: the numbering of the two application lines, names both ways, the save-version tables, and the
// version a stream carries.
#include "TestSupport.h"

#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/String.h"
#include "host/XmlNamespace.h"

#include <thread>

namespace tavi {
namespace {

using DocumentVersionTest = test::LeakCheckedTest;
namespace dv = docversion;

TEST_F(DocumentVersionTest, LinesAreOrderedAndCurrentIsNewest) {
    // Every newer-line version lies above every older-line one, and a threshold such as 370 falls in the newer line.
    EXPECT_LT(dv::Older(dv::kOlderCount - 1), dv::Newer(0));
    EXPECT_GE(dv::kOlderCount, 21);
    EXPECT_GE(dv::kNewerCount, 20);
    EXPECT_EQ(dv::kCurrent, dv::Newer(dv::kNewerCount - 1));
    EXPECT_TRUE(dv::IsNewerLine(370));
    EXPECT_LT(dv::Newer(0), 370);
    EXPECT_GT(dv::kCurrent, 370);
}

TEST_F(DocumentVersionTest, NamesRoundTrip) {
    struct Case {
        const char* name;
        int32_t version;
    };
    const Case cases[] = {
        {"current", dv::kCurrent}, {"older:0", 0},   {"older:20", 20},
        {"newer:0", 300},          {"newer:7", 370}, {"newer:18", 480},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dv::FromName(c.name), c.version);
        EXPECT_EQ(dv::Name(c.version), c.name);
        int32_t exported = -5;
        EXPECT_EQ(TaviDocumentVersionFromName(c.name, &exported), S_OK);
        EXPECT_EQ(exported, c.version);
    }
    // A plain number is accepted; names outside the lines or malformed are not.
    EXPECT_EQ(dv::FromName("305"), 305);
    EXPECT_EQ(dv::Name(305), "305");
    for (const char* bad : {"", "older:21", "older:-1", "newer:", "newer:x", "Current", "older:1x", "12a"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(dv::FromName(bad));
        int32_t version = 0;
        EXPECT_EQ(TaviDocumentVersionFromName(bad, &version), E_INVALIDARG);
    }
    int32_t version = 0;
    EXPECT_EQ(TaviDocumentVersionFromName(nullptr, &version), E_POINTER);
    EXPECT_EQ(TaviDocumentVersionFromName("current", nullptr), E_POINTER);
}

TEST_F(DocumentVersionTest, OneTableServesBothLines) {
    const int16_t six[] = {-1, -1, -1, -1, 1, 2};
    struct Case {
        int32_t version;
        int16_t saveVersion;
    };
    const Case cases[] = {
        {dv::Older(0), -1}, // not writable there
        {dv::Older(3), -1}, //
        {dv::Older(4), 1},  // indexed by position within the older line
        {dv::Older(5), 2},  //
        {dv::Older(20), 2}, // past the end of the table: its last entry
        {dv::Newer(0), 2},  // newer versions count after all older ones
        {dv::kCurrent, 2},  //
        {-3, -1},           // below the first version: the first entry
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(AfStreamGetSaveVersion(c.version, 6, six), c.saveVersion);
    }
    // A table long enough to reach into the newer line: position kOlderCount is the newer line's first version.
    int16_t longTable[dv::kOlderCount + 3] = {};
    for (int i = 0; i < dv::kOlderCount + 3; ++i)
        longTable[i] = static_cast<int16_t>(i);
    EXPECT_EQ(AfStreamGetSaveVersion(dv::Older(20), dv::kOlderCount + 3, longTable), 20);
    EXPECT_EQ(AfStreamGetSaveVersion(dv::Newer(0), dv::kOlderCount + 3, longTable), dv::kOlderCount);
    EXPECT_EQ(AfStreamGetSaveVersion(dv::Newer(1), dv::kOlderCount + 3, longTable), dv::kOlderCount + 1);
    EXPECT_EQ(AfStreamGetSaveVersion(dv::kCurrent, dv::kOlderCount + 3, longTable), dv::kOlderCount + 2);
    // No table: nothing can be written.
    EXPECT_EQ(AfStreamGetSaveVersion(dv::kCurrent, 0, six), -1);
    EXPECT_EQ(AfStreamGetSaveVersion(dv::kCurrent, 3, nullptr), -1);
}

TEST_F(DocumentVersionTest, TwoTablesOnePerLine) {
    // Eighteen entries for the newer line, all 1 but the last; ten entries of 1 for the older line.
    int16_t newer[18], older[10];
    for (auto& v : newer)
        v = 1;
    newer[17] = 2;
    for (auto& v : older)
        v = 1;
    older[9] = 3;
    struct Case {
        int32_t version;
        int16_t saveVersion;
    };
    const Case cases[] = {
        {dv::Older(0), 1}, {dv::Older(9), 3},  {dv::Older(20), 3}, // past the older table's end
        {dv::Newer(0), 1}, {dv::Newer(16), 1}, {dv::Newer(17), 2}, //
        {dv::kCurrent, 2},                                         // past the newer table's end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(AfStreamGetOrinSaveVersion(c.version, 18, newer, 10, older), c.saveVersion);
    }
    EXPECT_EQ(AfStreamGetOrinSaveVersion(dv::Older(2), 18, newer, 0, nullptr), -1);
}

TEST_F(DocumentVersionTest, StreamCarriesItsVersion) {
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, dv::Older(3), stream.Out()), S_OK);
    EXPECT_EQ(AfStreamGetDocumentVersion(stream.Get()), dv::Older(3));
    EXPECT_EQ(AfStreamGetDocumentVersion(nullptr), dv::kCurrent);
}

TEST_F(DocumentVersionTest, DocumentNamespaceIsScopedPerThread) {
    // Each generation has a namespace of its own.
    const char16_t* all[] = {c_xml_ns_tavi, c_xml_ns_tavi_90, c_xml_ns_tavi_92, c_xml_ns_tavi_101, c_xml_ns_tavi_330};
    for (size_t i = 0; i < std::size(all); ++i)
        for (size_t j = i + 1; j < std::size(all); ++j)
            EXPECT_FALSE(EqualsNoCase(all[i], all[j])) << i << " " << j;

    EXPECT_EQ(String(XmlNamespaceUtil::GetDocumentNamespace()), c_xml_ns_tavi);
    {
        std::u16string older = c_xml_ns_tavi_90;
        DocumentNamespaceScope outer(older.c_str());
        older.clear(); // the scope keeps its own copy
        EXPECT_EQ(String(XmlNamespaceUtil::GetDocumentNamespace()), c_xml_ns_tavi_90);
        {
            DocumentNamespaceScope inner(c_xml_ns_tavi_330);
            EXPECT_EQ(String(XmlNamespaceUtil::GetDocumentNamespace()), c_xml_ns_tavi_330);
            // Another thread reads or writes its own document.
            String seen;
            std::thread([&] { seen = XmlNamespaceUtil::GetDocumentNamespace(); }).join();
            EXPECT_EQ(seen, c_xml_ns_tavi);
        }
        EXPECT_EQ(String(XmlNamespaceUtil::GetDocumentNamespace()), c_xml_ns_tavi_90);
    }
    EXPECT_EQ(String(XmlNamespaceUtil::GetDocumentNamespace()), c_xml_ns_tavi);
}

} // namespace
} // namespace tavi
