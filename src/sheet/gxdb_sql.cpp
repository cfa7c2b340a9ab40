// SQL texts of the workbook database.
//
// The texts are those the workbook driver answers: table names in square
// brackets where the statement has always written them so, a list of
// assignments or columns ending in two blanks before WHERE or FROM, values
// as "%d", "%f" or a quoted text. Every piece (one column clause, one value)
// is at most 99 characters and every statement fits its buffer; what does
// not fit is refused, never cut.
#include "gxdb_sql.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace cvstv::gxdb {

namespace {

constexpr std::size_t piece_limit = piece_size - 1;

std::string_view bounded_view(const char *text, std::size_t capacity)
{
    return std::string_view(text, strnlen(text, capacity));
}

// Appends a piece when it fits its own limit.
bool add_piece(std::string &out, const std::string &piece)
{
    if (piece.size() > piece_limit)
        return false;
    out += piece;
    return true;
}

std::optional<std::string> fitting(std::string text, std::size_t capacity)
{
    if (text.size() >= capacity)
        return std::nullopt;
    return text;
}

std::string quoted(std::string_view text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

// "%f" as the C locale writes it, whatever the process's locale: a host
// running with a decimal comma must not turn 2.5 into "2,500000", which the
// statement would read as two values.
std::string real_text(double value)
{
    // The largest double has 309 digits before the point.
    char buffer[std::numeric_limits<double>::max_exponent10 + 1 + 1 + 1 + 6 + 1];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

bool valid_key(int count, int key)
{
    return key >= 1 && key <= count;
}

} // namespace

std::string_view field_name(const sGXDB_Field &field)
{
    return bounded_view(field.name, sizeof field.name);
}
std::string_view field_type(const sGXDB_Field &field)
{
    return bounded_view(field.type, sizeof field.type);
}
std::string_view value_string(const sGXDB_Field_Value &value)
{
    return bounded_view(value.value.s, sizeof value.value.s);
}

std::optional<std::string> value_literal(const sGXDB_Field_Value &value)
{
    std::string text;
    switch (value.type) {
    case GXDB_VALUE_INTEGER: text = std::to_string(value.value.i); break;
    case GXDB_VALUE_REAL:
        text = real_text(value.value.d);
        if (text.empty())
            return std::nullopt;
        break;
    case GXDB_VALUE_TEXT: text = quoted(value_string(value)); break;
    default: return std::nullopt;
    }
    if (text.size() > piece_limit)
        return std::nullopt;
    return text;
}

std::optional<std::string> key_test(const sGXDB_Field &field, const sGXDB_Field_Value &value)
{
    auto literal = value_literal(value);
    if (!literal)
        return std::nullopt;
    std::string test = std::string(field_name(field)) + "=" + *literal;
    if (test.size() > piece_limit)
        return std::nullopt;
    return test;
}

std::optional<std::string> create_table_sql(std::string_view table, int count, const sGXDB_Field *fields)
{
    if (count < 1 || !fields)
        return std::nullopt;
    std::string sql = "CREATE TABLE [" + std::string(table) + "] (";
    for (int i = 0; i < count; ++i) {
        const sGXDB_Field &f = fields[i];
        std::string piece = std::string(field_name(f)) + " " + std::string(field_type(f));
        if (f.has_size) {
            piece += '(';
            piece += std::to_string(f.size);
            piece += ')';
        }
        if (i > 0)
            sql += ",";
        if (!add_piece(sql, piece))
            return std::nullopt;
    }
    sql += ")";
    return fitting(std::move(sql), statement_size);
}

std::optional<std::string> drop_table_sql(std::string_view table)
{
    return fitting("DROP TABLE " + std::string(table), short_statement_size);
}

std::optional<std::string> insert_sql(std::string_view table, int count, const sGXDB_Field *fields,
                                      const sGXDB_Field_Value *values)
{
    if (count < 1 || !values)
        return std::nullopt;
    std::string sql = "INSERT INTO [" + std::string(table) + "] ";
    if (fields) {
        sql += "(";
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                sql += ", ";
            if (!add_piece(sql, std::string(field_name(fields[i]))))
                return std::nullopt;
        }
        sql += ") ";
    }
    sql += "VALUES(";
    for (int i = 0; i < count; ++i) {
        auto literal = value_literal(values[i]);
        if (!literal)
            return std::nullopt;
        if (i > 0)
            sql += ", ";
        sql += *literal;
    }
    sql += ") ";
    return fitting(std::move(sql), statement_size);
}

std::optional<std::string> insert_blank_sql(std::string_view table, int count)
{
    if (count < 1)
        return std::nullopt;
    std::string sql = "INSERT INTO [" + std::string(table) + "] VALUES (";
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            sql += ", ";
        sql += "''";
    }
    sql += ") ";
    return fitting(std::move(sql), statement_size);
}

std::optional<std::string> delete_all_sql(std::string_view table)
{
    return fitting("DELETE FROM " + std::string(table), short_statement_size);
}

std::optional<std::string> delete_record_sql(std::string_view table, int key, const sGXDB_Field *fields,
                                             const sGXDB_Field_Value *values)
{
    // The key is an index into arrays whose length is not passed; only its
    // lower bound can be checked.
    if (key < 1 || !fields || !values)
        return std::nullopt;
    const sGXDB_Field &f = fields[key - 1];
    auto literal = value_literal(values[key - 1]);
    if (!literal)
        return std::nullopt;
    std::string sql = "DELETE FROM " + std::string(table) + " WHERE ";
    if (!add_piece(sql, std::string(field_name(f)) + "=") || !add_piece(sql, *literal))
        return std::nullopt;
    return fitting(std::move(sql), statement_size);
}

namespace {

// The non-key fields joined by ", ", the last followed by two blanks.
template <typename Piece> bool add_field_list(std::string &sql, int count, int key, Piece piece)
{
    bool any = false;
    for (int i = 0; i < count; ++i) {
        if (i == key - 1)
            continue;
        if (any)
            sql += ", ";
        if (!piece(i))
            return false;
        any = true;
    }
    sql += "  ";
    return any;
}

} // namespace

std::optional<std::string> update_sql(std::string_view table, int count, int key, const sGXDB_Field *fields,
                                      const sGXDB_Field_Value *values)
{
    if (!fields || !values || !valid_key(count, key))
        return std::nullopt;
    std::string sql = "UPDATE " + std::string(table) + " SET ";
    bool ok = add_field_list(sql, count, key, [&](int i) {
        auto literal = value_literal(values[i]);
        return literal && add_piece(sql, std::string(field_name(fields[i])) + "=") &&
               add_piece(sql, *literal);
    });
    auto test = key_test(fields[key - 1], values[key - 1]);
    if (!ok || !test)
        return std::nullopt;
    sql += "WHERE " + *test;
    return fitting(std::move(sql), statement_size);
}

std::optional<std::string> select_record_sql(std::string_view table, int count, int key,
                                             const sGXDB_Field *fields, const sGXDB_Field_Value *values)
{
    if (!fields || !values || !valid_key(count, key))
        return std::nullopt;
    std::string sql = "SELECT ";
    bool ok = add_field_list(sql, count, key,
                             [&](int i) { return add_piece(sql, std::string(field_name(fields[i]))); });
    auto test = key_test(fields[key - 1], values[key - 1]);
    if (!ok || !test)
        return std::nullopt;
    sql += "FROM " + std::string(table) + " WHERE " + *test;
    return fitting(std::move(sql), statement_size);
}

std::optional<std::string> rename_table_sql(std::string_view old_name, std::string_view new_name)
{
    return fitting("ALTER TABLE [" + std::string(old_name) + "$] RENAME TO [" + std::string(new_name) + "$]",
                   statement_size);
}

std::optional<std::string> select_all_sql(std::string_view table)
{
    return fitting("SELECT * FROM `" + std::string(table) + "`", select_all_size);
}

std::optional<std::string> connection_string(std::string_view workbook)
{
    std::string path(workbook);
    return fitting(std::string("DRIVER={") + driver_name +
                       "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" + path + "\";DBQ=" + path,
                   connection_string_size);
}

} // namespace cvstv::gxdb
