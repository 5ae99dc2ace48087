// Reading and writing the registry store through the exported Reg* functions, by key paths written the usual way
// ("HKEY_CLASSES_ROOT\CLSID\{…}"). Shared by `tavigp reg` and the bridge's registry requests.
#pragma once

#include "tavi/Registry.h"

#include <optional>
#include <string>
#include <vector>

namespace tavigp {

// An open key, closed when the owner goes.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey();

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

struct RegPath {
    HKEY root;
    std::string rootName;  // the long form: "HKEY_CLASSES_ROOT" or "HKEY_CURRENT_USER"
    std::u16string subKey; // below the root, without leading or trailing backslashes; empty for the root itself

    std::string Text() const; // the full path in the long form
};

// Parses "ROOT[\sub\key]"; the root is HKEY_CLASSES_ROOT (HKCR) or HKEY_CURRENT_USER (HKCU). Nothing otherwise.
std::optional<RegPath> ParseRegPath(const std::string& text);

struct RegValue {
    std::u16string name; // empty for the default value
    DWORD type = REG_NONE;
    std::u16string text;        // REG_SZ, without its terminating zero
    DWORD number = 0;           // REG_DWORD
    std::vector<uint8_t> bytes; // as stored, for any other type
};

// Opens a key for reading (or for reading and writing); the status is the store's error number.
LSTATUS OpenKey(const RegPath& path, bool forWriting, RegKey* key);
LSTATUS CreateKey(const RegPath& path, RegKey* key);

// The subkeys' names, in the store's enumeration order.
LSTATUS SubkeyNames(HKEY key, std::vector<std::u16string>* names);
// All values of a key, in the store's enumeration order.
LSTATUS Values(HKEY key, std::vector<RegValue>* values);
// One value; ERROR_FILE_NOT_FOUND when it is not there.
LSTATUS QueryValue(HKEY key, const std::u16string& name, RegValue* value);

LSTATUS SetString(HKEY key, const std::u16string& name, const std::u16string& text);
LSTATUS SetDword(HKEY key, const std::u16string& name, DWORD number);

// The error number's constant name ("ERROR_FILE_NOT_FOUND"), or its decimal text.
std::string RegStatusText(LSTATUS status);

} // namespace tavigp
