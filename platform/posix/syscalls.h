// The one table of system calls that the POSIX layer makes (SQLite's
// habit): each wrapper counts its call for the test-only fault hook
// (platform/fault.h) and either fails as the armed fault says, with errno
// set and the call's own failure value, or makes the call. Nothing else in
// the layer calls the kernel directly, so a test that walks a write call by
// call reaches every step, its errno translation and its cleanup.
#ifndef RECO_PLATFORM_POSIX_SYSCALLS_H_
#define RECO_PLATFORM_POSIX_SYSCALLS_H_

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

namespace posix_layer {
namespace sys {

int Open(const char* path, int flags, mode_t mode = 0);
// An injected failure still releases the descriptor, as close(2) does when
// it reports an error.
int Close(int fd);
int Stat(const char* path, struct stat* st);
int Fstat(int fd, struct stat* st);
off_t Lseek(int fd, off_t offset, int whence);
ssize_t Read(int fd, void* buffer, size_t count);
ssize_t Write(int fd, const void* buffer, size_t count);
// At an offset, leaving the file position alone; counted as read and write.
ssize_t Pread(int fd, void* buffer, size_t count, off_t offset);
ssize_t Pwrite(int fd, const void* buffer, size_t count, off_t offset);
int Ftruncate(int fd, off_t length);
// Returns 0 or -1 with errno set (posix_fallocate itself returns the error).
int Fallocate(int fd, off_t offset, off_t length);
int Fsync(int fd);
// A shared mapping; `flags` adds to MAP_SHARED (MAP_POPULATE).
void* Mmap(size_t length, int protection, int fd, off_t offset, int flags = 0);
int Msync(void* base, size_t length);
int Rename(const char* from, const char* to);
int Unlink(const char* path);
int Mkdir(const char* path, mode_t mode);
int Flock(int fd, int operation);
// fcntl for the open-file-description locks and F_DUPFD_CLOEXEC.
int FcntlLock(int fd, int command, struct flock* range);
int DupCloexec(int fd);
int ShmOpen(const char* name, int flags, mode_t mode);
// Counted as unlink.
int ShmUnlink(const char* name);
// An anonymous shared-memory file; counted with shm_open.
int MemfdCreate(const char* name);

}  // namespace sys
}  // namespace posix_layer

#endif  // RECO_PLATFORM_POSIX_SYSCALLS_H_
