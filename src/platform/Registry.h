// The registry store behind the Reg* functions, and what the library itself needs of it: transaction scopes that
// group several Reg* calls, an owner for open keys, short readers and writers of single values, and the store file's
// management (switching files, integrity check, a text dump for comparisons).
#pragma once

#include "tavi/Registry.h"

#include <string>
#include <string_view>
#include <utility>

namespace tavi {

// Groups the Reg* calls the calling thread makes while it lives into one transaction of the store: other processes
// and threads see all of them or none. Scopes nest; an inner scope joins the outer one (as a savepoint, so an inner
// scope that ends without Commit undoes only its own part). A scope that ends without Commit undoes its changes.
// A scope belongs to the thread that made it and must end on that thread. While the outermost scope lives, the
// store's write lock is held, so keep scopes short.
class RegistryTransaction {
public:
    RegistryTransaction();
    ~RegistryTransaction();
    RegistryTransaction(const RegistryTransaction&) = delete;
    RegistryTransaction& operator=(const RegistryTransaction&) = delete;

    // ERROR_SUCCESS when the transaction began; otherwise the store's error, and Reg* calls made in the scope run
    // (and fail or succeed) on their own.
    LSTATUS Status() const { return status_; }
    // Makes the scope's changes part of the enclosing scope, or durable for the outermost one. Returns the store's
    // error when the commit fails (then nothing of the outermost scope is kept). A second call is refused.
    LSTATUS Commit();

private:
    void End(bool commit);

    LSTATUS status_;
    bool open_ = false;
};

// Owns an open key and closes it. Predefined roots may be held too; closing them does nothing.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            Reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    ~RegKey() { Reset(); }

    HKEY Get() const { return key_; }
    HKEY* Out() {
        Reset();
        return &key_;
    }
    void Reset() {
        if (key_)
            RegCloseKey(std::exchange(key_, nullptr));
    }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// Single-value helpers. `keyPath` is below `parent` (empty for the parent itself); an empty value name is the key's
// default value. Readers answer ERROR_FILE_NOT_FOUND for a missing key or value and ERROR_UNSUPPORTED_TYPE when the
// value has another type (a text where a number is expected is not a number). Writers create the key as needed.
LSTATUS RegistryReadString(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName,
                           std::u16string* text);
LSTATUS RegistryReadDword(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName, DWORD* value);
LSTATUS RegistryWriteString(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName,
                            std::u16string_view text);
LSTATUS RegistryWriteDword(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName, DWORD value);
// True when the key exists.
bool RegistryKeyExists(HKEY parent, std::u16string_view keyPath);

// The store file of the process: TAVI_REGISTRY, else $XDG_CONFIG_HOME/tavi/registry.db, else
// ~/.config/tavi/registry.db, unless UseRegistryFile chose another. Only the folder of the configuration location is
// made when missing (owner-only); a file named explicitly must be in an existing folder.
std::string RegistryFilePath();
// Points the process at another store file (an empty path: back to the default). Handles opened on the earlier file
// become invalid (ERROR_INVALID_HANDLE). Returns the result of opening the new file on the calling thread; a file
// that cannot be opened still becomes current and every call then fails with ERROR_REGISTRY_IO_FAILED.
LSTATUS UseRegistryFile(const std::string& path);
// ERROR_SUCCESS when the store file passes SQLite's integrity check; ERROR_REGISTRY_IO_FAILED otherwise, with the
// first problem in `problem` when given.
LSTATUS CheckRegistryIntegrity(std::string* problem = nullptr);
// Every key and value below `root` (both roots when null) as text, one line each, in a stable order (keys by name
// without regard to case, depth first). Two stores with the same content give the same text.
LSTATUS DumpRegistry(std::string* text, HKEY root = nullptr);

} // namespace tavi
