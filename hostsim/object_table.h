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
#ifndef VEXAHOST_OBJECT_TABLE_H
#define VEXAHOST_OBJECT_TABLE_H

#include "vexahost/objects.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace vexa::sim {

struct HostObject {
    virtual ~HostObject() = default;
    tag_t tag = 0;
    ObjectKind kind = ObjectKind::none;
};

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
