/*
 * Host parts: the parts loaded in the session, the work and displayed part,
 * part names and units, opening, saving and closing part files,
 * expressions of a part, undo marks and the model update.
 *
 * Parts are host objects named by tag; a part's name is its full host name
 * (a file path, or the PDM name of a managed part). Parts are kept in load
 * order, which the library relies on when it looks for the first loaded
 * part carrying an attribute.
 *
 * Opening a part opens its components too (see the load options in
 * hx_assem.h). An open either loads the part with every component it could
 * read or loads nothing: a file that is not a readable part file, or whose
 * components would contain the part itself, loads no part. Components that
 * are missing or unreadable are reported in the load status and stay
 * unloaded. Saving writes the whole file or nothing (a temporary file in the
 * same directory renamed over the part file).
 */
#ifndef CVSTV_HOST_HX_PARTS_H
#define CVSTV_HOST_HX_PARTS_H

#include "hx_common.h"

/* Longest full part name, without terminator. */
#define HX_MAX_FSPEC_SIZE 256

/* Part units as the host reports them. */
enum { HX_PART_METRIC = 1, HX_PART_ENGLISH = 2 };

/* The outcome of an open for each file that could not be loaded. The arrays
 * (file_names with each of its names, and statuses) come from the host
 * allocator and belong to the caller when n_parts is non-zero; they are null
 * when it is 0. */
typedef struct HX_PART_load_status_s {
    int failed;        /* the status of the part asked for; 0 when it opened */
    int n_parts;       /* the number of files that failed */
    char **file_names; /* their full names */
    int *statuses;     /* the status of each */
} HX_PART_load_status_t;

/* Undo mark visibility. */
enum { HX_UNDO_INVISIBLE = 0, HX_UNDO_VISIBLE = 1 };

/* Update-fail options: what an update does when a feature fails. */
enum {
    HX_UPDATE_FAIL_UNDO = 1,    /* stop, put the model back as before the update and fail */
    HX_UPDATE_FAIL_SUPPRESS = 4 /* suppress the failing feature and go on */
};
HX_BEGIN_DECLS

/* The work part; 0 when there is none. */
HX_API tag_t HX_ASSEM_ask_work_part(void);
/* Make a loaded part the work part. */
HX_API int HX_ASSEM_set_work_part(tag_t part);
/* The displayed part; 0 when there is none. */
HX_API tag_t HX_PART_ask_display_part(void);
HX_API int HX_PART_set_display_part(tag_t part);

/* Number of loaded parts, and the index-th of them in load order (0 when
 * index is out of range). */
HX_API int HX_PART_ask_num_parts(void);
HX_API tag_t HX_PART_ask_nth_part(int index);
/* The loaded part of that name; 0 when none is loaded. A name without a
 * directory also finds the first loaded part (in load order) whose file name,
 * with or without the part-file type, is that name. */
HX_API tag_t HX_PART_ask_part_tag(const char *name);
/* The full name of a part. */
HX_API int HX_PART_ask_part_name(tag_t part, char name[HX_MAX_FSPEC_SIZE + 1]);
/* The part's units: HX_PART_METRIC or HX_PART_ENGLISH. */
HX_API int HX_PART_ask_units(tag_t part, int *units);

/* Is the part loaded fully (1) or partially (0)? A partially loaded part
 * does not offer its features until it is loaded fully. */
HX_API int HX_PART_is_fully_loaded(tag_t part, int *fully);
HX_API int HX_PART_load_fully(tag_t part);

/* Open a part file (or a PDM part by its command-line or encoded name) with
 * its components. HX_PART_open makes it the displayed and work part and
 * shows the files that failed in the message box; HX_PART_open_quiet shows
 * nothing and changes the displayed and work part only when there was none.
 * A part already loaded is answered as it is. *status is always filled (see
 * HX_PART_load_status_t). A relative file name is looked for in the default
 * directory. */
HX_API int HX_PART_open(const char *name, tag_t *part, HX_PART_load_status_t *status);
HX_API int HX_PART_open_quiet(const char *name, tag_t *part, HX_PART_load_status_t *status);
/* Save the work part to its file; save it under a new full name, which it
 * takes (its components keep their stored names). */
HX_API int HX_PART_save(void);
HX_API int HX_PART_save_as(const char *new_name);
/* Unload a part; with whole_tree non-zero also its components that no other
 * loaded part uses. The displayed and work part become none when closed. */
HX_API int HX_PART_close(tag_t part, int whole_tree);
/* The directory where relative part file names are looked for. */
HX_API int HX_PART_ask_default_directory(char directory[HX_MAX_FSPEC_SIZE + 1]);
HX_API int HX_PART_set_default_directory(const char *directory);
/* Switch the graphics display off (0) and on again around changes of the
 * displayed part. */
HX_API int HX_DISP_set_display(int on);
HX_API int HX_DISP_ask_display(int *on);

/* ---- Expressions ---------------------------------------------------------
 * An expression is "name=formula": a name of letters, digits and '_' (not
 * beginning with a digit) and a formula of numbers, names of the part's
 * expressions, references to other parts' expressions (part::name or
 * "part"::name, the part by its file name without directory and type),
 * + - * / ^, parentheses and the functions abs, sqrt, min, max, sin, cos and
 * tan (degrees). A reference to a part that is not loaded keeps the value
 * the expression had. */

/* The expression of that name in a part: 0 and *expression set, or 0 and
 * *expression 0 when the part has no such expression. */
HX_API int HX_MODL_ask_exp_tag(tag_t part, const char *name, tag_t *expression);
/* The current value of an expression. */
HX_API int HX_MODL_ask_exp_value(tag_t expression, double *value);
/* Create "name=formula" in the work part: HX_ERR_EXISTS for a name in use,
 * HX_ERR_EXPRESSION for a malformed text, HX_ERR_CYCLE for a formula that
 * depends on itself. */
HX_API int HX_MODL_create_exp_tag(const char *text, tag_t *expression);
/* Replace an expression's text ("name=formula"; the name may change). */
HX_API int HX_MODL_edit_exp(tag_t expression, const char *text);
HX_API int HX_MODL_delete_exp(tag_t expression);
/* "name=formula" of an expression, host-allocated (HX_free). */
HX_API int HX_MODL_ask_exp_tag_string(tag_t expression, char **text);
/* The expressions of a part in creation order, host-allocated (HX_free;
 * null when *count is 0). */
HX_API int HX_MODL_ask_exps_of_part(tag_t part, int *count, tag_t **expressions);

/* ---- Undo marks and the model update ---------------------------------- */

/* Set a mark (a name may be null for an invisible mark); *mark is never 0. */
HX_API int HX_UNDO_set_mark(int visibility, const char *name, int *mark);
/* Put the model back as it was when the mark was set; later marks go. */
HX_API int HX_UNDO_undo_to_mark(int mark);
HX_API int HX_UNDO_delete_mark(int mark);

/* Update every loaded part: expressions are evaluated, then each part's
 * features in order. A feature whose suppression expression's value is
 * below 0.01 in size is suppressed; a failing feature is handled by the
 * update-fail option. 0, or the failing feature's status. */
HX_API int HX_MODL_update(void);
HX_API int HX_MODL_ask_update_fail_option(int *option);
/* HX_ERR_BAD_ARGUMENT for an option other than 0, HX_UPDATE_FAIL_UNDO and
 * HX_UPDATE_FAIL_SUPPRESS (0 behaves as HX_UPDATE_FAIL_UNDO). */
HX_API int HX_MODL_set_update_fail_option(int option);
/* The feature that failed in the last update and its status (0 and 0 when
 * it succeeded). */
HX_API int HX_MODL_ask_update_failure(tag_t *feature, int *status);

HX_END_DECLS

#endif
