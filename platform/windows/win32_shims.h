// Desktop Windows: the real Win32 API plus shims for calls that exist only on
// Windows CE. Each shim is small and behaves as the CE call does for the
// arguments the system passes.
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

#endif  // RECO_PLATFORM_WINDOWS_WIN32_SHIMS_H_
