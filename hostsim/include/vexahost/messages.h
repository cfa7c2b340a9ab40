// Messages of the headless host: the translation table of HX_TEXT and the
// listing window.
#ifndef VEXAHOST_MESSAGES_H
#define VEXAHOST_MESSAGES_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

// HX_TEXT answers `translated` for `text`.
VEXAHOST_API void set_translation(const std::string &text, const std::string &translated);

// The translation files loaded (NLM_load_translation_file), host paths in
// load order.
VEXAHOST_API std::vector<std::string> translation_files();

// Listing window.
VEXAHOST_API bool listing_open();
VEXAHOST_API void set_listing_open(bool open);
// Everything written to the listing window since the last reset.
VEXAHOST_API std::string listing_text();

} // namespace vexa::sim

#endif
