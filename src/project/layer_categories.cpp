// The layer categories of a tooling project: one category per layer key
// whose layer number (the key, an integer) and name (the key + "Name", a
// text) the customer defaults answer, named by that name (cut to 30
// characters), described by it (cut to 80) and holding that one layer.
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/project_lookups.h"
#include "cvstvshare/startup.h"
#include "util/boundary.h"
#include "util/text_buffer.h"

#include "hx_tooling.h"

#include <string>

namespace {

constexpr const char *layer_keys[] = {
    "CV_HideObjectLayer",       "CV_DatumLayer",
    "CV_ShrinkBodyLayer",       "CV_WorkPieceLayer",
    "CV_PartingProdLayer",      "CV_PartingLinesLayer",
    "CV_PartingCoreSurfLayer",  "CV_PartingCavitySurfLayer",
    "CV_PartingPatchBodyLayer", "CV_PartingCoreLayer",
    "CV_PartingCavityLayer",    "CV_ElectrodeSolidLayer",
    "CV_CoolingChannelLayer",   "CV_InsertLayer",
};

int init_layer_name()
{
    const int wizard = CVSTWSHARE_get_wizard_type();
    int last = -1;
    for (const char *key : layer_keys) {
        char name[CV_DEFAULT_TEXT_SIZE] = "";
        int layer = 0;
        std::string name_key = std::string(key) + "Name";
        if (CVSTVSHARE_get_customer_default(wizard, name_key.c_str(), CV_DEFAULT_UNITS_WORK_PART,
                                            CV_DEFAULT_TEXT, name) != 0 ||
            CVSTVSHARE_get_customer_default(wizard, key, CV_DEFAULT_UNITS_WORK_PART, CV_DEFAULT_INT,
                                            &layer) != 0)
            continue;
        TOOLING_layer_category_info_s info{};
        cvstv::copy_bounded(info.name, sizeof info.name, name);
        cvstv::copy_bounded(info.description, sizeof info.description, name);
        if (layer >= 1 && layer <= TOOLING_LAYER_COUNT)
            info.layer_flags[layer - 1] = 1;
        last = TOOLING_create_layer_category(&info, nullptr);
    }
    return last;
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_init_layer_name(void) noexcept
{
    return cvstv::guarded("CVSTVSHARE_init_layer_name", -1, [] { return init_layer_name(); });
}

} // extern "C"
