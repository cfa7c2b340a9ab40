/*
 * A headless C application built against an installed copy: it sets the
 * headless host up through the C setup API, looks a material up in the
 * example kit, frees everything the library hands it (lists with their free
 * functions, single strings with the host's HX_free), reads a message the
 * library showed from the journal, and ends with no host block live.
 *
 * usage: consumer KIT_DIRECTORY
 * Prints one line of facts; exit status 0 when all held.
 */
#include <cvstvshare/cvstvshare.h>
#include <vexahost/hx_memory.h>
#include <vexahost/hx_spreadsheet.h>
#include <vexahost/setup.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    vexahost_reset();
    vexahost_set_default_spreadsheet(HX_SPREADSHEET_XESS);
    char kit[400];
    snprintf(kit, sizeof kit, "%s/cavora", argv[1]);
    vexahost_set_env("CAVORA_DIR", kit);

    /* String lists: freed with kt_free_str_list. */
    char **list = NULL;
    kt_add_str_list(&list, "M8");
    kt_add_str_list(&list, "M10");
    CVSTWSHARE_set_wizard_type(2);
    printf("%d %s %d", kt_ask_str_list_count(list), list[1], CVSTWSHARE_get_wizard_type());
    kt_free_str_list(&list);
    CVSTWSHARE_set_wizard_type(1);

    /* A catalogue look-up: the table is emptied with sheet_release_memo, the
     * values list freed with kt_free_str_list. */
    char path[257] = "";
    sheet_table table;
    memset(&table, 0, sizeof table);
    int status = CVSTVSHARE_ask_mold_data_fspec(1, NULL, "cv_material.xls", path);
    if (status == 0)
        status = CVSTVSHARE_read_spreadsheet(1, path, &table);
    char **values = NULL;
    int count = 0;
    int matches = status == 0 ? sheet_search_record(&table, "MATERIAL==PA66", &values, &count) : -1;
    char scale[SHEET_VALUE_SIZE] = "";
    sheet_ask_field_value(&table, "SCALE", scale);
    printf(" | PA66: %d match, scale %s", matches, scale);
    kt_free_str_list(&values);
    sheet_release_memo(&table);

    /* Single strings the library documents as freed with the host
     * allocator: HX_free. */
    char *first = NULL, *second = NULL;
    STV_split_string("M8 x 20", " x", &first, &second);
    printf(" | split: %s %s", first ? first : "-", second ? second : "-");
    HX_free(first);
    HX_free(second);
    char *error = NULL;
    GXDB_Errors(&error);
    HX_free(error);

    /* A message the library showed, read back from the journal. */
    char result[257] = "";
    CV_MENU_ask_cv_fspec("NO_SUCH_KIT_DIR", "application", NULL, result);
    vexahost_journal_entry entry;
    int n = vexahost_journal_count();
    if (n > 0 && vexahost_journal_entry_at(n - 1, &entry) == 0)
        printf(" | journal: %s", entry.text);

    size_t live = vexahost_live_blocks();
    printf(" | live blocks: %zu\n", live);
    return matches == 1 && live == 0 ? 0 : 1;
}
