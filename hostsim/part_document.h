// The part document: a part file's content in memory, read from its JSON
// text member by member (every member, kind, range and reference checked),
// loaded into the session, and written back as JSON text in the host's one
// form (hostsim/PART_FILES.md). Files are read and written in part_files.cpp.
#ifndef VEXAHOST_PART_DOCUMENT_H
#define VEXAHOST_PART_DOCUMENT_H

#include "model.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sim {

// Largest part file read.
constexpr std::size_t max_part_file_size = 64u << 20;

struct AttrDoc {
    Attribute value;
    int reference_id = 0; // reference values: the object's id in the file
};
struct ObjectDoc {
    int id = 0, type = 0, subtype = 0;
    std::string name;
    int layer = 1, colour = 0;
    std::vector<double> geometry;
    int body_type = 0;
    int body = 0;
    std::vector<AttrDoc> attributes;
};
struct XformDoc {
    int up = 0;
    std::vector<int> down;
    Matrix4 matrix{};
};
struct LinkDoc {
    std::string part;
    int object = 0;
    std::optional<XformDoc> xform;
};
struct FeatureDoc {
    int id = 0;
    std::string type, name;
    int layer = 1;
    std::vector<int> bodies, faces;
    bool suppressed = false;
    std::string suppression_expression;
    std::optional<LinkDoc> link;
    std::vector<AttrDoc> attributes;
};
struct SetDoc { // reference sets and groups
    int id = 0;
    std::string name;
    std::vector<int> members;
    std::vector<AttrDoc> attributes;
};
struct ComponentDoc {
    int id = 0;
    std::string part, name, reference_set;
    std::array<double, 3> origin{0, 0, 0};
    std::array<double, 6> orientation{1, 0, 0, 0, 1, 0};
    bool suppressed = false;
    std::string suppression_expression;
    std::vector<AttrDoc> attributes;
};
struct ExpressionDoc {
    std::string name, formula;
    double value = 0.0;
};
struct PartDoc {
    int units = 1;
    std::vector<AttrDoc> attributes;
    std::vector<ExpressionDoc> expressions;
    std::vector<ObjectDoc> objects;
    std::vector<FeatureDoc> features;
    std::vector<SetDoc> reference_sets, groups;
    std::vector<ComponentDoc> components;
};

// Geometry kept for an object type: the member name and number of reals.
// Why a document was refused: HX_ERR_PART_FILE or HX_ERR_PART_VERSION.
struct PartFileRefused : std::runtime_error {
    int status;
    PartFileRefused(int s, const std::string &why) : std::runtime_error(why), status(s) {}
};

// The document of a part file's text; throws PartFileRefused.
PartDoc parse_part_document(std::string_view text);
// Loads a document as a new part of that name (fully or partially).
tag_t commit_part_document(const std::string &name, const PartDoc &doc, bool fully);
// The JSON text of a part.
std::string part_document(const Part &part);

} // namespace vexa::sim

#endif
