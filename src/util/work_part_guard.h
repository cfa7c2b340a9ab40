// Restores the work part and the displayed part on every path out of a
// scope: the displayed part first (when it was changed), then the work part.
// The library's rule for anything that changes them for a while.
#ifndef CVSTV_UTIL_WORK_PART_GUARD_H
#define CVSTV_UTIL_WORK_PART_GUARD_H

#include "hx_parts.h"

namespace cvstv {

class WorkPartGuard {
  public:
    WorkPartGuard() : work_(HX_ASSEM_ask_work_part()), display_(HX_PART_ask_display_part()) {}
    ~WorkPartGuard()
    {
        if (display_ && HX_PART_ask_display_part() != display_)
            HX_PART_set_display_part(display_);
        if (work_ && HX_ASSEM_ask_work_part() != work_)
            HX_ASSEM_set_work_part(work_);
    }
    WorkPartGuard(const WorkPartGuard &) = delete;
    WorkPartGuard &operator=(const WorkPartGuard &) = delete;

    // The work and displayed part when the guard was made.
    tag_t work() const { return work_; }
    tag_t display() const { return display_; }

  private:
    tag_t work_;
    tag_t display_;
};

} // namespace cvstv

#endif
