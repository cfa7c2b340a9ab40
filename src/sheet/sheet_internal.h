// Internal interface of the sheet table shared by every reader (the XESS
// text reader, the workbook reader of the host's tooling utilities and the
// ODBC database reader).
//
// A reader builds a raw grid of row_count rows by column_count columns from
// the host allocator, in which absent rows are null, stores it in the table
// and calls sheet_normalize before handing the table over.
#ifndef CVSTV_SHEET_SHEET_INTERNAL_H
#define CVSTV_SHEET_SHEET_INTERNAL_H

#include "cvstvshare/sheet.h"

extern "C" {

// Comment stripping: text from "##" or "//" to the end of a row goes; a row
// left with no text becomes null. Returns 0, or -1 when memory runs out.
int sheet_strip_comments(sheet_table *table);
// Fill-down through the record block. Returns 0, or -1 when memory runs out.
int sheet_fill_down(sheet_table *table);
// Removes null rows. Returns 0, or -2 (table left empty) when none remain,
// -1 when memory runs out; sets found_row to -1.
int sheet_compact_rows(sheet_table *table);
// The three steps in order; 0, -1 or -2 as above. On -1 the table is
// released.
int sheet_normalize(sheet_table *table);

} // extern "C"

#endif
