// POSIX: our own implementation of the Win32/CE calls the portable core uses.
//
// Only what the system calls is here, with Win32 names, signatures and
// results. Every call that fails sets the thread's last error to the Win32
// code Windows would report (one errno table, platform/posix/last_error.cpp).
// Handles are validated on every call: a value that is not a live handle of
// the right kind fails with ERROR_INVALID_HANDLE.
//
// WCHAR is 16 bits (char16_t), as on Windows. Paths use backslashes; the
// file-system boundary turns them into slashes, so "\Windows\prog.exe" names
// "/Windows/prog.exe". Path text is converted from UTF-16 to UTF-8.
#ifndef RECO_PLATFORM_POSIX_WIN32_API_H_
#define RECO_PLATFORM_POSIX_WIN32_API_H_

#include <cstddef>
#include <cstdint>
#include <cwchar>

// ---- Types -----------------------------------------------------------------

typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef uint8_t BYTE;
typedef BYTE* LPBYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef DWORD* LPDWORD;
typedef int32_t LONG;
typedef LONG* PLONG;
typedef uint32_t ULONG;
typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef size_t SIZE_T;
typedef int32_t HRESULT;
typedef WORD LANGID;
typedef void* HANDLE;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef struct SecurityAttributes* LPSECURITY_ATTRIBUTES;  // never dereferenced

#define TEXT(quote) u##quote

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define MAX_PATH 260

// ---- Constants ---------------------------------------------------------------

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_ATTRIBUTE_READONLY 0x1u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u

#define PAGE_READONLY 0x2u
#define PAGE_READWRITE 0x4u
#define FILE_MAP_WRITE 0x2u
#define FILE_MAP_READ 0x4u
#define FILE_MAP_ALL_ACCESS 0xF001Fu

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_WRITE_PROTECT 19L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BROKEN_PIPE 109L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_INVALID_ADDRESS 487L
#define ERROR_FILE_INVALID 1006L
#define ERROR_USER_MAPPED_FILE 1224L

#define S_OK (static_cast<HRESULT>(0))
#define STRSAFE_E_INSUFFICIENT_BUFFER (static_cast<HRESULT>(0x8007007Au))
#define STRSAFE_E_INVALID_PARAMETER (static_cast<HRESULT>(0x80070057u))
#define STRSAFE_MAX_CCH 2147483647
#define SUCCEEDED(hr) ((static_cast<HRESULT>(hr)) >= 0)
#define FAILED(hr) ((static_cast<HRESULT>(hr)) < 0)

// ---- Errors (platform/posix/last_error.cpp) ----------------------------------

DWORD GetLastError();
void SetLastError(DWORD error);

// ---- Files and mappings (platform/posix/files.cpp, mappings.cpp) -------------

// Share modes are honoured between all openers of a file, in this process
// and in others (open-file-description locks): FILE_SHARE_READ lets other
// readers in; a writer or share mode 0 holds the file alone.
HANDLE CreateFileW(LPCWSTR path, DWORD desired_access, DWORD share_mode,
                   LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                   DWORD flags_and_attributes, HANDLE template_file);
HANDLE CreateFileForMappingW(LPCWSTR path, DWORD desired_access, DWORD share_mode,
                             LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                             DWORD flags_and_attributes, HANDLE template_file);
DWORD GetFileSize(HANDLE file, LPDWORD size_high);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD move_method);
// Fails with ERROR_USER_MAPPED_FILE while a mapping of the file exists, as
// Windows does.
BOOL SetEndOfFile(HANDLE file);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read, void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written, void* overlapped);
BOOL CloseHandle(HANDLE handle);
BOOL DeleteFileW(LPCWSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR path);

// A file mapping (file != INVALID_HANDLE_VALUE) of size 0 maps the whole
// file and fails with ERROR_FILE_INVALID on an empty file; a larger size
// extends a writable file at once. With INVALID_HANDLE_VALUE and a name it
// opens or creates a named section of shared memory, private to the user:
// a new section is zero-filled and reports ERROR_SUCCESS, an existing one
// reports ERROR_ALREADY_EXISTS, and the section is gone when the last
// handle and view of it, in any process, is closed.
HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                          DWORD size_high, DWORD size_low, LPCWSTR name);
LPVOID MapViewOfFile(HANDLE mapping, DWORD desired_access, DWORD offset_high, DWORD offset_low,
                     SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID base);

// ---- Strings (platform/posix/strings.cpp) -------------------------------------

// Bounded copies always terminate when cch_dest > 0; a cut result returns
// STRSAFE_E_INSUFFICIENT_BUFFER, cch_dest == 0 STRSAFE_E_INVALID_PARAMETER.
HRESULT StringCchCopyW(LPWSTR dest, size_t cch_dest, LPCWSTR src);
HRESULT StringCchCopyNW(LPWSTR dest, size_t cch_dest, LPCWSTR src, size_t cch_src);
HRESULT StringCchCatW(LPWSTR dest, size_t cch_dest, LPCWSTR src);
HRESULT StringCchLengthW(LPCWSTR str, size_t cch_max, size_t* length);
// Formats: %d %i %u %x %X %c %s %% with optional '-', '0', width and 'l'/'h'
// modifiers; %s takes a WCHAR string, as the wide Windows functions do.
HRESULT StringCchPrintfW(LPWSTR dest, size_t cch_dest, LPCWSTR format, ...);

// _wcsicmp and _wcsnicmp fold ASCII letters only, as the C locale does on
// Windows; lstrcmpiW also folds Latin-1 letters.
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);
int lstrlenW(LPCWSTR s);
long _wtol(const WCHAR* s);

// WCHAR overloads beside the C library's wchar_t functions.
size_t wcslen(const WCHAR* s);
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, size_t count);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
size_t wcsspn(const WCHAR* s, const WCHAR* accept);

#endif  // RECO_PLATFORM_POSIX_WIN32_API_H_
