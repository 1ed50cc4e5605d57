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

// The mutex that copies of the tool hold while they open the preference
// section and, the one that created it, while it builds the block.
extern const WCHAR kBuilderMutexName[];  // "QXX_MUTEX_PREFERENCE_QXLUM_VEQ"

// How long a copy waits for another copy's build. A build reads about
// twenty small INI files: under 1 ms natively, about 8 ms under Wine on a
// small virtual machine (docs/performance.md); a device a hundred times
// slower than that, reading from flash, still builds in under a second.
// Five seconds leave room for a device busy starting other programs, yet a
// copy whose builder hangs gives up soon enough for the person who tapped
// twice.
constexpr DWORD kBuilderWaitMs = 5000;

class PreferenceSection;
// Fills a block this process has just created (all zeros). May be null:
// nothing is built.
typedef void (*PreferenceBuild)(PreferenceSection* section);

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

  // Open() and, when this process created the section, `build` on it, both
  // with the builder mutex `mutex_name` held, so that no copy of the tool
  // reads a block another copy is still building. The mutex is taken before
  // the section is opened: a copy that finds the section existing comes
  // after its builder's build. Returns true with the block mapped (and
  // built, if new). Returns false with nothing held, the section never
  // opened, when the mutex is not this process's within `wait_ms` (another
  // copy is still building), was abandoned (its builder ended mid-build,
  // and the server may keep the half-built section) or cannot be waited on;
  // and when Open() fails. A mutex that cannot be made at all is no reason
  // to fail: the open and build then run unguarded.
  // REQUIRES: nothing held.
  bool OpenBuilt(PreferenceBuild build, LPCWSTR name = kPreferenceSectionName,
                 LPCWSTR mutex_name = kBuilderMutexName, DWORD wait_ms = kBuilderWaitMs);

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
