// Catalog path standardization: equal paths give equal text, distinct paths stay distinct.
#include "TestSupport.h"

#include "host/CatalogPathText.h"

#include <unistd.h>

#include <climits>

namespace tavi::test {
namespace {

using GeoprocessingUtil::StandardizeCatalogPath;

struct PathCase {
    const char16_t* path;
    const char16_t* standard;
    const char* reason;
};

const PathCase kRelative[] = {
    {u"", u"", "empty stays empty"},
    {u"roads.shp", u"roads.shp", "a plain name is already standard"},
    {u"data\\city.gpkg\\roads", u"data/city.gpkg/roads", "backslashes are separators"},
    {u"data//city.gpkg///roads/", u"data/city.gpkg/roads", "repeated and trailing separators go"},
    {u"./data/./roads.shp", u"data/roads.shp", "dot parts go"},
    {u"data/old/../roads.shp", u"data/roads.shp", "dot-dot takes the part before it"},
    {u"../roads.shp", u"../roads.shp", "a leading dot-dot of a relative path stays"},
    {u"a/../../b", u"../b", "dot-dot past the start stays"},
    {u"a/..", u".", "a path that cancels out is the current folder"},
    {u"Data/Roads.SHP", u"Data/Roads.SHP", "letter case is kept"},
};

const PathCase kRooted[] = {
    {u"/", u"/", "the root keeps its separator"},
    {u"/data/../..", u"/", "dot-dot above the root is dropped"},
    {u"//", u"/", "a doubled root is the root"},
    {u"/data/roads.shp/", u"/data/roads.shp", "trailing separator goes"},
    {u"C:\\Data\\roads.shp", u"C:/Data/roads.shp", "a drive root"},
    {u"C:", u"C:/", "a bare drive is its root"},
    {u"C:\\Data\\..\\..\\x", u"C:/x", "dot-dot stops at the drive"},
    {u"\\\\server\\share\\a.shp", u"//server/share/a.shp", "a share keeps its double separator"},
    {u"https://host:8080/srv/./a//b/", u"https://host:8080/srv/a/b", "a URL keeps its scheme and authority"},
    {u"https://host/", u"https://host", "a bare URL authority"},
    {u"https://Host/A/../B", u"https://Host/B", "URL case is kept"},
};

class CatalogPathTest : public LeakCheckedTest {};

TEST_F(CatalogPathTest, StandardTextOfRelativeAndRootedPaths) {
    for (const PathCase& c : kRelative) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ToUtf8(StandardizeCatalogPath(c.path, false)), ToUtf8(c.standard));
    }
    for (const PathCase& c : kRooted) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ToUtf8(StandardizeCatalogPath(c.path, false)), ToUtf8(c.standard));
        // A rooted path is already absolute.
        EXPECT_EQ(ToUtf8(StandardizeCatalogPath(c.path, true)), ToUtf8(c.standard));
    }
}

TEST_F(CatalogPathTest, AbsoluteFormPutsRelativePathsBelowTheWorkingDirectory) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const String base = FromUtf8(cwd);
    EXPECT_EQ(StandardizeCatalogPath(u"data\\roads.shp", true),
              StandardizeCatalogPath(base + u"/data/roads.shp", false));
    EXPECT_EQ(StandardizeCatalogPath(u"./x/../roads.shp/", true), StandardizeCatalogPath(base + u"/roads.shp", false));
    EXPECT_EQ(StandardizeCatalogPath(u"", true), u"") << "an empty path names nothing";
}

TEST_F(CatalogPathTest, EqualPathsGiveEqualTextAndDistinctOnesDoNot) {
    const char16_t* same[] = {u"/data/city.gpkg/roads", u"/data/./city.gpkg//roads/",
                              u"\\data\\x\\..\\city.gpkg\\roads"};
    for (const char16_t* path : same)
        EXPECT_EQ(StandardizeCatalogPath(path, true), StandardizeCatalogPath(same[0], true)) << ToUtf8(path);
    EXPECT_NE(StandardizeCatalogPath(u"/data/Roads", true), StandardizeCatalogPath(u"/data/roads", true));
    EXPECT_NE(StandardizeCatalogPath(u"/data/roads", true), StandardizeCatalogPath(u"/data/roads.shp", true));
}

TEST_F(CatalogPathTest, InterfaceFormChecksItsOut) {
    EXPECT_EQ(StandardizeCatalogPath(u"a", nullptr, true), E_POINTER);
    BStr text;
    ASSERT_EQ(StandardizeCatalogPath(u"/a/./b/", text.Out(), false), S_OK);
    EXPECT_EQ(text.str(), u"/a/b");
    ASSERT_EQ(StandardizeCatalogPath(nullptr, text.Out(), false), S_OK) << "a null path is an empty one";
    EXPECT_TRUE(text.empty());
}

} // namespace
} // namespace tavi::test
