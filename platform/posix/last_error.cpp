// The thread's last error and the one table that turns errno into it.
#include <cerrno>

#include "platform/posix/internal.h"

namespace {

thread_local DWORD t_last_error = ERROR_SUCCESS;

struct ErrnoMapping {
  int err;
  DWORD win32;
};

// What Windows reports for the same condition.
constexpr ErrnoMapping kErrnoTable[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_WRITE_PROTECT},
    {EIO, ERROR_WRITE_FAULT},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ENOLCK, ERROR_SHARING_BUFFER_EXCEEDED},
    {EBADF, ERROR_INVALID_HANDLE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EAGAIN, ERROR_SHARING_VIOLATION},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {EEXIST, ERROR_ALREADY_EXISTS},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_DISK_FULL},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {ELOOP, ERROR_INVALID_NAME},
    {ENOSYS, ERROR_NOT_SUPPORTED},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
};

}  // namespace

DWORD GetLastError() { return t_last_error; }

void SetLastError(DWORD error) { t_last_error = error; }

namespace posix_layer {

DWORD Win32ErrorFromErrno(int err) {
  for (const ErrnoMapping& m : kErrnoTable) {
    if (m.err == err) return m.win32;
  }
  return ERROR_GEN_FAILURE;
}

void SetLastErrorFromErrno(int err) { SetLastError(Win32ErrorFromErrno(err)); }

}  // namespace posix_layer
