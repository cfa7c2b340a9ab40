/*
 * Host assemblies: components (instances) of a part, the occurrence trees
 * built over them, the work occurrence, adding components, reference sets,
 * transformations between occurrences' contexts, groups and the assembly
 * load options.
 *
 * Every loaded part has a root occurrence; below it is one part occurrence
 * for each component, down through the components' own components. A part
 * occurrence stands for its prototype, the component's part (0 while that
 * part is not loaded, which ends the branch). An object seen through a part
 * occurrence is an object occurrence whose prototype is the object. The
 * work occurrence is the occurrence of the work part in the displayed
 * assembly; it is 0 while the work part is the displayed part.
 *
 * Arrays handed out here come from the host allocator and belong to the
 * caller (HX_free); they are null when the count is 0.
 */
#ifndef CVSTV_HOST_HX_ASSEM_H
#define CVSTV_HOST_HX_ASSEM_H

#include "hx_common.h"
#include "hx_objects.h"
#include "hx_parts.h"

/* The reference-set name of a component that uses no reference set (the
 * whole part). */
#define HX_REFSET_NONE "None"

/* Traversal kinds of HX_ASSEM_ask_occ_children. */
enum { HX_ASSEM_IMMEDIATE_CHILDREN = 0, HX_ASSEM_ALL_DESCENDANTS = 1 };

/* What a component holds. */
typedef struct HX_ASSEM_component_s {
    char part_name[HX_MAX_FSPEC_SIZE + 1]; /* full name of the component's part */
    char refset[HX_OBJ_NAME_SIZE + 1];     /* HX_REFSET_NONE when it uses none */
    char name[HX_OBJ_NAME_SIZE + 1];       /* the component name */
    double origin[3];
    double orientation[6]; /* x axis, y axis in the parent */
    int suppressed;
    tag_t suppression_expression; /* 0: none */
} HX_ASSEM_component_t;

/* The assembly load options: one record of integer members. The host reads
 * the members named below; the others are kept for the callers that set
 * them. */
typedef struct ASSY_assy_options_s {
    int option[16];
} ASSY_assy_options_t;
enum {
    ASSY_OPTION_LOAD_METHOD =
        0, /* 0: components from the parent's directory, 1: from the default directory */
    ASSY_OPTION_LOAD_COMPONENTS = 1, /* 1: open components with their assembly (the default), 0: not */
    ASSY_OPTION_LOAD_PARTIALLY = 2   /* 1: open components partially, 0: fully (the default) */
};

HX_BEGIN_DECLS

/* ---- Occurrences --------------------------------------------------------- */

HX_API tag_t HX_ASSEM_ask_work_occurrence(void);
/* Make an occurrence of the displayed assembly the work occurrence; its
 * part becomes the work part. */
HX_API int HX_ASSEM_set_work_occurrence(tag_t occurrence);
/* The root occurrence of a loaded part; 0 for anything else. */
HX_API tag_t HX_ASSEM_ask_root_part_occ(tag_t part);
/* Is the tag an occurrence? */
HX_API int HX_ASSEM_is_occurrence(tag_t object);
/* The part or object an occurrence stands for; 0 when its part is not
 * loaded or the tag is no occurrence. */
HX_API tag_t HX_ASSEM_ask_prototype_of_occ(tag_t occurrence);
/* The occurrences of an object (occurrences that stand for it), as a new
 * array from the host allocator (null when there are none). */
HX_API int HX_ASSEM_ask_occs_of_entity(tag_t object, int *count, tag_t **occurrences);
/* The child part occurrences of a part occurrence, in component order. */
HX_API int HX_ASSEM_ask_part_occ_children(tag_t occurrence, int *count, tag_t **children);
/* The same with a traversal kind: HX_ASSEM_IMMEDIATE_CHILDREN, or
 * HX_ASSEM_ALL_DESCENDANTS (every occurrence below, pre-order). */
HX_API int HX_ASSEM_ask_occ_children(tag_t occurrence, int traversal, int *count, tag_t **children);
/* The occurrence a part occurrence sits in; 0 for a root occurrence. */
HX_API tag_t HX_ASSEM_ask_parent_part_occ(tag_t occurrence);
/* The instance of a part occurrence; 0 for a root occurrence. */
HX_API tag_t HX_ASSEM_ask_inst_of_part_occ(tag_t occurrence);
/* The part that holds an instance; the instance's child part (0 when not
 * loaded). */
HX_API tag_t HX_ASSEM_ask_parent_of_instance(tag_t instance);
HX_API tag_t HX_ASSEM_ask_child_of_instance(tag_t instance);
/* The components of a part, in creation order. */
HX_API int HX_ASSEM_ask_instances_of_part(tag_t part, int *count, tag_t **instances);
/* Every occurrence of a part in the assembly of another (pre-order). */
HX_API int HX_ASSEM_ask_occs_of_part(tag_t assembly, tag_t part, int *count, tag_t **occurrences);
/* The occurrence of an object of a part seen through one of that part's
 * occurrences. */
HX_API int HX_ASSEM_find_occurrence(tag_t part_occurrence, tag_t object, tag_t *occurrence);
/* The absolute transformation of an occurrence in its assembly. */
HX_API int HX_ASSEM_ask_transform_of_occ(tag_t occurrence, double matrix[16]);

/* ---- Components ---------------------------------------------------------- */

/* What a component (an instance or a part occurrence) holds. */
HX_API int HX_ASSEM_ask_component_data(tag_t component, HX_ASSEM_component_t *data);
/* The reference-set name of a component (HX_REFSET_NONE when none). */
HX_API int HX_ASSEM_ask_refset_name(tag_t component, char name[HX_OBJ_NAME_SIZE + 1]);
/* Add a part (file or PDM name; opened when not loaded) as a component of
 * the work part `parent` at origin with the orientation (x axis, y axis).
 * refset and name may be null or empty; layer -1 keeps the part's own
 * layers. HX_ERR_NOT_IN_WORK_PART when parent is not the work part,
 * HX_ERR_CYCLE when the part would contain itself, HX_ERR_NOT_FOUND for a
 * reference set the part lacks. *status is filled as by HX_PART_open. */
HX_API int HX_ASSEM_add_part_to_assembly(tag_t parent, const char *part_name, const char *refset,
                                         const char *name, const double origin[3],
                                         const double orientation[6], int layer, tag_t *instance,
                                         HX_PART_load_status_t *status);
/* Make the components (instances or part occurrences of components of the
 * work part) use the reference set `name` of their part ("" or
 * HX_REFSET_NONE: none). HX_ERR_NOT_IN_WORK_PART when a component is not in
 * the work part, HX_ERR_NOT_FOUND when its part lacks that reference set;
 * nothing changes then. */
HX_API int HX_ASSEM_replace_refset(int count, const tag_t *components, const char *name);
/* Suppress (non-zero) or unsuppress a component. */
HX_API int HX_ASSEM_suppress_instance(tag_t instance, int suppress);
/* Give a component a suppression expression (0: none). */
HX_API int HX_ASSEM_set_suppression_exp(tag_t instance, tag_t expression);

/* ---- Load options ---------------------------------------------------------- */

HX_API int ASSY_ask_assy_options(ASSY_assy_options_t *options);
HX_API int ASSY_set_assy_options(const ASSY_assy_options_t *options);

/* ---- Reference sets -------------------------------------------------------
 * A reference set is an object of its part (HX_TYPE_REFERENCE_SET, named)
 * whose members are objects and components of that part. Members that are
 * components are answered as their part occurrences below the part's root
 * occurrence. */

/* Create a reference set in the work part (HX_ERR_EXISTS for a name in use). */
HX_API int HX_RSET_create(const char *name, int count, const tag_t *members, tag_t *refset);
HX_API int HX_RSET_ask_members(tag_t refset, int *count, tag_t **members);
HX_API int HX_RSET_add_members(tag_t refset, int count, const tag_t *members);
HX_API int HX_RSET_remove_members(tag_t refset, int count, const tag_t *members);
/* The reference sets that hold an object (or component), in creation order. */
HX_API int HX_RSET_ask_refsets_of_object(tag_t object, int *count, tag_t **refsets);

/* ---- Transformations between occurrences ---------------------------------- */

/* Create in the work part the transformation that takes geometry seen in
 * the `from` occurrence into the `to` occurrence's part, kept as the path
 * between them. */
HX_API int HX_SO_create_xform_assy_ctxt(tag_t from, tag_t to, tag_t *xform);
/* The occurrence the transformation's path leads to when it starts from the
 * occurrence `to` (of the transformation's part); *from is 0 when the path
 * leads nowhere from there. */
HX_API int HX_SO_ask_assy_ctxt_part_occ(tag_t xform, tag_t to, tag_t *from);
HX_API int HX_SO_ask_xform_matrix(tag_t xform, double matrix[16]);

/* ---- Groups ------------------------------------------------------------------ */

/* Create a named group of objects of the work part. */
HX_API int HX_GROUP_create(const char *name, int count, const tag_t *members, tag_t *group);
/* The first group (in creation order) that holds the object; 0 when none. */
HX_API int HX_GROUP_ask_group_of_tag(tag_t object, tag_t *group);

HX_END_DECLS

#endif
