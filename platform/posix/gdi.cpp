// Graphics objects. Nothing is drawn on POSIX; the system only deletes the
// objects it was given, and tests count the deletions.
#include <atomic>

#include "platform/posix/internal.h"
#include "platform/test_hooks.h"

namespace {

std::atomic<long> g_deleted{0};

}  // namespace

BOOL DeleteObject(HGDIOBJ object) {
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ++g_deleted;
  return TRUE;
}

namespace platform_test {

long DeleteObjectCount() { return g_deleted.load(); }

void ResetDeleteObjectCount() { g_deleted.store(0); }

}  // namespace platform_test
