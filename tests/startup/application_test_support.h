// What the application tests share: the companion libraries built for the
// tests, local paths of host paths, and the journal's lines by kind.
#ifndef CVSTV_TESTS_APPLICATION_TEST_SUPPORT_H
#define CVSTV_TESTS_APPLICATION_TEST_SUPPORT_H

#include "kit_test.h"

#include <vector>

inline const fs::path test_companions = CVSTV_TEST_COMPANIONS;

inline std::string local_form(const std::string &host_path)
{
    return vexa::sim::local_path(host_path);
}

class ApplicationTest : public KitTest {
  protected:
    static std::vector<std::string> lines(vexa::sim::Entry kind) { return vexa::sim::texts(kind); }
    static std::vector<std::string> syslog() { return lines(vexa::sim::Entry::syslog); }
};

#endif
