// The dialog selection and interactive selection: a dialog's selection read,
// listed and emptied; one body or face, or objects of a class, picked by the
// user through the host's interactive selection.
#include "cvstvshare/selection.h"
#include "ui/dialog_selection.h"
#include "ui/styler.h"
#include "util/boundary.h"

#include "hx_assem.h"
#include "hx_dialogs.h"
#include "hx_memory.h"
#include "hx_objects.h"

#include <memory>

namespace cvstv::ui {

int ask_dialog_selection(int dialog_id, tag_t &selection)
{
    Record r(HX_STYLER_SELECTION, HX_STYLER_DIALOG_INDEX);
    int status = r.ask(dialog_id);
    selection = status == 0 ? r->value.selection : 0;
    return status;
}

int selection_objects(tag_t selection, std::vector<tag_t> &objects)
{
    int count = 0;
    tag_t *array = nullptr;
    int status = HX_UI_ask_sel_object_list(selection, &count, &array);
    std::unique_ptr<tag_t, void (*)(void *)> owned(array, HX_free);
    if (status == 0 && array)
        objects.assign(array, array + count);
    return status;
}

int clear_dialog_selection(int dialog_id)
{
    tag_t selection = 0;
    std::vector<tag_t> objects;
    int status = ask_dialog_selection(dialog_id, selection);
    if (status == 0)
        status = selection_objects(selection, objects);
    if (status == 0 && !objects.empty())
        status = HX_UI_remove_from_sel_list(selection, static_cast<int>(objects.size()), objects.data(), 1);
    return status;
}

tag_t prototype_of(tag_t object)
{
    return HX_ASSEM_is_occurrence(object) ? HX_ASSEM_ask_prototype_of_occ(object) : object;
}

} // namespace cvstv::ui

namespace {

// What an interactive selection gave: the host's status and answer and the
// objects (owned here until handed on).
struct Picked {
    int status = 0;
    int response = 0;
    std::vector<tag_t> objects;
};

Picked select(const char *prompt, const char *title, const HX_UI_mask_t &mask, int scope, bool multiple,
              bool keep_highlight)
{
    HX_UI_selection_request_t request;
    HX_UI_init_selection_request(&request);
    request.prompt = prompt;
    if (title)
        request.title = title;
    if (scope >= 0)
        request.scope = scope;
    request.multiple = multiple ? 1 : 0;
    request.mask_count = 1;
    request.masks = &mask;
    request.keep_highlight = keep_highlight ? 1 : 0;
    Picked p;
    int count = 0;
    tag_t *array = nullptr;
    p.status = HX_UI_select_objects(&request, &p.response, &count, &array);
    std::unique_ptr<tag_t, void (*)(void *)> owned(array, HX_free);
    if (p.status == 0 && array)
        p.objects.assign(array, array + count);
    return p;
}

bool backed_out(const Picked &p)
{
    return p.response == HX_UI_SEL_BACK || p.response == HX_UI_SEL_CANCEL;
}

// One solid object of a kind (body or face), picked in the selection
// dialog of the host. -1 on a refusal, back or cancel, else 0.
int select_single_solid(const char *prompt, const char *title, int detail, tag_t *object)
{
    HX_UI_mask_t mask{HX_TYPE_SOLID, 0, detail};
    Picked p = select(prompt, title, mask, -1, false, false);
    if (p.status != 0 || backed_out(p))
        return -1;
    if ((p.response == HX_UI_SEL_PICKED || p.response == HX_UI_SEL_PICKED_BY_NAME) && !p.objects.empty())
        *object = p.objects.front();
    return 0;
}

// The selection of a class: components for 63, else a kind of solid object.
HX_UI_mask_t class_mask(int class_code)
{
    if (class_code == HX_TYPE_COMPONENT)
        return {HX_TYPE_COMPONENT, HX_SUBTYPE_PART_OCCURRENCE, 0};
    return {HX_TYPE_SOLID, 0, class_code};
}

// A selection by class: the objects unhighlighted, or -1 (back), -2
// (cancel), -3 (host failure) in result.
Picked select_class(const char *prompt, int class_code, int scope, bool multiple, int &result)
{
    Picked p = select(prompt, nullptr, class_mask(class_code), scope, multiple, true);
    result = p.status != 0 ? -3 : p.response == HX_UI_SEL_BACK ? -1 : p.response == HX_UI_SEL_CANCEL ? -2 : 0;
    for (tag_t object : p.objects)
        HX_OBJ_set_highlight(object, 0);
    return p;
}

// Ends a host bracket (locked mode, dialog) when it goes.
struct BracketEnd {
    int (*end)();
    ~BracketEnd()
    {
        if (end)
            end();
    }
};

} // namespace

extern "C" {

CVSTV_API int STV_UI_ask_dialog_selection(int dialog_id, tag_t *selection) noexcept
{
    return cvstv::guarded("STV_UI_ask_dialog_selection", -1, [&] {
        if (!selection)
            return -1;
        return cvstv::ui::ask_dialog_selection(dialog_id, *selection) == 0 ? 0 : -1;
    });
}

CVSTV_API int CVSTVSHARE_ask_dialog_selection_pointer(int dialog_id, tag_t *selection) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_dialog_selection_pointer", -1,
                          [&]() -> int { return STV_UI_ask_dialog_selection(dialog_id, selection); });
}

CVSTV_API int CVSTVSHARE_clear_dialog_selection(int dialog_id) noexcept
{
    return cvstv::guarded("CVSTVSHARE_clear_dialog_selection", -1,
                          [&] { return cvstv::ui::clear_dialog_selection(dialog_id); });
}

CVSTV_API int STV_clear_selection(int dialog_id) noexcept
{
    return cvstv::guarded("STV_clear_selection", -1, [&]() -> int {
        CVSTVSHARE_clear_dialog_selection(dialog_id);
        return 0;
    });
}

CVSTV_API int STV_clear_highlight01(int dialog_id) noexcept
{
    return cvstv::guarded("STV_clear_highlight01", -1,
                          [&]() -> int { return STV_clear_selection(dialog_id); });
}

CVSTV_API int CVSTVSHARE_ask_objects_in_selection(int dialog_id, int *count, tag_t **objects) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_objects_in_selection", -1, [&] {
        if (!count || !objects)
            return -1;
        *count = 0;
        *objects = nullptr;
        tag_t selection = 0;
        if (cvstv::ui::ask_dialog_selection(dialog_id, selection) != 0)
            return -1;
        if (HX_UI_ask_sel_object_list(selection, count, objects) != 0 || *count == 0) {
            HX_free(*objects);
            *objects = nullptr;
            *count = 0;
            return -1;
        }
        return 0;
    });
}

CVSTV_API int CVSTVSHARE_UI_select_single_body(const char *prompt, int lock, tag_t *body) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_select_single_body", -1, [&] {
        if (!body)
            return -1;
        *body = 0;
        if (lock && HX_UI_lock_access() != 0)
            return -1;
        BracketEnd unlock{lock ? HX_UI_unlock_access : nullptr};
        return select_single_solid(prompt, "Select Body", HX_UI_SEL_DETAIL_BODY, body);
    });
}

CVSTV_API int CVSTVSHARE_UI_select_single_face(const char *prompt, tag_t *face) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_select_single_face", -1, [&] {
        if (!face)
            return -1;
        *face = 0;
        if (HX_UI_begin_dialog() != 0)
            return -1;
        BracketEnd end{HX_UI_end_dialog};
        return select_single_solid(prompt, "Select Face", HX_UI_SEL_DETAIL_FACE, face);
    });
}

CVSTV_API int kt_select_by_class(const char *prompt, int class_code, int scope, tag_t **objects) noexcept
{
    return cvstv::guarded("kt_select_by_class", -3, [&] {
        if (!objects)
            return -3;
        *objects = nullptr;
        int result = 0;
        Picked p = select_class(prompt, class_code, scope, true, result);
        if (result != 0 || p.objects.empty())
            return result;
        auto *array = static_cast<tag_t *>(HX_allocate_memory(p.objects.size() * sizeof(tag_t), nullptr));
        if (!array)
            return -3;
        std::copy(p.objects.begin(), p.objects.end(), array);
        *objects = array;
        return static_cast<int>(p.objects.size());
    });
}

CVSTV_API int kt_select_single(const char *prompt, int class_code, int scope, tag_t *object) noexcept
{
    return cvstv::guarded("kt_select_single", -3, [&] {
        if (!object)
            return -3;
        *object = 0;
        int result = 0;
        Picked p = select_class(prompt, class_code, scope, false, result);
        if (result == 0 && !p.objects.empty())
            *object = p.objects.front();
        return result;
    });
}

} // extern "C"
