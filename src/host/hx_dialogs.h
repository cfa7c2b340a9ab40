/*
 * Host dialogs ("styler" dialogs) and the dialog selection.
 *
 * A dialog is described by a dialog file (see the host's documentation of
 * the dialog-file form) and identified, while it is open, by an integer
 * dialog id. Each item has an item id text; two reserved ids address the
 * dialog itself (HX_STYLER_DIALOG_INDEX: title, width, selection, active
 * page) and its navigation buttons (HX_STYLER_NAV_INDEX: sensitivity and
 * labels of OK, Apply, Back and Cancel, chosen by the entry index).
 *
 * Reading or changing an item always fills one record,
 * HX_STYLER_item_value_type_t, with the item id, the attribute, the value
 * form and the value, and passes it to HX_STYLER_set_value or
 * HX_STYLER_ask_value. An ask fills the value in the form asked for (with
 * HX_STYLER_OWN_FORM, the item's own form) and writes that form back into
 * value_form; texts and arrays it puts into the record come from the host
 * allocator and are released, all at once, by HX_STYLER_free_value.
 *
 * A dialog runs modally with HX_STYLER_create_dialog: the host calls the
 * callbacks of a table (item id, reason, function) as the user works in
 * the dialog, and answers with the response that ended it.
 */
#ifndef CVSTV_HOST_HX_DIALOGS_H
#define CVSTV_HOST_HX_DIALOGS_H

#include "hx_common.h"

/* Reserved item ids: the dialog itself and its navigation buttons. */
#define HX_STYLER_DIALOG_INDEX "HX_STYLER_DIALOG_INDEX"
#define HX_STYLER_NAV_INDEX "HX_STYLER_NAV_INDEX"

/* Longest text a text item holds, without terminator. */
#define HX_STYLER_MAX_TEXT_SIZE 132

/* Item attributes: what a record reads or sets. */
enum {
    HX_STYLER_SENSITIVITY = 0, /* 1 active, 0 greyed; an entry by the entry index */
    HX_STYLER_VISIBILITY = 1,
    HX_STYLER_VALUE = 2,        /* the value; for lists the chosen entries */
    HX_STYLER_LABEL = 3,        /* label; the title on HX_STYLER_DIALOG_INDEX */
    HX_STYLER_BITMAP = 4,       /* bitmap name */
    HX_STYLER_FOCUS = 5,        /* the item takes the keyboard focus */
    HX_STYLER_LIST_ENTRIES = 6, /* the entries of a list, option menu, ... */
    HX_STYLER_DIALOG_WIDTH = 8, /* on HX_STYLER_DIALOG_INDEX */
    HX_STYLER_DECIMALS = 10,    /* decimal places of a real scale */
    HX_STYLER_DESELECT = 12,    /* deselect the entry index (-1: all) */
    HX_STYLER_LIST_INSERT = 13, /* insert entries at the entry index (-1: at the end) */
    HX_STYLER_LIST_DELETE = 14, /* delete the entry index (-1: all) */
    HX_STYLER_LIST_SHOW = 15,   /* entry scrolled into view; travels in the entry index */
    HX_STYLER_SELECTION = 16,   /* selection handle, on HX_STYLER_DIALOG_INDEX */
    HX_STYLER_ACTIVE_PAGE = 17, /* active page of a tab item or the dialog */
    HX_STYLER_SCALE_STEP = 19   /* step of a real scale */
};

/* Value forms. A request names the form it wants (HX_STYLER_OWN_FORM: the
 * item's own); an ask writes back the form it filled. */
enum {
    HX_STYLER_OWN_FORM = 0,
    HX_STYLER_TEXTS = 1,           /* value.strings, count entries */
    HX_STYLER_INTEGER = 2,         /* value.integer */
    HX_STYLER_INTEGERS = 3,        /* value.integers, count entries */
    HX_STYLER_REAL = 4,            /* value.real */
    HX_STYLER_REALS = 5,           /* value.reals, count entries */
    HX_STYLER_TEXT = 6,            /* value.string */
    HX_STYLER_SELECTION_HANDLE = 7 /* value.selection */
};

/* Entry indices of the navigation buttons on HX_STYLER_NAV_INDEX. */
enum { HX_STYLER_NAV_OK = 0, HX_STYLER_NAV_APPLY = 1, HX_STYLER_NAV_BACK = 2, HX_STYLER_NAV_CANCEL = 3 };

/* Responses of a modal dialog. */
enum { HX_STYLER_RESPONSE_OK = 2, HX_STYLER_RESPONSE_BACK = 3, HX_STYLER_RESPONSE_CANCEL = 4 };

/* Reasons a callback is called for. */
enum {
    HX_STYLER_CONSTRUCTOR_CB = 1, /* the dialog opens (item HX_STYLER_DIALOG_INDEX) */
    HX_STYLER_DESTRUCTOR_CB = 2,  /* the dialog closes */
    HX_STYLER_OK_CB = 3,          /* navigation buttons (item HX_STYLER_DIALOG_INDEX) */
    HX_STYLER_APPLY_CB = 4,
    HX_STYLER_BACK_CB = 5,
    HX_STYLER_CANCEL_CB = 6,
    HX_STYLER_ACTIVATE_CB = 7,      /* a button pressed, an entry chosen, a text entered */
    HX_STYLER_VALUE_CHANGED_CB = 8, /* a toggle switched, a scale moved */
    HX_STYLER_DOUBLE_CLICK_CB = 9   /* an entry of a list double-clicked */
};

/* What a callback asks of the host. */
enum { HX_STYLER_CB_CONTINUE = 0, HX_STYLER_CB_EXIT = 1 };

/* Statuses of the dialog service. */
enum {
    HX_STYLER_ERR_NO_DIALOG = 1301,     /* no dialog of that id is open */
    HX_STYLER_ERR_NO_ITEM = 1302,       /* the dialog has no item of that id */
    HX_STYLER_ERR_BAD_ATTRIBUTE = 1303, /* the item has no such attribute */
    HX_STYLER_ERR_BAD_VALUE = 1304,     /* a value of the wrong form or out of range */
    HX_STYLER_ERR_DIALOG_FILE = 1305    /* a dialog file that cannot be read */
};

/* The dialog record. Strings and arrays the caller puts in stay the
 * caller's; those an ask puts in belong to the record until
 * HX_STYLER_free_value. */
typedef struct HX_STYLER_item_value_type_s {
    int reason;          /* the reason of a callback; 0 otherwise */
    const char *item_id; /* the item, or a reserved id */
    int entry_index;     /* entry of a list, option menu or button group; -1 all or none */
    int count;           /* number of values of an array value */
    int item_attr;       /* HX_STYLER_SENSITIVITY ... */
    int value_form;      /* HX_STYLER_OWN_FORM ... */
    union {
        int integer;
        double real;
        char *string;
        char **strings;
        int *integers;
        double *reals;
        tag_t selection;
    } value;
} HX_STYLER_item_value_type_t, *HX_STYLER_item_value_type_p_t;

/* A dialog callback: the dialog id, the client data given to
 * HX_STYLER_create_dialog and the item's value (host-owned, valid during
 * the call). Returns HX_STYLER_CB_CONTINUE or HX_STYLER_CB_EXIT. */
typedef int (*HX_STYLER_callback_t)(int dialog_id, void *client_data,
                                    HX_STYLER_item_value_type_p_t callback_data);

/* One entry of a callback table; a table ends with an entry whose item id
 * and callback are both null. */
typedef struct HX_STYLER_callback_info_s {
    const char *item_id;
    int reason;
    HX_STYLER_callback_t callback;
} HX_STYLER_callback_info_t;

/* ---- Interactive selection ------------------------------------------------ */

/* Answers of HX_UI_select_objects. */
enum {
    HX_UI_SEL_BACK = 1,
    HX_UI_SEL_CANCEL = 2,
    HX_UI_SEL_OK = 3,            /* ended with OK (several objects, or none) */
    HX_UI_SEL_PICKED = 4,        /* one object picked */
    HX_UI_SEL_PICKED_BY_NAME = 5 /* one object chosen by its name */
};

/* Scopes of a selection. */
enum {
    HX_UI_SEL_SCOPE_WORK_PART = 0,        /* objects of the work part */
    HX_UI_SEL_SCOPE_ANY_IN_ASSEMBLY = 1,  /* objects of every loaded part */
    HX_UI_SEL_SCOPE_WORK_PART_AND_OCC = 2 /* the work part's objects and occurrences */
};

/* Detail types of selection masks on solid objects (HX_TYPE_SOLID). */
enum {
    HX_UI_SEL_DETAIL_NONE = 0, /* the mask's type and subtype decide */
    HX_UI_SEL_DETAIL_BODY = 1,
    HX_UI_SEL_DETAIL_FACE = 2,
    HX_UI_SEL_DETAIL_EDGE = 3
};

/* A selection mask: an object passes when its type is object_type and,
 * with detail_type HX_UI_SEL_DETAIL_NONE, its subtype is object_subtype;
 * otherwise the detail type names the kind of solid object (body, face,
 * edge) of type 70. */
typedef struct HX_UI_mask_s {
    int object_type;
    int object_subtype;
    int detail_type;
} HX_UI_mask_t;

/* An interactive selection. */
typedef struct HX_UI_selection_request_s {
    const char *prompt;        /* shown on the cue line while the user selects */
    const char *title;         /* title of the selection dialog; null: "Select" */
    int scope;                 /* HX_UI_SEL_SCOPE_... */
    int multiple;              /* 0: one object; 1: several */
    int mask_count;            /* 0: every object */
    const HX_UI_mask_t *masks; /* an object passes when any mask accepts it */
    int keep_highlight;        /* 1: selected objects come back highlighted */
} HX_UI_selection_request_t;

/* Answers of HX_UI_point_construct. */
enum { HX_UI_POINT_BACK = 1, HX_UI_POINT_PICKED = 2, HX_UI_POINT_CANCEL = 3 };

HX_BEGIN_DECLS

/* ---- Dialogs ---------------------------------------------------------------- */

/* Set an item attribute from the record. */
HX_API int HX_STYLER_set_value(int dialog_id, HX_STYLER_item_value_type_p_t value);
/* Fill the record with an item attribute in the form asked; release what
 * it put there with HX_STYLER_free_value. */
HX_API int HX_STYLER_ask_value(int dialog_id, HX_STYLER_item_value_type_p_t value);
/* Release the texts and arrays an ask put into the record and clear its
 * value; a record holding none is left alone. */
HX_API int HX_STYLER_free_value(HX_STYLER_item_value_type_p_t value);
/* The block-dialog variant of HX_STYLER_set_value (same record). */
HX_API int BLD_hx_set_value(int dialog_id, HX_STYLER_item_value_type_p_t value);

/* Open the dialog of a dialog file (a bare name is looked for in the
 * host's dialog directories) with a callback table and client data, run it
 * until it ends, and answer its response (HX_STYLER_RESPONSE_...). */
HX_API int HX_STYLER_create_dialog(const char *dialog_file, const HX_STYLER_callback_info_t *callbacks,
                                   void *client_data, int *response);

/* ---- The dialog selection ------------------------------------------------- */

/* The objects in a selection, as a new array from the host allocator
 * (null when there are none). */
HX_API int HX_UI_ask_sel_object_list(tag_t selection, int *count, tag_t **objects);
/* Add objects to a selection, highlighting them when highlight is 1. */
HX_API int HX_UI_add_to_sel_list(tag_t selection, int count, const tag_t *objects, int highlight);
/* Remove objects from a selection, taking their highlight off when
 * unhighlight is 1 (objects not in the selection are only unhighlighted). */
HX_API int HX_UI_remove_from_sel_list(tag_t selection, int count, const tag_t *objects, int unhighlight);

/* ---- Interactive selection and points ---------------------------------- */

/* The host's defaults: one object, any object of the work part and its
 * occurrences, no prompt, the title "Select", highlight taken off. */
HX_API void HX_UI_init_selection_request(HX_UI_selection_request_t *request);
/* Let the user select objects. *objects is a new array from the host
 * allocator (null when none was selected). */
HX_API int HX_UI_select_objects(const HX_UI_selection_request_t *request, int *response, int *count,
                                tag_t **objects);
/* Let the user construct a point: on HX_UI_POINT_PICKED a new point object
 * of the work part and its position. *method is the construction method
 * offered first and receives the one the user used. */
HX_API int HX_UI_point_construct(const char *prompt, int *method, tag_t *point, double position[3],
                                 int *response);

/* Locked user-function mode (interaction from outside a dialog) and the
 * bracket of an interaction inside a dialog. */
HX_API int HX_UI_lock_access(void);
HX_API int HX_UI_unlock_access(void);
HX_API int HX_UI_begin_dialog(void);
HX_API int HX_UI_end_dialog(void);

HX_END_DECLS

#endif
