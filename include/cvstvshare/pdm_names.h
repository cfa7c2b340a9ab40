/*
 * PDM folders and part file names: moving between plain part numbers, the
 * host's encoded part file names and command-line names ("@DB/number/
 * revision"); finding the PDM folder that holds a project; drawing new
 * numbers, revisions and prefixes; checking that a PDM part exists.
 *
 * While the host's PDM manager is not active, every function answers with
 * plain file names or the neutral result given with it.
 *
 * Text buffers ("buffer" below) hold KT_PDM_NAME_BUFFER_SIZE bytes unless
 * said otherwise; revisions KT_PDM_REVISION_BUFFER_SIZE. A "new string" is
 * allocated by the host and freed by the caller with the host's free
 * (HX_free); a string list is freed with kt_free_str_list (util.h).
 *
 * A folder path is the PDM folder names joined by ":", beginning with the
 * user id ("user7:tools"). Pieces are separated by runs of ":", so empty
 * pieces are skipped. The folder found by the last search of
 * kt_get_pdmx_folder is remembered (path and folder tag); once a search has
 * found nothing ("Newstuff", tag 0) later searches answer that without
 * searching.
 */
#ifndef CVSTVSHARE_PDM_NAMES_H
#define CVSTVSHARE_PDM_NAMES_H

#include "cvstvshare_export.h"

#include <stdbool.h>

/* Buffer of a part number, encoded name, command-line name or folder path. */
#define KT_PDM_NAME_BUFFER_SIZE 257
/* Buffer of a revision. */
#define KT_PDM_REVISION_BUFFER_SIZE 33
/* Longest revision and part number CV_KRMGR_encode_part_file_name takes. */
#define KT_PDM_MAX_REVISION 15
#define KT_PDM_MAX_ENCODE_NUMBER 64
/* Most numbered copies tried when the clone fails (the last status is
 * answered then), and the highest counter put after a prefix whose name is
 * taken. */
#define KT_NUMBERED_COPY_ATTEMPTS 8
#define KT_NUMBERED_COPY_MAX_COUNTER 499
/* The folder answered when a search finds none. */
#define KT_PDM_DEFAULT_FOLDER "Newstuff"

/* The outcome of opening a part, for each file that could not be loaded:
 * the arrays come from the host allocator and are freed by
 * kt_free_load_status (null when n_parts is 0). */
typedef struct KT_load_status_s {
    int failed;        /* the status of the part asked for; 0 when it opened */
    int n_parts;       /* the number of files that failed */
    char **file_names; /* their full names */
    int *statuses;     /* the status of each */
} KT_load_status_t;

CVSTV_BEGIN_DECLS

/* ---- Sizes and settings ---------------------------------------------------- */

/* Longest part number: 128 without the PDM manager, or when the PDM accepts
 * long identifiers; else 32. */
CVSTV_API int CV_ask_max_part_no_size(void) CVSTV_NOEXCEPT;
/* The folder-finding method, the integer customer default
 * "CV_PDMX_FIND_FOLDER" of the current wizard type (1 when unset): 0 uses the
 * PDM's default container, other values search the user's folders. */
CVSTV_API int CV_ask_find_pdmx_folder_method(void) CVSTV_NOEXCEPT;
/* Tag of the PDM's default container (0 without PDM or when none). */
CVSTV_API tag_t CV_KRMGR_ask_default_container(void) CVSTV_NOEXCEPT;
/* New string: the PDM's revision separator, or "/" when it has none (and
 * without PDM). Null only when memory runs out. */
CVSTV_API char *CV_KRMGR_ask_part_rev_prefix(void) CVSTV_NOEXCEPT;
/* New string: the PDM's default part type; null when it has none or
 * without PDM. */
CVSTV_API char *CV_KRMGR_ask_default_part_type(void) CVSTV_NOEXCEPT;
/* The part types the user may create, as a new string list (*types) and
 * its count. 0 (an empty list without PDM), the PDM's status, or -1 for a
 * null argument. */
CVSTV_API int CV_KRMGR_ask_item_types(int *count, char ***types) CVSTV_NOEXCEPT;
/* The PDM's seed parts of a part type, as a new string list; none for a
 * null type and without PDM. 0, the PDM's status, or -1 for null outputs. */
CVSTV_API int CV_KRMGR_ask_seed_parts(const char *type, int *count, char ***names) CVSTV_NOEXCEPT;

/* ---- Names -------------------------------------------------------------------- */

/* The encoded part file name of the master of a name "number" or
 * "number/revision" (encoded: buffer). Without a revision, the last one the
 * PDM lists for the number; for a number it does not know, the initial
 * revision of the default part type (or "Item"), else "A". Without PDM the
 * name is copied. 0; the PDM's status with encoded empty; -1 for null
 * arguments or a number longer than CV_ask_max_part_no_size(). */
CVSTV_API int kt_encode_part_file_name(const char *name, char *encoded) CVSTV_NOEXCEPT;
/* A part number (or number/revision) to its command-line name (cli:
 * buffer). 0; -1 without PDM or for a null argument; else the PDM's status,
 * with cli empty. */
CVSTV_API int kt_convert_part_number_to_cli(const char *number, char *cli) CVSTV_NOEXCEPT;
/* A command-line name to its part number (number: buffer). 0; -1 without
 * PDM, for a null argument or when decoding fails (number empty). */
CVSTV_API int kt_convert_cli_to_part_number(const char *cli, char *number) CVSTV_NOEXCEPT;
/* Decodes an encoded name and copies its part number (number: buffer;
 * empty when the name does not decode, and without PDM). True when the PDM
 * manager is active. */
CVSTV_API bool kt_ask_krmgr_decode_name(const char *encoded, char *number) CVSTV_NOEXCEPT;
/* The encoded name of a file of a part (encoded: buffer). A name with "/"
 * is number/revision (the revision at most KT_PDM_MAX_REVISION characters);
 * without, the number (at most KT_PDM_MAX_ENCODE_NUMBER characters) with its
 * latest revision. file_type "" or null is "master"; the file name is the
 * number for "specification", else empty. Without PDM the name is copied.
 * 0, the PDM's status, or -1 (encoded empty) for null or over-long input. */
CVSTV_API int CV_KRMGR_encode_part_file_name(const char *name, const char *file_type,
                                             char *encoded) CVSTV_NOEXCEPT;

/* ---- Revisions ------------------------------------------------------------------ */

/* The latest revision of a number (revision: KT_PDM_REVISION_BUFFER_SIZE).
 * When the PDM does not know the number or it has no revision: the initial
 * revision of its part type (else of the default part type, else "Item"),
 * else "A". 0, or the PDM's status with the revision listed so far (empty)
 * when listing fails. Without PDM the revision is empty and 0 is answered. */
CVSTV_API int CV_KRMGE_ask_latest_revision(const char *number, char *revision) CVSTV_NOEXCEPT;
/* New string *revision: the PDM's name for a new revision of the number of
 * that part type. Left null while the PDM names revisions itself (a
 * new-revision hook) and without PDM. 0, or the PDM's status (also written
 * to the host's system log), -1 for null arguments. */
CVSTV_API int CV_KRMGR_assign_revname(const char *number, const char *type, char **revision) CVSTV_NOEXCEPT;

/* ---- Existence -------------------------------------------------------------------- */

/* 1 when the PDM holds the file of the part: file type "" or "master" (the
 * model) or "specification"; 0 for any other type, a name that does not
 * encode, an unknown part, and without PDM. */
CVSTV_API int CV_KRMGR_ask_part_exists(const char *name, const char *file_type) CVSTV_NOEXCEPT;
/* CV_KRMGR_ask_part_exists(name, "master"); the folder is not consulted. */
CVSTV_API int kt_is_part_in_pdmx_folder(const char *folder, const char *name) CVSTV_NOEXCEPT;
/* 0 when the part can be opened through the PDM (it is opened quietly and
 * closed again unless it was loaded already), else -1. */
CVSTV_API int CVSTVSHARE_is_part_in_pdmx(const char *name) CVSTV_NOEXCEPT;

/* ---- Folders and prefixes ----------------------------------------------------------- */

/* The folder of a folder path (*folder): with method 0 the default
 * container; else the remembered folder when the path is the remembered
 * one; else from the user's folder (or the PDM root when the user has
 * none) down the path's pieces as far as they are found. A leading piece
 * equal to the user id names the user's folder itself. 0; -1 when no start
 * folder exists, the path has no pieces, or for null arguments. */
CVSTV_API int kt_ask_folder_tag(const char *path, tag_t *folder) CVSTV_NOEXCEPT;
/* The folder holding a part number (null: the displayed part's), as a tag
 * and a new string *path ("user:sub:folder", or "Newstuff" when none is
 * found). 0, or the status of the step that failed (path "Newstuff");
 * -1 for null outputs. Without PDM: path "Newstuff", tag 0, 0. */
CVSTV_API int kt_get_pdmx_folder(const char *number, tag_t *folder, char **path) CVSTV_NOEXCEPT;
/* The folder and name of a part file specification (spec: buffer) as new
 * strings: with PDM the folder path (kt_get_pdmx_folder) and the part
 * number; without, the directory and the file name without type. 0 or
 * the status of the step that failed, with both strings handed out (empty
 * when unknown); -1 with none for null arguments or no memory. */
CVSTV_API int kt_get_file_name(const char *spec, char **folder, char **name) CVSTV_NOEXCEPT;
/* Splits "folder:...:name" at ":" into the folder (the pieces before the
 * last, joined by ":") and the name (buffers). An empty text gives the
 * displayed part's project folder and prefix name. 0; -1 for null
 * arguments, or an empty text without a displayed part. */
CVSTV_API int kt_ask_project_name_from_str(const char *text, char *folder, char *name) CVSTV_NOEXCEPT;
/* A new prefix (prefix: buffer): base + a new part number (drawn for the
 * master model of a part of the default part type) + "_", or the
 * number + "_" for a null base. 0, the PDM's status (also without PDM), or
 * -1 for a null buffer or too long a prefix. */
CVSTV_API int kt_create_prefix_name(const char *base, char *prefix) CVSTV_NOEXCEPT;
/* The prefix of a part (prefix: buffer): its part number (without PDM its
 * file name without type) up to and including its last "_", or the whole of
 * it. 0, the decoding status, or -1 for a null buffer or a part without
 * name. */
CVSTV_API int kt_ask_prefix_name(tag_t part, char *prefix) CVSTV_NOEXCEPT;

/* ---- Numbered copies ------------------------------------------------------------- */

/* Opens a numbered copy of a part: prefix + the source's name (its part
 * number for a PDM name, else its file name without directory and type),
 * copied by the host's clone operation into the PDM folder `folder` (a
 * folder path; "" for the default container) or, without PDM, beside the
 * source file. While a part of that name is loaded, a counter follows the
 * prefix (prefix0, prefix1, ... up to KT_NUMBERED_COPY_MAX_COUNTER); a
 * failed clone is tried again with the next counter, at most
 * KT_NUMBERED_COPY_ATTEMPTS times. With open_source, the source is opened
 * quietly first (its name after the last "/" and before the first ".",
 * encoded as a part number). *part is the copy; *status is filled by the
 * last open (free with kt_free_load_status). 0, the host's status of the
 * step that failed last, or -1 for null arguments. */
CVSTV_API int hx_kt_part_open(const char *source, const char *folder, const char *prefix, bool open_source,
                              tag_t *part, KT_load_status_t *status) CVSTV_NOEXCEPT;
/* With PDM: opens a numbered copy of source (prefix: the parent's prefix
 * name, then name and "_" when a name is given; folder: the project folder
 * of the displayed part), makes that folder the host's default PDM folder,
 * and adds the copy to parent at origin with the orientation (x axis, y
 * axis) and reference set refset (tried once more without a reference set
 * when that fails), keeping the part's layers. The work and displayed parts
 * are restored. 0 when added (or without PDM, *instance 0); -1 when adding
 * fails; the status when opening the copy fails. */
CVSTV_API int kt_open_and_add_to_assembly(const char *source, tag_t parent, const char *name,
                                          const char *refset, const double origin[3], const double matrix[6],
                                          tag_t *instance) CVSTV_NOEXCEPT;
/* Frees the arrays of a load status when its count is non-zero and sets
 * the count to 0. */
CVSTV_API void kt_free_load_status(KT_load_status_t *status) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
