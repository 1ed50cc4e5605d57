// Windows CE 5.0 shell, safe-string and C run-time calls the system makes,
// and the few helpers of ours that system code calls by their own names.
#ifndef RECO_PLATFORM_CE_CE_SHELL_H_
#define RECO_PLATFORM_CE_CE_SHELL_H_

#include "platform/ce/ce_types.h"
#include "platform/ce/ce_user.h"

// ---- Shell
// ---------------------------------------------------------------------------------------

// Identifies an interface in QueryInterface; never looked into.
struct GUID;
typedef GUID IID;
typedef const IID& REFIID;

// The shell's allocator. The methods stand in the order of their slots, as
// COM lays out IUnknown and then IMalloc.
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};
struct IMalloc : IUnknown {
  virtual void* STDMETHODCALLTYPE Alloc(ULONG size) = 0;
  virtual void* STDMETHODCALLTYPE Realloc(void* block, ULONG size) = 0;
  virtual void STDMETHODCALLTYPE Free(void* block) = 0;
  virtual ULONG STDMETHODCALLTYPE GetSize(void* block) = 0;
  virtual int STDMETHODCALLTYPE DidAlloc(void* block) = 0;
  virtual void STDMETHODCALLTYPE HeapMinimize() = 0;

 protected:
  ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

// An item identifier list is only passed on and freed through the shell's
// allocator.
typedef struct ITEMIDLIST ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

extern "C" {

// NOERROR on success, E_FAIL on failure.
HRESULT WINAPI SHGetMalloc(LPMALLOC* malloc);
HRESULT WINAPI SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* id_list);
// `path` holds MAX_PATH characters; fails for a location outside the file
// system (a virtual folder).
BOOL WINAPI SHGetPathFromIDListW(LPCITEMIDLIST id_list, LPWSTR path);

// ---- Safe strings (strsafe.h) ---------------------------------------------------------------

// Each result is S_OK, STRSAFE_E_INVALID_PARAMETER (a count of 0 or above
// STRSAFE_MAX_CCH) or STRSAFE_E_INSUFFICIENT_BUFFER (cut, but terminated).
HRESULT WINAPI StringCchCopyW(LPWSTR dest, size_t cch_dest, LPCWSTR src);
HRESULT WINAPI StringCchCopyNW(LPWSTR dest, size_t cch_dest, LPCWSTR src, size_t cch_src);
HRESULT WINAPI StringCchCatW(LPWSTR dest, size_t cch_dest, LPCWSTR src);
HRESULT WINAPI StringCchPrintfW(LPWSTR dest, size_t cch_dest, LPCWSTR format, ...);

// ---- C run time (coredll) -----------------------------------------------------------------------

// Declared as the C run-time headers of the check build declare them, marked
// imported where those are, so the two agree in either order of inclusion.
size_t __cdecl wcslen(const wchar_t* string);
wchar_t* __cdecl wcschr(const wchar_t* string, wchar_t c);
wchar_t* __cdecl wcsrchr(const wchar_t* string, wchar_t c);
size_t __cdecl wcsspn(const wchar_t* string, const wchar_t* char_set);
__declspec(dllimport) int __cdecl _wcsicmp(const wchar_t* string1, const wchar_t* string2);
__declspec(dllimport) int __cdecl _wcsnicmp(const wchar_t* string1, const wchar_t* string2,
                                            size_t count);
__declspec(dllimport) long __cdecl _wtol(const wchar_t* string);

}  // extern "C"

// ---- Ours: names the system calls that no CE header has ------------------------------------

// The desktop shims give these CE meanings on Windows; on CE each is the call
// it stands for, unchanged.

// The shell's SHGetSpecialFolderLocation, under the name the system calls:
// on the device, folder numbers mean what its shell says they mean.
inline HRESULT CeSHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* id_list) {
  return SHGetSpecialFolderLocation(owner, folder, id_list);
}

// SetForegroundWindow with CE's meaning of the handle's lowest bit kept.
inline BOOL CeSetForegroundWindow(HWND window) { return SetForegroundWindow(window); }

#endif  // RECO_PLATFORM_CE_CE_SHELL_H_
