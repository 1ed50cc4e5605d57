#include "paths/path_utils.h"

const WCHAR PathDelimiters[] = TEXT(" \t\\/");

namespace {

bool IsDelimiter(WCHAR c) { return c != 0 && wcschr(PathDelimiters, c) != nullptr; }

// The root has no directory to create: "" for a path that starts with a
// backslash, or a drive such as "C:".
bool IsRootPrefix(LPCWSTR prefix) {
  if (prefix[0] == 0) return true;
  const WCHAR c = prefix[0];
  const bool letter = (c >= TEXT('A') && c <= TEXT('Z')) || (c >= TEXT('a') && c <= TEXT('z'));
  return letter && prefix[1] == TEXT(':') && prefix[2] == 0;
}

}  // namespace

int JoinPath(LPWSTR path, LPCWSTR relative) {
  if (path == nullptr || relative == nullptr) return 0;
  WCHAR joined[MAX_PATH];
  WCHAR name[MAX_PATH];
  StringCchCopyW(joined, MAX_PATH, path);
  TrimTrailingDelimiters(joined);
  StringCchCopyW(name, MAX_PATH, relative);
  TrimLeadingDelimiters(name);
  StringCchCatW(joined, MAX_PATH, TEXT("\\"));
  StringCchCatW(joined, MAX_PATH, name);
  StringCchCopyW(path, MAX_PATH, joined);
  return 1;
}

void TrimTrailingDelimiters(LPWSTR text) {
  if (text == nullptr || text[0] == 0) return;
  size_t length = wcslen(text);
  while (length > 0 && IsDelimiter(text[length - 1])) --length;
  text[length] = 0;
}

void TrimLeadingDelimiters(LPWSTR text) {
  if (text == nullptr) return;
  const size_t span = wcsspn(text, PathDelimiters);
  if (span == 0 || text[span] == 0) return;
  const size_t rest = wcslen(text + span) + 1;
  for (size_t i = 0; i < rest; ++i) text[i] = text[span + i];
}

int DirectoryOfPath(LPCWSTR path, LPWSTR out) {
  if (path == nullptr) return -1;
  const WCHAR* last = wcsrchr(path, TEXT('\\'));
  if (last == nullptr) return -1;
  WCHAR directory[MAX_PATH];
  StringCchCopyNW(directory, MAX_PATH, path, static_cast<size_t>(last - path) + 1);
  if (out != nullptr) StringCchCopyW(out, MAX_PATH, directory);
  return static_cast<int>(wcslen(directory));
}

int CreateDirectoryTree(LPCWSTR path) {
  if (path == nullptr) return 0;
  const WCHAR* search = path;
  for (;;) {
    const WCHAR* separator = wcschr(search, TEXT('\\'));
    if (separator == nullptr) return 1;
    WCHAR prefix[MAX_PATH];
    StringCchCopyNW(prefix, MAX_PATH, path, static_cast<size_t>(separator - path));
    if (!IsRootPrefix(prefix) && !CreateDirectoryW(prefix, nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      return 0;
    }
    search = separator + 1;
  }
}
