/*
 * The host's C++ services: its text object and the errors it raises.
 *
 * Most of the host interface is C and answers a status. The few C++
 * services of the host raise an Orvel::HostError instead (with the same
 * status codes); a caller catches it at the call, and may record it with
 * HX_log_error against its own source name and line. This header is C++
 * only; its classes have default visibility because the host defines them.
 */
#ifndef CVSTV_HOST_HX_CXX_H
#define CVSTV_HOST_HX_CXX_H

#ifndef __cplusplus
#error "hx_cxx.h declares the host's C++ services"
#endif

#include "hx_common.h"

#include <exception>
#include <string>
#include <vector>

#define HX_CXX_API __attribute__((visibility("default")))

namespace Orvel {

// A host error raised by a C++ service: a host status and its text.
class HX_CXX_API HostError : public std::exception {
  public:
    HostError(int code, std::string text);
    ~HostError() override;
    int Code() const noexcept { return code_; }
    const char *what() const noexcept override;

  private:
    int code_;
    std::string text_;
};

// The host's text object: a text in UTF-8, which the host converts to the
// user's locale on request. Copying and assigning copy the text.
class HX_CXX_API UString {
  public:
    UString();
    UString(const char *text); // null: the empty text
    UString(const UString &other);
    UString &operator=(const UString &other);
    ~UString();

    void Clear();
    bool IsEmpty() const;
    void Assign(const char *text); // null: the empty text
    // The text in UTF-8; valid until the object changes.
    const char *GetText() const;
    // The text in the user's locale. Raises HostError when it cannot be
    // converted.
    std::string GetLocaleText() const;

  private:
    std::string text_;
};

// The host's program-spawning service. Starts the program (a host path to
// an executable) with an argument vector: each argument reaches the program
// as one argument, exactly as given; nothing passes through a command
// processor, so blanks, quotes, ';' or "$(...)" in an argument are never
// interpreted. With wait true it returns when the program has ended and
// writes its exit status to *exit_code (when not null); otherwise it returns
// once the program has started (*exit_code 0). Returns 0; raises HostError
// (HX_ERR_NOT_FOUND when there is no such program, HX_ERR_IO when it cannot
// be started) instead of a failing status.
HX_CXX_API int SpawnProgram(const char *program, const std::vector<std::string> &arguments, bool wait,
                            int *exit_code);

} // namespace Orvel

HX_BEGIN_DECLS

/* Record a host error caught by the caller against the caller's source
 * name and line (the host's error log). */
HX_API int HX_log_error(const char *source, int line, int status, const char *text);

HX_END_DECLS

#endif
