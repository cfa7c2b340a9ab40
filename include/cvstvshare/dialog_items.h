/*
 * Dialog item accessors: reading and changing the items of the host's
 * dialogs by dialog id and item id, from inside dialog callbacks.
 *
 * Every function takes the dialog id first and, unless it says otherwise,
 * the item id second. Results follow one of three rules, given with each
 * group: "status" passes the host's status back (0 success); "0/-1" answers
 * -1 when the host refuses and 0 otherwise; "0" ignores the host's answer.
 * A null out argument is refused with -1.
 *
 * Memory handed out: strings and index or value arrays come from the host
 * allocator and are freed with the host's free; string lists (char **,
 * null-terminated, null when empty) are freed with kt_free_str_list.
 */
#ifndef CVSTVSHARE_DIALOG_ITEMS_H
#define CVSTVSHARE_DIALOG_ITEMS_H

#include "cvstvshare_export.h"

CVSTV_BEGIN_DECLS

/* ---- Labels, titles, bitmaps, sensitivity and visibility ---------------- */

/* Result 0. */
CVSTV_API int STV_ui_modify_bitmap(int dialog_id, const char *item_id, const char *bitmap) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_modify_title(int dialog_id, const char *item_id, const char *title) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_modify_visibility(int dialog_id, const char *item_id, int visible) CVSTV_NOEXCEPT;
/* Sensitivity of one entry of an option menu or radio box. Result 0. */
CVSTV_API int STV_ui_modify_op_sensitivity(int dialog_id, const char *item_id, int sensitive,
                                           int index) CVSTV_NOEXCEPT;
/* Result: status. */
CVSTV_API int STV_ui_modify_sensitivity(int dialog_id, const char *item_id, int sensitive) CVSTV_NOEXCEPT;
/* Sensitivity of the OK and Apply buttons (no item id). */
CVSTV_API void STV_ui_modify_okapply_sensitivity(int dialog_id, int ok, int apply) CVSTV_NOEXCEPT;
/* Relabels the Cancel button (no item id). Result: status. */
CVSTV_API int STV_ui_change_cancel_to_back(int dialog_id, const char *label) CVSTV_NOEXCEPT;
/* Width of the dialog (no item id); a refusal is shown to the user. 0/-1. */
CVSTV_API int STV_ui_set_dialog_width(int dialog_id, int width) CVSTV_NOEXCEPT;

/* Result: status. */
CVSTV_API int CVSTVSHARE_UI_set_dialog_title(int dialog_id, const char *title) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_label(int dialog_id, const char *item_id, const char *label) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_bitmap(int dialog_id, const char *item_id, const char *bitmap) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_focus(int dialog_id, const char *item_id) CVSTV_NOEXCEPT;
/* Sensitivity of the item (index -1) or of one of its entries. */
CVSTV_API int CVSTVSHARE_UI_set_item_sensitivity(int dialog_id, const char *item_id, int index,
                                                 int sensitive) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_item_visibility(int dialog_id, const char *item_id,
                                                int visible) CVSTV_NOEXCEPT;
/* *flag is 0 unless the host answers. */
CVSTV_API int CVSTVSHARE_UI_ask_item_sensitivity(int dialog_id, const char *item_id,
                                                 int *flag) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_item_visibility(int dialog_id, const char *item_id, int *flag) CVSTV_NOEXCEPT;
CVSTV_API int KT_STYLER_set_label_value(int dialog_id, const char *item_id, const char *label) CVSTV_NOEXCEPT;

/* ---- Values of text, integer, real and toggle items ----------------------- */

/* Label (unless empty or null), then the value. Result 0. */
CVSTV_API int STV_ui_modify_textf(int dialog_id, const char *item_id, const char *label,
                                  double value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_modify_int_textf(int dialog_id, const char *item_id, const char *label,
                                      int value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_modify_textf_str(int dialog_id, const char *item_id, const char *label,
                                      const char *value) CVSTV_NOEXCEPT;
/* 0/-1. */
CVSTV_API int STV_ui_get_value(int dialog_id, const char *item_id, double *value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_get_int_value(int dialog_id, const char *item_id, int *value) CVSTV_NOEXCEPT;
/* The text as a new host string (*value; null on failure). 0/-1. */
CVSTV_API int STV_ui_get_value_str(int dialog_id, const char *item_id, char **value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_toggle_button(int dialog_id, const char *item_id, int on) CVSTV_NOEXCEPT;

/* Result: status. The asks set the out value to 0 first. */
CVSTV_API int CVSTVSHARE_UI_set_real_value(int dialog_id, const char *item_id, double value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_real_value(int dialog_id, const char *item_id, double *value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_integer_value(int dialog_id, const char *item_id, int value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_integer_value(int dialog_id, const char *item_id, int *value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_string_value(int dialog_id, const char *item_id,
                                             const char *value) CVSTV_NOEXCEPT;
/* The text into value, a buffer of at least 133 bytes (a text item holds
 * at most 132 characters); an empty text when the host gives none. */
CVSTV_API int CVSTVSHARE_UI_ask_string_value(int dialog_id, const char *item_id, char *value) CVSTV_NOEXCEPT;
CVSTV_API int KT_STYLER_ask_str_value(int dialog_id, const char *item_id, char *value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_toggle_value(int dialog_id, const char *item_id, int on) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_toggle_value(int dialog_id, const char *item_id, int *on) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_item_choice(int dialog_id, const char *item_id, int *on) CVSTV_NOEXCEPT;
/* The lines of a multi-line text (through the block-dialog set). */
CVSTV_API int CVSTVSHARE_UI_set_textbox_value(int dialog_id, const char *item_id, int count,
                                              char **lines) CVSTV_NOEXCEPT;

/* ---- Scales ------------------------------------------------------------------- */

/* 0/-1; setting a value the host refuses shows the host's text for it. */
CVSTV_API int STV_ui_set_scale_range(int dialog_id, const char *item_id, double minimum,
                                     double maximum) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_scale_value(int dialog_id, const char *item_id, double value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_get_scale_range(int dialog_id, const char *item_id, double *minimum,
                                     double *maximum) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_get_scale_value(int dialog_id, const char *item_id, double *value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_int_scale_range(int dialog_id, const char *item_id, int minimum,
                                         int maximum) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_int_scale_value(int dialog_id, const char *item_id, int value) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_get_int_scale_range(int dialog_id, const char *item_id, int *minimum,
                                         int *maximum) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_get_int_scale_value(int dialog_id, const char *item_id, int *value) CVSTV_NOEXCEPT;

/* Result: status. */
CVSTV_API int CVSTVSHARE_UI_set_real_scale_range(int dialog_id, const char *item_id, double minimum,
                                                 double maximum) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_real_scale_value(int dialog_id, const char *item_id,
                                                 double value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_real_scale_value(int dialog_id, const char *item_id,
                                                 double *value) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_real_scale_decimal_precision(int dialog_id, const char *item_id,
                                                             int places) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_real_scale_step_value(int dialog_id, const char *item_id,
                                                      double step) CVSTV_NOEXCEPT;

/* ---- Pages ---------------------------------------------------------------------- */

/* Active page of a tab item. 0/-1. */
CVSTV_API int STV_ui_get_active_id(int dialog_id, const char *item_id, int *page) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_active_id(int dialog_id, const char *item_id, int page) CVSTV_NOEXCEPT;
/* Active page of the dialog (no item id). Result: status. */
CVSTV_API int CVSTVSHARE_UI_set_active_page(int dialog_id, int page) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_active_page(int dialog_id, int *page) CVSTV_NOEXCEPT;

/* ---- Option menus, radio boxes and palettes ------------------------------- */

/* Label (when given), the count options (texts of at most 49 characters,
 * in rows of 50 bytes) and the chosen one. Result 0. */
CVSTV_API int STV_ui_modify_option(int dialog_id, const char *item_id, const char *label, char options[][50],
                                   int count, int chosen) CVSTV_NOEXCEPT;
/* Chooses the entry. Result 0. */
CVSTV_API int STV_ui_modify_radio(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_modify_option_item(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;
/* The chosen entry's text into text (a buffer of at least 50 bytes; a
 * longer text is cut at 49 characters). Returns the chosen index, or -1
 * (text untouched) when nothing is chosen or the host refuses. */
CVSTV_API int STV_ui_get_option(int dialog_id, const char *item_id, char *text) CVSTV_NOEXCEPT;
/* Result: status. */
CVSTV_API int STV_ui_get_radio(int dialog_id, const char *item_id, int *index) CVSTV_NOEXCEPT;
/* 0/-1. */
CVSTV_API int STV_ui_get_palette_value(int dialog_id, const char *item_id, int *index) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_palette_value(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;
/* Sets count empty entries (through the block-dialog set). Result: status. */
CVSTV_API int CVSTVSHARE_UI_clear_option_menu(int dialog_id, const char *item_id, int count) CVSTV_NOEXCEPT;
/* The chosen index (-1 none); then, if that succeeded, the focus. Status. */
CVSTV_API int kt_ask_option_index(int dialog_id, const char *item_id, int *index) CVSTV_NOEXCEPT;
CVSTV_API int kt_set_option_index(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;

/* ---- Lists: entries ------------------------------------------------------------ */

/* Entries (when given; each cut at 49 characters), then the chosen entry,
 * scrolled into view. Result 0. */
CVSTV_API int STV_ui_modify_list(int dialog_id, const char *item_id, char **entries, int count,
                                 int chosen) CVSTV_NOEXCEPT;
/* Sets the count entries. Result 0. */
CVSTV_API int STV_modify_list(int dialog_id, const char *item_id, char **entries, int count,
                              int unused) CVSTV_NOEXCEPT;
/* Replaces the entry at index (nothing when out of range). Result: status,
 * -1 when the entries cannot be read. */
CVSTV_API int STV_ui_modify_list_item(int dialog_id, const char *item_id, const char *text,
                                      int index) CVSTV_NOEXCEPT;
/* Deletes the entry at index (every entry when flag is 0). 0/-1. */
CVSTV_API int STV_ui_remove_list_item(int dialog_id, const char *item_id, int index, int flag) CVSTV_NOEXCEPT;
/* Inserts one entry at position. 0/-1. */
CVSTV_API int STV_ui_insert_list_item(int dialog_id, const char *item_id, int position,
                                      const char *text) CVSTV_NOEXCEPT;
/* Every entry as a new string list. 0/-1. */
CVSTV_API int STV_ui_get_all_list_items(int dialog_id, const char *item_id, char ***list,
                                        int *count) CVSTV_NOEXCEPT;
CVSTV_API int STV_get_list_items(int dialog_id, const char *item_id, char ***list, int *count) CVSTV_NOEXCEPT;
/* Index of the first entry equal to text, -1 when none. 0/-1. */
CVSTV_API int STV_ui_get_item_index(int dialog_id, const char *item_id, const char *text,
                                    int *index) CVSTV_NOEXCEPT;
/* Show the entry at index. 0/-1. */
CVSTV_API int STV_ui_get_list_show_item(int dialog_id, const char *item_id, int *index) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_set_list_show_item(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;

/* Result: status. */
CVSTV_API int CVSTVSHARE_UI_ask_list_value(int dialog_id, const char *item_id, int *count,
                                           char ***list) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_number_of_items(int dialog_id, const char *item_id,
                                                int *count) CVSTV_NOEXCEPT;
/* Inserts text before the entry at position when 0 < position < count,
 * else appends it. 0 for a null text. */
CVSTV_API int CVSTVSHARE_UI_insert_subitem(int dialog_id, const char *item_id, const char *text,
                                           int position) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_insert_subitems(int dialog_id, const char *item_id, int count, int position,
                                            char **texts) CVSTV_NOEXCEPT;
/* Deletes the entries at the indices, highest index first; stops at the
 * first refusal. 0/-1. */
CVSTV_API int CVSTVSHARE_UI_delete_subitems(int dialog_id, const char *item_id, int count,
                                            const int *indices) CVSTV_NOEXCEPT;
/* Deletes the entries equal to text and chooses the entry that takes the
 * last one's place. 0/-1. */
CVSTV_API int CVSTVSHARE_UI_delete_subitem(int dialog_id, const char *item_id,
                                           const char *text) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_clear_list(int dialog_id, const char *item_id) CVSTV_NOEXCEPT;
/* Sets the entries to the count texts (after the current ones when
 * replace is 0). Result: status. */
CVSTV_API int CVSTVSHARE_UI_set_list_value(int dialog_id, const char *item_id, int count, int replace,
                                           char **texts) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_set_list_show(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;

/* ---- Lists: choice --------------------------------------------------------- */

/* The chosen index, and the chosen text as a new 150-byte host buffer
 * (*text). Returns the chosen index, or -1. */
CVSTV_API int STV_ui_get_sel_list(int dialog_id, const char *item_id, char **text) CVSTV_NOEXCEPT;
/* Chosen texts (new string list), chosen indices (new host array) and
 * their count. 0/-1. */
CVSTV_API int STV_ui_get_multi_list(int dialog_id, const char *item_id, char ***list, int **indices,
                                    int *count) CVSTV_NOEXCEPT;
/* Chooses (sel) or deselects (desel) each index in turn; stops at the
 * first refusal. 0/-1. */
CVSTV_API int STV_ui_sel_multi_list(int dialog_id, const char *item_id, const int *indices,
                                    int count) CVSTV_NOEXCEPT;
CVSTV_API int STV_ui_desel_multi_list_item(int dialog_id, const char *item_id, const int *indices,
                                           int count) CVSTV_NOEXCEPT;
/* Deselects every entry. 0/-1. */
CVSTV_API int STV_ui_desel_multi_list(int dialog_id, const char *item_id) CVSTV_NOEXCEPT;
/* Chosen texts as a new string list. 0/-1. */
CVSTV_API int STV_get_list(int dialog_id, const char *item_id, char ***list, int *count) CVSTV_NOEXCEPT;

/* Result: status. */
CVSTV_API int CVSTVSHARE_UI_set_item_choice(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_ask_selected_subitem_index(int dialog_id, const char *item_id,
                                                       int *index) CVSTV_NOEXCEPT;
CVSTV_API int CVSTVSHARE_UI_deselect_subitem(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;
/* Chooses index when it is -1 or an entry; otherwise sets nothing and
 * returns the status of counting the entries. */
CVSTV_API int CVSTVSHARE_UI_select_subitem(int dialog_id, const char *item_id, int index) CVSTV_NOEXCEPT;
/* Chooses the last entry equal to text; with add 1 a missing text is
 * appended and chosen, otherwise entry 0 is chosen. Status of the last set. */
CVSTV_API int CVSTVSHARE_UI_select_subitem1(int dialog_id, const char *item_id, const char *text,
                                            int add) CVSTV_NOEXCEPT;
/* The chosen index and a new copy of its text: 0. Nothing chosen: index -1
 * and the first entry's text, 1. -1 when there are no entries or the host
 * refuses. */
CVSTV_API int CVSTVSHARE_UI_ask_selected_subitem_value(int dialog_id, const char *item_id, int *index,
                                                       char **text) CVSTV_NOEXCEPT;
/* Chosen count, texts (new string list) and indices (new host array). 0/-1. */
CVSTV_API int CVSTVSHARE_UI_ask_selected_subitems_value(int dialog_id, const char *item_id, int *count,
                                                        char ***list, int **indices) CVSTV_NOEXCEPT;

/* ---- The dialog selection ---------------------------------------------------- */

/* The objects of the dialog's selection (no item id) as a new host array
 * (null when empty). Result 0. */
CVSTV_API int STV_ui_get_sel_obj(int dialog_id, tag_t **objects, int *count) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#ifdef __cplusplus
namespace Orvel {
class UString;
}
/* The chosen entry's text into the host text object (cleared first).
 * Returns the chosen index, or -1. */
CVSTV_API int STV_ui_get_list(int dialog_id, const char *item_id, Orvel::UString &text) noexcept;
#endif

#endif
