// cvstv app: switches the tooling applications on and off in a headless
// session, as their toggle buttons do, and prints what the host shows
// afterwards: toolbars with their buttons, the resource palette, companion
// libraries loaded, translation files, messages and log lines.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/application.h"
#include "cvstvshare/startup.h"

#include "vexahost/session.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace cvstv_cli {

namespace {

const char *const usage = "usage: cvstv [--kit DIR] [--defaults FILE] app [--json] [--delayed] [--pdm] "
                          "ACTION APP [ACTION APP ...]\n"
                          "\n"
                          "Switches tooling applications on and off in one headless session, as their\n"
                          "toggle buttons do, and prints what the host then shows: the toolbars and\n"
                          "their buttons (toggle buttons with their state), the drafting palettes on\n"
                          "the resource palette, the companion libraries loaded, the translation files,\n"
                          "and the messages and log lines of the session.\n"
                          "\n"
                          "ACTION is on, off or toggle; APP is cavora, strivo or fulgo. \"on\" toggles\n"
                          "only an application that is off, \"off\" only one that is on. After an\n"
                          "application is switched on, its wizard type becomes the current one and its\n"
                          "translation file is loaded, as the application itself does.\n"
                          "\n"
                          "  --json      print one JSON object instead\n"
                          "  --delayed   start with inter-part updates delayed (Cavora asks to end the\n"
                          "              delay; the answer is the default button)\n"
                          "  --pdm       start with the PDM manager active (no drafting palettes)\n"
                          "\n"
                          "Example: cvstv app on cavora on strivo off cavora\n";

struct Application {
    const char *name;
    int wizard_type;
    const char *toolbar_file;
    void (*toggle)();
};

const Application applications[] = {
    {"cavora", 1, "kr_cavora.tbr", CV_toggle_button_action},
    {"strivo", 2, "kr_strivo.tbr", STV_toggle_button_action},
    {"fulgo", 4, "kr_fulgo.tbr", FG_toggle_button_action},
};

const Application *application_named(const std::string &name)
{
    for (const Application &a : applications)
        if (name == a.name)
            return &a;
    return nullptr;
}

std::string file_name(const std::string &host_path)
{
    return std::filesystem::path(vexa::sim::local_path(host_path)).filename().string();
}

// An application is on while its toolbar, loaded from its file, exists.
bool is_on(const Application &a)
{
    for (const auto &t : vexa::sim::toolbars())
        if (!t.internal && file_name(t.file) == a.toolbar_file)
            return true;
    return false;
}

struct Step {
    std::string action;
    std::string application;
    bool on = false;
};

const char *entry_kind(vexa::sim::Entry kind)
{
    using vexa::sim::Entry;
    switch (kind) {
    case Entry::message_box: return "message";
    case Entry::message_dialog:
    case Entry::user_message: return "dialog";
    case Entry::syslog: return "system log";
    case Entry::tooling_log: return "tooling log";
    case Entry::cue: return "prompt";
    case Entry::status: return "status";
    default: return nullptr;
    }
}

void print_text(const std::vector<Step> &steps)
{
    for (const Step &s : steps)
        std::printf("%s %s: %s\n", s.action.c_str(), s.application.c_str(), s.on ? "on" : "off");
    std::printf("toolbars:\n");
    for (const auto &t : vexa::sim::toolbars()) {
        std::printf("  %s \"%s\"%s%s, %s\n", t.name.c_str(), t.title.c_str(), t.file.empty() ? "" : " from ",
                    vexa::sim::local_path(t.file).c_str(), t.visible ? "shown" : "hidden");
        for (const auto &b : t.buttons)
            std::printf("    %s \"%s\"%s\n", b.name.c_str(), b.label.c_str(),
                        b.toggle ? (b.on ? " [on]" : " [off]") : "");
    }
    std::printf("palettes:\n");
    for (const std::string &p : vexa::sim::palette_entries())
        std::printf("  %s\n", vexa::sim::local_path(p).c_str());
    std::printf("companion libraries:\n");
    for (const auto &l : vexa::sim::loaded_libraries())
        std::printf("  %s (%s)\n", vexa::sim::local_path(l.path).c_str(), l.entry.c_str());
    std::printf("translation files:\n");
    for (const std::string &f : vexa::sim::translation_files())
        std::printf("  %s\n", vexa::sim::local_path(f).c_str());
    std::printf("messages and log:\n");
    for (const auto &e : vexa::sim::journal())
        if (const char *kind = entry_kind(e.kind))
            std::printf("  %s: %s%s%s\n", kind, e.title.empty() ? "" : (e.title + ": ").c_str(),
                        e.text.c_str(), e.answer.empty() ? "" : (" -> " + e.answer).c_str());
}

void print_json(const std::vector<Step> &steps)
{
    std::string out = "{\"steps\": [";
    for (std::size_t i = 0; i < steps.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"action\": " + json_string(steps[i].action) +
               ", \"application\": " + json_string(steps[i].application) +
               ", \"state\": " + json_string(steps[i].on ? "on" : "off") + "}";
    out += "], \"toolbars\": [";
    auto bars = vexa::sim::toolbars();
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const auto &t = bars[i];
        out += std::string(i ? ", " : "") + "{\"name\": " + json_string(t.name) +
               ", \"title\": " + json_string(t.title) +
               ", \"file\": " + (t.file.empty() ? "null" : json_string(vexa::sim::local_path(t.file))) +
               ", \"visible\": " + (t.visible ? "true" : "false") + ", \"buttons\": [";
        for (std::size_t j = 0; j < t.buttons.size(); ++j) {
            const auto &b = t.buttons[j];
            out += std::string(j ? ", " : "") + "{\"name\": " + json_string(b.name) +
                   ", \"label\": " + json_string(b.label) +
                   ", \"toggle\": " + (b.toggle ? (b.on ? "\"on\"" : "\"off\"") : "null") + "}";
        }
        out += "]}";
    }
    auto list = [&](const char *key, const std::vector<std::string> &items) {
        out += std::string("], \"") + key + "\": [";
        for (std::size_t i = 0; i < items.size(); ++i)
            out += (i ? ", " : "") + json_string(vexa::sim::local_path(items[i]));
    };
    list("palettes", vexa::sim::palette_entries());
    out += "], \"libraries\": [";
    auto libs = vexa::sim::loaded_libraries();
    for (std::size_t i = 0; i < libs.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"path\": " + json_string(vexa::sim::local_path(libs[i].path)) +
               ", \"entry\": " + json_string(libs[i].entry) + "}";
    list("translation_files", vexa::sim::translation_files());
    out += "], \"messages\": [";
    bool first = true;
    for (const auto &e : vexa::sim::journal())
        if (const char *kind = entry_kind(e.kind)) {
            out += std::string(first ? "" : ", ") + "{\"kind\": " + json_string(kind) +
                   ", \"title\": " + json_string(e.title) + ", \"text\": " + json_string(e.text) +
                   ", \"answer\": " + json_string(e.answer) + "}";
            first = false;
        }
    out += "]}";
    std::printf("%s\n", out.c_str());
}

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"json", false}, {"delayed", false}, {"pdm", false}});
    if (!parsed.error.empty())
        return fail("app", parsed.error);
    const auto &words = parsed.positional;
    if (words.empty() || words.size() % 2 != 0)
        return fail("app", "expected ACTION APP pairs (see cvstv app --help)");
    for (std::size_t i = 0; i < words.size(); i += 2) {
        if (words[i] != "on" && words[i] != "off" && words[i] != "toggle")
            return fail("app", "unknown action '" + words[i] + "' (on, off or toggle)");
        if (!application_named(words[i + 1]))
            return fail("app", "unknown application '" + words[i + 1] + "' (cavora, strivo or fulgo)");
    }
    vexa::sim::set_session_delayed(parsed.has("delayed"));
    vexa::sim::set_pdm_active(parsed.has("pdm"));

    std::vector<Step> steps;
    int status = 0;
    for (std::size_t i = 0; i < words.size(); i += 2) {
        const std::string &action = words[i];
        const Application &a = *application_named(words[i + 1]);
        bool was_on = is_on(a);
        if (action == "toggle" || (action == "on") != was_on)
            a.toggle();
        bool on = is_on(a);
        if (on && !was_on) {
            CVSTWSHARE_set_wizard_type(a.wizard_type);
            CVSTVSHARE_load_localization_library(a.wizard_type);
        }
        if ((action == "on" && !on) || (action == "off" && on))
            status = 1; // the switch did not take: the messages say why
        steps.push_back({action, a.name, on});
    }
    if (parsed.has("json"))
        print_json(steps);
    else
        print_text(steps);
    return status;
}

} // namespace

const Command app_command = {
    "app", "switch applications on and off and show the host's toolbars and palettes", usage, run};

} // namespace cvstv_cli
