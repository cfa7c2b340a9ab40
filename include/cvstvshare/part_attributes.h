/*
 * Part attributes and product parts: project attributes written on and read
 * from parts and objects, the loaded part that carries a title, the project
 * path, and the product parts of a mould project.
 *
 * The projects' parts are marked with string attributes of at most 132
 * characters: "KT_TOP" (top part of a mould project), "STV_PROJECT" (top
 * part of a progressive-die project), "KT_PROJECT" and "KT_PROD_LIST" (the
 * product name, on the top part), "KT_PROD" (the product sub-assembly, one
 * per product), "KT_LAYOUT" (the layout part), "CV_MASTER" (the part holding
 * the linked product body), "KT_SHRINKAGE" (the parting part) and
 * "ORG_PART_NAME" (the original product's file). Searches go through the
 * loaded parts in the host's load order and answer the first part that
 * carries the title. Part names are full file names.
 *
 * Buffers: a part name, directory, or a value read with kt_ask_part_str_attr
 * holds KT_NAME_BUFFER_SIZE bytes; a value read from an object holds
 * KT_ATTR_BUFFER_SIZE bytes. Results are written only with bounded copies.
 * Functions return 0 on success and -1 when nothing is found, unless they
 * say otherwise.
 */
#ifndef CVSTVSHARE_PART_ATTRIBUTES_H
#define CVSTVSHARE_PART_ATTRIBUTES_H

#include "cvstvshare_export.h"

#include <stdbool.h>

/* Longest string attribute value, and the buffers of values and names. */
#define KT_ATTR_VALUE_SIZE 132
#define KT_ATTR_BUFFER_SIZE (KT_ATTR_VALUE_SIZE + 1)
#define KT_NAME_BUFFER_SIZE 257

CVSTV_BEGIN_DECLS

/* ---- Attribute access ---------------------------------------------------- */

/* Formats a value (printf rules) and assigns it as a string attribute to
 * the object (0: the work part). -1, assigning nothing, when the value has
 * more than 132 characters or there is no object; a host failure is noted in
 * the host's tooling log and its status returned. */
CVSTV_API int kt_attr_assign(tag_t object, const char *title, const char *format, ...) CVSTV_NOEXCEPT
    __attribute__((format(printf, 3, 4)));
/* Reads the string attribute of the object (0: the work part; an occurrence:
 * its prototype) and, when format is given, scans it into the pointers that
 * follow (see kt_ask_part_attr). -1 when there is no such string attribute. */
CVSTV_API int kt_ask_attr(tag_t object, const char *title, const char *format, ...) CVSTV_NOEXCEPT;
/* The attribute of a part (by full name; null: the work part) as text of at
 * most 256 characters: integers "%d", reals "%lf", strings as they are,
 * references and times empty. A part that is not loaded is read from its
 * file without loading it. -1 when the part or the attribute is not found. */
CVSTV_API int kt_ask_part_str_attr(const char *part_name, const char *title, char *text) CVSTV_NOEXCEPT;
/* kt_ask_part_str_attr, then the text scanned by format: exactly "%s" copies
 * the whole text into the first pointer; otherwise the letter after each
 * '%' is taken in turn and the text is split at commas and blanks: "d"
 * stores an int, "f" a double, "s" copies the token (pointers of "%s" hold
 * as many bytes as the text); other letters skip a token and a pointer. */
CVSTV_API int kt_ask_part_attr(const char *part_name, const char *title, const char *format,
                               ...) CVSTV_NOEXCEPT;
/* The first solid or sheet body of the work part (kt_ask_attr_body) or of
 * a part (kt_ask_attr_body1) that has the string attribute: its value in
 * text (KT_ATTR_BUFFER_SIZE bytes, emptied first) and its tag in *body (0
 * first). -1 when there is none, no work part, or the part is 0. */
CVSTV_API int kt_ask_attr_body(const char *title, char *text, tag_t *body) CVSTV_NOEXCEPT;
CVSTV_API int kt_ask_attr_body1(tag_t part, const char *title, char *text, tag_t *body) CVSTV_NOEXCEPT;

/* ---- Finding parts by attribute -------------------------------------------- */

/* The first loaded part that carries the title: its full name and the
 * value as text (either output may be null). */
CVSTV_API int kt_ask_attr_part(const char *title, char *part_name, char *value) CVSTV_NOEXCEPT;
/* The first loaded part whose attribute has exactly this value; the part
 * name is left untouched when there is none. */
CVSTV_API int kt_ask_attr_value_part(const char *title, const char *value, char *part_name) CVSTV_NOEXCEPT;
/* The part found by kt_ask_attr_part made the work part; 0 when there is
 * none, it is neither the displayed part nor in the displayed assembly, or
 * the host refuses. The work part is not restored. */
CVSTV_API tag_t kt_set_attr_part(const char *title) CVSTV_NOEXCEPT;
/* The part nearest to the work component that carries the title: below the
 * work occurrence first (its name without directory and type), then the
 * parent part of the work component, then the first loaded part (full
 * names). */
CVSTV_API int kt_ask_attr_part_sequence(const char *title, char *part_name) CVSTV_NOEXCEPT;
/* Units of the displayed part: 1 metric, 2 English; -1 without one. */
CVSTV_API int kt_ask_proj_unit(void) CVSTV_NOEXCEPT;
/* The work part's file name without directory and type; -1 without one. */
CVSTV_API int kt_ask_work_part_name(char *name) CVSTV_NOEXCEPT;
/* The directory and name of the current project (either output may be
 * null): by "KT_PROJECT" for wizard type 1, "STV_PROJECT" for type 2, else
 * the displayed part. 0, or the status of the failed step. */
CVSTV_API int kt_ask_project_path(char *directory, char *project_name) CVSTV_NOEXCEPT;

/* ---- Product parts ------------------------------------------------------------ */

/* The product name ("KT_PROD_LIST", else "KT_PROD") as a part file name.
 * 0, or the status of the search or of the conversion. */
CVSTV_API int kt_ask_prod_part_name(char *name) CVSTV_NOEXCEPT;
/* Records the product name as "KT_PROD_LIST" on the project's top part
 * ("KT_TOP" for wizard type 1, "STV_PROJECT" for type 2; -1 for other
 * types or when not found). The work and displayed part are restored.
 * 0, or the status of the step that failed. */
CVSTV_API int kt_set_prod_name(const char *product_name) CVSTV_NOEXCEPT;
/* The first loaded part below the product sub-assembly (the part whose
 * "KT_PROD" is the product name) that carries the string attribute: its
 * full name and value (either may be null). */
CVSTV_API int kt_ask_prod_attr_part(const char *title, char *part_name, char *value) CVSTV_NOEXCEPT;
/* As kt_set_attr_part, with the part of kt_ask_prod_attr_part. */
CVSTV_API tag_t kt_set_prod_attr_part(const char *title) CVSTV_NOEXCEPT;
/* The product names of the layout's child components, each once, as a new
 * string list in *list (set to null first; freed with kt_free_str_list).
 * Returns their count; 0 with a null list when there are none. */
CVSTV_API int kt_ask_prod_part_list(char ***list) CVSTV_NOEXCEPT;
/* Finds or opens the original product part. When the product body linked
 * into the project comes from another product than the recorded one, the
 * user is asked whether to record it. Returns 0 with the part; -1 when the
 * user declines (or the status of kt_ask_prod_part_name); 1 when opening
 * fails; 3 when no file is found. *reserved is always set to 0. Messages are
 * shown only when show_messages is true. */
CVSTV_API int kt_ask_prod_part_tag(bool show_messages, tag_t *product_part, tag_t *reserved) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
