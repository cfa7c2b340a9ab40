/*
 * Customer defaults: the site's settings of the tooling applications, asked
 * by wizard type, key name and kind of value. The key is mapped onto the
 * name the application's setting is held under in the host's preference
 * store ("CV_..." for mould design and electrodes, "STV_..." for the
 * progressive die, unchanged for automotive dies); the progressive die
 * answers the keys the host does not hold from its settings workbook
 * ("stv_setting.xs4" in STRIVO_DIR\configuration), read afresh on each call.
 *
 * Also builds the parting settings that the host's parting tools start from.
 */
#ifndef CVSTVSHARE_CUSTOMER_DEFAULTS_H
#define CVSTVSHARE_CUSTOMER_DEFAULTS_H

#include "cvstvshare_export.h"

/* Kinds of value, and what the value pointer points to. */
enum {
    CV_DEFAULT_TEXT = 0,          /* char[CV_DEFAULT_TEXT_SIZE] */
    CV_DEFAULT_INT = 1,           /* int */
    CV_DEFAULT_REAL = 2,          /* double, a length: the settings workbook's millimetres
                                   * are converted to inches for English units */
    CV_DEFAULT_COLOUR = 3,        /* int, a colour 1 to 15 (0: none) */
    CV_DEFAULT_REAL_AS_IS = 4,    /* double, never converted */
    CV_DEFAULT_LOGICAL = 5,       /* int, 0 or 1 */
    CV_DEFAULT_REAL_BY_UNITS = 6, /* double, read under the key + "_MU" or "_EU" */
    CV_DEFAULT_LIST = 7           /* char[CV_DEFAULT_TEXT_SIZE]: the entries joined with "," */
};

/* Unit modes: follow the work part's units, or metric, or English. They
 * matter only for CV_DEFAULT_REAL and CV_DEFAULT_REAL_BY_UNITS. */
enum { CV_DEFAULT_UNITS_WORK_PART = 0, CV_DEFAULT_UNITS_METRIC = 1, CV_DEFAULT_UNITS_ENGLISH = 2 };

/* Size of a text value's buffer: at most 249 characters and the terminator. */
#define CV_DEFAULT_TEXT_SIZE 250
/* Longest key after mapping. */
#define CV_DEFAULT_KEY_SIZE 79

CVSTV_BEGIN_DECLS

/* Answers a customer default into *value.
 * 0 when answered; 1 when not answered (a wizard type other than 1 to 4, a
 * kind outside 0 to 7 or one the settings workbook cannot answer, a key
 * neither the host nor the workbook holds, an empty workbook or list), with
 * the value untouched so that the caller keeps its own default; -1 for a
 * null argument, a mapped key longer than CV_DEFAULT_KEY_SIZE, a text longer
 * than 249 characters, or a missing STRIVO_DIR (after a message); otherwise
 * the status of the failed step (a host status, or the settings workbook's
 * existence code after "STV settings file is not found."). */
CVSTV_API int CVSTVSHARE_get_customer_default(int wizard_type, const char *key, int unit_mode, int kind,
                                              void *value) CVSTV_NOEXCEPT;

/* Builds the two parting records from their defaults and the customer
 * defaults of the current wizard type, and hands them to the host's parting
 * tools. 0; -1 when memory runs out; the host's status when it refuses them. */
CVSTV_API int kt_parting_setting_init(void) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
