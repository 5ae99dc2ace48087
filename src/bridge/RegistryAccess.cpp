// The registry helpers of the command line, on the exported Reg* functions.
#include "bridge/RegistryAccess.h"

#include "bridge/Text.h"

#include <algorithm>
#include <cstring>

namespace tavigp {

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        if (key_)
            RegCloseKey(key_);
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

RegKey::~RegKey() {
    if (key_)
        RegCloseKey(key_);
}

std::string RegPath::Text() const {
    return subKey.empty() ? rootName : rootName + "\\" + Narrow(subKey);
}

std::optional<RegPath> ParseRegPath(const std::string& text) {
    size_t cut = text.find('\\');
    std::string root = text.substr(0, cut);
    std::string rest = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    while (!rest.empty() && rest.back() == '\\')
        rest.pop_back();
    if (rest.find("\\\\") != std::string::npos || (!rest.empty() && rest.front() == '\\'))
        return std::nullopt; // an empty key name between separators names nothing
    if (root == "HKEY_CLASSES_ROOT" || root == "HKCR")
        return RegPath{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", Widen(rest)};
    if (root == "HKEY_CURRENT_USER" || root == "HKCU")
        return RegPath{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", Widen(rest)};
    return std::nullopt;
}

LSTATUS OpenKey(const RegPath& path, bool forWriting, RegKey* key) {
    HKEY opened = nullptr;
    LSTATUS status = RegOpenKeyExW(path.root, path.subKey.c_str(), 0, forWriting ? KEY_READ_WRITE : KEY_READ, &opened);
    *key = RegKey(status == ERROR_SUCCESS ? opened : nullptr);
    return status;
}

LSTATUS CreateKey(const RegPath& path, RegKey* key) {
    HKEY created = nullptr;
    LSTATUS status = RegCreateKeyExW(path.root, path.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_READ_WRITE, nullptr, &created, nullptr);
    *key = RegKey(status == ERROR_SUCCESS ? created : nullptr);
    return status;
}

namespace {

// Key and value names are bounded by the store; these bounds keep a misbehaving store from growing buffers forever.
constexpr DWORD kMaxNameLength = 1 << 15;
constexpr DWORD kMaxDataSize = 1 << 24;

void Decode(RegValue* value, const std::vector<uint8_t>& data) {
    value->bytes = data;
    if (value->type == REG_SZ) {
        std::u16string text(data.size() / 2, u'\0');
        if (!text.empty())
            std::memcpy(text.data(), data.data(), text.size() * 2);
        while (!text.empty() && text.back() == u'\0')
            text.pop_back();
        value->text = std::move(text);
    } else if (value->type == REG_DWORD && data.size() >= 4) {
        std::memcpy(&value->number, data.data(), 4);
    }
}

// Reads value `index`; ERROR_NO_MORE_ITEMS past the last.
LSTATUS EnumValue(HKEY key, DWORD index, RegValue* value) {
    std::u16string name(256, u'\0');
    std::vector<uint8_t> data(1024);
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        LSTATUS status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (status == ERROR_MORE_DATA && name.size() < kMaxNameLength && data.size() < kMaxDataSize) {
            name.resize(name.size() * 2);
            data.resize(std::max<size_t>(data.size() * 2, dataSize));
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        value->name.assign(name.data(), std::min<size_t>(nameLength, name.size()));
        value->type = type;
        data.resize(std::min<size_t>(dataSize, data.size()));
        Decode(value, data);
        return ERROR_SUCCESS;
    }
}

} // namespace

LSTATUS SubkeyNames(HKEY key, std::vector<std::u16string>* names) {
    names->clear();
    std::u16string name(256, u'\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        LSTATUS status = RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status == ERROR_MORE_DATA && name.size() < kMaxNameLength) {
            name.resize(name.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        names->emplace_back(name.data(), std::min<size_t>(length, name.size()));
        ++index;
    }
}

LSTATUS Values(HKEY key, std::vector<RegValue>* values) {
    values->clear();
    for (DWORD index = 0;; ++index) {
        RegValue value;
        LSTATUS status = EnumValue(key, index, &value);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        values->push_back(std::move(value));
    }
}

LSTATUS QueryValue(HKEY key, const std::u16string& name, RegValue* value) {
    std::vector<uint8_t> data(1024);
    for (;;) {
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA && data.size() < kMaxDataSize) {
            data.resize(std::max<size_t>(data.size() * 2, size));
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        value->name = name;
        value->type = type;
        data.resize(std::min<size_t>(size, data.size()));
        Decode(value, data);
        return ERROR_SUCCESS;
    }
}

LSTATUS SetString(HKEY key, const std::u16string& name, const std::u16string& text) {
    auto size = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)); // the terminating zero is stored too
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()), size);
}

LSTATUS SetDword(HKEY key, const std::u16string& name, DWORD number) {
    return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&number), sizeof number);
}

std::string RegStatusText(LSTATUS status) {
    switch (status) {
    case ERROR_SUCCESS:
        return "ERROR_SUCCESS";
    case ERROR_FILE_NOT_FOUND:
        return "ERROR_FILE_NOT_FOUND";
    case ERROR_ACCESS_DENIED:
        return "ERROR_ACCESS_DENIED";
    case ERROR_INVALID_HANDLE:
        return "ERROR_INVALID_HANDLE";
    case ERROR_OUTOFMEMORY:
        return "ERROR_OUTOFMEMORY";
    case ERROR_INVALID_PARAMETER:
        return "ERROR_INVALID_PARAMETER";
    case ERROR_MORE_DATA:
        return "ERROR_MORE_DATA";
    case ERROR_NO_MORE_ITEMS:
        return "ERROR_NO_MORE_ITEMS";
    case ERROR_CANTWRITE:
        return "ERROR_CANTWRITE";
    case ERROR_REGISTRY_IO_FAILED:
        return "ERROR_REGISTRY_IO_FAILED";
    default:
        return std::to_string(status);
    }
}

} // namespace tavigp
