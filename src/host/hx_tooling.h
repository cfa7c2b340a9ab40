/*
 * The host's tooling utilities that the project settings hand data to: the
 * parting settings of the parting tools, the layer categories of a tooling
 * project and the mould-design load scale.
 */
#ifndef CVSTV_HOST_HX_TOOLING_H
#define CVSTV_HOST_HX_TOOLING_H

#include "hx_common.h"

/* ---- Parting settings --------------------------------------------------------- */

/* Numbers of integer and real options of the second parting record. */
#define HX_KT_PARTING_INT_OPTIONS 29
#define HX_KT_PARTING_REAL_OPTIONS 9

/* The first parting record: tolerances, layers and colours. */
typedef struct HX_kt_parting_settings_s {
    int auto_process;
    double lines_tolerance;
    double surface_tolerance;
    int region_type;
    int core_cavity_auto_trim;
    double core_cavity_tolerance;
    int product_layer;
    int lines_layer;
    int core_surface_layer;
    int cavity_surface_layer;
    int core_layer;
    int cavity_layer;
    int patch_body_layer;
    int surface_colour;
    int patch_colour;
    int lines_colour;
    int transit_object_colour;
    int core_region_colour;
    int cavity_region_colour;
    int fixed_value;
    int mesh_surface;
    int reserved;
} HX_kt_parting_settings_s;

/* The second parting record: options, with arrays of int_count integers and
 * real_count reals allocated with HX_allocate_memory. */
typedef struct HX_kt_parting_options_s {
    int first_value;
    int patch_feature_number;
    double small_draft_angle;
    double cross_over_angle;
    int int_count;
    int *int_options;
    int real_count;
    double *real_options;
} HX_kt_parting_options_s;

/* ---- Layer categories --------------------------------------------------------- */

#define TOOLING_LAYER_COUNT 256
#define TOOLING_CATEGORY_NAME_SIZE 30
#define TOOLING_CATEGORY_DESCRIPTION_SIZE 80

/* A layer category: its name, one flag per layer 1 to 256 (layer n is
 * layer_flags[n - 1]; 1 when the layer belongs to the category, else 0) and
 * a description. */
typedef struct TOOLING_layer_category_info_s {
    char name[TOOLING_CATEGORY_NAME_SIZE + 1];
    unsigned char layer_flags[TOOLING_LAYER_COUNT];
    char description[TOOLING_CATEGORY_DESCRIPTION_SIZE + 1];
} TOOLING_layer_category_info_s;

HX_BEGIN_DECLS

/* Hands both parting records to the host's parting tools. On success the
 * host takes the two arrays of the second record (the caller must not use
 * or free them afterwards); on failure they stay the caller's. */
HX_API int HX_kt_init(const HX_kt_parting_settings_s *settings, HX_kt_parting_options_s *options);

/* Creates the layer category of the record, or redefines the category of
 * that name (its layers and description replaced). *category, when not
 * null, receives its tag. HX_ERR_BAD_ARGUMENT for an empty or unterminated
 * name or description. */
HX_API int TOOLING_create_layer_category(const TOOLING_layer_category_info_s *info, tag_t *category);

/* The mould-design load scale (the scale factor a product is loaded with). */
HX_API int CVDES_init_put_load_scale(double scale);

HX_END_DECLS

#endif
