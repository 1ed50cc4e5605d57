// Lookups on the mapped text: sections, keys, values, integers, lists.
#include "ini/ini_file.h"
#include "ini/ini_lines.h"

using ini_lines::IsBlank;
using ini_lines::IsCommentStart;
using ini_lines::Line;
using ini_lines::LineAt;

namespace {

int HexDigit(WCHAR c) {
  if (c >= TEXT('0') && c <= TEXT('9')) return c - TEXT('0');
  if (c >= TEXT('A') && c <= TEXT('F')) return c - TEXT('A') + 10;
  if (c >= TEXT('a') && c <= TEXT('f')) return c - TEXT('a') + 10;
  return -1;
}

bool IsHeaderFor(const Line& line, LPCWSTR name, size_t name_length) {
  const size_t length = line.Length();
  return length >= name_length + 2 && length >= 3 && line.begin[0] == TEXT('[') &&
         line.begin[name_length + 1] == TEXT(']') &&
         _wcsnicmp(line.begin + 1, name, name_length) == 0;
}

// Appends `count` characters and a zero to a list if they fit the rule:
// written + count + 2 <= size. Returns false when the list is full.
bool AppendName(LPWSTR dest, int size, int* written, const WCHAR* name, size_t count) {
  if (static_cast<long long>(*written) + static_cast<long long>(count) + 2 > size) return false;
  for (size_t i = 0; i < count; ++i) dest[*written + i] = name[i];
  *written += static_cast<int>(count);
  dest[(*written)++] = 0;
  return true;
}

}  // namespace

int ParseHexByte(const WCHAR* two_chars, BYTE* byte) {
  int value = 0;
  for (int i = 0; i < 2; ++i) {
    const int digit = HexDigit(two_chars[i]);
    if (digit < 0) return 0;
    value = value * 16 + digit;
  }
  *byte = static_cast<BYTE>(value);
  return 1;
}

const WCHAR* IniFile::FindSection(LPCWSTR name, const WCHAR* range_start,
                                  const WCHAR* range_end) const {
  if (name == nullptr || range_start == nullptr || range_start >= range_end) return nullptr;
  const size_t name_length = wcslen(name);
  const WCHAR* start = range_start;
  for (;;) {
    const Line line = LineAt(start, range_end);
    if (IsHeaderFor(line, name, name_length)) return line.begin;
    if (!ini_lines::HasNext(line, range_end)) return nullptr;
    start = line.next;
  }
}

const WCHAR* IniFile::FindSectionWithHint(LPCWSTR name) {
  const WCHAR* found = FindSection(name, section_hint_, text_end_);
  if (found == nullptr) found = FindSection(name, text_start_, section_hint_);
  if (found != nullptr) section_hint_ = const_cast<WCHAR*>(found);
  return found;
}

const WCHAR* IniFile::FindKey(LPCWSTR key, const WCHAR* header, const WCHAR* text_end) const {
  if (key == nullptr || header == nullptr || header >= text_end) return nullptr;
  const size_t key_length = wcslen(key);
  const Line header_line = LineAt(header, text_end);
  if (!ini_lines::HasNext(header_line, text_end)) return nullptr;
  const WCHAR* start = header_line.next;
  for (;;) {
    const Line line = LineAt(start, text_end);
    if (!line.Empty() && !IsCommentStart(line.begin[0])) {
      if (line.begin[0] == TEXT('[')) return nullptr;
      const WCHAR* p = line.begin;
      while (p < line.end && IsBlank(*p)) ++p;
      if (static_cast<size_t>(line.end - p) >= key_length + 1 &&
          _wcsnicmp(p, key, key_length) == 0) {
        const WCHAR* q = p + key_length;
        while (q < line.end && IsBlank(*q)) ++q;
        if (q < line.end && *q == TEXT('=')) return line.begin;
      }
    }
    if (!ini_lines::HasNext(line, text_end)) return nullptr;
    start = line.next;
  }
}

int IniFile::ReadValue(const WCHAR* key_line, const WCHAR* text_end, LPWSTR dest,
                       int size_or_default) const {
  const Line line = LineAt(key_line, text_end);
  const WCHAR* begin = line.begin;
  while (begin < line.end && *begin != TEXT('=')) ++begin;
  if (begin < line.end) ++begin;
  while (begin < line.end && IsBlank(*begin)) ++begin;
  if (begin == line.end) {
    if (dest == nullptr) return size_or_default;
    if (size_or_default >= 1) dest[0] = 0;
    return 0;
  }
  const WCHAR* end = line.end;
  while (end > begin && IsBlank(end[-1])) --end;
  if (end - begin >= 2 && *begin == TEXT('"') && end[-1] == TEXT('"')) {
    ++begin;
    --end;
  }
  const size_t length = static_cast<size_t>(end - begin);
  if (dest != nullptr) {
    if (size_or_default < 1) return 0;
    const size_t count =
        length < static_cast<size_t>(size_or_default - 1) ? length : size_or_default - 1;
    for (size_t i = 0; i < count; ++i) dest[i] = begin[i];
    dest[count] = 0;
    return static_cast<int>(count);
  }
  WCHAR number[32];
  const size_t count = length < 31 ? length : 31;
  for (size_t i = 0; i < count; ++i) number[i] = begin[i];
  number[count] = 0;
  return static_cast<int>(_wtol(number));
}

int IniFile::CopyDefault(LPCWSTR default_text, LPWSTR dest, int size) const {
  StringCchCopyW(dest, static_cast<size_t>(size),
                 default_text != nullptr ? default_text : TEXT(""));
  return static_cast<int>(wcslen(dest));
}

int IniFile::IniGetString(LPCWSTR section, LPCWSTR key, LPCWSTR default_text, LPWSTR dest,
                          int size) {
  // The default goes in first, so that the caller finds it even when the
  // lookup cannot run.
  if (default_text != nullptr && dest != nullptr && size >= 1) {
    StringCchCopyW(dest, static_cast<size_t>(size), default_text);
  }
  if (!IsOpen()) return kIniNoFile;
  if (dest == nullptr || size < 1) return kIniBadDestination;
  if (section == nullptr) return ListSections(dest, size);
  if (default_text != nullptr && wcslen(default_text) >= static_cast<size_t>(size)) {
    return kIniDefaultTooLong;
  }
  const WCHAR* header = FindSectionWithHint(section);
  if (header == nullptr) return CopyDefault(default_text, dest, size);
  if (key == nullptr) return ListKeys(header, dest, size);
  const WCHAR* key_line = FindKey(key, header, text_end_);
  if (key_line == nullptr) return CopyDefault(default_text, dest, size);
  return ReadValue(key_line, text_end_, dest, size);
}

int IniFile::IniGetInt(LPCWSTR section, LPCWSTR key, int default_value) {
  if (!IsOpen() || section == nullptr || key == nullptr) return default_value;
  const WCHAR* header = FindSectionWithHint(section);
  if (header == nullptr) return default_value;
  const WCHAR* key_line = FindKey(key, header, text_end_);
  if (key_line == nullptr) return default_value;
  return ReadValue(key_line, text_end_, nullptr, default_value);
}

int IniFile::ListSections(LPWSTR dest, int size) const {
  int written = 0;
  const WCHAR* start = text_start_;
  while (start < text_end_) {
    const Line line = LineAt(start, text_end_);
    if (line.Length() >= 3 && line.begin[0] == TEXT('[')) {
      const WCHAR* close = line.begin + 1;
      while (close < line.end && *close != TEXT(']')) ++close;
      if (close < line.end && !AppendName(dest, size, &written, line.begin + 1,
                                          static_cast<size_t>(close - line.begin - 1))) {
        break;
      }
    }
    if (!ini_lines::HasNext(line, text_end_)) break;
    start = line.next;
  }
  dest[written] = 0;
  return written;
}

int IniFile::ListKeys(const WCHAR* header, LPWSTR dest, int size) const {
  int written = 0;
  const Line header_line = LineAt(header, text_end_);
  const WCHAR* start = ini_lines::HasNext(header_line, text_end_) ? header_line.next : nullptr;
  while (start != nullptr) {
    const Line line = LineAt(start, text_end_);
    if (!line.Empty() && !IsCommentStart(line.begin[0])) {
      if (line.begin[0] == TEXT('[')) break;
      const WCHAR* equals = line.begin;
      while (equals < line.end && *equals != TEXT('=')) ++equals;
      // An "=" in the first column leaves no key part: such a line is skipped.
      if (equals < line.end && equals != line.begin) {
        const WCHAR* begin = line.begin;
        const WCHAR* end = equals;
        while (begin < end && IsBlank(*begin)) ++begin;
        while (end > begin && IsBlank(end[-1])) --end;
        if (end > begin &&
            !AppendName(dest, size, &written, begin, static_cast<size_t>(end - begin))) {
          break;
        }
      }
    }
    start = ini_lines::HasNext(line, text_end_) ? line.next : nullptr;
  }
  dest[written] = 0;
  return written;
}
