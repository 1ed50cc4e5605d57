// Windows: the calls are the system's own and nothing is counted.
#include "platform/test_hooks.h"

namespace platform_test {

long DeleteObjectCount() { return -1; }

void ResetDeleteObjectCount() {}

}  // namespace platform_test
