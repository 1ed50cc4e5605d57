// Helpers shared by the files of the POSIX layer; not for system code.
#ifndef RECO_PLATFORM_POSIX_INTERNAL_H_
#define RECO_PLATFORM_POSIX_INTERNAL_H_

#include <cstdint>
#include <string>

#include "platform/posix/win32_api.h"

namespace posix_layer {

// Sets the last error from errno through the one errno table; an errno the
// table does not know becomes ERROR_GEN_FAILURE.
void SetLastErrorFromErrno(int err);
DWORD Win32ErrorFromErrno(int err);

// The host path for a system path: UTF-8, with every backslash a slash.
std::string HostPath(LPCWSTR path);

// Writes all `size` bytes, going on after short writes and EINTR. False with
// errno set on failure.
bool WriteAll(int fd, const void* data, size_t size);

// Syncs the folder that holds `host_path`, so that a name just made or
// replaced in it survives a power cut. False with errno set on failure.
bool SyncParentFolder(const std::string& host_path);

// Every handle the layer gives out points at one of these. The registry of
// live handles lets every call reject stale and foreign values.
struct HandleObject {
  enum class Kind { kFile, kMapping, kRegistryKey, kMutex };
  explicit HandleObject(Kind k) : kind(k) {}
  virtual ~HandleObject() = default;
  // Called by CloseHandle; returns false (with the last error set) to keep
  // the handle open.
  virtual bool Close() = 0;
  const Kind kind;
};

// Opens or creates the shared-memory object `name` (a leading slash, no
// other) of `size` bytes as one more holder, with the races and leftovers of
// named sections handled as mappings.cpp does: the result holds a shared
// flock, and the holder that can turn it into an exclusive one at its close
// is the last and removes the name. A new object is zero-filled. Returns the
// descriptor, or -1 with the last error set; *existed tells which it was.
int OpenSharedObject(const std::string& name, uint64_t size, bool* existed);

HANDLE RegisterHandle(HandleObject* object);
// The live object behind `handle` if it is of `kind`, else nullptr with
// ERROR_INVALID_HANDLE.
HandleObject* LookUpHandle(HANDLE handle, HandleObject::Kind kind);
// Removes `handle` from the registry; returns the object, or nullptr.
HandleObject* UnregisterHandle(HANDLE handle);

}  // namespace posix_layer

#endif  // RECO_PLATFORM_POSIX_INTERNAL_H_
