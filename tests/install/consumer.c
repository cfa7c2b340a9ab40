/* An application built against an installed copy of the library. */
#include <cvstvshare/cvstvshare.h>

#include <stdio.h>
#include <string.h>

int main(void)
{
    char **list = NULL;
    char path[257] = "";
    char dir[] = "C:\\kit\\";
    kt_add_str_list(&list, "M8");
    kt_add_str_list(&list, "M10");
    CVSTWSHARE_set_wizard_type(2);
    printf("%d %s %d\n", kt_ask_str_list_count(list), list[1], CVSTWSHARE_get_wizard_type());
    kt_free_str_list(&list);
    (void)path;
    (void)dir;
    return list == NULL ? 0 : 1;
}
