// Features, occurrences and deletion of model objects in the headless host
// (hx_features.h, and the occurrence and delete calls of hx_objects.h),
// over the part model of model.h.
#include "lists.h"
#include "model.h"
#include "session_state.h"

#include "hx_assem.h"
#include "hx_features.h"
#include "hx_memory.h"
#include "hx_objects.h"

#include <algorithm>
#include <cstring>

using vexa::sim::find_model_object;
using vexa::sim::host_call;
using vexa::sim::host_value_call;
using vexa::sim::ModelObject;

namespace {

const ModelObject *find_feature(tag_t feature)
{
    const ModelObject *o = find_model_object(feature);
    return o && o->type == HX_TYPE_FEATURE ? o : nullptr;
}

// A feature's text as a new host string.
int feature_text(const char *call, tag_t feature, char **out, std::string ModelObject::*field)
{
    return host_call(call, [&]() -> int {
        if (!out)
            return HX_ERR_BAD_ARGUMENT;
        *out = nullptr;
        const ModelObject *f = find_feature(feature);
        if (!f)
            return HX_ERR_NOT_FOUND;
        char *copy = HX_strdup((f->*field).c_str());
        if (!copy)
            return HX_ERR_NO_MEMORY;
        *out = copy;
        return HX_OK;
    });
}

} // namespace

extern "C" {

HX_API int HX_MODL_ask_feat_type(tag_t feature, char **type)
{
    return feature_text("HX_MODL_ask_feat_type", feature, type, &ModelObject::feature_type);
}

HX_API int HX_MODL_ask_feat_name(tag_t feature, char **name)
{
    return feature_text("HX_MODL_ask_feat_name", feature, name, &ModelObject::name);
}

HX_API int HX_MODL_ask_feat_faces(tag_t feature, hx_list_p_t *faces)
{
    return host_call("HX_MODL_ask_feat_faces", [&]() -> int {
        if (!faces)
            return HX_ERR_BAD_ARGUMENT;
        *faces = nullptr;
        const ModelObject *f = find_feature(feature);
        if (!f)
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> alive;
        for (tag_t face : f->faces)
            if (find_model_object(face))
                alive.push_back(face);
        *faces = vexa::sim::new_list(alive);
        return HX_OK;
    });
}

HX_API int HX_ASSEM_ask_occs_of_entity(tag_t object, int *count, tag_t **occurrences)
{
    return host_call("HX_ASSEM_ask_occs_of_entity", [&]() -> int {
        if (!count || !occurrences)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *occurrences = nullptr;
        if (!find_model_object(object))
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> found;
        for (ModelObject *o : vexa::sim::objects().all<ModelObject>())
            if (o->prototype == object)
                found.push_back(o->tag);
        for (vexa::sim::Occurrence *o : vexa::sim::objects().all<vexa::sim::Occurrence>())
            if (o->object == object)
                found.push_back(o->tag);
        if (found.empty())
            return HX_OK;
        auto *array = static_cast<tag_t *>(HX_allocate_memory(found.size() * sizeof(tag_t), nullptr));
        if (!array)
            return HX_ERR_NO_MEMORY;
        std::copy(found.begin(), found.end(), array);
        *occurrences = array;
        *count = static_cast<int>(found.size());
        return HX_OK;
    });
}

} // extern "C"
