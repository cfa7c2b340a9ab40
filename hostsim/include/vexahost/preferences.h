// The headless host's preference store (the site's customer defaults):
// typed values by key, set directly by tests or loaded from a file of
// NAME=VALUE lines (the form is described in vexahost/text_files.h). The
// host answers PMAN_ask_* from it; a reset empties it.
#ifndef VEXAHOST_PREFERENCES_H
#define VEXAHOST_PREFERENCES_H

#include "vexahost/common.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vexa::sim {

enum class PreferenceType { string, integer, real, logical, list };

// Setting a key replaces what it held.
VEXAHOST_API void set_string_preference(const std::string &key, const std::string &value);
VEXAHOST_API void set_int_preference(const std::string &key, int value);
VEXAHOST_API void set_real_preference(const std::string &key, double value);
VEXAHOST_API void set_logical_preference(const std::string &key, bool value);
VEXAHOST_API void set_list_preference(const std::string &key, const std::vector<std::string> &values);
// Sets a key from its text as a preference file writes it (typed by the
// same rules: integer, real, logical, list when it holds ',', a quoted
// text, else a string). False, with nothing changed, for a key or value a
// preference file could not hold.
VEXAHOST_API bool set_preference_text(const std::string &key, const std::string &value);
VEXAHOST_API void remove_preference(const std::string &key);
VEXAHOST_API std::size_t preference_count();

struct PreferenceLoad {
    bool ok = true;
    int line = 0;      // the line at fault, 0 when the file could not be read
    std::string error; // what is wrong
    explicit operator bool() const { return ok; }
};
// Loads a preference file (a local path) into the store, whole or not at
// all: its keys replace what the store held under them.
VEXAHOST_API PreferenceLoad load_preferences(const std::string &local_path);

} // namespace vexa::sim

#endif
