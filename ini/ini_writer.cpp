// Edits in place on a file opened for writing: every edit checks the
// capacity first and then moves the text behind its point once.
#include <cstring>
#include <new>

#include "ini/ini_file.h"
#include "ini/ini_lines.h"

using ini_lines::IsBlank;
using ini_lines::IsCommentStart;
using ini_lines::Line;
using ini_lines::LineAt;

namespace {

constexpr WCHAR kHexDigits[] = TEXT("0123456789ABCDEF");

// A value that begins or ends with a blank is quoted, so that the reader,
// which trims blanks and then drops one pair of quotes, gives it back.
bool NeedsQuotes(LPCWSTR value, size_t length) {
  return length > 0 && (IsBlank(value[0]) || IsBlank(value[length - 1]));
}

// Writes key "=" [quote] value [quote] CR LF at `out`; returns one past it.
WCHAR* WriteKeyLine(WCHAR* out, LPCWSTR key, size_t key_length, LPCWSTR value, size_t value_length,
                    bool quoted) {
  for (size_t i = 0; i < key_length; ++i) *out++ = key[i];
  *out++ = TEXT('=');
  if (quoted) *out++ = TEXT('"');
  for (size_t i = 0; i < value_length; ++i) *out++ = value[i];
  if (quoted) *out++ = TEXT('"');
  *out++ = ini_lines::kCr;
  *out++ = ini_lines::kLf;
  return out;
}

}  // namespace

void IniFile::MoveChars(WCHAR* dest, const WCHAR* src, size_t count) {
  if (count != 0) std::memmove(dest, src, count * sizeof(WCHAR));
}

bool IniFile::Fits(size_t grow_chars) const {
  return static_cast<unsigned long long>(used_length_) + 2ull * grow_chars <= capacity_;
}

int IniFile::IniSetString(LPCWSTR section, LPCWSTR key, LPCWSTR value) {
  if (!IsWritable()) return 0;
  if (section == nullptr || section[0] == 0) return 0;
  section_hint_ = text_start_;
  auto* header = const_cast<WCHAR*>(FindSection(section, text_start_, text_end_));
  const bool has_key = key != nullptr && key[0] != 0;
  if (header == nullptr) {
    if (!has_key) return 1;
    header = InsertSection(text_end_, section);
    if (header == nullptr) return 0;
    if (value == nullptr) return 1;
    return AppendKey(header, key, value);
  }
  if (has_key) return ReplaceKey(header, key, value);
  return DeleteSection(header);
}

int IniFile::IniSetRecord(LPCWSTR section, LPCWSTR key, const BYTE* bytes, DWORD count) {
  if (!IsWritable()) return 0;
  if (section == nullptr || section[0] == 0) return 0;
  section_hint_ = text_start_;
  if (bytes == nullptr) return IniSetString(section, key, nullptr);
  WCHAR* text = new (std::nothrow) WCHAR[2 * static_cast<size_t>(count) + 3];
  if (text == nullptr) return 0;
  WCHAR* out = text;
  BYTE sum = 0;
  for (DWORD i = 0; i < count; ++i) {
    *out++ = kHexDigits[bytes[i] >> 4];
    *out++ = kHexDigits[bytes[i] & 0x0F];
    sum = static_cast<BYTE>(sum + bytes[i]);
  }
  *out++ = kHexDigits[sum >> 4];
  *out++ = kHexDigits[sum & 0x0F];
  *out = 0;
  const int result = IniSetString(section, key, text);
  delete[] text;
  return result;
}

int IniFile::IniAppendText(const WCHAR* begin, const WCHAR* end) {
  if (!IsWritable() || begin == nullptr || end < begin) return 0;
  const size_t length = static_cast<size_t>(end - begin);
  // A U+0000 would end the text where the reader looks for its end.
  for (const WCHAR* p = begin; p < end; ++p) {
    if (*p == 0) return 0;
  }
  if (!Fits(length)) return 0;
  MoveChars(text_end_, begin, length);
  text_end_ += length;
  used_length_ += static_cast<DWORD>(2 * length);
  return 1;
}

WCHAR* IniFile::InsertSection(WCHAR* position, LPCWSTR name) {
  const bool line_break = position > text_start_ && position[-1] != ini_lines::kLf;
  const size_t name_length = wcslen(name);
  const size_t size = name_length + 4 + (line_break ? 2 : 0);
  if (!Fits(size)) return nullptr;
  if (position < text_end_) MoveChars(position + size, position, text_end_ - position);
  WCHAR* out = position;
  if (line_break) {
    *out++ = ini_lines::kCr;
    *out++ = ini_lines::kLf;
  }
  WCHAR* header = out;
  *out++ = TEXT('[');
  for (size_t i = 0; i < name_length; ++i) *out++ = name[i];
  *out++ = TEXT(']');
  *out++ = ini_lines::kCr;
  *out++ = ini_lines::kLf;
  used_length_ += static_cast<DWORD>(2 * size);
  text_end_ += size;
  return header;
}

int IniFile::AppendKey(WCHAR* header, LPCWSTR key, LPCWSTR value) {
  // The new key goes right after the last entry of its section: blank and
  // comment lines that trail the section stay behind it.
  WCHAR* point = text_end_;
  bool line_break = false;
  const Line header_line = LineAt(header, text_end_);
  if (header_line.next == nullptr) {
    line_break = true;
  } else {
    point = const_cast<WCHAR*>(header_line.next);
    const WCHAR* start = header_line.next;
    while (start < text_end_) {
      const Line line = LineAt(start, text_end_);
      if (!line.Empty() && !IsCommentStart(line.begin[0])) {
        if (line.begin[0] == TEXT('[')) break;
        if (line.next == nullptr) {
          point = text_end_;
          line_break = true;
          break;
        }
        point = const_cast<WCHAR*>(line.next);
      }
      if (line.next == nullptr) break;
      start = line.next;
    }
  }
  const size_t key_length = wcslen(key);
  const size_t value_length = wcslen(value);
  const bool quoted = NeedsQuotes(value, value_length);
  const size_t size = key_length + value_length + 3 + (quoted ? 2 : 0) + (line_break ? 2 : 0);
  if (!Fits(size)) return 0;
  MoveChars(point + size, point, text_end_ - point);
  WCHAR* out = point;
  if (line_break) {
    *out++ = ini_lines::kCr;
    *out++ = ini_lines::kLf;
  }
  WriteKeyLine(out, key, key_length, value, value_length, quoted);
  used_length_ += static_cast<DWORD>(2 * size);
  text_end_ += size;
  return 1;
}

int IniFile::ReplaceKey(WCHAR* header, LPCWSTR key, LPCWSTR value) {
  auto* old_line = const_cast<WCHAR*>(FindKey(key, header, text_end_));
  if (old_line == nullptr) return value == nullptr ? 1 : AppendKey(header, key, value);
  WCHAR* old_end = const_cast<WCHAR*>(LineAt(old_line, text_end_).After(text_end_));
  const size_t old_length = static_cast<size_t>(old_end - old_line);
  if (value == nullptr) {
    MoveChars(old_line, old_end, text_end_ - old_end);
    text_end_ -= old_length;
    used_length_ -= static_cast<DWORD>(2 * old_length);
    return 1;
  }
  const size_t key_length = wcslen(key);
  const size_t value_length = wcslen(value);
  const bool quoted = NeedsQuotes(value, value_length);
  const size_t new_length = key_length + 1 + value_length + (quoted ? 2 : 0) + 2;
  const ptrdiff_t difference =
      static_cast<ptrdiff_t>(new_length) - static_cast<ptrdiff_t>(old_length);
  if (difference > 0 && !Fits(static_cast<size_t>(difference))) return 0;
  if (old_end < text_end_) MoveChars(old_end + difference, old_end, text_end_ - old_end);
  WriteKeyLine(old_line, key, key_length, value, value_length, quoted);
  text_end_ += difference;
  used_length_ = static_cast<DWORD>(static_cast<long long>(used_length_) + 2 * difference);
  return 1;
}

int IniFile::DeleteSection(WCHAR* header) {
  const WCHAR* end = text_end_;
  Line line = LineAt(header, text_end_);
  while (line.next != nullptr && line.next < text_end_) {
    line = LineAt(line.next, text_end_);
    if (!line.Empty() && line.begin[0] == TEXT('[')) {
      end = line.begin;
      break;
    }
  }
  const size_t length = static_cast<size_t>(end - header);
  MoveChars(header, end, static_cast<size_t>(text_end_ - end));
  text_end_ -= length;
  used_length_ -= static_cast<DWORD>(2 * length);
  return 1;
}
