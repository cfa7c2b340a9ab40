// The system-log line of an exception stopped at the C boundary
// (boundary.h). Formatting goes into a fixed buffer: the log must work when
// memory has run out.
#include "util/boundary.h"
#include "util/text_buffer.h"

#include "hx_messages.h"

namespace cvstv {

void log_escaped_exception(const char *function, const char *what) noexcept
{
    char line[256];
    format_bounded(line, sizeof line, "%s: stopped at the library boundary: %s", function ? function : "?",
                   what ? what : "?");
    HX_syslog_write(line);
}

} // namespace cvstv
