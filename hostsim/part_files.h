// Part files of the headless host: reading and writing the JSON documents
// described in hostsim/PART_FILES.md, opening a part with its components
// (all or nothing), saving whole files atomically.
#ifndef VEXAHOST_PART_FILES_H
#define VEXAHOST_PART_FILES_H

#include "model.h"

#include "vexahost/parts.h"

#include "../src/host/hx_assem.h"
#include "../src/host/hx_attr.h"
#include "../src/host/hx_parts.h"

#include <string>
#include <vector>

namespace vexa::sim {

// Opens a part (file or PDM name) with its components as the load options
// say; quiet shows nothing. `status` is filled for the caller (its arrays
// host-allocated). `text`, when given, is the top part's document instead
// of its file.
int open_part_file(const std::string &name, bool quiet, tag_t &part, HX_PART_load_status_t &status,
                   const std::string *text = nullptr);
// The failures of the last open, with reasons (for the setup API).
const std::vector<LoadFailure> &last_load_failures();
// Writes a part to the file of `name` (its own name or a new one), whole
// or not at all.
int write_part_file(const Part &part, const std::string &name);
// The attributes stored in a part file, read without loading it.
int read_file_attributes(const std::string &name, std::vector<HX_ATTR_part_attr_t> &out);

const ASSY_assy_options_t &load_options();
// Frees what a load status holds and empties it.
void free_load_status(HX_PART_load_status_t &status);
// Fills the caller's load status (arrays from the host allocator); false
// when the allocator refuses, with nothing allocated.
bool fill_load_status(int failed, const std::vector<LoadFailure> &failures, HX_PART_load_status_t &status);

} // namespace vexa::sim

#endif
