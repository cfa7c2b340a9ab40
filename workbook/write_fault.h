// Fault injection for tests of the all-or-nothing workbook write.
#ifndef CVSTV_WORKBOOK_WRITE_FAULT_H
#define CVSTV_WORKBOOK_WRITE_FAULT_H

#include <cstdint>

namespace workbook {

// Makes the next workbook file write fail after `bytes` bytes have reached the
// new file (0 fails before anything is written). The fault fires once and is
// then cleared; a negative value clears a pending fault. Process-wide.
void fail_next_write_after(std::int64_t bytes);

} // namespace workbook

#endif
