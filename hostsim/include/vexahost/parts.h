// The headless host's part model: parts loaded in the session (name, units,
// expressions), the work and displayed part, part files on disk, and the
// model objects of a part (bodies, faces, edges, coordinate systems,
// groups, features ...) with type, subtype, name, layer, colour, highlight
// and simple geometry (boxes and frames).
//
// Parts are held in the object table in load order. Tests and the CLI build
// a session's model with these calls; the library sees it only through the
// host interface. Part files are JSON documents (hostsim/PART_FILES.md).
#ifndef VEXAHOST_PARTS_H
#define VEXAHOST_PARTS_H

#include "vexahost/common.h"

#include <array>
#include <string>
#include <vector>

namespace vexa::sim {

// Part units as the host reports them.
constexpr int units_metric = 1;
constexpr int units_english = 2;
// Body types.
constexpr int body_solid = 1;
constexpr int body_sheet = 2;

// A box: minimum x, y, z, maximum x, y, z.
using Box = std::array<double, 6>;

// Loads a new, empty part named `name` (its full host name: a file path or a
// PDM name) with units 1 (metric) or 2 (English); it becomes the last part
// in load order. The first part created becomes the work and displayed part.
VEXAHOST_API tag_t create_part(const std::string &name, int units = units_metric);
// Set the work or displayed part as they are, without the host's rules
// (setting the displayed part leaves the work part alone).
VEXAHOST_API void set_work_part(tag_t part);
VEXAHOST_API void set_display_part(tag_t part);
VEXAHOST_API tag_t work_part();
VEXAHOST_API tag_t display_part();
// The loaded parts in load order.
VEXAHOST_API std::vector<tag_t> loaded_parts();
// A part's full name ("" for another tag).
VEXAHOST_API std::string part_name(tag_t part);
// Mark a part loaded partially (false) or fully (true).
VEXAHOST_API void set_fully_loaded(tag_t part, bool fully);

// ---- Part files ----------------------------------------------------------------

struct LoadFailure {
    std::string file; // full host name
    int status = 0;
    std::string reason; // what was wrong, for people
};
struct OpenResult {
    int status = 0; // 0, or why the part itself did not open
    tag_t part = 0;
    std::vector<LoadFailure> failures; // the part or components that did not load
};
// Opens a part file (host path) with its components, quietly, as
// HX_PART_open_quiet does.
VEXAHOST_API OpenResult open_part(const std::string &name);
// The same with the top part's document given as text (its components are
// read from their files); HX_ERR_EXISTS when a part of that name is loaded.
VEXAHOST_API OpenResult open_part_text(const std::string &name, const std::string &text);
// Saves a part to its own name, or under a new full name (which it takes).
// 0 or a host status; the file is written whole or not at all.
VEXAHOST_API int save_part(tag_t part);
VEXAHOST_API int save_part_as(tag_t part, const std::string &name);
// The JSON text a part is saved as.
VEXAHOST_API std::string part_file_text(tag_t part);
// Unloads a part (not its components).
VEXAHOST_API void close_part(tag_t part);

// ---- Expressions ---------------------------------------------------------------

// Creates the expression `name` in the part, or changes its value; returns
// its tag (0 when the part does not exist).
VEXAHOST_API tag_t set_expression(tag_t part, const std::string &name, double value);
// The same with a formula ("2*p0", "prod::SHRINK"); 0 when the formula
// cannot be evaluated.
VEXAHOST_API tag_t set_expression_formula(tag_t part, const std::string &name, const std::string &formula);

// ---- Model objects ---------------------------------------------------------------

// Creates a model object of the host's type and subtype in the part.
VEXAHOST_API tag_t create_object(tag_t part, int type, int subtype, const std::string &name = {});
// Creates, in the part (an assembly part), an occurrence of an object of a
// component part: a copy that stands for its prototype. 0 when either does
// not exist.
VEXAHOST_API tag_t create_occurrence(tag_t part, tag_t prototype);
// Creates a feature (object type 205) of the part: its feature type ("BLOCK",
// "SKETCH", "LINKED_BODY" ...), name and faces, appended to the part's
// feature order.
VEXAHOST_API tag_t create_feature(tag_t part, const std::string &feature_type, const std::string &name,
                                  const std::vector<tag_t> &faces = {});
// The bodies a feature makes.
VEXAHOST_API void set_feature_bodies(tag_t feature, const std::vector<tag_t> &bodies);
// Makes every later update fail at this feature with `status` (0: no more).
VEXAHOST_API void fail_feature_update(tag_t feature, int status);
// A solid (or sheet) body with its box in the part's coordinates.
VEXAHOST_API tag_t create_body(tag_t part, const Box &box, const std::string &name = {},
                               int body_type = body_solid);
// A face of a body, with its box.
VEXAHOST_API tag_t create_face(tag_t body, const Box &box, const std::string &name = {});
// A coordinate system: origin, x axis, y axis.
VEXAHOST_API tag_t create_csys(tag_t part, const std::array<double, 9> &frame, const std::string &name = {});
// A named group of objects of the part.
VEXAHOST_API tag_t create_group(tag_t part, const std::string &name, const std::vector<tag_t> &members);
// A feature "LINKED_BODY" of the part with its own body, linked to a body
// (of another part) seen through a transformation (0: none); the body
// takes the source's box at the next update.
VEXAHOST_API tag_t create_linked_body(tag_t part, tag_t source_body, tag_t xform = 0,
                                      const std::string &name = "Linked Body(1)");

struct ObjectInfo {
    int type = 0;
    int subtype = 0;
    tag_t part = 0;
    std::string name;
    int layer = 1;
    int colour = 0;
    bool highlighted = false;
    std::vector<double> geometry; // box, frame, end points or position by type
    bool suppressed = false;      // features
};
// What the host holds of a model object; false for any other tag.
VEXAHOST_API bool object_info(tag_t object, ObjectInfo &info);

} // namespace vexa::sim

#endif
