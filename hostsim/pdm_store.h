// The PDM database of the headless host: an SQLite file (or an in-memory
// database for a session that never opened one) holding the users and their
// folders, the folder tree with the root and the default container, the
// items with their part type, revisions and files, the item types with
// their initial revision, seed parts per type, the settings the PDM is
// asked (default part type, revision separator, long identifiers, whether a
// new-revision hook is installed) and the part-number generator.
//
// Every change runs in one immediate transaction, so two processes using
// one store file see each other's changes and never draw the same number
// (SQLite's file locks serialise the writers; a busy store is waited for).
// A new store file is built under a temporary name and renamed into place
// when complete, so a store is never seen half-written; opening a missing
// file, or one that is not a store, fails with a clear reason.
//
// Failures are thrown as PdmStoreError; the PDM's host calls turn them into
// HX_ERR_PDM.
#ifndef VEXAHOST_PDM_STORE_H
#define VEXAHOST_PDM_STORE_H

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace vexa::sim {

struct PdmStoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One entry of a folder, in the PDM's order: a sub-folder or an item.
struct PdmEntry {
    bool is_folder = false;
    std::int64_t folder = 0; // the sub-folder's id
    std::string name;        // the sub-folder's name, or the item's number
};

class PdmStore {
  public:
    // An empty in-memory store (root folder only).
    static std::unique_ptr<PdmStore> in_memory();
    // A new store file; fails when the file exists.
    static std::unique_ptr<PdmStore> create(const std::string &path);
    // An existing store file; fails when it is missing or is no store.
    static std::unique_ptr<PdmStore> open(const std::string &path);
    ~PdmStore();
    PdmStore(const PdmStore &) = delete;
    PdmStore &operator=(const PdmStore &) = delete;

    const std::string &path() const { return path_; }

    // ---- Settings ("" when unset) ----
    std::string setting(const std::string &key);
    void set_setting(const std::string &key, const std::string &value);

    // ---- Folders ----
    std::int64_t root_folder();
    // A new folder at the end of the parent's entries.
    std::int64_t add_folder(std::int64_t parent, const std::string &name);
    bool folder_exists(std::int64_t folder);
    std::vector<PdmEntry> entries(std::int64_t folder);
    // The folder names from below the root down to the folder.
    std::vector<std::string> folder_path(std::int64_t folder);
    // The folder the path (names below the root, ":"-separated) names; 0
    // when a piece is missing.
    std::int64_t folder_at(const std::string &path);

    // ---- Users: a user has a folder below the root named by the id ----
    std::int64_t add_user(const std::string &id);
    std::int64_t user_folder(const std::string &id); // 0 when none

    // ---- Item types and seed parts ----
    void add_item_type(const std::string &type, const std::string &initial_revision, bool creatable);
    std::vector<std::string> item_types(bool creatable_only);
    std::optional<std::string> initial_revision(const std::string &type);
    void add_seed_part(const std::string &type, const std::string &name);
    std::vector<std::string> seed_parts(const std::string &type);

    // ---- Items ----
    // Adds (or replaces the type of) an item, its revisions (oldest first)
    // and, when given, the local file of its master model for every one of
    // them; files it in `folder` when non-zero (not twice).
    void add_item(const std::string &number, const std::string &type,
                  const std::vector<std::string> &revisions, const std::string &master_file,
                  std::int64_t folder);
    void add_revision(const std::string &number, const std::string &revision);
    void add_file(const std::string &number, const std::string &revision, const std::string &file_type,
                  const std::string &file_name, const std::string &local_path);
    std::optional<std::string> item_type(const std::string &number);
    std::vector<std::string> revisions(const std::string &number);
    // The local file of a file of an item revision; nullopt when the PDM has
    // no such file.
    std::optional<std::string> file(const std::string &number, const std::string &revision,
                                    const std::string &file_type, const std::string &file_name);
    std::vector<std::string> numbers();

    // ---- Generators ----
    // A new part number: the setting "number_prefix" and the next value of
    // the store's counter, zero-padded to six digits. Never the number of an
    // item the store holds, never the same twice.
    std::string draw_number();

  private:
    explicit PdmStore(sqlite3 *db, std::string path);
    static std::unique_ptr<PdmStore> connect(const std::string &path, bool must_exist);
    void exec(const char *sql);
    template <class Body> auto transaction(Body &&body);

    sqlite3 *db_;
    std::string path_;
};

// Is the text usable as a number, revision, type or file name of the PDM:
// non-empty when `required`, no '/', '|', ':', '"' or control character?
bool pdm_clean_value(const std::string &value, bool required);

} // namespace vexa::sim

#endif
