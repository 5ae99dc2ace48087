// Protected texts: AES-256-GCM through OpenSSL's EVP interface under a per-user key file.
#include "host/TextProtection.h"

#include "platform/Object.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavi {

namespace {

constexpr size_t kKeySize = 32;
constexpr size_t kNonceSize = 12;
constexpr size_t kTagSize = 16;
constexpr char16_t kCurrentForm = u'2';
constexpr char16_t kOlderForm = u'1';
constexpr std::u16string_view kFormPrefix = u"000"; // then the form's digit
constexpr const char* kKeyFileName = "protection.key";
// The form's label, bound into the tag as associated data.
constexpr std::string_view kCurrentLabel = "tavi-protected-text/2";
constexpr std::string_view kOlderLabel = "tavi-protected-text/1";

// Bytes that are wiped when they go away. Sized once up front, so no reallocation leaves an unwiped copy behind.
class SecretBytes {
public:
    explicit SecretBytes(size_t size) : bytes_(size) {}
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }

    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    // How much of the buffer holds content; the wiped extent stays the whole allocation.
    void SetUsed(size_t size) { used_ = size; }
    size_t used() const { return used_ == npos ? bytes_.size() : used_; }

private:
    static constexpr size_t npos = static_cast<size_t>(-1);
    std::vector<uint8_t> bytes_;
    size_t used_ = npos;
};

using Key = std::array<uint8_t, kKeySize>;

// ---- UTF-16 <-> UTF-8, keeping lone surrogates (as their three-byte forms) so every text comes back exactly ----

void EncodeUtf8(std::u16string_view text, SecretBytes& out) {
    size_t n = 0;
    auto put = [&](uint8_t byte) { out.data()[n++] = byte; };
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            put(static_cast<uint8_t>(c));
        } else if (c < 0x800) {
            put(static_cast<uint8_t>(0xC0 | (c >> 6)));
            put(static_cast<uint8_t>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            put(static_cast<uint8_t>(0xE0 | (c >> 12)));
            put(static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            put(static_cast<uint8_t>(0x80 | (c & 0x3F)));
        } else {
            put(static_cast<uint8_t>(0xF0 | (c >> 18)));
            put(static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F)));
            put(static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            put(static_cast<uint8_t>(0x80 | (c & 0x3F)));
        }
    }
    out.SetUsed(n);
}

// Strict decoding: truncated, overlong or out-of-range sequences give false. `out` is reserved first, so it is not
// reallocated while plain text is written into it.
bool DecodeUtf8(const uint8_t* bytes, size_t size, String& out) {
    out.clear();
    out.reserve(size);
    for (size_t i = 0; i < size;) {
        uint8_t lead = bytes[i];
        size_t length = lead < 0x80             ? 1
                        : (lead & 0xE0) == 0xC0 ? 2
                        : (lead & 0xF0) == 0xE0 ? 3
                        : (lead & 0xF8) == 0xF0 ? 4
                                                : 0;
        if (length == 0 || i + length > size)
            return false;
        uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || c > 0x10FFFF)
            return false;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return true;
}

// ---- hexadecimal ----

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool FromHex(std::u16string_view hex, std::vector<uint8_t>& bytes) {
    if (hex.size() % 2 != 0)
        return false;
    bytes.resize(hex.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int high = HexDigit(hex[2 * i]);
        int low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

// ---- the key ----

struct KeyCache {
    std::mutex mutex;
    bool loaded = false;
    Key key{};
    ~KeyCache() { OPENSSL_cleanse(key.data(), key.size()); }
};

KeyCache& Cache() {
    static KeyCache cache;
    return cache;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::optional<std::string> NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

std::string HomeFolder() {
    if (auto home = NonEmptyEnv("HOME"))
        return *home;
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

std::string ParentFolder(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates each missing folder of `folder` with mode 0700. True when `folder` is a folder afterwards.
bool MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1))
        ::mkdir(folder.substr(0, at).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Reads up to `size` bytes; the count read, or -1 on an error.
ssize_t ReadUpTo(int fd, uint8_t* bytes, size_t size) {
    size_t total = 0;
    while (total < size) {
        ssize_t got = ::read(fd, bytes + total, size - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(total);
}

// Makes a new key file at `path`: written in full under a temporary name, then linked into place. link() never
// replaces an existing file, so when another process got there first its key stays and this one is dropped.
HRESULT CreateKeyFile(const std::string& path) {
    std::string folder = ParentFolder(path);
    if (!MakeFolders(folder))
        return E_FAIL;
    size_t slash = path.find_last_of('/');
    std::string temporary = folder + "/." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0)
        return E_FAIL;
    SecretBytes key(kKeySize);
    bool written = ::fchmod(file.get(), 0600) == 0 && RAND_bytes(key.data(), static_cast<int>(key.size())) == 1 &&
                   WriteAll(file.get(), key.data(), key.size()) && ::fsync(file.get()) == 0 && file.Close();
    bool linked = written && (::link(temporary.c_str(), path.c_str()) == 0 || errno == EEXIST);
    ::unlink(temporary.c_str());
    return linked ? S_OK : E_FAIL;
}

// Reads the key file, creating it when it does not exist yet. Refuses anything but a regular file of this user,
// closed to group and others, of exactly the key's size.
HRESULT ReadKeyFile(const std::string& path, Key& key) {
    if (path.empty())
        return E_FAIL;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        if (FAILED(CreateKeyFile(path)))
            return E_FAIL;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    FileDescriptor file(fd);
    if (file.get() < 0)
        return E_FAIL;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 077) != 0 ||
        info.st_uid != ::geteuid() || info.st_size != static_cast<off_t>(kKeySize))
        return E_FAIL;
    SecretBytes read(kKeySize + 1); // one more, to see that the file ends where it should
    if (ReadUpTo(file.get(), read.data(), read.size()) != static_cast<ssize_t>(kKeySize))
        return E_FAIL;
    std::copy(read.data(), read.data() + kKeySize, key.begin());
    return S_OK;
}

// A copy of the process's key (read on first use), for one operation. The caller wipes it.
HRESULT CopyKey(Key& key) {
    KeyCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    if (!cache.loaded) {
        if (FAILED(ReadKeyFile(textprotection::KeyFilePath(), cache.key))) {
            OPENSSL_cleanse(cache.key.data(), cache.key.size());
            return E_FAIL;
        }
        cache.loaded = true;
    }
    key = cache.key;
    return S_OK;
}

// The key for the length of one operation, wiped afterwards.
class OperationKey {
public:
    OperationKey() { ok_ = SUCCEEDED(CopyKey(key_)); }
    OperationKey(const OperationKey&) = delete;
    OperationKey& operator=(const OperationKey&) = delete;
    ~OperationKey() { OPENSSL_cleanse(key_.data(), key_.size()); }
    bool ok() const { return ok_; }
    const uint8_t* data() const { return key_.data(); }

private:
    Key key_{};
    bool ok_ = false;
};

// ---- the cipher ----

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

std::string_view LabelOf(char16_t form) {
    return form == kOlderForm ? kOlderLabel : kCurrentLabel;
}

// nonce + ciphertext + tag of `plain` under the form's label.
HRESULT Seal(const SecretBytes& plain, char16_t form, std::vector<uint8_t>& sealed) {
    if (plain.used() > static_cast<size_t>(INT_MAX) - kNonceSize - kTagSize)
        return E_INVALIDARG;
    OperationKey key;
    if (!key.ok())
        return E_FAIL;
    std::vector<uint8_t> out(kNonceSize + plain.used() + kTagSize);
    uint8_t* nonce = out.data();
    uint8_t* cipherText = nonce + kNonceSize;
    uint8_t* tag = cipherText + plain.used();
    std::string_view label = LabelOf(form);
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    int length = 0;
    int finalLength = 0;
    if (!context || RAND_bytes(nonce, kNonceSize) != 1 ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, key.data(), nonce) != 1 ||
        EVP_EncryptUpdate(context.get(), nullptr, &length, reinterpret_cast<const uint8_t*>(label.data()),
                          static_cast<int>(label.size())) != 1 ||
        EVP_EncryptUpdate(context.get(), cipherText, &length, plain.data(), static_cast<int>(plain.used())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), cipherText + length, &finalLength) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag) != 1)
        return E_FAIL;
    sealed = std::move(out);
    return S_OK;
}

// The plain bytes of nonce + ciphertext + tag under the form's label; E_FAIL unless the tag authenticates.
HRESULT Open(const std::vector<uint8_t>& sealed, char16_t form, SecretBytes& plain) {
    if (sealed.size() < kNonceSize + kTagSize || sealed.size() > static_cast<size_t>(INT_MAX))
        return E_FAIL;
    OperationKey key;
    if (!key.ok())
        return E_FAIL;
    size_t cipherSize = sealed.size() - kNonceSize - kTagSize;
    const uint8_t* nonce = sealed.data();
    const uint8_t* cipherText = nonce + kNonceSize;
    std::array<uint8_t, kTagSize> tag;
    std::copy(cipherText + cipherSize, cipherText + cipherSize + kTagSize, tag.begin());
    std::string_view label = LabelOf(form);
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    int length = 0;
    int finalLength = 0;
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, key.data(), nonce) != 1 ||
        EVP_DecryptUpdate(context.get(), nullptr, &length, reinterpret_cast<const uint8_t*>(label.data()),
                          static_cast<int>(label.size())) != 1 ||
        EVP_DecryptUpdate(context.get(), plain.data(), &length, cipherText, static_cast<int>(cipherSize)) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1 ||
        EVP_DecryptFinal_ex(context.get(), plain.data() + length, &finalLength) != 1)
        return E_FAIL;
    plain.SetUsed(static_cast<size_t>(length + finalLength));
    return S_OK;
}

} // namespace

// ---- Encrypt ----

Encrypt::~Encrypt() {
    OPENSSL_cleanse(sealed_.data(), sealed_.size());
}

HRESULT Encrypt::FromString(std::u16string_view text) {
    return guard([&]() -> HRESULT {
        form_ = 0;
        sealed_.clear();
        if (text.size() < 4 || text.substr(0, 3) != kFormPrefix || (text[3] != kCurrentForm && text[3] != kOlderForm))
            return E_FAIL;
        std::vector<uint8_t> bytes;
        if (!FromHex(text.substr(4), bytes) || bytes.size() < kNonceSize + kTagSize)
            return E_FAIL;
        form_ = text[3];
        sealed_ = std::move(bytes);
        return S_OK;
    });
}

HRESULT Encrypt::DecryptString(String& plain) const {
    return guard([&]() -> HRESULT {
        if (form_ == 0)
            return E_FAIL;
        SecretBytes bytes(sealed_.size()); // at least the plain text's size
        String text;
        if (FAILED(Open(sealed_, form_, bytes)) || !DecodeUtf8(bytes.data(), bytes.used(), text)) {
            WipeText(text);
            return E_FAIL;
        }
        WipeText(plain);
        plain.swap(text);
        return S_OK;
    });
}

HRESULT Encrypt::EncryptString(std::u16string_view plain, bool older) {
    return guard([&]() -> HRESULT {
        SecretBytes bytes(plain.size() * 3 + 1); // every UTF-16 unit takes at most three UTF-8 bytes
        EncodeUtf8(plain, bytes);
        char16_t form = older ? kOlderForm : kCurrentForm;
        std::vector<uint8_t> sealed;
        HRESULT hr = Seal(bytes, form, sealed);
        if (FAILED(hr))
            return hr;
        form_ = form;
        sealed_ = std::move(sealed);
        return S_OK;
    });
}

String Encrypt::ToString() const {
    if (form_ == 0)
        return String();
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    String text(kFormPrefix);
    text += form_;
    text.reserve(text.size() + 2 * sealed_.size());
    for (uint8_t byte : sealed_) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// ---- GeoprocessingUtil ----

namespace GeoprocessingUtil {

HRESULT EncryptString(std::u16string_view plain, String& protectedText) {
    return guard([&]() -> HRESULT {
        if (plain.empty()) {
            protectedText.clear();
            return S_OK;
        }
        Encrypt protector;
        HRESULT hr = protector.EncryptString(plain, false);
        if (FAILED(hr))
            return hr;
        protectedText = protector.ToString();
        return S_OK;
    });
}

HRESULT DecryptString(std::u16string_view protectedText, String& plain) {
    return guard([&]() -> HRESULT {
        if (protectedText.empty()) {
            WipeText(plain);
            return S_OK;
        }
        Encrypt protector;
        if (FAILED(protector.FromString(protectedText)))
            return E_FAIL;
        return protector.DecryptString(plain);
    });
}

} // namespace GeoprocessingUtil

void WipeText(String& text) {
    OPENSSL_cleanse(text.data(), text.size() * sizeof(char16_t));
    text.clear();
}

namespace textprotection {

std::string KeyFilePath() {
    if (auto path = NonEmptyEnv("TAVI_KEY_FILE"))
        return *path;
    std::string folder;
    // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory convention says.
    if (auto config = NonEmptyEnv("XDG_CONFIG_HOME"); config && config->front() == '/')
        folder = *config;
    else if (std::string home = HomeFolder(); !home.empty())
        folder = home + "/.config";
    else
        return {};
    return folder + "/tavi/" + kKeyFileName;
}

void ForgetKeyForTesting() {
    KeyCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    OPENSSL_cleanse(cache.key.data(), cache.key.size());
    cache.loaded = false;
}

} // namespace textprotection

} // namespace tavi
