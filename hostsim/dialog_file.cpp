// Dialog files of the headless host: finding them and reading their text
// form (described in hostsim/README.md, "Dialog files").
//
// The text is line-oriented: a keyword and its arguments, which are bare
// words or double-quoted texts (with \" and \\ inside); "#" outside quotes
// starts a comment. The first statement is `dialog TITLE`; the dialog's own
// statements follow, then `item ID KIND` statements, each followed by the
// statements of that item. Everything read is checked (kinds, numbers,
// ranges, entry indices) so that a dialog opened from a file already holds
// the invariants of dialogs.h; a file that breaks one is refused with the
// line and the reason.
#include "dialogs.h"
#include "session_state.h"

#include "hx_dialogs.h"
#include "hx_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace vexa::sim {

namespace {

constexpr std::size_t max_file_size = 1 << 20;
constexpr std::size_t max_id_size = 64;
constexpr std::size_t max_entries = 10000;

struct KindName {
    ItemKind kind;
    const char *name;
};

constexpr std::array<KindName, 14> kind_names{{
    {ItemKind::label, "label"},
    {ItemKind::button, "button"},
    {ItemKind::toggle, "toggle"},
    {ItemKind::integer, "integer"},
    {ItemKind::real, "real"},
    {ItemKind::string, "string"},
    {ItemKind::text, "text"},
    {ItemKind::list, "list"},
    {ItemKind::option, "option"},
    {ItemKind::radio, "radio"},
    {ItemKind::palette, "palette"},
    {ItemKind::int_scale, "int_scale"},
    {ItemKind::real_scale, "real_scale"},
    {ItemKind::tab, "tab"},
}};

constexpr std::array<const char *, 4> nav_names{"ok", "apply", "back", "cancel"};

// A statement that cannot be read: the reason, without the line.
struct Refused {
    std::string reason;
};

[[noreturn]] void refuse(std::string reason)
{
    throw Refused{std::move(reason)};
}

// Splits one line into words; quoted texts keep their blanks.
std::vector<std::string> split_words(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string word;
            ++i;
            while (true) {
                if (i >= line.size())
                    refuse("unterminated text");
                char d = line[i++];
                if (d == '"')
                    break;
                if (d == '\\') {
                    if (i >= line.size() || (line[i] != '"' && line[i] != '\\'))
                        refuse("unknown escape in text (only \\\" and \\\\)");
                    d = line[i++];
                }
                word += d;
            }
            words.push_back(std::move(word));
        } else {
            std::size_t end = line.find_first_of(" \t\r\"#", i);
            if (end == std::string_view::npos)
                end = line.size();
            words.emplace_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

long parse_integer(const std::string &word, long low, long high)
{
    long value = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size())
        refuse("\"" + word + "\" is not a whole number");
    if (value < low || value > high)
        refuse("\"" + word + "\" lies outside " + std::to_string(low) + " .. " + std::to_string(high));
    return value;
}

double parse_real(const std::string &word)
{
    double value = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
        refuse("\"" + word + "\" is not a number");
    return value;
}

bool parse_flag(const std::string &word)
{
    return parse_integer(word, 0, 1) == 1;
}

void expect_count(const std::vector<std::string> &words, std::size_t count)
{
    if (words.size() != count + 1)
        refuse("\"" + words[0] + "\" takes " + std::to_string(count) + " argument" + (count == 1 ? "" : "s"));
}

void check_id(const std::string &id)
{
    if (id.empty() || id.size() > max_id_size)
        refuse("an item id has 1 to 64 characters");
    for (char c : id)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            refuse("item id \"" + id + "\" holds a character other than letters, digits and '_'");
    if (id == HX_STYLER_DIALOG_INDEX || id == HX_STYLER_NAV_INDEX)
        refuse("item id \"" + id + "\" is reserved");
}

void check_text(const std::string &text)
{
    if (text.size() > HX_STYLER_MAX_TEXT_SIZE)
        refuse("a text field holds at most 132 characters");
}

ItemKind parse_kind(const std::string &word)
{
    for (const KindName &k : kind_names)
        if (word == k.name)
            return k.kind;
    refuse("unknown item kind \"" + word + "\"");
}

bool is_scale(ItemKind kind)
{
    return kind == ItemKind::int_scale || kind == ItemKind::real_scale;
}

// The value statement of an item, by the item's kind.
void parse_value(DialogItem &item, const std::vector<std::string> &words)
{
    std::vector<std::string> args(words.begin() + 1, words.end());
    switch (item.kind) {
    case ItemKind::label:
    case ItemKind::button: refuse("a " + std::string(kind_name(item.kind)) + " has no value");
    case ItemKind::toggle:
        expect_count(words, 1);
        item.integer = parse_flag(args[0]) ? 1 : 0;
        return;
    case ItemKind::integer:
    case ItemKind::int_scale:
        expect_count(words, 1);
        item.integer = static_cast<int>(parse_integer(args[0], INT_MIN, INT_MAX));
        item.real = item.integer;
        return;
    case ItemKind::real:
    case ItemKind::real_scale:
        expect_count(words, 1);
        item.real = parse_real(args[0]);
        return;
    case ItemKind::string:
        expect_count(words, 1);
        check_text(args[0]);
        item.text = args[0];
        return;
    case ItemKind::text: item.lines = args; return;
    default: break;
    }
    item.chosen.clear();
    for (const std::string &word : args)
        item.chosen.push_back(static_cast<int>(parse_integer(word, 0, max_entries - 1)));
    std::sort(item.chosen.begin(), item.chosen.end());
    item.chosen.erase(std::unique(item.chosen.begin(), item.chosen.end()), item.chosen.end());
}

void parse_item_statement(DialogItem &item, const std::vector<std::string> &words)
{
    const std::string &key = words[0];
    if (key == "label") {
        expect_count(words, 1);
        item.label = words[1];
    } else if (key == "bitmap") {
        expect_count(words, 1);
        item.bitmap = words[1];
    } else if (key == "sensitive") {
        expect_count(words, 1);
        item.sensitive = parse_flag(words[1]);
    } else if (key == "visible") {
        expect_count(words, 1);
        item.visible = parse_flag(words[1]);
    } else if (key == "entries") {
        if (!has_entries(item.kind))
            refuse("a " + std::string(kind_name(item.kind)) + " has no entries");
        if (words.size() - 1 > max_entries)
            refuse("an item has at most 10000 entries");
        item.entries.assign(words.begin() + 1, words.end());
    } else if (key == "value") {
        parse_value(item, words);
    } else if (key == "multiple") {
        expect_count(words, 0);
        if (item.kind != ItemKind::list)
            refuse("only a list chooses several entries");
        item.multiple = true;
    } else if (key == "range" && is_scale(item.kind)) {
        expect_count(words, 2);
        item.minimum = parse_real(words[1]);
        item.maximum = parse_real(words[2]);
        if (item.kind == ItemKind::int_scale &&
            (item.minimum != std::trunc(item.minimum) || item.maximum != std::trunc(item.maximum)))
            refuse("an integer scale has a whole-number range");
    } else if (key == "decimals" && item.kind == ItemKind::real_scale) {
        expect_count(words, 1);
        item.decimals = static_cast<int>(parse_integer(words[1], 0, 15));
    } else if (key == "step" && item.kind == ItemKind::real_scale) {
        expect_count(words, 1);
        item.step = parse_real(words[1]);
        if (item.step <= 0)
            refuse("a step is positive");
    } else {
        refuse("\"" + key + "\" is not a statement of a " + kind_name(item.kind));
    }
}

void parse_dialog_statement(DialogState &state, const std::vector<std::string> &words)
{
    const std::string &key = words[0];
    if (key == "width") {
        expect_count(words, 1);
        state.width = static_cast<int>(parse_integer(words[1], 1, 10000));
    } else if (key == "navigation") {
        state.nav_shown.fill(false);
        for (std::size_t i = 1; i < words.size(); ++i) {
            auto it = std::find(nav_names.begin(), nav_names.end(), words[i]);
            if (it == nav_names.end())
                refuse("unknown navigation button \"" + words[i] + "\" (ok, apply, back, cancel)");
            state.nav_shown[static_cast<std::size_t>(it - nav_names.begin())] = true;
        }
    } else if (key == "pages") {
        if (words.size() < 2)
            refuse("\"pages\" names at least one page");
        state.pages.assign(words.begin() + 1, words.end());
    } else {
        refuse("\"" + key + "\" is not a statement of the dialog");
    }
}

// Checks what only the whole item can tell, and completes derived state.
void finish_item(DialogItem &item)
{
    std::string what = "item " + item.id + ": ";
    if (item.kind == ItemKind::tab && item.entries.empty())
        refuse(what + "a tab has at least one page");
    if (!item.chosen.empty() && item.chosen.back() >= static_cast<int>(item.entries.size()))
        refuse(what + "a chosen entry lies beyond the entries");
    if (item.chosen.size() > 1 && !item.multiple)
        refuse(what + "only a list with \"multiple\" chooses several entries");
    if (item.kind == ItemKind::tab && item.chosen.empty())
        item.chosen = {0};
    item.entry_sensitive.assign(item.entries.size(), true);
    if (is_scale(item.kind)) {
        if (item.minimum > item.maximum)
            refuse(what + "the range's minimum exceeds its maximum");
        double value = item.kind == ItemKind::int_scale ? item.integer : item.real;
        if (value < item.minimum || value > item.maximum)
            refuse(what + "the value lies outside the range");
    }
}

} // namespace

bool has_entries(ItemKind kind)
{
    switch (kind) {
    case ItemKind::list:
    case ItemKind::option:
    case ItemKind::radio:
    case ItemKind::palette:
    case ItemKind::tab: return true;
    default: return false;
    }
}

const char *kind_name(ItemKind kind)
{
    for (const KindName &k : kind_names)
        if (k.kind == kind)
            return k.name;
    return "item";
}

bool parse_dialog_definition(std::string_view text, DialogDefinition &definition, std::string &error)
{
    DialogDefinition out;
    bool have_title = false;
    std::size_t line_number = 0;
    try {
        if (text.size() > max_file_size)
            refuse("a dialog file has at most 1 MiB");
        std::size_t pos = 0;
        while (pos < text.size()) {
            ++line_number;
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            std::vector<std::string> words = split_words(text.substr(pos, end - pos));
            pos = end + 1;
            if (words.empty())
                continue;
            if (!have_title) {
                if (words[0] != "dialog")
                    refuse("a dialog file begins with \"dialog TITLE\"");
                expect_count(words, 1);
                out.state.title = words[1];
                have_title = true;
            } else if (words[0] == "item") {
                expect_count(words, 2);
                check_id(words[1]);
                for (const DialogItem &other : out.items)
                    if (other.id == words[1])
                        refuse("item id \"" + words[1] + "\" is used twice");
                if (!out.items.empty())
                    finish_item(out.items.back());
                DialogItem item;
                item.id = words[1];
                item.kind = parse_kind(words[2]);
                out.items.push_back(std::move(item));
            } else if (out.items.empty()) {
                parse_dialog_statement(out.state, words);
            } else {
                parse_item_statement(out.items.back(), words);
            }
        }
        if (!have_title)
            refuse("a dialog file begins with \"dialog TITLE\"");
        if (!out.items.empty())
            finish_item(out.items.back());
    } catch (const Refused &r) {
        error = line_number > 0 ? "line " + std::to_string(line_number) + ": " + r.reason : r.reason;
        return false;
    }
    definition = std::move(out);
    return true;
}

namespace {

struct DialogFilesState {
    std::vector<std::string> directories;
};

AreaState<DialogFilesState> dialog_files{"dialog files"};

bool is_regular_file(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// The local path of a host path, through the host's one mapping.
std::string local_of(const std::string &host_path)
{
    std::vector<char> local(host_path.size() + 1);
    if (HX_local_path(host_path.c_str(), local.data(), local.size()) != HX_OK)
        return {};
    return local.data();
}

} // namespace

void add_dialog_directory(const std::string &local_directory)
{
    dialog_files->directories.push_back(local_directory);
}

std::optional<std::string> find_dialog_file(const std::string &name)
{
    if (name.empty())
        return std::nullopt;
    if (name.find_first_of("/\\") != std::string::npos) {
        std::string local = local_of(name);
        return is_regular_file(local) ? std::optional(local) : std::nullopt;
    }
    std::vector<std::string> directories = dialog_files->directories;
    for (const char *variable : {"CAVORA_DIR", "STRIVO_DIR", "FULGO_DIR", "KRPRESDES_DIR"})
        if (auto value = lookup_env(variable); value && !value->empty())
            directories.push_back(local_of(*value) + "/application");
    for (const std::string &directory : directories) {
        std::string candidate = directory + "/" + name;
        if (is_regular_file(candidate))
            return candidate;
    }
    return std::nullopt;
}

int load_dialog_definition(const std::string &name, DialogDefinition &definition, std::string &error)
{
    auto path = find_dialog_file(name);
    if (!path) {
        error = "dialog file " + name + " not found";
        return HX_ERR_NOT_FOUND;
    }
    std::ifstream in(*path, std::ios::binary);
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > max_file_size) {
            error = name + ": a dialog file has at most 1 MiB";
            return HX_STYLER_ERR_DIALOG_FILE;
        }
    }
    if (in.bad()) {
        error = "dialog file " + name + " cannot be read";
        return HX_ERR_IO;
    }
    if (!parse_dialog_definition(text, definition, error)) {
        error = name + ": " + error;
        return HX_STYLER_ERR_DIALOG_FILE;
    }
    definition.state.file = name;
    return HX_OK;
}

} // namespace vexa::sim
