// Assemblies of the headless host (model.h): occurrence trees built on
// demand over the parts' instances, the work occurrence, components and
// their data, adding components, reference sets, transformations between
// occurrences' contexts, groups and the assembly load options; the setup
// API of vexahost/assemblies.h (components and occurrences) and the host
// calls of hx_assem.h.
#include "model.h"
#include "part_files.h"
#include "session_state.h"

#include "../src/host/hx_assem.h"
#include "../src/host/hx_memory.h"

#include <algorithm>
#include <cstring>

using vexa::sim::child_full_name;
using vexa::sim::child_part;
using vexa::sim::component_instance;
using vexa::sim::copy_out;
using vexa::sim::hand_out_tags;
using vexa::sim::host_call;
using vexa::sim::host_value_call;
using vexa::sim::Instance;
using vexa::sim::ModelObject;
using vexa::sim::Occurrence;
using vexa::sim::Part;
using vexa::sim::refset_named;
using vexa::sim::tag_t;
using vexa::sim::Xform;

namespace {

struct AssemblyState {
    ASSY_assy_options_t options = [] {
        ASSY_assy_options_t o{};
        o.option[ASSY_OPTION_LOAD_COMPONENTS] = 1;
        return o;
    }();
};

vexa::sim::AreaState<AssemblyState> assembly{"assemblies"};

// Erases an occurrence with everything cached below it.
void erase_occurrence_tree(tag_t occurrence)
{
    std::vector<tag_t> stack{occurrence};
    while (!stack.empty()) {
        tag_t tag = stack.back();
        stack.pop_back();
        if (Occurrence *o = vexa::sim::find_occurrence(tag)) {
            for (auto &[key, child] : o->part_children)
                stack.push_back(child);
            for (auto &[key, child] : o->object_children)
                stack.push_back(child);
        }
        vexa::sim::objects().erase(tag);
    }
}

} // namespace

namespace vexa::sim {

// The instance of a component given as an instance or a part occurrence.
Instance *component_instance(tag_t component)
{
    if (Instance *i = find_instance(component))
        return i;
    if (Occurrence *o = find_occurrence(component); o && !o->object)
        return find_instance(o->instance);
    return nullptr;
}

// The full name of an instance's child part.
std::string child_full_name(const Instance &instance)
{
    Part *parent = find_part(instance.parent);
    return resolve_part_file(parent ? parent->name : std::string(), instance.part_file);
}

Part *child_part(const Instance &instance)
{
    return loaded_part_named(child_full_name(instance));
}

// The reference set named `name` of a part; null when none.
ModelObject *refset_named(const Part &part, const std::string &name)
{
    for (tag_t tag : part.model_objects)
        if (ModelObject *o = find_model_object(tag); o && o->type == HX_TYPE_REFERENCE_SET && o->name == name)
            return o;
    return nullptr;
}

// An object or component of a part as a member: objects as they are,
// instances and their part occurrences as the instance. 0 for anything not
// in the part.
tag_t member_of_part(const Part &part, tag_t tag)
{
    if (ModelObject *o = find_model_object(tag))
        return o->part == part.tag ? tag : 0;
    if (Instance *i = component_instance(tag))
        return i->parent == part.tag ? i->tag : 0;
    return 0;
}

int hand_out_tags(const std::vector<tag_t> &tags, int *count, tag_t **array)
{
    *count = 0;
    *array = nullptr;
    if (tags.empty())
        return HX_OK;
    int status = 0;
    auto *out = static_cast<tag_t *>(HX_allocate_memory(tags.size() * sizeof(tag_t), &status));
    if (!out)
        return status ? status : HX_ERR_NO_MEMORY;
    std::copy(tags.begin(), tags.end(), out);
    *count = static_cast<int>(tags.size());
    *array = out;
    return HX_OK;
}

const ASSY_assy_options_t &load_options()
{
    return assembly->options;
}

tag_t root_occurrence_of(Part &part)
{
    if (!find_occurrence(part.root_occurrence)) {
        Occurrence &root = objects().create<Occurrence>();
        root.root_part = part.tag;
        part.root_occurrence = root.tag;
    }
    return part.root_occurrence;
}

bool is_occurrence(tag_t object)
{
    if (const ModelObject *m = find_model_object(object))
        return m->prototype != 0;
    return find_occurrence(object) != nullptr;
}

tag_t prototype_of(tag_t occurrence)
{
    if (const ModelObject *m = find_model_object(occurrence))
        return m->prototype;
    Occurrence *o = find_occurrence(occurrence);
    if (!o)
        return 0;
    if (o->object)
        return o->object;
    if (!o->parent)
        return find_part(o->root_part) ? o->root_part : 0;
    Instance *i = find_instance(o->instance);
    Part *p = i ? child_part(*i) : nullptr;
    return p ? p->tag : 0;
}

std::vector<tag_t> child_occurrences(tag_t occurrence)
{
    Occurrence *o = find_occurrence(occurrence);
    if (!o || o->object)
        return {};
    Part *p = find_part(prototype_of(occurrence));
    if (!p)
        return {};
    // A part below itself would make the tree endless: stop there.
    for (Occurrence *a = find_occurrence(o->parent); a; a = find_occurrence(a->parent))
        if (prototype_of(a->tag) == p->tag)
            return {};
    // Forget the occurrences of components that are gone.
    auto &cache = o->part_children;
    for (auto it = cache.begin(); it != cache.end();) {
        if (std::find(p->instances.begin(), p->instances.end(), it->first) == p->instances.end()) {
            erase_occurrence_tree(it->second);
            it = cache.erase(it);
        } else {
            ++it;
        }
    }
    std::vector<tag_t> out;
    for (tag_t instance : p->instances) {
        auto it =
            std::find_if(cache.begin(), cache.end(), [&](const auto &e) { return e.first == instance; });
        if (it != cache.end() && find_occurrence(it->second)) {
            out.push_back(it->second);
            continue;
        }
        Occurrence &child = objects().create<Occurrence>();
        child.root_part = o->root_part;
        child.parent = o->tag;
        child.instance = instance;
        if (it != cache.end())
            it->second = child.tag;
        else
            cache.emplace_back(instance, child.tag);
        out.push_back(child.tag);
    }
    return out;
}

std::vector<tag_t> occurrences_of_part_below(tag_t root, tag_t part)
{
    std::vector<tag_t> out;
    std::vector<tag_t> stack{root};
    while (!stack.empty()) {
        tag_t occ = stack.back();
        stack.pop_back();
        if (prototype_of(occ) == part)
            out.push_back(occ);
        auto children = child_occurrences(occ);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return out;
}

tag_t object_occurrence(tag_t part_occurrence, tag_t object)
{
    Occurrence *o = find_occurrence(part_occurrence);
    ModelObject *m = find_model_object(object);
    if (!o || o->object || !m || m->part != prototype_of(part_occurrence))
        return 0;
    for (auto &[key, occ] : o->object_children)
        if (key == object && find_occurrence(occ))
            return occ;
    Occurrence &occ = objects().create<Occurrence>();
    occ.root_part = o->root_part;
    occ.parent = o->tag;
    occ.object = object;
    o->object_children.emplace_back(object, occ.tag);
    return occ.tag;
}

Matrix4 occurrence_transform(tag_t occurrence)
{
    std::vector<const Instance *> path;
    for (Occurrence *o = find_occurrence(occurrence); o; o = find_occurrence(o->parent))
        if (const Instance *i = find_instance(o->instance))
            path.push_back(i);
    Matrix4 m = identity_matrix();
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        m = multiply(m, placement_matrix((*it)->origin, (*it)->orientation));
    return m;
}

bool same_part_name(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        bool sa = a[i] == '\\' || a[i] == '/';
        bool sb = b[i] == '\\' || b[i] == '/';
        if (sa != sb || (!sa && a[i] != b[i]))
            return false;
    }
    return true;
}

bool would_cycle(const std::string &child_full_name_, tag_t into)
{
    Part *target = find_part(into);
    if (!target)
        return false;
    std::vector<std::string> stack{child_full_name_};
    std::vector<std::string> seen;
    while (!stack.empty()) {
        std::string name = stack.back();
        stack.pop_back();
        if (same_part_name(name, target->name))
            return true;
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            continue;
        seen.push_back(name);
        if (Part *p = loaded_part_named(name))
            for (tag_t tag : p->instances)
                if (Instance *i = find_instance(tag))
                    stack.push_back(child_full_name(*i));
    }
    return false;
}

// ---- Setup API -------------------------------------------------------------------

tag_t add_component(tag_t parent, const std::string &child_file, const std::string &name,
                    const std::string &reference_set, const std::array<double, 3> &origin,
                    const std::array<double, 6> &orientation)
{
    Part *p = find_part(parent);
    if (!p || child_file.empty() || would_cycle(resolve_part_file(p->name, child_file), parent))
        return 0;
    Instance &i = new_instance(*p);
    i.part_file = child_file;
    i.name = name;
    i.reference_set = reference_set;
    i.origin = origin;
    i.orientation = orientation;
    return i.tag;
}

std::vector<int> assembly_options()
{
    const auto &o = assembly->options.option;
    return {std::begin(o), std::end(o)};
}

void set_assembly_options(const std::vector<int> &options)
{
    assembly->options = ASSY_assy_options_t{};
    const std::size_t n = std::min(options.size(), std::size(assembly->options.option));
    std::copy_n(options.begin(), n, assembly->options.option);
}

void set_component_suppressed(tag_t instance, bool suppressed)
{
    if (Instance *i = find_instance(instance))
        i->suppressed = suppressed;
}

tag_t root_occurrence(tag_t part)
{
    Part *p = find_part(part);
    return p ? root_occurrence_of(*p) : 0;
}

std::vector<tag_t> occurrence_children(tag_t occurrence)
{
    return child_occurrences(occurrence);
}

tag_t occurrence_part(tag_t occurrence)
{
    return find_occurrence(occurrence) && !find_occurrence(occurrence)->object ? prototype_of(occurrence) : 0;
}

tag_t work_occurrence()
{
    return parts_state().work_occurrence;
}

bool component_info(tag_t component, ComponentInfo &info)
{
    Instance *i = component_instance(component);
    if (!i)
        return false;
    info = ComponentInfo{};
    info.name = i->name;
    info.part_file = child_full_name(*i);
    info.reference_set = i->reference_set;
    info.suppressed = i->suppressed;
    Part *p = child_part(*i);
    info.part = p ? p->tag : 0;
    return true;
}

} // namespace vexa::sim

extern "C" {

// ---- Occurrences ----------------------------------------------------------------

HX_API tag_t HX_ASSEM_ask_work_occurrence(void)
{
    return host_value_call("HX_ASSEM_ask_work_occurrence", tag_t{0},
                           [] { return vexa::sim::parts_state().work_occurrence; });
}

HX_API int HX_ASSEM_set_work_occurrence(tag_t occurrence)
{
    return host_call("HX_ASSEM_set_work_occurrence", [&]() -> int {
        auto &state = vexa::sim::parts_state();
        Occurrence *o = vexa::sim::find_occurrence(occurrence);
        if (!o || o->object || o->root_part != state.display)
            return HX_ERR_NOT_FOUND;
        tag_t part = vexa::sim::prototype_of(occurrence);
        if (!part)
            return HX_ERR_NOT_FOUND;
        state.work = part;
        state.work_occurrence = o->parent ? occurrence : 0;
        return HX_OK;
    });
}

HX_API tag_t HX_ASSEM_ask_root_part_occ(tag_t part)
{
    return host_value_call("HX_ASSEM_ask_root_part_occ", tag_t{0}, [&]() -> tag_t {
        Part *p = vexa::sim::find_part(part);
        return p ? vexa::sim::root_occurrence_of(*p) : 0;
    });
}

HX_API int HX_ASSEM_is_occurrence(tag_t object)
{
    return host_value_call("HX_ASSEM_is_occurrence", 0,
                           [&] { return vexa::sim::is_occurrence(object) ? 1 : 0; });
}

HX_API tag_t HX_ASSEM_ask_prototype_of_occ(tag_t occurrence)
{
    return host_value_call("HX_ASSEM_ask_prototype_of_occ", tag_t{0},
                           [&] { return vexa::sim::prototype_of(occurrence); });
}

HX_API int HX_ASSEM_ask_part_occ_children(tag_t occurrence, int *count, tag_t **children)
{
    return host_call("HX_ASSEM_ask_part_occ_children", [&]() -> int {
        if (!count || !children)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *children = nullptr;
        if (!vexa::sim::find_occurrence(occurrence))
            return HX_ERR_NOT_FOUND;
        return hand_out_tags(vexa::sim::child_occurrences(occurrence), count, children);
    });
}

HX_API int HX_ASSEM_ask_occ_children(tag_t occurrence, int traversal, int *count, tag_t **children)
{
    return host_call("HX_ASSEM_ask_occ_children", [&]() -> int {
        if (!count || !children)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *children = nullptr;
        if (traversal != HX_ASSEM_IMMEDIATE_CHILDREN && traversal != HX_ASSEM_ALL_DESCENDANTS)
            return HX_ERR_BAD_ARGUMENT;
        if (!vexa::sim::find_occurrence(occurrence))
            return HX_ERR_NOT_FOUND;
        if (traversal == HX_ASSEM_IMMEDIATE_CHILDREN)
            return hand_out_tags(vexa::sim::child_occurrences(occurrence), count, children);
        std::vector<tag_t> all;
        std::vector<tag_t> stack = vexa::sim::child_occurrences(occurrence);
        std::reverse(stack.begin(), stack.end());
        while (!stack.empty()) {
            tag_t occ = stack.back();
            stack.pop_back();
            all.push_back(occ);
            auto below = vexa::sim::child_occurrences(occ);
            stack.insert(stack.end(), below.rbegin(), below.rend());
        }
        return hand_out_tags(all, count, children);
    });
}

HX_API tag_t HX_ASSEM_ask_parent_part_occ(tag_t occurrence)
{
    return host_value_call("HX_ASSEM_ask_parent_part_occ", tag_t{0}, [&]() -> tag_t {
        Occurrence *o = vexa::sim::find_occurrence(occurrence);
        return o ? o->parent : 0;
    });
}

HX_API tag_t HX_ASSEM_ask_inst_of_part_occ(tag_t occurrence)
{
    return host_value_call("HX_ASSEM_ask_inst_of_part_occ", tag_t{0}, [&]() -> tag_t {
        Occurrence *o = vexa::sim::find_occurrence(occurrence);
        return o && !o->object ? o->instance : 0;
    });
}

HX_API tag_t HX_ASSEM_ask_parent_of_instance(tag_t instance)
{
    return host_value_call("HX_ASSEM_ask_parent_of_instance", tag_t{0}, [&]() -> tag_t {
        Instance *i = vexa::sim::find_instance(instance);
        return i ? i->parent : 0;
    });
}

HX_API tag_t HX_ASSEM_ask_child_of_instance(tag_t instance)
{
    return host_value_call("HX_ASSEM_ask_child_of_instance", tag_t{0}, [&]() -> tag_t {
        Instance *i = vexa::sim::find_instance(instance);
        Part *p = i ? child_part(*i) : nullptr;
        return p ? p->tag : 0;
    });
}

HX_API int HX_ASSEM_ask_instances_of_part(tag_t part, int *count, tag_t **instances)
{
    return host_call("HX_ASSEM_ask_instances_of_part", [&]() -> int {
        if (!count || !instances)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *instances = nullptr;
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        return hand_out_tags(p->instances, count, instances);
    });
}

HX_API int HX_ASSEM_ask_occs_of_part(tag_t assembly_part, tag_t part, int *count, tag_t **occurrences)
{
    return host_call("HX_ASSEM_ask_occs_of_part", [&]() -> int {
        if (!count || !occurrences)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *occurrences = nullptr;
        Part *a = vexa::sim::find_part(assembly_part);
        if (!a || !vexa::sim::find_part(part))
            return HX_ERR_NOT_FOUND;
        return hand_out_tags(vexa::sim::occurrences_of_part_below(vexa::sim::root_occurrence_of(*a), part),
                             count, occurrences);
    });
}

HX_API int HX_ASSEM_find_occurrence(tag_t part_occurrence, tag_t object, tag_t *occurrence)
{
    return host_call("HX_ASSEM_find_occurrence", [&]() -> int {
        if (!occurrence)
            return HX_ERR_BAD_ARGUMENT;
        *occurrence = vexa::sim::object_occurrence(part_occurrence, object);
        return *occurrence ? HX_OK : HX_ERR_NOT_FOUND;
    });
}

HX_API int HX_ASSEM_ask_transform_of_occ(tag_t occurrence, double matrix[16])
{
    return host_call("HX_ASSEM_ask_transform_of_occ", [&]() -> int {
        if (!matrix)
            return HX_ERR_BAD_ARGUMENT;
        if (!vexa::sim::find_occurrence(occurrence))
            return HX_ERR_NOT_FOUND;
        auto m = vexa::sim::occurrence_transform(occurrence);
        std::copy(m.begin(), m.end(), matrix);
        return HX_OK;
    });
}

// ---- Components ---------------------------------------------------------------------

HX_API int HX_ASSEM_ask_component_data(tag_t component, HX_ASSEM_component_t *data)
{
    return host_call("HX_ASSEM_ask_component_data", [&]() -> int {
        if (!data)
            return HX_ERR_BAD_ARGUMENT;
        *data = HX_ASSEM_component_t{};
        Instance *i = component_instance(component);
        if (!i)
            return HX_ERR_NOT_FOUND;
        if (int s = copy_out(child_full_name(*i), data->part_name, HX_MAX_FSPEC_SIZE))
            return s;
        copy_out(i->reference_set.empty() ? HX_REFSET_NONE : i->reference_set, data->refset,
                 HX_OBJ_NAME_SIZE);
        copy_out(i->name, data->name, HX_OBJ_NAME_SIZE);
        std::copy(i->origin.begin(), i->origin.end(), data->origin);
        std::copy(i->orientation.begin(), i->orientation.end(), data->orientation);
        data->suppressed = i->suppressed ? 1 : 0;
        data->suppression_expression =
            vexa::sim::find_expression(i->suppression_expression) ? i->suppression_expression : 0;
        return HX_OK;
    });
}

HX_API int HX_ASSEM_ask_refset_name(tag_t component, char name[HX_OBJ_NAME_SIZE + 1])
{
    return host_call("HX_ASSEM_ask_refset_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        name[0] = '\0';
        Instance *i = component_instance(component);
        if (!i)
            return HX_ERR_NOT_FOUND;
        return copy_out(i->reference_set.empty() ? HX_REFSET_NONE : i->reference_set, name, HX_OBJ_NAME_SIZE);
    });
}

HX_API int HX_ASSEM_add_part_to_assembly(tag_t parent, const char *part_name, const char *refset,
                                         const char *name, const double origin[3],
                                         const double orientation[6], int layer, tag_t *instance,
                                         HX_PART_load_status_t *status)
{
    (void)layer; // components show their part's own layers
    return host_call("HX_ASSEM_add_part_to_assembly", [&]() -> int {
        if (!instance || !status || !part_name || !*part_name || !origin || !orientation)
            return HX_ERR_BAD_ARGUMENT;
        *instance = 0;
        *status = HX_PART_load_status_t{};
        Part *p = vexa::sim::find_part(parent);
        if (!p)
            return HX_ERR_NOT_FOUND;
        if (parent != vexa::sim::parts_state().work)
            return HX_ERR_NOT_IN_WORK_PART;
        if ((name && std::strlen(name) > HX_OBJ_NAME_SIZE) ||
            (refset && std::strlen(refset) > HX_OBJ_NAME_SIZE))
            return HX_ERR_TOO_LONG;
        std::string full = vexa::sim::resolve_part_file(p->name, part_name);
        if (vexa::sim::would_cycle(full, parent))
            return HX_ERR_CYCLE;
        Part *child = vexa::sim::loaded_part_named(full);
        if (!child) {
            tag_t opened = 0;
            int s = vexa::sim::open_part_file(full, true, opened, *status);
            if (s != HX_OK)
                return s;
            child = vexa::sim::find_part(opened);
            p = vexa::sim::find_part(parent);
            if (!child || !p)
                return HX_ERR_NOT_FOUND;
            if (vexa::sim::would_cycle(child->name, parent))
                return HX_ERR_CYCLE;
        }
        std::string wanted = refset && std::strcmp(refset, HX_REFSET_NONE) != 0 ? refset : "";
        if (!wanted.empty() && !refset_named(*child, wanted))
            return HX_ERR_NOT_FOUND;
        Instance &i = vexa::sim::new_instance(*p);
        // Kept as a bare file name when the child lies beside its parent, so a
        // project copied elsewhere still finds its components.
        bool beside =
            vexa::sim::same_part_name(vexa::sim::directory_of(child->name), vexa::sim::directory_of(p->name));
        i.part_file = beside ? vexa::sim::leaf_name(child->name) : child->name;
        i.name = name ? name : "";
        i.reference_set = wanted;
        std::copy(origin, origin + 3, i.origin.begin());
        std::copy(orientation, orientation + 6, i.orientation.begin());
        vexa::sim::mark_modified(parent);
        *instance = i.tag;
        return HX_OK;
    });
}

HX_API int HX_ASSEM_replace_refset(int count, const tag_t *components, const char *name)
{
    return host_call("HX_ASSEM_replace_refset", [&]() -> int {
        if (count < 0 || (count > 0 && !components) || !name)
            return HX_ERR_BAD_ARGUMENT;
        std::string wanted = std::strcmp(name, HX_REFSET_NONE) == 0 ? "" : name;
        std::vector<Instance *> targets;
        for (int k = 0; k < count; ++k) {
            Instance *i = component_instance(components[k]);
            if (!i)
                return HX_ERR_NOT_FOUND;
            if (i->parent != vexa::sim::parts_state().work)
                return HX_ERR_NOT_IN_WORK_PART;
            Part *child = child_part(*i);
            if (!wanted.empty() && (!child || !refset_named(*child, wanted)))
                return HX_ERR_NOT_FOUND;
            targets.push_back(i);
        }
        for (Instance *i : targets) {
            i->reference_set = wanted;
            vexa::sim::mark_modified(i->parent);
        }
        return HX_OK;
    });
}

HX_API int HX_ASSEM_suppress_instance(tag_t instance, int suppress)
{
    return host_call("HX_ASSEM_suppress_instance", [&]() -> int {
        Instance *i = component_instance(instance);
        if (!i)
            return HX_ERR_NOT_FOUND;
        i->suppressed = suppress != 0;
        vexa::sim::mark_modified(i->parent);
        return HX_OK;
    });
}

HX_API int HX_ASSEM_set_suppression_exp(tag_t instance, tag_t expression)
{
    return host_call("HX_ASSEM_set_suppression_exp", [&]() -> int {
        Instance *i = component_instance(instance);
        if (!i)
            return HX_ERR_NOT_FOUND;
        if (expression != 0) {
            auto *e = vexa::sim::find_expression(expression);
            if (!e)
                return HX_ERR_NOT_FOUND;
            if (e->part != i->parent)
                return HX_ERR_WRONG_TYPE;
        }
        i->suppression_expression = expression;
        vexa::sim::mark_modified(i->parent);
        return HX_OK;
    });
}

// ---- Load options ----------------------------------------------------------------------

HX_API int ASSY_ask_assy_options(ASSY_assy_options_t *options)
{
    return host_call("ASSY_ask_assy_options", [&]() -> int {
        if (!options)
            return HX_ERR_BAD_ARGUMENT;
        *options = assembly->options;
        return HX_OK;
    });
}

HX_API int ASSY_set_assy_options(const ASSY_assy_options_t *options)
{
    return host_call("ASSY_set_assy_options", [&]() -> int {
        if (!options)
            return HX_ERR_BAD_ARGUMENT;
        assembly->options = *options;
        return HX_OK;
    });
}

// ---- Transformations between occurrences --------------------------------------------

HX_API int HX_SO_create_xform_assy_ctxt(tag_t from, tag_t to, tag_t *xform)
{
    return host_call("HX_SO_create_xform_assy_ctxt", [&]() -> int {
        if (!xform)
            return HX_ERR_BAD_ARGUMENT;
        *xform = 0;
        Occurrence *f = vexa::sim::find_occurrence(from);
        Occurrence *t = vexa::sim::find_occurrence(to);
        if (!f || !t)
            return HX_ERR_NOT_FOUND;
        if (f->object || t->object || f->root_part != t->root_part)
            return HX_ERR_WRONG_TYPE;
        tag_t work = vexa::sim::parts_state().work;
        if (vexa::sim::prototype_of(to) != work)
            return HX_ERR_NOT_IN_WORK_PART;
        // The path: up from `to` to the first ancestor that is also one of
        // `from`, then down through the instances to `from`.
        std::vector<tag_t> from_chain;
        for (Occurrence *o = f; o; o = vexa::sim::find_occurrence(o->parent))
            from_chain.push_back(o->tag);
        int up = 0;
        Occurrence *meet = t;
        while (meet && std::find(from_chain.begin(), from_chain.end(), meet->tag) == from_chain.end()) {
            meet = vexa::sim::find_occurrence(meet->parent);
            ++up;
        }
        if (!meet)
            return HX_ERR_NOT_FOUND;
        std::vector<int> down;
        for (tag_t tag : from_chain) {
            if (tag == meet->tag)
                break;
            Instance *i = vexa::sim::find_instance(vexa::sim::find_occurrence(tag)->instance);
            if (!i)
                return HX_ERR_NOT_FOUND;
            down.push_back(i->handle);
        }
        std::reverse(down.begin(), down.end());
        Xform &x = vexa::sim::objects().create<Xform>();
        x.part = work;
        x.up = up;
        x.down = down;
        x.matrix = vexa::sim::multiply(vexa::sim::rigid_inverse(vexa::sim::occurrence_transform(to)),
                                       vexa::sim::occurrence_transform(from));
        vexa::sim::mark_modified(work);
        *xform = x.tag;
        return HX_OK;
    });
}

HX_API int HX_SO_ask_assy_ctxt_part_occ(tag_t xform, tag_t to, tag_t *from)
{
    return host_call("HX_SO_ask_assy_ctxt_part_occ", [&]() -> int {
        if (!from)
            return HX_ERR_BAD_ARGUMENT;
        *from = 0;
        Xform *x = vexa::sim::objects().find<Xform>(xform);
        Occurrence *t = vexa::sim::find_occurrence(to);
        if (!x || !t)
            return HX_ERR_NOT_FOUND;
        if (vexa::sim::prototype_of(to) != x->part)
            return HX_OK;
        Occurrence *at = t;
        for (int k = 0; k < x->up && at; ++k)
            at = vexa::sim::find_occurrence(at->parent);
        for (std::size_t k = 0; at && k < x->down.size(); ++k) {
            Occurrence *next = nullptr;
            for (tag_t child : vexa::sim::child_occurrences(at->tag)) {
                Instance *i = vexa::sim::find_instance(vexa::sim::find_occurrence(child)->instance);
                if (i && i->handle == x->down[k])
                    next = vexa::sim::find_occurrence(child);
            }
            at = next;
        }
        *from = at ? at->tag : 0;
        return HX_OK;
    });
}

HX_API int HX_SO_ask_xform_matrix(tag_t xform, double matrix[16])
{
    return host_call("HX_SO_ask_xform_matrix", [&]() -> int {
        if (!matrix)
            return HX_ERR_BAD_ARGUMENT;
        Xform *x = vexa::sim::objects().find<Xform>(xform);
        if (!x)
            return HX_ERR_NOT_FOUND;
        std::copy(x->matrix.begin(), x->matrix.end(), matrix);
        return HX_OK;
    });
}

} // extern "C"
