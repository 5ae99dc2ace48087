// Protected texts: round trips, the two forms, refusal of altered or malformed forms and of a wrong key, the key
// file's creation, permissions and location, and one key for processes racing to create it.
#include "TestSupport.h"

#include "host/TextProtection.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavi::test {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the length of a scope and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }

private:
    void Set(const char* value) {
        if (value)
            ::setenv(name_, value, 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

// Every test gets a key file of its own in a new temporary folder (in a subfolder that does not exist yet, so its
// creation is exercised), never the user's.
class TextProtectionTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "tavi-protection-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        keyFile_ = folder_ / "keys" / "protection.key";
        env_.emplace("TAVI_KEY_FILE", keyFile_.c_str());
        textprotection::ForgetKeyForTesting();
    }
    void TearDown() override {
        textprotection::ForgetKeyForTesting();
        env_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        LeakCheckedTest::TearDown();
    }

    // Points the process at another key file (forgetting the key read so far).
    void UseKeyFile(const fs::path& path) {
        env_.emplace("TAVI_KEY_FILE", path.c_str());
        textprotection::ForgetKeyForTesting();
    }
    static void WriteFile(const fs::path& path, size_t size, mode_t mode) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(size, 'k');
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }
    static String Protect(std::u16string_view plain) {
        String text;
        EXPECT_EQ(GeoprocessingUtil::EncryptString(plain, text), S_OK);
        return text;
    }

    fs::path folder_;
    fs::path keyFile_;
    std::optional<ScopedEnv> env_;
};

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST_F(TextProtectionTest, RoundTripsEveryText) {
    struct Case {
        String plain;
        size_t utf8Bytes;
        const char* reason;
    };
    const Case cases[] = {
        {u"a", 1, "one character"},
        {u"pässwörd ✓", 14, "two- and three-byte characters"},
        {u"\U0001F511 key", 8, "a surrogate pair is one four-byte character"},
        {String(u"x\xD800y", 3), 5, "a lone surrogate comes back as it was"},
        {String(u"a\0b", 3), 3, "an embedded zero is content"},
        {String(5000, u'z'), 5000, "a long text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        String form = Protect(c.plain);
        // "0002", then hex of nonce (12) + ciphertext (the UTF-8 bytes) + tag (16).
        ASSERT_EQ(form.size(), 4 + 2 * (12 + c.utf8Bytes + 16));
        EXPECT_EQ(form.substr(0, 4), u"0002");
        EXPECT_EQ(form.find_first_not_of(u"0123456789abcdef", 4), String::npos) << "lower-case hex only";
        String plain = u"left over";
        ASSERT_EQ(GeoprocessingUtil::DecryptString(form, plain), S_OK);
        EXPECT_EQ(plain, c.plain);
        EXPECT_NE(Protect(c.plain), form) << "every protection takes a fresh nonce";
    }
    // The empty text has nothing to protect and stays empty both ways.
    String empty = u"x";
    EXPECT_EQ(GeoprocessingUtil::EncryptString(u"", empty), S_OK);
    EXPECT_EQ(empty, u"");
    String plain = u"x";
    EXPECT_EQ(GeoprocessingUtil::DecryptString(u"", plain), S_OK);
    EXPECT_EQ(plain, u"");
}

TEST_F(TextProtectionTest, RefusesAlteredAndMalformedForms) {
    const String form = Protect(u"secret");
    auto flipped = [&](size_t at) {
        String text = form;
        text[at] = text[at] == u'0' ? u'1' : u'0';
        return text;
    };
    String upper = form;
    for (auto& c : upper)
        c = static_cast<char16_t>(std::toupper(c));
    struct Case {
        String text;
        HRESULT hr;
        const char* reason;
    };
    const Case cases[] = {
        {upper, S_OK, "hex digits of either case"},
        {flipped(4), E_FAIL, "a digit of the nonce changed"},
        {flipped(4 + 24 + 3), E_FAIL, "a digit of the ciphertext changed"},
        {flipped(form.size() - 1), E_FAIL, "a digit of the tag changed"},
        {u"0001" + form.substr(4), E_FAIL, "relabelled as the older form: the label is authenticated"},
        {u"0003" + form.substr(4), E_FAIL, "an unknown form"},
        {form.substr(4), E_FAIL, "no prefix"},
        {form.substr(0, form.size() - 1), E_FAIL, "an odd number of digits"},
        {form.substr(0, form.size() - 2), E_FAIL, "one byte short: the tag fails"},
        {form.substr(0, 4 + 2 * 27), E_FAIL, "fewer bytes than nonce and tag"},
        {form.substr(0, 10) + u"g" + form.substr(11), E_FAIL, "a character that is not a hex digit"},
        {u"0002", E_FAIL, "the prefix alone"},
        {u"not protected", E_FAIL, "plain text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        String plain = u"untouched";
        EXPECT_EQ(GeoprocessingUtil::DecryptString(c.text, plain), c.hr);
        EXPECT_EQ(plain, c.hr == S_OK ? u"secret" : u"untouched") << "nothing handed out on failure";
    }
}

TEST_F(TextProtectionTest, OlderFormThroughTheEncryptObject) {
    Encrypt protector;
    EXPECT_EQ(protector.ToString(), u"") << "nothing held yet";
    String plain;
    EXPECT_EQ(protector.DecryptString(plain), E_FAIL);

    ASSERT_EQ(protector.FromString(Protect(u"older")), S_OK);
    ASSERT_EQ(protector.DecryptString(plain), S_OK);
    ASSERT_EQ(protector.EncryptString(plain, true), S_OK);
    String older = protector.ToString();
    EXPECT_EQ(older.substr(0, 4), u"0001");
    String back;
    ASSERT_EQ(GeoprocessingUtil::DecryptString(older, back), S_OK);
    EXPECT_EQ(back, u"older");
    // Relabelled as the current form it no longer authenticates.
    EXPECT_EQ(GeoprocessingUtil::DecryptString(u"0002" + older.substr(4), back), E_FAIL);
    // A malformed text leaves the object holding nothing.
    EXPECT_EQ(protector.FromString(u"0002zz"), E_FAIL);
    EXPECT_EQ(protector.ToString(), u"");
}

TEST_F(TextProtectionTest, CreatesTheKeyFileOwnerOnly) {
    ASSERT_FALSE(fs::exists(keyFile_));
    String form = Protect(u"x");
    ASSERT_TRUE(fs::exists(keyFile_));
    EXPECT_EQ(fs::file_size(keyFile_), 32u);
    EXPECT_EQ(ModeOf(keyFile_), 0600u);
    EXPECT_EQ(ModeOf(keyFile_.parent_path()), 0700u);
    EXPECT_EQ(std::distance(fs::directory_iterator(keyFile_.parent_path()), fs::directory_iterator()), 1)
        << "no temporary file left behind";
    // The key is read once; a new process (here: the key forgotten) reads the same file and the same key.
    textprotection::ForgetKeyForTesting();
    String plain;
    EXPECT_EQ(GeoprocessingUtil::DecryptString(form, plain), S_OK);
}

TEST_F(TextProtectionTest, AnotherKeyCannotRead) {
    String form = Protect(u"secret");
    UseKeyFile(folder_ / "other.key");
    String plain = u"untouched";
    EXPECT_EQ(GeoprocessingUtil::DecryptString(form, plain), E_FAIL);
    EXPECT_EQ(plain, u"untouched");
    UseKeyFile(keyFile_);
    EXPECT_EQ(GeoprocessingUtil::DecryptString(form, plain), S_OK);
}

TEST_F(TextProtectionTest, RefusesUnsafeKeyFiles) {
    struct Case {
        size_t size;
        mode_t mode;
        const char* reason;
    };
    const Case cases[] = {
        {31, 0600, "one byte short"},     {33, 0600, "one byte over"},         {0, 0600, "empty"},
        {32, 0644, "readable by others"}, {32, 0640, "readable by the group"}, {32, 0602, "writable by others"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        fs::path path = folder_ / "bad" / "protection.key";
        WriteFile(path, c.size, c.mode);
        UseKeyFile(path);
        String text = u"untouched";
        EXPECT_EQ(GeoprocessingUtil::EncryptString(u"x", text), E_FAIL);
        EXPECT_EQ(text, u"untouched");
        EXPECT_EQ(fs::file_size(path), c.size) << "a refused key file is never replaced";
        EXPECT_EQ(ModeOf(path), c.mode);
    }
    // A folder where the file should be is no key either.
    fs::create_directories(folder_ / "dir.key");
    UseKeyFile(folder_ / "dir.key");
    String text;
    EXPECT_EQ(GeoprocessingUtil::EncryptString(u"x", text), E_FAIL);
    // A refusal is not remembered: once the file is right, the key is used.
    fs::path path = folder_ / "bad" / "protection.key";
    WriteFile(path, 32, 0600);
    UseKeyFile(path);
    String refused = Protect(u"x");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    textprotection::ForgetKeyForTesting();
    EXPECT_EQ(GeoprocessingUtil::DecryptString(refused, text), E_FAIL);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(GeoprocessingUtil::DecryptString(refused, text), S_OK);
}

TEST_F(TextProtectionTest, RacingProcessesShareOneKey) {
    // Several processes start at once with no key file; each protects a text. Every text must be readable with the
    // one key that ends up in the file.
    constexpr int kProcesses = 8;
    std::vector<int> pipes;
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ends[0]);
            String form;
            int status = FAILED(GeoprocessingUtil::EncryptString(u"from a child", form)) ? 1 : 0;
            std::string bytes = ToUtf8(form);
            if (::write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                status = 2;
            ::_exit(status);
        }
        ::close(ends[1]);
        pipes.push_back(ends[0]);
        children.push_back(child);
    }
    std::vector<String> forms;
    for (int i = 0; i < kProcesses; ++i) {
        std::string bytes;
        char buffer[256];
        for (ssize_t got; (got = ::read(pipes[i], buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<size_t>(got));
        ::close(pipes[i]);
        int status = -1;
        ASSERT_EQ(::waitpid(children[i], &status, 0), children[i]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        forms.push_back(FromUtf8(bytes));
    }
    for (const String& form : forms) {
        String plain;
        EXPECT_EQ(GeoprocessingUtil::DecryptString(form, plain), S_OK);
        EXPECT_EQ(plain, u"from a child");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(keyFile_.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(TextProtectionTest, KeyFileLocation) {
    struct Case {
        const char* keyFile;
        const char* config;
        const char* home;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"/k/key", "/c", "/h", "/k/key", "the override wins"},
        {nullptr, "/c", "/h", "/c/tavi/protection.key", "the configuration folder"},
        {"", "/c", "/h", "/c/tavi/protection.key", "an empty override counts as unset"},
        {nullptr, "relative", "/h", "/h/.config/tavi/protection.key", "a relative configuration folder is ignored"},
        {nullptr, nullptr, "/h", "/h/.config/tavi/protection.key", "the home folder's default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ScopedEnv keyFile("TAVI_KEY_FILE", c.keyFile);
        ScopedEnv config("XDG_CONFIG_HOME", c.config);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(textprotection::KeyFilePath(), c.path);
    }
}

} // namespace
} // namespace tavi::test
