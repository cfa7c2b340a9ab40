// Setup API of the headless host's PDM database: a store file made and
// filled by tests and by `cvstv --pdm FILE pdm ...`, users, folders, items,
// item types, seed parts, settings and the number generator. The switch
// and the first item calls (set_pdm_active, add_pdm_item, ...) are in
// vexahost/assemblies.h.
//
// A session that opened no store works on an in-memory one, emptied by
// reset(). Each call is one transaction of the store; a failure (a missing
// or damaged store file, a bad name, an unknown folder or item) throws
// std::runtime_error with a message that says what and where, and leaves
// the store as it was.
//
// Folder paths name the folders below the root, joined by ":", the first
// piece being a user's folder for user folders ("user7:tools").
// Settings read by the PDM's calls: "default_part_type", "revision_separator",
// "long_ids" ("1" accepts long part numbers), "new_revision_hook" ("1": the
// PDM names new revisions itself), "default_container" (a folder path),
// "user" (the session's user id), "number_prefix" (put before drawn numbers).
#ifndef VEXAHOST_PDM_H
#define VEXAHOST_PDM_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

// Creates a new store file (refused when the file exists) and uses it.
VEXAHOST_API void create_pdm_store(const std::string &path);
// Uses an existing store file.
VEXAHOST_API void open_pdm_store(const std::string &path);
// The file of the store in use; "" for the in-memory one.
VEXAHOST_API std::string pdm_store_path();

VEXAHOST_API void set_pdm_setting(const std::string &key, const std::string &value);
VEXAHOST_API std::string pdm_setting(const std::string &key);

// A user with a folder of its id below the root; set_pdm_user also makes
// it the session's user.
VEXAHOST_API void add_pdm_user(const std::string &id);
VEXAHOST_API void set_pdm_user(const std::string &id);
// Makes every missing folder of the path (in order, at the end of its
// parent's entries).
VEXAHOST_API void add_pdm_folder(const std::string &path);
// Files an item in a folder (at the end of its entries).
VEXAHOST_API void file_pdm_item(const std::string &number, const std::string &folder_path);
// A file of an item revision: "master" (file name ""), "specification",
// "manifestation", ... with its local file.
VEXAHOST_API void add_pdm_file(const std::string &number, const std::string &revision,
                               const std::string &file_type, const std::string &file_name,
                               const std::string &local_path);
// An item type with the initial revision of its new parts ("" for none);
// only creatable types are offered to the user.
VEXAHOST_API void add_pdm_item_type(const std::string &part_type, const std::string &initial_revision,
                                    bool creatable = true);
VEXAHOST_API void add_pdm_seed_part(const std::string &part_type, const std::string &name);
// Draws a new part number.
VEXAHOST_API std::string draw_pdm_number();

// The entries of a folder ("" for the root), in the PDM's order.
struct PdmEntryInfo {
    bool is_folder;
    std::string name; // folder name or part number
};
VEXAHOST_API std::vector<PdmEntryInfo> pdm_folder_entries(const std::string &path);
// The path of the first folder (breadth-first from the root) holding the
// number; "" when none does.
VEXAHOST_API std::string pdm_folder_of(const std::string &number);

} // namespace vexa::sim

#endif
