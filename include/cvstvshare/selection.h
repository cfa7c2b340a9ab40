/*
 * Selection, highlight and feature display: the features of the work part
 * in a dialog list and highlighted through the dialog's selection, the
 * dialog selection itself, interactive selection of bodies, faces, objects
 * of a class and points, objects found by name, the three-button message
 * dialog, conversions between tag arrays and host object lists, and text
 * files of strings.
 *
 * A dialog selection is named by its tag (read from the dialog with
 * STV_UI_ask_dialog_selection); objects added to it are highlighted by the
 * host. Messages go to the host's message box with the error severity.
 *
 * Memory handed out: tag arrays come from the host allocator and are freed
 * with the host's free; host lists (struct hx_list_s) are freed with the
 * host's list delete.
 */
#ifndef CVSTVSHARE_SELECTION_H
#define CVSTVSHARE_SELECTION_H

#include "cvstvshare_export.h"

#include <stdbool.h>
#include <stdio.h>

/* A host object list (opaque). */
struct hx_list_s;

CVSTV_BEGIN_DECLS

/* ---- Features of the work part ------------------------------------------- */

/* Fills the list item with the names of the work part's features in
 * cycling order, leaving out sketches, absolute datum planes, blends and
 * chamfers (at most 2500 names of at most 99 characters). 0; -1 after
 * "No active part !" or when cycling fails. */
CVSTV_API int STV_FEAT_display(int dialog_id, const char *list_item_id) CVSTV_NOEXCEPT;
/* Adds the faces of the work part's first feature of that name to the
 * dialog selection (add 1) or removes them (any other add), and shows the
 * name on the status line. 0; -1 without a work part ("No active part"),
 * feature of that name, or when cycling fails. */
CVSTV_API int STV_FEAT_highlight(int dialog_id, const char *feature_name, int add) CVSTV_NOEXCEPT;
/* Chooses the first list entry equal to text and scrolls it into view: 0.
 * When the list cannot be read or holds no such entry, takes the faces of
 * a feature of that name out of the selection and returns -1. */
CVSTV_API int STV_highlight_item(int dialog_id, const char *list_item_id, const char *text) CVSTV_NOEXCEPT;
/* Empties the dialog selection, then takes every feature's faces out of
 * it. 0; -1 after "No active part". */
CVSTV_API int STV_clear_highlight(int dialog_id) CVSTV_NOEXCEPT;

/* ---- The dialog selection ---------------------------------------------------- */

/* The dialog's selection. 0, or -1 when the host refuses. */
CVSTV_API int STV_UI_ask_dialog_selection(int dialog_id, tag_t *selection) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_ask_dialog_selection_pointer(int dialog_id, tag_t *selection) CVSTV_NOEXCEPT;
/* Empties the dialog selection (which unhighlights what it held). 0. */
CVSTV_API int STV_clear_selection(int dialog_id) CVSTV_NOEXCEPT;
CVSTV_API int STV_clear_highlight01(int dialog_id) CVSTV_NOEXCEPT;
/* The same; 0, or the host's status when the selection cannot be read. */
CVSTV_API int CVSTVSHARE_clear_dialog_selection(int dialog_id) CVSTV_NOEXCEPT;
/* The objects in the dialog selection (a new host array). 0 when there is
 * at least one; -1 (null array, count 0) otherwise. */
CVSTV_API int CVSTVSHARE_ask_objects_in_selection(int dialog_id, int *count, tag_t **objects) CVSTV_NOEXCEPT;

/* ---- Layers ----------------------------------------------------------------------- */

/* Moves every occurrence of every object of that type in the part that is
 * not on layer 255 to layer 255. 0 when the part holds such an object,
 * else -1. */
CVSTV_API int STV_move_obj_layer(tag_t part, int object_type) CVSTV_NOEXCEPT;

/* ---- Message dialog ------------------------------------------------------------ */

/* Shows the host's message dialog of a type (1 error, 2 warning,
 * 3 information, 4 question) with the messages (a string list; translated
 * by the host) and up to three buttons (a null label: no such button).
 * Returns 1 for the first button, 0 for the second, 2 for anything else. */
CVSTV_API int CVSTVSHARE_display_message_dialog(const char *title, int dialog_type, char **messages,
                                                const char *button1, const char *button2,
                                                const char *button3) CVSTV_NOEXCEPT;

/* ---- Interactive selection ------------------------------------------------------ */

/* One body (with lock 1 in the host's locked mode) or one face. *object is
 * 0 unless one was picked. 0, or -1 when the user backs out or cancels or
 * the host refuses. */
CVSTV_API int CVSTVSHARE_UI_select_single_body(const char *prompt, int lock, tag_t *body) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_select_single_face(const char *prompt, tag_t *face) CVSTV_NOEXCEPT;
/* Objects of a class (63: components; any other code: a kind of solid
 * object) in a selection scope, handed back unhighlighted. The number
 * selected with *objects a new host array; -1 when the user backs out, -2
 * when the user cancels, -3 on a host failure. */
CVSTV_API int kt_select_by_class(const char *prompt, int class_code, int scope,
                                 tag_t **objects) CVSTV_NOEXCEPT;
/* The same for one object: 0 (with *object 0 when none was picked), -1, -2
 * or -3. */
CVSTV_API int kt_select_single(const char *prompt, int class_code, int scope, tag_t *object) CVSTV_NOEXCEPT;
/* A point constructed by the user: the point object and its coordinates.
 * With the customer default "CV_StandardPointConfirm" set, the user picks
 * again ("Confirm: <prompt>.") until two picks in a row agree; the point
 * handed back is the last, the others are deleted. 0 when picked, 1 when
 * cancelled, else the host's status. */
CVSTV_API int CVSTVSHARE_pick_point(int wizard_type, const char *prompt, tag_t *point,
                                    double coordinates[3]) CVSTV_NOEXCEPT;

/* ---- Object lists ------------------------------------------------------------------- */

/* True when the object is an item of the list; false for a null object or
 * list. */
CVSTV_API bool CVSTVSHARE_is_object_in_list(tag_t object, struct hx_list_s *list) CVSTV_NOEXCEPT;
/* A new host list (*list, null first) of the count objects in order. 0, or
 * the host's status of the failed step (then *list is null). */
CVSTV_API int CVSTVSHARE_pack_tags_to_list(int count, const tag_t *objects,
                                           struct hx_list_s **list) CVSTV_NOEXCEPT;
/* The list's items in order as a new host array. 0; -1 (null array, count
 * 0) for an empty list or when memory runs out. */
CVSTV_API int CVSTVSHARE_unpack_list_to_tags(struct hx_list_s *list, int *count,
                                             tag_t **objects) CVSTV_NOEXCEPT;

/* ---- Text files of strings ----------------------------------------------------- */

/* Writes each string followed by a tab ("^" as an empty field), then a
 * line feed, to an open text file. 0; -1 if a write fails. */
CVSTV_API int CVSTVSHARE_write_strings_to_text_file(char **strings, FILE *file) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#ifdef __cplusplus
namespace Orvel {
class UString;
}
/* The next object of the work part after *object (0: from the first) whose
 * name, compared case-blind as a leaf name on at most 30 characters,
 * matches name; *object is 0 when none does (and for an empty name). 0;
 * -1 without a work part or out argument; a host status when the search
 * fails. */
CVSTV_API int CVSTVSHARE_cycle_object_by_name(const Orvel::UString &name, tag_t *object) noexcept;
#endif

#endif
