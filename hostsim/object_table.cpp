// The session's object table (object_table.h).
#include "session_state.h"

namespace vexa::sim {

namespace {
AreaState<ObjectTable> table{"objects"};
} // namespace

ObjectTable &objects()
{
    return table.get();
}

HostObject *ObjectTable::find_any(tag_t tag) const
{
    auto it = objects_.find(tag);
    return it == objects_.end() ? nullptr : it->second.get();
}

bool ObjectTable::erase(tag_t tag)
{
    return objects_.erase(tag) > 0;
}

ModelSnapshot ObjectTable::snapshot() const
{
    ModelSnapshot copies;
    for (const auto &[tag, object] : objects_)
        if (object->in_model())
            copies.emplace(tag, object->clone());
    return copies;
}

void ObjectTable::restore(const ModelSnapshot &snapshot)
{
    for (auto it = objects_.begin(); it != objects_.end();) {
        if (it->second->in_model() && !snapshot.count(it->first))
            it = objects_.erase(it);
        else
            ++it;
    }
    for (const auto &[tag, copy] : snapshot)
        objects_[tag] = copy->clone();
}

void ObjectTable::clear()
{
    objects_.clear();
    next_tag_ = 1;
}

std::size_t object_count()
{
    return objects().size();
}

ObjectKind kind_of(tag_t tag)
{
    HostObject *object = objects().find_any(tag);
    return object ? object->kind : ObjectKind::none;
}

} // namespace vexa::sim
