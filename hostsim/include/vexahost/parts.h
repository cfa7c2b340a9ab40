// The headless host's part model, as far as it is built: parts loaded in
// the session (name, units, expressions), the work and displayed part, and
// the model objects of a part (bodies, faces, edges, features ...) with
// type, subtype, name, layer, colour and highlight.
//
// Parts are held in the object table in load order. Tests and the CLI build
// a session's model with these calls; the library sees it only through the
// host interface.
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

// Loads a new, empty part named `name` (its full host name: a file path or a
// PDM name) with units 1 (metric) or 2 (English); it becomes the last part
// in load order. The first part created becomes the work and displayed part.
VEXAHOST_API tag_t create_part(const std::string &name, int units = units_metric);
VEXAHOST_API void set_work_part(tag_t part);
VEXAHOST_API void set_display_part(tag_t part);
VEXAHOST_API tag_t work_part();
VEXAHOST_API tag_t display_part();
// The loaded parts in load order.
VEXAHOST_API std::vector<tag_t> loaded_parts();

// Creates the expression `name` in the part, or changes its value; returns
// its tag (0 when the part does not exist).
VEXAHOST_API tag_t set_expression(tag_t part, const std::string &name, double value);

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

struct ObjectInfo {
    int type = 0;
    int subtype = 0;
    tag_t part = 0;
    std::string name;
    int layer = 1;
    int colour = 0;
    bool highlighted = false;
    tag_t prototype = 0;              // the object an occurrence stands for
    std::array<double, 3> position{}; // points: the position
};
// What the host holds of a model object; false for any other tag.
VEXAHOST_API bool object_info(tag_t object, ObjectInfo &info);

} // namespace vexa::sim

#endif
