#include "shared/sections.h"

#include <cstring>

const WCHAR kPreferenceSectionName[] = TEXT("QXX_SECTION_PREFERENCE_QXLUM_VEQ");
const WCHAR kServerSectionName[] = TEXT("QXX_SECTION_SERVER_QXLUM_VEQ");

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
