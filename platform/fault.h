// Test-only fault injection into the platform layer.
//
// A test arms a fault for one platform call; the next time(s) that call is
// made it fails with the given Win32 error instead of doing its work, so the
// system's failure paths run for real. Only our own POSIX layer can be hooked;
// on Windows the calls are the system's, and FaultHookAvailable() says so
// (tests that need a fault skip there).
#ifndef RECO_PLATFORM_FAULT_H_
#define RECO_PLATFORM_FAULT_H_

#include <cstdint>

namespace platform_fault {

enum class Call {
  kCreateFile,
  kGetFileSize,
  kSetFilePointer,
  kSetEndOfFile,
  kCreateFileMapping,
  kMapViewOfFile,
  kCreateDirectory,
  kGetFileAttributes,
  kCount
};

// True where Arm() has an effect.
bool FaultHookAvailable();

// The call fails with `error` after `skip` successful calls, `times` times.
void Arm(Call call, uint32_t error, int skip = 0, int times = 1);

// Disarms every fault.
void Reset();

// For the platform layer: true when an armed fault fires for this call; the
// caller then sets the returned error and fails.
bool Fires(Call call, uint32_t* error);

}  // namespace platform_fault

#endif  // RECO_PLATFORM_FAULT_H_
