// Internal helpers of the attribute, product-part and assembly functions
// (part_query.h).
#include "util/part_query.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_attr.h"
#include "hx_files.h"
#include "hx_memory.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <algorithm>
#include <cstring>

namespace cvstv {

namespace {

// Copies a host tag array into a vector and frees it.
std::vector<tag_t> take_tags(tag_t *array, int count)
{
    std::vector<tag_t> out;
    if (array && count > 0)
        out.assign(array, array + count);
    HX_free(array);
    return out;
}

} // namespace

std::vector<tag_t> loaded_parts()
{
    std::vector<tag_t> out;
    int n = HX_PART_ask_num_parts();
    for (int i = 0; i < n; ++i)
        if (tag_t part = HX_PART_ask_nth_part(i))
            out.push_back(part);
    return out;
}

std::string part_full_name(tag_t part)
{
    char name[HX_MAX_FSPEC_SIZE + 1] = "";
    if (HX_PART_ask_part_name(part, name) != 0)
        return {};
    return name;
}

tag_t part_of(tag_t tag)
{
    if (tag == 0)
        return 0;
    if (HX_ASSEM_is_occurrence(tag))
        tag = HX_ASSEM_ask_prototype_of_occ(tag);
    int type = 0, subtype = 0;
    if (tag == 0 || HX_OBJ_ask_type_and_subtype(tag, &type, &subtype) != 0 || type != HX_TYPE_PART)
        return 0;
    return tag;
}

tag_t prototype_or_self(tag_t tag)
{
    return tag != 0 && HX_ASSEM_is_occurrence(tag) ? HX_ASSEM_ask_prototype_of_occ(tag) : tag;
}

std::optional<std::string> string_attribute(tag_t object, const char *title)
{
    HX_ATTR_value_t value{};
    if (HX_ATTR_read_value(object, title, HX_ATTR_STRING, &value) != 0 || value.type != HX_ATTR_STRING) {
        if (value.type == HX_ATTR_STRING)
            HX_free(value.value.string);
        return std::nullopt;
    }
    std::string text = value.value.string ? value.value.string : "";
    HX_free(value.value.string);
    return text;
}

std::vector<tag_t> child_occurrences(tag_t occurrence)
{
    int count = 0;
    tag_t *children = nullptr;
    if (HX_ASSEM_ask_part_occ_children(occurrence, &count, &children) != 0)
        return {};
    return take_tags(children, count);
}

std::vector<tag_t> occurrence_tree(tag_t start, std::size_t limit)
{
    std::vector<tag_t> out;
    if (start == 0)
        return out;
    std::vector<tag_t> stack{start};
    while (!stack.empty() && out.size() < limit) {
        tag_t occ = stack.back();
        stack.pop_back();
        out.push_back(occ);
        auto children = child_occurrences(occ);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return out;
}

std::vector<tag_t> parts_below(tag_t part)
{
    std::vector<tag_t> below;
    auto tree = occurrence_tree(HX_ASSEM_ask_root_part_occ(part));
    for (std::size_t i = 1; i < tree.size(); ++i)
        if (tag_t p = HX_ASSEM_ask_prototype_of_occ(tree[i]))
            below.push_back(p);
    std::sort(below.begin(), below.end());
    below.erase(std::unique(below.begin(), below.end()), below.end());
    return below;
}

bool sorted_contains(const std::vector<tag_t> &sorted, tag_t tag)
{
    return std::binary_search(sorted.begin(), sorted.end(), tag);
}

std::vector<tag_t> occurrences_in_display(tag_t part)
{
    int count = 0;
    tag_t *occs = nullptr;
    if (HX_ASSEM_ask_occs_of_part(HX_PART_ask_display_part(), part, &count, &occs) != 0)
        return {};
    return take_tags(occs, count);
}

bool hand_out(const std::vector<tag_t> &tags, tag_t **array)
{
    *array = nullptr;
    if (tags.empty())
        return true;
    auto *out = static_cast<tag_t *>(HX_allocate_memory(tags.size() * sizeof(tag_t), nullptr));
    if (!out)
        return false;
    std::copy(tags.begin(), tags.end(), out);
    *array = out;
    return true;
}

bool pdm_active()
{
    int active = 0;
    return HX_is_krmanager_active(&active) == 0 && active != 0;
}

std::string bare_part_name(const std::string &spec)
{
    char directory[257] = "", name[257] = "", bare[257] = "";
    if (HX_file_split_spec(spec.c_str(), directory, name) != 0 ||
        HX_file_remove_type(name, HX_FILE_CODE_PART, bare) != 0)
        return {};
    return bare;
}

std::string spec_directory(const std::string &spec)
{
    char directory[257] = "", name[257] = "";
    if (HX_file_split_spec(spec.c_str(), directory, name) != 0)
        return {};
    return directory;
}

} // namespace cvstv
