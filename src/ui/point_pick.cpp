// Point picking with the host's point constructor, and its optional
// confirmation.
//
// Module state: the point construction method, one library-wide value that
// the host's point constructor is given and updates (the method the user
// chose last is offered first next time); 0 at load.
//
// With the customer default "CV_StandardPointConfirm" set, the user picks
// again ("Confirm: <prompt>.") until two picks in a row lie at the same
// position (squared distance at most 1e-20). Each pick makes a point object
// in the work part; only the one handed back stays, the others are deleted,
// so the model holds exactly the point the user confirmed.
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/selection.h"
#include "ui/point_pick.h"
#include "util/boundary.h"
#include "util/module_state.h"

#include "hx_dialogs.h"
#include "hx_objects.h"

#include <algorithm>
#include <string>

namespace {

constexpr double same_position = 1e-20;

int point_method = 0;
const cvstv::ModuleStateReset point_method_reset{[] { point_method = 0; }};

struct Pick {
    int status = 0;
    int response = 0;
    tag_t point = 0;
    double position[3] = {0, 0, 0};
};

Pick construct(const std::string &prompt)
{
    Pick p;
    p.status = HX_UI_point_construct(prompt.c_str(), &point_method, &p.point, p.position, &p.response);
    return p;
}

double squared_distance(const double a[3], const double b[3])
{
    double d = 0;
    for (int i = 0; i < 3; ++i)
        d += (a[i] - b[i]) * (a[i] - b[i]);
    return d;
}

bool confirmation_asked(int wizard_type)
{
    int confirm = 0;
    return CVSTVSHARE_get_customer_default(wizard_type, "CV_StandardPointConfirm", CV_DEFAULT_UNITS_WORK_PART,
                                           CV_DEFAULT_LOGICAL, &confirm) == 0 &&
           confirm != 0;
}

// The first pick's result: 0 picked, 1 when the user cancels or backs out,
// else the host's status.
int result_of(const Pick &p)
{
    if (p.status != 0)
        return p.status;
    return p.response == HX_UI_POINT_PICKED ? 0 : 1;
}

} // namespace

namespace cvstv::ui {

int pick_point(const char *prompt, bool confirm, tag_t *point, double coordinates[3])
{
    *point = 0;
    std::string asked = prompt ? prompt : "";
    std::string confirm_prompt = "Confirm: " + asked + ".";
    Pick first = construct(asked);
    if (int result = result_of(first))
        return result;
    Pick kept = first;
    while (confirm) {
        Pick again = construct(confirm_prompt);
        if (again.status != 0 || again.response == HX_UI_POINT_CANCEL) {
            HX_OBJ_delete(kept.point);
            return again.status != 0 ? again.status : 1;
        }
        if (again.response != HX_UI_POINT_PICKED)
            continue;
        HX_OBJ_delete(kept.point);
        bool agree = squared_distance(again.position, kept.position) <= same_position;
        kept = again;
        if (agree)
            break;
    }
    *point = kept.point;
    std::copy(kept.position, kept.position + 3, coordinates);
    return 0;
}

} // namespace cvstv::ui

extern "C" CVSTV_API int CVSTVSHARE_pick_point(int wizard_type, const char *prompt, tag_t *point,
                                               double coordinates[3]) noexcept
{
    return cvstv::guarded("CVSTVSHARE_pick_point", -1, [&] {
        if (!point || !coordinates)
            return -1;
        return cvstv::ui::pick_point(prompt, confirmation_asked(wizard_type), point, coordinates);
    });
}
