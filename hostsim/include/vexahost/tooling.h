// What the headless host's tooling utilities received: layer categories,
// the mould-design load scale and the parting settings.
#ifndef VEXAHOST_TOOLING_H
#define VEXAHOST_TOOLING_H

#include "vexahost/common.h"

#include "hx_tooling.h"

#include <optional>
#include <string>
#include <vector>

namespace vexa::sim {

struct LayerCategory {
    tag_t tag = 0;
    std::string name;
    std::vector<int> layers; // the layers flagged, ascending
    std::string description;
};
// The layer categories, in creation order.
VEXAHOST_API std::vector<LayerCategory> layer_categories();

// The load scale last put; none until one is.
VEXAHOST_API std::optional<double> load_scale();

struct PartingRecords {
    HX_kt_parting_settings_s settings{};
    HX_kt_parting_options_s options{}; // its array pointers are null here: see the vectors
    std::vector<int> int_options;
    std::vector<double> real_options;
};
// The parting records last handed over by HX_kt_init; none until then.
VEXAHOST_API std::optional<PartingRecords> parting_records();

} // namespace vexa::sim

#endif
