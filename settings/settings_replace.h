// The names a settings file passes through when it is replaced, and the
// replacement itself, built from the calls CE has: DeleteAndRenameFile where
// the volume exports it, and otherwise MoveFileW and DeleteFileW, which never
// replace anything.
//
// The write-back writes its text to the temporary name, which nothing ever
// reads, and renames it to the pending name once the text is on the disk:
// a pending file is therefore always complete, and always newer than the
// settings file. The pending file then takes the settings file's place. A
// step that needs two moves puts the old file aside first, and a load finds
// at every instant, a crash between two steps included, a complete file to
// read (CurrentSettingsFile) and puts the names in order (RecoverSettingsFiles):
//
//   names present                   what a load reads   what recovery does
//   file                            file                nothing
//   file, temp                      file                deletes temp
//   file, pending                   pending             puts pending in place
//   file_aside, pending             pending             file_aside back, then as above
//   file, file_aside                file                deletes file_aside
//   file, pending_aside, temp       pending_aside       pending_aside back, deletes temp
//   pending_aside without temp      file                deletes pending_aside
//   pending, pending_aside          pending             deletes pending_aside
#ifndef RECO_SETTINGS_SETTINGS_REPLACE_H_
#define RECO_SETTINGS_SETTINGS_REPLACE_H_

#include "platform/platform.h"

struct SettingsFiles {
  WCHAR file[MAX_PATH];           // "Settings.ini": what the load reads
  WCHAR temp[MAX_PATH];           // "Settings.tmp": a text being written; never read
  WCHAR pending[MAX_PATH];        // "Settings.new": complete, newer, not yet in place
  WCHAR file_aside[MAX_PATH];     // "Settings.bak": the old file while pending moves in
  WCHAR pending_aside[MAX_PATH];  // "Settings.nbk": an older pending while a newer moves in
};

// Fills `files` for the settings file `path`: each name is `path` with its
// extension replaced (of the same length, so each fits wherever the path
// does). False when `path` is null or no such name fits MAX_PATH.
bool MakeSettingsFiles(LPCWSTR path, SettingsFiles* files);

// True when a file or folder of this name exists.
bool FileExists(LPCWSTR path);

// The name a load reads, by the table above: the pending file when there
// is one (it is newer), else an older pending one put aside for a newer
// text still on its way, else the settings file, else the one put aside; the settings file when
// there is none of them (*exists is then false). nullptr when the existence of a name could not be
// asked (GetLastError() tells why): a caller then cannot tell which file holds the settings, and
// must neither read nor write them. Moves nothing.
LPCWSTR CurrentSettingsFile(const SettingsFiles& files, bool* exists = nullptr);

// How long the tool waits for a file another program holds: at start,
// before the load gives up reading the settings file (its records are then
// kept as the file has them), and at exit, before the write-back leaves its
// new file pending for the next start. Short enough not to be felt as a
// hang; long enough for an editor's save or a backup's copy to end.
constexpr DWORD kLoadWaitMs = 1000;
constexpr DWORD kWriteBackWaitMs = 1500;
constexpr DWORD kHeldRetryMs = 100;

// True for the errors of a file that another program holds open just now
// (a sharing or lock violation, or a refused rename over it), which may go
// away within the bounded waits of the load and the write-back.
bool IsPassingError(DWORD error);

// Runs `attempt` until it succeeds, or fails for a reason that is not
// passing, or `wait_ms` milliseconds have gone by; GetLastError() then
// holds the last failure's error. True when an attempt succeeded.
template <typename Attempt>
bool TryWhileHeld(DWORD wait_ms, Attempt attempt) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (attempt()) return true;
    const DWORD error = GetLastError();
    if (!IsPassingError(error) || GetTickCount() - start >= wait_ms) return false;
    Sleep(kHeldRetryMs);
    SetLastError(error);
  }
}

// Puts the complete file `source` in the place of `dest`: with
// DeleteAndRenameFile, else by moving `dest` to `aside`, `source` to `dest`
// and deleting `aside`; with a plain move when `dest` does not exist. On
// failure the names are as they were, or (after a crash or a failed undo)
// in one of the states in the table above. Returns TRUE, or FALSE with
// GetLastError() saying why.
BOOL ReplaceWithFile(LPCWSTR dest, LPCWSTR source, LPCWSTR aside);

// Puts the pending file in the place of the settings file, trying again
// while another program holds the settings file, for up to `wait_ms`
// milliseconds. TRUE when no pending file is left.
BOOL PlacePendingSettings(const SettingsFiles& files, DWORD wait_ms);

// Puts the names in order after an interrupted write-back, as the table
// above says, placing a pending file for up to `wait_ms` milliseconds.
// Every step is one a crash cannot turn into a loss; each is best effort,
// and what remains is read by CurrentSettingsFile.
void RecoverSettingsFiles(const SettingsFiles& files, DWORD wait_ms);

#endif  // RECO_SETTINGS_SETTINGS_REPLACE_H_
