// Files and directories: CreateFileW and its CE twin, sizes, the file
// pointer, end of file, attributes, directories.
#include "platform/posix/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

#include "platform/posix/syscalls.h"
#include "platform/text_convert.h"

namespace posix_layer {
namespace {

// The tables of the layer are made on first use and never destroyed, so
// that code running before main() or after exit() (static objects of a
// program or of a test's second process) finds them working.
std::mutex g_mapped_mutex;

std::map<std::pair<dev_t, ino_t>, int>& MappedFiles() {
  static auto* files = new std::map<std::pair<dev_t, ino_t>, int>();
  return *files;
}

// Windows reports a missing directory on the way as ERROR_PATH_NOT_FOUND and
// only a missing last component as ERROR_FILE_NOT_FOUND.
void SetNotFoundError(const std::string& host) {
  const size_t slash = host.find_last_of('/');
  if (slash == std::string::npos || slash == 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return;
  }
  struct stat st;
  const std::string parent = host.substr(0, slash);
  if (sys::Stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
  } else {
    SetLastError(ERROR_PATH_NOT_FOUND);
  }
}

void SetErrorForPath(int err, const std::string& host) {
  if (err == ENOENT) {
    SetNotFoundError(host);
  } else {
    SetLastErrorFromErrno(err);
  }
}

// Share modes are kept as open-file-description locks (F_OFD_*) on bytes
// far beyond any real content. Such locks belong to one open description,
// so they separate two openers inside one process as well as in two, and
// they go with the description's last close. Each opener holds a shared
// lock on one byte for each access it has and one for each access it does
// not share; a newcomer is refused when any other opener holds a byte it
// conflicts with, which is Windows' rule in both directions
// (tests/platform/files_test.cpp, Files_Share, runs the same rows on Wine).
// An flock() held for the moment of checking and taking makes the two one
// step against other openers.
//
// An opener that does not share deleting holds one more byte, which a
// rename or a deletion of the file asks about (nothing opens files with
// delete access, so no opener is refused for it).
//
// The bytes are ordered so that what the usual openers take is one run,
// taken in one call: a reader sharing reading (the first three), a writer
// sharing nothing (all five), a writer sharing reading (the first four).
constexpr off_t kShareLockBase = static_cast<off_t>(1) << 62;
enum ShareByte { kRefusesDelete, kHasRead, kRefusesWrite, kHasWrite, kRefusesRead, kShareBytes };

struct flock ShareRange(short type, int first, int count) {
  struct flock range = {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kShareLockBase + first;
  range.l_len = count;
  return range;
}

// 1 when another opener holds any of the bytes, 0 when none does, -1 (errno
// set) when the question could not be asked.
int HeldByAnother(int fd, int first, int count) {
  struct flock range = ShareRange(F_WRLCK, first, count);
  if (sys::FcntlLock(fd, F_OFD_GETLK, &range) != 0) return -1;
  return range.l_type != F_UNLCK ? 1 : 0;
}

// Returns ERROR_SUCCESS with the opener's locks taken, or the Win32 error.
// A descriptor open for writing only cannot hold a shared (read) lock, so it
// holds exclusive ones: two write-only openers then exclude each other. On
// failure the caller closes the descriptor, which drops whatever was taken.
DWORD TakeShareLocks(int fd, bool fd_reads, DWORD access, DWORD share_mode) {
  const bool reads = (access & GENERIC_READ) != 0;
  const bool writes = (access & GENERIC_WRITE) != 0;
  const bool refuses_read = (share_mode & FILE_SHARE_READ) == 0;
  const bool refuses_write = (share_mode & FILE_SHARE_WRITE) == 0;
  while (sys::Flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return Win32ErrorFromErrno(errno);
  }
  // The byte of another opener that conflicts with each of ours.
  bool conflicts[kShareBytes] = {};
  conflicts[kRefusesRead] = reads;
  conflicts[kRefusesWrite] = writes;
  conflicts[kHasRead] = refuses_read;
  conflicts[kHasWrite] = refuses_write;
  // Usually no other opener holds the file: one question then answers for
  // every byte.
  int held = HeldByAnother(fd, 0, kShareBytes);
  if (held > 0) {
    held = 0;
    for (int byte = 0; held == 0 && byte < kShareBytes; ++byte) {
      if (conflicts[byte]) held = HeldByAnother(fd, byte, 1);
    }
  }
  DWORD error = ERROR_SUCCESS;
  if (held != 0) error = held > 0 ? ERROR_SHARING_VIOLATION : Win32ErrorFromErrno(errno);
  bool wanted[kShareBytes] = {};
  wanted[kRefusesDelete] = (share_mode & FILE_SHARE_DELETE) == 0;
  wanted[kHasRead] = reads;
  wanted[kHasWrite] = writes;
  wanted[kRefusesRead] = refuses_read;
  wanted[kRefusesWrite] = refuses_write;
  const short type = fd_reads ? F_RDLCK : F_WRLCK;
  for (int first = 0; error == ERROR_SUCCESS && first < kShareBytes;) {
    if (!wanted[first]) {
      ++first;
      continue;
    }
    int count = 1;
    while (first + count < kShareBytes && wanted[first + count]) ++count;
    struct flock range = ShareRange(type, first, count);
    if (sys::FcntlLock(fd, F_OFD_SETLK, &range) != 0) {
      error = (errno == EAGAIN || errno == EACCES) ? ERROR_SHARING_VIOLATION
                                                   : Win32ErrorFromErrno(errno);
    }
    first += count;
  }
  // A flock left held would make every later opener of the file wait.
  if (sys::Flock(fd, LOCK_UN) != 0 && error == ERROR_SUCCESS) error = Win32ErrorFromErrno(errno);
  return error;
}

// Whether an opener holds the file at `host` without sharing deletion, or
// this process maps it (with `any_opener`: whether any opener holds it,
// CE's rule for a deletion): ERROR_SUCCESS when nobody does (or there is no such
// file, which the caller's own call then reports), else `refusal`. Asked and
// acted on in two steps: an opener that comes between them is not refused,
// which no caller of the system relies on.
DWORD RefusalByOpeners(const std::string& host, DWORD refusal, bool any_opener = false) {
  const int fd = sys::Open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : Win32ErrorFromErrno(errno);
  struct stat st;
  DWORD error = ERROR_SUCCESS;
  const int held =
      any_opener ? HeldByAnother(fd, 0, kShareBytes) : HeldByAnother(fd, kRefusesDelete, 1);
  if (held != 0) {
    error = held > 0 ? refusal : Win32ErrorFromErrno(errno);
  } else if (sys::Fstat(fd, &st) != 0) {
    error = Win32ErrorFromErrno(errno);
  } else if (IsMappedFile(st.st_dev, st.st_ino)) {
    error = refusal;
  }
  sys::Close(fd);
  return error;
}

bool g_delete_and_rename_supported = true;

// The rename under MoveFileW and DeleteAndRenameFile, and the sync of the
// folder that makes the new name durable.
BOOL RenameDurably(const std::string& from, const std::string& to) {
  if (sys::Rename(from.c_str(), to.c_str()) != 0) {
    // ENOENT names either side: the source, or the target's folder.
    const int error = errno;
    struct stat st;
    const bool source_missing = error == ENOENT && sys::Stat(from.c_str(), &st) != 0;
    SetErrorForPath(error, source_missing ? from : to);
    return FALSE;
  }
  // rename(2) changes the folder, and a sync of the file alone does not
  // write that change.
  if (!SyncParentFolder(to)) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

FileObject* LookUpFile(HANDLE handle) {
  return static_cast<FileObject*>(LookUpHandle(handle, HandleObject::Kind::kFile));
}

}  // namespace

bool FileObject::Close() {
  const int descriptor = fd;
  fd = -1;
  if (descriptor >= 0 && sys::Close(descriptor) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

void AddMappedFile(dev_t device, ino_t inode) {
  std::lock_guard<std::mutex> lock(g_mapped_mutex);
  ++MappedFiles()[{device, inode}];
}

void RemoveMappedFile(dev_t device, ino_t inode) {
  std::lock_guard<std::mutex> lock(g_mapped_mutex);
  auto it = MappedFiles().find({device, inode});
  if (it != MappedFiles().end() && --it->second == 0) MappedFiles().erase(it);
}

bool IsMappedFile(dev_t device, ino_t inode) {
  std::lock_guard<std::mutex> lock(g_mapped_mutex);
  return MappedFiles().count({device, inode}) != 0;
}

std::string HostPath(LPCWSTR path) {
  std::string host = Utf16ToUtf8(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = sys::Write(fd, in, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    in += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool SyncParentFolder(const std::string& host_path) {
  const size_t slash = host_path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : host_path.substr(0, slash));
  const int fd = sys::Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = sys::Fsync(fd) == 0;
  const int error = errno;
  sys::Close(fd);
  errno = error;
  return synced;
}

}  // namespace posix_layer

using posix_layer::FileObject;
namespace sys = posix_layer::sys;

HANDLE CreateFileW(LPCWSTR path, DWORD desired_access, DWORD share_mode,
                   LPSECURITY_ATTRIBUTES /*security*/, DWORD creation_disposition,
                   DWORD /*flags_and_attributes*/, HANDLE /*template_file*/) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string host = posix_layer::HostPath(path);
  if (host.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const bool reads = (desired_access & GENERIC_READ) != 0;
  const bool writes = (desired_access & GENERIC_WRITE) != 0;
  // A write-only handle still gets a read-write descriptor where the file
  // allows it, so that its share locks can be shared ones; ReadFile checks
  // the handle's access, not the descriptor's.
  int flags = O_CLOEXEC | (writes ? O_RDWR : O_RDONLY);
  switch (creation_disposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case OPEN_EXISTING:
      break;
    case TRUNCATE_EXISTING:
      if (!writes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  // An opening of an existing file learns what it opened from the fstat
  // below: one call where two were made per open. The others ask first
  // (whether the file existed is reported, and a directory is refused before
  // anything is created).
  const bool ask_first = creation_disposition != OPEN_EXISTING;
  struct stat before;
  const bool existed = ask_first && sys::Stat(host.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int fd = sys::Open(host.c_str(), flags, 0666);
  if (fd < 0 && writes && !reads && errno == EACCES) {
    flags = (flags & ~O_ACCMODE) | O_WRONLY;  // a file we may write but not read
    fd = sys::Open(host.c_str(), flags, 0666);
  }
  if (fd < 0) {
    if (errno == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
    } else {
      posix_layer::SetErrorForPath(errno, host);
    }
    return INVALID_HANDLE_VALUE;
  }
  // Every failure from here on closes the descriptor, which also drops any
  // share lock it took.
  auto fail = [fd](DWORD error) {
    sys::Close(fd);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  };
  // The share check comes before any truncation, so that a refused opener
  // never destroys the content another opener holds.
  const DWORD share_error =
      posix_layer::TakeShareLocks(fd, (flags & O_ACCMODE) != O_WRONLY, desired_access, share_mode);
  if (share_error != ERROR_SUCCESS) return fail(share_error);
  struct stat st;
  if (sys::Fstat(fd, &st) != 0) return fail(posix_layer::Win32ErrorFromErrno(errno));
  if (S_ISDIR(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
  if (creation_disposition == CREATE_ALWAYS || creation_disposition == TRUNCATE_EXISTING) {
    if (posix_layer::IsMappedFile(st.st_dev, st.st_ino)) return fail(ERROR_USER_MAPPED_FILE);
    if (st.st_size != 0 && sys::Ftruncate(fd, 0) != 0) {
      return fail(posix_layer::Win32ErrorFromErrno(errno));
    }
  }
  auto* file = new FileObject();
  file->fd = fd;
  file->access = desired_access;
  file->device = st.st_dev;
  file->inode = st.st_ino;
  // Windows reports an existing file that CREATE_ALWAYS or OPEN_ALWAYS
  // opened through the last error, on success.
  const bool report_existing =
      existed && (creation_disposition == CREATE_ALWAYS || creation_disposition == OPEN_ALWAYS);
  SetLastError(report_existing ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return posix_layer::RegisterHandle(file);
}

HANDLE CreateFileForMappingW(LPCWSTR path, DWORD desired_access, DWORD share_mode,
                             LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                             DWORD flags_and_attributes, HANDLE template_file) {
  return CreateFileW(path, desired_access, share_mode, security, creation_disposition,
                     flags_and_attributes, template_file);
}

DWORD GetFileSize(HANDLE handle, LPDWORD size_high) {
  FileObject* file = posix_layer::LookUpFile(handle);
  if (file == nullptr) return INVALID_FILE_SIZE;
  struct stat st;
  if (sys::Fstat(file->fd, &st) != 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size_high != nullptr) *size_high = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distance_high, DWORD move_method) {
  FileObject* file = posix_layer::LookUpFile(handle);
  if (file == nullptr) return INVALID_SET_FILE_POINTER;
  int64_t offset = distance;
  if (distance_high != nullptr) {
    offset =
        static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distance_high)) << 32) |
                             static_cast<uint32_t>(distance));
  }
  if (move_method != FILE_BEGIN && move_method != FILE_CURRENT && move_method != FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  // The base is asked for without moving, so a refused move leaves the
  // pointer where it was.
  off_t base = 0;
  if (move_method == FILE_CURRENT) {
    base = sys::Lseek(file->fd, 0, SEEK_CUR);
  } else if (move_method == FILE_END) {
    struct stat st;
    base = sys::Fstat(file->fd, &st) == 0 ? st.st_size : -1;
  }
  if (base < 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return INVALID_SET_FILE_POINTER;
  }
  if (base + offset < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t result = sys::Lseek(file->fd, static_cast<off_t>(base + offset), SEEK_SET);
  if (result < 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return INVALID_SET_FILE_POINTER;
  }
  if (distance_high != nullptr) *distance_high = static_cast<LONG>(result >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(result);
}

BOOL SetEndOfFile(HANDLE handle) {
  FileObject* file = posix_layer::LookUpFile(handle);
  if (file == nullptr) return FALSE;
  if ((file->access & GENERIC_WRITE) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (posix_layer::IsMappedFile(file->device, file->inode)) {
    SetLastError(ERROR_USER_MAPPED_FILE);
    return FALSE;
  }
  const off_t position = sys::Lseek(file->fd, 0, SEEK_CUR);
  if (position < 0 || sys::Ftruncate(file->fd, position) != 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD to_read, LPDWORD read_count,
              void* /*overlapped*/) {
  FileObject* file = posix_layer::LookUpFile(handle);
  if (read_count != nullptr) *read_count = 0;
  if (file == nullptr) return FALSE;
  if ((file->access & GENERIC_READ) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD total = 0;
  auto* out = static_cast<char*>(buffer);
  while (total < to_read) {
    const ssize_t n = sys::Read(file->fd, out + total, to_read - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      posix_layer::SetLastErrorFromErrno(errno);
      return FALSE;
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (read_count != nullptr) *read_count = total;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD to_write, LPDWORD written,
               void* /*overlapped*/) {
  FileObject* file = posix_layer::LookUpFile(handle);
  if (written != nullptr) *written = 0;
  if (file == nullptr) return FALSE;
  if ((file->access & GENERIC_WRITE) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!posix_layer::WriteAll(file->fd, buffer, to_write)) {
    posix_layer::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (written != nullptr) *written = to_write;
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
  FileObject* file = posix_layer::LookUpFile(handle);
  if (file == nullptr) return FALSE;
  if ((file->access & GENERIC_WRITE) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (sys::Fsync(file->fd) != 0) {
    posix_layer::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string host = posix_layer::HostPath(path);
  // CE refuses to delete a file that is open at all, whatever it shares.
  const DWORD refused = posix_layer::RefusalByOpeners(host, ERROR_SHARING_VIOLATION, true);
  if (refused != ERROR_SUCCESS) {
    SetLastError(refused);
    return FALSE;
  }
  if (sys::Unlink(host.c_str()) != 0) {
    posix_layer::SetErrorForPath(errno, host);
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileW(LPCWSTR existing, LPCWSTR new_name) {
  if (existing == nullptr || new_name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string from = posix_layer::HostPath(existing);
  const std::string to = posix_layer::HostPath(new_name);
  struct stat st;
  if (sys::Stat(to.c_str(), &st) == 0) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  const DWORD refused = posix_layer::RefusalByOpeners(from, ERROR_SHARING_VIOLATION);
  if (refused != ERROR_SUCCESS) {
    SetLastError(refused);
    return FALSE;
  }
  return posix_layer::RenameDurably(from, to);
}

BOOL DeleteAndRenameFile(LPCWSTR dest, LPCWSTR source) {
  if (dest == nullptr || source == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!posix_layer::g_delete_and_rename_supported) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  const std::string to = posix_layer::HostPath(dest);
  const std::string from = posix_layer::HostPath(source);
  struct stat st;
  for (const std::string* host : {&to, &from}) {
    if (sys::Stat(host->c_str(), &st) != 0) {
      posix_layer::SetErrorForPath(errno, *host);
      return FALSE;
    }
  }
  DWORD refused = posix_layer::RefusalByOpeners(to, ERROR_ACCESS_DENIED);
  if (refused == ERROR_SUCCESS)
    refused = posix_layer::RefusalByOpeners(from, ERROR_SHARING_VIOLATION);
  if (refused != ERROR_SUCCESS) {
    SetLastError(refused);
    return FALSE;
  }
  return posix_layer::RenameDurably(from, to);
}

namespace platform_test {

void SetDeleteAndRenameSupported(bool supported) {
  posix_layer::g_delete_and_rename_supported = supported;
}

}  // namespace platform_test

DWORD GetFileAttributesW(LPCWSTR path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  const std::string host = posix_layer::HostPath(path);
  struct stat st;
  if (host.empty() || sys::Stat(host.c_str(), &st) != 0) {
    if (host.empty()) {
      SetLastError(ERROR_PATH_NOT_FOUND);
    } else {
      posix_layer::SetErrorForPath(errno, host);
    }
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  // The read-only attribute is the file's own, as on Windows: no write bit
  // at all, whoever asks (root may write anything).
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return FILE_ATTRIBUTE_READONLY;
  return FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES /*security*/) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string host = posix_layer::HostPath(path);
  if (host.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (sys::Mkdir(host.c_str(), 0777) != 0) {
    // A missing parent is ERROR_PATH_NOT_FOUND on Windows, never "file".
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : posix_layer::Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}
