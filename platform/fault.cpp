#include "platform/fault.h"

#include <atomic>

namespace platform_fault {
namespace {

struct Fault {
  std::atomic<int> skip{0};
  std::atomic<int> times{0};
  std::atomic<uint32_t> error{0};
};

Fault g_faults[static_cast<int>(Call::kCount)];

}  // namespace

bool FaultHookAvailable() {
#if defined(_WIN32)
  return false;
#else
  return true;
#endif
}

void Arm(Call call, uint32_t error, int skip, int times) {
  Fault& f = g_faults[static_cast<int>(call)];
  f.error = error;
  f.skip = skip;
  f.times = times;
}

void Reset() {
  for (Fault& f : g_faults) {
    f.times = 0;
    f.skip = 0;
  }
}

bool Fires(Call call, uint32_t* error) {
  Fault& f = g_faults[static_cast<int>(call)];
  if (f.times.load() <= 0) return false;
  if (f.skip.load() > 0) {
    --f.skip;
    return false;
  }
  --f.times;
  *error = f.error.load();
  return true;
}

}  // namespace platform_fault
