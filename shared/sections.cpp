#include "shared/sections.h"

#include <cstring>

const WCHAR kPreferenceSectionName[] = TEXT("QXX_SECTION_PREFERENCE_QXLUM_VEQ");
const WCHAR kServerSectionName[] = TEXT("QXX_SECTION_SERVER_QXLUM_VEQ");
const WCHAR kBuilderMutexName[] = TEXT("QXX_MUTEX_PREFERENCE_QXLUM_VEQ");

PreferenceSection::~PreferenceSection() = default;

bool PreferenceSection::Open(LPCWSTR name) {
  handle_ = nullptr;
  SetLastError(0);
  handle_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                               sizeof(PreferenceBlock), name);
  if (handle_ == nullptr) return false;
  // Only what the creation reported: another process may still be building
  // the block it created a moment ago.
  if (GetLastError() == ERROR_ALREADY_EXISTS) existed_ = 1;
  view_ = static_cast<PreferenceBlock*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (view_ == nullptr) {
    CloseHandle(handle_);
    handle_ = nullptr;
    return false;
  }
  return true;
}

bool PreferenceSection::OpenBuilt(PreferenceBuild build, LPCWSTR name, LPCWSTR mutex_name,
                                  DWORD wait_ms) {
  // No mutex (the kernel has no memory left for one, or on desktop Windows
  // an object of another kind holds the name): the start goes on as it did
  // before there was a mutex. The guard covers two starts within one build;
  // a device that cannot make it would otherwise refuse every start.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, mutex_name);
  if (mutex != nullptr && WaitForSingleObject(mutex, wait_ms) != WAIT_OBJECT_0) {
    // Timed out, abandoned or failed: the block cannot be trusted. An
    // abandoned mutex is now ours and is closed unreleased, so that any
    // other copy waiting is told of the abandonment too. CE 5.0's reference
    // lists no abandoned result for a wait: where the platform does not
    // report one, a copy that waited for a builder that died goes on with
    // the block as that builder left it.
    CloseHandle(mutex);
    return false;
  }
  const bool opened = Open(name);
  if (opened && !Existed() && build != nullptr) build(this);
  if (mutex != nullptr) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  return opened;
}

void PreferenceSection::Release() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  view_ = nullptr;
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
}

ServerSection::~ServerSection() {
  handle_ = nullptr;
  view_ = nullptr;
}

bool ServerSection::Open(LPCWSTR name) {
  Release();
  handle_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                               sizeof(ServerBlock), name);
  if (handle_ == nullptr) return false;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  view_ = static_cast<ServerBlock*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  // Only the creator clears the block: an existing one carries the server's
  // window and perhaps an open page's.
  if (!existed && view_ != nullptr) std::memset(view_, 0, sizeof(ServerBlock));
  return true;
}

void ServerSection::Release() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  view_ = nullptr;
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
}
