// The bounded string services and the CRT comparisons and conversions the
// system uses. The same rows run against our POSIX layer and against Wine's
// strsafe and msvcrt, so they pin down the Windows behaviour we reproduce.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

using test_support::ToUtf8;
using test_support::WString;

constexpr WCHAR kFill = 0x7E7E;  // what a buffer holds before the call

std::string Show(const WCHAR* text) { return text == nullptr ? "(null)" : ToUtf8(text); }

enum Op { kCopy, kCopyN, kCat, kPrintf, kPrintfString };

// %s in the wide functions takes a wide string, as Microsoft's C runtime
// has it (not the C99 meaning of a narrow string).
TEST(Strings_Bounded, TruncateTerminateAndReport) {
  struct Case {
    Op op;
    const WCHAR* start;  // kCat: the destination before, unterminated when it fills cch;
                         // kPrintfString: the argument
    const WCHAR* src;    // kPrintf*: the format
    int n;               // kCopyN: units of src; kPrintf: the argument
    size_t cch;
    HRESULT expected;
    const WCHAR* text;  // the destination after the call; nullptr: untouched
  } const kCases[] = {
      // 0
      {kCopy, nullptr, TEXT("abc"), 0, 4, S_OK, TEXT("abc")},  // exactly fitting
      {kCopy, nullptr, TEXT("abc"), 0, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCopy, nullptr, TEXT("abc"), 0, 1, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("")},
      {kCopy, nullptr, TEXT("\x4E2D\x6587"), 0, 2, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("\x4E2D")},
      {kCopy, nullptr, TEXT("abc"), 0, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},
      // 5
      {kCopyN, nullptr, TEXT("abcdef"), 3, 4, S_OK, TEXT("abc")},  // exactly fitting
      {kCopyN, nullptr, TEXT("abcdef"), 3, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCopyN, nullptr, TEXT("ab"), 5, 10, S_OK, TEXT("ab")},  // terminator before count
      {kCopyN, nullptr, TEXT("abc"), 0, 4, S_OK, TEXT("")},
      {kCat, TEXT("ab"), TEXT("cd"), 0, 5, S_OK, TEXT("abcd")},  // exactly fitting
      // 10
      {kCat, TEXT("ab"), TEXT("cd"), 0, 4, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("abc")},
      {kCat, TEXT("ab"), TEXT("cd"), 0, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCat, TEXT(""), TEXT("abc"), 0, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},
      {kCat, TEXT("abc"), TEXT("d"), 0, 3, STRSAFE_E_INVALID_PARAMETER, nullptr},  // unterminated
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 8, S_OK, TEXT("CHK1234")},  // exactly fitting
      // 15
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 7, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("CHK123")},
      {kPrintf, nullptr, TEXT("%d"), 1, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},
      {kPrintf, nullptr, TEXT("%d"), -2147483647 - 1, 32, S_OK, TEXT("-2147483648")},
      {kPrintf, nullptr, TEXT("%5d|"), 42, 32, S_OK, TEXT("   42|")},
      {kPrintf, nullptr, TEXT("%-5d|"), 42, 32, S_OK, TEXT("42   |")},
      // 20
      {kPrintf, nullptr, TEXT("%02X"), 0xA, 32, S_OK, TEXT("0A")},
      {kPrintf, nullptr, TEXT("%x"), 255, 32, S_OK, TEXT("ff")},
      {kPrintf, nullptr, TEXT("%u%%"), 100, 32, S_OK, TEXT("100%")},
      {kPrintfString, TEXT("\x5B8B\x4F53"), TEXT("Name=%s"), 0, 32, S_OK,
       TEXT("Name=\x5B8B\x4F53")},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    WString dest(c.cch + 1, kFill);  // one guard unit beyond cch that no call may touch
    WCHAR* d = &dest[0];
    if (c.op == kCat)
      std::copy_n(c.start, std::min(std::char_traits<WCHAR>::length(c.start) + 1, c.cch), d);
    const WString before = dest;
    const HRESULT hr = c.op == kCopy     ? StringCchCopyW(d, c.cch, c.src)
                       : c.op == kCopyN  ? StringCchCopyNW(d, c.cch, c.src, c.n)
                       : c.op == kCat    ? StringCchCatW(d, c.cch, c.src)
                       : c.op == kPrintf ? StringCchPrintfW(d, c.cch, c.src, c.n)
                                         : StringCchPrintfW(d, c.cch, c.src, c.start);
    const std::string row =
        "row " + std::to_string(i) + ": \"" + Show(c.src) + "\" cch " + std::to_string(c.cch);
    EXPECT_EQ(hr, c.expected) << row;
    EXPECT_TRUE(c.text == nullptr ? dest == before : WString(d) == c.text)
        << row << ": got \"" << Show(d) << "\" expected \"" << Show(c.text) << "\"";
    EXPECT_EQ(dest[c.cch], kFill) << row << " wrote past cch";
  }
}

// The C runtime's comparisons fold only ASCII letters in the "C" locale
// every program starts in.
TEST(Strings_Compare, IgnoresCaseOfAsciiLettersOnly) {
  constexpr size_t kWhole = 0;  // _wcsicmp
  struct Case {
    const WCHAR* a;
    const WCHAR* b;
    size_t count;  // _wcsnicmp's count
    int sign;
  } const kCases[] = {
      // 0
      {TEXT("option"), TEXT("OPTION"), kWhole, 0},
      {TEXT("AZ"), TEXT("az"), kWhole, 0},
      {TEXT("ABD"), TEXT("abc"), kWhole, 1},
      {TEXT("abc"), TEXT("abcd"), kWhole, -1},
      {TEXT("["), TEXT("{"), kWhole, -1},  // the neighbours of the letters stay apart
      // 5
      {TEXT("@"), TEXT("`"), kWhole, -1},
      {TEXT("\x00C4rger"), TEXT("\x00E4RGER"), kWhole, -1},  // Latin-1 is not folded
      {TEXT("Skin1"), TEXT("SKIN2"), 4, 0},
      {TEXT("Skin1"), TEXT("SKIN2"), 5, -1},
      {TEXT("ab"), TEXT("AB"), 10, 0},  // both end before the count
      // 10
      {TEXT("ab"), TEXT("abc"), 3, -1},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    const int result = c.count == kWhole ? _wcsicmp(c.a, c.b) : _wcsnicmp(c.a, c.b, c.count);
    EXPECT_EQ((result > 0) - (result < 0), c.sign)
        << "row " << i << ": \"" << Show(c.a) << "\" vs \"" << Show(c.b) << "\"";
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
      {TEXT("\t\n 9"), 9},
      {TEXT("+5"), 5},
      // 5
      {TEXT("- 3"), 0},
      {TEXT(""), 0},
      {TEXT("2147483647"), 2147483647L},
      {TEXT("-2147483648"), -2147483647L - 1},
      {TEXT("2147483648"), 2147483647L},
      // 10
      {TEXT("-99999999999"), -2147483647L - 1},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    EXPECT_EQ(_wtol(kCases[i].text), kCases[i].expected)
        << "row " << i << ": \"" << Show(kCases[i].text) << "\"";
  }
}

}  // namespace
