// Diagnostics: the debug text for the listing window and the standard report
// of a failed host call.
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/text_buffer.h"

#include "hx_messages.h"

#include <cstdarg>
#include <string>

namespace {

constexpr std::size_t debug_buffer_size = 400;  // 399 characters
constexpr std::size_t report_buffer_size = 256; // 255 characters

} // namespace

extern "C" {

CVSTV_API void kt_debug_infor(const char *format, ...) noexcept
{
    int is_open = 0;
    if (!format || HX_listing_window_is_open(&is_open) != 0 || !is_open)
        return;
    va_list args;
    va_start(args, format);
    cvstv::guarded_void("kt_debug_infor", [&] {
        char text[debug_buffer_size];
        cvstv::vformat_bounded(text, sizeof text, format, args);
        HX_listing_window_write(text);
    });
    va_end(args);
}

CVSTV_API int kt_report_error(const char *file, int line, const char *call, int status) noexcept
{
    return cvstv::guarded("kt_report_error", status, [&]() -> int {
        if (status == 0)
            return 0;
        char fail[HX_FAIL_MESSAGE_SIZE + 1] = "";
        HX_get_fail_message(status, fail);
        char text[report_buffer_size];
        cvstv::format_bounded(text, sizeof text, HX_TEXT("%s\nerror %d at line %d in %s\n%s"), fail, status,
                              line, file ? file : "", call ? call : "");
        std::string message = std::string(text) + "...";
        int response = 0;
        HX_message_dialog("Error", HX_DIALOG_ERROR, message.c_str(), "OK", nullptr, nullptr, &response);
        return status;
    });
}

} // extern "C"
