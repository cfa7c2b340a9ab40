// Tokenizer and recursive-descent parser for the driver's SQL subset (the
// grammar is at the top of sql_parser.h).
#include "odbc/sql_parser.h"

#include "workbook/number_text.h"

#include <cctype>
#include <charconv>

namespace xlsodbc {
namespace {

enum class Tok { word, quoted_name, text, number, punct, end };

struct Token {
    Tok kind;
    std::string text;
    std::size_t pos;
};

[[noreturn]] void syntax_error(const std::string &what)
{
    throw SqlError("42000", "Syntax error: " + what);
}

bool word_char(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c == '#' || c == '@' || c >= 0x80;
}

std::vector<Token> tokenize(const std::string &sql)
{
    std::vector<Token> out;
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') { // comment to the end of the line
            while (i < n && sql[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t close = sql.find("*/", i + 2);
            if (close == std::string::npos)
                syntax_error("unterminated comment at position " + std::to_string(start + 1));
            i = close + 2;
            continue;
        }
        if (c == '\'') {
            std::string s;
            ++i;
            for (;;) {
                if (i >= n)
                    syntax_error("unterminated text literal at position " + std::to_string(start + 1));
                if (sql[i] == '\'') {
                    if (i + 1 < n && sql[i + 1] == '\'') {
                        s += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                s += sql[i++];
            }
            out.push_back({Tok::text, std::move(s), start});
        } else if (c == '[' || c == '`' || c == '"') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            const std::size_t end = sql.find(close, i + 1);
            if (end == std::string::npos)
                syntax_error("unterminated quoted name at position " + std::to_string(start + 1));
            out.push_back({Tok::quoted_name, sql.substr(i + 1, end - i - 1), start});
            i = end + 1;
        } else if (std::isdigit(c) ||
                   (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            while (i < n && std::isdigit(static_cast<unsigned char>(sql[i])))
                ++i;
            if (i < n && sql[i] == '.') {
                ++i;
                while (i < n && std::isdigit(static_cast<unsigned char>(sql[i])))
                    ++i;
            }
            if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
                std::size_t j = i + 1;
                if (j < n && (sql[j] == '+' || sql[j] == '-'))
                    ++j;
                if (j < n && std::isdigit(static_cast<unsigned char>(sql[j]))) {
                    i = j;
                    while (i < n && std::isdigit(static_cast<unsigned char>(sql[i])))
                        ++i;
                }
            }
            if (i < n && word_char(static_cast<unsigned char>(sql[i])))
                syntax_error("malformed number at position " + std::to_string(start + 1));
            out.push_back({Tok::number, sql.substr(start, i - start), start});
        } else if (word_char(c)) {
            while (i < n && word_char(static_cast<unsigned char>(sql[i])))
                ++i;
            out.push_back({Tok::word, sql.substr(start, i - start), start});
        } else if ((c == '<' || c == '>' || c == '!') && i + 1 < n &&
                   (sql[i + 1] == '=' || (c == '<' && sql[i + 1] == '>'))) {
            out.push_back({Tok::punct, sql.substr(i, 2), start});
            i += 2;
        } else if (std::string_view("(),=*;+-^<>?{}").find(static_cast<char>(c)) != std::string_view::npos) {
            out.push_back({Tok::punct, std::string(1, static_cast<char>(c)), start});
            ++i;
        } else {
            syntax_error("unexpected character '" + std::string(1, static_cast<char>(c)) + "' at position " +
                         std::to_string(start + 1));
        }
    }
    out.push_back({Tok::end, "", n});
    return out;
}

bool iequals(const std::string &a, const char *b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

// Words that end or join conditions and so never name a column unquoted.
bool reserved(const std::string &word)
{
    for (const char *kw : {"AND", "OR", "NOT", "LIKE", "IS", "IN", "BETWEEN", "NULL", "ORDER", "BY", "ESCAPE",
                           "FROM", "WHERE", "SET", "VALUES", "ASC", "DESC", "AS"})
        if (iequals(word, kw))
            return true;
    return false;
}

class Parser {
  public:
    explicit Parser(const std::string &sql) : toks_(tokenize(sql)) {}

    ParsedSql statement()
    {
        ParsedSql out{dispatch(), 0};
        if (peek_punct(";"))
            ++at_;
        if (cur().kind != Tok::end)
            syntax_error("unexpected '" + describe(cur()) + "' at position " + std::to_string(cur().pos + 1));
        out.parameter_count = parameters_;
        return out;
    }

  private:
    const Token &cur() const { return toks_[at_]; }
    const Token &ahead(std::size_t k) const { return toks_[std::min(at_ + k, toks_.size() - 1)]; }

    static std::string describe(const Token &t) { return t.kind == Tok::end ? "end of statement" : t.text; }
    [[noreturn]] void expected(const std::string &what) const
    {
        syntax_error("expected " + what + " but found '" + describe(cur()) + "' at position " +
                     std::to_string(cur().pos + 1));
    }

    bool peek_keyword(const char *kw) const { return cur().kind == Tok::word && iequals(cur().text, kw); }
    bool peek_punct(const char *p) const { return cur().kind == Tok::punct && cur().text == p; }
    bool accept_keyword(const char *kw)
    {
        if (!peek_keyword(kw))
            return false;
        ++at_;
        return true;
    }
    bool accept_punct(const char *p)
    {
        if (!peek_punct(p))
            return false;
        ++at_;
        return true;
    }
    void keyword(const char *kw)
    {
        if (!accept_keyword(kw))
            expected(kw);
    }
    void punct(const char *p)
    {
        if (!accept_punct(p))
            expected(std::string("'") + p + "'");
    }

    std::string name(const char *what)
    {
        const Token &t = cur();
        if ((t.kind == Tok::word && !reserved(t.text)) || t.kind == Tok::quoted_name) {
            if (t.text.empty())
                syntax_error(std::string("empty ") + what + " at position " + std::to_string(t.pos + 1));
            ++at_;
            return t.text;
        }
        expected(std::string("a ") + what);
    }

    std::string table() { return sheet_name_of(name("table name")); }

    bool peek_value() const
    {
        return cur().kind == Tok::text || cur().kind == Tok::number || peek_keyword("NULL") ||
               peek_punct("?") || peek_punct("{") ||
               ((peek_punct("-") || peek_punct("+")) && ahead(1).kind == Tok::number);
    }

    Operand value()
    {
        Operand o;
        if (accept_punct("?")) {
            o.kind = Operand::Kind::parameter;
            o.parameter = parameters_++;
            return o;
        }
        if (accept_keyword("NULL"))
            return o;
        if (cur().kind == Tok::text) {
            o.value = Value::make_text(toks_[at_++].text);
            return o;
        }
        if (accept_punct("{")) {
            const Token &kind = cur();
            workbook::CellType type = workbook::CellType::empty;
            if (kind.kind == Tok::word && iequals(kind.text, "d"))
                type = workbook::CellType::date;
            else if (kind.kind == Tok::word && iequals(kind.text, "t"))
                type = workbook::CellType::time;
            else if (kind.kind == Tok::word && iequals(kind.text, "ts"))
                type = workbook::CellType::datetime;
            else
                expected("d, t or ts");
            ++at_;
            if (cur().kind != Tok::text)
                expected("a quoted date or time");
            o.value = datetime_literal(type, toks_[at_++].text);
            punct("}");
            return o;
        }
        bool negative = false;
        if (peek_punct("-") || peek_punct("+")) {
            negative = cur().text == "-";
            ++at_;
        }
        if (cur().kind != Tok::number)
            expected("a value");
        const std::string text = (negative ? "-" : "") + toks_[at_++].text;
        if (auto whole = workbook::read_integer(text)) {
            o.value = Value::make_integer(*whole);
            return o;
        }
        auto real = workbook::read_number(text);
        if (!real)
            throw SqlError("22003", "Numeric value out of range: " + text);
        o.value = Value::make_real(*real);
        return o;
    }

    Operand operand()
    {
        if (peek_value())
            return value();
        Operand o;
        o.kind = Operand::Kind::column;
        o.column = name("column name or value");
        return o;
    }

    std::optional<Condition> where()
    {
        if (!accept_keyword("WHERE"))
            return std::nullopt;
        return disjunction();
    }

    Condition disjunction()
    {
        Condition left = conjunction();
        while (accept_keyword("OR")) {
            Condition both;
            both.kind = Condition::Kind::or_;
            both.parts.push_back(std::move(left));
            both.parts.push_back(conjunction());
            left = std::move(both);
        }
        return left;
    }

    Condition conjunction()
    {
        Condition left = negation();
        while (accept_keyword("AND")) {
            Condition both;
            both.kind = Condition::Kind::and_;
            both.parts.push_back(std::move(left));
            both.parts.push_back(negation());
            left = std::move(both);
        }
        return left;
    }

    Condition negation()
    {
        if (accept_keyword("NOT")) {
            Condition c;
            c.kind = Condition::Kind::not_;
            c.parts.push_back(negation());
            return c;
        }
        // A parenthesis opens a condition unless it holds a value list.
        if (accept_punct("(")) {
            Condition c = disjunction();
            punct(")");
            return c;
        }
        return predicate();
    }

    Condition predicate()
    {
        Condition c;
        c.operands.push_back(operand());
        if (accept_keyword("IS")) {
            c.kind = Condition::Kind::is_null;
            c.negated = accept_keyword("NOT");
            keyword("NULL");
            return c;
        }
        c.negated = accept_keyword("NOT");
        if (accept_keyword("LIKE")) {
            c.kind = Condition::Kind::like;
            c.operands.push_back(operand());
            if (accept_keyword("ESCAPE")) {
                if (cur().kind != Tok::text || toks_[at_].text.size() != 1)
                    expected("a one-character escape text");
                c.has_escape = true;
                c.escape = toks_[at_++].text;
            }
            return c;
        }
        if (accept_keyword("IN")) {
            c.kind = Condition::Kind::in;
            punct("(");
            do
                c.operands.push_back(value());
            while (accept_punct(","));
            punct(")");
            return c;
        }
        if (accept_keyword("BETWEEN")) {
            c.kind = Condition::Kind::between;
            c.operands.push_back(operand());
            keyword("AND");
            c.operands.push_back(operand());
            return c;
        }
        if (c.negated)
            expected("LIKE, IN or BETWEEN after NOT");
        static const std::pair<const char *, CompareOp> ops[] = {
            {"=", CompareOp::eq},  {"<>", CompareOp::ne}, {"!=", CompareOp::ne}, {"<", CompareOp::lt},
            {"<=", CompareOp::le}, {">", CompareOp::gt},  {">=", CompareOp::ge}};
        for (const auto &[text, op] : ops)
            if (accept_punct(text)) {
                c.kind = Condition::Kind::compare;
                c.op = op;
                c.operands.push_back(operand());
                return c;
            }
        expected("a comparison");
    }

    SqlStatement dispatch()
    {
        if (peek_keyword("SELECT"))
            return select();
        if (peek_keyword("INSERT"))
            return insert();
        if (peek_keyword("UPDATE"))
            return update();
        if (peek_keyword("DELETE"))
            return remove();
        if (peek_keyword("CREATE"))
            return create();
        if (accept_keyword("DROP")) {
            keyword("TABLE");
            return DropTable{table()};
        }
        if (accept_keyword("ALTER")) {
            keyword("TABLE");
            RenameTable r;
            r.from = table();
            keyword("RENAME");
            keyword("TO");
            r.to = table();
            return r;
        }
        syntax_error("unsupported statement '" + describe(cur()) + "'");
    }

    SelectItem select_item()
    {
        static const std::pair<const char *, SelectItem::Kind> functions[] = {
            {"COUNT", SelectItem::Kind::count},
            {"MIN", SelectItem::Kind::min},
            {"MAX", SelectItem::Kind::max},
            {"SUM", SelectItem::Kind::sum},
            {"AVG", SelectItem::Kind::avg}};
        SelectItem item;
        bool function = false;
        if (cur().kind == Tok::word && ahead(1).kind == Tok::punct && ahead(1).text == "(")
            for (const auto &[text, kind] : functions)
                if (iequals(cur().text, text)) {
                    at_ += 2;
                    function = true;
                    item.kind = kind;
                    if (kind == SelectItem::Kind::count && accept_punct("*"))
                        item.kind = SelectItem::Kind::count_star;
                    else
                        item.column = name("column name");
                    punct(")");
                    break;
                }
        if (!function)
            item.column = name("column name");
        if (accept_keyword("AS"))
            item.alias = name("column alias");
        else if (cur().kind == Tok::quoted_name || (cur().kind == Tok::word && !reserved(cur().text)))
            item.alias = name("column alias");
        return item;
    }

    SqlStatement select()
    {
        ++at_;
        Select s;
        accept_keyword("ALL");
        if (!accept_punct("*")) {
            do
                s.items.push_back(select_item());
            while (accept_punct(","));
            const bool aggregate = s.aggregate();
            for (const SelectItem &item : s.items)
                if ((item.kind != SelectItem::Kind::column) != aggregate)
                    syntax_error("columns and aggregate functions cannot be mixed without GROUP BY");
        }
        keyword("FROM");
        s.table = table();
        s.where = where();
        if (accept_keyword("ORDER")) {
            keyword("BY");
            do {
                OrderKey key;
                key.column = name("column name");
                if (accept_keyword("DESC"))
                    key.descending = true;
                else
                    accept_keyword("ASC");
                s.order_by.push_back(std::move(key));
            } while (accept_punct(","));
        }
        return s;
    }

    SqlStatement insert()
    {
        ++at_;
        keyword("INTO");
        Insert s;
        s.table = table();
        if (accept_punct("(")) {
            do
                s.columns.push_back(name("column name"));
            while (accept_punct(","));
            punct(")");
        }
        keyword("VALUES");
        punct("(");
        do
            s.values.push_back(value());
        while (accept_punct(","));
        punct(")");
        return s;
    }

    SqlStatement update()
    {
        ++at_;
        Update s;
        s.table = table();
        keyword("SET");
        do {
            std::string col = name("column name");
            punct("=");
            s.assignments.emplace_back(std::move(col), value());
        } while (accept_punct(","));
        s.where = where();
        return s;
    }

    SqlStatement remove()
    {
        ++at_;
        keyword("FROM");
        Delete s;
        s.table = table();
        s.where = where();
        return s;
    }

    SqlStatement create()
    {
        ++at_;
        keyword("TABLE");
        CreateTable s;
        s.table = table();
        punct("(");
        do {
            ColumnDef col;
            if (!accept_punct("^"))
                col.name = name("column name");
            if (cur().kind != Tok::word)
                expected("a type for column '" + col.name + "'");
            col.type = toks_[at_++].text;
            while (cur().kind == Tok::word) // multi-word types such as "double precision"
                col.type += " " + toks_[at_++].text;
            if (accept_punct("(")) {
                if (cur().kind != Tok::number)
                    expected("a size for column '" + col.name + "'");
                col.type += "(" + toks_[at_++].text;
                if (accept_punct(",")) {
                    if (cur().kind != Tok::number)
                        expected("a scale for column '" + col.name + "'");
                    col.type += "," + toks_[at_++].text;
                }
                punct(")");
                col.type += ")";
            }
            s.columns.push_back(std::move(col));
        } while (accept_punct(","));
        punct(")");
        return s;
    }

    std::vector<Token> toks_;
    std::size_t at_ = 0;
    int parameters_ = 0;
};

bool digits(const std::string &t, std::size_t at, std::size_t n, int &out)
{
    if (at + n > t.size())
        return false;
    const auto [end, ec] = std::from_chars(t.data() + at, t.data() + at + n, out);
    return ec == std::errc() && end == t.data() + at + n;
}

} // namespace

Value datetime_literal(workbook::CellType kind, const std::string &text)
{
    workbook::DateTime when{1899, 12, 31, 0, 0, 0};
    bool ok = true;
    std::size_t at = 0;
    if (kind != workbook::CellType::time) {
        ok = text.size() >= 10 && digits(text, 0, 4, when.year) && text[4] == '-' &&
             digits(text, 5, 2, when.month) && text[7] == '-' && digits(text, 8, 2, when.day);
        at = 10;
        if (kind == workbook::CellType::datetime)
            ok = ok && text.size() > at && text[at++] == ' ';
    }
    if (ok && kind != workbook::CellType::date) {
        ok = text.size() >= at + 8 && digits(text, at, 2, when.hour) && text[at + 2] == ':' &&
             digits(text, at + 3, 2, when.minute) && text[at + 5] == ':' &&
             digits(text, at + 6, 2, when.second);
        at += 8;
        if (ok && at < text.size() && text[at] == '.') { // fractions of a second are dropped
            ++at;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
                ++at;
        }
    }
    ok = ok && at == text.size();
    double serial = 0;
    if (kind == workbook::CellType::time) {
        ok = ok && when.hour < 24 && when.minute < 60 && when.second < 60;
        serial = (when.hour * 3600 + when.minute * 60 + when.second) / 86400.0;
    } else {
        ok = ok && workbook::serial_of_date(when, serial);
    }
    if (!ok)
        throw SqlError("22007", "Invalid datetime format: '" + text + "'");
    return Value::make_serial(kind, serial);
}

std::string sheet_name_of(const std::string &table)
{
    // Accepts Name, Name$, 'Name$' and 'Name'$ (catalog names of sheets with
    // blanks come quoted).
    auto unquote = [](std::string &s) {
        if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'')
            s = s.substr(1, s.size() - 2);
    };
    std::string s = table;
    unquote(s);
    if (!s.empty() && s.back() == '$')
        s.pop_back();
    unquote(s);
    return s;
}

ParsedSql parse_sql(const std::string &sql)
{
    return Parser(sql).statement();
}

} // namespace xlsodbc
