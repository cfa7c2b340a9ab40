/*
 * Host messages: translation, message box, message dialog, status texts,
 * listing window, system log, cue and status line.
 */
#ifndef CVSTV_HOST_HX_MESSAGES_H
#define CVSTV_HOST_HX_MESSAGES_H

#include "hx_common.h"

/* Severities of HX_message_box. */
enum { HX_SEVERITY_INFO = 0, HX_SEVERITY_ERROR = 1, HX_SEVERITY_WARNING = 2 };

/* Kinds of HX_message_dialog. */
enum { HX_DIALOG_ERROR = 1, HX_DIALOG_WARNING = 2, HX_DIALOG_INFORMATION = 3, HX_DIALOG_QUESTION = 4 };

/* Answers of HX_message_dialog: the button pressed, counted from 1. */
enum { HX_DIALOG_BUTTON_1 = 1, HX_DIALOG_BUTTON_2 = 2, HX_DIALOG_BUTTON_3 = 3 };

/* Types of HX_UI_message_dialog (HX_UI_MESSAGE_DIALOG_TYPE). */
typedef enum HX_UI_MESSAGE_DIALOG_TYPE {
    HX_UI_MESSAGE_ERROR = 1,
    HX_UI_MESSAGE_WARNING = 2,
    HX_UI_MESSAGE_INFORMATION = 3,
    HX_UI_MESSAGE_QUESTION = 4
} HX_UI_MESSAGE_DIALOG_TYPE;

/* The buttons of HX_UI_message_dialog: up to three, each with the response
 * the dialog answers when it is pressed; a null label is no such button. */
typedef struct HX_UI_message_buttons {
    const char *label[3];
    int response[3];
} HX_UI_message_buttons;

/* The response of HX_UI_message_dialog when the user closes the dialog
 * without pressing a button. */
#define HX_UI_RESPONSE_CLOSED (-1)

/* Types of HX_UI_user_controlled_message, with the buttons they offer. */
enum {
    HX_UI_USER_MESSAGE_INFORMATION = 1, /* "OK" */
    HX_UI_USER_MESSAGE_QUESTION = 2     /* "OK", "Cancel" */
};
/* Answer of HX_UI_user_controlled_message when the user closes the message;
 * pressing button n (from 1) answers -(n + 1): -2 for the first button. */
#define HX_UI_USER_MESSAGE_CLOSED (-1)

/* Longest status text HX_get_fail_message writes, without terminator. */
#define HX_FAIL_MESSAGE_SIZE 132

HX_BEGIN_DECLS

/* The text in the user's language; host-owned, valid until the session
 * ends. Returns the text itself when there is no translation. */
HX_API const char *HX_TEXT(const char *text);
/* Show text in the message box with a severity. */
HX_API int HX_message_box(int severity, const char *text);
/* Show a message dialog with up to three buttons (null labels are absent)
 * and wait for the answer; *response receives the button (1-3). */
HX_API int HX_message_dialog(const char *title, int kind, const char *text, const char *button1,
                             const char *button2, const char *button3, int *response);
/* Show a message dialog of a type with line_count lines of text (lines may
 * be null when line_count is 0) and the buttons given, and wait for the
 * answer: *response receives the pressed button's response, or
 * HX_UI_RESPONSE_CLOSED. With translate non-zero the title, lines and
 * labels pass through the host's translation first. */
HX_API int HX_UI_message_dialog(const char *title, HX_UI_MESSAGE_DIALOG_TYPE type, const char *const *lines,
                                int line_count, const HX_UI_message_buttons *buttons, int translate,
                                int *response);
/* A message the user may switch off: shown with the buttons of its type and
 * the default button (from 1) preselected; *answer receives the answer code
 * (see HX_UI_USER_MESSAGE_CLOSED). With user_can_hide non-zero the message
 * offers "Do not show this message again"; once the user has ticked it, a
 * later message of the same key is not shown and answers as the user did
 * then. */
HX_API int HX_UI_user_controlled_message(const char *key, int type, const char *title, const char *text,
                                         int user_can_hide, int default_button, int *answer);
/* The text of a host status, at most HX_FAIL_MESSAGE_SIZE characters. */
HX_API int HX_get_fail_message(int status, char message[HX_FAIL_MESSAGE_SIZE + 1]);
/* Listing window: is it open, open it, write text (no line feed added). */
HX_API int HX_listing_window_is_open(int *is_open);
HX_API int HX_listing_window_open(void);
HX_API int HX_listing_window_write(const char *text);
/* One line to the host's system log. */
HX_API int HX_syslog_write(const char *text);
/* Prompt (cue) and status line. */
HX_API int HX_set_cue(const char *text);
HX_API int HX_set_status(const char *text);
/* printf-formatted text to the host's tooling log (no line feed added). */
HX_API int HX_kt_lprintf(const char *format, ...) HX_PRINTF(1, 2);
/* Loads a message-translation file (host path): afterwards HX_TEXT answers
 * its translations. The file is read whole or not at all: HX_ERR_NOT_FOUND,
 * HX_ERR_IO or HX_ERR_BAD_FORMAT (the reason goes to the system log) leave
 * the translations as they were. */
HX_API int NLM_load_translation_file(const char *path);

HX_END_DECLS

#endif
