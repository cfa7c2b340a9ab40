// The work part's features in a dialog: their names in a list item, their
// faces highlighted through the dialog's selection, and objects moved out
// of sight onto layer 255.
//
// Features are cycled in the host's order; a feature met as an occurrence
// stands for its prototype. A failing host call is shown to the user with
// the host's text for its status and ends the step with -1.
#include "cvstvshare/dialog_items.h"
#include "cvstvshare/selection.h"
#include "cvstvshare/util.h"
#include "ui/dialog_selection.h"
#include "ui/styler.h"
#include "util/boundary.h"

#include "hx_assem.h"
#include "hx_features.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_objects.h"
#include "hx_parts.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using cvstv::ui::show_fail_text;

namespace {

constexpr std::size_t max_listed_features = 2500;
constexpr std::size_t feature_name_size = 100; // 99 characters
constexpr int hidden_layer = 255;
constexpr std::array<const char *, 4> unlisted_types{"SKETCH", "ABSOLUTE_DATUM_PLANE", "BLEND", "CHAMFER"};

using HostText = std::unique_ptr<char, void (*)(void *)>;

HostText host_text(char *text)
{
    return HostText(text, HX_free);
}

// A feature's text (its type or its name) from the host; status in status.
std::string feature_text(int (*ask)(tag_t, char **), tag_t feature, int &status)
{
    char *text = nullptr;
    status = ask(feature, &text);
    HostText owned = host_text(text);
    return status == 0 && text ? std::string(text) : std::string();
}

// Calls visit(feature) for every feature of the part (prototypes for
// occurrences) until it answers false. The host's status of the cycle.
template <class Visit> int for_each_feature(tag_t part, Visit visit)
{
    tag_t feature = 0;
    while (true) {
        if (int status = HX_OBJ_cycle_objs_in_part(part, HX_TYPE_FEATURE, &feature))
            return status;
        if (feature == 0 || !visit(cvstv::ui::prototype_of(feature)))
            return 0;
    }
}

// Adds the feature's faces to the selection, highlighted (add), or takes
// them out, unhighlighted. The host's status.
int select_faces(tag_t selection, tag_t feature, bool add)
{
    hx_list_p_t faces = nullptr;
    if (int status = HX_MODL_ask_feat_faces(feature, &faces))
        return status;
    int count = 0;
    int status = HX_LIST_ask_count(faces, &count);
    std::vector<tag_t> objects(static_cast<std::size_t>(status == 0 ? count : 0));
    for (std::size_t i = 0; status == 0 && i < objects.size(); ++i)
        status = HX_LIST_ask_item(faces, static_cast<int>(i), &objects[i]);
    HX_LIST_delete(&faces);
    if (status != 0 || objects.empty())
        return status;
    auto n = static_cast<int>(objects.size());
    return add ? HX_UI_add_to_sel_list(selection, n, objects.data(), 1)
               : HX_UI_remove_from_sel_list(selection, n, objects.data(), 1);
}

// A failed host call: the host's text for it, and -1.
int failed(int status)
{
    show_fail_text(status);
    return -1;
}

} // namespace

extern "C" {

CVSTV_API int STV_FEAT_display(int dialog_id, const char *list_item_id) noexcept
{
    return cvstv::guarded("STV_FEAT_display", -1, [&] {
        tag_t part = HX_ASSEM_ask_work_part();
        if (part == 0) {
            HX_message_box(HX_SEVERITY_ERROR, "No active part !");
            return -1;
        }
        std::vector<std::string> names;
        int text_status = 0;
        int status = for_each_feature(part, [&](tag_t feature) {
            std::string type = feature_text(HX_MODL_ask_feat_type, feature, text_status);
            if (text_status != 0)
                return false;
            for (const char *unlisted : unlisted_types)
                if (type == unlisted)
                    return true;
            std::string name = feature_text(HX_MODL_ask_feat_name, feature, text_status);
            if (text_status != 0)
                return false;
            names.push_back(name.substr(0, feature_name_size - 1));
            if (names.size() < max_listed_features)
                return true;
            kt_debug_infor("Too many features");
            return false;
        });
        if (status != 0 || text_status != 0)
            return failed(status != 0 ? status : text_status);
        std::vector<char *> entries;
        for (std::string &name : names)
            entries.push_back(name.data());
        STV_modify_list(dialog_id, list_item_id, entries.data(), static_cast<int>(entries.size()), 0);
        return 0;
    });
}

CVSTV_API int STV_FEAT_highlight(int dialog_id, const char *feature_name, int add) noexcept
{
    return cvstv::guarded("STV_FEAT_highlight", -1, [&] {
        tag_t selection = 0;
        if (int status = cvstv::ui::ask_dialog_selection(dialog_id, selection))
            return failed(status);
        tag_t part = HX_ASSEM_ask_work_part();
        if (part == 0) {
            HX_message_box(HX_SEVERITY_ERROR, "No active part");
            return -1;
        }
        if (!feature_name)
            return -1;
        tag_t found = 0;
        int text_status = 0;
        int status = for_each_feature(part, [&](tag_t feature) {
            std::string name = feature_text(HX_MODL_ask_feat_name, feature, text_status);
            if (text_status == 0 && name == feature_name)
                found = feature;
            return text_status == 0 && found == 0;
        });
        if (status != 0 || text_status != 0)
            return failed(status != 0 ? status : text_status);
        if (found == 0)
            return -1;
        if (int faces = select_faces(selection, found, add == 1))
            return failed(faces);
        HX_set_status(feature_name);
        return 0;
    });
}

CVSTV_API int STV_highlight_item(int dialog_id, const char *list_item_id, const char *text) noexcept
{
    return cvstv::guarded("STV_highlight_item", -1, [&] {
        int status = 0;
        std::vector<std::string> entries = cvstv::ui::ask_entries(dialog_id, list_item_id, status);
        for (std::size_t i = 0; status == 0 && text && i < entries.size(); ++i) {
            if (entries[i] == text) {
                cvstv::ui::set_at_entry(dialog_id, list_item_id, HX_STYLER_VALUE, static_cast<int>(i));
                cvstv::ui::set_at_entry(dialog_id, list_item_id, HX_STYLER_LIST_SHOW, static_cast<int>(i));
                return 0;
            }
        }
        STV_FEAT_highlight(dialog_id, text, 0);
        return -1;
    });
}

CVSTV_API int STV_clear_highlight(int dialog_id) noexcept
{
    return cvstv::guarded("STV_clear_highlight", -1, [&] {
        cvstv::ui::clear_dialog_selection(dialog_id);
        tag_t part = HX_ASSEM_ask_work_part();
        if (part == 0) {
            HX_message_box(HX_SEVERITY_ERROR, "No active part");
            return -1;
        }
        tag_t selection = 0;
        if (int status = cvstv::ui::ask_dialog_selection(dialog_id, selection))
            return failed(status);
        // What taking each feature's highlight off by name does, in one pass:
        // its faces leave the selection unhighlighted, its name shows on the
        // status line.
        int step_status = 0;
        int status = for_each_feature(part, [&](tag_t feature) {
            std::string name = feature_text(HX_MODL_ask_feat_name, feature, step_status);
            if (step_status == 0)
                step_status = select_faces(selection, feature, false);
            if (step_status == 0)
                HX_set_status(name.c_str());
            return step_status == 0;
        });
        if (status != 0 || step_status != 0)
            return failed(status != 0 ? status : step_status);
        return 0;
    });
}

CVSTV_API int STV_move_obj_layer(tag_t part, int object_type) noexcept
{
    return cvstv::guarded("STV_move_obj_layer", -1, [&] {
        bool found = false;
        tag_t object = 0;
        while (HX_OBJ_cycle_objs_in_part(part, object_type, &object) == 0 && object != 0) {
            found = true;
            int count = 0;
            tag_t *occurrences = nullptr;
            if (HX_ASSEM_ask_occs_of_entity(object, &count, &occurrences) != 0)
                continue;
            std::unique_ptr<tag_t, void (*)(void *)> owned(occurrences, HX_free);
            for (int i = 0; i < count; ++i) {
                int layer = 0;
                if (HX_OBJ_ask_layer(occurrences[i], &layer) == 0 && layer != hidden_layer)
                    HX_OBJ_set_layer(occurrences[i], hidden_layer);
            }
        }
        return found ? 0 : -1;
    });
}

} // extern "C"
