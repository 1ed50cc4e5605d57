// Holders of the two named sections shared with the input-method server.
//
// Each process keeps one holder of each. A holder's destructor releases
// nothing: the shutdown sequence writes the settings back, then calls
// Release() on the preference holder and then on the server holder, in that
// order, before deleting them.
#ifndef RECO_SHARED_SECTIONS_H_
#define RECO_SHARED_SECTIONS_H_

#include "platform/platform.h"
#include "shared/preference_block.h"

// The names every process of the input method uses.
extern const WCHAR kPreferenceSectionName[];  // "QXX_SECTION_PREFERENCE_QXLUM_VEQ"
extern const WCHAR kServerSectionName[];      // "QXX_SECTION_SERVER_QXLUM_VEQ"

// The preference section: the PreferenceBlock, and whether it existed before
// this process opened it (a section this process created is all zeros and
// must be built).
class PreferenceSection {
 public:
  PreferenceSection() = default;
  virtual ~PreferenceSection();
  PreferenceSection(const PreferenceSection&) = delete;
  PreferenceSection& operator=(const PreferenceSection&) = delete;

  // Opens or creates the section `name` (tests and tools pass a private
  // name) and maps all of it. Returns true when a view is mapped. On failure
  // no handle is held and the existed flag tells whether the creation
  // reported an existing section.
  // REQUIRES: nothing held (a holder is opened once).
  bool Open(LPCWSTR name = kPreferenceSectionName);

  // Unmaps the view and closes the handle, clearing both.
  void Release();

  // The mapped block, or nullptr while nothing is mapped.
  PreferenceBlock* Block() const { return view_; }
  HANDLE Handle() const { return handle_; }
  // True when the section existed before this process opened it.
  bool Existed() const { return existed_ != 0; }

 private:
  PreferenceBlock* view_ = nullptr;
  HANDLE handle_ = nullptr;
  DWORD existed_ = 0;
};

// The server section: the ServerBlock through which the tool finds the
// server's window and an open settings page.
class ServerSection {
 public:
  ServerSection() = default;
  // Clears both fields without releasing them.
  virtual ~ServerSection();
  ServerSection(const ServerSection&) = delete;
  ServerSection& operator=(const ServerSection&) = delete;

  // Releases what is held, then opens or creates the section `name`. The
  // creator zeroes the block; an opener uses it as found. Returns true when
  // a mapping handle was obtained, even if no view could be mapped.
  bool Open(LPCWSTR name = kServerSectionName);

  // Unmaps the view and closes the handle when held, clearing both.
  void Release();

  // The mapped block, or nullptr while nothing is mapped.
  ServerBlock* Block() const { return view_; }
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
  ServerBlock* view_ = nullptr;
};

#endif  // RECO_SHARED_SECTIONS_H_
