// Scope guards over host state (host_state.h).
#include "util/host_state.h"

#include "hx_parts.h"

namespace cvstv {

HostState::HostState(unsigned what) : what_(what)
{
    if (what & (work_part | display)) {
        work_part_ = HX_ASSEM_ask_work_part();
        work_occurrence_ = HX_ASSEM_ask_work_occurrence();
    }
    if (what & display)
        display_part_ = HX_PART_ask_display_part();
    if (what & load_options)
        have_options_ = ASSY_ask_assy_options(&options_) == 0;
    if (what & update_fail_option)
        have_fail_option_ = HX_MODL_ask_update_fail_option(&fail_option_) == 0;
}

HostState::~HostState()
{
    restore();
}

int HostState::restore()
{
    if (restored_)
        return 0;
    restored_ = true;
    int status = 0;
    auto note = [&status](int s) {
        if (status == 0)
            status = s;
    };
    bool display_changed =
        (what_ & display) && display_part_ != 0 && HX_PART_ask_display_part() != display_part_;
    if (display_changed) {
        HX_DISP_set_display(0);
        note(HX_PART_set_display_part(display_part_));
    }
    if (what_ & (work_part | display)) {
        bool moved =
            HX_ASSEM_ask_work_part() != work_part_ || HX_ASSEM_ask_work_occurrence() != work_occurrence_;
        if (moved && work_occurrence_ != 0 && HX_ASSEM_set_work_occurrence(work_occurrence_) == 0) {
            // back where it was
        } else if (moved && work_part_ != 0) {
            note(HX_ASSEM_set_work_part(work_part_));
        }
    }
    if (display_changed)
        HX_DISP_set_display(1);
    if (have_options_)
        note(ASSY_set_assy_options(&options_));
    if (have_fail_option_)
        note(HX_MODL_set_update_fail_option(fail_option_));
    return status;
}

UndoMark::UndoMark(int visibility, const char *name)
{
    status_ = HX_UNDO_set_mark(visibility, name, &id_);
    if (status_ != 0)
        id_ = 0;
}

UndoMark::~UndoMark()
{
    if (id_ != 0)
        HX_UNDO_delete_mark(id_);
}

} // namespace cvstv
