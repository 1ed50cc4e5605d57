// The named sections of running processes as recoctl reads them, on both
// targets.
#ifndef RECO_TOOLS_RECOCTL_LIVE_SECTIONS_H_
#define RECO_TOOLS_RECOCTL_LIVE_SECTIONS_H_

#include <memory>

#include "platform/platform.h"
#include "shared/preference_block.h"

// A view of a section some other process holds, opened by name only: recoctl
// must never be the one that creates a section, or a program started
// afterwards would find it existing and all zeros.
class ExistingSection {
 public:
  ExistingSection(LPCWSTR name, SIZE_T size) {
    handle_ = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (handle_ != nullptr) view_ = MapViewOfFile(handle_, FILE_MAP_READ, 0, 0, size);
  }
  ~ExistingSection() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ExistingSection(const ExistingSection&) = delete;
  ExistingSection& operator=(const ExistingSection&) = delete;
  const void* View() const { return view_; }

 private:
  HANDLE handle_ = nullptr;
  void* view_ = nullptr;
};

// Copies of the live blocks, or nullptr when no process holds the section.
std::unique_ptr<PreferenceBlock> CopyLivePreferences();
std::unique_ptr<ServerBlock> CopyLiveServer();

#endif  // RECO_TOOLS_RECOCTL_LIVE_SECTIONS_H_
