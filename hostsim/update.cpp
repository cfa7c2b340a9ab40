// Features, undo marks and the model update of the headless host
// (hx_model.h features and links, hx_parts.h undo and update).
//
// An undo mark keeps a copy of the whole model (every model object of the
// object table, and the load order, work and displayed part); undoing to a
// mark puts that copy back under the same tags and drops the later marks.
// The update evaluates every expression, then walks each loaded part's
// features in order: a feature is suppressed while its suppression
// expression is below 0.01 in size; a linked feature's body takes the box of
// the object it links to, carried through the link's transformation; a
// feature fails when a test made it fail or when the object it links to is
// gone from a loaded part. The update-fail option decides what a failure
// does: undo (the model as before the update, and the failure reported) or
// suppress the feature and go on.
#include "model.h"
#include "part_files.h"
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using vexa::sim::host_call;
using vexa::sim::ModelObject;
using vexa::sim::Part;
using vexa::sim::tag_t;

namespace {

struct Mark {
    int id = 0;
    bool visible = false;
    std::string name;
    vexa::sim::ModelSnapshot model;
    vexa::sim::PartsState parts;
};

struct UpdateState {
    std::vector<Mark> marks;
    int next_mark = 1;
    int fail_option = 0;
    tag_t failed_feature = 0;
    int failed_status = 0;
    int depth = 0; // updates running (an update never starts inside another)
};

vexa::sim::AreaState<UpdateState> update_state{"update"};

ModelObject *feature(tag_t tag)
{
    ModelObject *f = vexa::sim::find_model_object(tag);
    return f && f->type == HX_TYPE_FEATURE ? f : nullptr;
}

// The object a link points at, when its part is loaded.
ModelObject *link_source(const ModelObject &f, bool &part_loaded)
{
    part_loaded = false;
    if (!f.link)
        return nullptr;
    Part *holder = vexa::sim::find_part(f.part);
    Part *source =
        holder ? vexa::sim::loaded_part_named(vexa::sim::resolve_part_file(holder->name, f.link->part_file))
               : nullptr;
    if (!source)
        return nullptr;
    part_loaded = true;
    for (tag_t tag : source->model_objects)
        if (ModelObject *o = vexa::sim::find_model_object(tag); o && o->handle == f.link->object_handle)
            return o;
    return nullptr;
}

// Recomputes one feature; 0 or its failure.
int update_feature(ModelObject &f)
{
    if (f.update_fault)
        return f.update_fault;
    if (!f.link)
        return HX_OK;
    bool loaded = false;
    ModelObject *source = link_source(f, loaded);
    if (!loaded)
        return HX_OK; // keeps the geometry it has
    if (!source)
        return HX_ERR_LINK_BROKEN;
    if (source->geometry.size() == 6 && !f.bodies.empty()) {
        vexa::sim::Box box;
        std::copy(source->geometry.begin(), source->geometry.end(), box.begin());
        if (auto *x = vexa::sim::objects().find<vexa::sim::Xform>(f.link->xform))
            box = vexa::sim::transform_box(box, x->matrix);
        for (tag_t b : f.bodies)
            if (ModelObject *body = vexa::sim::find_model_object(b))
                body->geometry.assign(box.begin(), box.end());
    }
    return HX_OK;
}

int run_update()
{
    auto &u = update_state.get();
    u.failed_feature = 0;
    u.failed_status = 0;
    bool undo_on_failure = u.fail_option != HX_UPDATE_FAIL_SUPPRESS;
    vexa::sim::ModelSnapshot before;
    if (undo_on_failure)
        before = vexa::sim::objects().snapshot();
    std::string why;
    if (int s = vexa::sim::evaluate_all_expressions(why)) {
        u.failed_status = s;
        vexa::sim::record(vexa::sim::Entry::syslog, 0, "", "update: " + why);
        return s;
    }
    for (Part *p : vexa::sim::loaded_parts_in_order()) {
        for (tag_t tag : std::vector<tag_t>(p->features)) {
            ModelObject *f = feature(tag);
            if (!f)
                continue;
            bool by_expression = false;
            if (auto *e = vexa::sim::find_expression(f->suppression_expression))
                by_expression = std::fabs(e->value) < 0.01;
            if (f->suppressed || by_expression)
                continue;
            int s = update_feature(*f);
            if (s == HX_OK)
                continue;
            u.failed_feature = tag;
            u.failed_status = s;
            if (!undo_on_failure) {
                f->suppressed = true;
                vexa::sim::mark_modified(p->tag);
                continue;
            }
            vexa::sim::objects().restore(before);
            return s;
        }
    }
    return HX_OK;
}

} // namespace

namespace vexa::sim {

tag_t create_linked_body(tag_t part, tag_t source_body, tag_t xform, const std::string &name)
{
    Part *p = find_part(part);
    ModelObject *source = find_model_object(source_body);
    Part *from = source ? find_part(source->part) : nullptr;
    if (!p || !from)
        return 0;
    tag_t body = create_body(part, {0, 0, 0, 0, 0, 0});
    tag_t f = create_feature(part, "LINKED_BODY", name);
    ModelObject *feature_object = find_model_object(f);
    feature_object->bodies = {body};
    bool beside = same_part_name(directory_of(from->name), directory_of(p->name));
    feature_object->link = Link{beside ? leaf_name(from->name) : from->name, source->handle, xform};
    update_feature(*feature_object);
    return f;
}

} // namespace vexa::sim

extern "C" {

// ---- Undo marks --------------------------------------------------------------------

HX_API int HX_UNDO_set_mark(int visibility, const char *name, int *mark)
{
    return host_call("HX_UNDO_set_mark", [&]() -> int {
        if (!mark)
            return HX_ERR_BAD_ARGUMENT;
        *mark = 0;
        Mark m;
        m.id = update_state->next_mark++;
        m.visible = visibility == HX_UNDO_VISIBLE;
        m.name = name ? name : "";
        m.model = vexa::sim::objects().snapshot();
        m.parts = vexa::sim::parts_state();
        update_state->marks.push_back(std::move(m));
        *mark = update_state->marks.back().id;
        return HX_OK;
    });
}

HX_API int HX_UNDO_undo_to_mark(int mark)
{
    return host_call("HX_UNDO_undo_to_mark", [&]() -> int {
        auto &marks = update_state->marks;
        auto it = std::find_if(marks.begin(), marks.end(), [&](const Mark &m) { return m.id == mark; });
        if (it == marks.end())
            return HX_ERR_NOT_FOUND;
        vexa::sim::objects().restore(it->model);
        auto &parts = vexa::sim::parts_state();
        parts.load_order = it->parts.load_order;
        parts.work = it->parts.work;
        parts.display = it->parts.display;
        parts.work_occurrence = it->parts.work_occurrence;
        marks.erase(it + 1, marks.end());
        return HX_OK;
    });
}

HX_API int HX_UNDO_delete_mark(int mark)
{
    return host_call("HX_UNDO_delete_mark", [&]() -> int {
        auto &marks = update_state->marks;
        auto it = std::find_if(marks.begin(), marks.end(), [&](const Mark &m) { return m.id == mark; });
        if (it == marks.end())
            return HX_ERR_NOT_FOUND;
        marks.erase(it);
        return HX_OK;
    });
}

// ---- Update --------------------------------------------------------------------------

HX_API int HX_MODL_update(void)
{
    return host_call("HX_MODL_update", []() -> int {
        if (update_state->depth > 0)
            return HX_OK; // already updating: the running update covers it
        ++update_state->depth;
        int s = HX_OK;
        try {
            s = run_update();
        } catch (...) {
            --update_state->depth;
            throw;
        }
        --update_state->depth;
        return s;
    });
}

HX_API int HX_MODL_ask_update_fail_option(int *option)
{
    return host_call("HX_MODL_ask_update_fail_option", [&]() -> int {
        if (!option)
            return HX_ERR_BAD_ARGUMENT;
        *option = update_state->fail_option;
        return HX_OK;
    });
}

HX_API int HX_MODL_set_update_fail_option(int option)
{
    return host_call("HX_MODL_set_update_fail_option", [&]() -> int {
        if (option != 0 && option != HX_UPDATE_FAIL_UNDO && option != HX_UPDATE_FAIL_SUPPRESS)
            return HX_ERR_BAD_ARGUMENT;
        update_state->fail_option = option;
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_update_failure(tag_t *failed, int *status)
{
    return host_call("HX_MODL_ask_update_failure", [&]() -> int {
        if (!failed || !status)
            return HX_ERR_BAD_ARGUMENT;
        *failed = feature(update_state->failed_feature) ? update_state->failed_feature : 0;
        *status = update_state->failed_status;
        return HX_OK;
    });
}

// ---- Features ----------------------------------------------------------------------------

HX_API int HX_MODL_cycle_feats(tag_t part, tag_t *next)
{
    return host_call("HX_MODL_cycle_feats", [&]() -> int {
        if (!next)
            return HX_ERR_BAD_ARGUMENT;
        Part *p = vexa::sim::find_part(part);
        if (!p) {
            *next = 0;
            return HX_ERR_NOT_FOUND;
        }
        if (!p->fully_loaded) {
            *next = 0;
            return HX_ERR_NOT_FULLY_LOADED;
        }
        const auto &list = p->features;
        auto it = list.begin();
        if (*next != 0) {
            it = std::find(list.begin(), list.end(), *next);
            if (it == list.end()) {
                *next = 0;
                return HX_ERR_NOT_FOUND;
            }
            ++it;
        }
        *next = it == list.end() ? 0 : *it;
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_feat_body(tag_t feature_tag, tag_t *body)
{
    return host_call("HX_MODL_ask_feat_body", [&]() -> int {
        if (!body)
            return HX_ERR_BAD_ARGUMENT;
        *body = 0;
        ModelObject *f = feature(feature_tag);
        if (!f)
            return HX_ERR_NOT_FOUND;
        for (tag_t b : f->bodies)
            if (vexa::sim::find_model_object(b)) {
                *body = b;
                break;
            }
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_body_feats(tag_t body, int *count, tag_t **features)
{
    return host_call("HX_MODL_ask_body_feats", [&]() -> int {
        if (!count || !features)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *features = nullptr;
        ModelObject *b = vexa::sim::find_model_object(body);
        Part *p = b ? vexa::sim::find_part(b->part) : nullptr;
        if (!p)
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> found;
        for (tag_t tag : p->features)
            if (ModelObject *f = feature(tag);
                f && std::find(f->bodies.begin(), f->bodies.end(), body) != f->bodies.end())
                found.push_back(tag);
        return vexa::sim::hand_out_tags(found, count, features);
    });
}

HX_API int HX_MODL_ask_body_type(tag_t body, int *type)
{
    return host_call("HX_MODL_ask_body_type", [&]() -> int {
        if (!type)
            return HX_ERR_BAD_ARGUMENT;
        *type = 0;
        ModelObject *b = vexa::sim::find_model_object(body);
        if (auto *occ = vexa::sim::find_occurrence(body))
            b = vexa::sim::find_model_object(occ->object);
        if (!b || b->type != HX_TYPE_SOLID || b->subtype != HX_SUBTYPE_SOLID_BODY)
            return HX_ERR_WRONG_TYPE;
        *type = b->body_type == HX_BODY_SHEET ? HX_BODY_SHEET : HX_BODY_SOLID;
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_suppress_state(tag_t feature_tag, int *suppressed)
{
    return host_call("HX_MODL_ask_suppress_state", [&]() -> int {
        if (!suppressed)
            return HX_ERR_BAD_ARGUMENT;
        ModelObject *f = feature(feature_tag);
        if (!f)
            return HX_ERR_NOT_FOUND;
        bool by_expression = false;
        if (auto *e = vexa::sim::find_expression(f->suppression_expression))
            by_expression = std::fabs(e->value) < 0.01;
        *suppressed = f->suppressed || by_expression ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_MODL_set_suppress_exp(tag_t feature_tag, tag_t expression)
{
    return host_call("HX_MODL_set_suppress_exp", [&]() -> int {
        ModelObject *f = feature(feature_tag);
        if (!f)
            return HX_ERR_NOT_FOUND;
        if (expression) {
            auto *e = vexa::sim::find_expression(expression);
            if (!e)
                return HX_ERR_NOT_FOUND;
            if (e->part != f->part)
                return HX_ERR_WRONG_TYPE;
        }
        f->suppression_expression = expression;
        vexa::sim::mark_modified(f->part);
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_suppress_exp(tag_t feature_tag, tag_t *expression)
{
    return host_call("HX_MODL_ask_suppress_exp", [&]() -> int {
        if (!expression)
            return HX_ERR_BAD_ARGUMENT;
        *expression = 0;
        ModelObject *f = feature(feature_tag);
        if (!f)
            return HX_ERR_NOT_FOUND;
        *expression = vexa::sim::find_expression(f->suppression_expression) ? f->suppression_expression : 0;
        return HX_OK;
    });
}

// ---- Inter-part links ------------------------------------------------------------------------

HX_API int HX_ZOLT_set_link_data(tag_t feature_tag, tag_t object, tag_t xform)
{
    return host_call("HX_ZOLT_set_link_data", [&]() -> int {
        ModelObject *f = feature(feature_tag);
        if (!f)
            return HX_ERR_NOT_FOUND;
        tag_t target = object;
        if (auto *occ = vexa::sim::find_occurrence(object))
            target = occ->object;
        ModelObject *source = vexa::sim::find_model_object(target);
        Part *from = source ? vexa::sim::find_part(source->part) : nullptr;
        Part *holder = vexa::sim::find_part(f->part);
        if (!from || !holder)
            return HX_ERR_NOT_FOUND;
        if (xform) {
            auto *x = vexa::sim::objects().find<vexa::sim::Xform>(xform);
            if (!x)
                return HX_ERR_NOT_FOUND;
            if (x->part != f->part)
                return HX_ERR_WRONG_TYPE;
        }
        bool beside = vexa::sim::same_part_name(vexa::sim::directory_of(from->name),
                                                vexa::sim::directory_of(holder->name));
        f->link =
            vexa::sim::Link{beside ? vexa::sim::leaf_name(from->name) : from->name, source->handle, xform};
        vexa::sim::mark_modified(f->part);
        return HX_OK;
    });
}

HX_API int HX_ZOLT_ask_link_xform(tag_t feature_tag, tag_t *xform)
{
    return host_call("HX_ZOLT_ask_link_xform", [&]() -> int {
        if (!xform)
            return HX_ERR_BAD_ARGUMENT;
        *xform = 0;
        ModelObject *f = feature(feature_tag);
        if (!f || !f->link)
            return HX_ERR_NOT_FOUND;
        *xform = vexa::sim::objects().find<vexa::sim::Xform>(f->link->xform) ? f->link->xform : 0;
        return HX_OK;
    });
}

HX_API int HX_ZOLT_ask_link_source(tag_t feature_tag, tag_t *object, char part_name[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_ZOLT_ask_link_source", [&]() -> int {
        if (!object || !part_name)
            return HX_ERR_BAD_ARGUMENT;
        *object = 0;
        part_name[0] = '\0';
        ModelObject *f = feature(feature_tag);
        Part *holder = f ? vexa::sim::find_part(f->part) : nullptr;
        if (!f || !f->link || !holder)
            return HX_ERR_NOT_FOUND;
        bool loaded = false;
        if (ModelObject *source = link_source(*f, loaded))
            *object = source->tag;
        std::string shown =
            vexa::sim::display_name_of(vexa::sim::resolve_part_file(holder->name, f->link->part_file));
        if (shown.size() > HX_MAX_FSPEC_SIZE)
            return HX_ERR_TOO_LONG;
        std::memcpy(part_name, shown.c_str(), shown.size() + 1);
        return HX_OK;
    });
}

HX_API int HX_ZOLT_load_parents(tag_t part, int option, HX_PART_load_status_t *status)
{
    return host_call("HX_ZOLT_load_parents", [&]() -> int {
        if (!status)
            return HX_ERR_BAD_ARGUMENT;
        *status = HX_PART_load_status_t{};
        if (option != HX_ZOLT_LOAD_IMMEDIATE && option != HX_ZOLT_LOAD_ALL)
            return HX_ERR_BAD_ARGUMENT;
        if (!vexa::sim::find_part(part))
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> pending{part};
        std::vector<std::string> failed_names;
        std::vector<int> failed_statuses;
        for (std::size_t k = 0; k < pending.size(); ++k) {
            Part *p = vexa::sim::find_part(pending[k]);
            if (!p)
                continue;
            std::vector<std::string> parents;
            for (tag_t tag : p->features)
                if (ModelObject *f = feature(tag); f && f->link)
                    parents.push_back(vexa::sim::resolve_part_file(p->name, f->link->part_file));
            for (const std::string &name : parents) {
                if (Part *loaded = vexa::sim::loaded_part_named(name)) {
                    if (option == HX_ZOLT_LOAD_ALL &&
                        std::find(pending.begin(), pending.end(), loaded->tag) == pending.end())
                        pending.push_back(loaded->tag);
                    continue;
                }
                if (std::find(failed_names.begin(), failed_names.end(), name) != failed_names.end())
                    continue;
                tag_t opened = 0;
                HX_PART_load_status_t inner{};
                int s = vexa::sim::open_part_file(name, true, opened, inner);
                int failed_inside = inner.n_parts;
                for (int i = 0; i < inner.n_parts; ++i) {
                    failed_names.emplace_back(inner.file_names[i]);
                    failed_statuses.push_back(inner.statuses[i]);
                }
                vexa::sim::free_load_status(inner);
                if (s == HX_OK && option == HX_ZOLT_LOAD_ALL)
                    pending.push_back(opened);
                else if (s != HX_OK && failed_inside == 0) {
                    failed_names.push_back(name);
                    failed_statuses.push_back(s);
                }
            }
        }
        std::vector<vexa::sim::LoadFailure> failures;
        for (std::size_t i = 0; i < failed_names.size(); ++i)
            failures.push_back({failed_names[i], failed_statuses[i], {}});
        if (!vexa::sim::fill_load_status(0, failures, *status))
            return HX_ERR_NO_MEMORY;
        return HX_OK;
    });
}

} // extern "C"
