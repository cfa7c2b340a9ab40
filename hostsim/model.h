// The headless host's part model as the host areas share it: parts loaded
// in the session with their expressions, model objects, features,
// reference sets, groups and components (instances); the occurrence trees
// built over them; the transforms between occurrences. Everything lives in
// the object table (object_table.h) and is copied by undo marks.
//
// Invariants:
// - A part lists the tags of its expressions, model objects (bodies, faces,
//   edges, coordinate systems, datums, reference sets, groups, features ...)
//   in creation order, its features in feature order and its instances in
//   creation order; every such object names its part.
// - Model objects and instances have a handle unique within their part
//   (never reused while the part is loaded); part files refer to objects by
//   handle, since tags last only a session.
// - A part's name is its full host name: a file path with '\' separators,
//   or the PDM command-line name of a managed part. An instance keeps its
//   child part's file name as stored: a bare file name is found in the
//   parent's directory.
// - Occurrences are created on demand and cached in their parent
//   occurrence: the root occurrence of every loaded part, a part occurrence
//   for every instance below it, an object occurrence for an object seen
//   through a part occurrence. The prototype of a part occurrence is the
//   loaded part of its instance's child name (none while that part is not
//   loaded). A part never contains itself: opening a file and adding a
//   component refuse cycles, and the tree stops where one would begin.
// - The parts area keeps the load order, the work and displayed part and
//   the work occurrence; a tag there is 0 or the tag of a live object.
#ifndef VEXAHOST_MODEL_H
#define VEXAHOST_MODEL_H

#include "object_table.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vexa::sim {

// A 4 x 4 transformation, row by row: rotation in rows and columns 0-2,
// translation in column 3, bottom row (0, 0, 0, 1).
using Matrix4 = std::array<double, 16>;
// A box: minimum x, y, z, maximum x, y, z.
using Box = std::array<double, 6>;

Matrix4 identity_matrix();
Matrix4 multiply(const Matrix4 &a, const Matrix4 &b);
// The inverse of a rigid transformation.
Matrix4 rigid_inverse(const Matrix4 &m);
// The transformation of a component placed at origin with its x and y axes
// (orientation: x axis, y axis) in its parent.
Matrix4 placement_matrix(const std::array<double, 3> &origin, const std::array<double, 6> &orientation);
// The axis-aligned box around a box transformed by m.
Box transform_box(const Box &box, const Matrix4 &m);

struct Part : ModelEntity<Part> {
    static constexpr ObjectKind object_kind = ObjectKind::part;
    std::string name;                 // full host name: a file path or a PDM name
    int units = 1;                    // 1 metric, 2 English
    std::vector<tag_t> expressions;   // in creation order
    std::vector<tag_t> model_objects; // bodies, faces, features ..., in creation order
    std::vector<tag_t> features;      // the features, in feature order
    std::vector<tag_t> instances;     // the components, in creation order
    bool fully_loaded = true;         // false: loaded partially; its features are not available
    bool modified = false;            // changed since it was loaded or saved
    int next_handle = 1;
    tag_t root_occurrence = 0; // created on demand
    tag_t wcs = 0;             // the working coordinate system, 0: the absolute one
};

struct Expression : ModelEntity<Expression> {
    static constexpr ObjectKind object_kind = ObjectKind::expression;
    tag_t part = 0;
    std::string name;
    std::string formula; // right-hand side; a number, names, part::name references, operators
    double value = 0.0;  // the value of the last evaluation
};

// The inter-part link of a linked feature: the source object by its part
// (file name as stored) and handle, and the transformation it is seen
// through (0: the source part's own coordinates).
struct Link {
    std::string part_file;
    int object_handle = 0;
    tag_t xform = 0;
};

struct ModelObject : ModelEntity<ModelObject> {
    static constexpr ObjectKind object_kind = ObjectKind::model_object;
    int type = 0;
    int subtype = 0;
    tag_t part = 0;
    int handle = 0;
    std::string name;
    int layer = 1;
    int colour = 0;
    bool highlighted = false;
    bool temporary = false; // not saved with the part (temporary csys, interference results)
    // Geometry by type: bodies, faces and edges a box (6 reals); coordinate
    // systems and datums a frame (origin, x axis, y axis: 9 reals); lines
    // their end points (6); points their position (3).
    std::vector<double> geometry;
    int body_type = 0; // bodies: 1 solid, 2 sheet
    tag_t body = 0;    // faces and edges: the body they bound
    // Features only: the feature type ("BLOCK", "SKETCH", "LINKED_BODY" ...),
    // its faces and bodies, suppression and the update fault a test set.
    std::string feature_type;
    std::vector<tag_t> faces;
    // An object occurrence held as an object of the assembly part (with a
    // name, layer, colour and highlight of its own): the object of the
    // component part it stands for; 0 for an object that is no occurrence.
    // Occurrence trees (below) answer the occurrences seen through
    // components; both kinds answer HX_ASSEM_is_occurrence.
    tag_t prototype = 0;
    std::vector<tag_t> bodies;
    bool suppressed = false;
    tag_t suppression_expression = 0;
    int update_fault = 0;
    std::optional<Link> link;
    // Reference sets and groups: their members (objects of the part, and for
    // reference sets also instances of the part's components).
    std::vector<tag_t> members;
};

// A component of a part: a child part placed in its parent.
struct Instance : ModelEntity<Instance> {
    static constexpr ObjectKind object_kind = ObjectKind::instance;
    tag_t parent = 0; // the part that holds the component
    int handle = 0;
    std::string part_file;     // the child part as stored
    std::string name;          // the component name
    std::string reference_set; // empty: none (the whole part)
    std::array<double, 3> origin{0, 0, 0};
    std::array<double, 6> orientation{1, 0, 0, 0, 1, 0};
    bool suppressed = false;
    tag_t suppression_expression = 0;
};

struct Occurrence : ModelEntity<Occurrence> {
    static constexpr ObjectKind object_kind = ObjectKind::occurrence;
    tag_t root_part = 0;                                  // the part whose occurrence tree holds it
    tag_t parent = 0;                                     // 0 for a root occurrence
    tag_t instance = 0;                                   // part occurrences below the root
    tag_t object = 0;                                     // object occurrences: the prototype object
    std::vector<std::pair<tag_t, tag_t>> part_children;   // instance -> occurrence
    std::vector<std::pair<tag_t, tag_t>> object_children; // object -> occurrence
};

// The transformation from one occurrence's context to another's, kept as
// the path between them (up from the target, then down through instances),
// so that it can be read again from any occurrence of its part.
struct Xform : ModelEntity<Xform> {
    static constexpr ObjectKind object_kind = ObjectKind::xform;
    tag_t part = 0; // the part that owns it
    int up = 0;
    std::vector<int> down;              // instance handles, one per level
    Matrix4 matrix = identity_matrix(); // source context into the owning part's context
};

// A clearance dataset of a part: objects to analyse and, after an analysis,
// the interferences found.
struct ClearanceSet : ModelEntity<ClearanceSet> {
    static constexpr ObjectKind object_kind = ObjectKind::clearance_set;
    tag_t part = 0;
    std::string name;
    int mode = 0;
    int list_type[2] = {-1, -1};
    std::vector<tag_t> lists[2];
    struct Interference {
        tag_t first = 0, second = 0;
        tag_t object = 0; // a temporary model object: a solid (type 70) or a touching contact
    };
    std::vector<Interference> results;
    bool analysed = false;
};

// ---- Parts area state -------------------------------------------------------

struct PartsState {
    std::vector<tag_t> load_order;
    tag_t work = 0;
    tag_t display = 0;
    tag_t work_occurrence = 0; // 0 while the work part is the displayed part
    bool display_on = true;
    std::string default_directory;
};
PartsState &parts_state();

// ---- Look-ups -----------------------------------------------------------------

// The loaded parts in load order.
std::vector<Part *> loaded_parts_in_order();
// Objects by tag; null for a tag of another kind.
Part *find_part(tag_t part);
ModelObject *find_model_object(tag_t object);
Expression *find_expression(tag_t expression);
Instance *find_instance(tag_t instance);
Occurrence *find_occurrence(tag_t occurrence);

// The loaded part of a name: the full name, or for a name without
// directory the first part in load order whose file name (with or without
// the part-file type) is that name. Null when none is loaded.
Part *loaded_part_named(const std::string &name);
// File name without directory, and without the ".prt" type.
std::string leaf_name(const std::string &full_name);
std::string short_name(const std::string &full_name);
// The directory of a full name (up to its last separator), or "".
std::string directory_of(const std::string &full_name);
// The full name of a part stored as `stored` by a part named `holder`.
std::string resolve_part_file(const std::string &holder, const std::string &stored);
// Do two full names name the same part ('\' and '/' alike)?
bool same_part_name(const std::string &a, const std::string &b);
// The local file of a part name: PDM names through the PDM's items, other
// names through the host's path mapping. HX_OK, or why there is none.
int local_file_of(const std::string &name, std::string &local);
// The part name a PDM name (command-line or encoded) is loaded under (its
// encoded form); the name itself for file names.
std::string loaded_name_of(const std::string &name);
bool is_pdm_name(const std::string &name);
// The part number of a PDM name; "" for other names.
std::string pdm_number_of(const std::string &name);
// A part's display name: number/revision for PDM parts, else the file name
// without directory and type.
std::string display_name_of(const std::string &name);
// For a PDM name (command-line or encoded): its command-line form and the
// local file of its item's master. HX_ERR_WRONG_TYPE for a name that is no
// PDM name; HX_ERR_PDM while the PDM manager is inactive; HX_ERR_NOT_FOUND
// for an item or revision the PDM does not hold.
int pdm_part_file(const std::string &name, std::string &cli, std::string &local);
// The PDM item of a name for the clone operation: a command-line or
// encoded name, or a bare part number at its last revision. False when the
// PDM is inactive or holds no master file for it.
bool pdm_clone_source(const std::string &name, std::string &number, std::string &local);
// Copies an item's master into a new item `number` (its type, the type's
// initial revision or "A"), its master file beside the source's, filed in
// the folder of `folder_path` ("user:folder...", else the default
// container, else the user's folder). The new item's command-line name in
// `cli`. HX_ERR_EXISTS when the number or file is taken, HX_ERR_BAD_ARGUMENT
// for a number the PDM cannot hold, HX_ERR_PDM when the store fails.
int pdm_clone_item(const std::string &source_number, const std::string &source_local,
                   const std::string &number, const std::string &folder_path, std::string &cli);
// Copies text into a buffer of capacity + 1 bytes; HX_ERR_TOO_LONG (and an
// empty buffer) when it does not fit.
int copy_out(const std::string &text, char *buffer, std::size_t capacity);
// Hands a list of tags to the caller in a host-allocated array.
int hand_out_tags(const std::vector<tag_t> &tags, int *count, tag_t **array);

// ---- Building ------------------------------------------------------------------

// A new, empty part at the end of the load order (the first becomes the
// work and displayed part).
Part &new_part(const std::string &name, int units);
// A new model object of the part with the next handle.
ModelObject &new_model_object(Part &part, int type, int subtype);
Instance &new_instance(Part &parent);
// Unloads a part and everything it holds.
void unload_part(tag_t part);
void mark_modified(tag_t part);
// The part an object belongs to (parts: themselves; occurrences: their
// tree's part); 0 for none.
tag_t owning_part_of(tag_t object);

// ---- Occurrences -----------------------------------------------------------------

tag_t root_occurrence_of(Part &part);
// Is the tag an occurrence: of a tree, or an object occurrence held as a
// model object?
bool is_occurrence(tag_t object);
// The part an occurrence stands for (0 when not loaded) and, for object
// occurrences, the object.
tag_t prototype_of(tag_t occurrence);
// The child part occurrences of an occurrence, in instance order.
std::vector<tag_t> child_occurrences(tag_t occurrence);
// Every occurrence of the part in the tree below (and including) `root`,
// pre-order.
std::vector<tag_t> occurrences_of_part_below(tag_t root, tag_t part);
// The occurrence of an object seen through a part occurrence.
tag_t object_occurrence(tag_t part_occurrence, tag_t object);
// Absolute transformation of an occurrence in its tree's part.
Matrix4 occurrence_transform(tag_t occurrence);
// Would the part, placed below `into`, contain itself?
bool would_cycle(const std::string &child_full_name, tag_t into);

// ---- Expressions -------------------------------------------------------------------

// Parses and evaluates a formula in a part; HX_OK with the value, or the
// failure status with a reason.
int evaluate_formula(tag_t part, const std::string &formula, double &value, std::string &reason,
                     const Expression *self = nullptr);
// Re-evaluates every expression of the loaded parts; the first failure.
int evaluate_all_expressions(std::string &reason);
bool valid_expression_name(const std::string &name);
// Is the formula well formed (whatever it names)?
bool formula_syntax_ok(const std::string &formula, std::string &reason);

// ---- Attributes ------------------------------------------------------------------

// The object that holds the attributes of a tag: a part occurrence its
// instance, a root or object occurrence its prototype, anything else
// itself. Null for an unknown tag.
HostObject *attribute_holder(tag_t object);

// ---- Components and reference sets ------------------------------------------------

// The instance of a component given as an instance or a part occurrence.
Instance *component_instance(tag_t component);
// The full name of an instance's child part, and that part when loaded.
std::string child_full_name(const Instance &instance);
Part *child_part(const Instance &instance);
// The reference set of that name in a part; null when none.
ModelObject *refset_named(const Part &part, const std::string &name);
// An object or component of a part as a reference-set member (objects as
// they are, instances and their part occurrences as the instance); 0 for
// anything not in the part.
tag_t member_of_part(const Part &part, tag_t tag);

// ---- Geometry ---------------------------------------------------------------------

// The box of an object in absolute coordinates (object occurrences
// through their part occurrence); false when it has none.
bool absolute_box(tag_t object, Box &box);

// Text of the statuses of the part model (1200-1299); empty for others.
std::string part_model_fail_text(int status);

} // namespace vexa::sim

#endif
