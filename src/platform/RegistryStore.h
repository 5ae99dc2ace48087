// The SQLite store behind the registry: one connection per thread onto the process's store file, keys as rows with
// a parent, values as typed byte strings. Every operation runs inside RunRead/RunWrite, which make it one atomic
// unit (its own transaction, or a savepoint inside an open RegistryTransaction) and retry it when another process
// holds the write lock. Nothing here throws past RunRead/RunWrite: SQLite failures become registry error numbers.
#pragma once

#include "tavi/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tavi::registry {

using KeyId = int64_t;

// Row identifiers of the two roots; created with the schema and never deleted.
constexpr KeyId kClassesRootId = 1;
constexpr KeyId kCurrentUserId = 2;

// A failure inside the store. `busy` marks a lock held by someone else, which the outermost operation retries.
struct StoreError {
    LSTATUS status;
    bool busy = false;
};

struct ValueData {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
};

struct NamedValue {
    std::string name; // UTF-8, as written
    ValueData data;
};

// The calling thread's connection and the operations on it. Names are UTF-8 and compared without regard to ASCII
// letter case. Operations throw StoreError; call them only from a body run by RunRead/RunWrite.
class Session {
public:
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    // The calling thread's session, connected to the current store file (reconnecting when the file changed or the
    // process forked). Throws StoreError when the store cannot be opened.
    static Session& Current();
    // The generation of the store file; handles remember it so that a handle into an earlier file is refused.
    static uint64_t Generation();

    std::optional<KeyId> FindChild(KeyId parent, const std::string& name);
    // Creates the child unless it exists; true in `created` when it was made now.
    KeyId CreateChild(KeyId parent, const std::string& name, bool* created);
    bool KeyExists(KeyId key);
    bool HasChildren(KeyId key);
    // The index-th child name in case-insensitive name order; nothing past the end.
    std::optional<std::string> ChildAt(KeyId key, int64_t index);
    // Deletes one key without children, and its values.
    void DeleteKey(KeyId key);
    // Deletes everything below `key`; the key itself too unless `keepKey`.
    void DeleteTree(KeyId key, bool keepKey);

    std::optional<ValueData> GetValue(KeyId key, const std::string& name);
    void SetValue(KeyId key, const std::string& name, const ValueData& data);
    bool DeleteValue(KeyId key, const std::string& name);
    std::optional<NamedValue> ValueAt(KeyId key, int64_t index);
    // All children (identifier and name) and all values of a key, in name order; for listings.
    std::vector<std::pair<KeyId, std::string>> Children(KeyId key);
    std::vector<NamedValue> Values(KeyId key);

    // Full path text of a key below its root ("CLSID\{...}"), for listings.
    std::string PathOf(KeyId key);
    // "ok" when the file passes SQLite's integrity check, else the first problem found.
    std::string IntegrityCheck();

    // Transaction machinery used by RunRead/RunWrite and RegistryTransaction.
    bool InTransaction() const { return depth_ > 0; }
    uint64_t ConnectedGeneration() const { return generation_; }
    void BeginOutermost(bool write);
    void CommitOutermost();
    void RollbackQuietly();
    void Savepoint();
    void ReleaseSavepoint();
    void RollbackSavepoint();
    void EnterScope() { ++depth_; }
    void LeaveScope() { --depth_; }

private:
    Session() = default;
    void Connect();
    void Disconnect();
    void CreateSchema();
    void Exec(const char* sql);
    sqlite3_stmt* Prepare(const char* sql);

    sqlite3* db_ = nullptr;
    uint64_t generation_ = 0;
    long pid_ = 0;
    int depth_ = 0; // open transaction scopes plus running operations
    std::vector<std::pair<const char*, sqlite3_stmt*>> statements_;

    friend struct SessionHolder;
};

// Runs `body(Session&)` (returning LSTATUS) as one atomic unit. A body that returns a failure has its changes
// undone. Outside a transaction scope the unit is retried while another process holds the lock; inside one it is a
// savepoint of the scope's transaction.
LSTATUS RunUnitImpl(bool write, LSTATUS (*call)(void*, Session&), void* body) noexcept;

template <class F> LSTATUS RunUnit(bool write, F& body) noexcept {
    auto call = [](void* context, Session& session) -> LSTATUS { return (*static_cast<F*>(context))(session); };
    return RunUnitImpl(write, call, static_cast<void*>(&body));
}

template <class F> LSTATUS RunRead(F body) noexcept {
    return RunUnit(false, body);
}
template <class F> LSTATUS RunWrite(F body) noexcept {
    return RunUnit(true, body);
}

// The store file in use and switching to another one (tests, tools). An empty path goes back to the default.
std::string StoreFilePath();
void SetStoreFilePath(const std::string& path);

// Folds ASCII letters to lower case, the comparison key of key and value names.
std::string FoldName(const std::string& name);

} // namespace tavi::registry
