#include "paths/directories.h"

#include "paths/path_utils.h"

WCHAR InstallDir[MAX_PATH];
WCHAR DataDir[MAX_PATH];
const WCHAR kDataSubfolder[] = TEXT("System\\QXLum\\VEQ\\");

namespace {

const WCHAR kAboutKey[] = TEXT("Software\\Telvar\\QXLUM\\VEQ\\About");
const WCHAR kPathValue[] = TEXT("Path");

bool IsExistingDirectory(LPCWSTR path) {
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

void ReadInstallDirValue(WCHAR (&dir)[MAX_PATH]) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAboutKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, kPathValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    size = sizeof(dir);
    // A value too long for the buffer may leave part of itself behind on
    // some systems; it is not a path the system accepts, so none of it is kept.
    if (RegQueryValueExW(key, kPathValue, nullptr, &type, reinterpret_cast<LPBYTE>(dir), &size) !=
        ERROR_SUCCESS) {
      dir[0] = 0;
    }
    // A value stored without its terminator still ends inside the buffer.
    dir[MAX_PATH - 1] = 0;
  }
  RegCloseKey(key);
}

int ResolveInstallDir(LPWSTR out, BOOL check) {
  WCHAR dir[MAX_PATH] = {0};
  ReadInstallDirValue(dir);
  if (dir[0] == 0) {
    GetModuleFileNameW(nullptr, dir, MAX_PATH);
    DirectoryOfPath(dir, dir);
  }
  if (check && !IsExistingDirectory(dir)) CreateDirectoryTree(dir);
  if (out != nullptr) StringCchCopyW(out, MAX_PATH, dir);
  return static_cast<int>(wcslen(dir));
}

int ResolveDataDir() {
  WCHAR dir[MAX_PATH] = {0};
  if (ShellFolderPath(dir) < 1) ResolveInstallDir(dir, FALSE);
  JoinPath(dir, kDataSubfolder);
  // The path ends in a backslash, so every component is created, the last
  // one included.
  if (!IsExistingDirectory(dir)) CreateDirectoryTree(dir);
  StringCchCopyW(DataDir, MAX_PATH, dir);
  return static_cast<int>(wcslen(DataDir));
}

int ShellFolderPath(LPWSTR out) {
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return -1;
  WCHAR path[MAX_PATH] = {0};
  LPITEMIDLIST id_list = nullptr;
  int result = 0;
  // A folder the shell does not know leaves the path empty; a folder without
  // a file-system path is a failure.
  if (SUCCEEDED(CeSHGetSpecialFolderLocation(nullptr, CSIDL_RECO_DATA, &id_list))) {
    if (!SHGetPathFromIDListW(id_list, path)) result = -1;
  }
  if (id_list != nullptr) allocator->Free(id_list);
  allocator->Release();
  if (result < 0) return result;
  if (out != nullptr) StringCchCopyW(out, MAX_PATH, path);
  return static_cast<int>(wcslen(path));
}
