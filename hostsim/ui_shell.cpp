// The user-interface shell of the headless host (hx_ui_shell.h,
// vexahost/ui_shell.h): toolbars loaded from toolbar files, the menu
// buttons they define, host-internal toolbars and the resource palette.
//
// Toolbars, menu buttons and palette entries are objects of the object
// table. Invariants: a button belongs to exactly one live toolbar, which
// lists it; button names are unique among live buttons (a toolbar whose
// file defines a name already in use is refused whole); a palette file is
// on the resource palette at most once. Every change the user would see (a
// toolbar loaded, shown, hidden or removed, a palette added or taken off)
// goes to the journal as a shell entry.
#include "session_state.h"

#include "../src/host/hx_ui_shell.h"

#include "vexahost/text_files.h"

#include <algorithm>
#include <string>
#include <vector>

using vexa::sim::Entry;
using vexa::sim::host_call;
using vexa::sim::HostObject;
using vexa::sim::ObjectKind;
using vexa::sim::objects;
using vexa::sim::record;
using vexa::sim::tag_t;

namespace {

constexpr std::size_t max_shell_file = 1 << 20;

struct Toolbar : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::toolbar;
    std::string name;
    std::string title;
    std::string file; // host path; empty for a host-internal toolbar
    bool visible = false;
    bool internal = false;
    std::vector<tag_t> buttons;
};

struct MenuButton : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::menu_button;
    std::string name;
    std::string label;
    bool toggle = false;
    int state = HX_MB_TOGGLE_OFF;
    tag_t toolbar = 0;
};

struct PaletteEntry : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::palette;
    std::string file; // host path as added
    std::string title;
    std::size_t items = 0;
};

struct ShellState {
    std::vector<std::string> extra_directories;
};

vexa::sim::AreaState<ShellState> shell{"ui shell"};

MenuButton *button_named(const std::string &name)
{
    for (MenuButton *b : objects().all<MenuButton>())
        if (b->name == name)
            return b;
    return nullptr;
}

PaletteEntry *palette_of(const std::string &file)
{
    for (PaletteEntry *p : objects().all<PaletteEntry>())
        if (p->file == file)
            return p;
    return nullptr;
}

void note(const std::string &text)
{
    record(Entry::shell, 0, "", text);
}

// "<value>\application" of a kit variable, in the host's form.
std::string application_directory_of(std::string value)
{
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    for (char &c : value)
        if (c == '/')
            c = '\\';
    if (!value.empty() && value.back() != '\\')
        value += '\\';
    return value + "application";
}

bool has_separator(const std::string &path)
{
    return path.find_first_of("\\/") != std::string::npos;
}

// Creates a toolbar and its buttons from a parsed file. The caller has
// checked that no button name is in use.
Toolbar &build_toolbar(const vexa::sim::ToolbarFile &file, const std::string &path, bool internal,
                       bool visible)
{
    Toolbar &t = objects().create<Toolbar>();
    t.name = file.name;
    t.title = file.title;
    t.file = path;
    t.internal = internal;
    t.visible = visible;
    for (const auto &b : file.buttons) {
        MenuButton &button = objects().create<MenuButton>();
        button.name = b.name;
        button.label = b.label;
        button.toggle = b.toggle;
        button.toolbar = t.tag;
        t.buttons.push_back(button.tag);
    }
    return t;
}

bool names_free(const vexa::sim::ToolbarFile &file, std::string &taken)
{
    for (const auto &b : file.buttons)
        if (button_named(b.name)) {
            taken = b.name;
            return false;
        }
    return true;
}

void remove_toolbar_object(Toolbar &t)
{
    std::string name = t.name;
    for (tag_t b : t.buttons)
        objects().erase(b);
    objects().erase(t.tag);
    note("toolbar " + name + " removed");
}

void set_visible(Toolbar &t, bool visible)
{
    if (t.visible == visible)
        return;
    t.visible = visible;
    note("toolbar " + t.name + (visible ? " shown" : " hidden"));
}

// Reads and parses a shell file (toolbar or palette): HX_OK, or the status
// with the reason in the system log.
template <class File, class Parse>
int read_shell_file(const char *call, const std::string &path, File &file, Parse parse)
{
    std::string text;
    int status = vexa::sim::read_host_file(path, text, max_shell_file);
    if (status == HX_ERR_IO)
        record(Entry::syslog, 0, "", std::string(call) + ": " + path + ": cannot be read");
    if (status != HX_OK)
        return status;
    vexa::sim::TextFileError error;
    if (!parse(text, file, error)) {
        std::string where = error.line > 0 ? ": line " + std::to_string(error.line) : std::string();
        record(Entry::syslog, 0, "", std::string(call) + ": " + path + where + ": " + error.reason);
        return HX_ERR_BAD_FORMAT;
    }
    return HX_OK;
}

} // namespace

namespace vexa::sim {

std::vector<ToolbarInfo> toolbars()
{
    std::vector<ToolbarInfo> out;
    for (Toolbar *t : objects().all<Toolbar>()) {
        ToolbarInfo info{t->tag, t->name, t->title, t->file, t->visible, t->internal, {}};
        for (tag_t b : t->buttons)
            if (MenuButton *button = objects().find<MenuButton>(b))
                info.buttons.push_back({button->name, button->label, button->toggle,
                                        button->toggle && button->state == HX_MB_TOGGLE_ON});
        out.push_back(std::move(info));
    }
    return out;
}

tag_t create_internal_toolbar(const std::string &name, const std::vector<std::string> &buttons, bool visible)
{
    ToolbarFile file;
    file.name = name;
    file.title = name;
    for (const std::string &b : buttons)
        file.buttons.push_back({b, b, true});
    std::string taken;
    if (!names_free(file, taken))
        return 0;
    return build_toolbar(file, "", true, visible).tag;
}

int toggle_state(const std::string &button)
{
    MenuButton *b = button_named(button);
    return b ? b->state : 0;
}

bool press_toggle(const std::string &button)
{
    MenuButton *b = button_named(button);
    if (!b || !b->toggle)
        return false;
    b->state = b->state == HX_MB_TOGGLE_ON ? HX_MB_TOGGLE_OFF : HX_MB_TOGGLE_ON;
    return true;
}

std::vector<std::string> palette_entries()
{
    std::vector<std::string> out;
    for (PaletteEntry *p : objects().all<PaletteEntry>())
        out.push_back(p->file);
    return out;
}

void add_application_directory(const std::string &host_directory)
{
    shell->extra_directories.push_back(host_directory);
}

std::vector<std::string> application_directories()
{
    std::vector<std::string> dirs;
    for (const char *variable :
         {"CAVORA_DIR", "STRIVO_DIR", "FULGO_DIR", "KRPRESDES_DIR", "TOOLING_BASE_DIR"})
        if (auto value = lookup_env(variable))
            dirs.push_back(application_directory_of(*value));
    dirs.insert(dirs.end(), shell->extra_directories.begin(), shell->extra_directories.end());
    return dirs;
}

} // namespace vexa::sim

extern "C" {

// ---- Toolbars -------------------------------------------------------------------

HX_API int HX_UI_create_toolbar(const char *file, int mode, tag_t *toolbar)
{
    return host_call("HX_UI_create_toolbar", [&]() -> int {
        if (!toolbar)
            return HX_ERR_BAD_ARGUMENT;
        *toolbar = 0;
        if (!file || !*file || (mode != HX_UI_TOOLBAR_LOAD && mode != HX_UI_TOOLBAR_LOAD_AND_SHOW))
            return HX_ERR_BAD_ARGUMENT;
        std::vector<std::string> candidates;
        if (has_separator(file))
            candidates.emplace_back(file);
        else
            for (const std::string &dir : vexa::sim::application_directories())
                candidates.push_back(dir + (dir.empty() || dir.back() == '\\' ? "" : "\\") + file);
        for (const std::string &path : candidates) {
            vexa::sim::ToolbarFile parsed;
            int status = read_shell_file("HX_UI_create_toolbar", path, parsed, vexa::sim::parse_toolbar_file);
            if (status == HX_ERR_NOT_FOUND)
                continue;
            if (status != HX_OK)
                return status;
            std::string taken;
            if (!names_free(parsed, taken)) {
                record(Entry::syslog, 0, "",
                       "HX_UI_create_toolbar: " + path + ": button " + taken + " is already defined");
                return HX_ERR_BAD_ARGUMENT;
            }
            Toolbar &t = build_toolbar(parsed, path, false, false);
            note("toolbar " + t.name + " loaded from " + path);
            if (mode == HX_UI_TOOLBAR_LOAD_AND_SHOW)
                set_visible(t, true);
            *toolbar = t.tag;
            return HX_OK;
        }
        return HX_ERR_NOT_FOUND;
    });
}

HX_API int HX_UI_set_toolbar_vis(tag_t toolbar, int visible)
{
    return host_call("HX_UI_set_toolbar_vis", [&]() -> int {
        Toolbar *t = objects().find<Toolbar>(toolbar);
        if (!t)
            return HX_ERR_NOT_FOUND;
        set_visible(*t, visible != 0);
        return HX_OK;
    });
}

HX_API int HX_UI_remove_toolbar(tag_t toolbar)
{
    return host_call("HX_UI_remove_toolbar", [&]() -> int {
        Toolbar *t = objects().find<Toolbar>(toolbar);
        if (!t)
            return HX_ERR_NOT_FOUND;
        if (t->internal)
            return HX_ERR_BAD_ARGUMENT;
        remove_toolbar_object(*t);
        return HX_OK;
    });
}

HX_API int MT_hide_toolbar(tag_t toolbar)
{
    return host_call("MT_hide_toolbar", [&]() -> int {
        Toolbar *t = objects().find<Toolbar>(toolbar);
        if (!t)
            return HX_ERR_NOT_FOUND;
        set_visible(*t, false);
        return HX_OK;
    });
}

// ---- Menu buttons -------------------------------------------------------------

HX_API int HX_MB_ask_button_id(const char *name, tag_t *button)
{
    return host_call("HX_MB_ask_button_id", [&]() -> int {
        if (!name || !button)
            return HX_ERR_BAD_ARGUMENT;
        MenuButton *b = button_named(name);
        *button = b ? b->tag : 0;
        return HX_OK;
    });
}

HX_API int HX_MB_set_toggle_state(tag_t button, int state)
{
    return host_call("HX_MB_set_toggle_state", [&]() -> int {
        if (state != HX_MB_TOGGLE_OFF && state != HX_MB_TOGGLE_ON)
            return HX_ERR_BAD_ARGUMENT;
        MenuButton *b = objects().find<MenuButton>(button);
        if (!b)
            return HX_ERR_NOT_FOUND;
        if (!b->toggle)
            return HX_ERR_BAD_ARGUMENT;
        b->state = state;
        return HX_OK;
    });
}

HX_API int MB_is_defined_button(const char *name, int *defined)
{
    return host_call("MB_is_defined_button", [&]() -> int {
        if (!name || !defined)
            return HX_ERR_BAD_ARGUMENT;
        *defined = button_named(name) ? 1 : 0;
        return HX_OK;
    });
}

HX_API int MB_main_set_toggle_state(const char *name, int on)
{
    return host_call("MB_main_set_toggle_state", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        MenuButton *b = button_named(name);
        if (!b)
            return HX_ERR_NOT_FOUND;
        if (!b->toggle)
            return HX_ERR_BAD_ARGUMENT;
        b->state = on ? HX_MB_TOGGLE_ON : HX_MB_TOGGLE_OFF;
        return HX_OK;
    });
}

// ---- Resource palette ----------------------------------------------------------

HX_API int HX_CV_add_palette_entry(const char *palette_file)
{
    return host_call("HX_CV_add_palette_entry", [&]() -> int {
        if (!palette_file || !*palette_file)
            return HX_ERR_BAD_ARGUMENT;
        if (palette_of(palette_file))
            return HX_OK;
        vexa::sim::PaletteFile parsed;
        int status =
            read_shell_file("HX_CV_add_palette_entry", palette_file, parsed, vexa::sim::parse_palette_file);
        if (status != HX_OK)
            return status;
        PaletteEntry &p = objects().create<PaletteEntry>();
        p.file = palette_file;
        p.title = parsed.title;
        p.items = parsed.items.size();
        note("palette " + p.title + " added from " + p.file);
        return HX_OK;
    });
}

HX_API int HX_CV_delete_palette_entry(const char *palette_file)
{
    return host_call("HX_CV_delete_palette_entry", [&]() -> int {
        if (!palette_file)
            return HX_ERR_BAD_ARGUMENT;
        if (PaletteEntry *p = palette_of(palette_file)) {
            note("palette " + p->title + " taken off");
            objects().erase(p->tag);
        }
        return HX_OK;
    });
}

} // extern "C"
