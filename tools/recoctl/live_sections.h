// What recoctl's live commands share, on both targets: the named sections
// of running processes, read without ever creating them, the window words
// those hold, and the commands' exit codes.
#ifndef RECO_TOOLS_RECOCTL_LIVE_SECTIONS_H_
#define RECO_TOOLS_RECOCTL_LIVE_SECTIONS_H_

#include <memory>
#include <string>

#include "platform/platform.h"
#include "shared/preference_block.h"

// Exit codes of the live commands.
constexpr int kLiveDone = 0;
constexpr int kLiveFailed = 1;  // no section, no window, or the action was refused
constexpr int kLiveUnsupported = 2;

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

// A window handle as the server section stores it: "0x" and eight
// upper-case hexadecimal digits.
std::string WindowWord(HWND window);

#endif  // RECO_TOOLS_RECOCTL_LIVE_SECTIONS_H_
