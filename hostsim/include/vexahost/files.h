// Paths of the headless host: the host's form ('\' separators, as the
// library keeps them) and the local form of the file system, mapped the
// same way HX_local_path maps them, so that a program running the library
// headless can show users the files the library names.
#ifndef VEXAHOST_FILES_H
#define VEXAHOST_FILES_H

#include "vexahost/common.h"

#include <string>

namespace vexa::sim {

// The local file-system path of a host path ("C:\kit" stays a relative
// "C:/kit"; on this host a host path is a local path with '\' separators).
VEXAHOST_API std::string local_path(const std::string &host_path);
// The host path of a local path.
VEXAHOST_API std::string host_path(const std::string &local_path);

} // namespace vexa::sim

#endif
