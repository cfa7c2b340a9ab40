// Selection in the headless host: the selections of dialogs (objects added
// are highlighted, objects removed unhighlighted), interactive selection by
// masks, point construction, and the interaction brackets (locked
// user-function mode, the dialog bracket).
//
// Interactive questions are answered by the scripted user (user.h); without
// an answer queued the user cancels. The user picks objects by tag; the host
// keeps those that the request accepts (alive, in scope, passing a mask),
// as a user can pick only what is selectable. Every selection and point
// pick goes to the journal with what was picked and the answer.
#include "dialogs.h"
#include "model.h"
#include "session_state.h"

#include "hx_dialogs.h"
#include "hx_memory.h"
#include "hx_objects.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vexa::sim {

namespace {

struct InteractionState {
    int locked = 0;
    int dialog_bracket = 0;
};

AreaState<InteractionState> interaction{"interaction"};

void set_highlight(tag_t object, bool on)
{
    if (ModelObject *o = find_model_object(object))
        o->highlighted = on;
}

// A new host array holding the objects (null when there are none).
tag_t *host_array(const std::vector<tag_t> &objects)
{
    if (objects.empty())
        return nullptr;
    auto *array = static_cast<tag_t *>(HX_allocate_memory(objects.size() * sizeof(tag_t), nullptr));
    if (!array)
        throw std::bad_alloc();
    std::copy(objects.begin(), objects.end(), array);
    return array;
}

bool mask_accepts(const HX_UI_mask_t &mask, const ModelObject &o)
{
    if (o.type != mask.object_type)
        return false;
    switch (mask.detail_type) {
    case HX_UI_SEL_DETAIL_NONE: return o.subtype == mask.object_subtype;
    case HX_UI_SEL_DETAIL_BODY: return o.type == HX_TYPE_SOLID && o.subtype == HX_SUBTYPE_SOLID_BODY;
    case HX_UI_SEL_DETAIL_FACE: return o.type == HX_TYPE_SOLID && o.subtype == HX_SUBTYPE_SOLID_FACE;
    case HX_UI_SEL_DETAIL_EDGE: return o.type == HX_TYPE_SOLID && o.subtype == HX_SUBTYPE_SOLID_EDGE;
    default: return false;
    }
}

bool in_scope(int scope, const ModelObject &o)
{
    tag_t work = work_part();
    switch (scope) {
    case HX_UI_SEL_SCOPE_WORK_PART: return o.part == work && o.prototype == 0;
    case HX_UI_SEL_SCOPE_WORK_PART_AND_OCC: return o.part == work;
    default: return true;
    }
}

bool selectable(const HX_UI_selection_request_t &request, tag_t object)
{
    const ModelObject *o = find_model_object(object);
    if (!o || !in_scope(request.scope, *o))
        return false;
    if (request.mask_count == 0)
        return true;
    for (int i = 0; i < request.mask_count; ++i)
        if (mask_accepts(request.masks[i], *o))
            return true;
    return false;
}

std::string objects_text(const std::vector<tag_t> &objects)
{
    std::string text;
    for (tag_t o : objects)
        text += (text.empty() ? "" : " ") + std::to_string(o);
    return text;
}

// What the user does with a selection request: the response and the
// objects picked (those the request accepts).
int answer_selection(const HX_UI_selection_request_t &request, std::vector<tag_t> &picked)
{
    auto a = take_answer(Ask::selection);
    if (!a || a->pick == Pick::cancel)
        return HX_UI_SEL_CANCEL;
    if (a->pick == Pick::back)
        return HX_UI_SEL_BACK;
    for (tag_t object : a->objects)
        if (selectable(request, object) && std::find(picked.begin(), picked.end(), object) == picked.end())
            picked.push_back(object);
    if (request.multiple || a->pick == Pick::ok)
        return HX_UI_SEL_OK;
    // Nothing selectable was picked: the user ends with OK. A single pick
    // keeps the first object.
    if (picked.empty())
        return HX_UI_SEL_OK;
    picked.erase(picked.begin() + 1, picked.end());
    return a->pick == Pick::by_name ? HX_UI_SEL_PICKED_BY_NAME : HX_UI_SEL_PICKED;
}

} // namespace

int add_to_selection(Selection &selection, const std::vector<tag_t> &objects, bool highlight)
{
    for (tag_t object : objects)
        if (!find_model_object(object))
            return HX_ERR_NOT_FOUND;
    for (tag_t object : objects) {
        if (std::find(selection.objects.begin(), selection.objects.end(), object) == selection.objects.end())
            selection.objects.push_back(object);
        if (highlight)
            set_highlight(object, true);
    }
    return HX_OK;
}

void remove_from_selection(Selection &selection, const std::vector<tag_t> &objects, bool unhighlight)
{
    std::vector<tag_t> gone = objects; // objects may be the selection's own list
    for (tag_t object : gone) {
        std::erase(selection.objects, object);
        if (unhighlight)
            set_highlight(object, false);
    }
}

int locked_depth()
{
    return interaction->locked;
}

int dialog_bracket_depth()
{
    return interaction->dialog_bracket;
}

} // namespace vexa::sim

using vexa::sim::host_call;
using vexa::sim::objects;
using vexa::sim::Selection;

namespace {

// Interaction brackets: entered and left in pairs; leaving one that is not
// open is refused.
int enter_bracket(int &depth)
{
    ++depth;
    return HX_OK;
}

int leave_bracket(int &depth)
{
    if (depth == 0)
        return HX_ERR_BAD_ARGUMENT;
    --depth;
    return HX_OK;
}

// A change of a selection by the objects of a (count, array) argument.
template <class Change>
int change_selection(const char *call, tag_t selection, int count, const tag_t *array, Change change)
{
    return host_call(call, [&]() -> int {
        if (count < 0 || (count > 0 && !array))
            return HX_ERR_BAD_ARGUMENT;
        Selection *s = objects().find<Selection>(selection);
        if (!s)
            return HX_ERR_NOT_FOUND;
        return change(*s, std::vector<tag_t>(array, array + count));
    });
}

} // namespace

extern "C" {

HX_API int HX_UI_ask_sel_object_list(tag_t selection, int *count, tag_t **objects_out)
{
    return host_call("HX_UI_ask_sel_object_list", [&]() -> int {
        if (!count || !objects_out)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *objects_out = nullptr;
        Selection *s = objects().find<Selection>(selection);
        if (!s)
            return HX_ERR_NOT_FOUND;
        std::vector<tag_t> alive;
        for (tag_t object : s->objects)
            if (vexa::sim::find_model_object(object))
                alive.push_back(object);
        *objects_out = vexa::sim::host_array(alive);
        *count = static_cast<int>(alive.size());
        return HX_OK;
    });
}

HX_API int HX_UI_add_to_sel_list(tag_t selection, int count, const tag_t *list, int highlight)
{
    return change_selection("HX_UI_add_to_sel_list", selection, count, list,
                            [&](Selection &s, const auto &given) {
                                return vexa::sim::add_to_selection(s, given, highlight == 1);
                            });
}

HX_API int HX_UI_remove_from_sel_list(tag_t selection, int count, const tag_t *list, int unhighlight)
{
    return change_selection("HX_UI_remove_from_sel_list", selection, count, list,
                            [&](Selection &s, const auto &given) {
                                vexa::sim::remove_from_selection(s, given, unhighlight == 1);
                                return HX_OK;
                            });
}

HX_API void HX_UI_init_selection_request(HX_UI_selection_request_t *request)
{
    if (!request)
        return;
    *request = HX_UI_selection_request_t{};
    request->scope = HX_UI_SEL_SCOPE_WORK_PART_AND_OCC;
}

HX_API int HX_UI_select_objects(const HX_UI_selection_request_t *request, int *response, int *count,
                                tag_t **objects_out)
{
    return host_call("HX_UI_select_objects", [&]() -> int {
        if (!request || !response || !count || !objects_out || request->mask_count < 0 ||
            (request->mask_count > 0 && !request->masks))
            return HX_ERR_BAD_ARGUMENT;
        if (request->scope < HX_UI_SEL_SCOPE_WORK_PART || request->scope > HX_UI_SEL_SCOPE_WORK_PART_AND_OCC)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *objects_out = nullptr;
        std::vector<tag_t> picked;
        int answer = vexa::sim::answer_selection(*request, picked);
        // While the user selects, the host highlights each pick; the request
        // says whether the highlight stays.
        for (tag_t object : picked)
            vexa::sim::set_highlight(object, request->keep_highlight == 1);
        vexa::sim::JournalEntry entry;
        entry.kind = vexa::sim::Entry::selection;
        entry.title = request->title ? request->title : "Select";
        entry.text = request->prompt ? request->prompt : "";
        entry.response = answer;
        entry.objects = picked;
        entry.answer = vexa::sim::objects_text(picked);
        vexa::sim::record(std::move(entry));
        *objects_out = vexa::sim::host_array(picked);
        *response = answer;
        *count = static_cast<int>(picked.size());
        return HX_OK;
    });
}

HX_API int HX_UI_point_construct(const char *prompt, int *method, tag_t *point, double position[3],
                                 int *response)
{
    return host_call("HX_UI_point_construct", [&]() -> int {
        if (!method || !point || !position || !response)
            return HX_ERR_BAD_ARGUMENT;
        *point = 0;
        vexa::sim::JournalEntry entry;
        entry.kind = vexa::sim::Entry::point;
        entry.text = prompt ? prompt : "";
        entry.severity = *method;
        auto a = vexa::sim::take_answer(vexa::sim::Ask::point);
        int answer = HX_UI_POINT_CANCEL;
        if (a && a->pick == vexa::sim::Pick::back)
            answer = HX_UI_POINT_BACK;
        if (a && (a->pick == vexa::sim::Pick::picked || a->pick == vexa::sim::Pick::ok)) {
            vexa::sim::Part *work = vexa::sim::find_part(vexa::sim::work_part());
            if (!work)
                return HX_ERR_NOT_FOUND; // no work part to put the point in
            vexa::sim::ModelObject *p = &vexa::sim::new_model_object(*work, HX_TYPE_POINT, 0);
            p->geometry.assign(a->point.begin(), a->point.end());
            vexa::sim::mark_modified(work->tag);
            if (a->method >= 0)
                *method = a->method;
            std::copy(a->point.begin(), a->point.end(), position);
            *point = p->tag;
            answer = HX_UI_POINT_PICKED;
            char text[96];
            std::snprintf(text, sizeof text, "%.17g %.17g %.17g", a->point[0], a->point[1], a->point[2]);
            entry.answer = text;
            entry.objects = {p->tag};
        }
        entry.response = answer;
        vexa::sim::record(std::move(entry));
        *response = answer;
        return HX_OK;
    });
}

HX_API int HX_UI_lock_access(void)
{
    return host_call("HX_UI_lock_access", [] { return enter_bracket(vexa::sim::interaction->locked); });
}

HX_API int HX_UI_unlock_access(void)
{
    return host_call("HX_UI_unlock_access", [] { return leave_bracket(vexa::sim::interaction->locked); });
}

HX_API int HX_UI_begin_dialog(void)
{
    return host_call("HX_UI_begin_dialog",
                     [] { return enter_bracket(vexa::sim::interaction->dialog_bracket); });
}

HX_API int HX_UI_end_dialog(void)
{
    return host_call("HX_UI_end_dialog",
                     [] { return leave_bracket(vexa::sim::interaction->dialog_bracket); });
}

} // extern "C"
