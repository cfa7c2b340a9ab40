/*
 * Assembly, reference-set and model queries: walks over component
 * occurrences, parents and targets, reference sets and their replacement,
 * the model update with the library's failure dialog, suppression of
 * trimmed features by inter-part expressions, relinking pocket features,
 * solid interference, bounding boxes and small coordinate-system helpers.
 *
 * Tags are the host's (0 is the null tag); a part occurrence stands for its
 * prototype part where a function takes a part. A box is six reals: minimum
 * x, y, z, maximum x, y, z, in absolute coordinates. A 4 x 4 transformation
 * is sixteen reals row by row, rotation in rows and columns 0-2, translation
 * in column 3, bottom row (0, 0, 0, scale).
 *
 * Tag arrays handed out come from the host allocator: occurrence arrays of
 * kt_ask_child_occ are freed with kt_free_child_occ, every other array with
 * the host's free (HX_free). A null array is handed out for none. Functions
 * that change the work part, work occurrence or displayed part restore them
 * before returning, except kt_abs_csys, which leaves its coordinate system
 * the working one.
 */
#ifndef CVSTVSHARE_ASSEMBLY_H
#define CVSTVSHARE_ASSEMBLY_H

#include "cvstvshare_export.h"

#include <stdbool.h>

/* Most occurrences kt_ask_child_occ records. */
#define KT_MAX_CHILD_OCC 3000
/* Buffer of a reference-set name. */
#define KT_REFSET_NAME_BUFFER_SIZE 31

/* A function called on occurrences by kt_assem_recursive; its result is
 * ignored. */
typedef int (*kt_occurrence_function)(tag_t occurrence);

CVSTV_BEGIN_DECLS

/* ---- Occurrences and parts ------------------------------------------------ */

/* Calls function on the occurrence and then, depth-first in child order, on
 * every occurrence below it. Nothing for 0. */
CVSTV_API void kt_assem_recursive(tag_t occurrence, kt_occurrence_function function) CVSTV_NOEXCEPT;
/* The occurrences from a start downwards (start included, pre-order, at
 * most KT_MAX_CHILD_OCC) in a new array *occurrences; returns their number.
 * The start is the given occurrence; for a part, its first occurrence in
 * the displayed assembly, else its root occurrence; for 0, the loaded part
 * named part_name. 0 and a null array when there is none. */
CVSTV_API int kt_ask_child_occ(tag_t occurrence_or_part, const char *part_name,
                               tag_t **occurrences) CVSTV_NOEXCEPT;
/* Frees an array of kt_ask_child_occ and nulls the caller's pointer. */
CVSTV_API void kt_free_child_occ(tag_t **occurrences) CVSTV_NOEXCEPT;
/* The occurrence of the parent part that holds this part occurrence among
 * its children; 0 for anything else, or when the parent is the displayed
 * part. */
CVSTV_API tag_t kt_assem_ask_parent_occ(tag_t occurrence) CVSTV_NOEXCEPT;
/* The nearest part at or above the object's part that carries the string
 * attribute; 0 when none does. */
CVSTV_API tag_t kt_ask_attr_parent(tag_t object, const char *title) CVSTV_NOEXCEPT;
/* Every loaded part, in load order, that carries the title: a new array in
 * *parts (HX_free) and its length in *count. 0, or -1 when the array could
 * not be allocated or an argument is null. */
CVSTV_API int kt_get_parts(const char *title, tag_t **parts, int *count) CVSTV_NOEXCEPT;
/* The short name of a part: with part_name given, that name; else the full
 * name of the part (0: the work part; an occurrence: its prototype). With
 * the PDM manager active the part number decoded from it (the PDM's status
 * returned), otherwise the file name without directory and type. name holds
 * 257 bytes. -1 without a work part. */
CVSTV_API int kt_ask_part_name(const char *part_name, tag_t part, char *name) CVSTV_NOEXCEPT;
/* Whether the host's PDM manager is active (false when the query fails). */
CVSTV_API bool kt_krmgr_is_active(void) CVSTV_NOEXCEPT;
/* Sets a visible undo mark with the name; returns the mark (0 on failure). */
CVSTV_API int kt_set_undo(const char *name) CVSTV_NOEXCEPT;
/* The host's answer whether class_code is superclass_code or below it. */
CVSTV_API bool OM_is_subclass(int class_code, int superclass_code) CVSTV_NOEXCEPT;
/* Shows the work part in the host's status line. */
CVSTV_API void CVSTVSHARE_show_work_text(void) CVSTV_NOEXCEPT;
/* 1 when the part is the work part or the part of a child occurrence of the
 * work occurrence (of the displayed part's root occurrence when there is no
 * work occurrence); else 0. */
CVSTV_API int CVSTVSHARE_is_child_of_work_part(tag_t part) CVSTV_NOEXCEPT;
/* The first group that holds the object (0 when none) and the host's
 * status; -1 for the null tag. */
CVSTV_API int cv_group_ask_group_of_tag(tag_t object, tag_t *group) CVSTV_NOEXCEPT;

/* ---- Reference sets -------------------------------------------------------- */

/* The reference-set name of a component occurrence into name
 * (KT_REFSET_NAME_BUFFER_SIZE bytes, emptied first) and the host's status;
 * -1 for a tag that is no occurrence. */
CVSTV_API int CVSTVSHARE_ask_current_refset(tag_t occurrence, char *name) CVSTV_NOEXCEPT;
/* The bodies among the members of the first reference set of that name in
 * the part (or an occurrence's prototype): a new array in *bodies (HX_free);
 * returns their number, 0 with a null array for none. */
CVSTV_API int CVSTVSHARE_ask_objects_in_refset(const char *refset_name, tag_t part,
                                               tag_t **bodies) CVSTV_NOEXCEPT;
/* True when the part's first reference set of that name holds the object,
 * or a component occurrence whose prototype is the object. */
CVSTV_API bool CVSTVSHARE_is_object_in_refset(tag_t part, const char *refset_name,
                                              tag_t object) CVSTV_NOEXCEPT;
/* The bodies of the part, in the host's order: once in the first list for
 * each of its reference sets named exactly "TRUE", once in the second for
 * each named "FALSE". New arrays (HX_free; null for none) and their counts.
 * 0, or -1 for a null argument or a failed allocation. */
CVSTV_API int CVSTVSHARE_get_bodies_in_true_false_refset(tag_t part, tag_t **true_bodies, int *true_count,
                                                         tag_t **false_bodies,
                                                         int *false_count) CVSTV_NOEXCEPT;
/* Makes a component occurrence use the reference set name ("": none) of
 * its part, working in its parent. 0 when it already uses it (or uses none
 * and the name is ""); 1 when there is no work or displayed part, the
 * component is suppressed (or its suppression expression is below 0.01) or
 * has no parent; -1 for a tag that is no loaded part occurrence; else the
 * replacement's status. A name the part lacks changes nothing. The mould-
 * design form switches the displayed part to the parent when the parent's
 * units differ from the project's; the progressive-die form always works in
 * the parent occurrence. */
CVSTV_API int kt_assem_replace_refset(tag_t occurrence, const char *name) CVSTV_NOEXCEPT;
CVSTV_API int kt_assem_replace_refset_STV(tag_t occurrence, const char *name) CVSTV_NOEXCEPT;
/* The progressive-die form for wizard type 2, the mould-design form else. */
CVSTV_API int CVSTVSHARE_assem_replace_refset(int wizard_type, tag_t occurrence,
                                              const char *name) CVSTV_NOEXCEPT;

/* ---- Model update and features ------------------------------------------------ */

/* Updates the model. When the update fails, shows the "Update Failure"
 * dialog with the message, the failing feature's part and name and the
 * reason, offering "Suppress" (update again suppressing failing features)
 * and, when undo_mark is not 0, "Undo" (back to that mark). Returns the
 * update's status (after "Suppress": the second update's). The update-fail
 * option is the same afterwards. */
CVSTV_API int KT_MODL_update(int undo_mark, const char *message) CVSTV_NOEXCEPT;
/* Loads the parts the work part's linked features link to, when the
 * customer default "CV_Load_ZOLT_Data" of the wizard type is 1. -1 without
 * a work part; 0 when the default is not 1; else the status of the first
 * part that failed to load, or the host call's status. */
CVSTV_API int CVSTVSHARE_zolt_load_parents(int wizard_type) CVSTV_NOEXCEPT;
/* Makes the trimmed feature suppressed with the parting part's
 * "split_cavity_supp" (cavity true) or "split_core_supp" expression through
 * a new expression "trim_supp_cav[n]" or "trim_supp_core[n]" of the
 * feature's part, then updates the model. 0, -1, a host status, or the
 * update's status. */
CVSTV_API int kt_set_trim_feat_supp(tag_t feature, bool cavity) CVSTV_NOEXCEPT;
/* Points each link feature at the object as seen from the source
 * occurrence in the context of the target occurrence of the same index,
 * updating the model after each. 0, -1 for the null tag, or the status of
 * the step that failed. */
CVSTV_API int CV_relink_pocket_link_feature(tag_t object, int count, const tag_t *link_features,
                                            tag_t source_occurrence,
                                            const tag_t *target_occurrences) CVSTV_NOEXCEPT;
/* The occurrence of the link feature's part in the displayed assembly from
 * which the feature's link leads to the given occurrence: 0 with *target,
 * or -1. */
CVSTV_API int kt_ask_target_occ(tag_t link_feature, tag_t occurrence, tag_t *target) CVSTV_NOEXCEPT;
/* kt_ask_target_occ for count features into targets (count entries);
 * *found is set to count on success. Stops at the first failure and
 * returns it. */
CVSTV_API int CV_get_target_occ(const tag_t *features, int count, tag_t occurrence, tag_t *targets,
                                int *found) CVSTV_NOEXCEPT;

/* ---- Geometry ---------------------------------------------------------------------- */

/* The bodies where two solid bodies interfere, made in the work part, into
 * the caller's array (room for every interference body: box geometry gives
 * at most one); returns their number, 0 without a work part or on any
 * failure. */
CVSTV_API int kt_solid_interfere(tag_t body1, tag_t body2, tag_t *interference_bodies) CVSTV_NOEXCEPT;
/* The mould-design bounding box of the object; when the host raises an
 * error there, it is recorded in the system log and the box aligned to the
 * absolute axes is taken. 0, or the status of that second query. */
CVSTV_API int kt_ask_bounding_box(tag_t object, double box[6]) CVSTV_NOEXCEPT;
/* The inverse of a rigid transformation: transposed rotation, translation
 * -R^T t divided by the scale element, bottom row (0, 0, 0, 1). */
CVSTV_API void KT_MXT4_inverse(const double matrix[16], double inverse[16]) CVSTV_NOEXCEPT;
/* Makes the displayed part the work part, creates a temporary coordinate
 * system at the origin with the absolute axes, makes it the working
 * coordinate system and restores the work part; returns it (0 on failure).
 * The previous working coordinate system is not restored. */
CVSTV_API tag_t kt_abs_csys(void) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
