// Scope guards over host state that a library function changes on its way
// and must give back: the work part and work occurrence, the displayed part,
// the assembly load options, the update-fail option, and undo marks.
//
//     cvstv::HostState saved(cvstv::HostState::work_part | cvstv::HostState::display);
//     ... make other parts work and displayed ...
//     return saved.restore(); // or let the destructor restore on any path
//
// A guard restores what it saved once: on restore(), whose status callers
// may return, or on destruction otherwise. The displayed part is restored
// with the display switched off around the change, then the work
// occurrence (or the work part when there was none), then the options.
#ifndef CVSTV_UTIL_HOST_STATE_H
#define CVSTV_UTIL_HOST_STATE_H

#include "hx_assem.h"
#include "hx_common.h"

namespace cvstv {

class HostState {
  public:
    enum What : unsigned {
        work_part = 1u,          // the work part and the work occurrence
        display = 2u,            // the displayed part (which moves the work part too)
        load_options = 4u,       // the assembly load options
        update_fail_option = 8u, // the model update's fail option
    };

    explicit HostState(unsigned what);
    ~HostState();
    HostState(const HostState &) = delete;
    HostState &operator=(const HostState &) = delete;

    // Restores now; the status of the first step that failed, else 0.
    // Later calls (and the destructor) do nothing.
    int restore();

    tag_t saved_work_part() const { return work_part_; }
    tag_t saved_work_occurrence() const { return work_occurrence_; }
    tag_t saved_display_part() const { return display_part_; }

  private:
    unsigned what_;
    bool restored_ = false;
    tag_t work_part_ = 0;
    tag_t work_occurrence_ = 0;
    tag_t display_part_ = 0;
    ASSY_assy_options_t options_{};
    bool have_options_ = false;
    int fail_option_ = 0;
    bool have_fail_option_ = false;
};

// An undo mark that lives as long as the object: set on construction,
// deleted on destruction (a mark already gone, undone past or deleted, is
// left alone).
class UndoMark {
  public:
    UndoMark(int visibility, const char *name);
    ~UndoMark();
    UndoMark(const UndoMark &) = delete;
    UndoMark &operator=(const UndoMark &) = delete;

    // The mark; 0 when the host could not set one.
    int id() const { return id_; }
    int status() const { return status_; }

  private:
    int id_ = 0;
    int status_ = 0;
};

} // namespace cvstv

#endif
