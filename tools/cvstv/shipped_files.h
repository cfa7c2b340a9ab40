// The files shipped with cvstv: the example kit and the workbook driver's
// private ODBC registration.
#ifndef CVSTV_TOOLS_SHIPPED_FILES_H
#define CVSTV_TOOLS_SHIPPED_FILES_H

#include <string>

namespace cvstv_cli {

struct ShippedFiles {
    std::string kit;      // local directory of the example kit; empty when none
    std::string odbc_ini; // directory of the odbcinst.ini registering the driver; empty when none
};

// Found relative to the running executable: <prefix>/share/cvstvshareint
// for an installed cvstv, the build tree's own copies for one run from the
// build tree.
const ShippedFiles &shipped_files();

} // namespace cvstv_cli

#endif
