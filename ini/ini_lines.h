// Line walking over a [start, end) range of UTF-16 text, shared by the
// reader and the writer. Never reads at or past `end`.
#ifndef RECO_INI_INI_LINES_H_
#define RECO_INI_INI_LINES_H_

#include "platform/platform.h"

namespace ini_lines {

constexpr WCHAR kLf = 0x000A;
constexpr WCHAR kCr = 0x000D;

inline bool IsBlank(WCHAR c) { return c == 0x0020 || c == 0x0009; }
inline bool IsCommentStart(WCHAR c) { return c == TEXT(';') || c == TEXT('#'); }

struct Line {
  const WCHAR* begin;  // first character
  const WCHAR* end;    // one past the last character, CR LF excluded
  const WCHAR* next;   // start of the next line, or nullptr when there is none
  size_t Length() const { return static_cast<size_t>(end - begin); }
  bool Empty() const { return begin == end; }
  // The line end as the writer sees it: just after its LF, or the range end.
  const WCHAR* After(const WCHAR* range_end) const { return next != nullptr ? next : range_end; }
};

// The line starting at `start`; REQUIRES: start <= end.
inline Line LineAt(const WCHAR* start, const WCHAR* end) {
  const WCHAR* p = start;
  while (p < end && *p != kLf) ++p;
  if (p == end) return Line{start, end, nullptr};
  const WCHAR* line_end = (p > start && p[-1] == kCr) ? p - 1 : p;
  return Line{start, line_end, p + 1};
}

// Whether the walk goes on after `line` within a range ending at `end`.
inline bool HasNext(const Line& line, const WCHAR* end) {
  return line.next != nullptr && line.next < end;
}

}  // namespace ini_lines

#endif  // RECO_INI_INI_LINES_H_
