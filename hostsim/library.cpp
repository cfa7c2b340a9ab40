// Library loading of the headless host: really loads a shared library by
// path with the dynamic loader and looks up the named entry. Libraries stay
// loaded for the life of the process, as in the host.
#include "session_state.h"

#include "hx_files.h"
#include "hx_library.h"
#include "hx_messages.h"

#include <dlfcn.h>

#include <climits>
#include <string>

using vexa::sim::host_call;

extern "C" {

HX_API int HX_load_library(const char *path, const char *entry, void **function)
{
    return host_call("HX_load_library", [&]() -> int {
        if (!function)
            return HX_ERR_BAD_ARGUMENT;
        *function = nullptr;
        if (!path || !*path || !entry || !*entry)
            return HX_ERR_BAD_ARGUMENT;
        char local[PATH_MAX];
        if (int status = HX_local_path(path, local, sizeof local); status != HX_OK)
            return status;
        void *handle = ::dlopen(local, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char *why = ::dlerror();
            HX_syslog_write((std::string("HX_load_library: ") + (why ? why : local)).c_str());
            return HX_ERR_LOAD;
        }
        ::dlerror();
        void *symbol = ::dlsym(handle, entry);
        if (!symbol) {
            ::dlclose(handle);
            return HX_ERR_NO_ENTRY;
        }
        *function = symbol;
        return HX_OK;
    });
}

} // extern "C"
