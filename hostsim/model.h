// The headless host's part model as the host areas share it: parts loaded
// in the session, their expressions and their model objects, all held in
// the object table (object_table.h).
//
// Invariants: a part lists the tags of its expressions, model objects and
// features (features in feature order); every such object names its part.
// The parts area keeps the load order and the work and displayed part; a
// tag there is 0 or the tag of a live part.
#ifndef VEXAHOST_MODEL_H
#define VEXAHOST_MODEL_H

#include "object_table.h"

#include <array>
#include <string>
#include <vector>

namespace vexa::sim {

struct Part : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::part;
    std::string name;                 // full host name: a file path or a PDM name
    int units = 1;                    // 1 metric, 2 English
    std::vector<tag_t> expressions;   // in creation order
    std::vector<tag_t> model_objects; // bodies, faces, features ..., in creation order
    std::vector<tag_t> features;      // the features, in feature order
};

struct Expression : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::expression;
    tag_t part = 0;
    std::string name;
    double value = 0.0;
};

struct ModelObject : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::model_object;
    int type = 0;
    int subtype = 0;
    tag_t part = 0;
    std::string name;
    int layer = 1;
    int colour = 0;
    bool highlighted = false;
    // Features only: the feature type ("BLOCK", "SKETCH" ...) and its faces.
    std::string feature_type;
    std::vector<tag_t> faces;
    // An occurrence (an object seen in an assembly part): the object of the
    // component part it stands for; 0 for an object that is no occurrence.
    tag_t prototype = 0;
    // Points only: the position, in absolute coordinates.
    std::array<double, 3> position{};
};

// The loaded parts in load order.
std::vector<Part *> loaded_parts_in_order();
// A part or a model object by tag; null for any other tag.
Part *find_part(tag_t part);
ModelObject *find_model_object(tag_t object);
// Creates a model object of the part (0 when the part does not exist).
ModelObject *new_model_object(tag_t part, int type, int subtype, const std::string &name);
// Deletes a model object with its place in its part's lists; false when
// there is no such object.
bool delete_model_object(tag_t object);

} // namespace vexa::sim

#endif
