// Statements over one workbook, and the change cycle around them (see
// database.h for the state it keeps): one function per statement, each
// checking everything before it changes anything.
#include "odbc/database.h"

#include "odbc/evaluate.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace xlsodbc {

using workbook::Cell;
using workbook::CellType;
using workbook::Sheet;
using workbook::Workbook;

namespace {

std::string table_name(const Sheet &s)
{
    return s.name + "$";
}

const char *statement_name(const SqlStatement &st)
{
    static const char *const names[] = {"CREATE TABLE", "DROP TABLE", "ALTER TABLE", "INSERT",
                                        "DELETE",       "UPDATE",     "SELECT"};
    return names[st.index()];
}

void check_value(const Value &v)
{
    if (v.type == CellType::text && v.text.size() > 32767 && workbook::utf8_to_utf16(v.text).size() > 32767)
        throw SqlError("22001", "String data, right truncated: a cell holds at most 32,767 characters");
}

// The value a statement stores: a number that is whole and small enough as
// an integer, anything else as it is.
Cell stored(const Value &v)
{
    check_value(v);
    Cell c = v;
    c.xf = workbook::no_xf;
    return c;
}

ColumnInfo aggregate_column(const SelectItem &item, const ColumnInfo &source)
{
    static const char *const names[] = {"", "COUNT", "COUNT", "MIN", "MAX", "SUM", "AVG"};
    ColumnInfo info;
    info.name = !item.alias.empty() ? item.alias
                : item.kind == SelectItem::Kind::count_star
                    ? "COUNT(*)"
                    : std::string(names[static_cast<int>(item.kind)]) + "(" + item.column + ")";
    switch (item.kind) {
    case SelectItem::Kind::count_star:
    case SelectItem::Kind::count:
        info.sql_type = SQL_INTEGER;
        info.type_name = "INTEGER";
        info.size = 10;
        info.nullable = SQL_NO_NULLS;
        break;
    case SelectItem::Kind::sum:
    case SelectItem::Kind::avg:
        info.sql_type = SQL_DOUBLE;
        info.type_name = "NUMBER";
        info.size = 15;
        break;
    default:
        info.sql_type = source.sql_type;
        info.type_name = source.type_name;
        info.size = source.size;
        break;
    }
    return info;
}

// COUNT, MIN, MAX, SUM or AVG over the values of a column.
Cell aggregate(const SelectItem &item, const std::vector<const Cell *> &values, std::size_t rows)
{
    if (item.kind == SelectItem::Kind::count_star)
        return Cell::make_integer(static_cast<std::int64_t>(rows));
    std::size_t count = 0;
    const Cell *best = nullptr;
    double sum = 0;
    for (const Cell *c : values) {
        if (!c || c->empty())
            continue;
        ++count;
        switch (item.kind) {
        case SelectItem::Kind::min:
            if (!best || order_values(*c, *best) < 0)
                best = c;
            break;
        case SelectItem::Kind::max:
            if (!best || order_values(*c, *best) > 0)
                best = c;
            break;
        case SelectItem::Kind::sum:
        case SelectItem::Kind::avg: {
            std::optional<double> v;
            if (c->type == CellType::integer || c->type == CellType::boolean)
                v = static_cast<double>(c->integer);
            else if (c->type == CellType::real || c->is_temporal())
                v = c->real;
            else if (c->type == CellType::text)
                v = workbook::read_number(c->text);
            if (!v)
                throw SqlError("22018", "Invalid character value for cast specification: '" + c->as_text() +
                                            "' in " + item.column + " is no number");
            sum += *v;
            break;
        }
        default: break;
        }
    }
    switch (item.kind) {
    case SelectItem::Kind::count: return Cell::make_integer(static_cast<std::int64_t>(count));
    case SelectItem::Kind::sum: return count ? Cell::make_real(sum) : Cell{};
    case SelectItem::Kind::avg: return count ? Cell::make_real(sum / static_cast<double>(count)) : Cell{};
    default: {
        if (!best)
            return {};
        Cell c = *best;
        c.xf = workbook::no_xf;
        return c;
    }
    }
}

} // namespace

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
    workbook::Status s = workbook::read_workbook_pinned(options_.path, *book, file_);
    if (!s)
        throw SqlError("HY000", "Cannot read the workbook: " + s.error);
    book_ = std::move(book);
    widths_.clear();
    stale_ = false;
}

void Database::refresh()
{
    if (pending_)
        return; // the transaction's own changes, under the lock
    if (stale_ || !file_.named_by(options_.path))
        load();
}

void Database::begin_change()
{
    if (pending_)
        return;
    bool timed_out = false;
    if (workbook::Status s = lock_.acquire(options_.path, options_.lock_wait, timed_out); !s) {
        if (timed_out)
            throw SqlError("HYT00", "Timeout expired: the workbook '" + options_.path +
                                        "' is being changed by another writer (waited " +
                                        std::to_string(options_.lock_wait.count()) + " ms)");
        throw SqlError("HY000", "Cannot lock the workbook for a change: " + s.error);
    }
    try {
        // Under the lock: the file as the last writer left it.
        if (stale_ || !file_.named_by(options_.path))
            load();
        if (workbook::Status s = workbook::check_writable(options_.path); !s)
            throw SqlError("HY000", "The workbook cannot be changed: " + s.error);
        workbook::remove_stale_temporaries(options_.path);
    } catch (...) {
        lock_.release();
        throw;
    }
    pending_ = true;
}

void Database::write()
{
    // Whatever happens, the change ends here: the lock is released, and
    // after a failure memory is ahead of the file, so the next use reads
    // the file again (even when the failure was running out of memory while
    // reporting it).
    workbook::Status s;
    try {
        // The file written is pinned before another writer can replace it.
        s = workbook::save_workbook_pinned(options_.path, writable(), file_);
    } catch (...) {
        s.ok = false;
    }
    pending_ = false;
    lock_.release();
    if (!s) {
        stale_ = true;
        throw SqlError("HY000", "Cannot write the workbook: " + s.error);
    }
}

void Database::commit()
{
    if (pending_)
        write();
}

void Database::rollback()
{
    if (!pending_)
        return;
    pending_ = false;
    stale_ = true; // the changes are dropped: read the file again
    lock_.release();
}

void Database::set_autocommit(bool on)
{
    if (on && !autocommit_)
        commit();
    autocommit_ = on;
}

TableView Database::view_of(const Sheet &sheet) const
{
    auto it = widths_.find(sheet.name);
    if (it != widths_.end())
        return TableView(sheet, options_.header, it->second);
    TableView view(sheet, options_.header);
    widths_.emplace(sheet.name, view.names().size());
    return view;
}

Workbook &Database::writable()
{
    if (book_.use_count() > 1)
        book_ = std::make_shared<Workbook>(*book_);
    return *book_;
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

Outcome Database::execute(const ParsedSql &sql, const std::vector<Value> &params)
{
    std::size_t done = 0;
    return execute_many(sql, {params}, done);
}

Outcome Database::execute_many(const ParsedSql &sql, const std::vector<std::vector<Value>> &sets,
                               std::size_t &done)
{
    done = 0;
    for (const auto &params : sets)
        if (params.size() < static_cast<std::size_t>(sql.parameter_count))
            throw SqlError("07002", "COUNT field incorrect: the statement has " +
                                        std::to_string(sql.parameter_count) + " parameters, " +
                                        std::to_string(params.size()) + " are bound");
    const bool change = !std::holds_alternative<Select>(sql.statement);
    Outcome total;
    if (!change) {
        refresh();
        for (const auto &params : sets) {
            total = std::visit([&](const auto &s) { return run(s, params); }, sql.statement);
            ++done;
        }
        return total;
    }
    refuse_if_read_only(statement_name(sql.statement));
    const bool was_pending = pending_;
    begin_change();
    SQLLEN affected = 0;
    try {
        for (const auto &params : sets) {
            Outcome o = std::visit([&](const auto &s) { return run(s, params); }, sql.statement);
            affected += std::max<SQLLEN>(o.rows_affected, 0);
            total = std::move(o);
            ++done;
        }
    } catch (...) {
        if (autocommit_ && !was_pending)
            rollback();
        throw;
    }
    total.rows_affected = affected;
    if (autocommit_) {
        if (affected == 0 && total.searched_change) {
            // Nothing changed: nothing to write.
            pending_ = false;
            lock_.release();
        } else {
            write();
        }
    }
    return total;
}

Outcome Database::run(const CreateTable &s, const std::vector<Value> &)
{
    widths_.clear();
    if (workbook::Status st = workbook::check_sheet_name(s.table); !st)
        throw SqlError("HY000", "Cannot create the table: " + st.error);
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
    auto &rows = book.sheets.back().rows;
    switch (options_.header.mode) {
    case HeaderOptions::Mode::none: break;
    case HeaderOptions::Mode::first_row: rows.push_back(std::move(header)); break;
    case HeaderOptions::Mode::row:
        rows.resize(options_.header.row);
        rows.push_back(std::move(header));
        break;
    case HeaderOptions::Mode::catalogue:
        rows.push_back({Cell::make_text("PARAMETERS")});
        rows.push_back(std::move(header));
        break;
    }
    return {std::nullopt, 0};
}

Outcome Database::run(const DropTable &s, const std::vector<Value> &)
{
    widths_.clear();
    Workbook &probe = *book_;
    Sheet &found = sheet_for(probe, s.table);
    if (probe.sheets.size() == 1)
        throw SqlError("HY000", "Cannot drop the table '" + s.table +
                                    "$': it is the workbook's only sheet, and a workbook keeps at least one");
    const auto index = static_cast<std::size_t>(&found - probe.sheets.data());
    Workbook &book = writable();
    book.sheets.erase(book.sheets.begin() + static_cast<std::ptrdiff_t>(index));
    return {std::nullopt, 0};
}

Outcome Database::run(const RenameTable &s, const std::vector<Value> &)
{
    widths_.clear();
    Sheet &probe = sheet_for(*book_, s.from);
    for (const auto &other : book_->sheets)
        if (&other != &probe && iequal(other.name, s.to))
            throw SqlError("42S01", "Table already exists: '" + s.to + "$'");
    if (workbook::Status st = workbook::check_sheet_name(s.to); !st)
        throw SqlError("HY000", "Cannot rename the table: " + st.error);
    sheet_for(writable(), s.from).name = s.to;
    return {std::nullopt, 0};
}

Outcome Database::run(const Insert &s, const std::vector<Value> &params)
{
    const Sheet &probe = sheet_for(*book_, s.table);
    const TableView view = view_of(probe);
    if (view.read_only())
        throw SqlError("HY000", "The table '" + s.table +
                                    "$' shows a catalogue block (HEADERROW=PARAMETERS) and "
                                    "cannot be changed");
    std::vector<std::size_t> targets;
    if (s.columns.empty()) {
        if (s.values.size() != view.names().size())
            throw SqlError("21S01",
                           "Insert value list does not match the table: " + std::to_string(s.values.size()) +
                               " values for " + std::to_string(view.names().size()) + " columns");
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
    const std::size_t at = view.append_row();
    if (at >= 65536)
        throw SqlError("HY000", "The table '" + s.table + "$' is full: a sheet has at most 65,536 rows");
    std::vector<Cell> row(view.names().size());
    for (std::size_t i = 0; i < targets.size(); ++i)
        row[targets[i]] = stored(operand_value(s.values[i], params));
    // A new record takes the formats of the record above it.
    if (at > view.first_record_row() && at - 1 < probe.rows.size()) {
        const auto &above = probe.rows[at - 1];
        for (std::size_t c = 0; c < row.size() && c < above.size(); ++c)
            if (above[c].xf != workbook::no_xf)
                row[c].xf = above[c].xf;
    }
    while (!row.empty() && row.back().type == CellType::empty && row.back().xf == workbook::no_xf)
        row.pop_back();
    Sheet &sheet = sheet_for(writable(), s.table);
    if (sheet.rows.size() <= at)
        sheet.rows.resize(at + 1);
    sheet.rows[at] = std::move(row);
    return {std::nullopt, 1};
}

Outcome Database::run(const Delete &s, const std::vector<Value> &params)
{
    const Sheet &probe = sheet_for(*book_, s.table);
    const TableView view = view_of(probe);
    const RowFilter filter(s.where, view, params);
    if (view.read_only())
        throw SqlError("HY000", "The table '" + s.table +
                                    "$' shows a catalogue block (HEADERROW=PARAMETERS) and "
                                    "cannot be changed");
    std::vector<std::uint32_t> doomed;
    if (!s.where) {
        // Every row of the table goes, blank records included.
        for (std::size_t r = view.first_record_row(); r < view.end_row() && r < probe.rows.size(); ++r)
            if (std::any_of(probe.rows[r].begin(), probe.rows[r].end(),
                            [](const Cell &c) { return c.type != CellType::empty; }))
                doomed.push_back(static_cast<std::uint32_t>(r));
    } else {
        for (std::uint32_t r : view.records())
            if (filter.matches(probe.rows[r]))
                doomed.push_back(r);
    }
    if (doomed.empty())
        return {std::nullopt, 0, true};
    // A deleted record's row is cleared, not removed: rows below keep their
    // places, and with them every reference to them (formulas, merged
    // cells, names).
    Sheet &sheet = sheet_for(writable(), s.table);
    for (std::uint32_t r : doomed)
        for (Cell &c : sheet.rows[r]) {
            const std::uint16_t xf = c.xf;
            c = Cell{};
            c.xf = xf;
        }
    return {std::nullopt, static_cast<SQLLEN>(doomed.size()), true};
}

Outcome Database::run(const Update &s, const std::vector<Value> &params)
{
    const Sheet &probe = sheet_for(*book_, s.table);
    const TableView view = view_of(probe);
    const RowFilter filter(s.where, view, params);
    if (view.read_only())
        throw SqlError("HY000", "The table '" + s.table +
                                    "$' shows a catalogue block (HEADERROW=PARAMETERS) and "
                                    "cannot be changed");
    std::vector<std::pair<std::size_t, Cell>> sets;
    for (const auto &[column, value] : s.assignments)
        sets.emplace_back(view.find(column), stored(operand_value(value, params)));
    std::vector<std::uint32_t> hits;
    for (std::uint32_t r : view.records())
        if (filter.matches(probe.rows[r]))
            hits.push_back(r);
    if (hits.empty())
        return {std::nullopt, 0, true};
    Sheet &sheet = sheet_for(writable(), s.table);
    for (std::uint32_t r : hits)
        for (const auto &[column, value] : sets) {
            auto &row = sheet.rows[r];
            if (row.size() <= column)
                row.resize(column + 1);
            const std::uint16_t xf = row[column].xf; // the cell keeps its format
            row[column] = value;
            row[column].xf = xf;
        }
    return {std::nullopt, static_cast<SQLLEN>(hits.size()), true};
}

Outcome Database::run(const Select &s, const std::vector<Value> &params)
{
    const Sheet &sheet = sheet_for(*book_, s.table);
    const TableView view = view_of(sheet);
    const RowFilter filter(s.where, view, params);
    ResultSet rs;
    std::vector<std::size_t> order;
    for (const OrderKey &key : s.order_by)
        order.push_back(view.find(key.column));
    const Sheet &rows = view.sheet();
    std::vector<std::uint32_t> matched;
    for (std::uint32_t r : view.records())
        if (filter.matches(rows.rows[r]))
            matched.push_back(r);

    if (s.aggregate()) {
        std::vector<Cell> out;
        for (const SelectItem &item : s.items) {
            const bool star = item.kind == SelectItem::Kind::count_star;
            const std::size_t c = star ? 0 : view.find(item.column);
            std::vector<const Cell *> values;
            if (!star)
                for (std::uint32_t r : matched)
                    values.push_back(rows.cell(r, c));
            rs.columns.push_back(
                aggregate_column(item, star ? ColumnInfo{} : view.column_info(c, table_name(sheet))));
            out.push_back(aggregate(item, values, matched.size()));
        }
        rs.owned.push_back(std::move(out));
        Outcome o;
        o.rows_affected = 1;
        o.result = std::move(rs);
        return o;
    }

    if (s.items.empty()) {
        for (std::size_t c = 0; c < view.names().size(); ++c)
            rs.source_columns.push_back(c);
    } else {
        for (const SelectItem &item : s.items)
            rs.source_columns.push_back(view.find(item.column));
    }
    rs.columns = view.column_infos(rs.source_columns, table_name(sheet));
    for (std::size_t i = 0; i < rs.columns.size() && !s.items.empty(); ++i)
        if (!s.items[i].alias.empty())
            rs.columns[i].name = s.items[i].alias;
    if (!order.empty()) {
        static const Cell null;
        std::stable_sort(matched.begin(), matched.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (std::size_t k = 0; k < order.size(); ++k) {
                const Cell *x = rows.cell(a, order[k]), *y = rows.cell(b, order[k]);
                const int c = order_values(x ? *x : null, y ? *y : null);
                if (c != 0)
                    return s.order_by[k].descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    rs.rows = std::move(matched);
    if (auto derived = view.derived())
        rs.keep_alive = derived;
    else
        rs.keep_alive = book_;
    rs.sheet = &rows;
    Outcome out;
    out.rows_affected = static_cast<SQLLEN>(rs.rows.size());
    out.result = std::move(rs);
    return out;
}

ParameterInfo Database::describe_parameter(const ParsedSql &sql, int index)
{
    // The column a marker is compared with or stored into.
    std::string table, column;
    std::function<bool(const Condition &)> find_in = [&](const Condition &c) {
        bool marker = false;
        for (const Operand &o : c.operands)
            marker = marker || (o.kind == Operand::Kind::parameter && o.parameter == index);
        if (marker)
            for (const Operand &o : c.operands)
                if (o.kind == Operand::Kind::column) {
                    column = o.column;
                    return true;
                }
        for (const Condition &part : c.parts)
            if (find_in(part))
                return true;
        return false;
    };
    auto in_where = [&](const std::optional<Condition> &where) {
        if (where)
            find_in(*where);
    };
    std::visit(
        [&](const auto &s) {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, Insert>) {
                table = s.table;
                for (std::size_t i = 0; i < s.values.size(); ++i)
                    if (s.values[i].kind == Operand::Kind::parameter && s.values[i].parameter == index) {
                        if (!s.columns.empty())
                            column = s.columns[i];
                        else
                            column = "#" + std::to_string(i);
                    }
            } else if constexpr (std::is_same_v<S, Update>) {
                table = s.table;
                for (const auto &[name, value] : s.assignments)
                    if (value.kind == Operand::Kind::parameter && value.parameter == index)
                        column = name;
                if (column.empty())
                    in_where(s.where);
            } else if constexpr (std::is_same_v<S, Delete> || std::is_same_v<S, Select>) {
                table = s.table;
                in_where(s.where);
            }
        },
        sql.statement);
    ParameterInfo info;
    if (table.empty() || column.empty())
        return info;
    refresh();
    for (const Sheet &sheet : book_->sheets) {
        if (!iequal(sheet.name, table))
            continue;
        const TableView view = view_of(sheet);
        std::size_t c = 0;
        if (column[0] == '#')
            c = static_cast<std::size_t>(std::stoul(column.substr(1)));
        else
            c = view.find(column);
        if (c >= view.names().size())
            return info;
        const ColumnInfo col = view.column_info(c, table_name(sheet));
        info.sql_type = col.sql_type;
        info.size = col.size;
        info.decimal_digits = col.sql_type == SQL_TYPE_TIMESTAMP ? 0 : col.decimal_digits;
    }
    return info;
}

} // namespace xlsodbc
