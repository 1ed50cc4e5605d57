// Windows CE 5.0 on 32-bit ARM: the data types, handles, macros and error
// codes that the system's code names. Only what the system uses is here; a
// name missing from this header is a name the ce-check build refuses.
//
// Written from the Windows CE 5.0 reference ("Windows Data Types (Windows CE
// 5.0)" and the page of each call); docs/platform.md lists the page behind
// every entry. Where a CE page gives a meaning but no number, the number is
// the one Win32 uses, which CE shares.
#ifndef RECO_PLATFORM_CE_CE_TYPES_H_
#define RECO_PLATFORM_CE_CE_TYPES_H_

#include <cstddef>

// CE is Unicode only: WCHAR is wchar_t, 16 bits on this target, and every
// string call is the W form.
static_assert(sizeof(wchar_t) == 2, "CE strings are UTF-16");
static_assert(sizeof(void*) == 4, "CE 5.0 runs 32-bit code only");

// ARM has a single calling convention; the CE headers' WINAPI, CALLBACK and
// the COM method convention all come down to it.
#define WINAPI
#define CALLBACK
#define STDMETHODCALLTYPE

// ---- Scalar types --------------------------------------------------------------

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef long LONG;
typedef unsigned long ULONG;
typedef int INT;
typedef unsigned int UINT;
typedef WORD LANGID;
typedef LONG HRESULT;

// Pointer-precision integers: 32 bits on every CE 5.0 processor.
typedef int INT_PTR;
typedef unsigned int UINT_PTR;
typedef long LONG_PTR;
typedef unsigned long ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef ULONG_PTR SIZE_T;

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef wchar_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
// Only the desktop's narrow entry point names it (see WinMain in ce_kernel.h).
typedef char* LPSTR;

typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define TEXT(quote) L##quote
#define MAX_PATH 260

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))

// ---- Handles ----------------------------------------------------------------------

// Handles of distinct kinds are distinct types, so one cannot be passed for
// another.
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HDC__* HDC;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct HRSRC__* HRSRC;
typedef struct HRGN__* HRGN;
typedef HANDLE HGLOBAL;
typedef HANDLE HGDIOBJ;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

// Structures the system only passes through, as null or as a pointer it got
// from the system: never looked into, so never defined.
typedef struct SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;  // CE: ignored, must be null
typedef struct OVERLAPPED* LPOVERLAPPED;                    // CE: unsupported, must be null
typedef struct RECT RECT;

// ---- Results ------------------------------------------------------------------------

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

// The error codes the system tests GetLastError against (winerror.h values).
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_LOCK_VIOLATION 33L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILE_INVALID 1006L

#endif  // RECO_PLATFORM_CE_CE_TYPES_H_
