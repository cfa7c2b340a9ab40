// Per-area state of the headless host.
//
// Each host area (messages, environment, spreadsheets, parts, ...) keeps its
// state in one object of its own type, declared in the area's source file as
//
//     vexa::sim::AreaState<MessagesState> messages{"messages"};
//
// and reached through `messages->field` or `messages.get()`. Declaring it
// registers the area; `vexa::sim::reset()` puts every registered area back to
// a default-constructed state in one call, so a new area cannot be forgotten
// by the reset. An area whose state must outlive a reset in part (the
// journal's sink, the allocator's live count) says so with a reset function
// of its own.
//
// The registry is built during static initialisation of the host library and
// used afterwards on the host's one user-interface thread: no locks.
#ifndef VEXAHOST_AREA_H
#define VEXAHOST_AREA_H

#include <functional>
#include <string>
#include <vector>

namespace vexa::sim {

// Registers `reset` under `name`; called once per area at load time.
void register_area(const char *name, std::function<void()> reset);
// Resets every registered area, in registration order.
void reset_areas();
// The names of the registered areas (for tests of the registry itself).
std::vector<std::string> area_names();

template <class State> class AreaState {
  public:
    explicit AreaState(const char *name)
    {
        register_area(name, [this] { state_ = State{}; });
    }
    // An area with a reset of its own (keeping part of its state).
    AreaState(const char *name, std::function<void(State &)> reset)
    {
        register_area(name, [this, reset = std::move(reset)] { reset(state_); });
    }
    AreaState(const AreaState &) = delete;
    AreaState &operator=(const AreaState &) = delete;

    State &get() { return state_; }
    State *operator->() { return &state_; }

  private:
    State state_{};
};

} // namespace vexa::sim

#endif
