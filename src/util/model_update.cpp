// The model update with the library's failure dialog, and the operations
// that change the model through it: loading linked parents, suppressing a
// trimmed feature by the parting part's expressions, relinking pocket
// features, and finding the occurrence a link feature's link leads from.
//
// KT_MODL_update runs the host's update with the fail option "undo" under
// an invisible undo mark, and on failure lets the user suppress the failing
// feature (update again with the option "suppress") or undo to the
// caller's mark. The fail option and the invisible mark are restored and
// deleted by scope guards on every path.
#include "cvstvshare/assembly.h"
#include "cvstvshare/part_attributes.h"
#include "util/boundary.h"
#include "util/host_state.h"
#include "util/model_update_internal.h"
#include "util/part_query.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_model.h"
#include "hx_parts.h"

#include <string>
#include <vector>

namespace {

constexpr int undo_response = 20;
constexpr int suppress_response = 21;
constexpr std::size_t line_size = 256; // dialog lines of at most 255 characters
constexpr int most_trim_names = 100000;

std::string line(const char *format, const std::string &value)
{
    char text[line_size];
    cvstv::format_bounded(text, sizeof text, HX_TEXT(format), value.c_str());
    return text;
}

// The part that owns a feature's body (the feature's own part when it
// makes none).
tag_t feature_part(tag_t feature)
{
    tag_t body = 0, part = 0;
    HX_MODL_ask_feat_body(feature, &body);
    if (HX_OBJ_ask_owning_part(body != 0 ? body : feature, &part) != 0)
        return 0;
    return part;
}

int free_load_status(HX_PART_load_status_t &status)
{
    int first_failure = 0;
    for (int i = 0; i < status.n_parts; ++i) {
        if (first_failure == 0)
            first_failure = status.statuses[i];
        HX_free(status.file_names[i]);
    }
    HX_free(status.file_names);
    HX_free(status.statuses);
    status = HX_PART_load_status_t{};
    return first_failure;
}

} // namespace

extern "C" {

CVSTV_API int KT_MODL_update(int undo_mark, const char *message) noexcept
{
    return cvstv::guarded("KT_MODL_update", -1, [&]() -> int {
        cvstv::HostState saved(cvstv::HostState::update_fail_option);
        HX_MODL_set_update_fail_option(HX_UPDATE_FAIL_UNDO);
        cvstv::UndoMark invisible(HX_UNDO_INVISIBLE, nullptr);
        int status = HX_MODL_update();
        if (status == 0)
            return 0;

        tag_t failed = 0;
        int failed_status = 0;
        HX_MODL_ask_update_failure(&failed, &failed_status);
        std::string part_name, feature_name;
        if (failed != 0) {
            char name[KT_NAME_BUFFER_SIZE] = "";
            if (kt_ask_part_name(nullptr, feature_part(failed), name) == 0)
                part_name = name;
            char feature[HX_OBJ_NAME_SIZE + 1] = "";
            HX_OBJ_ask_name(failed, feature);
            feature_name = feature;
        }
        char reason[HX_FAIL_MESSAGE_SIZE + 1] = "";
        HX_get_fail_message(status, reason);

        std::vector<std::string> lines;
        if (message && *message) {
            char text[line_size];
            cvstv::copy_bounded(text, sizeof text, message);
            lines.emplace_back(text);
        }
        lines.push_back(failed ? line("In part: %s", part_name) : std::string());
        lines.push_back(failed ? line("Failed feature: %s", feature_name) : std::string());
        lines.push_back(line("Reason: %s", reason));
        std::vector<const char *> texts;
        for (const std::string &l : lines)
            texts.push_back(l.c_str());
        HX_UI_message_buttons buttons{{"Suppress", undo_mark != 0 ? "Undo" : nullptr, nullptr},
                                      {suppress_response, undo_response, 0}};
        int response = 0;
        HX_UI_message_dialog("Update Failure", HX_UI_MESSAGE_WARNING, texts.data(),
                             static_cast<int>(texts.size()), &buttons, 0, &response);
        if (response == undo_response && undo_mark != 0) {
            HX_UNDO_undo_to_mark(undo_mark);
        } else if (response == suppress_response) {
            HX_MODL_set_update_fail_option(HX_UPDATE_FAIL_SUPPRESS);
            status = HX_MODL_update();
        }
        return status;
    });
}

CVSTV_API int CVSTVSHARE_zolt_load_parents(int wizard_type) noexcept
{
    return cvstv::guarded("CVSTVSHARE_zolt_load_parents", -1, [&]() -> int {
        tag_t work = HX_ASSEM_ask_work_part();
        if (work == 0)
            return -1;
        if (!cvstv::load_zolt_data(wizard_type))
            return 0;
        HX_PART_load_status_t status{};
        int s = HX_ZOLT_load_parents(work, HX_ZOLT_LOAD_ALL, &status);
        int first_failure = free_load_status(status);
        return first_failure != 0 ? first_failure : s;
    });
}

CVSTV_API int kt_set_trim_feat_supp(tag_t feature, bool cavity) noexcept
{
    return cvstv::guarded("kt_set_trim_feat_supp", -1, [&]() -> int {
        if (feature == 0)
            return -1;
        char parting_name[KT_NAME_BUFFER_SIZE] = "";
        if (int s = kt_ask_prod_attr_part("KT_SHRINKAGE", parting_name, nullptr)) {
            HX_message_box(HX_SEVERITY_ERROR, HX_TEXT("No Parting-Part was found"));
            return s;
        }
        tag_t parting = HX_PART_ask_part_tag(parting_name);
        for (const char *needed : {"split_core_supp", "split_cavity_supp"}) {
            tag_t expression = 0;
            if (HX_MODL_ask_exp_tag(parting, needed, &expression) != 0 || expression == 0) {
                HX_message_box(HX_SEVERITY_ERROR,
                               cvstv::format(HX_TEXT("No <%s> expression name was found"), needed).c_str());
                return -1;
            }
        }
        tag_t part = feature_part(feature);
        if (part == 0)
            return -1;
        cvstv::HostState saved(cvstv::HostState::work_part);
        if (int s = HX_ASSEM_set_work_part(part))
            return s;

        const std::string base = cavity ? "trim_supp_cav" : "trim_supp_core";
        const char *target = cavity ? "split_cavity_supp" : "split_core_supp";
        std::string name;
        for (int n = 0; n < most_trim_names && name.empty(); ++n) {
            std::string candidate = n == 0 ? base : base + std::to_string(n);
            tag_t existing = 0;
            if (HX_MODL_ask_exp_tag(part, candidate.c_str(), &existing) == 0 && existing == 0)
                name = candidate;
        }
        if (name.empty())
            return -1;
        std::string text = name + "=";
        if (part != parting) {
            char short_name[KT_NAME_BUFFER_SIZE] = "";
            kt_ask_part_name(nullptr, parting, short_name);
            text += std::string(short_name) + "::";
        }
        text += target;

        cvstv::UndoMark mark(HX_UNDO_VISIBLE, "Set trim feature expression");
        tag_t expression = 0;
        if (int s = HX_MODL_create_exp_tag(text.c_str(), &expression))
            return s;
        if (int s = HX_MODL_set_suppress_exp(feature, expression))
            return s;
        return KT_MODL_update(mark.id(), "Failed to set trimmed-feature suppression");
    });
}

CVSTV_API int CV_relink_pocket_link_feature(tag_t object, int count, const tag_t *link_features,
                                            tag_t source_occurrence, const tag_t *target_occurrences) noexcept
{
    return cvstv::guarded("CV_relink_pocket_link_feature", -1, [&]() -> int {
        if (object == 0 || count < 0 || (count > 0 && (!link_features || !target_occurrences)))
            return -1;
        tag_t prototype = cvstv::prototype_or_self(object);
        int first_update_failure = 0;
        for (int i = 0; i < count; ++i) {
            cvstv::HostState saved(cvstv::HostState::work_part);
            cvstv::UndoMark mark(HX_UNDO_VISIBLE, "Relink pocket");
            if (int s = HX_ASSEM_set_work_occurrence(target_occurrences[i]))
                return s;
            tag_t xform = 0;
            if (int s = HX_SO_create_xform_assy_ctxt(source_occurrence, target_occurrences[i], &xform))
                return s;
            if (int s = HX_ZOLT_set_link_data(link_features[i], prototype, xform))
                return s;
            int s = KT_MODL_update(mark.id(), "Failed to relink pocket feature.");
            if (first_update_failure == 0)
                first_update_failure = s;
        }
        return first_update_failure;
    });
}

CVSTV_API int kt_ask_target_occ(tag_t link_feature, tag_t occurrence, tag_t *target) noexcept
{
    return cvstv::guarded("kt_ask_target_occ", -1, [&]() -> int {
        if (!target)
            return -1;
        *target = 0;
        tag_t xform = 0, owner = 0;
        if (HX_ZOLT_ask_link_xform(link_feature, &xform) != 0 || xform == 0 ||
            HX_OBJ_ask_owning_part(link_feature, &owner) != 0)
            return -1;
        tag_t display = HX_PART_ask_display_part();
        std::vector<tag_t> candidates;
        if (owner == display)
            candidates.push_back(HX_ASSEM_ask_root_part_occ(display));
        else
            candidates = cvstv::occurrences_in_display(owner);
        for (tag_t candidate : candidates) {
            tag_t from = 0;
            if (HX_SO_ask_assy_ctxt_part_occ(xform, candidate, &from) == 0 && from != 0 &&
                from == occurrence) {
                *target = candidate;
                return 0;
            }
        }
        return -1;
    });
}

CVSTV_API int CV_get_target_occ(const tag_t *features, int count, tag_t occurrence, tag_t *targets,
                                int *found) noexcept
{
    return cvstv::guarded("CV_get_target_occ", -1, [&]() -> int {
        if (count < 0 || (count > 0 && (!features || !targets)) || !found)
            return -1;
        for (int i = 0; i < count; ++i) {
            cvstv::HostState saved(cvstv::HostState::work_part);
            tag_t part = feature_part(features[i]);
            if (part != 0)
                HX_ASSEM_set_work_part(part);
            if (int s = kt_ask_target_occ(features[i], occurrence, &targets[i]))
                return s;
        }
        *found = count;
        return 0;
    });
}

} // extern "C"
