// Simple geometry of the headless host (hx_model.h): transformations, boxes
// of bodies, faces and edges (and their occurrences), coordinate systems,
// the clearance analysis of bodies by their boxes, the object-class test and
// the tooling utilities the library calls.
//
// What is exact: a body is known by its box, so boxes, the boxes of
// occurrences placed with axis-parallel orientations, and interferences
// between such bodies are exact for bodies that are boxes. For other
// orientations an occurrence's box is the axis-aligned box around the
// rotated box (it encloses the body, but may be larger), and interference
// is decided and shaped by those boxes.
#include "model.h"
#include "session_state.h"

#include "../src/host/hx_messages.h"
#include "../src/host/hx_model.h"
#include "../src/host/hx_pdm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

using vexa::sim::Box;
using vexa::sim::ClearanceSet;
using vexa::sim::host_call;
using vexa::sim::Matrix4;
using vexa::sim::ModelObject;
using vexa::sim::Part;
using vexa::sim::tag_t;

namespace vexa::sim {

Matrix4 identity_matrix()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4 multiply(const Matrix4 &a, const Matrix4 &b)
{
    Matrix4 m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k)
                m[r * 4 + c] += a[r * 4 + k] * b[k * 4 + c];
    return m;
}

Matrix4 rigid_inverse(const Matrix4 &m)
{
    Matrix4 inv = identity_matrix();
    double scale = m[15] != 0.0 ? m[15] : 1.0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            inv[r * 4 + c] = m[c * 4 + r];
    for (int r = 0; r < 3; ++r)
        inv[r * 4 + 3] = -(inv[r * 4 + 0] * m[3] + inv[r * 4 + 1] * m[7] + inv[r * 4 + 2] * m[11]) / scale;
    return inv;
}

Matrix4 placement_matrix(const std::array<double, 3> &origin, const std::array<double, 6> &orientation)
{
    const double *x = orientation.data();
    const double *y = orientation.data() + 3;
    double z[3] = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
    return {x[0], y[0], z[0], origin[0], x[1], y[1], z[1], origin[1],
            x[2], y[2], z[2], origin[2], 0,    0,    0,    1};
}

Box transform_box(const Box &box, const Matrix4 &m)
{
    Box out{};
    for (int corner = 0; corner < 8; ++corner) {
        double p[3] = {box[(corner & 1) ? 3 : 0], box[(corner & 2) ? 4 : 1], box[(corner & 4) ? 5 : 2]};
        for (int r = 0; r < 3; ++r) {
            double v = m[r * 4] * p[0] + m[r * 4 + 1] * p[1] + m[r * 4 + 2] * p[2] + m[r * 4 + 3];
            if (corner == 0 || v < out[r])
                out[r] = v;
            if (corner == 0 || v > out[r + 3])
                out[r + 3] = v;
        }
    }
    return out;
}

bool absolute_box(tag_t object, Box &box)
{
    Matrix4 m = identity_matrix();
    tag_t prototype = object;
    if (Occurrence *occ = find_occurrence(object)) {
        if (!occ->object)
            return false;
        prototype = occ->object;
        m = occurrence_transform(occ->parent);
    }
    ModelObject *o = find_model_object(prototype);
    if (!o || o->type != HX_TYPE_SOLID || o->geometry.size() != 6)
        return false;
    std::copy(o->geometry.begin(), o->geometry.end(), box.begin());
    box = transform_box(box, m);
    return true;
}

} // namespace vexa::sim

namespace {

// The overlap of two boxes; false when they are apart.
bool overlap(const Box &a, const Box &b, Box &common)
{
    for (int i = 0; i < 3; ++i) {
        common[i] = std::max(a[i], b[i]);
        common[i + 3] = std::min(a[i + 3], b[i + 3]);
        if (common[i] > common[i + 3])
            return false;
    }
    return true;
}

ClearanceSet *dataset(tag_t tag)
{
    return vexa::sim::objects().find<ClearanceSet>(tag);
}

void drop_results(ClearanceSet &set)
{
    for (auto &r : set.results)
        vexa::sim::objects().erase(r.object);
    set.results.clear();
    set.analysed = false;
}

} // namespace

extern "C" {

// ---- Boxes -----------------------------------------------------------------------

HX_API int HX_MODL_ask_bounding_box(tag_t object, double box[6])
{
    return host_call("HX_MODL_ask_bounding_box", [&]() -> int {
        if (!box)
            return HX_ERR_BAD_ARGUMENT;
        Box b;
        if (!vexa::sim::absolute_box(object, b))
            return vexa::sim::objects().find_any(object) ? int{HX_ERR_WRONG_TYPE} : int{HX_ERR_NOT_FOUND};
        std::copy(b.begin(), b.end(), box);
        return HX_OK;
    });
}

HX_API int HX_MODL_ask_box_abs(tag_t object, double min_corner[3], double extents[3])
{
    return host_call("HX_MODL_ask_box_abs", [&]() -> int {
        if (!min_corner || !extents)
            return HX_ERR_BAD_ARGUMENT;
        Box b;
        if (!vexa::sim::absolute_box(object, b))
            return vexa::sim::objects().find_any(object) ? int{HX_ERR_WRONG_TYPE} : int{HX_ERR_NOT_FOUND};
        for (int i = 0; i < 3; ++i) {
            min_corner[i] = b[i];
            extents[i] = b[i + 3] - b[i];
        }
        return HX_OK;
    });
}

HX_API void HX_CV_ask_bounding_box(tag_t object, double box[6])
{
    // A C++ tooling service: its failures are raised, not returned.
    if (int injected = vexa::sim::enter_call("HX_CV_ask_bounding_box"))
        throw std::runtime_error("mould-design bounding box failed with status " + std::to_string(injected));
    Box b;
    if (!box || !vexa::sim::absolute_box(object, b))
        throw std::runtime_error("mould-design bounding box: tag " + std::to_string(object) + " is no body");
    std::copy(b.begin(), b.end(), box);
}

// ---- Coordinate systems -------------------------------------------------------------

HX_API int HX_CSYS_create_temp_csys(const double origin[3], const double axes[9], tag_t *csys)
{
    return host_call("HX_CSYS_create_temp_csys", [&]() -> int {
        if (!origin || !axes || !csys)
            return HX_ERR_BAD_ARGUMENT;
        *csys = 0;
        for (int i = 0; i < 3; ++i)
            if (!std::isfinite(origin[i]))
                return HX_ERR_BAD_ARGUMENT;
        for (int i = 0; i < 9; ++i)
            if (!std::isfinite(axes[i]))
                return HX_ERR_BAD_ARGUMENT;
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        if (!p)
            return HX_ERR_NOT_FOUND;
        ModelObject &c = vexa::sim::new_model_object(*p, HX_TYPE_CSYS, 0);
        c.temporary = true;
        c.geometry = {origin[0], origin[1], origin[2], axes[0], axes[1], axes[2], axes[3], axes[4], axes[5]};
        *csys = c.tag;
        return HX_OK;
    });
}

HX_API int HX_CSYS_ask_wcs(tag_t *csys)
{
    return host_call("HX_CSYS_ask_wcs", [&]() -> int {
        if (!csys)
            return HX_ERR_BAD_ARGUMENT;
        *csys = 0;
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().display);
        if (!p)
            return HX_ERR_NOT_FOUND;
        *csys = vexa::sim::find_model_object(p->wcs) ? p->wcs : 0;
        return HX_OK;
    });
}

HX_API int HX_CSYS_set_wcs(tag_t csys)
{
    return host_call("HX_CSYS_set_wcs", [&]() -> int {
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().display);
        ModelObject *c = vexa::sim::find_model_object(csys);
        if (!p || !c)
            return HX_ERR_NOT_FOUND;
        if (c->type != HX_TYPE_CSYS)
            return HX_ERR_WRONG_TYPE;
        if (c->part != p->tag)
            return HX_ERR_NOT_IN_WORK_PART;
        p->wcs = csys;
        return HX_OK;
    });
}

// ---- Clearance analysis -------------------------------------------------------------------

HX_API int HX_CLEAR_find_data_set(tag_t part, const char *name, tag_t *found)
{
    return host_call("HX_CLEAR_find_data_set", [&]() -> int {
        if (!name || !found)
            return HX_ERR_BAD_ARGUMENT;
        *found = 0;
        if (!vexa::sim::find_part(part))
            return HX_ERR_NOT_FOUND;
        for (ClearanceSet *c : vexa::sim::objects().all<ClearanceSet>())
            if (c->part == part && c->name == name) {
                *found = c->tag;
                break;
            }
        return HX_OK;
    });
}

HX_API int HX_CLEAR_create_data_set(const char *name, tag_t *created)
{
    return host_call("HX_CLEAR_create_data_set", [&]() -> int {
        if (!name || !*name || !created)
            return HX_ERR_BAD_ARGUMENT;
        *created = 0;
        if (std::strlen(name) > HX_OBJ_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        tag_t work = vexa::sim::parts_state().work;
        if (!vexa::sim::find_part(work))
            return HX_ERR_NOT_FOUND;
        ClearanceSet &c = vexa::sim::objects().create<ClearanceSet>();
        c.part = work;
        c.name = name;
        *created = c.tag;
        return HX_OK;
    });
}

HX_API int HX_CLEAR_delete_data_set(tag_t set)
{
    return host_call("HX_CLEAR_delete_data_set", [&]() -> int {
        ClearanceSet *c = dataset(set);
        if (!c)
            return HX_ERR_NOT_FOUND;
        drop_results(*c);
        vexa::sim::objects().erase(set);
        return HX_OK;
    });
}

HX_API int HX_CLEAR_set_analysis_mode(tag_t set, int mode)
{
    return host_call("HX_CLEAR_set_analysis_mode", [&]() -> int {
        ClearanceSet *c = dataset(set);
        if (!c)
            return HX_ERR_NOT_FOUND;
        if (mode != HX_CLEAR_MODE_SOLIDS)
            return HX_ERR_BAD_ARGUMENT;
        c->mode = mode;
        return HX_OK;
    });
}

HX_API int HX_CLEAR_set_obj_list(tag_t set, int list, int list_type, int count, const tag_t *members)
{
    return host_call("HX_CLEAR_set_obj_list", [&]() -> int {
        ClearanceSet *c = dataset(set);
        if (!c)
            return HX_ERR_NOT_FOUND;
        if ((list != 1 && list != 2) || count < 0 || (count > 0 && !members))
            return HX_ERR_BAD_ARGUMENT;
        if (list_type == HX_CLEAR_LIST_NONE) {
            if (count != 0)
                return HX_ERR_BAD_ARGUMENT;
        } else if (list_type != HX_CLEAR_LIST_OBJECTS) {
            return HX_ERR_BAD_ARGUMENT;
        }
        std::vector<tag_t> kept;
        for (int k = 0; k < count; ++k) {
            Box b;
            if (!vexa::sim::absolute_box(members[k], b))
                return HX_ERR_WRONG_TYPE;
            kept.push_back(members[k]);
        }
        c->list_type[list - 1] = list_type;
        c->lists[list - 1] = kept;
        drop_results(*c);
        return HX_OK;
    });
}

HX_API int HX_CLEAR_do_analysis(tag_t set)
{
    return host_call("HX_CLEAR_do_analysis", [&]() -> int {
        ClearanceSet *c = dataset(set);
        if (!c)
            return HX_ERR_NOT_FOUND;
        if (c->mode != HX_CLEAR_MODE_SOLIDS || c->lists[0].empty())
            return HX_ERR_BAD_ARGUMENT;
        drop_results(*c);
        std::vector<std::pair<tag_t, tag_t>> pairs;
        const auto &first = c->lists[0];
        if (c->list_type[1] == HX_CLEAR_LIST_NONE) {
            for (std::size_t i = 0; i < first.size(); ++i)
                for (std::size_t j = i + 1; j < first.size(); ++j)
                    pairs.emplace_back(first[i], first[j]);
        } else {
            for (tag_t a : first)
                for (tag_t b : c->lists[1])
                    pairs.emplace_back(a, b);
        }
        for (auto [a, b] : pairs) {
            Box ba, bb, common;
            if (a == b || !vexa::sim::absolute_box(a, ba) || !vexa::sim::absolute_box(b, bb) ||
                !overlap(ba, bb, common))
                continue;
            bool solid = common[3] > common[0] && common[4] > common[1] && common[5] > common[2];
            ModelObject &o = vexa::sim::objects().create<ModelObject>();
            o.type = solid ? HX_TYPE_SOLID : HX_TYPE_INTERFERENCE;
            o.part = c->part;
            o.temporary = true;
            o.body_type = HX_BODY_SOLID;
            o.geometry.assign(common.begin(), common.end());
            c->results.push_back({a, b, o.tag});
        }
        c->analysed = true;
        return HX_OK;
    });
}

HX_API int HX_CLEAR_ask_interferences(tag_t set, tag_t first, tag_t second, int *count, tag_t **interferences)
{
    return host_call("HX_CLEAR_ask_interferences", [&]() -> int {
        if (!count || !interferences)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *interferences = nullptr;
        ClearanceSet *c = dataset(set);
        if (!c)
            return HX_ERR_NOT_FOUND;
        if (!c->analysed)
            return HX_ERR_BAD_ARGUMENT;
        std::vector<tag_t> found;
        for (const auto &r : c->results)
            if ((r.first == first && r.second == second) || (r.first == second && r.second == first))
                found.push_back(r.object);
        return vexa::sim::hand_out_tags(found, count, interferences);
    });
}

HX_API int HX_CLEAR_ask_interference_body(tag_t interference, tag_t *body)
{
    return host_call("HX_CLEAR_ask_interference_body", [&]() -> int {
        if (!body)
            return HX_ERR_BAD_ARGUMENT;
        *body = 0;
        ModelObject *i = vexa::sim::find_model_object(interference);
        if (!i || !i->temporary || i->geometry.size() != 6)
            return HX_ERR_NOT_FOUND;
        if (i->type != HX_TYPE_SOLID)
            return HX_ERR_WRONG_TYPE;
        auto &state = vexa::sim::parts_state();
        Part *work = vexa::sim::find_part(state.work);
        if (!work)
            return HX_ERR_NOT_FOUND;
        Box b;
        std::copy(i->geometry.begin(), i->geometry.end(), b.begin());
        if (state.work_occurrence)
            b = vexa::sim::transform_box(
                b, vexa::sim::rigid_inverse(vexa::sim::occurrence_transform(state.work_occurrence)));
        ModelObject &o = vexa::sim::new_model_object(*work, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY);
        o.body_type = HX_BODY_SOLID;
        o.geometry.assign(b.begin(), b.end());
        vexa::sim::mark_modified(work->tag);
        *body = o.tag;
        return HX_OK;
    });
}

// ---- Object classes and tooling utilities ---------------------------------------------------

HX_API int HX_OM_is_subclass(int class_code, int superclass_code)
{
    return vexa::sim::host_value_call("HX_OM_is_subclass", 0, [&] {
        return class_code == superclass_code || (superclass_code == 0 && class_code > 0) ? 1 : 0;
    });
}

HX_API int HX_TOOL_show_work_text(void)
{
    return host_call("HX_TOOL_show_work_text", []() -> int {
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        vexa::sim::record(vexa::sim::Entry::status, 0, "",
                          "Work Part: " + (p ? vexa::sim::short_name(p->name) : std::string("(none)")));
        return HX_OK;
    });
}

HX_API int HX_TOOL_file_name_of_display_name(const char *display_name, char file_name[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_TOOL_file_name_of_display_name", [&]() -> int {
        if (!display_name || !file_name)
            return HX_ERR_BAD_ARGUMENT;
        file_name[0] = '\0';
        std::string name = display_name;
        int active = 0;
        HX_is_krmanager_active(&active);
        if (active && name.find('/') != std::string::npos && name.rfind("@DB/", 0) != 0)
            name = "@DB/" + name;
        if (name.size() > HX_MAX_FSPEC_SIZE)
            return HX_ERR_TOO_LONG;
        std::memcpy(file_name, name.c_str(), name.size() + 1);
        return HX_OK;
    });
}

} // extern "C"
