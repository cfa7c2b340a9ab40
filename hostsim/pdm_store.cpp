// The PDM database of the headless host (pdm_store.h) on SQLite.
#include "pdm_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace vexa::sim {

namespace {

constexpr const char *store_format = "vexa-pdm 1";

constexpr const char *schema = R"sql(
CREATE TABLE settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE folders(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES folders(id), name TEXT NOT NULL);
CREATE TABLE entries(seq INTEGER PRIMARY KEY AUTOINCREMENT, folder INTEGER NOT NULL REFERENCES folders(id),
                     child INTEGER REFERENCES folders(id), number TEXT);
CREATE TABLE users(id TEXT PRIMARY KEY, folder INTEGER NOT NULL REFERENCES folders(id));
CREATE TABLE item_types(seq INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT UNIQUE NOT NULL,
                        initial_revision TEXT NOT NULL, creatable INTEGER NOT NULL);
CREATE TABLE seed_parts(seq INTEGER PRIMARY KEY AUTOINCREMENT, type TEXT NOT NULL, name TEXT NOT NULL);
CREATE TABLE items(number TEXT PRIMARY KEY, type TEXT NOT NULL);
CREATE TABLE revisions(seq INTEGER PRIMARY KEY AUTOINCREMENT, number TEXT NOT NULL REFERENCES items(number),
                       revision TEXT NOT NULL, UNIQUE(number, revision));
CREATE TABLE files(number TEXT NOT NULL, revision TEXT NOT NULL, file_type TEXT NOT NULL, file_name TEXT NOT NULL,
                   local_path TEXT NOT NULL, PRIMARY KEY(number, revision, file_type, file_name));
CREATE TABLE counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL);
INSERT INTO folders(id, parent, name) VALUES (1, NULL, 'root');
INSERT INTO counters VALUES ('number', 0);
)sql";

// A prepared statement, finalised at scope end.
class Statement {
  public:
    Statement(sqlite3 *db, const char *sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw PdmStoreError(std::string("PDM store: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int i, const std::string &text)
    {
        sqlite3_bind_text(stmt_, i, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(int i, std::int64_t value)
    {
        sqlite3_bind_int64(stmt_, i, value);
        return *this;
    }
    // Steps once: true while a row is available.
    bool step()
    {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw PdmStoreError(std::string("PDM store: ") + sqlite3_errmsg(db_));
    }
    std::string text(int col)
    {
        auto *p = sqlite3_column_text(stmt_, col);
        return p ? reinterpret_cast<const char *>(p) : "";
    }
    std::int64_t integer(int col) { return sqlite3_column_int64(stmt_, col); }
    bool is_null(int col) { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }

  private:
    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
};

std::vector<std::string> column(sqlite3 *db, const char *sql, const std::string &arg)
{
    Statement s(db, sql);
    s.bind(1, arg);
    std::vector<std::string> out;
    while (s.step())
        out.push_back(s.text(0));
    return out;
}

} // namespace

bool pdm_clean_value(const std::string &value, bool required)
{
    if (required && value.empty())
        return false;
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7f || c == '/' || c == '|' || c == ':' || c == '"')
            return false;
    return true;
}

PdmStore::PdmStore(sqlite3 *db, std::string path) : db_(db), path_(std::move(path)) {}

PdmStore::~PdmStore()
{
    sqlite3_close(db_);
}

void PdmStore::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string why = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw PdmStoreError("PDM store: " + why);
    }
}

// Runs body in an immediate transaction: committed when it returns, rolled
// back when it throws.
template <class Body> auto PdmStore::transaction(Body &&body)
{
    exec("BEGIN IMMEDIATE");
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            exec("COMMIT");
        } else {
            auto result = body();
            exec("COMMIT");
            return result;
        }
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::unique_ptr<PdmStore> PdmStore::connect(const std::string &path, bool must_exist)
{
    sqlite3 *db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (must_exist ? 0 : SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw PdmStoreError("PDM store " + path + " cannot be opened: " + why);
    }
    sqlite3_busy_timeout(db, 10000);
    std::unique_ptr<PdmStore> store(new PdmStore(db, path));
    store->exec("PRAGMA foreign_keys = ON");
    return store;
}

std::unique_ptr<PdmStore> PdmStore::in_memory()
{
    auto store = connect(":memory:", false);
    store->transaction([&] {
        store->exec(schema);
        store->set_setting("format", store_format);
    });
    return store;
}

std::unique_ptr<PdmStore> PdmStore::create(const std::string &path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(path, ec))
        throw PdmStoreError("PDM store " + path + " exists already");
    std::string temporary = path + ".new-" + std::to_string(::getpid());
    fs::remove(temporary, ec);
    try {
        {
            auto store = connect(temporary, false);
            store->exec("PRAGMA journal_mode = DELETE");
            store->transaction([&] {
                store->exec(schema);
                store->set_setting("format", store_format);
            });
        }
        // Link rather than rename: a store made meanwhile by another process
        // is never replaced. Where the file system has no links, rename
        // after a last look.
        fs::create_hard_link(temporary, path, ec);
        if (ec == std::errc::file_exists)
            throw PdmStoreError("PDM store " + path + " exists already");
        if (ec) {
            if (fs::exists(path))
                throw PdmStoreError("PDM store " + path + " exists already");
            fs::rename(temporary, path);
        }
        fs::remove(temporary, ec);
    } catch (const fs::filesystem_error &e) {
        fs::remove(temporary, ec);
        throw PdmStoreError("PDM store " + path + " cannot be created: " + e.code().message());
    } catch (...) {
        fs::remove(temporary, ec);
        throw;
    }
    return open(path);
}

std::unique_ptr<PdmStore> PdmStore::open(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw PdmStoreError("PDM store " + path + " is not found");
    auto store = connect(path, true);
    std::string format;
    try {
        Statement s(store->db_, "SELECT value FROM settings WHERE key = 'format'");
        if (s.step())
            format = s.text(0);
    } catch (const PdmStoreError &) {
        format.clear();
    }
    if (format != store_format)
        throw PdmStoreError("PDM store " + path + " is not a PDM store (or is damaged)");
    return store;
}

std::string PdmStore::setting(const std::string &key)
{
    auto values = column(db_, "SELECT value FROM settings WHERE key = ?", key);
    return values.empty() ? std::string() : values.front();
}

void PdmStore::set_setting(const std::string &key, const std::string &value)
{
    Statement s(db_, "INSERT INTO settings(key, value) VALUES (?, ?) "
                     "ON CONFLICT(key) DO UPDATE SET value = excluded.value");
    s.bind(1, key).bind(2, value).step();
}

std::int64_t PdmStore::root_folder()
{
    return 1;
}

std::int64_t PdmStore::add_folder(std::int64_t parent, const std::string &name)
{
    if (!pdm_clean_value(name, true))
        throw PdmStoreError("PDM store: bad folder name \"" + name + "\"");
    return transaction([&] {
        if (!folder_exists(parent))
            throw PdmStoreError("PDM store: no such parent folder");
        Statement s(db_, "INSERT INTO folders(parent, name) VALUES (?, ?)");
        s.bind(1, parent).bind(2, name).step();
        std::int64_t id = sqlite3_last_insert_rowid(db_);
        Statement e(db_, "INSERT INTO entries(folder, child) VALUES (?, ?)");
        e.bind(1, parent).bind(2, id).step();
        return id;
    });
}

bool PdmStore::folder_exists(std::int64_t folder)
{
    Statement s(db_, "SELECT 1 FROM folders WHERE id = ?");
    s.bind(1, folder);
    return s.step();
}

std::vector<PdmEntry> PdmStore::entries(std::int64_t folder)
{
    Statement s(db_, "SELECT e.child, f.name, e.number FROM entries e LEFT JOIN folders f ON f.id = e.child "
                     "WHERE e.folder = ? ORDER BY e.seq");
    s.bind(1, folder);
    std::vector<PdmEntry> out;
    while (s.step()) {
        if (s.is_null(0))
            out.push_back({false, 0, s.text(2)});
        else
            out.push_back({true, s.integer(0), s.text(1)});
    }
    return out;
}

std::vector<std::string> PdmStore::folder_path(std::int64_t folder)
{
    std::vector<std::string> names;
    for (int depth = 0; folder != root_folder() && depth < 10000; ++depth) {
        Statement s(db_, "SELECT parent, name FROM folders WHERE id = ?");
        s.bind(1, folder);
        if (!s.step())
            return {};
        names.insert(names.begin(), s.text(1));
        folder = s.integer(0);
    }
    return names;
}

std::int64_t PdmStore::folder_at(const std::string &path)
{
    std::int64_t folder = root_folder();
    std::string piece;
    auto descend = [&] {
        Statement s(db_, "SELECT f.id FROM entries e JOIN folders f ON f.id = e.child "
                         "WHERE e.folder = ? AND f.name = ? ORDER BY e.seq LIMIT 1");
        s.bind(1, folder).bind(2, piece);
        folder = s.step() ? s.integer(0) : 0;
    };
    for (char c : path) {
        if (c == ':') {
            descend();
            if (!folder)
                return 0;
            piece.clear();
        } else {
            piece += c;
        }
    }
    descend();
    return folder;
}

std::int64_t PdmStore::add_user(const std::string &id)
{
    if (!pdm_clean_value(id, true))
        throw PdmStoreError("PDM store: bad user id \"" + id + "\"");
    if (std::int64_t existing = user_folder(id))
        return existing;
    return transaction([&] {
        Statement s(db_, "INSERT INTO folders(parent, name) VALUES (1, ?)");
        s.bind(1, id).step();
        std::int64_t folder = sqlite3_last_insert_rowid(db_);
        Statement e(db_, "INSERT INTO entries(folder, child) VALUES (1, ?)");
        e.bind(1, folder).step();
        Statement u(db_, "INSERT INTO users(id, folder) VALUES (?, ?)");
        u.bind(1, id).bind(2, folder).step();
        return folder;
    });
}

std::int64_t PdmStore::user_folder(const std::string &id)
{
    Statement s(db_, "SELECT folder FROM users WHERE id = ?");
    s.bind(1, id);
    return s.step() ? s.integer(0) : 0;
}

void PdmStore::add_item_type(const std::string &type, const std::string &initial_revision, bool creatable)
{
    if (!pdm_clean_value(type, true) || !pdm_clean_value(initial_revision, false))
        throw PdmStoreError("PDM store: bad item type \"" + type + "\"");
    Statement s(db_, "INSERT INTO item_types(name, initial_revision, creatable) VALUES (?, ?, ?) "
                     "ON CONFLICT(name) DO UPDATE SET initial_revision = excluded.initial_revision, "
                     "creatable = excluded.creatable");
    s.bind(1, type).bind(2, initial_revision).bind(3, std::int64_t{creatable ? 1 : 0}).step();
}

std::vector<std::string> PdmStore::item_types(bool creatable_only)
{
    Statement s(db_, creatable_only ? "SELECT name FROM item_types WHERE creatable ORDER BY seq"
                                    : "SELECT name FROM item_types ORDER BY seq");
    std::vector<std::string> out;
    while (s.step())
        out.push_back(s.text(0));
    return out;
}

std::optional<std::string> PdmStore::initial_revision(const std::string &type)
{
    auto values = column(db_, "SELECT initial_revision FROM item_types WHERE name = ?", type);
    return values.empty() ? std::nullopt : std::optional<std::string>(values.front());
}

void PdmStore::add_seed_part(const std::string &type, const std::string &name)
{
    Statement s(db_, "INSERT INTO seed_parts(type, name) VALUES (?, ?)");
    s.bind(1, type).bind(2, name).step();
}

std::vector<std::string> PdmStore::seed_parts(const std::string &type)
{
    return column(db_, "SELECT name FROM seed_parts WHERE type = ? ORDER BY seq", type);
}

void PdmStore::add_item(const std::string &number, const std::string &type,
                        const std::vector<std::string> &revisions, const std::string &master_file,
                        std::int64_t folder)
{
    if (!pdm_clean_value(number, true) || !pdm_clean_value(type, false))
        throw PdmStoreError("PDM store: bad part number \"" + number + "\"");
    for (const auto &r : revisions)
        if (!pdm_clean_value(r, true))
            throw PdmStoreError("PDM store: bad revision \"" + r + "\"");
    transaction([&] {
        Statement i(db_, "INSERT INTO items(number, type) VALUES (?, ?) "
                         "ON CONFLICT(number) DO UPDATE SET type = excluded.type");
        i.bind(1, number).bind(2, type).step();
        for (const auto &r : revisions) {
            Statement s(db_, "INSERT OR IGNORE INTO revisions(number, revision) VALUES (?, ?)");
            s.bind(1, number).bind(2, r).step();
            if (!master_file.empty()) {
                Statement f(db_, "INSERT OR REPLACE INTO files VALUES (?, ?, 'master', '', ?)");
                f.bind(1, number).bind(2, r).bind(3, master_file).step();
            }
        }
        if (folder) {
            if (!folder_exists(folder))
                throw PdmStoreError("PDM store: no such folder");
            Statement e(db_, "INSERT INTO entries(folder, number) SELECT ?, ? WHERE NOT EXISTS "
                             "(SELECT 1 FROM entries WHERE folder = ? AND number = ?)");
            e.bind(1, folder).bind(2, number).bind(3, folder).bind(4, number).step();
        }
    });
}

void PdmStore::add_revision(const std::string &number, const std::string &revision)
{
    if (!pdm_clean_value(revision, true))
        throw PdmStoreError("PDM store: bad revision \"" + revision + "\"");
    if (!item_type(number))
        throw PdmStoreError("PDM store: no item " + number);
    Statement s(db_, "INSERT OR IGNORE INTO revisions(number, revision) VALUES (?, ?)");
    s.bind(1, number).bind(2, revision).step();
}

void PdmStore::add_file(const std::string &number, const std::string &revision, const std::string &file_type,
                        const std::string &file_name, const std::string &local_path)
{
    if (!pdm_clean_value(file_type, true) || !pdm_clean_value(file_name, false))
        throw PdmStoreError("PDM store: bad file \"" + file_type + "/" + file_name + "\"");
    transaction([&] {
        auto revs = revisions(number);
        if (std::find(revs.begin(), revs.end(), revision) == revs.end())
            throw PdmStoreError("PDM store: no revision " + number + "/" + revision);
        Statement f(db_, "INSERT OR REPLACE INTO files VALUES (?, ?, ?, ?, ?)");
        f.bind(1, number).bind(2, revision).bind(3, file_type).bind(4, file_name).bind(5, local_path).step();
    });
}

std::optional<std::string> PdmStore::item_type(const std::string &number)
{
    auto values = column(db_, "SELECT type FROM items WHERE number = ?", number);
    return values.empty() ? std::nullopt : std::optional<std::string>(values.front());
}

std::vector<std::string> PdmStore::revisions(const std::string &number)
{
    return column(db_, "SELECT revision FROM revisions WHERE number = ? ORDER BY seq", number);
}

std::optional<std::string> PdmStore::file(const std::string &number, const std::string &revision,
                                          const std::string &file_type, const std::string &file_name)
{
    Statement s(db_, "SELECT local_path FROM files WHERE number = ? AND revision = ? AND file_type = ? "
                     "AND file_name = ?");
    s.bind(1, number).bind(2, revision).bind(3, file_type).bind(4, file_name);
    if (!s.step())
        return std::nullopt;
    return s.text(0);
}

std::vector<std::string> PdmStore::numbers()
{
    Statement s(db_, "SELECT number FROM items ORDER BY number");
    std::vector<std::string> out;
    while (s.step())
        out.push_back(s.text(0));
    return out;
}

std::string PdmStore::draw_number()
{
    return transaction([&] {
        std::string prefix = setting("number_prefix");
        for (;;) {
            Statement u(db_, "UPDATE counters SET value = value + 1 WHERE name = 'number' RETURNING value");
            if (!u.step())
                throw PdmStoreError("PDM store: no number generator");
            std::int64_t value = u.integer(0);
            while (u.step()) {
            }
            char digits[32];
            std::snprintf(digits, sizeof digits, "%06lld", static_cast<long long>(value));
            std::string number = prefix + digits;
            if (!item_type(number))
                return number;
        }
    });
}

} // namespace vexa::sim
