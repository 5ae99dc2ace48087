// Self-registration: the exact key and value set of a class, registration followed by unregistration leaving the
// store as it was, failures, and two processes registering into one store at once.
#include "TestSupport.h"

#include "frame/Registration.h"
#include "platform/Guid.h"
#include "platform/Registry.h"
#include "tavi/Entry.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

extern char** environ;

namespace tavi::test {
namespace {

struct IProbe : IUnknown {
    static constexpr IID iid{0x7E570001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
};
class Probe final : public Object<Probe, IProbe> {
public:
    static constexpr CLSID kClassId{0x7E570100, 0xABCD, 0x4EF0, {0x81, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    static constexpr const char16_t* kClassName = u"RegProbe";
};

constexpr char16_t kServerPath[] = u"/opt/tavi/lib/libtaviGeoprocessing.so";

// A synthetic table: `count` provided classes with distinct identities, every third with a category of its own,
// and one row that is not provided (registration skips it).
std::vector<ClassEntry> ProbeTable(int count) {
    static std::deque<std::u16string> names; // the rows point into these
    std::vector<ClassEntry> table;
    for (int i = 0; i < count; ++i) {
        names.push_back(u"RegProbe" + FromUtf8(std::to_string(i)));
        ClassEntry entry = Row<Probe>(kPlain, i % 3 == 0 ? std::initializer_list<const CATID*>{&CATID_ToolAnalyzers}
                                                         : std::initializer_list<const CATID*>{});
        entry.name = names.back().c_str();
        entry.classId.Data1 += static_cast<uint32_t>(i);
        table.push_back(entry);
    }
    table.push_back(Pending(u"RegProbeLater", {0x7E57FFFF, 0, 0, {}}));
    return table;
}

// The dump lines of the keys whose path starts with one of `prefixes`, each value line prefixed by its key.
std::set<std::string> KeysUnder(std::initializer_list<std::string> prefixes) {
    std::string dump;
    EXPECT_EQ(DumpRegistry(&dump, HKEY_CLASSES_ROOT), ERROR_SUCCESS);
    std::set<std::string> lines;
    std::istringstream in(dump);
    std::string line, section;
    bool wanted = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            section = line;
            wanted = false;
            for (const auto& prefix : prefixes)
                wanted = wanted || line.rfind("[HKEY_CLASSES_ROOT\\" + prefix, 0) == 0;
            if (wanted)
                lines.insert(line);
        } else if (wanted) {
            lines.insert(section + " " + line);
        }
    }
    return lines;
}

std::string Dump() {
    std::string dump;
    EXPECT_EQ(DumpRegistry(&dump), ERROR_SUCCESS);
    return dump;
}

// Each test writes a store file of its own, so that tests run in parallel never see each other's keys.
class RegistrationTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        store_ = RegistryFilePath() + "." + test->name();
        for (const char* suffix : {"", "-wal", "-shm"})
            std::remove((store_ + suffix).c_str());
        ASSERT_EQ(UseRegistryFile(store_), ERROR_SUCCESS);
        // What every store has: other classes. Registration must leave them alone, and the CLSID key stays.
        ASSERT_EQ(
            RegistryWriteString(HKEY_CLASSES_ROOT, u"CLSID\\{00000000-1111-2222-3333-444444444444}", u"", u"other"),
            ERROR_SUCCESS);
        ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"Unrelated.Key", u"", u"kept"), ERROR_SUCCESS);
    }
    void TearDown() override {
        UseRegistryFile("");
        LeakCheckedTest::TearDown();
    }
    std::string store_;
};

TEST_F(RegistrationTest, GuidTextIsUpperCaseWithBraces) {
    EXPECT_EQ(GuidText(Probe::kClassId), u"{7E570100-ABCD-4EF0-8123-456789ABCDEF}");
}

TEST_F(RegistrationTest, OneClassWritesExactlyItsKeysAndValues) {
    auto table = ProbeTable(1);
    ASSERT_EQ(RegisterClasses(table, kServerPath), S_OK);
    const std::string c = "{7E570100-ABCD-4EF0-8123-456789ABCDEF}";
    const std::string k = "[HKEY_CLASSES_ROOT\\CLSID\\" + c;
    const std::string v = "[HKEY_CLASSES_ROOT\\taviGeoprocessing.RegProbe0";
    const std::set<std::string> expected = {
        k + "]",
        k + "] @ REG_SZ \"taviGeoprocessing.RegProbe0\"",
        k + "\\Implemented Categories]",
        k + "\\Implemented Categories\\{26E079CD-6FB7-40D3-94F7-ED5438E072C5}]",
        k + "\\Implemented Categories\\{40FC6ED5-2438-11CF-A3DB-080036F12502}]",
        k + "\\InprocServer32]",
        k + "\\InprocServer32] @ REG_SZ \"/opt/tavi/lib/libtaviGeoprocessing.so\"",
        k + "\\InprocServer32] \"ThreadingModel\" REG_SZ \"Apartment\"",
        k + "\\ProgID]",
        k + "\\ProgID] @ REG_SZ \"taviGeoprocessing.RegProbe0.1\"",
        k + "\\TypeLib]",
        k + "\\TypeLib] @ REG_SZ \"{D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}\"",
        k + "\\VersionIndependentProgID]",
        k + "\\VersionIndependentProgID] @ REG_SZ \"taviGeoprocessing.RegProbe0\"",
        v + "]",
        v + "] @ REG_SZ \"taviGeoprocessing.RegProbe0\"",
        v + "\\CLSID]",
        v + "\\CLSID] @ REG_SZ \"" + c + "\"",
        v + "\\CurVer]",
        v + "\\CurVer] @ REG_SZ \"taviGeoprocessing.RegProbe0.1\"",
        v + ".1]",
        v + ".1] @ REG_SZ \"taviGeoprocessing.RegProbe0\"",
        v + ".1\\CLSID]",
        v + ".1\\CLSID] @ REG_SZ \"" + c + "\"",
    };
    EXPECT_EQ(KeysUnder({"CLSID\\" + c, "taviGeoprocessing.RegProbe"}), expected);
    EXPECT_EQ(UnregisterClasses(table), S_OK);
    EXPECT_TRUE(KeysUnder({"CLSID\\" + c, "taviGeoprocessing.RegProbe"}).empty());
}

TEST_F(RegistrationTest, RegisterThenUnregisterLeavesTheStoreAsItWas) {
    const std::string before = Dump();
    auto table = ProbeTable(12);
    ASSERT_EQ(RegisterClasses(table, kServerPath), S_OK);
    ASSERT_EQ(RegisterClasses(table, kServerPath), S_OK) << "registering again replaces the earlier registration";
    EXPECT_NE(Dump(), before);
    ASSERT_EQ(UnregisterClasses(table), S_OK);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(UnregisterClasses(table), S_OK) << "nothing registered is nothing to remove";
}

TEST_F(RegistrationTest, ModuleRegistrationWritesTheProvidedClassesOnly) {
    const std::string before = Dump();
    ASSERT_EQ(taviDllRegisterServer(), S_OK);
    std::u16string server;
    ASSERT_EQ(RegistryReadString(HKEY_CLASSES_ROOT, u"CLSID\\{583CADF9-039F-4E85-A7C1-E234193A7151}\\InprocServer32",
                                 u"", &server),
              ERROR_SUCCESS);
    EXPECT_EQ(server.front(), u'/') << "the full path of the file holding the library";
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, u"taviGeoprocessing.EnumBSTR.1"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, u"taviGeoprocessing.GPString"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, u"taviGeoprocessing.GPDataFileType"))
        << "a class not yet provided is not registered";
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(u"taviGeoprocessing.EnumBSTR", &found), S_OK);
    ASSERT_EQ(taviDllUnregisterServer(), S_OK);
    EXPECT_EQ(Dump(), before);
}

TEST_F(RegistrationTest, AStoreThatCannotBeWrittenFailsTheClass) {
    UseRegistryFile("/proc/no-registry-here/registry.db"); // a file nobody can create
    auto table = ProbeTable(2);
    EXPECT_EQ(RegisterClasses(table, kServerPath), SELFREG_E_CLASS);
}

// Run as a child process by the test below: registers the shared synthetic table into the store both use.
TEST(RegistrationChild, RegistersTheTable) {
    if (!std::getenv("TAVI_REGISTRATION_CHILD"))
        GTEST_SKIP() << "runs only as the child of TwoProcessesRegisterAtOnce";
    auto table = ProbeTable(40);
    for (int round = 0; round < 3; ++round)
        ASSERT_EQ(RegisterClasses(table, kServerPath), S_OK);
}

// Runs RegistrationChild.RegistersTheTable in a new process of this program, against the store file `store`.
pid_t SpawnChild(const std::string& store) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).rfind("TAVI_REGISTRY=", 0) != 0)
            env.emplace_back(*e);
    env.emplace_back("TAVI_REGISTRATION_CHILD=1");
    env.emplace_back("TAVI_REGISTRY=" + store);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe", filter = "--gtest_filter=RegistrationChild.RegistersTheTable";
    char* argv[] = {self.data(), filter.data(), nullptr};
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    return pid;
}

TEST_F(RegistrationTest, TwoProcessesRegisterAtOnce) {
    auto table = ProbeTable(40);
    ASSERT_EQ(RegisterClasses(table, kServerPath), S_OK);
    const std::string sequential = Dump();
    ASSERT_EQ(UnregisterClasses(table), S_OK);

    pid_t first = SpawnChild(store_), second = SpawnChild(store_);
    for (pid_t child : {first, second}) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child registration failed";
    }
    std::string problem;
    EXPECT_EQ(CheckRegistryIntegrity(&problem), ERROR_SUCCESS) << problem;
    EXPECT_EQ(Dump(), sequential) << "the full key set, as one process alone writes it";
    EXPECT_EQ(UnregisterClasses(table), S_OK);
}

} // namespace
} // namespace tavi::test
