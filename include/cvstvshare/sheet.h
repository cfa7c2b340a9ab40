/*
 * Spreadsheet data: the in-memory sheet table, its layout conventions and
 * its condition language.
 *
 * A sheet_table holds a workbook sheet as a grid of text cells. Readers fill
 * it (and normalise it: comments stripped, values filled down through the
 * record block, empty rows removed); sheet_release_memo empties it. Cells,
 * rows and the row array come from the host allocator and belong to the
 * table.
 */
#ifndef CVSTVSHARE_SHEET_H
#define CVSTVSHARE_SHEET_H

#include "cvstvshare_export.h"

/* Capacity of sheet_table.file_name, terminator included. */
#define SHEET_FILE_NAME_SIZE 260

typedef struct sheet_table {
    char ***rows;      /* row_count rows of column_count cells; a cell is a string or null */
    int row_count;
    int column_count;
    int found_row;     /* first record matched by the last search, -1 for none */
    char file_name[SHEET_FILE_NAME_SIZE]; /* the workbook path as given to the reader */
} sheet_table;

#endif
