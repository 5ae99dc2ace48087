// The SQLite store behind the registry: the file's location, per-thread connections, the schema, the key and value
// operations, atomic units with retry, and transaction scopes.
#include "platform/RegistryStore.h"

#include "platform/Registry.h"

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavi::registry {

namespace {

// How long one statement waits for another writer before it reports the store busy. The outermost unit then retries
// a few times, so two processes registering at once both get through.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kAttempts = 6;
// The schema version this code writes; a store with a newer one is refused rather than misread.
constexpr int kFormat = 1;

struct FileState {
    std::mutex mutex;
    std::string path;
    bool chosen = false;
    bool makeFolders = false; // only the default location in the user's configuration folder is made on demand
    std::atomic<uint64_t> generation{1};
};

FileState& State() {
    static FileState state;
    return state;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

// TAVI_REGISTRY, else the user's configuration folder. XDG_CONFIG_HOME counts only when absolute, as its
// convention says. A file named explicitly must be in an existing folder; the configuration folder is made.
void ChooseDefault(FileState& state) {
    state.chosen = true;
    if (const char* file = std::getenv("TAVI_REGISTRY"); file && *file) {
        state.path = file;
        state.makeFolders = false;
        return;
    }
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else
        config = HomeFolder() + "/.config";
    state.path = config + "/tavi/registry.db";
    state.makeFolders = true;
}

// Creates the missing folders above `file`, owner-only, as the store holds the user's settings.
void EnsureFolder(const std::string& file) {
    size_t slash = file.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return;
    std::string folder = file.substr(0, slash);
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/')
            continue;
        std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return; // sqlite3_open reports the failure
    }
}

[[noreturn]] void Fail(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw StoreError{ERROR_REGISTRY_IO_FAILED, true};
    case SQLITE_NOMEM:
        throw std::bad_alloc();
    case SQLITE_FULL:
    case SQLITE_READONLY:
        throw StoreError{ERROR_CANTWRITE};
    default:
        throw StoreError{ERROR_REGISTRY_IO_FAILED};
    }
}

void Check(int rc) {
    if (rc != SQLITE_OK)
        Fail(rc);
}

// A cached statement in use: resets itself when the step is done.
class Stmt {
public:
    explicit Stmt(sqlite3_stmt* stmt) : s_(stmt) {}
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    ~Stmt() { Reset(); }

    void Reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }

    Stmt& Bind(int index, int64_t value) {
        Check(sqlite3_bind_int64(s_, index, value));
        return *this;
    }
    Stmt& Bind(int index, const std::string& text) {
        Check(sqlite3_bind_text(s_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Stmt& BindBytes(int index, const std::vector<uint8_t>& bytes) {
        // A zero-length blob still needs a non-null pointer, or SQLite stores NULL.
        static const uint8_t kNone = 0;
        const void* data = bytes.empty() ? &kNone : bytes.data();
        Check(sqlite3_bind_blob(s_, index, data, static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True while a row is available.
    bool Step() {
        int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        Fail(rc);
    }
    void Run() {
        while (Step()) {
        }
    }
    int64_t Int(int column) { return sqlite3_column_int64(s_, column); }
    std::string Text(int column) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
        return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(s_, column))) : std::string();
    }
    std::vector<uint8_t> Bytes(int column) {
        const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(s_, column));
        int size = sqlite3_column_bytes(s_, column);
        return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
    }

private:
    sqlite3_stmt* s_;
};

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    UNIQUE(parent, fold));
CREATE TABLE IF NOT EXISTS vals(
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, fold)) WITHOUT ROWID;
INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES
    (1, 0, 'HKEY_CLASSES_ROOT', 'hkey_classes_root'),
    (2, 0, 'HKEY_CURRENT_USER', 'hkey_current_user');
PRAGMA user_version = 1;
)sql";

void BackOff(int attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10 * attempt));
}

} // namespace

std::string FoldName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string StoreFilePath() {
    FileState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.chosen)
        ChooseDefault(state);
    return state.path;
}

// The file to open, and whether its folder may be made.
static std::string FileToOpen(bool* makeFolders) {
    FileState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.chosen)
        ChooseDefault(state);
    *makeFolders = state.makeFolders;
    return state.path;
}

void SetStoreFilePath(const std::string& path) {
    FileState& state = State();
    std::lock_guard lock(state.mutex);
    if (path.empty()) {
        ChooseDefault(state);
    } else {
        state.path = path;
        state.makeFolders = false;
        state.chosen = true;
    }
    ++state.generation;
}

// The thread's session lives in thread-local storage and closes its connection when the thread ends.
struct SessionHolder {
    Session session;
};

Session::~Session() {
    Disconnect();
}

uint64_t Session::Generation() {
    return State().generation.load();
}

Session& Session::Current() {
    thread_local SessionHolder holder;
    Session& session = holder.session;
    if (session.db_ && session.depth_ == 0) {
        if (session.pid_ != static_cast<long>(::getpid())) {
            // A connection inherited through fork belongs to the parent: using or even closing it here could
            // disturb the parent's locks, so the child forgets it and opens its own.
            session.db_ = nullptr;
            session.statements_.clear();
        } else if (session.generation_ != Generation()) {
            session.Disconnect();
        }
    }
    if (!session.db_)
        session.Connect();
    return session;
}

void Session::Connect() {
    generation_ = Generation();
    bool makeFolders = false;
    std::string path = FileToOpen(&makeFolders);
    if (makeFolders)
        EnsureFolder(path);
    int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    pid_ = static_cast<long>(::getpid());
    if (rc != SQLITE_OK) {
        Disconnect();
        throw StoreError{ERROR_REGISTRY_IO_FAILED};
    }
    try {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        {
            // Write-ahead logging lets readers go on while another process writes.
            Stmt mode(Prepare("PRAGMA journal_mode=WAL"));
            mode.Run();
        }
        Exec("PRAGMA synchronous=NORMAL");
        CreateSchema();
    } catch (...) {
        Disconnect();
        throw;
    }
}

void Session::Disconnect() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    statements_.clear();
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    depth_ = 0;
}

void Session::CreateSchema() {
    int64_t format = 0;
    bool present = false;
    {
        Stmt version(Prepare("PRAGMA user_version"));
        if (version.Step())
            format = version.Int(0);
    }
    {
        Stmt table(Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'keys'"));
        present = table.Step();
    }
    if (format > kFormat)
        throw StoreError{ERROR_REGISTRY_IO_FAILED};
    if (present && format == kFormat)
        return;
    Exec("BEGIN IMMEDIATE");
    try {
        Exec(kSchema);
        Exec("COMMIT");
    } catch (...) {
        RollbackQuietly();
        throw;
    }
}

void Session::Exec(const char* sql) {
    Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

sqlite3_stmt* Session::Prepare(const char* sql) {
    for (auto& [text, stmt] : statements_)
        if (text == sql || std::strcmp(text, sql) == 0)
            return stmt;
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr));
    statements_.emplace_back(sql, stmt);
    return stmt;
}

void Session::BeginOutermost(bool write) {
    Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
}

void Session::CommitOutermost() {
    // A failed statement may already have ended the transaction; then nothing of it is kept.
    if (sqlite3_get_autocommit(db_))
        throw StoreError{ERROR_REGISTRY_IO_FAILED};
    int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        RollbackQuietly();
        Fail(rc);
    }
}

void Session::RollbackQuietly() {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Session::Savepoint() {
    Exec("SAVEPOINT tavi_unit");
}
void Session::ReleaseSavepoint() {
    Exec("RELEASE tavi_unit");
}
void Session::RollbackSavepoint() {
    if (sqlite3_get_autocommit(db_))
        return;
    sqlite3_exec(db_, "ROLLBACK TO tavi_unit", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "RELEASE tavi_unit", nullptr, nullptr, nullptr);
}

std::optional<KeyId> Session::FindChild(KeyId parent, const std::string& name) {
    Stmt find(Prepare("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2"));
    find.Bind(1, parent).Bind(2, FoldName(name));
    if (find.Step())
        return find.Int(0);
    return std::nullopt;
}

KeyId Session::CreateChild(KeyId parent, const std::string& name, bool* created) {
    if (auto existing = FindChild(parent, name)) {
        *created = false;
        return *existing;
    }
    Stmt insert(Prepare("INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)"));
    insert.Bind(1, parent).Bind(2, name).Bind(3, FoldName(name)).Run();
    *created = true;
    return sqlite3_last_insert_rowid(db_);
}

bool Session::KeyExists(KeyId key) {
    Stmt find(Prepare("SELECT 1 FROM keys WHERE id = ?1"));
    find.Bind(1, key);
    return find.Step();
}

bool Session::HasChildren(KeyId key) {
    Stmt find(Prepare("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1"));
    find.Bind(1, key);
    return find.Step();
}

std::optional<std::string> Session::ChildAt(KeyId key, int64_t index) {
    Stmt find(Prepare("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2"));
    find.Bind(1, key).Bind(2, index);
    if (find.Step())
        return find.Text(0);
    return std::nullopt;
}

void Session::DeleteKey(KeyId key) {
    Stmt values(Prepare("DELETE FROM vals WHERE key = ?1"));
    values.Bind(1, key).Run();
    Stmt self(Prepare("DELETE FROM keys WHERE id = ?1"));
    self.Bind(1, key).Run();
}

void Session::DeleteTree(KeyId key, bool keepKey) {
    // Values first, then keys, both over the whole subtree; inside one unit the order is not observable.
    Stmt values(Prepare("WITH RECURSIVE sub(id) AS (SELECT id FROM keys WHERE parent = ?1 "
                        "UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "
                        "DELETE FROM vals WHERE key IN (SELECT id FROM sub) OR key = ?1"));
    values.Bind(1, key).Run();
    Stmt keys(Prepare("WITH RECURSIVE sub(id) AS (SELECT id FROM keys WHERE parent = ?1 "
                      "UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "
                      "DELETE FROM keys WHERE id IN (SELECT id FROM sub)"));
    keys.Bind(1, key).Run();
    if (!keepKey) {
        Stmt self(Prepare("DELETE FROM keys WHERE id = ?1"));
        self.Bind(1, key).Run();
    }
}

std::optional<ValueData> Session::GetValue(KeyId key, const std::string& name) {
    Stmt find(Prepare("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2"));
    find.Bind(1, key).Bind(2, FoldName(name));
    if (!find.Step())
        return std::nullopt;
    return ValueData{static_cast<DWORD>(find.Int(0)), find.Bytes(1)};
}

void Session::SetValue(KeyId key, const std::string& name, const ValueData& data) {
    // A value written again under another letter case keeps the name it was first written with.
    Stmt update(Prepare("UPDATE vals SET type = ?3, data = ?4 WHERE key = ?1 AND fold = ?2"));
    update.Bind(1, key).Bind(2, FoldName(name)).Bind(3, data.type).BindBytes(4, data.bytes).Run();
    if (sqlite3_changes(db_) > 0)
        return;
    Stmt insert(Prepare("INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"));
    insert.Bind(1, key).Bind(2, name).Bind(3, FoldName(name)).Bind(4, data.type).BindBytes(5, data.bytes).Run();
}

bool Session::DeleteValue(KeyId key, const std::string& name) {
    Stmt erase(Prepare("DELETE FROM vals WHERE key = ?1 AND fold = ?2"));
    erase.Bind(1, key).Bind(2, FoldName(name)).Run();
    return sqlite3_changes(db_) > 0;
}

std::optional<NamedValue> Session::ValueAt(KeyId key, int64_t index) {
    Stmt find(Prepare("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY fold LIMIT 1 OFFSET ?2"));
    find.Bind(1, key).Bind(2, index);
    if (!find.Step())
        return std::nullopt;
    return NamedValue{find.Text(0), ValueData{static_cast<DWORD>(find.Int(1)), find.Bytes(2)}};
}

std::vector<std::pair<KeyId, std::string>> Session::Children(KeyId key) {
    std::vector<std::pair<KeyId, std::string>> children;
    Stmt find(Prepare("SELECT id, name FROM keys WHERE parent = ?1 ORDER BY fold"));
    find.Bind(1, key);
    while (find.Step())
        children.emplace_back(find.Int(0), find.Text(1));
    return children;
}

std::vector<NamedValue> Session::Values(KeyId key) {
    std::vector<NamedValue> values;
    Stmt find(Prepare("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY fold"));
    find.Bind(1, key);
    while (find.Step())
        values.push_back(NamedValue{find.Text(0), ValueData{static_cast<DWORD>(find.Int(1)), find.Bytes(2)}});
    return values;
}

std::string Session::PathOf(KeyId key) {
    std::string path;
    Stmt find(Prepare("SELECT parent, name FROM keys WHERE id = ?1"));
    for (KeyId at = key;;) {
        find.Bind(1, at);
        if (!find.Step())
            throw StoreError{ERROR_FILE_NOT_FOUND};
        KeyId parent = find.Int(0);
        std::string name = find.Text(1);
        find.Reset();
        if (parent == 0)
            return path;
        path = path.empty() ? name : name + "\\" + path;
        at = parent;
    }
}

std::string Session::IntegrityCheck() {
    Stmt check(Prepare("PRAGMA integrity_check"));
    std::string first = check.Step() ? check.Text(0) : std::string("no answer");
    return first;
}

namespace {

// Runs the body of a unit whose transaction or savepoint is already begun, counted as one more open scope while it
// runs. `keep` ends the unit after a success; `undo` after a failure, and after an exception, which goes on to the
// caller.
LSTATUS RunBegunUnit(Session& session, LSTATUS (*call)(void*, Session&), void* body, void (Session::*keep)(),
                     void (Session::*undo)()) {
    session.EnterScope();
    LSTATUS status;
    try {
        status = call(body, session);
    } catch (...) {
        session.LeaveScope();
        (session.*undo)();
        throw;
    }
    session.LeaveScope();
    if (status == ERROR_SUCCESS)
        (session.*keep)();
    else
        (session.*undo)();
    return status;
}

} // namespace

LSTATUS RunUnitImpl(bool write, LSTATUS (*call)(void*, Session&), void* body) noexcept {
    try {
        for (int attempt = 1;; ++attempt) {
            Session* session = nullptr;
            try {
                session = &Session::Current();
                if (session->InTransaction()) {
                    // Inside a scope: a savepoint makes this unit atomic without ending the scope's transaction.
                    session->Savepoint();
                    return RunBegunUnit(*session, call, body, &Session::ReleaseSavepoint, &Session::RollbackSavepoint);
                }
                session->BeginOutermost(write);
                return RunBegunUnit(*session, call, body, &Session::CommitOutermost, &Session::RollbackQuietly);
            } catch (const StoreError& error) {
                bool retry = error.busy && attempt < kAttempts && !(session && session->InTransaction());
                if (!retry)
                    return error.status;
                BackOff(attempt);
            }
        }
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

} // namespace tavi::registry

namespace tavi {

using registry::Session;
using registry::StoreError;

RegistryTransaction::RegistryTransaction() : status_(ERROR_SUCCESS) {
    try {
        for (int attempt = 1;; ++attempt) {
            Session* session = nullptr;
            try {
                session = &Session::Current();
                if (session->InTransaction())
                    session->Savepoint();
                else
                    session->BeginOutermost(true);
                session->EnterScope();
                open_ = true;
                return;
            } catch (const StoreError& error) {
                if (!error.busy || attempt == registry::kAttempts || (session && session->InTransaction())) {
                    status_ = error.status;
                    return;
                }
                registry::BackOff(attempt);
            }
        }
    } catch (const std::bad_alloc&) {
        status_ = ERROR_OUTOFMEMORY;
    } catch (...) {
        status_ = ERROR_REGISTRY_IO_FAILED;
    }
}

RegistryTransaction::~RegistryTransaction() {
    if (open_)
        End(false);
}

LSTATUS RegistryTransaction::Commit() {
    if (!open_)
        return status_ == ERROR_SUCCESS ? ERROR_INVALID_PARAMETER : status_;
    End(true);
    return status_;
}

void RegistryTransaction::End(bool commit) {
    open_ = false;
    try {
        Session& session = Session::Current();
        session.LeaveScope();
        if (session.InTransaction()) {
            if (commit)
                session.ReleaseSavepoint();
            else
                session.RollbackSavepoint();
        } else if (commit) {
            session.CommitOutermost();
        } else {
            session.RollbackQuietly();
        }
    } catch (const StoreError& error) {
        status_ = error.status;
    } catch (const std::bad_alloc&) {
        status_ = ERROR_OUTOFMEMORY;
    } catch (...) {
        status_ = ERROR_REGISTRY_IO_FAILED;
    }
}

} // namespace tavi
