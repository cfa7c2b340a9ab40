/*
 * Host PDM manager, as far as part names go: whether it is active, the
 * encoded form of a PDM part file name (part number, revision, part file
 * type, file name), the command-line form "@DB/number/revision" (with
 * "/type/file name" for non-master files), the items' revisions and the
 * tag of a loaded PDM part.
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

HX_END_DECLS

#endif
