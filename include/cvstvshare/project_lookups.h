/*
 * Project look-ups made when a tooling project is set up or a standard part
 * is placed: the layer categories of a project (from customer defaults), the
 * material list with its shrinkage scale factors (from the kit's material
 * workbook), and the dimensions of a tapped hole (from the kit's
 * thread-standard workbook), converted to the units of the assembly.
 *
 * Lists handed out are string lists from the host allocator, freed with
 * kt_free_str_list. The thread record is the host's symbolic-thread record
 * (declared by the host interface); its texts come from the host allocator
 * and are freed by the caller, each with the host's free.
 */
#ifndef CVSTVSHARE_PROJECT_LOOKUPS_H
#define CVSTVSHARE_PROJECT_LOOKUPS_H

#include "cvstvshare_export.h"

/* The host's symbolic-thread record. */
struct HX_MODL_symb_thread_data_s;

/* Part units as the thread look-up takes them. */
enum { CV_THREAD_UNITS_METRIC = 0, CV_THREAD_UNITS_ENGLISH = 1 };

CVSTV_BEGIN_DECLS

/* Creates the project's layer categories from the fourteen layer keys
 * ("CV_DatumLayer" ...: the layer number; the key + "Name": the category
 * name) of the current wizard type; a key whose number or name is not
 * answered creates none. The host's status of the last category created,
 * or -1 when none was. */
CVSTV_API int CVSTVSHARE_init_layer_name(void) CVSTV_NOEXCEPT;

/* The material names of the kit's material workbook ("cv_material.xls" or
 * ".xs4", in the kit root or its "templates") into *names (a new list,
 * consecutive repeats dropped), and each one's scale factor appended to
 * *scales (null on entry, or a list to extend; may be null: no factors).
 * The number of names; 0 when there is no material workbook (the load
 * scale is then set to 1 and the prompt line says so); a negative status
 * when the workbook cannot be resolved or memory runs out (nothing handed
 * out). A name whose factor cannot be found gets "1", so the two lists stay
 * aligned. */
CVSTV_API int CVSTVSHARE_init_read_material(char ***names, char ***scales) CVSTV_NOEXCEPT;

/* Fills the thread record for the "SCREW_DIA" and "THREAD_PITCH"
 * expressions of a part from the kit's "thread_standard_dat.xls", in the
 * form given (use_given_form non-zero; at most 49 characters are used) or
 * chosen by the customer default "CV_Pocket_ThreadForm", converted to the
 * units of the displayed assembly. units: the part's units
 * (CV_THREAD_UNITS_METRIC or CV_THREAD_UNITS_ENGLISH). The record's length,
 * form, callout, diameters and pitch are set (null first). 0, also when the
 * sheet holds no record (the record stays empty); -1 for bad arguments, a
 * part without the expressions, a missing workbook, sheet or diameter, a
 * customer default not answered, or a failed host step. The work and
 * displayed part are as they were on return. */
CVSTV_API int CVSTVSHARE_get_thread_parameters(int units, tag_t part, int use_given_form, const char *form,
                                               struct HX_MODL_symb_thread_data_s *thread) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
