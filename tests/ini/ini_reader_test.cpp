// Reading rules: the line format, values as text and as integers, bounds
// and results, lists of names, the section hint, and the hexadecimal digits
// of byte records.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>

#include "tests/ini/ini_test_util.h"

using ini_test::MemoryIni;
using ini_test::OptionalText;
using ini_test::W;
using test_support::ToUtf8;
using test_support::WString;

namespace {

const char kBody[] =
    "; settings\r\n"
    "[Option]\r\n"
    "  FontSize  =  12  \r\n"
    ";Name=comment\r\n"
    "#Name=comment\r\n"
    "\r\n"
    "  ;Name=not a comment, not a key\r\n"
    "Cut=00000000000000000000000000000001\r\n";  // 31 zeros: the 1 is cut off
const char kShort[] = "[A]\r\nShort=abc\r\n";
const char kList[] =
    "[One]\r\n"
    "  Alpha  = 1\r\n"
    ";Commented=1\r\n"
    "=no key\r\n"
    "   = blank key\r\n"
    "no equals sign\r\n"
    "Beta=2\r\n"
    "[Two] trailing\r\n"
    "[]\r\n"
    "[x\r\n"
    "[Three]\r\n";

// The first `result` units of a destination with each zero shown as "|" (a
// list's names), or, for a result below 1, the text up to its first zero.
std::string Shown(const WString& dest, int result) {
  if (result < 1) return ToUtf8(dest.data());
  std::string shown;
  for (int i = 0; i < result; ++i) shown += dest[i] == 0 ? "|" : ToUtf8(WString(1, dest[i]));
  return shown;
}

// IniGetString and IniGetInt (default 5) on the same names. Without a
// section IniGetString lists the sections, without a key the section's
// keys (each name followed by a zero, and a final zero), while IniGetInt
// gives its default.
TEST(IniReader_Get, ValuesFollowTheLineRules) {
  struct Case {
    const char *text, *section, *key, *default_text;  // text nullptr: nothing open
    int size, result;
    const char* dest;
    int number;
  } const cases[] = {
      // 0: names ignore ASCII case; blanks around key and value are trimmed
      {kBody, "option", "fontsize", nullptr, 64, 2, "12", 12},
      {kBody, "Option", "FontSiz", "none", 64, 4, "none", 5},
      // 2: comment lines, and an indented line that is neither
      {kBody, "Option", "Name", "dflt", 64, 4, "dflt", 5},
      {kBody, "Option", ";Name", "dflt", 64, 24, "not a comment, not a key", 0},
      // 4: one pair of quotes goes, after the empty check
      {"[A]\r\nK=\"  a  b  \"\r\n", "A", "K", nullptr, 64, 8, "  a  b  ", 0},
      {"[A]\r\nK=\"\"\r\n", "A", "K", "x", 64, 0, "", 0},
      {"[A]\r\nK=\"\r\n", "A", "K", nullptr, 64, 1, "\"", 0},
      // 7: a blank value is empty, not the default
      {"[A]\r\nK=   \t \r\n", "A", "K", "d", 64, 0, "", 5},
      // 8: the first duplicate wins; the value runs from the first "="
      {"[A]\r\nK=first\r\nK=second\r\n", "A", "K", nullptr, 64, 5, "first", 0},
      {"[A]\r\nK= 42=b \r\n", "A", "K", nullptr, 64, 4, "42=b", 42},
      {kBody, "Option", "Cut", nullptr, 64, 32, "00000000000000000000000000000001", 0},
      // 11: blanks inside brackets make no header; text after "]" is allowed
      {"[ A ]\r\nK=1\r\n", "A", "K", "d", 64, 1, "d", 5},
      {"[A] ; note\r\nK=-7other\r\n", "A", "K", nullptr, 64, 7, "-7other", -7},
      // 13: a line starting with "[" ends a section; a blank before a header or
      // a longer name makes none
      {"[A]\r\n[other\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d", 5},
      {" [A]\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d", 5},
      {"[AB]\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d", 5},
      // 16: LF-only lines and a last line without LF; CR alone ends no line
      {"[A]\nKey=lf\nLast=9", "A", "Last", nullptr, 64, 1, "9", 9},
      {"[A]\r\nKey=a\rb\r\n", "A", "Key", nullptr, 64, 3, "a\rb", 0},
      {"Key=1\r\n[A]", "A", "Key", "d", 64, 1, "d", 5},
      // 19: cut to size - 1; the default fits or gives -3, cut likewise
      {kShort, "A", "Short", nullptr, 4, 3, "abc", 0},
      {kShort, "A", "Short", nullptr, 3, 2, "ab", 0},
      {kShort, "A", "Short", "dflt", 4, -3, "dfl", 0},
      {kShort, "A", "Short", "dfl", 4, 3, "abc", 0},
      // 23: no file: -1 with the default in place, or untouched without one;
      // no room: -2, untouched
      {nullptr, "A", "Short", "dflt", 3, -1, "df", 5},
      {nullptr, "A", "Short", nullptr, 3, -1, "~", 5},
      {kShort, "A", "Short", "dflt", 0, -2, "~", 0},
      // 26: missing section or key: the default, or ""
      {kShort, "B", "Short", "dflt", 64, 4, "dflt", 5},
      {kShort, "A", "Missing", nullptr, 64, 0, "", 5},
      // 28: lists: "[]" is too short and "[x" has no "]"; keys are trimmed and
      // lines without a key part skipped
      {kList, nullptr, "Alpha", nullptr, 64, 14, "One|Two|Three|", 5},
      {kList, "One", nullptr, nullptr, 64, 11, "Alpha|Beta|", 5},
      {kList, "Three", nullptr, nullptr, 64, 0, "", 5},
      // 31: a name fits with its zero and the final one: "Alpha" needs 7
      // units; the first name that does not fit ends the list
      {kList, "One", nullptr, nullptr, 7, 6, "Alpha|", 5},
      {kList, "One", nullptr, nullptr, 6, 0, "", 5},
      {"[LongName]\r\n[A]\r\n", nullptr, nullptr, nullptr, 8, 0, "", 5},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("row " + std::to_string(i));
    MemoryIni ini(c.text);
    const OptionalText section(c.section), key(c.key), dflt(c.default_text);
    // "~", then a guard past the terminator the reader writes.
    WString dest = TEXT("~") + WString(127, 0x7777);
    dest[1] = 0;
    const int result = ini.IniGetString(section.get(), key.get(), dflt.get(), dest.data(), c.size);
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.dest, Shown(dest, result));
    EXPECT_TRUE(result < 0 || dest[result] == 0) << "no final zero";
    EXPECT_EQ(c.number, ini.IniGetInt(section.get(), key.get(), 5));
  }
}

// Each search starts at the section found last and wraps to the start, so
// the first [A] after [B] is the second one; a search that fails keeps
// where it started.
TEST(IniReader_Hint, FindsSectionsInAnyOrder) {
  MemoryIni ini("[A]\r\nK=a1\r\n[B]\r\nK=b\r\n[A]\r\nK=a2\r\n[C]\r\nK=c\r\n");
  const char* const steps[][2] = {{"C", "c"},  {"A", "a1"},     {"B", "b"},
                                  {"A", "a2"}, {"Missing", ""}, {"A", "a2"}};
  for (const auto& s : steps) {
    WCHAR dest[16];
    ini.IniGetString(W(s[0]).c_str(), TEXT("K"), nullptr, dest, 16);
    EXPECT_EQ(s[1], ToUtf8(dest)) << s[0];
  }
}

// A header line cut by the end of the text is no header, whatever the
// memory past the end holds.
TEST(IniReader_Get, NothingPastTheTextEndIsRead) {
  test_support::Bytes bytes = test_support::Utf16Bytes(W("[AB]"));
  IniFile ini;
  ASSERT_EQ(1,
            ini.IniOpenMemory(bytes.data(), static_cast<DWORD>(bytes.size() - 2), GENERIC_READ, 0));
  WCHAR dest[8];
  EXPECT_EQ(1, ini.IniGetString(TEXT("AB"), nullptr, TEXT("d"), dest, 8))
      << "\"[AB\" taken for a header";
}

TEST(IniReader_Records, ParseHexByteAcceptsBothCases) {
  // The byte, or -1: refused.
  const std::pair<const char*, int> cases[] = {{"09", 0x09}, {"Af", 0xAF}, {"aF", 0xAF},
                                               {"/0", -1},   {"0:", -1},   {"@0", -1},
                                               {"G0", -1},   {"0g", -1}};
  for (const auto& [digits, expected] : cases) {
    BYTE byte = 0;
    EXPECT_EQ(expected, ParseHexByte(W(digits).c_str(), &byte) == 1 ? byte : -1) << digits;
  }
}

}  // namespace
