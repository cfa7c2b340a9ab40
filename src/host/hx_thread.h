/*
 * The host's symbolic-thread record: what a symbolic thread on a cylindrical
 * face is made from. Its texts are expressions of the thread's values
 * ("6.350000"), each a string from the host allocator or null; whoever fills
 * the record hands them to its owner, who frees each with HX_free.
 */
#ifndef CVSTV_HOST_HX_THREAD_H
#define CVSTV_HOST_HX_THREAD_H

#include "hx_common.h"

typedef struct HX_MODL_symb_thread_data_s {
    tag_t cylindrical_face; /* the face threaded */
    tag_t start_face;       /* the face the thread starts from */
    int number_of_starts;
    char *length;  /* thread length (depth) */
    char *form;    /* thread form: "Unified", "Metric" ... */
    char *callout; /* the thread's designation */
    char *major_dia;
    char *minor_dia;
    char *tapped_dia;
    char *pitch;
} HX_MODL_symb_thread_data_s;

#endif
