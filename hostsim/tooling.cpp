// The headless host's tooling utilities that receive project settings
// (hx_tooling.h, vexahost/tooling.h): the parting settings of the parting
// tools, layer categories (host objects, one per name) and the mould-design
// load scale.
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_tooling.h"

#include <cstring>

using vexa::sim::host_call;
using vexa::sim::ObjectKind;
using vexa::sim::objects;

namespace {

struct Category : vexa::sim::HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::layer_category;
    std::string name;
    std::vector<int> layers;
    std::string description;
};

struct ToolingState {
    std::optional<double> load_scale;
    std::optional<vexa::sim::PartingRecords> parting;
};

vexa::sim::AreaState<ToolingState> tooling{"tooling utilities"};

// The text of a fixed field, or nullopt when it has no terminator.
std::optional<std::string> field_text(const char *field, std::size_t size)
{
    const void *end = std::memchr(field, '\0', size);
    if (!end)
        return std::nullopt;
    return std::string(field, static_cast<const char *>(end));
}

} // namespace

namespace vexa::sim {

std::vector<LayerCategory> layer_categories()
{
    std::vector<LayerCategory> out;
    for (Category *c : objects().all<Category>())
        out.push_back({c->tag, c->name, c->layers, c->description});
    return out;
}

std::optional<double> load_scale()
{
    return tooling->load_scale;
}

std::optional<PartingRecords> parting_records()
{
    return tooling->parting;
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_kt_init(const HX_kt_parting_settings_s *settings, HX_kt_parting_options_s *options)
{
    return host_call("HX_kt_init", [&]() -> int {
        if (!settings || !options || options->int_count < 0 || options->real_count < 0 ||
            (options->int_count > 0 && !options->int_options) ||
            (options->real_count > 0 && !options->real_options))
            return HX_ERR_BAD_ARGUMENT;
        vexa::sim::PartingRecords records;
        records.settings = *settings;
        records.options = *options;
        records.options.int_options = nullptr;
        records.options.real_options = nullptr;
        records.int_options.assign(options->int_options, options->int_options + options->int_count);
        records.real_options.assign(options->real_options, options->real_options + options->real_count);
        tooling->parting = std::move(records);
        // The host owns the arrays from here on; it keeps their values.
        HX_free(options->int_options);
        HX_free(options->real_options);
        options->int_options = nullptr;
        options->real_options = nullptr;
        return HX_OK;
    });
}

HX_API int TOOLING_create_layer_category(const TOOLING_layer_category_info_s *info, tag_t *category)
{
    return host_call("TOOLING_create_layer_category", [&]() -> int {
        if (category)
            *category = 0;
        if (!info)
            return HX_ERR_BAD_ARGUMENT;
        auto name = field_text(info->name, sizeof info->name);
        auto description = field_text(info->description, sizeof info->description);
        if (!name || name->empty() || !description)
            return HX_ERR_BAD_ARGUMENT;
        std::vector<int> layers;
        for (int i = 0; i < TOOLING_LAYER_COUNT; ++i)
            if (info->layer_flags[i])
                layers.push_back(i + 1);
        Category *c = nullptr;
        for (Category *existing : objects().all<Category>())
            if (existing->name == *name)
                c = existing;
        if (!c) {
            c = &objects().create<Category>();
            c->name = *name;
        }
        c->layers = std::move(layers);
        c->description = std::move(*description);
        if (category)
            *category = c->tag;
        return HX_OK;
    });
}

HX_API int CVDES_init_put_load_scale(double scale)
{
    return host_call("CVDES_init_put_load_scale", [&]() -> int {
        tooling->load_scale = scale;
        return HX_OK;
    });
}

} // extern "C"
