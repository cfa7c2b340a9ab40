// The registry of host areas (area.h) and the session reset built on it.
#include "session_state.h"

#include <utility>

namespace vexa::sim {

namespace {

struct RegisteredArea {
    std::string name;
    std::function<void()> reset;
};

// Built during static initialisation, in whatever order the area files are
// initialised: a function-local static, so it exists before the first use.
std::vector<RegisteredArea> &registry()
{
    static std::vector<RegisteredArea> areas;
    return areas;
}

} // namespace

void register_area(const char *name, std::function<void()> reset)
{
    registry().push_back({name, std::move(reset)});
}

void reset_areas()
{
    for (const RegisteredArea &area : registry())
        area.reset();
}

std::vector<std::string> area_names()
{
    std::vector<std::string> names;
    for (const RegisteredArea &area : registry())
        names.push_back(area.name);
    return names;
}

void reset()
{
    reset_areas();
}

} // namespace vexa::sim
