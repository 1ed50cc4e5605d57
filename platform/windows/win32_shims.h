// Desktop Windows: the real Win32 API plus shims for calls that exist only on
// Windows CE or mean something else there. Each shim is small, behaves as the
// CE call does for the arguments the system passes, and is called by its own
// name: no Win32 name is redirected to it.
#ifndef RECO_PLATFORM_WINDOWS_WIN32_SHIMS_H_
#define RECO_PLATFORM_WINDOWS_WIN32_SHIMS_H_

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>

#include <stdlib.h>
#include <wchar.h>

#include "platform/shell_folder.h"

// strsafe.h deprecates the unbounded string functions it replaces; the
// system uses only the bounded ones, but the CRT headers above declare the
// others and the deprecation would turn those declarations into warnings.
#define STRSAFE_NO_DEPRECATE
#include <strsafe.h>

// CE maps files through handles from CreateFileForMappingW; on desktop
// Windows every CreateFileW handle can back a mapping.
inline HANDLE CreateFileForMappingW(LPCWSTR path, DWORD desired_access, DWORD share_mode,
                                    LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                                    DWORD flags_and_attributes, HANDLE template_file) {
  return CreateFileW(path, desired_access, share_mode, security, creation_disposition,
                     flags_and_attributes, template_file);
}

// CE replaces the content of an existing file with another in one step
// (the object store, and file systems that export it); desktop Windows does
// the same with a rename over the file. CE's rule is kept: both files must
// exist. A test can make it answer as a volume without it does.
namespace win32_shims {
extern bool g_delete_and_rename_supported;
}  // namespace win32_shims
inline BOOL DeleteAndRenameFile(LPCWSTR dest, LPCWSTR source) {
  if (!win32_shims::g_delete_and_rename_supported) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (GetFileAttributesW(dest) == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesW(source) == INVALID_FILE_ATTRIBUTES) {
    return FALSE;
  }
  return MoveFileExW(source, dest, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// CE's WinMain takes the command line in UTF-16; desktop Windows calls that
// entry wWinMain (linked with -municode) and declares a WinMain of its own
// with a narrow one. The program keeps CE's name and signature, and this is
// the one name the layer renames: it is the entry, never a call.
#define WinMain wWinMain

// The shell: CE's ceshell.dll exports, by ordinals 12, 10 and 11, the same
// three calls as the desktop shell's SHGetMalloc, SHGetSpecialFolderLocation
// and SHGetPathFromIDListW.
#include <shlobj.h>

// The system asks for CSIDL_RECO_DATA (17) as the base of its data
// directory. On desktop Windows folder 17 is CSIDL_DRIVES ("My Computer"),
// which has an id list but no path, so the data directory would fall back
// to the installation directory, which users may not be able to write. It is
// therefore taken to mean the user's roaming application-data folder
// (CSIDL_APPDATA); every other number keeps its desktop meaning.
inline HRESULT CeSHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* id_list) {
  return ::SHGetSpecialFolderLocation(owner, folder == CSIDL_RECO_DATA ? CSIDL_APPDATA : folder,
                                      id_list);
}

// CE brings a window and its owned pop-ups to the front when the handle
// passed to SetForegroundWindow has its lowest bit set. Desktop Windows
// knows no such flag; the bit is dropped so that the call reaches the
// window itself.
inline BOOL CeSetForegroundWindow(HWND window) {
  return ::SetForegroundWindow(
      reinterpret_cast<HWND>(reinterpret_cast<UINT_PTR>(window) & ~static_cast<UINT_PTR>(1)));
}

// The OK button in the caption exists only on CE; desktop pages carry an OK
// push button in their template instead.
#ifndef WS_EX_CAPTIONOKBTN
#define WS_EX_CAPTIONOKBTN 0
#endif

#endif  // RECO_PLATFORM_WINDOWS_WIN32_SHIMS_H_
