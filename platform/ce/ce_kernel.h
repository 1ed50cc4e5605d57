// Windows CE 5.0 kernel calls the system makes: last error, files and
// mappings, synchronization and time, registry, module and resources,
// locale, and the process entry point. Signatures as the CE 5.0 pages print
// them, in their W form; the CE rule that matters to the caller stands above
// each declaration.
#ifndef RECO_PLATFORM_CE_CE_KERNEL_H_
#define RECO_PLATFORM_CE_CE_KERNEL_H_

#include "platform/ce/ce_types.h"

extern "C" {

// ---- Last error ---------------------------------------------------------------------

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

// ---- Files ------------------------------------------------------------------------------

#define GENERIC_READ 0x80000000L
#define GENERIC_WRITE 0x40000000L
#define FILE_SHARE_READ 0x00000001
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
// The CE pages give the failure results as 0xFFFFFFFF; the names are Win32's.
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define FILE_BEGIN 0

// Opens a file so that it can back a mapping. CE ignores `share_mode` and
// derives it from `desired_access`: a reader shares reading, a writer holds
// the file alone.
HANDLE WINAPI CreateFileForMappingW(LPCWSTR file_name, DWORD desired_access, DWORD share_mode,
                                    LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                                    DWORD flags_and_attributes, HANDLE template_file);
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD file_size_high);
// CE: `distance_high` must be null or point to zero.
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD move_method);
// Fails while the file has a mapping: unmap every view and close the
// mapping first.
BOOL WINAPI SetEndOfFile(HANDLE file);
// CE: `overlapped` is unsupported and must be null.
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written,
                      LPOVERLAPPED overlapped);
BOOL WINAPI FlushFileBuffers(HANDLE file);
BOOL WINAPI CloseHandle(HANDLE object);
// Fails while the file is open, for I/O or as a mapped file.
BOOL WINAPI DeleteFileW(LPCWSTR file_name);
// Fails when `new_name` exists: CE has no MoveFileEx and no replacing move.
BOOL WINAPI MoveFileW(LPCWSTR existing_name, LPCWSTR new_name);
// Copies the content of `source` over `destination`, then deletes `source`;
// both must exist, and on failure both are unchanged. Documented for the
// object store; another file system offers it only if its driver exports it.
BOOL WINAPI DeleteAndRenameFile(LPCWSTR destination, LPCWSTR source);
DWORD WINAPI GetFileAttributesW(LPCWSTR file_name);
// Not recursive: a missing parent gives ERROR_PATH_NOT_FOUND.
BOOL WINAPI CreateDirectoryW(LPCWSTR path_name, LPSECURITY_ATTRIBUTES security);

// ---- File mappings and named sections -----------------------------------------------

#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
// CE: the same access as FILE_MAP_WRITE.
#define FILE_MAP_ALL_ACCESS 0x000F001F

// A section backed by memory (file INVALID_HANDLE_VALUE) lies outside the
// 32 MB of a process. Names are per object type on CE: a mapping and a mutex
// may share one.
HANDLE WINAPI CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                 DWORD maximum_size_high, DWORD maximum_size_low, LPCWSTR name);
LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD desired_access, DWORD offset_high,
                            DWORD offset_low, DWORD bytes_to_map);
// Dirty pages are written lazily.
BOOL WINAPI UnmapViewOfFile(LPCVOID base_address);
// CE: `bytes_to_flush` cannot be zero (desktop Windows reads 0 as "to the
// end of the view").
BOOL WINAPI FlushViewOfFile(LPCVOID base_address, DWORD bytes_to_flush);

// ---- Synchronization and time -----------------------------------------------------

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)

// CE: `security` is ignored and must be null; an existing name gives its
// mutex with ERROR_ALREADY_EXISTS. Names may hold no backslash.
HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initial_owner, LPCWSTR name);
// Fails unless the calling thread owns the mutex.
BOOL WINAPI ReleaseMutex(HANDLE mutex);
// CE 5.0 lists WAIT_OBJECT_0 and WAIT_TIMEOUT as results, WAIT_FAILED on
// failure; it lists no WAIT_ABANDONED.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// CE: Sleep(INFINITE) suspends the thread, and ResumeThread wakes it.
void WINAPI Sleep(DWORD milliseconds);
// Milliseconds since boot, wrapping after 49.7 days; debug images start 180 s
// short of the wrap. Only differences of two counts are meaningful.
DWORD WINAPI GetTickCount(void);

// ---- Registry ---------------------------------------------------------------------------

typedef DWORD REGSAM;

#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define KEY_QUERY_VALUE 0x0001
#define KEY_READ 0x20019
#define REG_NONE 0
#define REG_SZ 1

// CE: `options` is reserved (0) and `desired` is not supported; the access
// constants are accepted and carry no meaning.
LONG WINAPI RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD options, REGSAM desired, PHKEY result);
LONG WINAPI RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD data_size);
// Writes the key to the registry before it returns.
LONG WINAPI RegCloseKey(HKEY key);

// ---- Module and resources ---------------------------------------------------------------

#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define RT_DIALOG MAKEINTRESOURCEW(5)

// A path longer than `size` is cut (CE sets no ERROR_INSUFFICIENT_BUFFER).
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR file_name, DWORD size);
// CE: `module` cannot be null.
HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL resource_data);

// ---- Locale -----------------------------------------------------------------------------

LANGID WINAPI GetUserDefaultLangID(void);

// ---- Process ------------------------------------------------------------------------------

// CE's entry point: the command line comes as UTF-16. A definition with the
// desktop's narrow command line conflicts with this declaration.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR command_line, int show_command);

}  // extern "C"

#endif  // RECO_PLATFORM_CE_CE_KERNEL_H_
