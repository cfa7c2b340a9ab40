// The host's C++ services in the headless host (hx_cxx.h): the text object
// and the errors C++ services raise, and the host's error log.
//
// A C++ service enters through the same counting and fault injection as the
// C calls, under its qualified name ("Orvel::UString::GetLocaleText"); an
// injected status is raised as a HostError instead of returned.
#include "session_state.h"

#include "hx_cxx.h"
#include "hx_messages.h"

#include <array>
#include <cstdio>

namespace vexa::sim {

void enter_service(const char *service)
{
    if (int injected = enter_call(service)) {
        std::array<char, HX_FAIL_MESSAGE_SIZE + 1> text{};
        HX_get_fail_message(injected, text.data());
        throw Orvel::HostError(injected, text.data());
    }
}

} // namespace vexa::sim

namespace {

// True when text is well-formed UTF-8 (what the user's locale, UTF-8 in the
// headless host, can represent).
bool is_utf8(const std::string &text)
{
    std::size_t i = 0;
    std::size_t n = text.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else if (c >= 0x80)
            return false;
        if (extra > n - i - 1)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

namespace Orvel {

HostError::HostError(int code, std::string text) : code_(code), text_(std::move(text)) {}
HostError::~HostError() = default;
const char *HostError::what() const noexcept
{
    return text_.c_str();
}

UString::UString() = default;
UString::UString(const char *text) : text_(text ? text : "") {}
UString::UString(const UString &other) = default;
UString &UString::operator=(const UString &other) = default;
UString::~UString() = default;

void UString::Clear()
{
    text_.clear();
}

bool UString::IsEmpty() const
{
    return text_.empty();
}

void UString::Assign(const char *text)
{
    text_ = text ? text : "";
}

const char *UString::GetText() const
{
    return text_.c_str();
}

std::string UString::GetLocaleText() const
{
    vexa::sim::enter_service("Orvel::UString::GetLocaleText");
    if (!is_utf8(text_))
        throw HostError(HX_ERR_BAD_ARGUMENT, "Text cannot be converted to the user's locale");
    return text_;
}

} // namespace Orvel

extern "C" HX_API int HX_log_error(const char *source, int line, int status, const char *text)
{
    return vexa::sim::host_call("HX_log_error", [&]() -> int {
        char head[160];
        std::snprintf(head, sizeof head, "%s, line %d: error %d: ", source ? source : "", line, status);
        vexa::sim::record(vexa::sim::Entry::syslog, 0, "", head + std::string(text ? text : ""));
        return HX_OK;
    });
}
