/* A libcvstv_share.dll of another build: a shared object without the entry
 * the applications call. */
__attribute__((visibility("default"))) int Wizard_share_version(void);

int Wizard_share_version(void)
{
    return 2;
}
