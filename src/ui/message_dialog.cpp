// The three-button message dialog of the applications, and text files of
// strings.
#include "cvstvshare/selection.h"
#include "cvstvshare/util.h"
#include "util/boundary.h"

#include "hx_messages.h"

#include <cstdio>
#include <cstring>

namespace {

// The responses the host answers for the three buttons.
constexpr int first_button = 20;
constexpr int second_button = 21;
constexpr int third_button = 22;

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_display_message_dialog(const char *title, int dialog_type, char **messages,
                                                const char *button1, const char *button2,
                                                const char *button3) noexcept
{
    return cvstv::guarded("CVSTVSHARE_display_message_dialog", 2, [&] {
        HX_UI_message_buttons buttons{{button1, button2, button3},
                                      {first_button, second_button, third_button}};
        int response = 0;
        int status = HX_UI_message_dialog(title, static_cast<HX_UI_MESSAGE_DIALOG_TYPE>(dialog_type),
                                          messages, kt_ask_str_list_count(messages), &buttons, 1, &response);
        if (status != 0)
            return 2;
        return response == first_button ? 1 : response == second_button ? 0 : 2;
    });
}

CVSTV_API int CVSTVSHARE_write_strings_to_text_file(char **strings, FILE *file) noexcept
{
    return cvstv::guarded("CVSTVSHARE_write_strings_to_text_file", -1, [&] {
        if (!file)
            return -1;
        for (int i = 0; strings && strings[i]; ++i) {
            const char *field = std::strcmp(strings[i], "^") == 0 ? "" : strings[i];
            if (std::fputs(field, file) == EOF || std::fputc('\t', file) == EOF)
                return -1;
        }
        return std::fputc('\n', file) == EOF ? -1 : 0;
    });
}

} // extern "C"
