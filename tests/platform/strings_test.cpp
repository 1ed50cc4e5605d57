// The bounded string services and the CRT comparisons and conversions the
// system uses. The same rows run against our POSIX layer and against Wine's
// strsafe and msvcrt, so they pin down the Windows behaviour we reproduce.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

using test_support::ToUtf8;
using test_support::WString;

constexpr WCHAR kFill = 0x7E7E;  // what a buffer holds before the call
constexpr size_t kWhole = SIZE_MAX;

std::string Show(const WCHAR* text) { return text == nullptr ? "(null)" : ToUtf8(text); }

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

enum Op { kCopy, kCopyN, kCat, kLength, kPrintf, kPrintfString };

// %s in the wide functions takes a wide string, as Microsoft's C runtime
// has it (not the C99 meaning of a narrow string).
TEST(Strings_Bounded, TruncateTerminateAndReport) {
  struct Case {
    Op op;
    const WCHAR* start;  // kCat: the destination before, unterminated when it fills cch;
                         // kPrintfString: the argument
    const WCHAR* src;    // kPrintf*: the format
    int n;               // kCopyN: units of src; kLength: the length; kPrintf: the argument
    size_t cch;
    HRESULT expected;
    const WCHAR* text;  // the destination after the call, when checked
  } const kCases[] = {
      // 0
      {kCopy, nullptr, TEXT("abc"), 0, 4, S_OK, TEXT("abc")},  // exactly fitting
      {kCopy, nullptr, TEXT("abc"), 0, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCopy, nullptr, TEXT("abc"), 0, 1, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("")},
      {kCopy, nullptr, TEXT(""), 0, 1, S_OK, TEXT("")},
      {kCopy, nullptr, TEXT("\x4E2D\x6587"), 0, 3, S_OK, TEXT("\x4E2D\x6587")},
      // 5
      {kCopy, nullptr, TEXT("\x4E2D\x6587"), 0, 2, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("\x4E2D")},
      {kCopy, nullptr, TEXT("abc"), 0, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},  // untouched
      {kCopyN, nullptr, TEXT("abcdef"), 3, 4, S_OK, TEXT("abc")},                 // exactly fitting
      {kCopyN, nullptr, TEXT("abcdef"), 3, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCopyN, nullptr, TEXT("ab"), 5, 10, S_OK, TEXT("ab")},  // terminator before count
      // 10
      {kCopyN, nullptr, TEXT("abc"), 0, 4, S_OK, TEXT("")},
      {kCat, TEXT("ab"), TEXT("cd"), 0, 5, S_OK, TEXT("abcd")},  // exactly fitting
      {kCat, TEXT("ab"), TEXT("cd"), 0, 4, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("abc")},
      {kCat, TEXT("ab"), TEXT("cd"), 0, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCat, TEXT(""), TEXT(""), 0, 1, S_OK, TEXT("")},
      // 15
      {kCat, TEXT(""), TEXT("abc"), 0, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},
      {kCat, TEXT("abc"), TEXT("d"), 0, 3, STRSAFE_E_INVALID_PARAMETER, nullptr},  // unterminated
      {kLength, nullptr, TEXT("abc"), 3, 4, S_OK, nullptr},  // the terminator is the last unit
      {kLength, nullptr, TEXT("abc"), 0, 3, STRSAFE_E_INVALID_PARAMETER, nullptr},
      {kLength, nullptr, TEXT(""), 0, 1, S_OK, nullptr},
      // 20
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 8, S_OK, TEXT("CHK1234")},  // exactly fitting
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 7, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("CHK123")},
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 1, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("")},
      {kPrintf, nullptr, TEXT("%d"), 1, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},
      {kPrintf, nullptr, TEXT("%d"), -7, 32, S_OK, TEXT("-7")},
      // 25
      {kPrintf, nullptr, TEXT("%d"), -2147483647 - 1, 32, S_OK, TEXT("-2147483648")},
      {kPrintf, nullptr, TEXT("%5d|"), 42, 32, S_OK, TEXT("   42|")},
      {kPrintf, nullptr, TEXT("%-5d|"), 42, 32, S_OK, TEXT("42   |")},
      {kPrintf, nullptr, TEXT("%02X"), 0xA, 32, S_OK, TEXT("0A")},
      {kPrintf, nullptr, TEXT("%x"), 255, 32, S_OK, TEXT("ff")},
      // 30
      {kPrintf, nullptr, TEXT("%u%%"), 100, 32, S_OK, TEXT("100%")},
      {kPrintfString, TEXT("Font"), TEXT("%s"), 0, 32, S_OK, TEXT("Font")},
      {kPrintfString, TEXT(""), TEXT("[%s]"), 0, 32, S_OK, TEXT("[]")},
      {kPrintfString, TEXT("\x5B8B\x4F53"), TEXT("Name=%s"), 0, 32, S_OK,
       TEXT("Name=\x5B8B\x4F53")},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    WString dest(c.cch + 1, kFill);  // one guard unit beyond cch that no call may touch
    WCHAR* d = &dest[0];
    if (c.op == kCat)
      std::copy_n(c.start, std::min(std::char_traits<WCHAR>::length(c.start) + 1, c.cch), d);
    size_t length = 12345;
    const HRESULT hr = c.op == kCopy     ? StringCchCopyW(d, c.cch, c.src)
                       : c.op == kCopyN  ? StringCchCopyNW(d, c.cch, c.src, c.n)
                       : c.op == kCat    ? StringCchCatW(d, c.cch, c.src)
                       : c.op == kLength ? StringCchLengthW(c.src, c.cch, &length)
                       : c.op == kPrintf ? StringCchPrintfW(d, c.cch, c.src, c.n)
                                         : StringCchPrintfW(d, c.cch, c.src, c.start);
    const std::string row =
        "row " + std::to_string(i) + ": \"" + Show(c.src) + "\" cch " + std::to_string(c.cch);
    EXPECT_EQ(hr, c.expected) << row;
    EXPECT_TRUE(c.text == nullptr || WString(d) == c.text)
        << row << ": got \"" << Show(d) << "\" expected \"" << Show(c.text) << "\"";
    EXPECT_EQ(dest[c.cch], kFill) << row << " wrote past cch";
    EXPECT_TRUE(c.op != kLength || length == static_cast<size_t>(c.n))
        << row << ": length " << length;
  }
}

// _wcsicmp and lstrcmpiW for whole strings, _wcsnicmp for counted ones.
// lstrcmpiW compares as the user's language does; the C runtime's
// comparisons fold only ASCII letters in the "C" locale every program
// starts in.
TEST(Strings_Compare, IgnoresCaseOfAsciiLetters) {
  struct Case {
    const WCHAR* a;
    const WCHAR* b;
    size_t count;
    int crt_sign, lstrcmpi_sign;  // lstrcmpiW only compares whole strings
  } const kCases[] = {
      // 0
      {TEXT("option"), TEXT("OPTION"), kWhole, 0, 0},
      {TEXT(""), TEXT(""), kWhole, 0, 0},
      {TEXT("abc"), TEXT("abd"), kWhole, -1, -1},
      {TEXT("ABD"), TEXT("abc"), kWhole, 1, 1},
      {TEXT("abc"), TEXT("abcd"), kWhole, -1, -1},
      // 5
      {TEXT("abcd"), TEXT("ABC"), kWhole, 1, 1},
      {TEXT("\x00C4rger"), TEXT("\x00E4RGER"), kWhole, -1, 0},
      {TEXT("\x00D6"), TEXT("\x00F6"), 1, -1, 0},
      {TEXT("Skin1"), TEXT("SKIN2"), 4, 0, 0},
      {TEXT("Skin1"), TEXT("SKIN2"), 5, -1, 0},
      // 10
      {TEXT("ab"), TEXT("AB"), 10, 0, 0},  // both end before the count
      {TEXT("ab"), TEXT("abc"), 3, -1, 0},
      {TEXT("x"), TEXT("y"), 0, 0, 0},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    const std::string row = "row " + std::to_string(i) + ": \"" + Show(c.a) + "\" vs \"" +
                            Show(c.b) + "\" count " + std::to_string(c.count);
    const int crt = c.count == kWhole ? _wcsicmp(c.a, c.b) : _wcsnicmp(c.a, c.b, c.count);
    EXPECT_EQ(Sign(crt), c.crt_sign) << "C runtime " << row;
    const int folded = c.count == kWhole ? Sign(lstrcmpiW(c.a, c.b)) : c.lstrcmpi_sign;
    EXPECT_EQ(folded, c.lstrcmpi_sign) << "lstrcmpiW " << row;
  }
}

// Out of range, the C runtime clamps to the limits of a 32-bit long.
TEST(Strings_ToLong, ParsesLeadingDecimalDigits) {
  struct Case {
    const WCHAR* text;
    long expected;
  } const kCases[] = {
      // 0
      {TEXT("12abc"), 12},
      {TEXT("0x10"), 0},
      {TEXT("-7"), -7},
      {TEXT(" 42"), 42},
      {TEXT(""), 0},
      // 5
      {TEXT("+5"), 5},
      {TEXT("\t\n 9"), 9},
      {TEXT("abc"), 0},
      {TEXT("- 3"), 0},
      {TEXT("007"), 7},
      // 10
      {TEXT("2147483647"), 2147483647L},
      {TEXT("-2147483648"), -2147483647L - 1},
      {TEXT("2147483648"), 2147483647L},
      {TEXT("-99999999999"), -2147483647L - 1},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    EXPECT_EQ(_wtol(kCases[i].text), kCases[i].expected)
        << "row " << i << ": \"" << Show(kCases[i].text) << "\"";
  }
}

}  // namespace
