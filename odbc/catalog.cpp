// The catalog calls over one workbook: SQLTables (the sheets) and
// SQLColumns (each sheet's columns as its table view names and types them).
#include "odbc/database.h"

#include <algorithm>
#include <cctype>

namespace xlsodbc {

using workbook::Cell;
using workbook::Sheet;

namespace {

bool iless(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

std::string table_name(const Sheet &s)
{
    return s.name + "$";
}

Cell text_or_null(const std::string &s)
{
    return s.empty() ? Cell{} : Cell::make_text(s);
}

ColumnInfo catalog_column(const char *name, SQLSMALLINT type = SQL_VARCHAR,
                          SQLSMALLINT nullable = SQL_NULLABLE)
{
    ColumnInfo c;
    c.name = name;
    c.sql_type = type;
    c.nullable = nullable;
    if (type == SQL_SMALLINT) {
        c.type_name = "SMALLINT";
        c.size = 5;
    } else if (type == SQL_INTEGER) {
        c.type_name = "INTEGER";
        c.size = 10;
    } else {
        c.size = 255;
    }
    return c;
}

} // namespace

bool matches_pattern(const std::string &text, const std::string &pattern)
{
    // Iterative wildcard match with backtracking on the last '%'.
    std::size_t t = 0, p = 0, star_p = std::string::npos, star_t = 0;
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '%') {
            star_p = ++p;
            star_t = t;
            continue;
        }
        if (p < pattern.size()) {
            if (pattern[p] == '_') {
                ++p;
                ++t;
                continue;
            }
            std::size_t lit = p;
            if (pattern[p] == '\\' && p + 1 < pattern.size())
                lit = p + 1;
            if (lower(pattern[lit]) == lower(text[t])) {
                p = lit + 1;
                ++t;
                continue;
            }
        }
        if (star_p == std::string::npos)
            return false;
        p = star_p;
        t = ++star_t;
    }
    while (p < pattern.size() && pattern[p] == '%')
        ++p;
    return p == pattern.size();
}

ResultSet Database::tables(const std::string &catalog, const std::string &schema,
                           const std::string &table_pattern, const std::string &types, bool odbc2_names)
{
    refresh();
    ResultSet rs;
    rs.columns = {catalog_column(odbc2_names ? "TABLE_QUALIFIER" : "TABLE_CAT"),
                  catalog_column(odbc2_names ? "TABLE_OWNER" : "TABLE_SCHEM"), catalog_column("TABLE_NAME"),
                  catalog_column("TABLE_TYPE"), catalog_column("REMARKS")};
    if (catalog == "%" && schema.empty() && table_pattern.empty()) {
        rs.owned.push_back({text_or_null(options_.catalog), Cell{}, Cell{}, Cell{}, Cell{}});
        return rs;
    }
    if (schema == "%" && catalog.empty() && table_pattern.empty())
        return rs; // no schemas
    if (types == "%" && catalog.empty() && schema.empty() && table_pattern.empty()) {
        rs.owned.push_back({Cell{}, Cell{}, Cell{}, Cell::make_text("TABLE"), Cell{}});
        return rs;
    }
    if (!types.empty()) {
        bool wanted = false;
        std::size_t i = 0;
        while (i <= types.size()) {
            std::size_t comma = types.find(',', i);
            if (comma == std::string::npos)
                comma = types.size();
            std::string t = types.substr(i, comma - i);
            t.erase(0, t.find_first_not_of(" '"));
            t.erase(t.find_last_not_of(" '") + 1);
            wanted = wanted || iequal(t, "TABLE");
            i = comma + 1;
        }
        if (!wanted)
            return rs;
    }
    std::vector<const Sheet *> sheets;
    for (const auto &s : book_->sheets)
        if (table_pattern.empty() || matches_pattern(table_name(s), table_pattern))
            sheets.push_back(&s);
    std::stable_sort(sheets.begin(), sheets.end(),
                     [](const Sheet *a, const Sheet *b) { return iless(a->name, b->name); });
    for (const Sheet *s : sheets)
        rs.owned.push_back({text_or_null(options_.catalog), Cell{}, Cell::make_text(table_name(*s)),
                            Cell::make_text("TABLE"), Cell{}});
    return rs;
}

ResultSet Database::columns(const std::string &table_pattern, const std::string &column_pattern,
                            bool odbc2_names)
{
    refresh();
    ResultSet rs;
    rs.columns = {catalog_column(odbc2_names ? "TABLE_QUALIFIER" : "TABLE_CAT"),
                  catalog_column(odbc2_names ? "TABLE_OWNER" : "TABLE_SCHEM"),
                  catalog_column("TABLE_NAME", SQL_VARCHAR, SQL_NO_NULLS),
                  catalog_column("COLUMN_NAME", SQL_VARCHAR, SQL_NO_NULLS),
                  catalog_column("DATA_TYPE", SQL_SMALLINT, SQL_NO_NULLS),
                  catalog_column("TYPE_NAME", SQL_VARCHAR, SQL_NO_NULLS),
                  catalog_column(odbc2_names ? "PRECISION" : "COLUMN_SIZE", SQL_INTEGER),
                  catalog_column(odbc2_names ? "LENGTH" : "BUFFER_LENGTH", SQL_INTEGER),
                  catalog_column(odbc2_names ? "SCALE" : "DECIMAL_DIGITS", SQL_SMALLINT),
                  catalog_column(odbc2_names ? "RADIX" : "NUM_PREC_RADIX", SQL_SMALLINT),
                  catalog_column("NULLABLE", SQL_SMALLINT, SQL_NO_NULLS),
                  catalog_column("REMARKS"),
                  catalog_column("COLUMN_DEF"),
                  catalog_column("SQL_DATA_TYPE", SQL_SMALLINT, SQL_NO_NULLS),
                  catalog_column("SQL_DATETIME_SUB", SQL_SMALLINT),
                  catalog_column("CHAR_OCTET_LENGTH", SQL_INTEGER),
                  catalog_column("ORDINAL_POSITION", SQL_INTEGER, SQL_NO_NULLS),
                  catalog_column("IS_NULLABLE")};
    // A pattern without '$' also finds the sheet of that name ("Parts" finds
    // "Parts$"), as callers often name a table by its sheet.
    const bool bare = table_pattern.find('$') == std::string::npos;
    std::vector<const Sheet *> sheets;
    for (const auto &s : book_->sheets)
        if (table_pattern.empty() || matches_pattern(table_name(s), table_pattern) ||
            (bare && matches_pattern(s.name, table_pattern)))
            sheets.push_back(&s);
    std::stable_sort(sheets.begin(), sheets.end(),
                     [](const Sheet *a, const Sheet *b) { return iless(a->name, b->name); });
    for (const Sheet *s : sheets) {
        const TableView view = view_of(*s);
        for (std::size_t c = 0; c < view.names().size(); ++c) {
            if (!column_pattern.empty() && !matches_pattern(view.names()[c], column_pattern))
                continue;
            const ColumnInfo info = view.column_info(c, table_name(*s));
            const bool number = info.sql_type == SQL_DOUBLE || info.sql_type == SQL_BIT;
            const bool text = info.sql_type == SQL_VARCHAR;
            rs.owned.push_back(
                {text_or_null(options_.catalog), Cell{}, Cell::make_text(table_name(*s)),
                 Cell::make_text(info.name), Cell::make_integer(info.sql_type),
                 Cell::make_text(info.type_name), Cell::make_integer(static_cast<std::int64_t>(info.size)),
                 Cell::make_integer(info.octet_length()), info.is_datetime() ? Cell::make_integer(0) : Cell{},
                 number ? Cell::make_integer(10) : Cell{}, Cell::make_integer(SQL_NULLABLE), Cell{}, Cell{},
                 Cell::make_integer(info.verbose_type()),
                 info.is_datetime() ? Cell::make_integer(info.datetime_subcode()) : Cell{},
                 text ? Cell::make_integer(static_cast<std::int64_t>(info.size) * 4) : Cell{},
                 Cell::make_integer(static_cast<std::int64_t>(c + 1)), Cell::make_text("YES")});
        }
    }
    return rs;
}

} // namespace xlsodbc
