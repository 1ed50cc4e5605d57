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

enum Op { kCopy, kCopyN, kCat, kPrintf };

// Rows pin the exactly fitting and one-unit-short buffers of each call, and
// the formats the system prints with.
TEST(Strings_Bounded, TruncateTerminateAndReport) {
  struct Case {
    Op op;
    const WCHAR* start;  // kCat: the destination before, unterminated when it fills cch
    const WCHAR* src;    // kPrintf: the format
    int n;               // kCopyN: units of src; kPrintf: the argument
    size_t cch;
    HRESULT expected;
    const WCHAR* text;  // the destination after the call; nullptr: untouched
  } const kCases[] = {
      // 0
      {kCopy, nullptr, TEXT("abc"), 0, 4, S_OK, TEXT("abc")},  // exactly fitting
      {kCopy, nullptr, TEXT("abc"), 0, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {kCopy, nullptr, TEXT("abc"), 0, 0, STRSAFE_E_INVALID_PARAMETER, nullptr},
      {kCopyN, nullptr, TEXT("ab"), 5, 10, S_OK, TEXT("ab")},  // terminator before count
      {kCopyN, nullptr, TEXT("abc"), 0, 4, S_OK, TEXT("")},
      // 5
      {kCat, TEXT("ab"), TEXT("cd"), 0, 5, S_OK, TEXT("abcd")},  // exactly fitting
      {kCat, TEXT("ab"), TEXT("cd"), 0, 4, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("abc")},
      {kCat, TEXT("abc"), TEXT("d"), 0, 3, STRSAFE_E_INVALID_PARAMETER, nullptr},  // unterminated
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 8, S_OK, TEXT("CHK1234")},  // exactly fitting
      {kPrintf, nullptr, TEXT("CHK%d"), 1234, 7, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("CHK123")},
      // 10
      {kPrintf, nullptr, TEXT("%d"), -2147483647 - 1, 32, S_OK, TEXT("-2147483648")},
      {kPrintf, nullptr, TEXT("Dict\\%04X"), 0xC04, 32, S_OK, TEXT("Dict\\0C04")},
      {kPrintf, nullptr, TEXT("%02x"), 0xAB, 32, S_OK, TEXT("ab")},
  };
  for (size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    WString dest(c.cch + 1, kFill);  // one guard unit beyond cch that no call may touch
    WCHAR* d = &dest[0];
    if (c.op == kCat)
      std::copy_n(c.start, std::min(std::char_traits<WCHAR>::length(c.start) + 1, c.cch), d);
    const WString before = dest;
    const HRESULT hr = c.op == kCopy    ? StringCchCopyW(d, c.cch, c.src)
                       : c.op == kCopyN ? StringCchCopyNW(d, c.cch, c.src, c.n)
                       : c.op == kCat   ? StringCchCatW(d, c.cch, c.src)
                                        : StringCchPrintfW(d, c.cch, c.src, c.n);
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
      {TEXT("AZ"), TEXT("az"), kWhole, 0},
      {TEXT("ABD"), TEXT("abc"), kWhole, 1},
      {TEXT("abc"), TEXT("abcd"), kWhole, -1},
      {TEXT("["), TEXT("{"), kWhole, -1},  // the neighbours of the letters stay apart
      {TEXT("@"), TEXT("`"), kWhole, -1},
      // 5
      {TEXT("\x00C4rger"), TEXT("\x00E4RGER"), kWhole, -1},  // Latin-1 is not folded
      {TEXT("Skin1"), TEXT("SKIN2"), 4, 0},
      {TEXT("Skin1"), TEXT("SKIN2"), 5, -1},
      {TEXT("ab"), TEXT("AB"), 10, 0},  // both end before the count
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
      {TEXT("\t\n 9"), 9},
      {TEXT("+5"), 5},
      {TEXT("- 3"), 0},
      // 5
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
