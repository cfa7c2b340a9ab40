// The headless host's object table: every object the host hands out a tag
// for (spreadsheet ports, workbooks opened for editing, parts, expressions,
// bodies, faces, features, and whatever later areas add) lives here, keyed
// by its 32-bit tag.
//
// Invariants: tag 0 is never used (it is the null tag); tags are handed out
// in increasing order and never reused within a session, so a stale tag
// finds nothing rather than another object; a reset empties the table and
// starts again at 1. Each entry has a kind, and `find<T>` answers only an
// object of T's kind, so a tag of the wrong kind reads as "no such object".
// An area's object type derives from HostObject and names its kind in a
// static member `object_kind`.
//
// Every object can carry typed attributes (title and value), whatever its
// kind. Objects of the model (parts and what they hold) derive from
// ModelEntity, which can copy them: an undo mark keeps such copies and
// undoing puts them back under their own tags (snapshot / restore below).
// Other objects (spreadsheet ports, open workbooks) are not part of the
// model and undo leaves them alone.
#ifndef VEXAHOST_OBJECT_TABLE_H
#define VEXAHOST_OBJECT_TABLE_H

#include "vexahost/objects.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace vexa::sim {

// Attribute value types, as the host reports them.
enum AttributeType { attr_integer = 1, attr_real = 2, attr_time = 3, attr_string = 5, attr_reference = 7 };

struct Attribute {
    std::string title;
    int type = attr_string;
    long long integer = 0; // integer and time values
    double real = 0.0;
    std::string text;    // string values
    tag_t reference = 0; // reference values
};

struct HostObject {
    virtual ~HostObject() = default;
    // A copy of the object for an undo snapshot; null for objects outside the
    // model.
    virtual std::unique_ptr<HostObject> clone() const { return nullptr; }
    virtual bool in_model() const { return false; }
    tag_t tag = 0;
    ObjectKind kind = ObjectKind::none;
    std::vector<Attribute> attributes; // in the order they were first assigned
};

// Base of the model's object types: copyable for undo.
template <class T> struct ModelEntity : HostObject {
    std::unique_ptr<HostObject> clone() const override
    {
        return std::make_unique<T>(static_cast<const T &>(*this));
    }
    bool in_model() const override { return true; }
};

// Copies of the model's objects, by tag.
using ModelSnapshot = std::map<tag_t, std::unique_ptr<HostObject>>;

class ObjectTable {
  public:
    // Adds a new object of type T built from args; returns it (its tag set).
    template <class T, class... Args> T &create(Args &&...args)
    {
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T &ref = *object;
        ref.tag = next_tag_++;
        ref.kind = T::object_kind;
        objects_.emplace(ref.tag, std::move(object));
        return ref;
    }

    // The object of T's kind under tag, or null.
    template <class T> T *find(tag_t tag) const
    {
        HostObject *object = find_any(tag);
        return object && object->kind == T::object_kind ? static_cast<T *>(object) : nullptr;
    }
    HostObject *find_any(tag_t tag) const;

    // Every object of T's kind, in tag (creation) order.
    template <class T> std::vector<T *> all() const
    {
        std::vector<T *> out;
        for (const auto &[tag, object] : objects_)
            if (object->kind == T::object_kind)
                out.push_back(static_cast<T *>(object.get()));
        return out;
    }

    // Removes the object; false when there was none.
    bool erase(tag_t tag);
    // Copies of every model object.
    ModelSnapshot snapshot() const;
    // Puts the model back as the snapshot holds it: model objects created
    // since are removed, changed ones replaced, removed ones reinserted under
    // their own tags. Other objects and the next tag are untouched, so no tag
    // is ever handed out twice.
    void restore(const ModelSnapshot &snapshot);
    std::size_t size() const { return objects_.size(); }
    void clear();

  private:
    std::map<tag_t, std::unique_ptr<HostObject>> objects_;
    tag_t next_tag_ = 1;
};

// The session's one table.
ObjectTable &objects();

} // namespace vexa::sim

#endif
