// Opening and closing: the mapped text range, its capacity, the byte-order
// mark, and the cut to the text's length at close.
#include "ini/ini_file.h"

namespace {

constexpr WCHAR kByteOrderMark = 0xFEFF;

// An empty file cannot be mapped (Windows refuses a mapping of size 0 on a
// 0-byte file), yet it reads as an empty text: it gets this view instead.
const WCHAR kEmptyText[1] = {0};

BYTE* EmptyView() { return reinterpret_cast<BYTE*>(const_cast<WCHAR*>(kEmptyText)); }

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
  if (!writing && size == 0) {
    view_ = EmptyView();
  } else {
    mapping_ = CreateFileMappingW(file_, nullptr, writing ? PAGE_READWRITE : PAGE_READONLY, 0,
                                  capacity_, name);
    if (mapping_ == nullptr) {
      CloseHandle(file_);
      file_ = nullptr;
      return 0;
    }
    view_ = static_cast<BYTE*>(
        MapViewOfFile(mapping_, writing ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0));
    if (view_ == nullptr) {
      CloseHandle(mapping_);
      mapping_ = nullptr;
      // The mapping grew the new file to its capacity; a failed opening for
      // writing leaves it as empty as CREATE_ALWAYS made it.
      if (writing && SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == 0) SetEndOfFile(file_);
      CloseHandle(file_);
      file_ = nullptr;
      return 0;
    }
  }

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
  return 1;
}

BOOL IniFile::IniClose() {
  if (view_ != nullptr) {
    if (view_ != EmptyView()) UnmapViewOfFile(view_);
    view_ = nullptr;
  }
  if (mapping_ != nullptr) {
    CloseHandle(mapping_);
    mapping_ = nullptr;
  }
  BOOL result = 0;
  if (file_ != nullptr) {
    // Only after the view and the mapping are gone may the file be cut:
    // Windows refuses to shorten a mapped file.
    if ((access_ & GENERIC_WRITE) != 0) {
      if (SetFilePointer(file_, static_cast<LONG>(used_length_), nullptr, FILE_BEGIN) !=
          INVALID_SET_FILE_POINTER) {
        SetEndOfFile(file_);
      } else {
        GetLastError();
      }
    }
    result = CloseHandle(file_);
    file_ = nullptr;
  }
  text_start_ = text_end_ = section_hint_ = nullptr;
  used_length_ = 0;
  capacity_ = 0;
  return result;
}
