// The small text forms in which the headless host reads the kits' toolbar
// files (".tbr"), palette files (".pax") and message-translation files
// (".lng"), and in which the command-line front end gives it the site's
// customer defaults. The parsers are exposed for tests and fuzzing.
//
// Common to all four: UTF-8 or plain 8-bit text, lines ended by LF (a CR
// before it is dropped), at most 4096 bytes a line and 1 MiB a file; blank
// lines and lines whose first non-blank character is '#' are ignored; a NUL
// byte anywhere refuses the file. A quoted text is written in double quotes
// with the escapes \" \\ \n and \t; a word is a run of letters, digits and
// '_' (and '.', '-' where noted).
//
// Toolbar file:
//     TOOLBAR <word> "<title>"
//     BUTTON <word> "<label>" [TOGGLE]
// The TOOLBAR line comes first, once; then up to 256 BUTTON lines with
// names unique in the file (words of at most 64 characters).
//
// Palette file:
//     PALETTE "<title>"
//     ITEM "<label>" "<file>"
// The PALETTE line comes first, once; then up to 1000 ITEM lines.
//
// Translation file:
//     "<text>" = "<translation>"
// one line per text; a text (not empty) is given once.
//
// Preference file:
//     NAME=VALUE
// NAME is a word of at most 128 characters, given once; blanks around NAME
// and VALUE are dropped. VALUE is a quoted text (a string), or else read as
// an integer ("26", "-3"), a real ("0.01", "1e-5"), a logical ("true",
// "false", "yes", "no", "on", "off", any case), a list when it holds ','
// (entries split at ',' with blanks around them dropped; none may be empty),
// or else a string as written (possibly empty).
#ifndef VEXAHOST_TEXT_FILES_H
#define VEXAHOST_TEXT_FILES_H

#include "vexahost/common.h"
#include "vexahost/preferences.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexa::sim {

struct TextFileError {
    int line = 0; // 0: the file as a whole
    std::string reason;
};

struct ToolbarFile {
    struct Button {
        std::string name;
        std::string label;
        bool toggle = false;
    };
    std::string name;
    std::string title;
    std::vector<Button> buttons;
};

struct PaletteFile {
    struct Item {
        std::string label;
        std::string file;
    };
    std::string title;
    std::vector<Item> items;
};

using Translations = std::vector<std::pair<std::string, std::string>>;

struct PreferenceEntry {
    std::string key;
    PreferenceType type = PreferenceType::string;
    std::string text;              // the value as written (a list: its entries joined with ",")
    std::vector<std::string> list; // lists only
};

VEXAHOST_API bool parse_toolbar_file(std::string_view text, ToolbarFile &file, TextFileError &error);
VEXAHOST_API bool parse_palette_file(std::string_view text, PaletteFile &file, TextFileError &error);
VEXAHOST_API bool parse_translation_file(std::string_view text, Translations &translations,
                                         TextFileError &error);
VEXAHOST_API bool parse_preference_file(std::string_view text, std::vector<PreferenceEntry> &entries,
                                        TextFileError &error);

} // namespace vexa::sim

#endif
