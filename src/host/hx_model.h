/*
 * Host modelling services: features and their suppression, bodies, inter-
 * part links of linked features, bounding boxes, coordinate systems,
 * clearance analysis, the object-class test and the tooling utilities the
 * library calls.
 *
 * Geometry is kept simple: a body, face or edge is known by its box in its
 * part's coordinates; an object occurrence's box is that box carried
 * through the occurrence's transformation and boxed again along the
 * absolute axes. Boxes are therefore exact for objects that are boxes
 * placed with axis-parallel orientations, and enclose the object otherwise.
 *
 * Arrays handed out here come from the host allocator and belong to the
 * caller (HX_free); they are null when the count is 0.
 */
#ifndef CVSTV_HOST_HX_MODEL_H
#define CVSTV_HOST_HX_MODEL_H

#include "hx_common.h"
#include "hx_features.h"
#include "hx_objects.h"
#include "hx_parts.h"

/* Body types of HX_MODL_ask_body_type. */
enum { HX_BODY_SOLID = 1, HX_BODY_SHEET = 2 };

/* Options of HX_ZOLT_load_parents. */
enum { HX_ZOLT_LOAD_IMMEDIATE = 1, HX_ZOLT_LOAD_ALL = 2 };

/* Clearance analysis: list types and modes. */
enum { HX_CLEAR_LIST_NONE = -1, HX_CLEAR_LIST_OBJECTS = 4 };
enum { HX_CLEAR_MODE_SOLIDS = 1 };

HX_BEGIN_DECLS

/* ---- Features -------------------------------------------------------------- */

/* The next feature of a part after *feature (0: from the first) in feature
 * order; *feature 0 after the last. HX_ERR_NOT_FULLY_LOADED for a part
 * loaded partially. */
HX_API int HX_MODL_cycle_feats(tag_t part, tag_t *feature);
/* A feature's type and name: HX_MODL_ask_feat_type, HX_MODL_ask_feat_name
 * (hx_features.h). */
/* The first body a feature makes (0 when it makes none). */
HX_API int HX_MODL_ask_feat_body(tag_t feature, tag_t *body);
/* The features of a part that make a body, in feature order. */
HX_API int HX_MODL_ask_body_feats(tag_t body, int *count, tag_t **features);
/* HX_BODY_SOLID or HX_BODY_SHEET. */
HX_API int HX_MODL_ask_body_type(tag_t body, int *type);
/* Suppression of a feature: its state, and the expression that suppresses
 * it when its value is below 0.01 in size (0: none; an expression of the
 * feature's part). */
HX_API int HX_MODL_ask_suppress_state(tag_t feature, int *suppressed);
HX_API int HX_MODL_set_suppress_exp(tag_t feature, tag_t expression);
HX_API int HX_MODL_ask_suppress_exp(tag_t feature, tag_t *expression);

/* ---- Inter-part links ---------------------------------------------------------- */

/* Point a linked feature at an object of another (or the same) part, seen
 * through a transformation (0: the source part's own coordinates). The
 * feature's body follows the object at the next update. */
HX_API int HX_ZOLT_set_link_data(tag_t feature, tag_t object, tag_t xform);
/* The transformation of a linked feature (0 when it has none). */
HX_API int HX_ZOLT_ask_link_xform(tag_t feature, tag_t *xform);
/* The object a linked feature links to (0 while its part is not loaded)
 * and the display name of that part: its file name without directory and
 * type, or number/revision for a PDM part. */
HX_API int HX_ZOLT_ask_link_source(tag_t feature, tag_t *object, char part_name[HX_MAX_FSPEC_SIZE + 1]);
/* Load the parts that the part's linked features link to (HX_ZOLT_LOAD_ALL:
 * and theirs in turn). status lists the parts that could not be loaded. */
HX_API int HX_ZOLT_load_parents(tag_t part, int option, HX_PART_load_status_t *status);

/* ---- Boxes ------------------------------------------------------------------- */

/* The box of a body, face or edge (or an occurrence of one) in absolute
 * coordinates: minimum x, y, z, maximum x, y, z. */
HX_API int HX_MODL_ask_bounding_box(tag_t object, double box[6]);
/* The same box as its minimum corner and its extents along the axes. */
HX_API int HX_MODL_ask_box_abs(tag_t object, double min_corner[3], double extents[3]);

/* ---- Coordinate systems -------------------------------------------------------- */

/* A temporary coordinate system of the work part (not saved): origin and
 * axes (x axis, y axis, z axis, each a unit vector). */
HX_API int HX_CSYS_create_temp_csys(const double origin[3], const double axes[9], tag_t *csys);
/* The working coordinate system of the displayed part (0: the absolute
 * one); make a coordinate system of the displayed part its working one. */
HX_API int HX_CSYS_ask_wcs(tag_t *csys);
HX_API int HX_CSYS_set_wcs(tag_t csys);

/* ---- Clearance analysis ----------------------------------------------------------
 * A dataset of the work part names up to two lists of objects; an analysis
 * compares every body of list 1 with every body of list 2 (or, with list 2
 * of type HX_CLEAR_LIST_NONE, every pair in list 1). Two bodies whose boxes
 * overlap in volume interfere with a solid (an object of type
 * HX_TYPE_SOLID); boxes that only touch give a contact (HX_TYPE_INTERFERENCE). */

HX_API int HX_CLEAR_find_data_set(tag_t part, const char *name, tag_t *dataset);
HX_API int HX_CLEAR_create_data_set(const char *name, tag_t *dataset);
HX_API int HX_CLEAR_delete_data_set(tag_t dataset);
HX_API int HX_CLEAR_set_analysis_mode(tag_t dataset, int mode);
HX_API int HX_CLEAR_set_obj_list(tag_t dataset, int list, int list_type, int count, const tag_t *objects);
HX_API int HX_CLEAR_do_analysis(tag_t dataset);
/* The interferences found between two objects by the last analysis. */
HX_API int HX_CLEAR_ask_interferences(tag_t dataset, tag_t first, tag_t second, int *count,
                                      tag_t **interferences);
/* A body of the work part that occupies a solid interference. */
HX_API int HX_CLEAR_ask_interference_body(tag_t interference, tag_t *body);

/* ---- Object classes and tooling utilities --------------------------------------- */

/* Is the object class `class_code` the class `superclass_code` or below it?
 * The host's classes are its object types, each directly below the root
 * class 0. */
HX_API int HX_OM_is_subclass(int class_code, int superclass_code);
/* Show the work part's name in the status line. */
HX_API int HX_TOOL_show_work_text(void);
/* The part file name of a part's display name: the name itself for files;
 * "@DB/number/revision" for number/revision while the PDM manager is
 * active. */
HX_API int HX_TOOL_file_name_of_display_name(const char *display_name, char file_name[HX_MAX_FSPEC_SIZE + 1]);

HX_END_DECLS

#ifdef __cplusplus
/* The mould-design bounding box of a body (or body occurrence) in absolute
 * coordinates. A tooling service of the host's C++ side: it raises
 * std::runtime_error when it cannot answer, so only C++ callers see it. */
extern "C" HX_API void HX_CV_ask_bounding_box(tag_t object, double box[6]);
#endif

#endif
