// The class table and its lookup index: slot counts, collisions on the first 32 bits, probes that wrap past the last
// slot, misses, the linear search of small tables, and the module table's own rows.
#include "TestSupport.h"

#include "frame/ClassIndex.h"
#include "module/ModuleTable.h"

#include <set>
#include <vector>

namespace tavi::test {
namespace {

CLSID Id(uint32_t data1, uint8_t last = 0) {
    return CLSID{data1, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, last}};
}

std::vector<ClassEntry> Table(std::initializer_list<CLSID> ids) {
    std::vector<ClassEntry> table;
    for (const CLSID& id : ids)
        table.push_back(Pending(u"X", id));
    return table;
}

class ClassIndexTest : public LeakCheckedTest {};

TEST_F(ClassIndexTest, SlotCountIsPowerOfTwoAtLeastTwiceRowsAndSixteen) {
    struct Case {
        size_t rows, slots;
    };
    const Case cases[] = {
        {1, 16}, {8, 16}, {9, 32}, {16, 32}, {17, 64}, {241, 512}, {286, 1024}, // 286: the full class list
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassIndex::SlotCountFor(c.rows), c.slots) << c.rows << " rows";
}

TEST_F(ClassIndexTest, CollidingData1IsTellApartByLaterBytes) {
    // Three rows share Data1 and so the start slot; a fourth identifier with the same Data1 is not in the table.
    auto table = Table({Id(7, 1), Id(7, 2), Id(7, 3), Id(100), Id(200), Id(300)});
    ClassIndex index(table);
    ASSERT_EQ(index.SlotCount(), 16u);
    for (const ClassEntry& entry : table)
        EXPECT_EQ(index.Find(entry.classId), &entry);
    EXPECT_EQ(index.SlotOf(&table[0]), 7);
    EXPECT_EQ(index.SlotOf(&table[1]), 8);
    EXPECT_EQ(index.SlotOf(&table[2]), 9);
    EXPECT_EQ(index.Find(Id(7, 4)), nullptr);
    EXPECT_EQ(index.Find(Id(23, 1)), nullptr) << "same start slot (23 & 15 == 7), probe runs into an empty slot";
}

TEST_F(ClassIndexTest, ProbePastTheLastSlotWrapsToTheStart) {
    // Data1 15 starts at the last of 16 slots: the second and third such rows land in slots 0 and 1.
    auto table = Table({Id(15, 1), Id(15, 2), Id(31, 3), Id(1000), Id(2000), Id(3000)});
    ClassIndex index(table);
    EXPECT_EQ(index.SlotOf(&table[0]), 15);
    EXPECT_EQ(index.SlotOf(&table[1]), 0);
    EXPECT_EQ(index.SlotOf(&table[2]), 1);
    EXPECT_EQ(index.Find(Id(31, 3)), &table[2]);
    EXPECT_EQ(index.Find(Id(15, 2)), &table[1]);
    EXPECT_EQ(index.Find(Id(47, 9)), nullptr) << "wraps, then stops at empty slot 2";
}

TEST_F(ClassIndexTest, SmallTablesAreSearchedInOrder) {
    auto table = Table({Id(1), Id(2), Id(3), Id(4), Id(5)});
    ClassIndex index(table);
    EXPECT_EQ(index.SlotCount(), 0u);
    EXPECT_EQ(index.Find(Id(5)), &table[4]);
    EXPECT_EQ(index.Find(Id(6)), nullptr);
    std::vector<ClassEntry> empty;
    ClassIndex none(empty);
    EXPECT_EQ(none.Find(Id(1)), nullptr);
}

TEST_F(ClassIndexTest, FullTableWithEveryRowOnOneStartSlot) {
    // The worst case: every row probes from the same slot, and the probe wraps around the whole array.
    std::vector<ClassEntry> table;
    for (uint8_t i = 0; i < 16; ++i)
        table.push_back(Pending(u"X", Id(0xFFFFFFFF, i)));
    ClassIndex index(table);
    ASSERT_EQ(index.SlotCount(), 32u);
    for (const ClassEntry& entry : table)
        EXPECT_EQ(index.Find(entry.classId), &entry);
    EXPECT_EQ(index.Find(Id(0xFFFFFFFF, 16)), nullptr);
}

TEST_F(ClassIndexTest, SingletonRowsAreListedInTableOrder) {
    std::vector<ClassEntry> table = {Pending(u"A", Id(1), kSingleton), Pending(u"B", Id(2)),
                                     Pending(u"C", Id(3), kSingleton)};
    ClassIndex index(table);
    auto singletons = index.Singletons();
    ASSERT_EQ(singletons.size(), 2u);
    EXPECT_EQ(singletons[0], &table[0]);
    EXPECT_EQ(singletons[1], &table[2]);
}

class ModuleTableTest : public LeakCheckedTest {};

const ClassEntry* RowNamed(std::u16string_view name) {
    for (const ClassEntry& entry : ModuleClassTable())
        if (name == entry.name)
            return &entry;
    return nullptr;
}

TEST_F(ModuleTableTest, IdentifiersAndNamesAreUnique) {
    std::set<std::u16string> names;
    std::set<std::u16string> ids;
    for (const ClassEntry& entry : ModuleClassTable()) {
        EXPECT_TRUE(names.insert(entry.name).second) << ToUtf8(entry.name);
        EXPECT_TRUE(ids.insert(std::u16string(reinterpret_cast<const char16_t*>(&entry.classId), 8)).second)
            << ToUtf8(entry.name);
        EXPECT_FALSE(entry.classId == GUID_NULL) << ToUtf8(entry.name);
        EXPECT_EQ(entry.threadingModel, ThreadingModel::Apartment);
    }
}

TEST_F(ModuleTableTest, SpecialRowsCarryTheirKindAndCategories) {
    struct Case {
        const char16_t* name;
        FactoryKind kind;
        const CATID* category; // the row's only category, or null for none
    };
    const Case cases[] = {
        {u"GPDataTypeFactory", kSingleton, &CATID_GPDataTypeFactories},
        {u"GPUtilities", kSingleton, nullptr},
        {u"GPString", kPlain, nullptr},
        {u"WCSCatalogPathParser", kPlain, &CATID_CatalogPathParsers},
        {u"AnalyzeTaskMissingTagsError", kPlain, &CATID_TaskAnalyzers},
        {u"AnalyzeToolInvalidError", kPlain, &CATID_ToolAnalyzers},
        {u"AnalyzeTaskSharingNonHistoryTaskInfo", kPlain, &CATID_ToolAnalyzers},
        {u"AnalyzeToolNewClientToolsError", kPlain, &CATID_ClientToolAnalyzers}, // the client tool checks only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        const ClassEntry* row = RowNamed(c.name);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->factory, c.kind);
        EXPECT_EQ(row->CategoryCount(), c.category ? 1 : 0);
        if (c.category) {
            EXPECT_TRUE(*row->categories[0] == *c.category);
        }
    }
}

TEST_F(ModuleTableTest, EnumBSTRRowCreatesTheEditableStringList) {
    const ClassEntry* row = RowNamed(u"EnumBSTR");
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->Provided());
    const CLSID expected{0x583CADF9, 0x039F, 0x4E85, {0xA7, 0xC1, 0xE2, 0x34, 0x19, 0x3A, 0x71, 0x51}};
    EXPECT_TRUE(row->classId == expected);
    EXPECT_EQ(ModuleClasses().Index().Find(expected), row);
}

} // namespace
} // namespace tavi::test
