// Shared by every setup header of the headless host: the export macro and
// the host's object identifier.
#ifndef VEXAHOST_COMMON_H
#define VEXAHOST_COMMON_H

#define VEXAHOST_API __attribute__((visibility("default")))

namespace vexa::sim {

// A host object identifier, the same type as the host interface's tag_t;
// 0 is the null tag.
using tag_t = unsigned int;

} // namespace vexa::sim

#endif
