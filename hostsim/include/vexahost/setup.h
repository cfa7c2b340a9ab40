/*
 * Setting up the headless host from C.
 *
 * An application that runs the library without the host links libvexahost
 * (pkg-config vexahost) and uses these calls to set the session up as a
 * user would have it: the spreadsheet application, environment variables,
 * answers to the questions the library asks, and afterwards to read what the
 * library showed. C++ programs may use the fuller C++ setup API
 * (vexahost/session.h) instead; both work on the same session.
 *
 * The host itself (allocator, messages, files, spreadsheets, ...) is the
 * host interface declared beside this header (vexahost/hx_*.h); in
 * particular HX_free in vexahost/hx_memory.h gives back what the library
 * documents as "freed with the host allocator".
 *
 * Everything here runs on the thread that calls the library. Strings passed
 * in are copied; strings handed out are owned by the host, with the lifetime
 * each call states.
 */
#ifndef VEXAHOST_SETUP_H
#define VEXAHOST_SETUP_H

#include "hx_common.h"

HX_BEGIN_DECLS

/* ---- Session ---------------------------------------------------------------- */

/* Starts a fresh session: every host area back to its initial state (see
 * vexahost/session.h); live allocator blocks are kept, so a leak stays
 * visible. The journal callback stays. */
HX_API void vexahost_reset(void);
/* Number of blocks of the host allocator not yet given back: 0 once an
 * application has freed everything the library handed it. */
HX_API size_t vexahost_live_blocks(void);

/* ---- Spreadsheet application --------------------------------------------------- */

/* The host's default spreadsheet application, which decides how the library
 * reads workbooks: HX_SPREADSHEET_XESS (0, the host's own, ".xs4" text
 * exports) or HX_SPREADSHEET_EXCEL (1, the separate spreadsheet program,
 * ".xls" through ports or ODBC; see vexahost/hx_spreadsheet.h). 0, or
 * HX_ERR_BAD_ARGUMENT for another value. */
HX_API int vexahost_set_default_spreadsheet(int application);

/* ---- Environment --------------------------------------------------------------- */

/* Makes HX_translate_variable answer value for name, ahead of the process
 * environment; a null value makes name read as unset. 0, or
 * HX_ERR_BAD_ARGUMENT for a null or empty name. */
HX_API int vexahost_set_env(const char *name, const char *value);
/* Drops every override: variables come from the process environment again. */
HX_API void vexahost_clear_env_overrides(void);

/* ---- Preferences ------------------------------------------------------------------ */

/* The host's preference store is set here, in text form as in a preference
 * file of NAME=VALUE lines (lists comma-separated):
 *     int vexahost_set_preference(const char *name, const char *value);
 * (it arrives with the preference store). */

/* ---- Scripted user ---------------------------------------------------------------- */

/* Queues the answer to the next message dialog: the button with that label
 * (as offered, before translation). 0, or HX_ERR_BAD_ARGUMENT for a null
 * label. Unanswered questions get their default (the first button). */
HX_API int vexahost_push_dialog_button(const char *label);
/* Queues the answer to the next message dialog: the button at position
 * (from 1), or closing the dialog without a button for position 0. */
HX_API void vexahost_push_dialog_position(int position);
/* Drops every answer not yet taken. */
HX_API void vexahost_clear_answers(void);

/* ---- Programs -------------------------------------------------------------------------- */

/* The local program the host starts for requests to start the program file
 * `name` ("excel.exe", compared without regard to case): command[0] (a path,
 * or a name looked up in PATH) with command[1] ... command[count - 1] as
 * leading arguments; a count of 0 removes the setting. Never through a
 * shell. 0, or HX_ERR_BAD_ARGUMENT for a null or empty name, a negative
 * count, a null command with a count, or a null or empty command[0]. */
HX_API int vexahost_set_program(const char *name, const char *const *command, int count);
/* The same command as the host's separate spreadsheet program, also named in
 * the registry where the applications look for its directory. 0, or
 * HX_ERR_BAD_ARGUMENT as above (a count of 0 is refused). */
HX_API int vexahost_install_spreadsheet_program(const char *const *command, int count);
/* Waits for the programs started without waiting that are still running;
 * how many there were. */
HX_API int vexahost_wait_for_programs(void);

/* ---- Journal --------------------------------------------------------------------------- */

/* What a journal entry records. */
typedef enum vexahost_entry_kind {
    VEXAHOST_MESSAGE_BOX = 0,    /* severity: HX_SEVERITY_* of hx_messages.h */
    VEXAHOST_MESSAGE_DIALOG = 1, /* severity: the dialog type; title, buttons, answer */
    VEXAHOST_LISTING = 2,        /* text written to the listing window */
    VEXAHOST_SYSLOG = 3,         /* a line of the system log */
    VEXAHOST_CUE = 4,            /* the prompt */
    VEXAHOST_STATUS = 5,         /* the status line */
    VEXAHOST_USER_MESSAGE = 6,   /* a message the user may switch off; title, buttons, answer */
    VEXAHOST_TOOLING_LOG = 7,    /* a text written to the tooling log */
    VEXAHOST_SHELL = 8,          /* the user-interface shell changed (toolbar, palette, translations) */
    VEXAHOST_DIALOG_OPEN = 9,    /* title; text: the dialog file */
    VEXAHOST_DIALOG_ACTION = 10, /* title: the dialog; text: what the user did; answer: the item */
    VEXAHOST_DIALOG_CLOSE = 11,  /* title; response: the dialog's response */
    VEXAHOST_SELECTION = 12,     /* title, text: the prompt; response */
    VEXAHOST_POINT = 13,         /* text: the prompt; response; answer: the position picked */
    VEXAHOST_SPAWN = 14,         /* text: the program asked for; severity: 1 when waited for;
                                    answer: the local program started; response: its exit status */
    VEXAHOST_SHEET_EDIT = 15     /* text: the workbook opened in the host's spreadsheet editor */
} vexahost_entry_kind;

/* Longest list of buttons an entry reports. */
#define VEXAHOST_MAX_BUTTONS 3

/* One thing the host showed or asked. Strings are never null ("" when
 * absent). */
typedef struct vexahost_journal_entry {
    int kind;                                  /* vexahost_entry_kind */
    int severity;                              /* message box severity or dialog type */
    const char *title;                         /* dialog title */
    const char *text;                          /* the text as shown (dialog lines joined by '\n') */
    int response;                              /* the answer: a button position from 1, or the
                                                  response code the dialog returned; else 0 */
    int button_count;                          /* labels offered, at most VEXAHOST_MAX_BUTTONS */
    const char *buttons[VEXAHOST_MAX_BUTTONS]; /* in order; null past button_count */
    const char *answer;                        /* label of the button pressed ("" when closed) */
} vexahost_journal_entry;

/* Number of journal entries since the session started or the journal was
 * last cleared. */
HX_API int vexahost_journal_count(void);
/* Fills *entry with the index-th entry (from 0). Its strings belong to the
 * host and stay valid until the journal is cleared or the session reset.
 * 0, or HX_ERR_BAD_ARGUMENT for a null entry or an index out of range. */
HX_API int vexahost_journal_entry_at(int index, vexahost_journal_entry *entry);
HX_API void vexahost_clear_journal(void);

/* Called with every new journal entry as it is recorded (the entry and its
 * strings are valid during the call only); a null callback: none. Survives
 * a reset. */
typedef void (*vexahost_journal_callback)(const vexahost_journal_entry *entry, void *context);
HX_API void vexahost_set_journal_callback(vexahost_journal_callback callback, void *context);

HX_END_DECLS

#endif
