/*
 * Host PDM manager, as far as part names go: whether it is active, the
 * encoded form of a PDM part file name (part number, revision, part file
 * type, file name), the command-line form "@DB/number/revision" (with
 * "/type/file name" for non-master files), the items' revisions and the
 * tag of a loaded PDM part; the PDM's settings, item types, seed parts and
 * number generator; users and the folder tree.
 *
 * The encoded form is the host's: it is never a command-line name and holds
 * no '/'. Loaded PDM parts are named by their command-line form.
 */
#ifndef CVSTV_HOST_HX_PDM_H
#define CVSTV_HOST_HX_PDM_H

#include "hx_common.h"
#include "hx_parts.h"

/* Longest part number, revision, part file type and file name. */
#define HX_PDM_NUMBER_SIZE 128
#define HX_PDM_REVISION_SIZE 32
#define HX_PDM_TYPE_SIZE 32
#define HX_PDM_FILE_NAME_SIZE 64
/* Longest user id and folder name. */
#define HX_PDM_NAME_SIZE 128

/* PDM object kinds asked by HX_KRMGR_ask_object_exists. */
enum { HX_PDM_MASTER = 1, HX_PDM_SPECIFICATION = 3 };
/* Kinds of folder entry. */
enum { HX_PDM_FOLDER_ENTRY = 1, HX_PDM_PART_ENTRY = 2 };

/* One entry of a folder: a sub-folder (its tag and name) or a part (its
 * number; folder 0). */
typedef struct HX_KRMGR_entry_s {
    int type; /* HX_PDM_FOLDER_ENTRY or HX_PDM_PART_ENTRY */
    tag_t folder;
    char name[HX_PDM_NUMBER_SIZE + 1];
} HX_KRMGR_entry_t;

HX_BEGIN_DECLS

/* *active is 1 while the PDM manager is active, else 0. */
HX_API int HX_is_krmanager_active(int *active);
/* Encode the four values (file type "master" for the model; file name empty
 * for it). HX_ERR_PDM while the PDM manager is not active; HX_ERR_TOO_LONG
 * for a value beyond its size; HX_ERR_BAD_ARGUMENT for an empty number or a
 * value holding '/'. */
HX_API int HX_KRMGR_encode_part_filename(const char *number, const char *revision, const char *file_type,
                                         const char *file_name, char encoded[HX_MAX_FSPEC_SIZE + 1]);
/* Decode an encoded name; HX_ERR_BAD_ARGUMENT for a text that is not one. */
HX_API int HX_KRMGR_decode_part_filename(const char *encoded, char number[HX_PDM_NUMBER_SIZE + 1],
                                         char revision[HX_PDM_REVISION_SIZE + 1],
                                         char file_type[HX_PDM_TYPE_SIZE + 1],
                                         char file_name[HX_PDM_FILE_NAME_SIZE + 1]);
/* Encoded name to command-line name and back. */
HX_API int HX_KRMGR_convert_name_to_cli(const char *encoded, char cli[HX_MAX_FSPEC_SIZE + 1]);
HX_API int HX_KRMGR_convert_cli_to_name(const char *cli, char encoded[HX_MAX_FSPEC_SIZE + 1]);
/* The last revision of a part number; empty when the PDM does not know the
 * number or it has none. */
HX_API int HX_KRMGR_ask_latest_revision(const char *number, char revision[HX_PDM_REVISION_SIZE + 1]);
/* The initial revision the PDM assigns to a new part of a part type; empty
 * when it assigns none. */
HX_API int HX_KRMGR_assign_initial_revision(const char *part_type, char revision[HX_PDM_REVISION_SIZE + 1]);
/* The PDM's default part type (empty when it has none). */
HX_API int HX_KRMGR_ask_default_part_type(char part_type[HX_PDM_TYPE_SIZE + 1]);
/* The loaded part of an encoded name (0 when not loaded). */
HX_API int HX_KRMGR_ask_part_tag(const char *encoded, tag_t *part);

/* Every call below answers HX_ERR_PDM while the PDM manager is not active,
 * or when its database fails. Lists of names come from the host allocator:
 * each name and the array are freed with HX_free; a null array for none. */

/* *long_ids is 1 when the PDM accepts long part numbers, else 0. */
HX_API int HX_KRMGR_ask_long_ids(int *long_ids);
/* The PDM's revision separator setting (empty when it has none). */
HX_API int HX_KRMGR_ask_revision_separator(char separator[HX_PDM_TYPE_SIZE + 1]);
/* The part types the user may create, in the PDM's order. */
HX_API int HX_KRMGR_ask_item_types(int *count, char ***types);
/* The seed parts of a part type (none for an unknown type). */
HX_API int HX_KRMGR_ask_seed_parts(const char *part_type, int *count, char ***names);
/* The part type of a part number; HX_ERR_NOT_FOUND when the PDM does not
 * know the number. */
HX_API int HX_KRMGR_ask_part_type(const char *number, char part_type[HX_PDM_TYPE_SIZE + 1]);
/* The revision name for a new revision of a part of a type: the revision
 * after the number's last one (A, B, ... Z, AA, ...), or the type's initial
 * revision for a number without revisions. While a new-revision hook is
 * installed, the hook names revisions: nothing is produced (*produced 0). */
HX_API int HX_KRMGR_ask_new_rev_name(const char *number, const char *part_type,
                                     char revision[HX_PDM_REVISION_SIZE + 1], int *produced);
/* Draws a new part number for a part type; never the same twice, even
 * between processes sharing the PDM. HX_ERR_NOT_FOUND for a part type the
 * user may not create (an empty type stands for the default part type; a
 * PDM without item types, or an empty type without a default, lets any
 * part type be created). */
HX_API int HX_KRMGR_assign_part_number(const char *part_type, char number[HX_PDM_NUMBER_SIZE + 1]);
/* Does the PDM hold the object (HX_PDM_MASTER or HX_PDM_SPECIFICATION) of
 * an encoded name? HX_ERR_BAD_ARGUMENT for a text that is no encoded name
 * or another kind. */
HX_API int HX_KRMGR_ask_object_exists(const char *encoded, int kind, int *exists);

/* ---- Users and folders ---- */

/* The id of the session's user (empty when none is logged in). */
HX_API int HX_KRMGR_ask_user_id(char id[HX_PDM_NAME_SIZE + 1]);
/* The folder of a user (0 when the user has none) and the PDM's root. */
HX_API int HX_KRMGR_ask_user_folder(const char *id, tag_t *folder);
HX_API int HX_KRMGR_ask_root_folder(tag_t *folder);
/* The PDM's default container for new parts (0 when it has none). */
HX_API int HX_KRMGR_ask_default_container(tag_t *folder);
/* The names of the folders from below the root down to the folder. */
HX_API int HX_KRMGR_ask_folder_path(tag_t folder, int *count, char ***names);
/* The entries of a folder in the PDM's order, in a new array (HX_free). */
HX_API int HX_KRMGR_ask_folder_contents(tag_t folder, int *count, HX_KRMGR_entry_t **entries);
/* The folder new PDM parts of the session go to (0: the default
 * container), and setting it. */
HX_API int HX_KRMGR_set_default_folder(tag_t folder);
HX_API int HX_KRMGR_ask_default_folder(tag_t *folder);

HX_END_DECLS

#endif
