// Test-only fault injection at the system calls of our POSIX layer.
//
// Every system call the layer makes goes through one table
// (platform/posix/syscalls.h). A test can make the Nth call from now fail,
// whatever it is, with the errno that call most often meets, or end the
// process at the Nth call, as a crash or a power cut would. The layer then
// runs its own errno translation and cleanup for real, and a test can walk
// a whole operation call by call (tests/fault_loop.h). On Windows the calls
// are the system's own: FaultHookAvailable() is false there and the rest
// does nothing, so tests that need a fault skip.
#ifndef RECO_PLATFORM_FAULT_H_
#define RECO_PLATFORM_FAULT_H_

namespace platform_fault {

enum class Syscall {
  kOpen,
  kClose,
  kStat,
  kFstat,
  kLseek,
  kRead,
  kWrite,
  kFtruncate,
  kFallocate,
  kFsync,
  kMmap,
  kMsync,
  kRename,
  kUnlink,
  kMkdir,
  kFlock,
  kFcntl,
  kShmOpen,
  kCount
};

// The exit status of a process ended by CrashAtNthCall.
constexpr int kCrashExitCode = 86;

// True where the calls below have an effect.
bool FaultHookAvailable();

// The nth table call from now (1 for the next one) fails, whichever call it
// is, with that call's usual errno (ENOSPC for writes, EIO for syncs, ...).
void FailNthCall(long n);

// The nth table call from now ends the process with kCrashExitCode before it
// is made: what was done before it is all that reaches the file system.
void CrashAtNthCall(long n);

// Table calls made since the last Reset().
long CallCount();

// Disarms every fault and sets the count to 0.
void Reset();

// For the POSIX layer: counts the call, ends the process when a crash is
// due, and returns true with *error set when the call is to fail.
bool Fires(Syscall call, int* error);

}  // namespace platform_fault

#endif  // RECO_PLATFORM_FAULT_H_
