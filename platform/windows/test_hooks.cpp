// Windows: the calls are the system's own and nothing is counted; the one
// switch is over a shim of a CE-only call.
#include "platform/test_hooks.h"

#include "platform/windows/win32_shims.h"

namespace platform_test {

long DeleteObjectCount() { return -1; }

void ResetDeleteObjectCount() {}

void SetDeleteAndRenameSupported(bool supported) {
  win32_shims::g_delete_and_rename_supported = supported;
}

}  // namespace platform_test

namespace win32_shims {
bool g_delete_and_rename_supported = true;
}  // namespace win32_shims
