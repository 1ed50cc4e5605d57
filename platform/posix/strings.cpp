// The strsafe and CRT string services for 16-bit WCHAR.
#include <cstdarg>
#include <string>

#include "platform/posix/win32_api.h"

namespace {

WCHAR FoldAscii(WCHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 32) : c; }

// Formats one integer conversion into `out`.
void AppendNumber(std::u16string& out, unsigned long long magnitude, bool negative, int base,
                  bool upper, int width, bool zero_pad, bool left) {
  char16_t digits[32];
  int n = 0;
  do {
    const int d = static_cast<int>(magnitude % base);
    digits[n++] = static_cast<char16_t>(d < 10 ? u'0' + d : (upper ? u'A' : u'a') + d - 10);
    magnitude /= base;
  } while (magnitude != 0);
  const int length = n + (negative ? 1 : 0);
  const int pad = width > length ? width - length : 0;
  if (!left && !zero_pad) out.append(pad, u' ');
  if (negative) out += u'-';
  if (!left && zero_pad) out.append(pad, u'0');
  while (n > 0) out += digits[--n];
  if (left) out.append(pad, u' ');
}

}  // namespace

HRESULT StringCchCopyW(LPWSTR dest, size_t cch_dest, LPCWSTR src) {
  return StringCchCopyNW(dest, cch_dest, src, STRSAFE_MAX_CCH);
}

HRESULT StringCchCopyNW(LPWSTR dest, size_t cch_dest, LPCWSTR src, size_t cch_src) {
  if (dest == nullptr || cch_dest == 0 || cch_dest > STRSAFE_MAX_CCH) {
    return STRSAFE_E_INVALID_PARAMETER;
  }
  if (src == nullptr) {
    dest[0] = 0;
    return S_OK;
  }
  size_t i = 0;
  while (i < cch_src && src[i] != 0) {
    if (i + 1 == cch_dest) {
      dest[i] = 0;
      return STRSAFE_E_INSUFFICIENT_BUFFER;
    }
    dest[i] = src[i];
    ++i;
  }
  dest[i] = 0;
  return S_OK;
}

HRESULT StringCchCatW(LPWSTR dest, size_t cch_dest, LPCWSTR src) {
  if (dest == nullptr || cch_dest == 0 || cch_dest > STRSAFE_MAX_CCH) {
    return STRSAFE_E_INVALID_PARAMETER;
  }
  size_t length = 0;
  while (length < cch_dest && dest[length] != 0) ++length;
  if (length == cch_dest) return STRSAFE_E_INVALID_PARAMETER;
  return StringCchCopyNW(dest + length, cch_dest - length, src, STRSAFE_MAX_CCH);
}

HRESULT StringCchPrintfW(LPWSTR dest, size_t cch_dest, LPCWSTR format, ...) {
  if (dest == nullptr || cch_dest == 0 || cch_dest > STRSAFE_MAX_CCH) {
    return STRSAFE_E_INVALID_PARAMETER;
  }
  std::u16string out;
  va_list args;
  va_start(args, format);
  for (const WCHAR* p = format; p != nullptr && *p != 0; ++p) {
    if (*p != u'%') {
      out += *p;
      continue;
    }
    ++p;
    bool left = false;
    bool zero_pad = false;
    for (; *p == u'-' || *p == u'0'; ++p) {
      if (*p == u'-') left = true;
      if (*p == u'0') zero_pad = true;
    }
    int width = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) width = width * 10 + (*p - u'0');
    bool is_long = false;
    for (; *p == u'l' || *p == u'h'; ++p) is_long = is_long || *p == u'l';
    switch (*p) {
      case u'd':
      case u'i': {
        const long long v = is_long ? va_arg(args, long) : va_arg(args, int);
        const unsigned long long magnitude =
            v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        AppendNumber(out, magnitude, v < 0, 10, false, width, zero_pad, left);
        break;
      }
      case u'u':
      case u'x':
      case u'X': {
        const unsigned long long v =
            is_long ? va_arg(args, unsigned long) : va_arg(args, unsigned int);
        AppendNumber(out, v, false, *p == u'u' ? 10 : 16, *p == u'X', width, zero_pad, left);
        break;
      }
      case u'c':
        out += static_cast<WCHAR>(va_arg(args, int));
        break;
      case u's': {
        const WCHAR* s = va_arg(args, const WCHAR*);
        std::u16string text = s != nullptr ? std::u16string(s) : std::u16string(u"(null)");
        const size_t pad = width > static_cast<int>(text.size()) ? width - text.size() : 0;
        if (!left) out.append(pad, u' ');
        out += text;
        if (left) out.append(pad, u' ');
        break;
      }
      case u'%':
        out += u'%';
        break;
      default:  // an unknown conversion stands as written
        out += u'%';
        if (*p == 0) {
          --p;
        } else {
          out += *p;
        }
        break;
    }
  }
  va_end(args);
  return StringCchCopyNW(dest, cch_dest, out.c_str(), out.size());
}

int _wcsicmp(const WCHAR* a, const WCHAR* b) { return _wcsnicmp(a, b, static_cast<size_t>(-1)); }

int _wcsnicmp(const WCHAR* a, const WCHAR* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const WCHAR ca = FoldAscii(a[i]);
    const WCHAR cb = FoldAscii(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

long _wtol(const WCHAR* s) {
  if (s == nullptr) return 0;
  while (*s == u' ' || (*s >= u'\t' && *s <= u'\r')) ++s;
  bool negative = false;
  if (*s == u'-' || *s == u'+') negative = *s++ == u'-';
  // An out-of-range number gives the limit of a 32-bit long, as the
  // Windows C runtime does (Wine's msvcrt agrees); long is 32 bits there.
  constexpr int64_t kMax = 2147483647;
  const int64_t limit = negative ? kMax + 1 : kMax;
  int64_t value = 0;
  for (; *s >= u'0' && *s <= u'9'; ++s) {
    value = value * 10 + (*s - u'0');
    if (value > limit) value = limit;
  }
  return static_cast<long>(negative ? -value : value);
}

size_t wcslen(const WCHAR* s) {
  size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

const WCHAR* wcschr(const WCHAR* s, WCHAR c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (*s == 0) return nullptr;
  }
}

WCHAR* wcschr(WCHAR* s, WCHAR c) {
  return const_cast<WCHAR*>(wcschr(static_cast<const WCHAR*>(s), c));
}

const WCHAR* wcsrchr(const WCHAR* s, WCHAR c) {
  const WCHAR* last = nullptr;
  for (;; ++s) {
    if (*s == c) last = s;
    if (*s == 0) return last;
  }
}

WCHAR* wcsrchr(WCHAR* s, WCHAR c) {
  return const_cast<WCHAR*>(wcsrchr(static_cast<const WCHAR*>(s), c));
}

size_t wcsspn(const WCHAR* s, const WCHAR* accept) {
  size_t n = 0;
  for (; s[n] != 0; ++n) {
    const WCHAR* a = accept;
    while (*a != 0 && *a != s[n]) ++a;
    if (*a == 0) break;
  }
  return n;
}
