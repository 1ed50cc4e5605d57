#include "platform/fault.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace platform_fault {
namespace {

// The errno each call most often meets when it fails for real.
constexpr int kUsualError[] = {
    EACCES,  // open
    EIO,     // close
    EACCES,  // stat
    EIO,     // fstat
    EINVAL,  // lseek
    EIO,     // read
    ENOSPC,  // write
    EIO,     // ftruncate
    ENOSPC,  // fallocate
    EIO,     // fsync
    ENOMEM,  // mmap
    EIO,     // msync
    EACCES,  // rename
    EACCES,  // unlink
    ENOSPC,  // mkdir
    ENOLCK,  // flock
    ENOLCK,  // fcntl
    EMFILE,  // shm_open
};
static_assert(sizeof(kUsualError) / sizeof(kUsualError[0]) == static_cast<int>(Syscall::kCount),
              "one usual errno per call");

std::atomic<long> g_calls{0};
std::atomic<long> g_fail_at{0};   // 0: none
std::atomic<long> g_crash_at{0};  // 0: none

}  // namespace

bool FaultHookAvailable() {
#if defined(_WIN32)
  return false;
#else
  return true;
#endif
}

void FailNthCall(long n) { g_fail_at = g_calls + n; }

void CrashAtNthCall(long n) { g_crash_at = g_calls + n; }

long CallCount() { return g_calls; }

void Reset() {
  g_calls = 0;
  g_fail_at = 0;
  g_crash_at = 0;
}

bool Fires(Syscall call, int* error) {
  const long number = ++g_calls;
#if !defined(_WIN32)
  if (number == g_crash_at) _exit(kCrashExitCode);
#endif
  if (number != g_fail_at) return false;
  *error = kUsualError[static_cast<int>(call)];
  return true;
}

}  // namespace platform_fault
