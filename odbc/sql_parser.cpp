// Tokenizer and recursive-descent parser for the driver's SQL subset.
#include "odbc/sql_parser.h"

#include "workbook/number_text.h"

#include <cctype>

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
            std::size_t end = sql.find(close, i + 1);
            if (end == std::string::npos)
                syntax_error("unterminated quoted name at position " + std::to_string(start + 1));
            out.push_back({Tok::quoted_name, sql.substr(i + 1, end - i - 1), start});
            i = end + 1;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
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
        } else if (c == '(' || c == ')' || c == ',' || c == '=' || c == '*' || c == ';' || c == '+' || c == '-' ||
                   c == '^') {
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

class Parser {
public:
    explicit Parser(const std::string &sql) : toks_(tokenize(sql)) {}

    SqlStatement statement()
    {
        SqlStatement s = dispatch();
        if (peek_punct(";"))
            ++at_;
        if (cur().kind != Tok::end)
            syntax_error("unexpected '" + describe(cur()) + "' at position " + std::to_string(cur().pos + 1));
        return s;
    }

private:
    const Token &cur() const { return toks_[at_]; }

    static std::string describe(const Token &t) { return t.kind == Tok::end ? "end of statement" : t.text; }

    bool peek_keyword(const char *kw) const { return cur().kind == Tok::word && iequals(cur().text, kw); }
    bool peek_punct(const char *p) const { return cur().kind == Tok::punct && cur().text == p; }

    void keyword(const char *kw)
    {
        if (!peek_keyword(kw))
            syntax_error(std::string("expected ") + kw + " but found '" + describe(cur()) + "' at position " +
                         std::to_string(cur().pos + 1));
        ++at_;
    }
    void punct(const char *p)
    {
        if (!peek_punct(p))
            syntax_error(std::string("expected '") + p + "' but found '" + describe(cur()) + "' at position " +
                         std::to_string(cur().pos + 1));
        ++at_;
    }

    std::string name(const char *what)
    {
        const Token &t = cur();
        if (t.kind == Tok::word || t.kind == Tok::quoted_name) {
            if (t.text.empty())
                syntax_error(std::string("empty ") + what + " at position " + std::to_string(t.pos + 1));
            ++at_;
            return t.text;
        }
        syntax_error(std::string("expected a ") + what + " but found '" + describe(t) + "' at position " +
                     std::to_string(t.pos + 1));
    }

    std::string table() { return sheet_name_of(name("table name")); }

    Value value()
    {
        if (peek_keyword("NULL")) {
            ++at_;
            return {};
        }
        if (cur().kind == Tok::text)
            return Value::make_text(toks_[at_++].text);
        bool negative = false;
        if (peek_punct("-") || peek_punct("+")) {
            negative = cur().text == "-";
            ++at_;
        }
        if (cur().kind != Tok::number)
            syntax_error("expected a value but found '" + describe(cur()) + "' at position " +
                         std::to_string(cur().pos + 1));
        const std::string text = (negative ? "-" : "") + toks_[at_++].text;
        if (auto whole = workbook::read_integer(text))
            return Value::make_integer(*whole);
        auto real = workbook::read_number(text);
        if (!real)
            throw SqlError("22003", "Numeric value out of range: " + text);
        return Value::make_real(*real);
    }

    std::vector<Condition> where()
    {
        std::vector<Condition> conds;
        if (!peek_keyword("WHERE"))
            return conds;
        ++at_;
        do {
            Condition c;
            c.column = name("column name");
            punct("=");
            c.value = value();
            conds.push_back(std::move(c));
        } while (peek_keyword("AND") && ++at_);
        return conds;
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
        if (peek_keyword("DROP")) {
            ++at_;
            keyword("TABLE");
            return DropTable{table()};
        }
        if (peek_keyword("ALTER")) {
            ++at_;
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

    SqlStatement select()
    {
        ++at_;
        Select s;
        if (peek_punct("*")) {
            ++at_;
        } else {
            do
                s.columns.push_back(name("column name"));
            while (peek_punct(",") && ++at_);
        }
        keyword("FROM");
        s.table = table();
        s.where = where();
        return s;
    }

    SqlStatement insert()
    {
        ++at_;
        keyword("INTO");
        Insert s;
        s.table = table();
        if (peek_punct("(")) {
            ++at_;
            do
                s.columns.push_back(name("column name"));
            while (peek_punct(",") && ++at_);
            punct(")");
        }
        keyword("VALUES");
        punct("(");
        do
            s.values.push_back(value());
        while (peek_punct(",") && ++at_);
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
        } while (peek_punct(",") && ++at_);
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
            if (peek_punct("^"))
                ++at_;
            else
                col.name = name("column name");
            if (cur().kind != Tok::word)
                syntax_error("expected a type for column '" + col.name + "' but found '" + describe(cur()) + "'");
            col.type = toks_[at_++].text;
            while (cur().kind == Tok::word) // multi-word types such as "double precision"
                col.type += " " + toks_[at_++].text;
            if (peek_punct("(")) {
                ++at_;
                if (cur().kind != Tok::number)
                    syntax_error("expected a size for column '" + col.name + "'");
                col.type += "(" + toks_[at_++].text;
                if (peek_punct(",")) {
                    ++at_;
                    if (cur().kind != Tok::number)
                        syntax_error("expected a scale for column '" + col.name + "'");
                    col.type += "," + toks_[at_++].text;
                }
                punct(")");
                col.type += ")";
            }
            s.columns.push_back(std::move(col));
        } while (peek_punct(",") && ++at_);
        punct(")");
        return s;
    }

    std::vector<Token> toks_;
    std::size_t at_ = 0;
};

} // namespace

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

SqlStatement parse_sql(const std::string &sql)
{
    return Parser(sql).statement();
}

} // namespace xlsodbc
