// Fuzzes the parsers of the headless host's kit files (toolbar, palette,
// translation, preference): any bytes are parsed by every form, which must
// either build a whole result or name a line and a reason, without a crash,
// an unbounded result or a half-built output.
#include "vexahost/text_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    vexa::sim::TextFileError error;

    vexa::sim::ToolbarFile toolbar;
    if (vexa::sim::parse_toolbar_file(text, toolbar, error)) {
        if (toolbar.name.empty() || toolbar.buttons.size() > 256)
            std::abort();
    } else if (error.reason.empty() || !toolbar.name.empty()) {
        std::abort();
    }
    vexa::sim::PaletteFile palette;
    if (!vexa::sim::parse_palette_file(text, palette, error) &&
        (error.reason.empty() || !palette.items.empty()))
        std::abort();
    vexa::sim::Translations translations;
    if (!vexa::sim::parse_translation_file(text, translations, error) &&
        (error.reason.empty() || !translations.empty()))
        std::abort();
    std::vector<vexa::sim::PreferenceEntry> entries;
    if (vexa::sim::parse_preference_file(text, entries, error)) {
        for (const auto &e : entries)
            if (e.key.empty() || (e.type == vexa::sim::PreferenceType::list && e.list.empty()))
                std::abort();
    } else if (error.reason.empty() || !entries.empty()) {
        std::abort();
    }
    return 0;
}
