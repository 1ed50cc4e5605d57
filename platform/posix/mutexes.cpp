// Named mutexes, shared between the user's processes.
//
// A mutex is a shared-memory object of one byte, opened, created and
// retired as a named section is (OpenSharedObject): every handle holds the
// name with a shared flock on a description of its own. Ownership is an
// open-file-description lock on the byte, which the kernel drops when the
// owner's process ends, however it ends. The byte is the owner's mark: 1
// while the lock is held, 0 once a release has given it back, so a waiter
// that takes the lock over a 1 knows that its owner went without a release
// and reports WAIT_ABANDONED, as Windows does when an owner thread ends
// (tests/platform/mutex_test.cpp). flock and fcntl locks do not meet on
// Linux, so the name and the ownership never block each other.
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/posix/internal.h"
#include "platform/posix/syscalls.h"
#include "platform/text_convert.h"

namespace posix_layer {
namespace {

// A wait polls the lock: often enough that a waiter goes on within a few
// milliseconds of a release, rarely enough to cost nothing meanwhile.
constexpr auto kPollStep = std::chrono::milliseconds(2);

struct MutexObject : HandleObject {
  MutexObject() : HandleObject(Kind::kMutex) {}
  // An owner that closes without a release leaves its mark, so the next
  // waiter is told (as on Windows when the owner thread ends).
  bool Close() override {
    if (sys::Flock(fd, LOCK_EX | LOCK_NB) == 0) sys::ShmUnlink(name.c_str());
    sys::Close(fd);
    return true;
  }
  std::string name;
  int fd = -1;
  bool owned = false;
};

// Not the section names' form ("/reco-<uid>-..."): a mutex and a section of
// the same name are two objects, as on CE.
std::string MutexObjectName(LPCWSTR name) {
  std::string text = Utf16ToUtf8(name);
  std::replace(text.begin(), text.end(), '/', '_');
  return "/reco-mutex-" + std::to_string(getuid()) + "-" + text;
}

// The lock on the mark's byte: F_WRLCK to take it, F_UNLCK to give it back.
int LockMark(int fd, short type) {
  struct flock range = {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
  return sys::FcntlLock(fd, F_OFD_SETLK, &range);
}

MutexObject* LookUpMutex(HANDLE handle) {
  return static_cast<MutexObject*>(LookUpHandle(handle, HandleObject::Kind::kMutex));
}

}  // namespace
}  // namespace posix_layer

using posix_layer::MutexObject;
namespace sys = posix_layer::sys;

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES /*security*/, BOOL initial_owner, LPCWSTR name) {
  if (initial_owner || name == nullptr || name[0] == 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto mutex = std::make_unique<MutexObject>();
  mutex->name = posix_layer::MutexObjectName(name);
  bool existed = false;
  mutex->fd = posix_layer::OpenSharedObject(mutex->name, 1, &existed);
  if (mutex->fd < 0) return nullptr;
  HANDLE handle = posix_layer::RegisterHandle(mutex.release());
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  MutexObject* mutex = posix_layer::LookUpMutex(handle);
  if (mutex == nullptr) return WAIT_FAILED;
  if (mutex->owned) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return WAIT_FAILED;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (posix_layer::LockMark(mutex->fd, F_WRLCK) != 0) {
    if (errno != EAGAIN && errno != EACCES) {
      posix_layer::SetLastErrorFromErrno(errno);
      return WAIT_FAILED;
    }
    Clock::duration step = posix_layer::kPollStep;
    if (milliseconds != INFINITE) {
      const Clock::time_point now = Clock::now();
      if (now >= deadline) return WAIT_TIMEOUT;
      step = std::min(step, deadline - now);
    }
    std::this_thread::sleep_for(step);
  }
  BYTE mark = 0;
  const BYTE owner_mark = 1;
  if (sys::Pread(mutex->fd, &mark, 1, 0) < 0 || sys::Pwrite(mutex->fd, &owner_mark, 1, 0) != 1) {
    const int error = errno;
    posix_layer::LockMark(mutex->fd, F_UNLCK);
    posix_layer::SetLastErrorFromErrno(error);
    return WAIT_FAILED;
  }
  mutex->owned = true;
  return mark != 0 ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

BOOL ReleaseMutex(HANDLE handle) {
  MutexObject* mutex = posix_layer::LookUpMutex(handle);
  if (mutex == nullptr) return FALSE;
  if (!mutex->owned) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  // The mark goes first: should the unlock then fail, the mutex stays owned
  // and the handle's close completes the release.
  const BYTE released = 0;
  if (sys::Pwrite(mutex->fd, &released, 1, 0) != 1 ||
      posix_layer::LockMark(mutex->fd, F_UNLCK) != 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  mutex->owned = false;
  return TRUE;
}
