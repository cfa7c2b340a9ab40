// Statements and catalog calls over one workbook. See database.h for the
// state it keeps; this file holds the table model (header row, generated
// column names F1, F2, ..., column types guessed from the data) and one
// function per statement. Every statement validates everything it needs
// before it changes anything, so a refused statement leaves the book as it was.
#include "odbc/database.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace xlsodbc {

using workbook::Cell;
using workbook::CellType;
using workbook::Sheet;
using workbook::Workbook;

namespace {

bool iequal(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool iless(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// A sheet seen as a table.
struct TableView {
    std::size_t header_rows = 0;
    std::vector<std::string> names;

    std::size_t find(const std::string &column) const
    {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (iequal(names[i], column))
                return i;
        throw SqlError("42S22", "Column not found: '" + column + "'");
    }
};

TableView view_of(const Sheet &sheet, bool first_row_has_names)
{
    TableView v;
    v.header_rows = first_row_has_names && !sheet.rows.empty() ? 1 : 0;
    const std::size_t n = sheet.column_count();
    v.names.resize(n);
    for (std::size_t c = 0; c < n; ++c) {
        const Cell *h = first_row_has_names ? sheet.cell(0, c) : nullptr;
        v.names[c] = h && !h->empty() ? h->as_text() : "F" + std::to_string(c + 1);
    }
    return v;
}

// How many records decide a column's type.
constexpr std::size_t type_scan_rows = 64;

// A column is numeric when every non-empty cell among its first records is a
// number; the type only describes the column (SQLGetData converts any cell).
ColumnInfo column_info(const Sheet &sheet, const TableView &view, std::size_t column, const std::string &table)
{
    ColumnInfo info;
    info.name = view.names[column];
    info.table = table;
    bool any = false, numeric = true;
    const std::size_t end = std::min(sheet.rows.size(), view.header_rows + type_scan_rows);
    for (std::size_t r = view.header_rows; r < end && numeric; ++r) {
        const Cell *c = sheet.cell(r, column);
        if (!c || c->type == CellType::empty)
            continue;
        any = true;
        numeric = c->type == CellType::integer || c->type == CellType::real;
    }
    if (any && numeric) {
        info.sql_type = SQL_DOUBLE;
        info.type_name = "NUMBER";
        info.size = 15;
    }
    return info;
}

double number_of(const Cell &c)
{
    return c.type == CellType::integer ? static_cast<double>(c.integer) : c.real;
}

// col = value: numbers compare by value (a text cell holding a number
// counts), texts compare ignoring ASCII case; NULL equals nothing.
bool equals(const Cell *cell, const Cell &value)
{
    if (!cell || cell->type == CellType::empty || value.type == CellType::empty)
        return false;
    const bool cell_number = cell->type == CellType::integer || cell->type == CellType::real;
    const bool value_number = value.type == CellType::integer || value.type == CellType::real;
    if (cell_number && value_number) {
        if (cell->type == CellType::integer && value.type == CellType::integer)
            return cell->integer == value.integer;
        return number_of(*cell) == number_of(value);
    }
    if (cell_number || value_number) {
        const Cell &number = cell_number ? *cell : value;
        const Cell &text = cell_number ? value : *cell;
        auto parsed = workbook::read_number(text.text);
        return parsed && *parsed == number_of(number);
    }
    return iequal(cell->text, value.text);
}

struct ResolvedCondition {
    std::size_t column;
    const Cell *value;
};

std::vector<ResolvedCondition> resolve(const TableView &view, const std::vector<Condition> &where)
{
    std::vector<ResolvedCondition> out;
    for (const auto &c : where)
        out.push_back({view.find(c.column), &c.value});
    return out;
}

bool row_matches(const Sheet &sheet, std::size_t row, const std::vector<ResolvedCondition> &conds)
{
    for (const auto &c : conds)
        if (!equals(sheet.cell(row, c.column), *c.value))
            return false;
    return true;
}

std::string table_name(const Sheet &s)
{
    return s.name + "$";
}

Cell text_or_null(const std::string &s)
{
    return s.empty() ? Cell{} : Cell::make_text(s);
}

ColumnInfo catalog_column(const char *name, SQLSMALLINT type = SQL_VARCHAR, SQLSMALLINT nullable = SQL_NULLABLE)
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

Database::Database(DatabaseOptions options, bool create) : options_(std::move(options))
{
    struct stat st {};
    if (create && ::stat(options_.path.c_str(), &st) != 0) {
        workbook::Status s = workbook::write_workbook(options_.path, Workbook{});
        if (!s)
            throw SqlError("08001", "Cannot create the workbook: " + s.error);
    }
    try {
        load();
    } catch (const SqlError &e) {
        throw SqlError("08001", e.what());
    }
}

void Database::load()
{
    struct stat st {};
    if (::stat(options_.path.c_str(), &st) != 0)
        throw SqlError("HY000", "Cannot open the workbook '" + options_.path + "': file not found");
    auto book = std::make_shared<Workbook>();
    workbook::Status s = workbook::read_workbook(options_.path, *book);
    if (!s)
        throw SqlError("HY000", "Cannot read the workbook: " + s.error);
    book_ = std::move(book);
    identity_ = {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    stale_ = false;
}

void Database::refresh()
{
    if (stale_) {
        load();
        return;
    }
    struct stat st {};
    if (::stat(options_.path.c_str(), &st) != 0)
        throw SqlError("HY000", "The workbook '" + options_.path + "' is no longer there");
    FileIdentity now{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    if (!(now == identity_))
        load();
}

Workbook &Database::writable()
{
    if (book_.use_count() > 1)
        book_ = std::make_shared<Workbook>(*book_);
    return *book_;
}

void Database::commit()
{
    if (book_->sheets.empty())
        book_->sheets.push_back(Sheet{"Sheet1", {}}); // what the file will hold
    workbook::Status s = workbook::write_workbook(options_.path, *book_);
    if (!s) {
        stale_ = true; // memory is ahead of the file: re-read before the next use
        throw SqlError("HY000", "Cannot write the workbook: " + s.error);
    }
    struct stat st {};
    if (::stat(options_.path.c_str(), &st) == 0)
        identity_ = {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    else
        stale_ = true;
}

void Database::refuse_if_read_only(const char *what) const
{
    if (options_.read_only)
        throw SqlError("HY000", std::string("The workbook is opened read-only (READONLY=TRUE): ") + what +
                                    " is not allowed");
}

Sheet &Database::sheet_for(Workbook &book, const std::string &table)
{
    for (auto &s : book.sheets)
        if (iequal(s.name, table))
            return s;
    throw SqlError("42S02", "Table not found: '" + table + "$'");
}

Outcome Database::execute(const std::string &sql)
{
    SqlStatement st = parse_sql(sql);
    static const char *const what[] = {"CREATE TABLE", "DROP TABLE", "ALTER TABLE", "INSERT",
                                       "DELETE",       "UPDATE",     "SELECT"};
    if (!std::holds_alternative<Select>(st))
        refuse_if_read_only(what[st.index()]);
    refresh();
    return std::visit([this](const auto &s) { return run(s); }, st);
}

Outcome Database::run(const CreateTable &s)
{
    for (const auto &sheet : book_->sheets)
        if (iequal(sheet.name, s.table))
            throw SqlError("42S01", "Table already exists: '" + s.table + "$'");
    std::vector<Cell> header;
    for (const auto &col : s.columns) {
        for (const auto &h : header)
            if (!col.name.empty() && iequal(h.text, col.name))
                throw SqlError("42S21", "Column already exists: '" + col.name + "'");
        header.push_back(Cell::make_text(col.name));
    }
    Workbook &book = writable();
    book.sheets.push_back(Sheet{s.table, {}});
    if (options_.first_row_has_names)
        book.sheets.back().rows.push_back(std::move(header));
    commit();
    return {std::nullopt, 0};
}

Outcome Database::run(const DropTable &s)
{
    Workbook &book = writable();
    Sheet &sheet = sheet_for(book, s.table);
    book.sheets.erase(book.sheets.begin() + (&sheet - book.sheets.data()));
    commit();
    return {std::nullopt, 0};
}

Outcome Database::run(const RenameTable &s)
{
    Workbook &book = writable();
    Sheet &sheet = sheet_for(book, s.from);
    for (const auto &other : book.sheets)
        if (&other != &sheet && iequal(other.name, s.to))
            throw SqlError("42S01", "Table already exists: '" + s.to + "$'");
    sheet.name = s.to;
    commit();
    return {std::nullopt, 0};
}

Outcome Database::run(const Insert &s)
{
    Sheet &probe = sheet_for(*book_, s.table);
    const TableView view = view_of(probe, options_.first_row_has_names);
    std::vector<std::size_t> targets;
    if (s.columns.empty()) {
        if (s.values.size() != view.names.size())
            throw SqlError("21S01", "Insert value list does not match the table: " + std::to_string(s.values.size()) +
                                        " values for " + std::to_string(view.names.size()) + " columns");
        for (std::size_t i = 0; i < s.values.size(); ++i)
            targets.push_back(i);
    } else {
        if (s.values.size() != s.columns.size())
            throw SqlError("21S01", "Insert value list does not match the column list: " +
                                        std::to_string(s.values.size()) + " values for " +
                                        std::to_string(s.columns.size()) + " columns");
        for (const auto &c : s.columns)
            targets.push_back(view.find(c));
    }
    std::vector<Cell> row(view.names.size());
    for (std::size_t i = 0; i < targets.size(); ++i)
        row[targets[i]] = s.values[i];
    sheet_for(writable(), s.table).rows.push_back(std::move(row));
    commit();
    return {std::nullopt, 1};
}

Outcome Database::run(const Delete &s)
{
    const Sheet &probe = sheet_for(*book_, s.table);
    const TableView view = view_of(probe, options_.first_row_has_names);
    const auto conds = resolve(view, s.where);
    std::vector<bool> doomed(probe.rows.size(), false);
    SQLLEN count = 0;
    for (std::size_t r = view.header_rows; r < probe.rows.size(); ++r)
        if (row_matches(probe, r, conds)) {
            doomed[r] = true;
            ++count;
        }
    if (count == 0)
        return {std::nullopt, 0, true};
    Sheet &sheet = sheet_for(writable(), s.table);
    std::size_t out = 0;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        if (doomed[r])
            continue;
        if (out != r) // a vector moved onto itself would empty
            sheet.rows[out] = std::move(sheet.rows[r]);
        ++out;
    }
    sheet.rows.resize(out);
    commit();
    return {std::nullopt, count, true};
}

Outcome Database::run(const Update &s)
{
    const Sheet &probe = sheet_for(*book_, s.table);
    const TableView view = view_of(probe, options_.first_row_has_names);
    const auto conds = resolve(view, s.where);
    std::vector<std::pair<std::size_t, const Cell *>> sets;
    for (const auto &[column, value] : s.assignments)
        sets.emplace_back(view.find(column), &value);
    std::vector<std::size_t> hits;
    for (std::size_t r = view.header_rows; r < probe.rows.size(); ++r)
        if (row_matches(probe, r, conds))
            hits.push_back(r);
    if (hits.empty())
        return {std::nullopt, 0, true};
    Sheet &sheet = sheet_for(writable(), s.table);
    for (std::size_t r : hits)
        for (const auto &[column, value] : sets) {
            if (sheet.rows[r].size() <= column)
                sheet.rows[r].resize(column + 1);
            sheet.rows[r][column] = *value;
        }
    commit();
    return {std::nullopt, static_cast<SQLLEN>(hits.size()), true};
}

Outcome Database::run(const Select &s)
{
    const Sheet &sheet = sheet_for(*book_, s.table);
    const TableView view = view_of(sheet, options_.first_row_has_names);
    ResultSet rs;
    if (s.columns.empty()) {
        for (std::size_t c = 0; c < view.names.size(); ++c)
            rs.source_columns.push_back(c);
    } else {
        for (const auto &name : s.columns)
            rs.source_columns.push_back(view.find(name));
    }
    const auto conds = resolve(view, s.where);
    for (std::size_t c : rs.source_columns)
        rs.columns.push_back(column_info(sheet, view, c, table_name(sheet)));
    rs.rows.reserve(sheet.rows.size() - view.header_rows);
    for (std::size_t r = view.header_rows; r < sheet.rows.size(); ++r)
        if (conds.empty() || row_matches(sheet, r, conds))
            rs.rows.push_back(static_cast<std::uint32_t>(r));
    rs.snapshot = book_;
    rs.sheet = &sheet;
    Outcome out;
    out.rows_affected = static_cast<SQLLEN>(rs.rows.size());
    out.result = std::move(rs);
    return out;
}

ResultSet Database::tables(const std::string &catalog, const std::string &schema, const std::string &table_pattern,
                           const std::string &types, bool odbc2_names)
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
    std::stable_sort(sheets.begin(), sheets.end(), [](const Sheet *a, const Sheet *b) { return iless(a->name, b->name); });
    for (const Sheet *s : sheets)
        rs.owned.push_back({text_or_null(options_.catalog), Cell{}, Cell::make_text(table_name(*s)),
                            Cell::make_text("TABLE"), Cell{}});
    return rs;
}

ResultSet Database::columns(const std::string &table_pattern, const std::string &column_pattern, bool odbc2_names)
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
    std::stable_sort(sheets.begin(), sheets.end(), [](const Sheet *a, const Sheet *b) { return iless(a->name, b->name); });
    for (const Sheet *s : sheets) {
        const TableView view = view_of(*s, options_.first_row_has_names);
        for (std::size_t c = 0; c < view.names.size(); ++c) {
            if (!column_pattern.empty() && !matches_pattern(view.names[c], column_pattern))
                continue;
            const ColumnInfo info = column_info(*s, view, c, table_name(*s));
            const bool number = info.sql_type == SQL_DOUBLE;
            rs.owned.push_back({text_or_null(options_.catalog),
                                Cell{},
                                Cell::make_text(table_name(*s)),
                                Cell::make_text(info.name),
                                Cell::make_integer(info.sql_type),
                                Cell::make_text(info.type_name),
                                Cell::make_integer(static_cast<std::int64_t>(info.size)),
                                Cell::make_integer(number ? 8 : static_cast<std::int64_t>(info.size)),
                                Cell{},
                                number ? Cell::make_integer(10) : Cell{},
                                Cell::make_integer(SQL_NULLABLE),
                                Cell{},
                                Cell{},
                                Cell::make_integer(info.sql_type),
                                Cell{},
                                number ? Cell{} : Cell::make_integer(static_cast<std::int64_t>(info.size)),
                                Cell::make_integer(static_cast<std::int64_t>(c + 1)),
                                Cell::make_text("YES")});
        }
    }
    return rs;
}

} // namespace xlsodbc
