// Parsers of the host's small text files (vexahost/text_files.h): toolbar,
// palette, translation and preference files.
//
// Each file is split into lines and each line into tokens by one tokenizer:
// words, quoted texts with their escapes, and the single characters '=' and
// ','. The parsers check the grammar of their form on the tokens and build
// the result only from a file that is whole: on the first fault they stop
// with the line and the reason, and the caller keeps nothing of the file.
#include "vexahost/text_files.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <set>

namespace vexa::sim {

namespace {

constexpr std::size_t max_file_size = 1 << 20;
constexpr std::size_t max_line_size = 4096;
constexpr std::size_t max_button_name = 64;
constexpr std::size_t max_buttons = 256;
constexpr std::size_t max_palette_items = 1000;
constexpr std::size_t max_preference_key = 128;

struct Token {
    enum Kind { word, quoted, equals, comma } kind;
    std::string text;
};

bool is_word_char(char c, bool dotted)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           (dotted && (c == '.' || c == '-'));
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

// The lines of a file, with the common checks (size, NUL, line length);
// comment and blank lines become empty views so that numbering holds.
bool split_lines(std::string_view text, std::vector<std::string_view> &lines, TextFileError &error)
{
    if (text.size() > max_file_size) {
        error = {0, "file larger than 1 MiB"};
        return false;
    }
    if (text.find('\0') != std::string_view::npos) {
        error = {0, "file holds a NUL byte"};
        return false;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > max_line_size) {
            error = {static_cast<int>(lines.size() + 1), "line longer than 4096 bytes"};
            return false;
        }
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#')
            line = {};
        lines.push_back(line);
    }
    return true;
}

// Splits one line into tokens; `dotted` lets words hold '.' and '-'.
bool tokenize(std::string_view line, bool dotted, std::vector<Token> &tokens, std::string &reason)
{
    tokens.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (is_blank(c)) {
            ++i;
        } else if (c == '=' || c == ',') {
            tokens.push_back({c == '=' ? Token::equals : Token::comma, std::string(1, c)});
            ++i;
        } else if (c == '"') {
            std::string value;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d != '\\') {
                    value += d;
                    continue;
                }
                if (i == line.size())
                    break;
                switch (char e = line[i++]) {
                case '"':
                case '\\': value += e; break;
                case 'n': value += '\n'; break;
                case 't': value += '\t'; break;
                default: reason = std::string("unknown escape \\") + e; return false;
                }
            }
            if (!closed) {
                reason = "unterminated quoted text";
                return false;
            }
            tokens.push_back({Token::quoted, std::move(value)});
        } else if (is_word_char(c, dotted)) {
            std::size_t start = i;
            while (i < line.size() && is_word_char(line[i], dotted))
                ++i;
            tokens.push_back({Token::word, std::string(line.substr(start, i - start))});
        } else {
            reason = std::string("unexpected character '") + c + "'";
            return false;
        }
    }
    return true;
}

bool fail(TextFileError &error, std::size_t line, std::string reason)
{
    error = {static_cast<int>(line), std::move(reason)};
    return false;
}

bool shape_is(const std::vector<Token> &t, std::initializer_list<Token::Kind> kinds)
{
    if (t.size() != kinds.size())
        return false;
    std::size_t i = 0;
    for (Token::Kind k : kinds)
        if (t[i++].kind != k)
            return false;
    return true;
}

// Walks the non-empty lines of a file, tokenized; `statement` handles each
// and returns false (with error set) to stop.
template <class Statement>
bool for_each_statement(std::string_view text, bool dotted, TextFileError &error, Statement statement)
{
    std::vector<std::string_view> lines;
    if (!split_lines(text, lines, error))
        return false;
    std::vector<Token> tokens;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (lines[n].empty())
            continue;
        std::string reason;
        if (!tokenize(lines[n], dotted, tokens, reason))
            return fail(error, n + 1, reason);
        if (!statement(n + 1, tokens))
            return false;
    }
    return true;
}

// ---- Preference values ---------------------------------------------------------

std::string_view trim(std::string_view s)
{
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool is_integer_text(std::string_view s)
{
    std::size_t i = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size())
        return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    std::string copy(s);
    errno = 0;
    long long v = std::strtoll(copy.c_str(), nullptr, 10);
    return errno == 0 && v >= INT_MIN && v <= INT_MAX;
}

bool is_real_text(std::string_view s)
{
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string_view::npos)
        return false;
    std::string copy(s);
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && errno == 0 && std::isfinite(v);
}

bool logical_word(std::string_view s, bool &value)
{
    std::string lower;
    for (char c : s)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "true" || lower == "yes" || lower == "on")
        return value = true, true;
    if (lower == "false" || lower == "no" || lower == "off")
        return value = false, true;
    return false;
}

// The value of a preference line, after '=' (blanks around it dropped).
bool parse_preference_value(std::string_view raw, PreferenceEntry &entry, std::string &reason)
{
    std::string_view value = trim(raw);
    if (!value.empty() && value.front() == '"') {
        std::vector<Token> tokens;
        if (!tokenize(value, false, tokens, reason))
            return false;
        if (tokens.size() != 1 || tokens[0].kind != Token::quoted) {
            reason = "text after the quoted value";
            return false;
        }
        entry.type = PreferenceType::string;
        entry.text = tokens[0].text;
        return true;
    }
    entry.text = std::string(value);
    bool flag = false;
    if (is_integer_text(value)) {
        entry.type = PreferenceType::integer;
    } else if (is_real_text(value)) {
        entry.type = PreferenceType::real;
    } else if (logical_word(value, flag)) {
        entry.type = PreferenceType::logical;
    } else if (value.find(',') != std::string_view::npos) {
        entry.type = PreferenceType::list;
        entry.text.clear();
        std::size_t start = 0;
        while (true) {
            std::size_t comma = value.find(',', start);
            std::string_view item =
                trim(value.substr(start, comma == std::string_view::npos ? comma : comma - start));
            if (item.empty()) {
                reason = "empty list entry";
                return false;
            }
            entry.list.emplace_back(item);
            entry.text += (entry.text.empty() ? "" : ",") + std::string(item);
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
    } else {
        entry.type = PreferenceType::string;
    }
    return true;
}

} // namespace

bool parse_toolbar_file(std::string_view text, ToolbarFile &file, TextFileError &error)
{
    ToolbarFile out;
    bool headed = false;
    std::set<std::string> names;
    bool ok = for_each_statement(text, false, error, [&](std::size_t n, const std::vector<Token> &t) {
        if (!headed) {
            if (!shape_is(t, {Token::word, Token::word, Token::quoted}) || t[0].text != "TOOLBAR")
                return fail(error, n, "expected TOOLBAR <name> \"<title>\" first");
            if (t[1].text.size() > max_button_name)
                return fail(error, n, "toolbar name longer than 64 characters");
            out.name = t[1].text;
            out.title = t[2].text;
            headed = true;
            return true;
        }
        bool plain = shape_is(t, {Token::word, Token::word, Token::quoted});
        bool toggle =
            shape_is(t, {Token::word, Token::word, Token::quoted, Token::word}) && t[3].text == "TOGGLE";
        if ((!plain && !toggle) || t[0].text != "BUTTON")
            return fail(error, n, "expected BUTTON <name> \"<label>\" [TOGGLE]");
        if (t[1].text.size() > max_button_name)
            return fail(error, n, "button name longer than 64 characters");
        if (!names.insert(t[1].text).second)
            return fail(error, n, "button " + t[1].text + " given twice");
        if (out.buttons.size() == max_buttons)
            return fail(error, n, "more than 256 buttons");
        out.buttons.push_back({t[1].text, t[2].text, toggle});
        return true;
    });
    if (!ok)
        return false;
    if (!headed)
        return fail(error, 0, "no TOOLBAR line");
    file = std::move(out);
    return true;
}

bool parse_palette_file(std::string_view text, PaletteFile &file, TextFileError &error)
{
    PaletteFile out;
    bool headed = false;
    bool ok = for_each_statement(text, false, error, [&](std::size_t n, const std::vector<Token> &t) {
        if (!headed) {
            if (!shape_is(t, {Token::word, Token::quoted}) || t[0].text != "PALETTE")
                return fail(error, n, "expected PALETTE \"<title>\" first");
            out.title = t[1].text;
            headed = true;
            return true;
        }
        if (!shape_is(t, {Token::word, Token::quoted, Token::quoted}) || t[0].text != "ITEM")
            return fail(error, n, "expected ITEM \"<label>\" \"<file>\"");
        if (out.items.size() == max_palette_items)
            return fail(error, n, "more than 1000 items");
        out.items.push_back({t[1].text, t[2].text});
        return true;
    });
    if (!ok)
        return false;
    if (!headed)
        return fail(error, 0, "no PALETTE line");
    file = std::move(out);
    return true;
}

bool parse_translation_file(std::string_view text, Translations &translations, TextFileError &error)
{
    Translations out;
    std::set<std::string> seen;
    bool ok = for_each_statement(text, false, error, [&](std::size_t n, const std::vector<Token> &t) {
        if (!shape_is(t, {Token::quoted, Token::equals, Token::quoted}))
            return fail(error, n, "expected \"<text>\" = \"<translation>\"");
        if (t[0].text.empty())
            return fail(error, n, "empty text");
        if (!seen.insert(t[0].text).second)
            return fail(error, n, "text given twice");
        out.emplace_back(t[0].text, t[2].text);
        return true;
    });
    if (!ok)
        return false;
    translations = std::move(out);
    return true;
}

bool parse_preference_file(std::string_view text, std::vector<PreferenceEntry> &entries, TextFileError &error)
{
    std::vector<std::string_view> lines;
    if (!split_lines(text, lines, error))
        return false;
    std::vector<PreferenceEntry> out;
    std::set<std::string> seen;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        if (line.empty())
            continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return fail(error, n + 1, "expected NAME=VALUE");
        std::string_view key = trim(line.substr(0, eq));
        if (key.empty())
            return fail(error, n + 1, "empty name");
        for (char c : key)
            if (!is_word_char(c, false))
                return fail(error, n + 1, "name holds '" + std::string(1, c) + "'");
        if (key.size() > max_preference_key)
            return fail(error, n + 1, "name longer than 128 characters");
        if (!seen.insert(std::string(key)).second)
            return fail(error, n + 1, std::string(key) + " given twice");
        PreferenceEntry entry;
        entry.key = std::string(key);
        std::string reason;
        if (!parse_preference_value(line.substr(eq + 1), entry, reason))
            return fail(error, n + 1, reason);
        out.push_back(std::move(entry));
    }
    entries = std::move(out);
    return true;
}

} // namespace vexa::sim
