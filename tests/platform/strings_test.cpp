// The bounded string services and the CRT comparisons and conversions the
// system uses. The same rows run against our POSIX layer and against Wine's
// strsafe and msvcrt, so they pin down the Windows behaviour we reproduce.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

using test_support::ToUtf8;
using test_support::WString;

constexpr WCHAR kFill = 0x7E7E;  // what a buffer holds before the call

std::string Show(const WCHAR* text) { return text == nullptr ? "(null)" : ToUtf8(text); }

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// A destination of `cch` units, every unit preset, with one guard unit
// beyond it that no call may touch.
struct Destination {
  explicit Destination(size_t cch) : units(cch + 1, kFill) {}
  WCHAR* data() { return units.data(); }
  bool GuardIntact() const { return units.back() == kFill; }
  WString units;
};

TEST(Strings_CopyBounds, TruncatesTerminatesAndReports) {
  struct Case {
    const WCHAR* src;
    size_t cch_dest;
    HRESULT expected;
    const WCHAR* expected_text;
  } const kCases[] = {
      // 0
      {TEXT("abc"), 10, S_OK, TEXT("abc")},  // large enough
      {TEXT("abc"), 4, S_OK, TEXT("abc")},   // exactly fitting
      {TEXT("abc"), 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {TEXT("abc"), 1, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("")},
      {TEXT(""), 1, S_OK, TEXT("")},
      // 5
      {TEXT("\x4E2D\x6587"), 3, S_OK, TEXT("\x4E2D\x6587")},
      {TEXT("\x4E2D\x6587"), 2, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("\x4E2D")},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    Destination dest(c.cch_dest);
    const HRESULT hr = StringCchCopyW(dest.data(), c.cch_dest, c.src);
    EXPECT_EQ(hr, c.expected) << "row " << i << ": src \"" << Show(c.src) << "\" cch "
                              << c.cch_dest;
    EXPECT_EQ(WString(dest.data()), WString(c.expected_text))
        << "row " << i << ": got \"" << Show(dest.data()) << "\" expected \""
        << Show(c.expected_text) << "\"";
    EXPECT_TRUE(dest.GuardIntact()) << "row " << i << " wrote past cch_dest";
  }
}

TEST(Strings_CopyBounds, ZeroSizedDestinationIsInvalidAndUntouched) {
  WCHAR dest[2] = {kFill, kFill};
  EXPECT_EQ(StringCchCopyW(dest, 0, TEXT("abc")), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCatW(dest, 0, TEXT("abc")), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchPrintfW(dest, 0, TEXT("%d"), 1), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(dest[0], kFill);
}

TEST(Strings_CopyNBounds, StopsAtCountOrTerminator) {
  struct Case {
    const WCHAR* src;
    size_t cch_src;
    size_t cch_dest;
    HRESULT expected;
    const WCHAR* expected_text;
  } const kCases[] = {
      // 0
      {TEXT("abcdef"), 3, 10, S_OK, TEXT("abc")},
      {TEXT("abcdef"), 3, 4, S_OK, TEXT("abc")},  // exactly fitting
      {TEXT("abcdef"), 3, 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {TEXT("ab"), 5, 10, S_OK, TEXT("ab")},  // terminator before count
      {TEXT("abc"), 0, 4, S_OK, TEXT("")},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    Destination dest(c.cch_dest);
    const HRESULT hr = StringCchCopyNW(dest.data(), c.cch_dest, c.src, c.cch_src);
    EXPECT_EQ(hr, c.expected) << "row " << i << ": src \"" << Show(c.src) << "\"";
    EXPECT_EQ(WString(dest.data()), WString(c.expected_text))
        << "row " << i << ": got \"" << Show(dest.data()) << "\"";
    EXPECT_TRUE(dest.GuardIntact()) << "row " << i;
  }
}

TEST(Strings_CatBounds, AppendsWithinCapacity) {
  struct Case {
    const WCHAR* start;
    const WCHAR* src;
    size_t cch_dest;
    HRESULT expected;
    const WCHAR* expected_text;
  } const kCases[] = {
      // 0
      {TEXT("ab"), TEXT("cd"), 10, S_OK, TEXT("abcd")},
      {TEXT("ab"), TEXT("cd"), 5, S_OK, TEXT("abcd")},  // exactly fitting
      {TEXT("ab"), TEXT("cd"), 4, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("abc")},
      {TEXT("ab"), TEXT("cd"), 3, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("ab")},
      {TEXT(""), TEXT(""), 1, S_OK, TEXT("")},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    Destination dest(c.cch_dest);
    ASSERT_EQ(StringCchCopyW(dest.data(), c.cch_dest, c.start), S_OK) << "row " << i;
    const HRESULT hr = StringCchCatW(dest.data(), c.cch_dest, c.src);
    EXPECT_EQ(hr, c.expected) << "row " << i;
    EXPECT_EQ(WString(dest.data()), WString(c.expected_text))
        << "row " << i << ": got \"" << Show(dest.data()) << "\"";
    EXPECT_TRUE(dest.GuardIntact()) << "row " << i;
  }
}

TEST(Strings_CatBounds, UnterminatedDestinationIsInvalid) {
  WCHAR dest[3] = {TEXT('a'), TEXT('b'), TEXT('c')};
  EXPECT_EQ(StringCchCatW(dest, 3, TEXT("d")), STRSAFE_E_INVALID_PARAMETER);
}

TEST(Strings_Length, CountsUpToTheLimit) {
  struct Case {
    const WCHAR* str;
    size_t cch_max;
    HRESULT expected;
    size_t expected_length;
  } const kCases[] = {
      {TEXT("abc"), 10, S_OK, 3},
      {TEXT("abc"), 4, S_OK, 3},  // terminator is the last allowed unit
      {TEXT("abc"), 3, STRSAFE_E_INVALID_PARAMETER, 0},
      {TEXT(""), 1, S_OK, 0},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    size_t length = 12345;
    EXPECT_EQ(StringCchLengthW(c.str, c.cch_max, &length), c.expected) << "row " << i;
    EXPECT_EQ(length, c.expected_length) << "row " << i;
  }
}

TEST(Strings_Printf, FormatsIntegers) {
  struct Case {
    const WCHAR* format;
    int value;
    const WCHAR* expected;
  } const kCases[] = {
      // 0
      {TEXT("%d"), 42, TEXT("42")},
      {TEXT("%d"), -7, TEXT("-7")},
      {TEXT("%d"), -2147483647 - 1, TEXT("-2147483648")},
      {TEXT("CHK%d"), 3, TEXT("CHK3")},
      {TEXT("CHK%d"), 0, TEXT("CHK0")},
      // 5
      {TEXT("%5d|"), 42, TEXT("   42|")},
      {TEXT("%-5d|"), 42, TEXT("42   |")},
      {TEXT("%02X"), 0xA, TEXT("0A")},
      {TEXT("%x"), 255, TEXT("ff")},
      {TEXT("%u%%"), 100, TEXT("100%")},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    WCHAR out[32];
    EXPECT_EQ(StringCchPrintfW(out, 32, c.format, c.value), S_OK) << "row " << i;
    EXPECT_EQ(WString(out), WString(c.expected))
        << "row " << i << ": format \"" << Show(c.format) << "\" got \"" << Show(out)
        << "\" expected \"" << Show(c.expected) << "\"";
  }
}

// %s in the wide functions takes a wide string, as Microsoft's C runtime
// has it (not the C99 meaning of a narrow string).
TEST(Strings_Printf, FormatsWideStrings) {
  struct Case {
    const WCHAR* format;
    const WCHAR* value;
    const WCHAR* expected;
  } const kCases[] = {
      {TEXT("%s"), TEXT("Font"), TEXT("Font")},
      {TEXT("[%s]"), TEXT(""), TEXT("[]")},
      {TEXT("Name=%s"), TEXT("\x5B8B\x4F53"), TEXT("Name=\x5B8B\x4F53")},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    WCHAR out[32];
    EXPECT_EQ(StringCchPrintfW(out, 32, c.format, c.value), S_OK) << "row " << i;
    EXPECT_EQ(WString(out), WString(c.expected))
        << "row " << i << ": got \"" << Show(out) << "\" expected \"" << Show(c.expected) << "\"";
  }
}

TEST(Strings_Printf, TruncatesTerminatesAndReports) {
  struct Case {
    int value;
    size_t cch_dest;
    HRESULT expected;
    const WCHAR* expected_text;
  } const kCases[] = {
      {1234, 10, S_OK, TEXT("CHK1234")},
      {1234, 8, S_OK, TEXT("CHK1234")},  // exactly fitting
      {1234, 7, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("CHK123")},
      {1234, 1, STRSAFE_E_INSUFFICIENT_BUFFER, TEXT("")},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    Destination dest(c.cch_dest);
    EXPECT_EQ(StringCchPrintfW(dest.data(), c.cch_dest, TEXT("CHK%d"), c.value), c.expected)
        << "row " << i;
    EXPECT_EQ(WString(dest.data()), WString(c.expected_text))
        << "row " << i << ": got \"" << Show(dest.data()) << "\"";
    EXPECT_TRUE(dest.GuardIntact()) << "row " << i;
  }
}

TEST(Strings_Compare, IgnoresCaseOfAsciiLetters) {
  struct Case {
    const WCHAR* a;
    const WCHAR* b;
    int expected_sign;
  } const kCases[] = {
      // 0
      {TEXT("option"), TEXT("OPTION"), 0},
      {TEXT("Option"), TEXT("option"), 0},
      {TEXT(""), TEXT(""), 0},
      {TEXT("abc"), TEXT("abd"), -1},
      {TEXT("ABD"), TEXT("abc"), 1},
      // 5
      {TEXT("abc"), TEXT("abcd"), -1},
      {TEXT("abcd"), TEXT("ABC"), 1},
      {TEXT("FontName"), TEXT("fontname"), 0},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    EXPECT_EQ(Sign(_wcsicmp(c.a, c.b)), c.expected_sign)
        << "_wcsicmp row " << i << ": \"" << Show(c.a) << "\" vs \"" << Show(c.b) << "\"";
    EXPECT_EQ(Sign(lstrcmpiW(c.a, c.b)), c.expected_sign)
        << "lstrcmpiW row " << i << ": \"" << Show(c.a) << "\" vs \"" << Show(c.b) << "\"";
  }
}

TEST(Strings_Compare, CountedCompareStopsAtCount) {
  struct Case {
    const WCHAR* a;
    const WCHAR* b;
    size_t count;
    int expected_sign;
  } const kCases[] = {
      {TEXT("Skin1"), TEXT("SKIN2"), 4, 0}, {TEXT("Skin1"), TEXT("SKIN2"), 5, -1},
      {TEXT("ab"), TEXT("AB"), 10, 0},  // both end before the count
      {TEXT("ab"), TEXT("abc"), 3, -1},     {TEXT("x"), TEXT("y"), 0, 0},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    EXPECT_EQ(Sign(_wcsnicmp(c.a, c.b, c.count)), c.expected_sign)
        << "row " << i << ": \"" << Show(c.a) << "\" vs \"" << Show(c.b) << "\" count " << c.count;
  }
}

// lstrcmpiW compares as the user's language does; the C runtime's
// comparisons fold only ASCII letters in the "C" locale every program
// starts in.
TEST(Strings_Compare, OnlyLstrcmpiFoldsLatin1Letters) {
  EXPECT_EQ(lstrcmpiW(TEXT("\x00C4rger"), TEXT("\x00E4RGER")), 0);
  EXPECT_EQ(lstrcmpiW(TEXT("\x00D6"), TEXT("\x00F6")), 0);
  EXPECT_NE(_wcsicmp(TEXT("\x00C4rger"), TEXT("\x00E4RGER")), 0);
  EXPECT_NE(_wcsnicmp(TEXT("\x00D6"), TEXT("\x00F6"), 1), 0);
}

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
      // Out of range: the C runtime clamps to the limits of a 32-bit long.
      {TEXT("2147483648"), 2147483647L},
      {TEXT("99999999999"), 2147483647L},
      {TEXT("-99999999999"), -2147483647L - 1},
  };
  for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); ++i) {
    const Case& c = kCases[i];
    EXPECT_EQ(_wtol(c.text), c.expected) << "row " << i << ": \"" << Show(c.text) << "\"";
  }
}

}  // namespace
