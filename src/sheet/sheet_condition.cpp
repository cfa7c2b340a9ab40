// Splitting conditions: a compound condition into its single conditions,
// and a single condition into name, operator and value.
//
// Callers build compound conditions with "%s==%s && %s==%s", and the blanks
// around "&&" end up in the parts: the first part keeps its trailing blank
// ("A==1 "), and the second '&' of "&&" becomes a blank at the start of the
// next part ("  B==2"). Splitting a single condition removes leading blanks
// from name and value but keeps trailing ones, so "A==1 " has the value
// "1 ", which still compares as the number 1 but not as the text "1". Code
// that builds conditions relies on exactly this, so it is kept as it is.
#include "sheet/sheet_condition.h"
#include "util/boundary.h"
#include "util/text_buffer.h"

#include <cstring>

namespace cvstv::sheet {

namespace {

constexpr std::size_t max_single = SHEET_SINGLE_CONDITION_SIZE - 1;
constexpr std::size_t max_compound = SHEET_COMPOUND_CONDITION_SIZE - 1;
constexpr std::size_t max_part = SHEET_CONDITION_SIZE - 1;

} // namespace

// The first of '<', '=' and '>' decides the operator; the name is the first
// token of the condition split at those characters, the value the second.
SingleCondition split_single(std::string_view condition)
{
    SingleCondition result;
    condition = condition.substr(0, max_single);
    std::size_t at = condition.find_first_of("<=>");
    if (at == std::string_view::npos)
        return result;
    char next = at + 1 < condition.size() ? condition[at + 1] : '\0';
    switch (condition[at]) {
    case '=': result.op = SHEET_OP_EQ; break;
    case '>': result.op = next == '=' ? SHEET_OP_GE : SHEET_OP_GT; break;
    default: result.op = next == '=' ? SHEET_OP_LE : SHEET_OP_LT; break;
    }

    constexpr std::string_view operators = "<=>";
    std::size_t pos = condition.find_first_not_of(operators);
    if (pos == std::string_view::npos)
        return result;
    std::size_t end = condition.find_first_of(operators, pos);
    if (end == std::string_view::npos)
        end = condition.size();
    result.has_name = true;
    result.name = skip_blanks(condition.substr(pos, end - pos));

    pos = condition.find_first_not_of(operators, end);
    if (pos == std::string_view::npos)
        return result;
    end = condition.find_first_of(operators, pos);
    if (end == std::string_view::npos)
        end = condition.size();
    result.has_value = true;
    result.value = skip_blanks(condition.substr(pos, end - pos));
    return result;
}

// A '&' ends the current part; the second '&' of a pair turns into a blank
// that opens the next part. The last character also ends the current part
// (unless it is a '&', which has just done so). Parts are cut at 99
// characters; text after the tenth part is ignored.
CompoundCondition split_compound(std::string_view condition)
{
    CompoundCondition result;
    std::string text(condition.substr(0, max_compound));
    const std::size_t length = text.size();
    int n = 0;
    for (std::size_t i = 0; i < length && n < SHEET_MAX_CONDITIONS; ++i) {
        if (text[i] == '&') {
            ++n;
            if (i + 1 < length && text[i + 1] == '&')
                text[i + 1] = ' ';
            continue;
        }
        std::string &part = result.parts[static_cast<std::size_t>(n)];
        if (part.size() < max_part)
            part.push_back(text[i]);
        if (i + 1 == length)
            ++n;
    }
    result.count = n;
    return result;
}

} // namespace cvstv::sheet

extern "C" {

CVSTV_API int sheet_cond_split(const char *condition, char *name, char *value) noexcept
{
    return cvstv::guarded("sheet_cond_split", SHEET_OP_NONE, [&]() -> int {
        if (!condition)
            return SHEET_OP_NONE;
        cvstv::sheet::SingleCondition split = cvstv::sheet::split_single(condition);
        if (split.op == SHEET_OP_NONE)
            return SHEET_OP_NONE;
        if (split.has_name && name)
            cvstv::copy_bounded(name, SHEET_SINGLE_CONDITION_SIZE, split.name);
        if (split.has_value && value)
            cvstv::copy_bounded(value, SHEET_SINGLE_CONDITION_SIZE, split.value);
        return split.op;
    });
}

// Every slot is written: the parts found, then empty texts.
CVSTV_API int sheet_split_condition(const char *condition,
                                    char conditions[SHEET_MAX_CONDITIONS][SHEET_CONDITION_SIZE]) noexcept
{
    return cvstv::guarded("sheet_split_condition", 0, [&]() -> int {
        if (!conditions)
            return 0;
        cvstv::sheet::CompoundCondition split;
        if (condition)
            split = cvstv::sheet::split_compound(condition);
        for (int i = 0; i < SHEET_MAX_CONDITIONS; ++i)
            cvstv::copy_bounded(conditions[i], SHEET_CONDITION_SIZE,
                                split.parts[static_cast<std::size_t>(i)]);
        return split.count;
    });
}

} // extern "C"
