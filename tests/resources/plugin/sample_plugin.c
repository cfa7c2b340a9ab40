/* A companion library for the library-loading tests: one entry that reports
 * the value it was given, so a test can tell it really ran. */
int sample_plugin_entry(int wizard_type)
{
    return 100 + wizard_type;
}
