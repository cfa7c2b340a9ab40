/*
 * libcvstvshareint: the shared services of the tooling-design applications.
 * This umbrella header includes every public header of the library.
 */
#ifndef CVSTVSHARE_H
#define CVSTVSHARE_H

#include "assembly.h"
#include "cvstvshare_export.h"
#include "application.h"
#include "customer_defaults.h"
#include "project_lookups.h"
#include "dialog_items.h"
#include "selection.h"
#include "part_attributes.h"
#include "pdm_names.h"
#include "sheet.h"
#include "sheet_gxdb.h"
#include "sheet_loading.h"
#include "startup.h"
#include "util.h"

#endif
