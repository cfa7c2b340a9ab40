// Product parts of a mould project: the recorded product name, the parts
// below the product sub-assembly, the products under the layout, and the
// original product part, found, opened, or recorded afresh with the user's
// consent when the product body linked into the project comes from another
// product.
//
// The product name is kept as a part's display name ("KT_PROD_LIST" on the
// top part, "KT_PROD" on each product sub-assembly) and turned into a part
// file name by the host's tooling utilities. Attributes change only after
// the user agreed, and only on the parts found by their titles.
#include "cvstvshare/part_attributes.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/host_state.h"
#include "util/part_attributes_internal.h"
#include "util/part_query.h"
#include "util/path_util.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_files.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_model.h"
#include "hx_parts.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr const char *repair_title = "Set product part";
constexpr const char *repair_text = "The active product part is not recorded in the product part list, \n"
                                    "which will cause some Cavora modules working incorrectly.\n"
                                    "Would you like to insert it into the list?";

// kt_ask_prod_part_name into a string.
int product_name(std::string &name)
{
    std::string value;
    int s = cvstv::find_attr_part("KT_PROD_LIST", nullptr, &value);
    if (s != 0)
        s = cvstv::find_attr_part("KT_PROD", nullptr, &value);
    if (s != 0)
        return s;
    char file[HX_MAX_FSPEC_SIZE + 1] = "";
    s = HX_TOOL_file_name_of_display_name(value.c_str(), file);
    name = file;
    return s;
}

// kt_ask_prod_attr_part into strings.
int product_attr_part(const char *title, std::string *name, std::string *value)
{
    if (!title || HX_PART_ask_num_parts() <= 0)
        return -1;
    std::string product;
    if (product_name(product) != 0)
        return -1;
    tag_t subassembly = 0;
    for (tag_t part : cvstv::loaded_parts()) {
        std::string text;
        std::string full = cvstv::part_full_name(part);
        if (!full.empty() && cvstv::part_attribute_text(full.c_str(), "KT_PROD", text) == 0 &&
            text == product) {
            subassembly = part;
            break;
        }
    }
    if (subassembly == 0)
        return -1;
    auto below = cvstv::parts_below(subassembly);
    for (tag_t part : cvstv::loaded_parts()) {
        if (!cvstv::sorted_contains(below, part))
            continue;
        if (auto text = cvstv::string_attribute(part, title)) {
            if (name)
                *name = cvstv::part_full_name(part);
            if (value)
                *value = *text;
            return 0;
        }
    }
    return -1;
}

// The name of the product whose body is linked into the project: the
// source part of the first linked body of the "CV_MASTER" part, as a part
// file name. 0 with nullopt when that part links no body.
int kt_ask_linked_prod_name(std::optional<std::string> &linked)
{
    linked.reset();
    std::string name;
    if (int s = product_attr_part("CV_MASTER", &name, nullptr))
        return s;
    tag_t part = HX_PART_ask_part_tag(name.c_str());
    if (part == 0)
        return -1;
    int fully = 0;
    if (HX_PART_is_fully_loaded(part, &fully) == 0 && !fully)
        if (int s = HX_PART_load_fully(part))
            return s;
    tag_t feature = 0;
    while (HX_MODL_cycle_feats(part, &feature) == 0 && feature != 0) {
        char *type = nullptr;
        bool linked =
            HX_MODL_ask_feat_type(feature, &type) == 0 && type && std::strcmp(type, "LINKED_BODY") == 0;
        HX_free(type);
        if (linked)
            break;
    }
    if (feature == 0)
        return 0;
    tag_t source = 0;
    char source_part[HX_MAX_FSPEC_SIZE + 1] = "";
    if (int s = HX_ZOLT_ask_link_source(feature, &source, source_part))
        return s;
    std::string display = source_part;
    if (cvstv::pdm_active())
        if (auto slash = display.rfind('/'); slash != std::string::npos)
            display.resize(slash);
    char file[HX_MAX_FSPEC_SIZE + 1] = "";
    if (int s = HX_TOOL_file_name_of_display_name(display.c_str(), file))
        return s;
    linked = file;
    return 0;
}

// The information dialog of the product-part messages.
void inform(bool show, const std::string &text)
{
    if (!show)
        return;
    int response = 0;
    HX_message_dialog("Information", HX_DIALOG_INFORMATION, text.c_str(), "OK", nullptr, nullptr, &response);
}

// Asks whether to record the linked product; true for the first button.
bool user_records_linked_product()
{
    const char *lines[] = {repair_text};
    HX_UI_message_buttons buttons{{"Yes ", "No", nullptr}, {20, 21, 22}};
    int response = 0;
    if (HX_UI_message_dialog(repair_title, HX_UI_MESSAGE_QUESTION, lines, 1, &buttons, 1, &response) != 0)
        return false;
    return response == 20;
}

tag_t part_carrying(const char *title)
{
    std::string name;
    return cvstv::find_attr_part(title, &name, nullptr) == 0 ? HX_PART_ask_part_tag(name.c_str()) : 0;
}

bool file_exists(const std::string &path)
{
    int code = HX_FILE_MISSING;
    return HX_file_exists(path.c_str(), HX_FILE_TYPE_PART, &code) == 0 && code == HX_FILE_EXISTS;
}

// Opens a part quietly; 0 with the part, else the host's status.
int open_quietly(const std::string &name, tag_t &part)
{
    HX_PART_load_status_t status{};
    int s = HX_PART_open_quiet(name.c_str(), &part, &status);
    for (int i = 0; i < status.n_parts; ++i)
        HX_free(status.file_names[i]);
    HX_free(status.file_names);
    HX_free(status.statuses);
    return s;
}

} // namespace

extern "C" {

CVSTV_API int kt_ask_prod_part_name(char *name) noexcept
{
    return cvstv::guarded("kt_ask_prod_part_name", -1, [&]() -> int {
        if (!name)
            return -1;
        std::string product;
        int s = product_name(product);
        cvstv::copy_bounded(name, KT_NAME_BUFFER_SIZE, product);
        return s;
    });
}

CVSTV_API int kt_set_prod_name(const char *product_name_text) noexcept
{
    return cvstv::guarded("kt_set_prod_name", -1, [&]() -> int {
        if (!product_name_text)
            return -1;
        int wizard = CVSTWSHARE_get_wizard_type();
        if (wizard != 1 && wizard != 2)
            return -1;
        tag_t top = part_carrying(wizard == 1 ? "KT_TOP" : "STV_PROJECT");
        if (top == 0)
            return -1;
        cvstv::HostState saved(cvstv::HostState::work_part | cvstv::HostState::display);
        if (HX_ASSEM_set_work_part(top) != 0) {
            if (int s = HX_PART_set_display_part(top))
                return s;
            if (int s = HX_ASSEM_set_work_part(top))
                return s;
        }
        return kt_attr_assign(0, "KT_PROD_LIST", "%s", product_name_text);
    });
}

CVSTV_API int kt_ask_prod_attr_part(const char *title, char *part_name, char *value) noexcept
{
    return cvstv::guarded("kt_ask_prod_attr_part", -1, [&]() -> int {
        std::string name, text;
        if (product_attr_part(title, &name, &text) != 0)
            return -1;
        if (part_name)
            cvstv::copy_bounded(part_name, KT_NAME_BUFFER_SIZE, name);
        if (value)
            cvstv::copy_bounded(value, KT_ATTR_BUFFER_SIZE, text);
        return 0;
    });
}

CVSTV_API tag_t kt_set_prod_attr_part(const char *title) noexcept
{
    return cvstv::guarded("kt_set_prod_attr_part", tag_t{0}, [&]() -> tag_t {
        std::string name;
        if (product_attr_part(title, &name, nullptr) != 0)
            return 0;
        return cvstv::make_work_part_by_name(name);
    });
}

CVSTV_API int kt_ask_prod_part_list(char ***list) noexcept
{
    return cvstv::guarded("kt_ask_prod_part_list", 0, [&]() -> int {
        if (!list)
            return 0;
        *list = nullptr;
        tag_t layout = part_carrying("KT_LAYOUT");
        if (layout == 0)
            return 0;
        std::vector<std::string> products;
        for (tag_t child : cvstv::child_occurrences(HX_ASSEM_ask_root_part_occ(layout))) {
            tag_t part = HX_ASSEM_ask_prototype_of_occ(child);
            auto value = part ? cvstv::string_attribute(part, "KT_PROD") : std::nullopt;
            if (value && !value->empty() &&
                std::find(products.begin(), products.end(), *value) == products.end())
                products.push_back(*value);
        }
        int count = cvstv::append_str_list(list, products);
        return count < 0 ? 0 : count;
    });
}

CVSTV_API int kt_ask_prod_part_tag(bool show_messages, tag_t *product_part, tag_t *reserved) noexcept
{
    return cvstv::guarded("kt_ask_prod_part_tag", -1, [&]() -> int {
        if (reserved)
            *reserved = 0;
        if (!product_part)
            return -1;
        *product_part = 0;
        std::string name;
        if (int s = product_name(name))
            return s;

        std::optional<std::string> linked;
        if (kt_ask_linked_prod_name(linked) == 0 && linked && *linked != name) {
            if (!user_records_linked_product())
                return -1;
            if (tag_t top = part_carrying("KT_TOP")) {
                kt_attr_assign(top, "KT_PROD_LIST", "%s", linked->c_str());
                kt_attr_assign(top, "KT_PROJECT", "%s", linked->c_str());
            }
            if (tag_t product = part_carrying("KT_PROD"))
                kt_attr_assign(product, "KT_PROD", "%s", linked->c_str());
            name = *linked;
        }

        if (tag_t loaded = HX_PART_ask_part_tag(name.c_str())) {
            *product_part = loaded;
            return 0;
        }
        if (cvstv::pdm_active()) {
            char encoded[KT_NAME_BUFFER_SIZE] = "";
            tag_t opened = 0;
            if (kt_encode_part_file_name(name.c_str(), encoded) != 0 || open_quietly(encoded, opened) != 0) {
                inform(show_messages,
                       cvstv::format(HX_TEXT("Cannot open the original product %s."), name.c_str()));
                return 1;
            }
            *product_part = opened;
            return 0;
        }
        std::string file;
        char directory[KT_NAME_BUFFER_SIZE] = "";
        if (kt_ask_project_path(directory, nullptr) == 0) {
            char joined[KT_NAME_BUFFER_SIZE] = "";
            std::string leaf = name + ".prt";
            if (kt_combine_path(directory, leaf.c_str(), joined) == 0)
                file = joined;
        }
        if (file.empty() || !file_exists(file)) {
            std::string original;
            file.clear();
            if (cvstv::find_attr_part("ORG_PART_NAME", nullptr, &original) == 0 && file_exists(original))
                file = original;
        }
        if (file.empty()) {
            inform(show_messages, HX_TEXT("Open the original product manually"));
            return 3;
        }
        tag_t opened = 0;
        if (open_quietly(file, opened) != 0) {
            inform(show_messages,
                   cvstv::format(HX_TEXT("Cannot open the original product %s ."), file.c_str()));
            return 1;
        }
        *product_part = opened;
        return 0;
    });
}

} // extern "C"
