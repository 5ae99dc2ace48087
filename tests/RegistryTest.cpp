// The registry store: keys and values through the Reg* functions, names without regard to case, buffers, handles,
// deletion, transaction scopes, persistence, damaged store files, concurrent writers (threads and processes), and
// programmatic identifiers.
#include "TestSupport.h"

#include "platform/Registry.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tavi {
namespace {

namespace fs = std::filesystem;

// A store file of its own for every test, in a fresh folder that is removed afterwards.
class RegistryTest : public test::LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "tavi-registry-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        ASSERT_EQ(UseRegistryFile(StoreFile("store.db")), ERROR_SUCCESS);
    }
    void TearDown() override {
        UseRegistryFile("");
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        LeakCheckedTest::TearDown();
    }

    std::string StoreFile(const char* name) const { return (folder_ / name).string(); }

    static RegKey Create(HKEY parent, const OLECHAR* path, REGSAM access = KEY_ALL_ACCESS,
                         DWORD* disposition = nullptr) {
        RegKey key;
        EXPECT_EQ(
            RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.Out(), disposition),
            ERROR_SUCCESS);
        return key;
    }
    static LSTATUS Open(HKEY parent, const OLECHAR* path, RegKey* key, REGSAM access = KEY_READ) {
        return RegOpenKeyExW(parent, path, 0, access, key->Out());
    }
    static LSTATUS SetText(HKEY key, const OLECHAR* name, std::u16string_view text) {
        std::u16string terminated(text);
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(terminated.c_str()),
                              static_cast<DWORD>((terminated.size() + 1) * sizeof(OLECHAR)));
    }
    static LSTATUS SetDword(HKEY key, const OLECHAR* name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&value), sizeof value);
    }
    static bool Exists(HKEY parent, const OLECHAR* path) { return RegistryKeyExists(parent, path); }
    static std::vector<std::u16string> SubkeyNames(HKEY key) {
        std::vector<std::u16string> names;
        OLECHAR name[300];
        for (DWORD index = 0;; ++index) {
            DWORD length = 300;
            LSTATUS status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status != ERROR_SUCCESS) {
                EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
                return names;
            }
            names.emplace_back(name, length);
        }
    }

    fs::path folder_;
};

TEST_F(RegistryTest, CreatesOpensAndReadsValuesWithoutRegardToCase) {
    DWORD disposition = 0;
    RegKey settings = Create(HKEY_CURRENT_USER, u"Software\\TAVI\\Torvik\\Settings", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    Create(HKEY_CURRENT_USER, u"SOFTWARE\\tavi\\Torvik\\settings\\", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // The same path under the other root is another key.
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Software"));

    ASSERT_EQ(SetText(settings.Get(), u"Name", u"Torvik"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(settings.Get(), u"DisableGPCaching", 3), ERROR_SUCCESS);
    ASSERT_EQ(SetText(settings.Get(), nullptr, u"default"), ERROR_SUCCESS);

    RegKey reader;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, u"software\\TAVI\\TORVIK\\Settings", &reader), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(
        RegQueryValueExW(reader.Get(), u"disablegpcaching", nullptr, &type, reinterpret_cast<uint8_t*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(size, 4u);

    // Text: the size counts the terminating zero; a short buffer reports the size needed and copies nothing.
    OLECHAR text[16] = {u'x', u'x'};
    size = 4;
    EXPECT_EQ(RegQueryValueExW(reader.Get(), u"NAME", nullptr, &type, reinterpret_cast<uint8_t*>(text), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(text[0], u'x');
    size = 0;
    EXPECT_EQ(RegQueryValueExW(reader.Get(), u"Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(RegQueryValueExW(reader.Get(), u"Name", nullptr, &type, reinterpret_cast<uint8_t*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::u16string(text), u"Torvik");

    // Null and empty value names are both the default value.
    std::u16string fallback;
    EXPECT_EQ(RegistryReadString(reader.Get(), u"", u"", &fallback), ERROR_SUCCESS);
    EXPECT_EQ(fallback, u"default");
    EXPECT_EQ(RegQueryValueExW(reader.Get(), u"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    // Writing under another case replaces the value and keeps the name as first written.
    ASSERT_EQ(SetText(settings.Get(), u"NAME", u"Other"), ERROR_SUCCESS);
    OLECHAR name[16];
    DWORD nameLength = 16;
    ASSERT_EQ(RegEnumValueW(reader.Get(), 2, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, nameLength), u"Name");
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, u"Software\\TAVI\\Torvik\\Settings", u"name", &fallback),
              ERROR_SUCCESS);
    EXPECT_EQ(fallback, u"Other");
}

TEST_F(RegistryTest, StoresTextWithItsTerminatingZero) {
    RegKey key = Create(HKEY_CLASSES_ROOT, u"Texts");
    const OLECHAR unterminated[] = {u'a', u'b', u'c'};
    ASSERT_EQ(RegSetValueExW(key.Get(), u"NoZero", 0, REG_SZ, reinterpret_cast<const uint8_t*>(unterminated), 6),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key.Get(), u"NoZero", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    ASSERT_EQ(RegQueryValueExW(key.Get(), u"Empty", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    std::u16string text;
    EXPECT_EQ(RegistryReadString(key.Get(), u"", u"NoZero", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, u"abc");

    // Binary values are kept byte for byte, an empty one included.
    const uint8_t bytes[] = {0, 1, 2, 255};
    ASSERT_EQ(RegSetValueExW(key.Get(), u"Bytes", 0, REG_BINARY, bytes, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), u"None", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
    uint8_t back[8] = {};
    DWORD type = 0;
    size = sizeof back;
    ASSERT_EQ(RegQueryValueExW(key.Get(), u"Bytes", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(back, bytes, 4), 0);
    ASSERT_EQ(RegQueryValueExW(key.Get(), u"None", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_NONE);
    EXPECT_EQ(size, 0u);
}

TEST_F(RegistryTest, RefusesBadArgumentsAndHandles) {
    RegKey writable = Create(HKEY_CLASSES_ROOT, u"Args");
    RegKey readOnly;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"Args", &readOnly, KEY_READ), ERROR_SUCCESS);
    HKEY closed = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Args", 0, KEY_READ, &closed), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    const HKEY bogus = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234));
    const HKEY localMachine = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u));
    const DWORD dword = 1;
    const auto* dwordBytes = reinterpret_cast<const uint8_t*>(&dword);
    const OLECHAR loneSurrogate[] = {u'a', 0xD800, u'b', 0};
    HKEY out = nullptr;
    DWORD size = 4;
    DWORD reserved = 0;
    OLECHAR name[8];
    DWORD nameLength = 8;
    const HKEY w = writable.Get();

    struct Case {
        const char* what;
        std::function<LSTATUS()> call;
        LSTATUS expected;
    };
    const Case cases[] = {
        {"null handle", [&] { return RegOpenKeyExW(nullptr, u"x", 0, KEY_READ, &out); }, ERROR_INVALID_HANDLE},
        {"pointer never handed out", [&] { return RegOpenKeyExW(bogus, u"x", 0, KEY_READ, &out); },
         ERROR_INVALID_HANDLE},
        {"closed handle", [&] { return SetDword(closed, u"v", 1); }, ERROR_INVALID_HANDLE},
        {"closing twice", [&] { return RegCloseKey(closed); }, ERROR_INVALID_HANDLE},
        {"root that is not kept", [&] { return RegOpenKeyExW(localMachine, u"x", 0, KEY_READ, &out); },
         ERROR_INVALID_HANDLE},
        {"null result", [&] { return RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Args", 0, KEY_READ, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"leading backslash", [&] { return RegOpenKeyExW(HKEY_CLASSES_ROOT, u"\\Args", 0, KEY_READ, &out); },
         ERROR_INVALID_PARAMETER},
        {"empty name inside a path",
         [&] { return RegCreateKeyExW(w, u"a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"key name over 255 characters",
         [&] {
             std::u16string longName(256, u'k');
             return RegCreateKeyExW(w, longName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr);
         },
         ERROR_INVALID_PARAMETER},
        {"lone surrogate in a key name",
         [&] { return RegCreateKeyExW(w, loneSurrogate, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"lone surrogate in a value name", [&] { return SetDword(w, loneSurrogate, 1); }, ERROR_INVALID_PARAMETER},
        {"unknown create option",
         [&] { return RegCreateKeyExW(w, u"v", 0, nullptr, 1, KEY_ALL_ACCESS, nullptr, &out, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"number of three bytes", [&] { return RegSetValueExW(w, u"v", 0, REG_DWORD, dwordBytes, 3); },
         ERROR_INVALID_PARAMETER},
        {"text of an odd size", [&] { return RegSetValueExW(w, u"v", 0, REG_SZ, dwordBytes, 3); },
         ERROR_INVALID_PARAMETER},
        {"size without data", [&] { return RegSetValueExW(w, u"v", 0, REG_BINARY, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {"query: reserved given", [&] { return RegQueryValueExW(w, u"v", &reserved, nullptr, nullptr, &size); },
         ERROR_INVALID_PARAMETER},
        {"query: data without size",
         [&] { return RegQueryValueExW(w, u"v", nullptr, nullptr, reinterpret_cast<uint8_t*>(name), nullptr); },
         ERROR_INVALID_PARAMETER},
        {"enumeration without a name buffer",
         [&] { return RegEnumKeyExW(w, 0, nullptr, &nameLength, nullptr, nullptr, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"enumeration without a length",
         [&] { return RegEnumValueW(w, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"write through a read-only handle", [&] { return SetDword(readOnly.Get(), u"v", 1); }, ERROR_ACCESS_DENIED},
        {"new subkey through a read-only handle",
         [&] { return RegCreateKeyExW(readOnly.Get(), u"new", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr); },
         ERROR_ACCESS_DENIED},
        {"missing key", [&] { return RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Args\\Nope", 0, KEY_READ, &out); },
         ERROR_FILE_NOT_FOUND},
        {"deleting the key through itself", [&] { return RegDeleteKeyW(w, u""); }, ERROR_INVALID_PARAMETER},
        {"deleting a missing value", [&] { return RegDeleteValueW(w, u"Nope"); }, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        out = nullptr;
        EXPECT_EQ(c.call(), c.expected);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Args\\new"));
    RegKey writeOnly;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"Args", &writeOnly, KEY_WRITE), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(writeOnly.Get(), u"v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, EnumeratesInNameOrderAndReportsShortBuffers) {
    RegKey parent = Create(HKEY_CLASSES_ROOT, u"Order");
    for (const OLECHAR* name : {u"beta", u"Alpha", u"gamma", u"alpha2", u"Zeta"})
        Create(parent.Get(), name);
    EXPECT_EQ(SubkeyNames(parent.Get()),
              (std::vector<std::u16string>{u"Alpha", u"alpha2", u"beta", u"gamma", u"Zeta"}));

    OLECHAR name[8] = {u'x'};
    DWORD length = 3;
    EXPECT_EQ(RegEnumKeyExW(parent.Get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(length, 7u); // "alpha2" and its terminating zero
    EXPECT_EQ(name[0], u'x');
    length = 6; // one short: the terminating zero needs room too
    EXPECT_EQ(RegEnumKeyExW(parent.Get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    length = 7;
    OLECHAR keyClass[4] = {u'c'};
    DWORD classLength = 4;
    EXPECT_EQ(RegEnumKeyExW(parent.Get(), 1, name, &length, nullptr, keyClass, &classLength, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"alpha2");
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(keyClass[0], 0);
    length = 8;
    EXPECT_EQ(RegEnumKeyExW(parent.Get(), 5, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    // Values: the default value (empty name) comes first; a short data buffer reports the size needed.
    ASSERT_EQ(SetText(parent.Get(), u"b", u"long text"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(parent.Get(), u"A", 7), ERROR_SUCCESS);
    ASSERT_EQ(SetText(parent.Get(), nullptr, u"d"), ERROR_SUCCESS);
    std::vector<std::u16string> names;
    for (DWORD index = 0;; ++index) {
        length = 8;
        LSTATUS status = RegEnumValueW(parent.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        names.emplace_back(name, length);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"", u"A", u"b"}));
    uint8_t data[4];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    length = 8;
    EXPECT_EQ(RegEnumValueW(parent.Get(), 2, name, &length, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 20u);
    EXPECT_EQ(type, REG_SZ);
    length = 8;
    dataSize = sizeof data;
    EXPECT_EQ(RegEnumValueW(parent.Get(), 1, name, &length, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data[0], 7);
}

TEST_F(RegistryTest, DeletesKeysValuesAndTrees) {
    RegKey root = Create(HKEY_CLASSES_ROOT, u"Tree");
    Create(root.Get(), u"a\\b\\c");
    Create(root.Get(), u"a\\d");
    ASSERT_EQ(SetText(root.Get(), u"v", u"x"), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(root.Get(), u"a"), ERROR_ACCESS_DENIED); // has subkeys
    EXPECT_EQ(RegDeleteKeyW(root.Get(), u"A\\B\\C"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(root.Get(), u"a\\b\\c"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Exists(root.Get(), u"a\\b"));
    EXPECT_EQ(RegDeleteTreeW(root.Get(), u"a"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(root.Get(), u"a"));
    EXPECT_EQ(RegDeleteTreeW(root.Get(), u"a"), ERROR_FILE_NOT_FOUND);

    // Without a subkey name the key stays and loses its subkeys and values.
    Create(root.Get(), u"e\\f");
    EXPECT_EQ(RegDeleteTreeW(root.Get(), nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, u"Tree"));
    EXPECT_TRUE(SubkeyNames(root.Get()).empty());
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(root.Get(), u"v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(SetText(root.Get(), u"w", u"x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(root.Get(), u"W"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(root.Get(), u"w", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, HandleOfADeletedKeyFailsAndRecreatesNothing) {
    RegKey doomed = Create(HKEY_CLASSES_ROOT, u"Doomed\\Child");
    ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, u"Doomed"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(doomed.Get(), u"v", 1), ERROR_FILE_NOT_FOUND);
    HKEY out = nullptr;
    EXPECT_EQ(RegCreateKeyExW(doomed.Get(), u"Grandchild", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(out, nullptr);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Doomed"));

    // A new key of the same name is another key: the old handle stays dead.
    RegKey reborn = Create(HKEY_CLASSES_ROOT, u"Doomed\\Child");
    EXPECT_EQ(SetDword(doomed.Get(), u"v", 1), ERROR_FILE_NOT_FOUND);
    OLECHAR name[8];
    DWORD length = 8;
    EXPECT_EQ(RegEnumKeyExW(doomed.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetDword(reborn.Get(), u"v", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(doomed.Get()), ERROR_SUCCESS);
    *doomed.Out() = nullptr;
}

TEST_F(RegistryTest, TransactionScopesGroupCallsAndNest) {
    {
        RegistryTransaction transaction;
        ASSERT_EQ(transaction.Status(), ERROR_SUCCESS);
        ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"Tx\\Kept", u"", u"1"), ERROR_SUCCESS);
        {
            RegistryTransaction inner;
            ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"Tx\\Undone", u"", u"2"), ERROR_SUCCESS);
            // Not committed: only the inner scope's part is undone.
        }
        {
            RegistryTransaction inner;
            ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"Tx\\Joined", u"", u"3"), ERROR_SUCCESS);
            EXPECT_EQ(inner.Commit(), ERROR_SUCCESS);
            EXPECT_EQ(inner.Commit(), ERROR_INVALID_PARAMETER);
        }
        // A failing call inside the scope undoes only itself.
        RegKey key = Create(HKEY_CLASSES_ROOT, u"Tx\\Kept");
        EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"Tx"), ERROR_ACCESS_DENIED);

        // Another thread does not see the changes before the commit.
        bool seenOutside = true;
        std::thread([&] { seenOutside = Exists(HKEY_CLASSES_ROOT, u"Tx\\Kept"); }).join();
        EXPECT_FALSE(seenOutside);
        EXPECT_EQ(transaction.Commit(), ERROR_SUCCESS);
    }
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, u"Tx\\Kept"));
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, u"Tx\\Joined"));
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Tx\\Undone"));

    {
        RegistryTransaction abandoned;
        ASSERT_EQ(RegistryWriteDword(HKEY_CLASSES_ROOT, u"Tx\\Abandoned", u"v", 1), ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, u"Tx\\Kept"), ERROR_SUCCESS);
    }
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Tx\\Abandoned"));
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, u"Tx\\Kept"));
}

TEST_F(RegistryTest, SingleValueHelpersCheckTypes) {
    ASSERT_EQ(RegistryWriteString(HKEY_CURRENT_USER, u"S", u"Text", u"3"), ERROR_SUCCESS);
    ASSERT_EQ(RegistryWriteDword(HKEY_CURRENT_USER, u"S", u"Number", 3), ERROR_SUCCESS);
    DWORD number = 0;
    std::u16string text;
    EXPECT_EQ(RegistryReadDword(HKEY_CURRENT_USER, u"S", u"Text", &number), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(RegistryReadString(HKEY_CURRENT_USER, u"S", u"Number", &text), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(RegistryReadDword(HKEY_CURRENT_USER, u"S", u"Number", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 3u);
    EXPECT_EQ(RegistryReadDword(HKEY_CURRENT_USER, u"S", u"Other", &number), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegistryReadDword(HKEY_CURRENT_USER, u"Nope", u"Number", &number), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DumpListsEveryKeyAndValueInStableOrder) {
    ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"b\\x", u"", u"tab\tquote\""), ERROR_SUCCESS);
    ASSERT_EQ(RegistryWriteDword(HKEY_CLASSES_ROOT, u"A", u"n", 10), ERROR_SUCCESS);
    std::string dump;
    ASSERT_EQ(DumpRegistry(&dump, HKEY_CLASSES_ROOT), ERROR_SUCCESS);
    EXPECT_EQ(dump, "[HKEY_CLASSES_ROOT]\n"
                    "[HKEY_CLASSES_ROOT\\A]\n"
                    "\"n\" REG_DWORD 0x0000000a\n"
                    "[HKEY_CLASSES_ROOT\\b]\n"
                    "[HKEY_CLASSES_ROOT\\b\\x]\n"
                    "@ REG_SZ \"tab\tquote\"\"\n");
}

TEST_F(RegistryTest, PersistsAcrossStoreFiles) {
    RegKey first = Create(HKEY_CURRENT_USER, u"Persist");
    ASSERT_EQ(SetDword(first.Get(), u"v", 42), ERROR_SUCCESS);

    ASSERT_EQ(UseRegistryFile(StoreFile("second.db")), ERROR_SUCCESS);
    EXPECT_EQ(RegistryFilePath(), StoreFile("second.db"));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, u"Persist"));
    // A handle into the earlier file names nothing here.
    EXPECT_EQ(SetDword(first.Get(), u"v", 1), ERROR_INVALID_HANDLE);
    // Another thread follows the switch too.
    bool seen = true;
    std::thread([&] { seen = Exists(HKEY_CURRENT_USER, u"Persist"); }).join();
    EXPECT_FALSE(seen);

    ASSERT_EQ(UseRegistryFile(StoreFile("store.db")), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(RegistryReadDword(HKEY_CURRENT_USER, u"persist", u"V", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(CheckRegistryIntegrity(), ERROR_SUCCESS);
}

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(RegistryTest, DefaultStoreLivesInAnOwnerOnlyConfigurationFolder) {
    {
        ScopedEnv noFile("TAVI_REGISTRY", nullptr);
        ScopedEnv config("XDG_CONFIG_HOME", folder_.c_str());
        ASSERT_EQ(UseRegistryFile(""), ERROR_SUCCESS);
        EXPECT_EQ(RegistryFilePath(), (folder_ / "tavi" / "registry.db").string());
        ASSERT_EQ(RegistryWriteDword(HKEY_CURRENT_USER, u"Here", u"v", 1), ERROR_SUCCESS);
        struct stat info {};
        ASSERT_EQ(::stat((folder_ / "tavi").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_TRUE(fs::exists(folder_ / "tavi" / "registry.db"));
    }
    // A file named explicitly must be in a folder that exists: none is made for it.
    EXPECT_EQ(UseRegistryFile(StoreFile("missing") + "/store.db"), ERROR_REGISTRY_IO_FAILED);
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST_F(RegistryTest, DamagedOrUnreachableStoreFailsCleanly) {
    // Not a database at all.
    {
        std::ofstream garbage(StoreFile("garbage.db"), std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            garbage.put(static_cast<char>(i * 7 + 3));
    }
    EXPECT_EQ(UseRegistryFile(StoreFile("garbage.db")), ERROR_REGISTRY_IO_FAILED);
    HKEY out = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(RegistryWriteDword(HKEY_CURRENT_USER, u"x", u"v", 1), ERROR_REGISTRY_IO_FAILED);
    std::string problem;
    EXPECT_EQ(CheckRegistryIntegrity(&problem), ERROR_REGISTRY_IO_FAILED);
    EXPECT_FALSE(problem.empty());

    // A folder where the file should be made cannot be created.
    EXPECT_EQ(UseRegistryFile(StoreFile("garbage.db") + "/below/store.db"), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"x", 0, KEY_READ, &out), ERROR_REGISTRY_IO_FAILED);

    // A real store whose pages were overwritten after it was written.
    ASSERT_EQ(UseRegistryFile(StoreFile("damaged.db")), ERROR_SUCCESS);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT,
                                      u"Key" + std::u16string(1, u'A' + i % 26) + std::u16string(i / 26 + 1, u'x'), u"",
                                      std::u16string(100, u'v')),
                  ERROR_SUCCESS);
    ASSERT_EQ(UseRegistryFile(StoreFile("store.db")), ERROR_SUCCESS); // closes the damaged file's connection
    {
        std::fstream file(StoreFile("damaged.db"), std::ios::binary | std::ios::in | std::ios::out);
        ASSERT_TRUE(file.good());
        file.seekp(4096);
        for (int i = 0; i < 4096 * 8; ++i)
            file.put(static_cast<char>(0xA5 ^ i));
    }
    UseRegistryFile(StoreFile("damaged.db"));
    std::string dump;
    EXPECT_EQ(DumpRegistry(&dump), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(CheckRegistryIntegrity(), ERROR_REGISTRY_IO_FAILED);
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kKeys = 100;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < kKeys; ++i) {
                std::u16string path =
                    u"Threads\\T" + FromUtf8(std::to_string(t)) + u"\\K" + FromUtf8(std::to_string(i));
                // Half of the writes grouped in scopes of two, the rest on their own.
                RegistryTransaction scope;
                if (RegistryWriteDword(HKEY_CLASSES_ROOT, path, u"v", static_cast<DWORD>(t * 1000 + i)) !=
                        ERROR_SUCCESS ||
                    (i % 2 == 0 && RegistryWriteString(HKEY_CLASSES_ROOT, path, u"s", u"text") != ERROR_SUCCESS) ||
                    scope.Commit() != ERROR_SUCCESS)
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0);
        for (int i = 0; i < kKeys; ++i) {
            DWORD value = 0;
            std::u16string path = u"Threads\\T" + FromUtf8(std::to_string(t)) + u"\\K" + FromUtf8(std::to_string(i));
            ASSERT_EQ(RegistryReadDword(HKEY_CLASSES_ROOT, path, u"v", &value), ERROR_SUCCESS);
            EXPECT_EQ(value, static_cast<DWORD>(t * 1000 + i));
        }
    }
}

// Run in a child process by TwoProcessesWritingAtOnceLoseNothing: writes keys tagged with TAVI_REGISTRY_WRITER into
// the store named by TAVI_REGISTRY. Skipped when run as an ordinary test.
constexpr int kProcessKeys = 300;

std::u16string WriterKey(const std::string& tag, int index) {
    return FromUtf8("Writers\\" + tag + "\\K" + std::to_string(index));
}

class RegistryWriterProcess : public test::LeakCheckedTest {};

TEST_F(RegistryWriterProcess, WritesTaggedKeys) {
    const char* tag = std::getenv("TAVI_REGISTRY_WRITER");
    if (!tag)
        GTEST_SKIP() << "runs only as the child of the two-process test";
    for (int i = 0; i < kProcessKeys; ++i) {
        std::u16string key = WriterKey(tag, i);
        ASSERT_EQ(RegistryWriteDword(HKEY_CLASSES_ROOT, key, u"index", static_cast<DWORD>(i)), ERROR_SUCCESS);
        ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, key, u"", FromUtf8(tag)), ERROR_SUCCESS);
        if (i % 10 == 0) {
            // Some writes grouped, as registration groups each class's keys.
            RegistryTransaction scope;
            ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, key + u"\\Grouped", u"a", u"1"), ERROR_SUCCESS);
            ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, key + u"\\Grouped", u"b", u"2"), ERROR_SUCCESS);
            ASSERT_EQ(scope.Commit(), ERROR_SUCCESS);
        }
    }
}

pid_t SpawnWriter(const std::string& store, const std::string& tag) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "TAVI_REGISTRY", 13) != 0)
            env.emplace_back(*entry);
    env.push_back("TAVI_REGISTRY=" + store);
    env.push_back("TAVI_REGISTRY_WRITER=" + tag);
    std::vector<char*> envp;
    for (auto& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=RegistryWriterProcess.WritesTaggedKeys";
    char* argv[] = {self.data(), filter.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    return pid;
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    const std::string store = StoreFile("shared.db");
    pid_t first = SpawnWriter(store, "A");
    pid_t second = SpawnWriter(store, "B");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    for (pid_t pid : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed";
    }
    ASSERT_EQ(UseRegistryFile(store), ERROR_SUCCESS);
    for (std::string tag : {"A", "B"}) {
        for (int i = 0; i < kProcessKeys; ++i) {
            SCOPED_TRACE(tag + std::to_string(i));
            DWORD index = 0;
            std::u16string text;
            ASSERT_EQ(RegistryReadDword(HKEY_CLASSES_ROOT, WriterKey(tag, i), u"index", &index), ERROR_SUCCESS);
            EXPECT_EQ(index, static_cast<DWORD>(i));
            ASSERT_EQ(RegistryReadString(HKEY_CLASSES_ROOT, WriterKey(tag, i), u"", &text), ERROR_SUCCESS);
            EXPECT_EQ(text, FromUtf8(tag));
            if (i % 10 == 0) {
                EXPECT_EQ(RegistryReadString(HKEY_CLASSES_ROOT, WriterKey(tag, i) + u"\\Grouped", u"b", &text),
                          ERROR_SUCCESS);
            }
        }
    }
    std::string problem;
    EXPECT_EQ(CheckRegistryIntegrity(&problem), ERROR_SUCCESS) << problem;
}

TEST_F(RegistryTest, ProgrammaticIdentifiersRoundTrip) {
    constexpr CLSID kClass{0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    constexpr CLSID kUnknown{0x12345678, 0x9ABC, 0xDEF0, {0, 0, 0, 0, 0, 0, 0, 1}};
    const std::u16string clsidText = u"{12345678-9ABC-DEF0-0123-456789ABCDEF}";
    ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"CLSID\\" + clsidText + u"\\ProgID", u"",
                                  u"taviGeoprocessing.Sample.1"),
              ERROR_SUCCESS);
    ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"taviGeoprocessing.Sample.1\\CLSID", u"", clsidText),
              ERROR_SUCCESS);

    OLECHAR* progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(kClass, &progId), S_OK);
    ASSERT_NE(progId, nullptr);
    EXPECT_EQ(std::u16string(progId), u"taviGeoprocessing.Sample.1");
    CLSID back = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(progId, &back), S_OK);
    EXPECT_EQ(back, kClass);
    CoTaskMemFree(progId);
    EXPECT_EQ(CLSIDFromProgID(u"TAVIGEOPROCESSING.sample.1", &back), S_OK); // names compare without case

    // Missing pieces and bad arguments.
    progId = reinterpret_cast<OLECHAR*>(1);
    EXPECT_EQ(ProgIDFromCLSID(kUnknown, &progId), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progId, nullptr);
    EXPECT_EQ(ProgIDFromCLSID(kClass, nullptr), E_POINTER);
    ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"CLSID\\{12345678-9ABC-DEF0-0000-000000000001}", u"", u"x"),
              ERROR_SUCCESS);
    EXPECT_EQ(ProgIDFromCLSID(kUnknown, &progId), REGDB_E_CLASSNOTREG); // class key without a ProgID

    ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"Broken.1\\CLSID", u"", u"not a class"), ERROR_SUCCESS);
    struct Case {
        const OLECHAR* progId;
        HRESULT expected;
    };
    for (const Case& c :
         {Case{u"Nobody.1", CO_E_CLASSSTRING}, Case{u"Broken.1", CO_E_CLASSSTRING}, Case{u"", CO_E_CLASSSTRING},
          Case{u"CLSID\\x", CO_E_CLASSSTRING}, Case{nullptr, E_INVALIDARG}}) {
        back = kClass;
        EXPECT_EQ(CLSIDFromProgID(c.progId, &back), c.expected);
        EXPECT_EQ(back, GUID_NULL);
    }
    EXPECT_EQ(CLSIDFromProgID(u"Nobody.1", nullptr), E_POINTER);
}

} // namespace
} // namespace tavi
