#include "platform/posix/syscalls.h"

#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/fault.h"

namespace posix_layer {
namespace sys {
namespace {

using platform_fault::Syscall;

// True, with errno set, when the hook wants this call to fail.
bool Refused(Syscall call) {
  int error = 0;
  if (!platform_fault::Fires(call, &error)) return false;
  errno = error;
  return true;
}

}  // namespace

int Open(const char* path, int flags, mode_t mode) {
  return Refused(Syscall::kOpen) ? -1 : open(path, flags, mode);
}

int Close(int fd) {
  if (Refused(Syscall::kClose)) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return close(fd);
}

int Stat(const char* path, struct stat* st) {
  return Refused(Syscall::kStat) ? -1 : stat(path, st);
}

int Fstat(int fd, struct stat* st) { return Refused(Syscall::kFstat) ? -1 : fstat(fd, st); }

off_t Lseek(int fd, off_t offset, int whence) {
  return Refused(Syscall::kLseek) ? -1 : lseek(fd, offset, whence);
}

ssize_t Read(int fd, void* buffer, size_t count) {
  return Refused(Syscall::kRead) ? -1 : read(fd, buffer, count);
}

ssize_t Write(int fd, const void* buffer, size_t count) {
  return Refused(Syscall::kWrite) ? -1 : write(fd, buffer, count);
}

ssize_t Pread(int fd, void* buffer, size_t count, off_t offset) {
  return Refused(Syscall::kRead) ? -1 : pread(fd, buffer, count, offset);
}

ssize_t Pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  return Refused(Syscall::kWrite) ? -1 : pwrite(fd, buffer, count, offset);
}

int Ftruncate(int fd, off_t length) {
  return Refused(Syscall::kFtruncate) ? -1 : ftruncate(fd, length);
}

int Fallocate(int fd, off_t offset, off_t length) {
  if (Refused(Syscall::kFallocate)) return -1;
  const int error = posix_fallocate(fd, offset, length);
  if (error == 0) return 0;
  errno = error;
  return -1;
}

int Fsync(int fd) { return Refused(Syscall::kFsync) ? -1 : fsync(fd); }

void* Mmap(size_t length, int protection, int fd, off_t offset, int flags) {
  if (Refused(Syscall::kMmap)) return MAP_FAILED;
  return mmap(nullptr, length, protection, MAP_SHARED | flags, fd, offset);
}

int Msync(void* base, size_t length) {
  return Refused(Syscall::kMsync) ? -1 : msync(base, length, MS_SYNC);
}

int Rename(const char* from, const char* to) {
  return Refused(Syscall::kRename) ? -1 : rename(from, to);
}

int Unlink(const char* path) { return Refused(Syscall::kUnlink) ? -1 : unlink(path); }

int Mkdir(const char* path, mode_t mode) {
  return Refused(Syscall::kMkdir) ? -1 : mkdir(path, mode);
}

int Flock(int fd, int operation) { return Refused(Syscall::kFlock) ? -1 : flock(fd, operation); }

int FcntlLock(int fd, int command, struct flock* range) {
  return Refused(Syscall::kFcntl) ? -1 : fcntl(fd, command, range);
}

int DupCloexec(int fd) { return Refused(Syscall::kFcntl) ? -1 : fcntl(fd, F_DUPFD_CLOEXEC, 0); }

int ShmOpen(const char* name, int flags, mode_t mode) {
  return Refused(Syscall::kShmOpen) ? -1 : shm_open(name, flags, mode);
}

int ShmUnlink(const char* name) { return Refused(Syscall::kUnlink) ? -1 : shm_unlink(name); }

int MemfdCreate(const char* name) {
  return Refused(Syscall::kShmOpen) ? -1 : memfd_create(name, MFD_CLOEXEC);
}

}  // namespace sys
}  // namespace posix_layer
