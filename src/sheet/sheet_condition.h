// Internal C++ core of the condition language: value types, numbers in
// cells, comparisons, and the splitting of conditions. The exported sheet_*
// functions are thin wrappers over these; the record search uses them
// directly so that a condition is split and classified once per search, not
// once per record.
//
// Texts are string views over NUL-free text (cells and conditions are C
// strings); an absent text (a null pointer at the boundary) is represented
// by std::nullopt where it matters.
#ifndef CVSTV_SHEET_SHEET_CONDITION_H
#define CVSTV_SHEET_SHEET_CONDITION_H

#include "cvstvshare/sheet.h"

#include <array>
#include <string>
#include <string_view>

namespace cvstv::sheet {

// The text marking a condition value that accepts every record.
inline constexpr std::string_view all_records = "KT_ALL_RECORD";

// sheet_field_type of a non-null text.
int value_type(std::string_view text);
// sheet_str_double of a non-null text.
double number_value(std::string_view text);

// A text with its type, and its number when it is one; built once for a
// condition value that is compared with many cells.
struct Operand {
    std::string_view text;
    int type = SHEET_TYPE_INVALID;
    double number = 0.0;

    Operand() = default;
    explicit Operand(std::string_view t);
};

// sheet_value_compare of two non-null texts: true when "x op y" holds.
bool value_holds(const Operand &x, int op, const Operand &y);
// sheet_field_compare of a non-null cell and a non-null condition value
// (number lists and ranges in the cell widened).
bool field_holds(const char *cell, int op, const Operand &y);

// A single condition split into its parts (sheet_cond_split).
struct SingleCondition {
    int op = SHEET_OP_NONE;
    bool has_name = false;
    bool has_value = false;
    std::string name;  // leading blanks removed, at most 259 characters
    std::string value; // likewise
};
SingleCondition split_single(std::string_view condition);

// A compound condition split at '&' (sheet_split_condition): count slots of
// at most 99 characters each.
struct CompoundCondition {
    int count = 0;
    std::array<std::string, SHEET_MAX_CONDITIONS> parts;
};
CompoundCondition split_compound(std::string_view condition);

// Leading blanks (the space character only) removed.
inline std::string_view skip_blanks(std::string_view text)
{
    std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

} // namespace cvstv::sheet

#endif
