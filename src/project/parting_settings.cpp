// The parting settings handed to the host's parting tools: two records
// built from fixed defaults, each field with a key overwritten by that
// customer default (current wizard type, unit mode 0) when it is answered.
//
// Keys are read in a fixed order: the patch feature number, the small draft
// and cross-over angles; the first record's keys in field order; the real
// options by position; the integer options by position. The option arrays
// come from the host allocator and pass to the host with the second record;
// if the host refuses the records, they are freed here.
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/startup.h"
#include "util/boundary.h"

#include "hx_memory.h"
#include "hx_tooling.h"

#include <iterator>

namespace {

struct Option {
    int position;
    const char *key;
    int kind;
};

constexpr int integer_defaults[HX_KT_PARTING_INT_OPTIONS] = {1, 1, 1, 3, 1, 5, 0, 3,  6, 1, 11, 7, 5, 12, 0,
                                                             6, 0, 1, 0, 3, 0, 0, 90, 1, 0, 0,  1, 1, 250};
constexpr Option integer_keys[] = {
    {0, "CV_PartingColorTraverse", CV_DEFAULT_LOGICAL},
    {2, "CV_PartingAssociateSwap", CV_DEFAULT_LOGICAL},
    {3, "CV_PartingCompUnchangedFaces", CV_DEFAULT_COLOUR},
    {4, "CV_PartingCompRemovedFaces", CV_DEFAULT_COLOUR},
    {5, "CV_PartingCompNewFaces", CV_DEFAULT_COLOUR},
    {24, "CV_CastingStepSheetCornerRadiusOption", CV_DEFAULT_INT},
    {25, "CV_PartingKeepExistingRegions", CV_DEFAULT_LOGICAL},
    {26, "CV_PartingExtractPartingLines", CV_DEFAULT_LOGICAL},
    {27, "CV_PartingExtractRegion", CV_DEFAULT_LOGICAL},
    {28, "CV_PartingPatchSurfaceLayer", CV_DEFAULT_INT},
};

constexpr double real_defaults[HX_KT_PARTING_REAL_OPTIONS] = {0.00001, 10.0, 10.0, 10.0, 10.0,
                                                              5.0,     5.0,  5.0,  5.0};
constexpr Option real_keys[] = {
    {0, "CV_PartingCompTolerance", CV_DEFAULT_REAL_BY_UNITS},
    {1, "CV_CastingBodyBoxOffsetX1", CV_DEFAULT_REAL_BY_UNITS},
    {2, "CV_CastingBodyBoxOffsetX2", CV_DEFAULT_REAL_BY_UNITS},
    {3, "CV_CastingBodyBoxOffsetY1", CV_DEFAULT_REAL_BY_UNITS},
    {4, "CV_CastingBodyBoxOffsetY2", CV_DEFAULT_REAL_BY_UNITS},
    {5, "CV_CastingStepSheetToolLand", CV_DEFAULT_REAL_BY_UNITS},
    {6, "CV_CastingStepSheetDraftAngle", CV_DEFAULT_REAL_AS_IS},
    {7, "CV_CastingStepSheetRadius", CV_DEFAULT_REAL_BY_UNITS},
    {8, "CV_CastingRampAngle", CV_DEFAULT_REAL_AS_IS},
};

// Overwrites field with the customer default when it is answered.
template <class T> void read_key(int wizard_type, const char *key, int kind, T &field)
{
    T value = field;
    if (CVSTVSHARE_get_customer_default(wizard_type, key, CV_DEFAULT_UNITS_WORK_PART, kind, &value) == 0)
        field = value;
}

int parting_setting_init()
{
    const int wizard = CVSTWSHARE_get_wizard_type();
    HX_kt_parting_settings_s s{1, 0.01, 0.01, 3, 1, 0.1, 1,  26, 27,  28, 7,
                               8, 25,   6,    7, 2, 8,   14, 3,  255, 1,  0};
    HX_kt_parting_options_s o{
        1, 150, 3.0, 5.0, HX_KT_PARTING_INT_OPTIONS, nullptr, HX_KT_PARTING_REAL_OPTIONS, nullptr};

    read_key(wizard, "CV_ToolsPatchFeatureNum", CV_DEFAULT_INT, o.patch_feature_number);
    read_key(wizard, "CV_PartingSmallDraftAngle", CV_DEFAULT_REAL_AS_IS, o.small_draft_angle);
    read_key(wizard, "CV_PartingCrossOverAngle", CV_DEFAULT_REAL_AS_IS, o.cross_over_angle);

    read_key(wizard, "CV_PartingAutoProcess", CV_DEFAULT_LOGICAL, s.auto_process);
    read_key(wizard, "CV_PartingLinesTolerance", CV_DEFAULT_REAL_BY_UNITS, s.lines_tolerance);
    read_key(wizard, "CV_PartingSurfTolerance", CV_DEFAULT_REAL_BY_UNITS, s.surface_tolerance);
    read_key(wizard, "CV_PartingRegionType", CV_DEFAULT_INT, s.region_type);
    read_key(wizard, "CV_PartingCoreCavityAutoTrim", CV_DEFAULT_LOGICAL, s.core_cavity_auto_trim);
    read_key(wizard, "CV_PartingCoreCavityTolerance", CV_DEFAULT_REAL_BY_UNITS, s.core_cavity_tolerance);
    read_key(wizard, "CV_PartingProdLayer", CV_DEFAULT_INT, s.product_layer);
    read_key(wizard, "CV_PartingLinesLayer", CV_DEFAULT_INT, s.lines_layer);
    read_key(wizard, "CV_PartingCoreSurfLayer", CV_DEFAULT_INT, s.core_surface_layer);
    read_key(wizard, "CV_PartingCavitySurfLayer", CV_DEFAULT_INT, s.cavity_surface_layer);
    read_key(wizard, "CV_PartingCoreLayer", CV_DEFAULT_INT, s.core_layer);
    read_key(wizard, "CV_PartingCavityLayer", CV_DEFAULT_INT, s.cavity_layer);
    read_key(wizard, "CV_PartingPatchBodyLayer", CV_DEFAULT_INT, s.patch_body_layer);
    read_key(wizard, "CV_PartingSurfColor", CV_DEFAULT_COLOUR, s.surface_colour);
    read_key(wizard, "CV_PartingPatchColor", CV_DEFAULT_COLOUR, s.patch_colour);
    read_key(wizard, "CV_PartingLinesColor", CV_DEFAULT_COLOUR, s.lines_colour);
    read_key(wizard, "CV_PartingTransitObjectColor", CV_DEFAULT_COLOUR, s.transit_object_colour);
    read_key(wizard, "CV_PartingCoreRegionColor", CV_DEFAULT_COLOUR, s.core_region_colour);
    read_key(wizard, "CV_PartingCavityRegionColor", CV_DEFAULT_COLOUR, s.cavity_region_colour);
    read_key(wizard, "CV_PartingMeshSurf", CV_DEFAULT_LOGICAL, s.mesh_surface);

    double reals[HX_KT_PARTING_REAL_OPTIONS];
    std::copy(std::begin(real_defaults), std::end(real_defaults), reals);
    for (const Option &k : real_keys)
        read_key(wizard, k.key, k.kind, reals[k.position]);
    int integers[HX_KT_PARTING_INT_OPTIONS];
    std::copy(std::begin(integer_defaults), std::end(integer_defaults), integers);
    for (const Option &k : integer_keys)
        read_key(wizard, k.key, k.kind, integers[k.position]);

    o.int_options = static_cast<int *>(HX_allocate_memory(sizeof integers, nullptr));
    o.real_options = static_cast<double *>(HX_allocate_memory(sizeof reals, nullptr));
    int status = -1;
    if (o.int_options && o.real_options) {
        std::copy(std::begin(integers), std::end(integers), o.int_options);
        std::copy(std::begin(reals), std::end(reals), o.real_options);
        status = HX_kt_init(&s, &o);
    }
    if (status != 0) {
        HX_free(o.int_options);
        HX_free(o.real_options);
    }
    return status;
}

} // namespace

extern "C" {

CVSTV_API int kt_parting_setting_init(void) noexcept
{
    return cvstv::guarded("kt_parting_setting_init", -1, [] { return parting_setting_init(); });
}

} // extern "C"
