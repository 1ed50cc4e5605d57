#include "settings/settings_replace.h"

#include <initializer_list>

namespace {

// `path` with its extension, if any, replaced by `extension` (".xxx").
bool WithExtension(LPCWSTR path, LPCWSTR extension, WCHAR (&name)[MAX_PATH]) {
  if (FAILED(StringCchCopyW(name, MAX_PATH, path))) return false;
  WCHAR* dot = wcsrchr(name, TEXT('.'));
  const WCHAR* slash = wcsrchr(name, TEXT('\\'));
  if (dot != nullptr && (slash == nullptr || dot > slash)) *dot = 0;
  return SUCCEEDED(StringCchCatW(name, MAX_PATH, extension));
}

// Where `dest` is missing and `aside` exists, a move was interrupted after
// `dest` went aside: it comes back. Where both exist, `dest` is the newer
// and `aside` a leftover.
void PutBack(LPCWSTR dest, LPCWSTR aside) {
  if (!FileExists(aside)) return;
  if (FileExists(dest)) {
    DeleteFileW(aside);
  } else {
    MoveFileW(aside, dest);
  }
}

}  // namespace

bool MakeSettingsFiles(LPCWSTR path, SettingsFiles* files) {
  return path != nullptr && files != nullptr &&
         SUCCEEDED(StringCchCopyW(files->file, MAX_PATH, path)) &&
         WithExtension(path, TEXT(".tmp"), files->temp) &&
         WithExtension(path, TEXT(".new"), files->pending) &&
         WithExtension(path, TEXT(".bak"), files->file_aside) &&
         WithExtension(path, TEXT(".nbk"), files->pending_aside);
}

bool FileExists(LPCWSTR path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

LPCWSTR CurrentSettingsFile(const SettingsFiles& files, bool* exists) {
  bool scratch = false;
  if (exists == nullptr) exists = &scratch;
  *exists = true;
  for (LPCWSTR name : {files.pending, files.pending_aside, files.file, files.file_aside}) {
    if (FileExists(name)) {
      // An older pending file put aside counts only while the newer text
      // that is to take its place is still on its way; after that it is a
      // leftover, older than the settings file.
      if (name != files.pending_aside || FileExists(files.temp)) return name;
      continue;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return nullptr;
  }
  *exists = false;
  return files.file;
}

bool IsPassingError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

BOOL ReplaceWithFile(LPCWSTR dest, LPCWSTR source, LPCWSTR aside) {
  if (!FileExists(dest)) return MoveFileW(source, dest);
  if (DeleteAndRenameFile(dest, source)) return TRUE;
  // Held files are refused by the moves just as well; they are not tried,
  // so that a refusal leaves every name as it was.
  if (IsPassingError(GetLastError())) return FALSE;
  // A volume whose file system does not export DeleteAndRenameFile. With
  // `dest` present, an `aside` is a leftover of an earlier replacement.
  DeleteFileW(aside);
  if (!MoveFileW(dest, aside)) return FALSE;
  if (!MoveFileW(source, dest)) {
    const DWORD error = GetLastError();
    MoveFileW(aside, dest);
    SetLastError(error);
    return FALSE;
  }
  DeleteFileW(aside);
  return TRUE;
}

BOOL PlacePendingSettings(const SettingsFiles& files, DWORD wait_ms) {
  if (!FileExists(files.pending)) return TRUE;
  return TryWhileHeld(wait_ms, [&] {
    return ReplaceWithFile(files.file, files.pending, files.file_aside) != FALSE;
  });
}

void RecoverSettingsFiles(const SettingsFiles& files, DWORD wait_ms) {
  if (FileExists(files.pending_aside)) {
    if (!FileExists(files.pending) && FileExists(files.temp)) {
      MoveFileW(files.pending_aside, files.pending);
    } else {
      DeleteFileW(files.pending_aside);
    }
  }
  // A temporary file may be whole or cut short: nothing tells, and nothing
  // that a load should read is ever only there.
  DeleteFileW(files.temp);
  PutBack(files.file, files.file_aside);
  PlacePendingSettings(files, wait_ms);
}
