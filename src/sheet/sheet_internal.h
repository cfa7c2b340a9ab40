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

#include <vector>

// What a reader notes about its raw grid while making it, so that
// normalisation need not read every cell again.
struct SheetGridNotes {
    // Every row (from 0) with a cell that holds a comment mark ("##" or
    // "//") or is an empty text: the comment step changes no other row.
    std::vector<int> rows_with_comments;
    // Every row whose first cell was set to exactly "PARAMETERS" or "END".
    std::vector<int> keyword_rows;
};

// sheet_normalize for a raw grid described by its notes: the comment step
// visits only the rows noted, the record block is found among the noted
// rows, and the fill-down tells empty cells by their null pointers. The same
// result and status as sheet_normalize.
int sheet_normalize_noted(sheet_table *table, const SheetGridNotes &notes);

#endif
