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
#define FILE_SHARE_DELETE 0x4u
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
#define ERROR_NOT_SAME_DEVICE 17L
#define ERROR_WRITE_PROTECT 19L
#define ERROR_NOT_READY 21L
#define ERROR_WRITE_FAULT 29L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_LOCK_VIOLATION 33L
#define ERROR_SHARING_BUFFER_EXCEEDED 36L
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
// readers in; a writer or share mode 0 holds the file alone; an opener
// without FILE_SHARE_DELETE keeps the file from being renamed, replaced or
// deleted while it holds it, as Windows does.
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
// Writes the file's data and size through to the disk (fsync).
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE handle);
// Fails with ERROR_SHARING_VIOLATION while another opener holds the file,
// whatever it shares: CE's rule, stricter than Windows' (which lets an
// opener that shares deleting go on).
BOOL DeleteFileW(LPCWSTR path);
// CE's rename: fails with ERROR_ALREADY_EXISTS when `new_name` exists (CE has
// no MoveFileEx, so nothing is ever replaced by a move), and with
// ERROR_SHARING_VIOLATION while another opener holds `existing` without
// FILE_SHARE_DELETE. The folder is synced, so the new name survives a power
// cut once this returns; a failed sync reports failure after the rename.
BOOL MoveFileW(LPCWSTR existing, LPCWSTR new_name);
// CE's replacement of a file's content: `source` takes the place of `dest`
// in one step and is gone. Both must exist (ERROR_FILE_NOT_FOUND otherwise);
// a `dest` that another opener holds without FILE_SHARE_DELETE, or that is
// mapped, is refused with ERROR_ACCESS_DENIED, as Windows refuses a rename
// over it; a held `source` with ERROR_SHARING_VIOLATION. Synced like
// MoveFileW. Tests can make it report ERROR_NOT_SUPPORTED, as on a volume
// whose file system does not export it (platform/test_hooks.h).
BOOL DeleteAndRenameFile(LPCWSTR dest, LPCWSTR source);
DWORD GetFileAttributesW(LPCWSTR path);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);

// A file mapping (file != INVALID_HANDLE_VALUE) of size 0 maps the whole
// file and fails with ERROR_FILE_INVALID on an empty file; a larger size
// extends a writable file at once. A named file mapping is shared, within
// the process, by every call that names it (ERROR_ALREADY_EXISTS, whatever
// file and size that call passed). With INVALID_HANDLE_VALUE (or null) and
// a name it opens or creates a named section of shared memory, private to
// the user: a new section is zero-filled and reports ERROR_SUCCESS, an
// existing one reports ERROR_ALREADY_EXISTS. The name is free again when
// the last handle of the section, in any process, is closed or its process
// ends; views keep their memory until they are unmapped.
HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                          DWORD size_high, DWORD size_low, LPCWSTR name);
// Opens the section or file mapping of this name that some handle holds,
// never creating one: nullptr with ERROR_FILE_NOT_FOUND when none does.
HANDLE OpenFileMappingW(DWORD desired_access, BOOL inherit, LPCWSTR name);
LPVOID MapViewOfFile(HANDLE mapping, DWORD desired_access, DWORD offset_high, DWORD offset_low,
                     SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID base);
// Writes the view's changed pages to the file (msync MS_SYNC). CE's rule
// holds: the byte count cannot be 0 (ERROR_INVALID_PARAMETER), where desktop
// Windows would take 0 as the rest of the view.
BOOL FlushViewOfFile(LPCVOID base, SIZE_T bytes);

// ---- Time (platform/posix/time.cpp) ------------------------------------------

// Milliseconds since an arbitrary start, wrapping at 2^32 as on Windows.
DWORD GetTickCount();
// Suspends the calling thread for at least `milliseconds`.
void Sleep(DWORD milliseconds);

// ---- Mutexes (platform/posix/mutexes.cpp) ---------------------------------------

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x0u
#define WAIT_ABANDONED 0x80u
#define WAIT_TIMEOUT 0x102u
#define WAIT_FAILED 0xFFFFFFFFu
#define ERROR_NOT_OWNER 288L

// Only what the system uses: a named mutex, shared by the user's processes,
// taken by a wait and given back by a release. A null or empty name and an
// initial owner fail with ERROR_NOT_SUPPORTED; names are their own kind, as
// on CE (a section may carry the same name). An existing mutex reports
// ERROR_ALREADY_EXISTS; the name is free again when its last handle, in any
// process, is closed or its process ends.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initial_owner, LPCWSTR name);
// WAIT_OBJECT_0 or WAIT_ABANDONED (its owner's process ended, or the owner
// closed its handle, without a release) when the mutex is now owned through
// this handle; WAIT_TIMEOUT when `milliseconds` (INFINITE: never) passed
// first; WAIT_FAILED with the last error set. Ownership belongs to the
// handle, not to the thread: a second wait through an owning handle fails
// with ERROR_NOT_SUPPORTED (no recursion), and a wait through another handle
// of the same process blocks as another thread's does on Windows.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// FALSE with ERROR_NOT_OWNER unless the mutex is owned through `handle`.
BOOL ReleaseMutex(HANDLE handle);

// ---- Strings (platform/posix/strings.cpp) -------------------------------------

// Bounded copies always terminate when cch_dest > 0; a cut result returns
// STRSAFE_E_INSUFFICIENT_BUFFER, cch_dest == 0 STRSAFE_E_INVALID_PARAMETER.
HRESULT StringCchCopyW(LPWSTR dest, size_t cch_dest, LPCWSTR src);
HRESULT StringCchCopyNW(LPWSTR dest, size_t cch_dest, LPCWSTR src, size_t cch_src);
HRESULT StringCchCatW(LPWSTR dest, size_t cch_dest, LPCWSTR src);
// Formats: %d %i %u %x %X %c %s %% with optional '-', '0', width and 'l'/'h'
// modifiers; %s takes a WCHAR string, as the wide Windows functions do.
HRESULT StringCchPrintfW(LPWSTR dest, size_t cch_dest, LPCWSTR format, ...);

// _wcsicmp and _wcsnicmp fold ASCII letters only, as the C locale does on
// Windows.
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count);
long _wtol(const WCHAR* s);

// WCHAR overloads beside the C library's wchar_t functions.
size_t wcslen(const WCHAR* s);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
size_t wcsspn(const WCHAR* s, const WCHAR* accept);

// ---- Registry (platform/posix/registry.cpp) ------------------------------------

// The registry is one text file: the one named by the environment variable
// RECO_REGISTRY_FILE, else $XDG_CONFIG_HOME/recorange/registry, else
// ~/.config/recorange/registry. It is read afresh by every call and rewritten
// whole (under a lock, through a rename) by every change, so several
// processes share it. A missing file holds no keys; a line that does not
// parse is ignored. Format, UTF-8:
//   [HKEY_LOCAL_MACHINE\Software\Vendor\Product]
//   "Hotkey"=4:61000000          type, then the data bytes in hexadecimal
//   "Path"=1:"\Program Files\X\" type, then a string stored with its terminator
// Key names compare without regard to ASCII case; empty components and a
// trailing backslash are ignored. Results are Win32 error codes; the last
// error is not changed.

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003u)))

#define KEY_QUERY_VALUE 0x1u
#define KEY_SET_VALUE 0x2u
#define KEY_CREATE_SUB_KEY 0x4u
#define KEY_ENUMERATE_SUB_KEYS 0x8u
#define KEY_NOTIFY 0x10u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define ERROR_BADDB 1009L
#define ERROR_KEY_DELETED 1018L
#define ERROR_MOD_NOT_FOUND 126L

LONG RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD options, REGSAM desired, PHKEY result);
LONG RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD reserved, LPWSTR class_name, DWORD options,
                     REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);
// With no data buffer, the size of the value in *data_size. With a buffer too
// small for the value: ERROR_MORE_DATA, the size needed in *data_size and the
// buffer untouched (as Wine's advapi32 leaves it).
LONG RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size);
LONG RegSetValueExW(HKEY key, LPCWSTR value_name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD data_size);
LONG RegCloseKey(HKEY key);

// ---- Locale (platform/posix/locale.cpp) -----------------------------------------

// The language of the POSIX locale the user chose for messages (LC_ALL, else
// LC_MESSAGES, else LANG, as Wine reads it): "zh_CN" is 2052, "zh_TW" 1028,
// "de_DE" 1031 and so on; a language alone takes its primary country; "C",
// "POSIX", an unset or an unknown locale give 1033.
LANGID GetUserDefaultLangID();

// ---- Module (platform/posix/module.cpp) -----------------------------------------

typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

// Only the running executable (module nullptr) is known. The path uses
// backslashes. A buffer too small receives size - 1 characters and a
// terminator; the result is then `size` with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR file_name, DWORD size);

// ---- Shell (platform/posix/shell.cpp) -------------------------------------------

typedef struct HWND__* HWND;
struct ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

// The shell's allocator, as much of the COM interface as the system uses.
struct IMalloc {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual void* Alloc(SIZE_T size) = 0;
  virtual void Free(void* block) = 0;

 protected:
  ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

#define E_FAIL (static_cast<HRESULT>(0x80004005u))
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057u))
#define E_OUTOFMEMORY (static_cast<HRESULT>(0x8007000Eu))

HRESULT SHGetMalloc(LPMALLOC* malloc);
// Folder 17 is the user's data directory: $XDG_DATA_HOME when it is an
// absolute path, else ~/.local/share; E_FAIL without either. Other numbers
// give E_INVALIDARG. The id list is freed through the shell's allocator.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* id_list);
// The path of the id list, with backslashes, into `path` (MAX_PATH units);
// FALSE with an empty path when it does not fit.
BOOL SHGetPathFromIDListW(LPCITEMIDLIST id_list, LPWSTR path);

// ---- Graphics objects (platform/posix/gdi.cpp) ----------------------------------

typedef void* HGDIOBJ;

// There is no drawing on POSIX: deletion is counted for tests
// (platform/test_hooks.h) and fails only for a null handle.
BOOL DeleteObject(HGDIOBJ object);

// ---- Font descriptions (types only: fonts are enumerated on Windows) -----------

typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;
#define CALLBACK
#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64
#define DEFAULT_CHARSET 1

typedef struct tagLOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW;
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW is 92 bytes on every Windows");

typedef struct tagENUMLOGFONTEXW {
  LOGFONTW elfLogFont;
  WCHAR elfFullName[LF_FULLFACESIZE];
  WCHAR elfStyle[LF_FACESIZE];
  WCHAR elfScript[LF_FACESIZE];
} ENUMLOGFONTEXW;

struct tagTEXTMETRICW;  // never looked at
typedef struct tagTEXTMETRICW TEXTMETRICW;

#endif  // RECO_PLATFORM_POSIX_WIN32_API_H_
