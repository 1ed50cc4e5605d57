// Opening and closing: the mapped text range, its capacity, the byte-order
// mark, and the cut to the text's length at close.
#include "ini/ini_file.h"

#include <new>

namespace {

constexpr WCHAR kByteOrderMark = 0xFEFF;

// An empty file cannot be mapped (Windows refuses a mapping of size 0 on a
// 0-byte file), yet it reads as an empty text: it gets this view instead.
const WCHAR kEmptyText[1] = {0};

BYTE* EmptyView() { return reinterpret_cast<BYTE*>(const_cast<WCHAR*>(kEmptyText)); }

// The zeros of the room go out in pieces of at most this many bytes: a CE
// process has 32 MB of address space, and the room is the size of the file.
constexpr DWORD kReserveChunk = 65536;

// Extends a file opened for writing from `size` to `capacity` bytes of
// zeros, written for real before the mapping is made. A mapping alone would
// extend the file without taking its blocks (sparse, under Wine and on most
// Linux file systems), and on a full disk the first write into such a page
// of the view would fault and kill the process; this way a full disk is an
// ordinary ERROR_DISK_FULL here, and the open fails cleanly.
BOOL ReserveRoom(HANDLE file, DWORD size, DWORD capacity) {
  if (capacity <= size) return TRUE;
  if (SetFilePointer(file, static_cast<LONG>(size), nullptr, FILE_BEGIN) ==
      INVALID_SET_FILE_POINTER) {
    return FALSE;
  }
  DWORD left = capacity - size;
  const DWORD chunk = left < kReserveChunk ? left : kReserveChunk;
  BYTE* zeros = new (std::nothrow) BYTE[chunk]();
  if (zeros == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  BOOL ok = TRUE;
  while (ok && left > 0) {
    const DWORD count = left < chunk ? left : chunk;
    DWORD written = 0;
    ok = WriteFile(file, zeros, count, &written, nullptr) && written == count;
    left -= count;
  }
  delete[] zeros;
  return ok;
}

}  // namespace

int IniFile::IniOpen(LPCWSTR path, DWORD access, DWORD room) {
  IniClose();
  if (access != GENERIC_READ && access != GENERIC_WRITE) return 0;
  const bool writing = access == GENERIC_WRITE;
  access_ = writing ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;

  HANDLE file = CreateFileForMappingW(path, access_, writing ? 0 : FILE_SHARE_READ, nullptr,
                                      writing ? CREATE_ALWAYS : OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  file_ = file;

  const DWORD size = GetFileSize(file_, nullptr);
  if (size == INVALID_FILE_SIZE || size % 2 != 0) {
    CloseHandle(file_);
    file_ = nullptr;
    if (size != INVALID_FILE_SIZE) SetLastError(ERROR_FILE_INVALID);
    return 0;
  }

  // The mapping is named after the path, so that every opening of one file
  // shares one mapping object; a name may hold no backslash.
  WCHAR name[MAX_PATH];
  StringCchCopyW(name, MAX_PATH, path);
  for (WCHAR* p = name; *p != 0; ++p) {
    if (*p == TEXT('\\')) *p = TEXT('@');
  }

  capacity_ = writing ? (size > room ? size : room) : 0;
  if (writing && !ReserveRoom(file_, size, capacity_)) {
    const DWORD error = GetLastError();
    // What was reserved goes again; the new file is as empty as
    // CREATE_ALWAYS made it.
    if (SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == 0) SetEndOfFile(file_);
    CloseHandle(file_);
    file_ = nullptr;
    SetLastError(error);
    return 0;
  }
  if (!writing && size == 0) {
    view_ = EmptyView();
  } else {
    mapping_ = CreateFileMappingW(file_, nullptr, writing ? PAGE_READWRITE : PAGE_READONLY, 0,
                                  capacity_, name);
    if (mapping_ != nullptr) {
      view_ = static_cast<BYTE*>(
          MapViewOfFile(mapping_, writing ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0));
    }
    if (view_ == nullptr) {
      const DWORD error = GetLastError();
      if (mapping_ != nullptr) CloseHandle(mapping_);
      mapping_ = nullptr;
      // The room was reserved in the new file; a failed opening for writing
      // leaves it as empty as CREATE_ALWAYS made it.
      if (writing && SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == 0) SetEndOfFile(file_);
      CloseHandle(file_);
      file_ = nullptr;
      SetLastError(error);
      return 0;
    }
  }

  SetText(size);
  return 1;
}

int IniFile::IniOpenMemory(BYTE* bytes, DWORD size, DWORD access, DWORD room) {
  IniClose();
  if (access != GENERIC_READ && access != GENERIC_WRITE) return 0;
  const bool writing = access == GENERIC_WRITE;
  const DWORD capacity = writing ? (size > room ? size : room) : 0;
  if (bytes == nullptr || size % 2 != 0 || (writing && capacity == 0)) {
    SetLastError(ERROR_FILE_INVALID);
    return 0;
  }
  access_ = writing ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
  capacity_ = capacity;
  view_ = bytes;
  SetText(size);
  return 1;
}

// The text range of a view of `size` bytes: it ends at the first U+0000,
// starts after a byte-order mark, and a writer's empty text gets one.
void IniFile::SetText(DWORD size) {
  const bool writing = (access_ & GENERIC_WRITE) != 0;
  auto* units = reinterpret_cast<WCHAR*>(view_);
  const DWORD unit_count = size / 2;
  text_end_ = units + unit_count;
  used_length_ = size;
  for (DWORD i = 0; i < unit_count; ++i) {
    if (units[i] == 0) {
      text_end_ = units + i;
      used_length_ = i * 2;
      break;
    }
  }
  text_start_ = units;

  if (used_length_ >= 2 && units[0] == kByteOrderMark) {
    ++text_start_;
  } else if (used_length_ == 0 && writing && capacity_ >= 2) {
    units[0] = kByteOrderMark;
    ++text_start_;
    ++text_end_;
    used_length_ = 2;
  }
  section_hint_ = text_start_;
}

BOOL IniFile::IniClose() {
  const bool writing = (access_ & GENERIC_WRITE) != 0;
  // Memory opened by IniOpenMemory is the caller's: nothing to release.
  const bool in_memory = InMemory();
  // Every step runs whatever an earlier one gave; the result says whether
  // all of them succeeded, so a caller knows the file holds the text.
  BOOL done = TRUE;
  if (view_ != nullptr) {
    if (view_ != EmptyView() && !in_memory) {
      // Windows writes a view's pages only when told to (FlushFileBuffers
      // does not reach them). The count is the view's own: CE refuses 0.
      if (writing && !FlushViewOfFile(view_, capacity_)) done = FALSE;
      UnmapViewOfFile(view_);
    }
    view_ = nullptr;
  }
  if (mapping_ != nullptr) {
    CloseHandle(mapping_);
    mapping_ = nullptr;
  }
  if (file_ != nullptr) {
    // Only after the view and the mapping are gone may the file be cut:
    // Windows refuses to shorten a mapped file. The sync after the cut makes
    // the text and the file's length durable together.
    if (writing) {
      if (SetFilePointer(file_, static_cast<LONG>(used_length_), nullptr, FILE_BEGIN) ==
              INVALID_SET_FILE_POINTER ||
          !SetEndOfFile(file_) || !FlushFileBuffers(file_)) {
        done = FALSE;
      }
    }
    if (!CloseHandle(file_)) done = FALSE;
    file_ = nullptr;
  } else if (!in_memory) {
    done = FALSE;
  }
  text_start_ = text_end_ = section_hint_ = nullptr;
  used_length_ = 0;
  capacity_ = 0;
  return done;
}
