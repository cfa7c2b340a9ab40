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
