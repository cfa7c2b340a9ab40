// The library's module state goes back to its initial values in one call,
// the one the shared test main makes before every test.
#include "host_test.h"

#include "cvstvshare/sheet_gxdb.h"
#include "cvstvshare/startup.h"
#include "util/module_state.h"

class ModuleState : public HostTest {};

TEST_F(ModuleState, OneResetRestoresWizardTypeModuleIdAndSpreadsheetPort)
{
    EXPECT_EQ(CVSTWSHARE_get_wizard_type(), 0) << "each test starts from the initial state";
    EXPECT_EQ(kt_ask_module_id(), -1);
    CVSTWSHARE_set_wizard_type(2);
    kt_set_module_id(7);
    CVSTVSHARE_set_xls_port(3);
    cvstv::reset_module_state();
    EXPECT_EQ(CVSTWSHARE_get_wizard_type(), 0);
    EXPECT_EQ(kt_ask_module_id(), -1);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), 0);
}
