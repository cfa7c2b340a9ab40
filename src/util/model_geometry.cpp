// Geometry queries: solid interference through the host's clearance
// analysis, the mould-design bounding box with its fallback, the inverse of
// a rigid transformation and the absolute coordinate system.
#include "cvstvshare/assembly.h"
#include "util/boundary.h"
#include "util/host_state.h"
#include "util/text_buffer.h"

#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_model.h"
#include "hx_parts.h"

#include <exception>
#include <string>

namespace {

constexpr const char *dataset_name = "KT_INT_DATASET";

// A clearance dataset deleted when the scope ends.
class Dataset {
  public:
    Dataset() : status_(HX_CLEAR_create_data_set(dataset_name, &tag_)) {}
    ~Dataset()
    {
        if (tag_ != 0)
            HX_CLEAR_delete_data_set(tag_);
    }
    Dataset(const Dataset &) = delete;
    Dataset &operator=(const Dataset &) = delete;
    tag_t tag() const { return status_ == 0 ? tag_ : 0; }

  private:
    tag_t tag_ = 0;
    int status_;
};

} // namespace

extern "C" {

CVSTV_API int kt_solid_interfere(tag_t body1, tag_t body2, tag_t *interference_bodies) noexcept
{
    return cvstv::guarded("kt_solid_interfere", 0, [&]() -> int {
        tag_t work = HX_ASSEM_ask_work_part();
        if (work == 0 || !interference_bodies)
            return 0;
        tag_t old = 0;
        if (HX_CLEAR_find_data_set(work, dataset_name, &old) == 0 && old != 0)
            HX_CLEAR_delete_data_set(old);
        Dataset set;
        const tag_t bodies[2] = {body1, body2};
        if (set.tag() == 0 || HX_CLEAR_set_analysis_mode(set.tag(), HX_CLEAR_MODE_SOLIDS) != 0 ||
            HX_CLEAR_set_obj_list(set.tag(), 1, HX_CLEAR_LIST_OBJECTS, 2, bodies) != 0 ||
            HX_CLEAR_set_obj_list(set.tag(), 2, HX_CLEAR_LIST_NONE, 0, nullptr) != 0 ||
            HX_CLEAR_do_analysis(set.tag()) != 0)
            return 0;
        int count = 0;
        tag_t *found = nullptr;
        if (HX_CLEAR_ask_interferences(set.tag(), body1, body2, &count, &found) != 0)
            return 0;
        int stored = 0;
        for (int i = 0; i < count; ++i) {
            int type = 0, subtype = 0;
            tag_t body = 0;
            if (HX_OBJ_ask_type_and_subtype(found[i], &type, &subtype) == 0 && type == HX_TYPE_SOLID &&
                HX_CLEAR_ask_interference_body(found[i], &body) == 0)
                interference_bodies[stored++] = body;
        }
        HX_free(found);
        return stored;
    });
}

CVSTV_API int kt_ask_bounding_box(tag_t object, double box[6]) noexcept
{
    return cvstv::guarded("kt_ask_bounding_box", -1, [&]() -> int {
        if (!box)
            return -1;
        try {
            HX_CV_ask_bounding_box(object, box);
            return 0;
        } catch (const std::exception &e) {
            std::string line = cvstv::format("cvstvshare_kt_share, line 3984: %s", e.what());
            HX_syslog_write(line.c_str());
        }
        double corner[3], extents[3];
        if (int s = HX_MODL_ask_box_abs(object, corner, extents))
            return s;
        for (int i = 0; i < 3; ++i) {
            box[i] = corner[i];
            box[i + 3] = corner[i] + extents[i];
        }
        return 0;
    });
}

CVSTV_API void KT_MXT4_inverse(const double matrix[16], double inverse[16]) noexcept
{
    cvstv::guarded_void("KT_MXT4_inverse", [&] {
        if (!matrix || !inverse)
            return;
        double scale = matrix[15];
        double out[16] = {0};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                out[r * 4 + c] = matrix[c * 4 + r];
        for (int r = 0; r < 3; ++r) {
            double t = out[r * 4] * matrix[3] + out[r * 4 + 1] * matrix[7] + out[r * 4 + 2] * matrix[11];
            out[r * 4 + 3] = -t / scale;
        }
        out[15] = 1.0;
        for (int i = 0; i < 16; ++i)
            inverse[i] = out[i];
    });
}

CVSTV_API tag_t kt_abs_csys(void) noexcept
{
    return cvstv::guarded("kt_abs_csys", tag_t{0}, []() -> tag_t {
        cvstv::HostState saved(cvstv::HostState::work_part);
        tag_t display = HX_PART_ask_display_part();
        if (display == 0 || HX_ASSEM_set_work_part(display) != 0)
            return 0;
        const double origin[3] = {0, 0, 0};
        const double axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        tag_t csys = 0;
        if (HX_CSYS_create_temp_csys(origin, axes, &csys) != 0 || HX_CSYS_set_wcs(csys) != 0)
            return 0;
        return csys;
    });
}

} // extern "C"
