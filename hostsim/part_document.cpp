// The part document (part_document.h): JSON text read with nlohmann-json
// and checked member by member before anything is loaded, the document
// loaded into the session's object table, and a part written back in the
// one form the host writes (members in a fixed order, defaults left out).
#include "part_document.h"
#include "session_state.h"

#include "../src/host/hx_assem.h"
#include "../src/host/hx_attr.h"
#include "../src/host/hx_objects.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <map>
#include <set>

using vexa::sim::AttrDoc;
using vexa::sim::Attribute;
using vexa::sim::ComponentDoc;
using vexa::sim::Expression;
using vexa::sim::ExpressionDoc;
using vexa::sim::FeatureDoc;
using vexa::sim::Instance;
using vexa::sim::LinkDoc;
using vexa::sim::ModelObject;
using vexa::sim::ObjectDoc;
using vexa::sim::Part;
using vexa::sim::PartDoc;
using vexa::sim::PartFileRefused;
using vexa::sim::SetDoc;
using vexa::sim::tag_t;
using vexa::sim::Xform;
using vexa::sim::XformDoc;
using json = nlohmann::ordered_json;

namespace {

constexpr const char *format_name = "vexa-part";
constexpr int format_version = 1;
constexpr int max_nesting = 16;
constexpr std::size_t max_entries = 1u << 20; // entries of any one array
constexpr std::size_t formula_size = 1024;
constexpr std::size_t max_path_depth = 64; // steps of a transformation's path

// Geometry kept for an object type: the member name and number of reals.
struct GeometryForm {
    const char *key;
    std::size_t size;
};
GeometryForm geometry_form(int type)
{
    switch (type) {
    case HX_TYPE_SOLID: return {"box", 6};
    case HX_TYPE_CSYS:
    case HX_TYPE_DATUM_AXIS:
    case HX_TYPE_DATUM_PLANE: return {"frame", 9};
    case HX_TYPE_LINE: return {"ends", 6};
    case HX_TYPE_POINT: return {"position", 3};
    default: return {nullptr, 0};
    }
}

const char *attribute_type_name(int type)
{
    switch (type) {
    case vexa::sim::attr_integer: return "integer";
    case vexa::sim::attr_real: return "real";
    case vexa::sim::attr_time: return "time";
    case vexa::sim::attr_reference: return "reference";
    default: return "string";
    }
}

// ---- Reading ----------------------------------------------------------------------

[[noreturn]] void refuse(const std::string &why, int status = HX_ERR_PART_FILE)
{
    throw PartFileRefused(status, why);
}

// Deepest nesting of arrays and objects, counted without parsing (strings
// skipped), so that no deep document reaches the parser.
int nesting_depth(std::string_view text)
{
    int depth = 0, deepest = 0;
    bool in_string = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (in_string) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

class Reader {
  public:
    explicit Reader(std::string where) : where_(std::move(where)) {}

    void only(const json &o, std::initializer_list<const char *> keys) const
    {
        if (!o.is_object())
            refuse(where_ + " is not an object");
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool known = false;
            for (const char *k : keys)
                known = known || it.key() == k;
            if (!known)
                refuse(where_ + " has an unknown member \"" + it.key() + "\"");
        }
    }
    const json *find(const json &o, const char *key) const
    {
        auto it = o.find(key);
        return it == o.end() ? nullptr : &*it;
    }
    const json &need(const json &o, const char *key) const
    {
        const json *v = find(o, key);
        if (!v)
            refuse(where_ + " lacks \"" + key + "\"");
        return *v;
    }
    std::string text(const json &o, const char *key, std::size_t max, bool required = false) const
    {
        const json *v = required ? &need(o, key) : find(o, key);
        if (!v)
            return {};
        if (!v->is_string())
            refuse(where_ + ": \"" + key + "\" is not a string");
        const auto &s = v->get_ref<const std::string &>();
        if (s.size() > max)
            refuse(where_ + ": \"" + key + "\" is longer than " + std::to_string(max) + " characters");
        return s;
    }
    long long whole(const json &v, const char *what, long long lo, long long hi) const
    {
        if (!v.is_number_integer())
            refuse(where_ + ": " + what + " is not a whole number");
        long long n =
            v.is_number_unsigned() && v.get<unsigned long long>() > static_cast<unsigned long long>(hi)
                ? hi + 1
                : v.get<long long>();
        if (n < lo || n > hi)
            refuse(where_ + ": " + what + " is out of range");
        return n;
    }
    int whole(const json &o, const char *key, int lo, int hi, int fallback) const
    {
        const json *v = find(o, key);
        return v ? static_cast<int>(whole(*v, key, lo, hi)) : fallback;
    }
    double real(const json &v, const char *what) const
    {
        if (!v.is_number())
            refuse(where_ + ": " + what + " is not a number");
        double d = v.get<double>();
        if (!std::isfinite(d))
            refuse(where_ + ": " + what + " is not finite");
        return d;
    }
    std::vector<double> reals(const json &v, const char *what, std::size_t size) const
    {
        if (!v.is_array() || v.size() != size)
            refuse(where_ + ": " + what + " is not " + std::to_string(size) + " numbers");
        std::vector<double> out;
        for (const json &e : v)
            out.push_back(real(e, what));
        return out;
    }
    bool flag(const json &o, const char *key) const
    {
        const json *v = find(o, key);
        if (!v)
            return false;
        if (!v->is_boolean())
            refuse(where_ + ": \"" + key + "\" is not true or false");
        return v->get<bool>();
    }
    const json &array(const json &o, const char *key) const
    {
        static const json empty = json::array();
        const json *v = find(o, key);
        if (!v)
            return empty;
        if (!v->is_array())
            refuse(where_ + ": \"" + key + "\" is not an array");
        if (v->size() > max_entries)
            refuse(where_ + ": \"" + key + "\" has too many entries");
        return *v;
    }
    std::vector<int> ids(const json &o, const char *key) const
    {
        std::vector<int> out;
        for (const json &e : array(o, key))
            out.push_back(static_cast<int>(whole(e, key, 1, std::numeric_limits<int>::max())));
        return out;
    }
    Reader at(const std::string &what) const { return Reader(where_ + " " + what); }

  private:
    std::string where_;
};

std::vector<AttrDoc> read_attributes(const Reader &r, const json &holder)
{
    std::vector<AttrDoc> out;
    std::set<std::string> titles;
    std::size_t n = 0;
    for (const json &a : r.array(holder, "attributes")) {
        Reader ra = r.at("attribute " + std::to_string(++n));
        ra.only(a, {"title", "type", "value"});
        AttrDoc d;
        d.value.title = ra.text(a, "title", HX_ATTR_TITLE_SIZE, true);
        if (d.value.title.empty())
            refuse("an attribute has an empty title");
        if (!titles.insert(d.value.title).second)
            refuse("the attribute \"" + d.value.title + "\" appears twice on one object");
        std::string type = ra.text(a, "type", 16, true);
        const json &v = ra.need(a, "value");
        if (type == "string") {
            d.value.type = vexa::sim::attr_string;
            d.value.text = ra.text(a, "value", HX_ATTR_STRING_SIZE, true);
        } else if (type == "integer") {
            d.value.type = vexa::sim::attr_integer;
            d.value.integer =
                ra.whole(v, "value", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        } else if (type == "real") {
            d.value.type = vexa::sim::attr_real;
            d.value.real = ra.real(v, "value");
        } else if (type == "time") {
            d.value.type = vexa::sim::attr_time;
            d.value.integer =
                ra.whole(v, "value", std::numeric_limits<long>::min(), std::numeric_limits<long>::max());
        } else if (type == "reference") {
            d.value.type = vexa::sim::attr_reference;
            d.reference_id =
                v.is_null() ? 0 : static_cast<int>(ra.whole(v, "value", 1, std::numeric_limits<int>::max()));
        } else {
            refuse("an attribute has the unknown type \"" + type + "\"");
        }
        out.push_back(std::move(d));
    }
    return out;
}

XformDoc read_xform(const Reader &r, const json &x)
{
    r.only(x, {"up", "down", "matrix"});
    XformDoc d;
    d.up = r.whole(x, "up", 0, static_cast<int>(max_path_depth), 0);
    d.down = r.ids(x, "down");
    if (d.down.size() > max_path_depth)
        refuse("a transformation's path is too long");
    auto m = r.reals(r.need(x, "matrix"), "matrix", 16);
    std::copy(m.begin(), m.end(), d.matrix.begin());
    return d;
}

PartDoc parse_document(std::string_view text)
{
    if (text.size() > vexa::sim::max_part_file_size)
        refuse("the file is larger than " + std::to_string(vexa::sim::max_part_file_size >> 20) + " MiB");
    if (nesting_depth(text) > max_nesting)
        refuse("the document is nested too deeply");
    json doc = json::parse(text.begin(), text.end(), nullptr, false);
    if (doc.is_discarded())
        refuse("the file is not a JSON document");
    if (!doc.is_object())
        refuse("the document is not a JSON object");
    Reader r("the part");
    auto format = doc.find("format");
    if (format == doc.end() || !format->is_string() || *format != format_name)
        refuse("the document is not a part file (\"format\" is not \"vexa-part\")");
    auto version = doc.find("version");
    if (version == doc.end() || !version->is_number_integer() || *version != format_version)
        refuse("the part file is of a format version other than 1", HX_ERR_PART_VERSION);
    r.only(doc, {"format", "version", "units", "attributes", "expressions", "objects", "features",
                 "reference_sets", "groups", "components"});

    PartDoc part;
    std::string units = r.text(doc, "units", 16, true);
    if (units == "metric")
        part.units = vexa::sim::units_metric;
    else if (units == "english")
        part.units = vexa::sim::units_english;
    else
        refuse("\"units\" is neither \"metric\" nor \"english\"");
    part.attributes = read_attributes(r, doc);

    std::set<std::string> exp_names;
    for (const json &e : r.array(doc, "expressions")) {
        Reader re = r.at("expression " + std::to_string(part.expressions.size() + 1));
        re.only(e, {"name", "formula", "value"});
        ExpressionDoc d;
        d.name = re.text(e, "name", HX_OBJ_NAME_SIZE, true);
        d.formula = re.text(e, "formula", formula_size, true);
        d.value = re.real(re.need(e, "value"), "value");
        std::string why;
        if (!vexa::sim::valid_expression_name(d.name))
            refuse("the expression name \"" + d.name + "\" is not a name");
        if (!exp_names.insert(d.name).second)
            refuse("the expression \"" + d.name + "\" appears twice");
        if (!vexa::sim::formula_syntax_ok(d.formula, why))
            refuse("the expression \"" + d.name + "\" is malformed: " + why);
        part.expressions.push_back(std::move(d));
    }

    std::set<int> ids;
    auto take_id = [&](const Reader &rr, const json &o) {
        int id = static_cast<int>(rr.whole(rr.need(o, "id"), "id", 1, std::numeric_limits<int>::max() - 1));
        if (!ids.insert(id).second)
            refuse("the id " + std::to_string(id) + " is used twice");
        return id;
    };
    for (const json &o : r.array(doc, "objects")) {
        Reader ro = r.at("object " + std::to_string(part.objects.size() + 1));
        ObjectDoc d;
        d.type = ro.whole(o, "type", 1, 10000, 0);
        if (!o.contains("type"))
            refuse("an object lacks \"type\"");
        if (d.type == HX_TYPE_FEATURE || d.type == HX_TYPE_REFERENCE_SET || d.type == HX_TYPE_GROUP ||
            d.type == HX_TYPE_INTERFERENCE)
            refuse("an object of type " + std::to_string(d.type) + " belongs in its own list");
        GeometryForm form = geometry_form(d.type);
        if (form.key)
            ro.only(o, {"id", "type", "subtype", "name", "layer", "colour", "attributes", "body", "body_type",
                        form.key});
        else
            ro.only(o, {"id", "type", "subtype", "name", "layer", "colour", "attributes"});
        d.id = take_id(ro, o);
        d.subtype = ro.whole(o, "subtype", 0, 10000, 0);
        d.name = ro.text(o, "name", HX_OBJ_NAME_SIZE);
        d.layer = ro.whole(o, "layer", 1, 256, 1);
        d.colour = ro.whole(o, "colour", 0, 216, 0);
        if (form.key) {
            if (const json *g = ro.find(o, form.key))
                d.geometry = ro.reals(*g, form.key, form.size);
            d.body = ro.whole(o, "body", 0, std::numeric_limits<int>::max(), 0);
            std::string body_type = ro.text(o, "body_type", 8);
            bool is_body = d.type == HX_TYPE_SOLID && d.subtype == HX_SUBTYPE_SOLID_BODY;
            if (is_body)
                d.body_type = body_type == "sheet" ? vexa::sim::body_sheet : vexa::sim::body_solid;
            if ((!body_type.empty() && (!is_body || (body_type != "solid" && body_type != "sheet"))) ||
                (d.body && d.type != HX_TYPE_SOLID) || (d.body && is_body))
                refuse("object " + std::to_string(d.id) + " has a body or body type it cannot have");
        }
        d.attributes = read_attributes(ro, o);
        part.objects.push_back(std::move(d));
    }

    std::set<std::string> feature_names;
    for (const json &f : r.array(doc, "features")) {
        Reader rf = r.at("feature " + std::to_string(part.features.size() + 1));
        rf.only(f, {"id", "type", "name", "layer", "bodies", "faces", "suppressed", "suppression_expression",
                    "link", "attributes"});
        FeatureDoc d;
        d.id = take_id(rf, f);
        d.type = rf.text(f, "type", HX_OBJ_NAME_SIZE, true);
        if (d.type.empty())
            refuse("a feature has an empty type");
        d.name = rf.text(f, "name", HX_OBJ_NAME_SIZE);
        d.layer = rf.whole(f, "layer", 1, 256, 1);
        d.bodies = rf.ids(f, "bodies");
        d.faces = rf.ids(f, "faces");
        d.suppressed = rf.flag(f, "suppressed");
        d.suppression_expression = rf.text(f, "suppression_expression", HX_OBJ_NAME_SIZE);
        if (const json *l = rf.find(f, "link")) {
            Reader rl = rf.at("link");
            rl.only(*l, {"part", "object", "xform"});
            LinkDoc link;
            link.part = rl.text(*l, "part", HX_MAX_FSPEC_SIZE, true);
            if (link.part.empty())
                refuse("a link names no part");
            link.object = static_cast<int>(
                rl.whole(rl.need(*l, "object"), "object", 1, std::numeric_limits<int>::max()));
            if (const json *x = rl.find(*l, "xform"))
                link.xform = read_xform(rl.at("xform"), *x);
            d.link = std::move(link);
        }
        d.attributes = read_attributes(rf, f);
        part.features.push_back(std::move(d));
    }

    auto read_sets = [&](const char *key, std::vector<SetDoc> &out, const char *what) {
        std::set<std::string> names;
        for (const json &s : r.array(doc, key)) {
            Reader rs = r.at(std::string(what) + " " + std::to_string(out.size() + 1));
            rs.only(s, {"id", "name", "members", "attributes"});
            SetDoc d;
            d.id = take_id(rs, s);
            d.name = rs.text(s, "name", HX_OBJ_NAME_SIZE, true);
            if (std::string(key) == "reference_sets" && (d.name.empty() || d.name == HX_REFSET_NONE))
                refuse("a reference set cannot be named \"" + d.name + "\"");
            if (std::string(key) == "reference_sets" && !names.insert(d.name).second)
                refuse("the reference set \"" + d.name + "\" appears twice");
            d.members = rs.ids(s, "members");
            d.attributes = read_attributes(rs, s);
            out.push_back(std::move(d));
        }
    };
    read_sets("reference_sets", part.reference_sets, "reference set");
    read_sets("groups", part.groups, "group");

    for (const json &c : r.array(doc, "components")) {
        Reader rc = r.at("component " + std::to_string(part.components.size() + 1));
        rc.only(c, {"id", "part", "name", "reference_set", "origin", "orientation", "suppressed",
                    "suppression_expression", "attributes"});
        ComponentDoc d;
        d.id = take_id(rc, c);
        d.part = rc.text(c, "part", HX_MAX_FSPEC_SIZE, true);
        if (d.part.empty())
            refuse("a component names no part");
        d.name = rc.text(c, "name", HX_OBJ_NAME_SIZE);
        d.reference_set = rc.text(c, "reference_set", HX_OBJ_NAME_SIZE);
        if (d.reference_set == HX_REFSET_NONE)
            refuse("a component's reference set is written \"" + std::string(HX_REFSET_NONE) +
                   "\"; leave it out instead");
        if (const json *o = rc.find(c, "origin")) {
            auto v = rc.reals(*o, "origin", 3);
            std::copy(v.begin(), v.end(), d.origin.begin());
        }
        if (const json *o = rc.find(c, "orientation")) {
            auto v = rc.reals(*o, "orientation", 6);
            std::copy(v.begin(), v.end(), d.orientation.begin());
        }
        d.suppressed = rc.flag(c, "suppressed");
        d.suppression_expression = rc.text(c, "suppression_expression", HX_OBJ_NAME_SIZE);
        d.attributes = read_attributes(rc, c);
        part.components.push_back(std::move(d));
    }

    // References within the file.
    std::map<int, const ObjectDoc *> objects;
    for (const ObjectDoc &o : part.objects)
        objects[o.id] = &o;
    std::set<int> components;
    for (const ComponentDoc &c : part.components)
        components.insert(c.id);
    auto is_body = [&](int id) {
        auto it = objects.find(id);
        return it != objects.end() && it->second->type == HX_TYPE_SOLID &&
               it->second->subtype == HX_SUBTYPE_SOLID_BODY;
    };
    auto check_expression = [&](const std::string &name) {
        if (!name.empty() && !exp_names.count(name))
            refuse("the suppression expression \"" + name + "\" is not an expression of the part");
    };
    auto check_attributes = [&](const std::vector<AttrDoc> &list) {
        for (const AttrDoc &a : list)
            if (a.reference_id && !ids.count(a.reference_id))
                refuse("the attribute \"" + a.value.title + "\" refers to the unknown id " +
                       std::to_string(a.reference_id));
    };
    check_attributes(part.attributes);
    for (const ObjectDoc &o : part.objects) {
        if (o.body && !is_body(o.body))
            refuse("object " + std::to_string(o.id) + " names " + std::to_string(o.body) +
                   ", which is no body");
        check_attributes(o.attributes);
    }
    for (const FeatureDoc &f : part.features) {
        for (int b : f.bodies)
            if (!is_body(b))
                refuse("feature " + std::to_string(f.id) + " makes " + std::to_string(b) +
                       ", which is no body");
        for (int face : f.faces)
            if (!objects.count(face) || objects[face]->type != HX_TYPE_SOLID)
                refuse("feature " + std::to_string(f.id) + " names the face " + std::to_string(face) +
                       ", which is not one");
        check_expression(f.suppression_expression);
        check_attributes(f.attributes);
    }
    for (const SetDoc &s : part.reference_sets) {
        for (int m : s.members)
            if (!objects.count(m) && !components.count(m))
                refuse("reference set \"" + s.name + "\" holds the unknown id " + std::to_string(m));
        check_attributes(s.attributes);
    }
    for (const SetDoc &g : part.groups) {
        for (int m : g.members)
            if (!objects.count(m))
                refuse("group \"" + g.name + "\" holds " + std::to_string(m) + ", which is no object");
        check_attributes(g.attributes);
    }
    for (const ComponentDoc &c : part.components) {
        check_expression(c.suppression_expression);
        check_attributes(c.attributes);
    }
    return part;
}

// ---- Loading into the session ---------------------------------------------------------

Attribute attribute_of(const AttrDoc &d, const std::map<int, tag_t> &tags)
{
    Attribute a = d.value;
    if (a.type == vexa::sim::attr_reference) {
        auto it = tags.find(d.reference_id);
        a.reference = it == tags.end() ? 0 : it->second;
    }
    return a;
}

tag_t expression_named(const Part &part, const std::string &name)
{
    for (tag_t tag : part.expressions)
        if (Expression *e = vexa::sim::find_expression(tag); e && e->name == name)
            return tag;
    return 0;
}

tag_t commit_part(const std::string &name, const PartDoc &doc, bool fully)
{
    Part &p = vexa::sim::new_part(name, doc.units);
    p.fully_loaded = fully;
    std::map<int, tag_t> tags;
    int highest = 0;
    auto add_object = [&](int id, int type, int subtype) -> ModelObject & {
        ModelObject &o = vexa::sim::new_model_object(p, type, subtype);
        o.handle = id;
        tags[id] = o.tag;
        highest = std::max(highest, id);
        return o;
    };
    for (const ObjectDoc &d : doc.objects) {
        ModelObject &o = add_object(d.id, d.type, d.subtype);
        o.name = d.name;
        o.layer = d.layer;
        o.colour = d.colour;
        o.geometry = d.geometry;
        o.body_type = d.body_type;
    }
    for (const FeatureDoc &d : doc.features) {
        ModelObject &f = add_object(d.id, HX_TYPE_FEATURE, 0);
        f.feature_type = d.type;
        f.name = d.name;
        f.layer = d.layer;
        f.suppressed = d.suppressed;
        p.features.push_back(f.tag);
    }
    for (const SetDoc &d : doc.reference_sets)
        add_object(d.id, HX_TYPE_REFERENCE_SET, 0).name = d.name;
    for (const SetDoc &d : doc.groups)
        add_object(d.id, HX_TYPE_GROUP, 0).name = d.name;
    for (const ComponentDoc &d : doc.components) {
        Instance &i = vexa::sim::new_instance(p);
        i.handle = d.id;
        i.part_file = d.part;
        i.name = d.name;
        i.reference_set = d.reference_set;
        i.origin = d.origin;
        i.orientation = d.orientation;
        i.suppressed = d.suppressed;
        tags[d.id] = i.tag;
        highest = std::max(highest, d.id);
    }
    p.next_handle = highest + 1;
    for (const ExpressionDoc &d : doc.expressions) {
        Expression &e = vexa::sim::objects().create<Expression>();
        e.part = p.tag;
        e.name = d.name;
        e.formula = d.formula;
        e.value = d.value;
        p.expressions.push_back(e.tag);
    }
    // References by id, now that every object has its tag.
    auto tags_of = [&](const std::vector<int> &ids) {
        std::vector<tag_t> out;
        for (int id : ids)
            out.push_back(tags.at(id));
        return out;
    };
    for (const AttrDoc &a : doc.attributes)
        p.attributes.push_back(attribute_of(a, tags));
    for (const ObjectDoc &d : doc.objects) {
        ModelObject *o = vexa::sim::find_model_object(tags.at(d.id));
        o->body = d.body ? tags.at(d.body) : 0;
        for (const AttrDoc &a : d.attributes)
            o->attributes.push_back(attribute_of(a, tags));
    }
    for (const FeatureDoc &d : doc.features) {
        ModelObject *f = vexa::sim::find_model_object(tags.at(d.id));
        f->bodies = tags_of(d.bodies);
        f->faces = tags_of(d.faces);
        f->suppression_expression = expression_named(p, d.suppression_expression);
        for (const AttrDoc &a : d.attributes)
            f->attributes.push_back(attribute_of(a, tags));
        if (d.link) {
            vexa::sim::Link link{d.link->part, d.link->object, 0};
            if (d.link->xform) {
                Xform &x = vexa::sim::objects().create<Xform>();
                x.part = p.tag;
                x.up = d.link->xform->up;
                x.down = d.link->xform->down;
                x.matrix = d.link->xform->matrix;
                link.xform = x.tag;
            }
            f->link = link;
        }
    }
    auto fill_set = [&](const SetDoc &d) {
        ModelObject *s = vexa::sim::find_model_object(tags.at(d.id));
        s->members = tags_of(d.members);
        for (const AttrDoc &a : d.attributes)
            s->attributes.push_back(attribute_of(a, tags));
    };
    for (const SetDoc &d : doc.reference_sets)
        fill_set(d);
    for (const SetDoc &d : doc.groups)
        fill_set(d);
    for (const ComponentDoc &d : doc.components) {
        Instance *i = vexa::sim::find_instance(tags.at(d.id));
        i->suppression_expression = expression_named(p, d.suppression_expression);
        for (const AttrDoc &a : d.attributes)
            i->attributes.push_back(attribute_of(a, tags));
    }
    p.modified = false;
    return p.tag;
}

// ---- Writing ----------------------------------------------------------------------------

json attributes_json(const std::vector<Attribute> &list, const std::map<tag_t, int> &handles)
{
    json out = json::array();
    for (const Attribute &a : list) {
        json e = json::object();
        e["title"] = a.title;
        e["type"] = attribute_type_name(a.type);
        switch (a.type) {
        case vexa::sim::attr_integer: e["value"] = static_cast<int>(a.integer); break;
        case vexa::sim::attr_time: e["value"] = a.integer; break;
        case vexa::sim::attr_real: e["value"] = a.real; break;
        case vexa::sim::attr_reference: {
            auto it = handles.find(a.reference);
            e["value"] = it == handles.end() ? json(nullptr) : json(it->second);
            break;
        }
        default: e["value"] = a.text; break;
        }
        out.push_back(std::move(e));
    }
    return out;
}

void put_attributes(json &o, const std::vector<Attribute> &list, const std::map<tag_t, int> &handles)
{
    if (!list.empty())
        o["attributes"] = attributes_json(list, handles);
}

json ids_json(const std::vector<tag_t> &tags, const std::map<tag_t, int> &handles)
{
    json out = json::array();
    for (tag_t t : tags)
        if (auto it = handles.find(t); it != handles.end())
            out.push_back(it->second);
    return out;
}

std::string expression_name(tag_t tag)
{
    Expression *e = vexa::sim::find_expression(tag);
    return e ? e->name : std::string();
}

json part_json(const Part &p)
{
    std::map<tag_t, int> handles;
    for (tag_t tag : p.model_objects)
        if (ModelObject *o = vexa::sim::find_model_object(tag); o && !o->temporary)
            handles[tag] = o->handle;
    for (tag_t tag : p.instances)
        if (Instance *i = vexa::sim::find_instance(tag))
            handles[tag] = i->handle;

    json doc = json::object();
    doc["format"] = format_name;
    doc["version"] = format_version;
    doc["units"] = p.units == vexa::sim::units_english ? "english" : "metric";
    put_attributes(doc, p.attributes, handles);

    json expressions = json::array();
    for (tag_t tag : p.expressions)
        if (Expression *e = vexa::sim::find_expression(tag)) {
            json j = json::object();
            j["name"] = e->name;
            j["formula"] = e->formula;
            j["value"] = e->value;
            expressions.push_back(std::move(j));
        }
    if (!expressions.empty())
        doc["expressions"] = std::move(expressions);

    json objects = json::array(), refsets = json::array(), groups = json::array();
    for (tag_t tag : p.model_objects) {
        ModelObject *o = vexa::sim::find_model_object(tag);
        if (!o || o->temporary || o->type == HX_TYPE_FEATURE || o->type == HX_TYPE_INTERFERENCE)
            continue;
        json j = json::object();
        j["id"] = o->handle;
        if (o->type == HX_TYPE_REFERENCE_SET || o->type == HX_TYPE_GROUP) {
            j["name"] = o->name;
            j["members"] = ids_json(o->members, handles);
            put_attributes(j, o->attributes, handles);
            (o->type == HX_TYPE_GROUP ? groups : refsets).push_back(std::move(j));
            continue;
        }
        j["type"] = o->type;
        if (o->subtype)
            j["subtype"] = o->subtype;
        if (!o->name.empty())
            j["name"] = o->name;
        if (o->layer != 1)
            j["layer"] = o->layer;
        if (o->colour)
            j["colour"] = o->colour;
        GeometryForm form = geometry_form(o->type);
        if (form.key) {
            if (o->type == HX_TYPE_SOLID && o->subtype == HX_SUBTYPE_SOLID_BODY)
                j["body_type"] = o->body_type == vexa::sim::body_sheet ? "sheet" : "solid";
            if (auto it = handles.find(o->body); o->body && it != handles.end())
                j["body"] = it->second;
            if (o->geometry.size() == form.size)
                j[form.key] = o->geometry;
        }
        put_attributes(j, o->attributes, handles);
        objects.push_back(std::move(j));
    }
    if (!objects.empty())
        doc["objects"] = std::move(objects);

    json features = json::array();
    for (tag_t tag : p.features) {
        ModelObject *f = vexa::sim::find_model_object(tag);
        if (!f)
            continue;
        json j = json::object();
        j["id"] = f->handle;
        j["type"] = f->feature_type;
        if (!f->name.empty())
            j["name"] = f->name;
        if (f->layer != 1)
            j["layer"] = f->layer;
        if (!f->bodies.empty())
            j["bodies"] = ids_json(f->bodies, handles);
        if (!f->faces.empty())
            j["faces"] = ids_json(f->faces, handles);
        if (f->suppressed)
            j["suppressed"] = true;
        if (std::string e = expression_name(f->suppression_expression); !e.empty())
            j["suppression_expression"] = e;
        if (f->link) {
            json l = json::object();
            l["part"] = f->link->part_file;
            l["object"] = f->link->object_handle;
            if (Xform *x = vexa::sim::objects().find<Xform>(f->link->xform)) {
                json xj = json::object();
                xj["up"] = x->up;
                xj["down"] = x->down;
                xj["matrix"] = x->matrix;
                l["xform"] = std::move(xj);
            }
            j["link"] = std::move(l);
        }
        put_attributes(j, f->attributes, handles);
        features.push_back(std::move(j));
    }
    if (!features.empty())
        doc["features"] = std::move(features);
    if (!refsets.empty())
        doc["reference_sets"] = std::move(refsets);
    if (!groups.empty())
        doc["groups"] = std::move(groups);

    json components = json::array();
    for (tag_t tag : p.instances) {
        Instance *i = vexa::sim::find_instance(tag);
        if (!i)
            continue;
        json j = json::object();
        j["id"] = i->handle;
        j["part"] = i->part_file;
        if (!i->name.empty())
            j["name"] = i->name;
        if (!i->reference_set.empty())
            j["reference_set"] = i->reference_set;
        j["origin"] = i->origin;
        j["orientation"] = i->orientation;
        if (i->suppressed)
            j["suppressed"] = true;
        if (std::string e = expression_name(i->suppression_expression); !e.empty())
            j["suppression_expression"] = e;
        put_attributes(j, i->attributes, handles);
        components.push_back(std::move(j));
    }
    if (!components.empty())
        doc["components"] = std::move(components);
    return doc;
}

} // namespace

namespace vexa::sim {

PartDoc parse_part_document(std::string_view text)
{
    try {
        return parse_document(text);
    } catch (const nlohmann::json::exception &e) {
        throw PartFileRefused(HX_ERR_PART_FILE, e.what());
    }
}

tag_t commit_part_document(const std::string &name, const PartDoc &doc, bool fully)
{
    return commit_part(name, doc, fully);
}

std::string part_document(const Part &part)
{
    return part_json(part).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace vexa::sim
