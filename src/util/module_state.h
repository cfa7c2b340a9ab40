// The library's module state, resettable as one.
//
// Module-level state (the wizard type, the opened spreadsheet port, the
// workbook database's connection, and the handles later areas cache) is
// plain data on the host's user-interface thread. Each module that keeps
// some registers how to put it back to its initial value:
//
//     const cvstv::ModuleStateReset port_reset{[] { opened_port = 0; }};
//
// and reset_module_state() resets them all, in registration order. The
// shared test main calls it together with the headless host's reset, so no
// test resets library state by hand and no test sees a handle cached by an
// earlier one. A host never needs it: the library is loaded once per
// session.
#ifndef CVSTV_UTIL_MODULE_STATE_H
#define CVSTV_UTIL_MODULE_STATE_H

namespace cvstv {

class ModuleStateReset {
  public:
    explicit ModuleStateReset(void (*reset)());
};

void reset_module_state();

} // namespace cvstv

// The same, with C linkage under a fixed name, for the shared test main.
extern "C" void cvstv_reset_module_state(void);

#endif
