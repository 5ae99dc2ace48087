// The Reg* functions over the store: handles, argument checks, key paths, the platform's buffer rules; and the
// library's own single-value helpers, store switching, integrity check and dump.
#include "platform/Registry.h"

#include "platform/RegistryStore.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

using tavi::registry::KeyId;
using tavi::registry::NamedValue;
using tavi::registry::RunRead;
using tavi::registry::RunWrite;
using tavi::registry::Session;
using tavi::registry::ValueData;

// What an HKEY handed out by RegCreateKeyExW/RegOpenKeyExW points at: the key's row, the rights it was opened with,
// and the store file it belongs to. A handle keeps naming the same key even when another key of the same name
// replaces it; once its key is deleted every operation through it fails with ERROR_FILE_NOT_FOUND.
struct RegistryKey {
    KeyId id;
    REGSAM access;
    uint64_t generation;
};

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxPathDepth = 512;

// Live handles. A pointer the registry did not hand out (or has closed) is recognised without being touched.
struct HandleTable {
    std::mutex mutex;
    std::unordered_set<RegistryKey*> live;
};

HandleTable& Handles() {
    static auto* table = new HandleTable; // outlives every static destructor that might still close a key
    return *table;
}

// A resolved handle: a copy, so that a concurrent RegCloseKey cannot pull it away during the call.
struct KeyRef {
    KeyId id;
    REGSAM access;
};

LSTATUS Resolve(HKEY key, REGSAM needed, KeyRef* out) {
    if (key == HKEY_CLASSES_ROOT) {
        *out = {tavi::registry::kClassesRootId, KEY_ALL_ACCESS};
    } else if (key == HKEY_CURRENT_USER) {
        *out = {tavi::registry::kCurrentUserId, KEY_ALL_ACCESS};
    } else {
        HandleTable& table = Handles();
        std::lock_guard lock(table.mutex);
        if (!key || !table.live.count(key))
            return ERROR_INVALID_HANDLE;
        if (key->generation != Session::Generation())
            return ERROR_INVALID_HANDLE; // a handle into a store file no longer in use
        *out = {key->id, key->access};
    }
    if ((out->access & needed) != needed)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

HKEY NewHandle(KeyId id, REGSAM access, uint64_t generation) {
    auto* key = new RegistryKey{id, access, generation};
    HandleTable& table = Handles();
    std::lock_guard lock(table.mutex);
    try {
        table.live.insert(key);
    } catch (...) {
        delete key;
        throw;
    }
    return key;
}

// UTF-16 with every surrogate paired: names must convert to the store's UTF-8 without loss.
bool WellFormed(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

// Splits "A\B\C" into names. Null or empty: the key itself. A single trailing backslash is tolerated; a leading one,
// an empty name in between, an over-long name or ill-formed text is refused.
LSTATUS SplitPath(std::u16string_view path, std::vector<std::string>* parts) {
    parts->clear();
    if (!path.empty() && path.back() == u'\\')
        path.remove_suffix(1);
    if (path.empty())
        return ERROR_SUCCESS;
    if (!WellFormed(path))
        return ERROR_INVALID_PARAMETER;
    size_t start = 0;
    for (;;) {
        size_t end = path.find(u'\\', start);
        std::u16string_view part = path.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (part.empty() || part.size() > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        parts->push_back(tavi::ToUtf8(part));
        if (parts->size() > kMaxPathDepth)
            return ERROR_INVALID_PARAMETER;
        if (end == std::u16string_view::npos)
            return ERROR_SUCCESS;
        start = end + 1;
    }
}

// The key a call starts from and the parts of the path below it: the first step of every call that names a subkey.
LSTATUS ResolveSubKey(HKEY parent, std::u16string_view subKey, KeyRef* from, std::vector<std::string>* parts) {
    if (LSTATUS status = Resolve(parent, 0, from))
        return status;
    return SplitPath(subKey, parts);
}

LSTATUS ResolveSubKey(HKEY parent, const OLECHAR* subKey, KeyRef* from, std::vector<std::string>* parts) {
    return ResolveSubKey(parent, subKey ? std::u16string_view(subKey) : std::u16string_view(), from, parts);
}

// A value name; null or empty is the default value.
LSTATUS ValueName(std::u16string_view name, std::string* out) {
    if (name.size() > kMaxValueNameLength || !WellFormed(name))
        return ERROR_INVALID_PARAMETER;
    *out = tavi::ToUtf8(name);
    return ERROR_SUCCESS;
}

// The key and value name a value operation works on: the key resolved with the `needed` rights, the name checked
// (a null name is the default value).
LSTATUS ResolveValue(HKEY key, REGSAM needed, std::u16string_view valueName, KeyRef* target, std::string* name) {
    if (LSTATUS status = Resolve(key, needed, target))
        return status;
    return ValueName(valueName, name);
}

LSTATUS ResolveValue(HKEY key, REGSAM needed, const OLECHAR* valueName, KeyRef* target, std::string* name) {
    return ResolveValue(key, needed, valueName ? std::u16string_view(valueName) : std::u16string_view(), target, name);
}

// Reads one item of the key `key` in one unit: `find(session)` gives it as a std::optional. ERROR_FILE_NOT_FOUND
// when the key has been deleted, `missing` when there is no such item.
template <class T, class Find> LSTATUS ReadFromKey(KeyId key, LSTATUS missing, T* item, Find find) {
    return RunRead([&](Session& session) -> LSTATUS {
        if (!session.KeyExists(key))
            return ERROR_FILE_NOT_FOUND;
        auto found = find(session);
        if (!found)
            return missing;
        *item = std::move(*found);
        return ERROR_SUCCESS;
    });
}

// Follows `parts` down from `from`; ERROR_FILE_NOT_FOUND when a key is missing (or `from` itself was deleted).
LSTATUS Walk(Session& session, KeyId from, const std::vector<std::string>& parts, KeyId* found) {
    if (!session.KeyExists(from))
        return ERROR_FILE_NOT_FOUND;
    KeyId at = from;
    for (const std::string& part : parts) {
        auto child = session.FindChild(at, part);
        if (!child)
            return ERROR_FILE_NOT_FOUND;
        at = *child;
    }
    *found = at;
    return ERROR_SUCCESS;
}

// Creates what is missing of `parts` below `from`. `created` tells whether the last key was made now.
LSTATUS WalkCreating(Session& session, const KeyRef& from, const std::vector<std::string>& parts, KeyId* found,
                     bool* created) {
    if (!session.KeyExists(from.id))
        return ERROR_FILE_NOT_FOUND;
    KeyId at = from.id;
    *created = false;
    for (const std::string& part : parts) {
        if (auto child = session.FindChild(at, part)) {
            at = *child;
            *created = false;
            continue;
        }
        if (!(from.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        at = session.CreateChild(at, part, created);
    }
    *found = at;
    return ERROR_SUCCESS;
}

// REG_SZ is stored with exactly the caller's code units plus a terminating zero when the caller left it out, so
// that every reader gets a terminated text. REG_DWORD is exactly four bytes.
LSTATUS MakeValue(DWORD type, const uint8_t* data, DWORD size, ValueData* value) {
    if (!data && size != 0)
        return ERROR_INVALID_PARAMETER;
    value->type = type;
    value->bytes.assign(data, data + size);
    if (type == REG_SZ) {
        if (size % 2 != 0)
            return ERROR_INVALID_PARAMETER;
        if (size < 2 || data[size - 1] != 0 || data[size - 2] != 0)
            value->bytes.insert(value->bytes.end(), {0, 0});
    } else if (type == REG_DWORD && size != 4) {
        return ERROR_INVALID_PARAMETER;
    }
    return ERROR_SUCCESS;
}

// Copies a name into a caller's buffer of `*length` characters. On success `*length` is the name's length without
// the terminating zero; when the buffer is short it is the buffer size needed, terminating zero included.
LSTATUS CopyName(const std::string& utf8, OLECHAR* buffer, DWORD* length) {
    std::u16string name = tavi::FromUtf8(utf8);
    if (*length < name.size() + 1) {
        *length = static_cast<DWORD>(name.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.data(), name.size() * sizeof(OLECHAR));
    buffer[name.size()] = 0;
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LSTATUS CaughtStatus() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

// Creates or opens a key; the one body of RegCreateKeyExW and RegOpenKeyExW.
LSTATUS OpenKey(HKEY parent, const OLECHAR* subKey, REGSAM access, bool create, HKEY* result, DWORD* disposition) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyRef from{};
    std::vector<std::string> parts;
    if (LSTATUS status = ResolveSubKey(parent, subKey, &from, &parts))
        return status;
    KeyId found = 0;
    bool created = false;
    uint64_t generation = 0;
    auto body = [&](Session& session) -> LSTATUS {
        generation = session.ConnectedGeneration();
        return create ? WalkCreating(session, from, parts, &found, &created) : Walk(session, from.id, parts, &found);
    };
    LSTATUS status = create ? RunWrite(body) : RunRead(body);
    if (status != ERROR_SUCCESS)
        return status;
    *result = NewHandle(found, access, generation);
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// Reads one value of the key at `path` below `parent`, in one unit.
LSTATUS ReadValue(HKEY parent, std::u16string_view path, std::u16string_view name, ValueData* value) {
    KeyRef from{};
    std::string valueName;
    std::vector<std::string> parts;
    if (LSTATUS status = ResolveValue(parent, 0, name, &from, &valueName))
        return status;
    if (LSTATUS status = SplitPath(path, &parts))
        return status;
    return RunRead([&](Session& session) -> LSTATUS {
        KeyId key = 0;
        if (LSTATUS status = Walk(session, from.id, parts, &key))
            return status;
        auto found = session.GetValue(key, valueName);
        if (!found)
            return ERROR_FILE_NOT_FOUND;
        *value = std::move(*found);
        return ERROR_SUCCESS;
    });
}

// Writes one value, creating the key at `path` below `parent` as needed, in one unit.
LSTATUS WriteValue(HKEY parent, std::u16string_view path, std::u16string_view name, const ValueData& value) {
    KeyRef from{};
    std::string valueName;
    std::vector<std::string> parts;
    if (LSTATUS status = ResolveValue(parent, KEY_SET_VALUE, name, &from, &valueName))
        return status;
    if (LSTATUS status = SplitPath(path, &parts))
        return status;
    return RunWrite([&](Session& session) -> LSTATUS {
        KeyId key = 0;
        bool created = false;
        if (LSTATUS status = WalkCreating(session, from, parts, &key, &created))
            return status;
        session.SetValue(key, valueName, value);
        return ERROR_SUCCESS;
    });
}

void DumpValue(const NamedValue& value, std::string* text) {
    *text += value.name.empty() ? std::string("@") : "\"" + value.name + "\"";
    const auto& bytes = value.data.bytes;
    char number[32];
    if (value.data.type == REG_SZ) {
        std::u16string units(bytes.size() / 2, u'\0');
        std::memcpy(units.data(), bytes.data(), units.size() * 2);
        if (!units.empty() && units.back() == 0)
            units.pop_back();
        *text += " REG_SZ \"" + tavi::ToUtf8(units) + "\"\n";
        return;
    }
    if (value.data.type == REG_DWORD && bytes.size() == 4) {
        DWORD dword;
        std::memcpy(&dword, bytes.data(), 4);
        std::snprintf(number, sizeof number, " REG_DWORD 0x%08x\n", dword);
        *text += number;
        return;
    }
    std::snprintf(number, sizeof number, " type %u hex:", value.data.type);
    *text += number;
    for (uint8_t byte : bytes) {
        std::snprintf(number, sizeof number, " %02x", byte);
        *text += number;
    }
    *text += "\n";
}

void DumpKey(Session& session, KeyId key, const std::string& path, std::string* text) {
    *text += "[" + path + "]\n";
    for (const NamedValue& value : session.Values(key))
        DumpValue(value, text);
    for (const auto& [child, name] : session.Children(key))
        DumpKey(session, child, path + "\\" + name, text);
}

} // namespace

extern "C" {

LSTATUS RegCreateKeyExW(HKEY parent, const OLECHAR* subKey, DWORD reserved, OLECHAR* keyClass, DWORD options,
                        REGSAM access, void* security, HKEY* result, DWORD* disposition) {
    try {
        if (options != REG_OPTION_NON_VOLATILE)
            return ERROR_INVALID_PARAMETER;
        return OpenKey(parent, subKey, access, true, result, disposition);
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegOpenKeyExW(HKEY parent, const OLECHAR* subKey, DWORD options, REGSAM access, HKEY* result) {
    try {
        return OpenKey(parent, subKey, access, false, result, nullptr);
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    HandleTable& table = Handles();
    {
        std::lock_guard lock(table.mutex);
        if (!key || table.live.erase(key) == 0)
            return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, const OLECHAR* valueName, DWORD reserved, DWORD type, const uint8_t* data,
                       DWORD size) {
    try {
        KeyRef target{};
        std::string name;
        if (LSTATUS status = ResolveValue(key, KEY_SET_VALUE, valueName, &target, &name))
            return status;
        ValueData value;
        if (LSTATUS status = MakeValue(type, data, size, &value))
            return status;
        return RunWrite([&](Session& session) -> LSTATUS {
            if (!session.KeyExists(target.id))
                return ERROR_FILE_NOT_FOUND;
            session.SetValue(target.id, name, value);
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegQueryValueExW(HKEY key, const OLECHAR* valueName, DWORD* reserved, DWORD* type, uint8_t* data, DWORD* size) {
    try {
        if (reserved || (data && !size))
            return ERROR_INVALID_PARAMETER;
        KeyRef target{};
        std::string name;
        if (LSTATUS status = ResolveValue(key, KEY_QUERY_VALUE, valueName, &target, &name))
            return status;
        ValueData value;
        LSTATUS status = ReadFromKey(target.id, ERROR_FILE_NOT_FOUND, &value,
                                     [&](Session& session) { return session.GetValue(target.id, name); });
        if (status != ERROR_SUCCESS)
            return status;
        if (type)
            *type = value.type;
        if (!size)
            return ERROR_SUCCESS;
        DWORD needed = static_cast<DWORD>(value.bytes.size());
        if (data && *size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (data && needed)
            std::memcpy(data, value.bytes.data(), needed);
        *size = needed;
        return ERROR_SUCCESS;
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegDeleteValueW(HKEY key, const OLECHAR* valueName) {
    try {
        KeyRef target{};
        std::string name;
        if (LSTATUS status = ResolveValue(key, KEY_SET_VALUE, valueName, &target, &name))
            return status;
        return RunWrite([&](Session& session) -> LSTATUS {
            if (!session.KeyExists(target.id))
                return ERROR_FILE_NOT_FOUND;
            return session.DeleteValue(target.id, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        });
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegDeleteKeyW(HKEY parent, const OLECHAR* subKey) {
    try {
        KeyRef from{};
        std::vector<std::string> parts;
        if (LSTATUS status = ResolveSubKey(parent, subKey, &from, &parts))
            return status;
        if (parts.empty())
            return ERROR_INVALID_PARAMETER; // a key is deleted through its parent, never through itself
        return RunWrite([&](Session& session) -> LSTATUS {
            KeyId key = 0;
            if (LSTATUS status = Walk(session, from.id, parts, &key))
                return status;
            if (session.HasChildren(key))
                return ERROR_ACCESS_DENIED;
            session.DeleteKey(key);
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegDeleteTreeW(HKEY parent, const OLECHAR* subKey) {
    try {
        KeyRef from{};
        std::vector<std::string> parts;
        if (LSTATUS status = ResolveSubKey(parent, subKey, &from, &parts))
            return status;
        // Without a subkey the key itself stays and loses its subkeys and values.
        return RunWrite([&](Session& session) -> LSTATUS {
            KeyId key = 0;
            if (LSTATUS status = Walk(session, from.id, parts, &key))
                return status;
            session.DeleteTree(key, parts.empty());
            return ERROR_SUCCESS;
        });
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, OLECHAR* name, DWORD* nameLength, DWORD* reserved, OLECHAR* keyClass,
                      DWORD* classLength, void* lastWriteTime) {
    try {
        if (!name || !nameLength || reserved || (keyClass && !classLength))
            return ERROR_INVALID_PARAMETER;
        KeyRef target{};
        if (LSTATUS status = Resolve(key, KEY_ENUMERATE_SUB_KEYS, &target))
            return status;
        std::string child;
        LSTATUS status = ReadFromKey(target.id, ERROR_NO_MORE_ITEMS, &child,
                                     [&](Session& session) { return session.ChildAt(target.id, index); });
        if (status != ERROR_SUCCESS)
            return status;
        // Keys carry no class text; the last write time is not recorded and is left untouched.
        if (classLength) {
            if (keyClass && *classLength > 0)
                keyClass[0] = 0;
            *classLength = 0;
        }
        return CopyName(child, name, nameLength);
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, OLECHAR* name, DWORD* nameLength, DWORD* reserved, DWORD* type,
                      uint8_t* data, DWORD* dataSize) {
    try {
        if (!name || !nameLength || reserved || (data && !dataSize))
            return ERROR_INVALID_PARAMETER;
        KeyRef target{};
        if (LSTATUS status = Resolve(key, KEY_QUERY_VALUE, &target))
            return status;
        NamedValue value;
        LSTATUS status = ReadFromKey(target.id, ERROR_NO_MORE_ITEMS, &value,
                                     [&](Session& session) { return session.ValueAt(target.id, index); });
        if (status != ERROR_SUCCESS)
            return status;
        if (type)
            *type = value.data.type;
        DWORD needed = static_cast<DWORD>(value.data.bytes.size());
        bool dataShort = data && *dataSize < needed;
        LSTATUS named = CopyName(value.name, name, nameLength);
        if (dataSize)
            *dataSize = needed;
        if (named != ERROR_SUCCESS || dataShort)
            return ERROR_MORE_DATA;
        if (data && needed)
            std::memcpy(data, value.data.bytes.data(), needed);
        return ERROR_SUCCESS;
    } catch (...) {
        return CaughtStatus();
    }
}

} // extern "C"

namespace tavi {

LSTATUS RegistryReadString(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName,
                           std::u16string* text) {
    if (!text)
        return ERROR_INVALID_PARAMETER;
    try {
        ValueData value;
        if (LSTATUS status = ReadValue(parent, keyPath, valueName, &value))
            return status;
        if (value.type != REG_SZ)
            return ERROR_UNSUPPORTED_TYPE;
        std::u16string units(value.bytes.size() / 2, u'\0');
        std::memcpy(units.data(), value.bytes.data(), units.size() * 2);
        // The text ends at its terminating zero.
        units.resize(std::u16string_view(units.c_str()).size());
        *text = std::move(units);
        return ERROR_SUCCESS;
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegistryReadDword(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName, DWORD* value) {
    if (!value)
        return ERROR_INVALID_PARAMETER;
    try {
        ValueData data;
        if (LSTATUS status = ReadValue(parent, keyPath, valueName, &data))
            return status;
        if (data.type != REG_DWORD || data.bytes.size() != 4)
            return ERROR_UNSUPPORTED_TYPE;
        std::memcpy(value, data.bytes.data(), 4);
        return ERROR_SUCCESS;
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegistryWriteString(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName,
                            std::u16string_view text) {
    try {
        ValueData value;
        value.type = REG_SZ;
        value.bytes.resize((text.size() + 1) * 2, 0);
        std::memcpy(value.bytes.data(), text.data(), text.size() * 2);
        return WriteValue(parent, keyPath, valueName, value);
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS RegistryWriteDword(HKEY parent, std::u16string_view keyPath, std::u16string_view valueName, DWORD value) {
    try {
        ValueData data;
        data.type = REG_DWORD;
        data.bytes.resize(4);
        std::memcpy(data.bytes.data(), &value, 4);
        return WriteValue(parent, keyPath, valueName, data);
    } catch (...) {
        return CaughtStatus();
    }
}

bool RegistryKeyExists(HKEY parent, std::u16string_view keyPath) {
    try {
        KeyRef from{};
        std::vector<std::string> parts;
        if (ResolveSubKey(parent, keyPath, &from, &parts) != ERROR_SUCCESS)
            return false;
        return RunRead([&](Session& session) -> LSTATUS {
                   KeyId key = 0;
                   return Walk(session, from.id, parts, &key);
               }) == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

std::string RegistryFilePath() {
    return registry::StoreFilePath();
}

LSTATUS UseRegistryFile(const std::string& path) {
    try {
        registry::SetStoreFilePath(path);
        return RunRead([](Session&) -> LSTATUS { return ERROR_SUCCESS; });
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS CheckRegistryIntegrity(std::string* problem) {
    try {
        std::string answer;
        LSTATUS status = RunRead([&](Session& session) -> LSTATUS {
            answer = session.IntegrityCheck();
            return ERROR_SUCCESS;
        });
        if (status == ERROR_SUCCESS && answer != "ok")
            status = ERROR_REGISTRY_IO_FAILED;
        if (problem)
            *problem = status == ERROR_SUCCESS ? std::string() : answer.empty() ? "store cannot be read" : answer;
        return status;
    } catch (...) {
        return CaughtStatus();
    }
}

LSTATUS DumpRegistry(std::string* text, HKEY root) {
    if (!text)
        return ERROR_INVALID_PARAMETER;
    try {
        std::vector<std::pair<KeyId, std::string>> roots;
        if (!root || root == HKEY_CLASSES_ROOT)
            roots.emplace_back(registry::kClassesRootId, "HKEY_CLASSES_ROOT");
        if (!root || root == HKEY_CURRENT_USER)
            roots.emplace_back(registry::kCurrentUserId, "HKEY_CURRENT_USER");
        if (roots.empty())
            return ERROR_INVALID_HANDLE;
        std::string dump;
        LSTATUS status = RunRead([&](Session& session) -> LSTATUS {
            dump.clear();
            for (const auto& [id, name] : roots)
                DumpKey(session, id, name, &dump);
            return ERROR_SUCCESS;
        });
        if (status == ERROR_SUCCESS)
            *text = std::move(dump);
        return status;
    } catch (...) {
        return CaughtStatus();
    }
}

} // namespace tavi
