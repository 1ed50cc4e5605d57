// Reading rules: the line format, values as text and as integers, bounds
// and results, lists of names, the section hint, and the hexadecimal digits
// of byte records.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/ini/ini_test_util.h"

using ini_test::OptionalText;
using ini_test::W;
using ini_test::WriteIni;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

const char kBody[] =
    "; settings\r\n"
    "[Option]\r\n"
    "  FontSize  =  12  \r\n"
    "FontSizeX=3\r\n"
    ";Name=comment\r\n"
    "#Name=comment\r\n"
    "  ;Name=not a comment, not a key\r\n"
    "Quoted=\"  a  b  \"\r\n"
    "TwoQuotes=\"\"\r\n"
    "OneQuote=\"\r\n"
    "Semi=a;b\r\n"
    "Empty=\r\n"
    "Blanks=   \t \r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "Eq= 42=b \r\n"
    "Hex=0x10\r\n"
    "Cut=00000000000000000000000000000001\r\n"  // 31 zeros: the 1 is cut off
    "\r\n"
    "[ option ]\r\n"
    "Hidden=1\r\n"
    "[Other] ; note\r\n"
    "Key=-7other\r\n";
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
std::string Shown(const std::vector<WCHAR>& dest, int result) {
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
    const char* text;  // nullptr: no file open
    const char* section;
    const char* key;
    const char* default_text;
    int size;
    int result;
    const char* dest;
    int number;
  } const cases[] = {
      // 0: names ignore ASCII case; blanks around key and value are trimmed
      {kBody, "option", "fontsize", nullptr, 64, 2, "12", 12},
      {kBody, "Option", "FontSizeX", nullptr, 64, 1, "3", 3},
      {kBody, "Option", "FontSiz", "none", 64, 4, "none", 5},
      // 3: comment lines, and an indented line that is neither
      {kBody, "Option", "Name", "dflt", 64, 4, "dflt", 5},
      {kBody, "Option", ";Name", "dflt", 64, 24, "not a comment, not a key", 0},
      // 5: one pair of quotes goes, after the empty check
      {kBody, "Option", "Quoted", nullptr, 64, 8, "  a  b  ", 0},
      {kBody, "Option", "TwoQuotes", "x", 64, 0, "", 0},
      {kBody, "Option", "OneQuote", nullptr, 64, 1, "\"", 0},
      {kBody, "Option", "Semi", nullptr, 64, 3, "a;b", 0},
      // 9: empty and blank values are empty, not the default
      {kBody, "Option", "Empty", "d", 64, 0, "", 5},
      {kBody, "Option", "Blanks", "d", 64, 0, "", 5},
      // 11: the first duplicate wins; the value runs from the first "="
      {kBody, "Option", "Dup", nullptr, 64, 5, "first", 0},
      {kBody, "Option", "Eq", nullptr, 64, 4, "42=b", 42},
      {kBody, "Option", "Hex", nullptr, 64, 4, "0x10", 0},
      {kBody, "Option", "Cut", nullptr, 64, 32, "00000000000000000000000000000001", 0},
      // 15: blanks inside brackets make no header; text after "]" is allowed
      {kBody, "option", "Hidden", "no", 64, 2, "no", 5},
      {kBody, "Other", "Key", nullptr, 64, 7, "-7other", -7},
      // 17: a line starting with "[" ends a section; a blank before it makes no header
      {"[A]\r\n[other\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d", 5},
      {" [A]\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d", 5},
      {"[AB]\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d", 5},
      // 20: LF-only lines and a last line without LF; CR alone ends no line
      {"[A]\nKey=lf\nLast=9", "A", "Last", nullptr, 64, 1, "9", 9},
      {"[A]\rKey=1\r", "A", "Key", "d", 64, 1, "d", 5},
      {"[A]\r\nKey=a\rb\r\n", "A", "Key", nullptr, 64, 3, "a\rb", 0},
      {"Key=1\r\n[A]", "A", "Key", "d", 64, 1, "d", 5},
      // 24: cut to size - 1; the default fits or gives -3, cut likewise
      {kShort, "A", "Short", nullptr, 4, 3, "abc", 0},
      {kShort, "A", "Short", nullptr, 3, 2, "ab", 0},
      {kShort, "A", "Short", nullptr, 1, 0, "", 0},
      {kShort, "A", "Short", "dflt", 4, -3, "dfl", 0},
      {kShort, "A", "Short", "dfl", 4, 3, "abc", 0},
      // 29: no file: -1 with the default in place; no room: -2, untouched
      {nullptr, "A", "Short", "dflt", 3, -1, "df", 5},
      {kShort, "A", "Short", "dflt", 0, -2, "~", 0},
      // 31: missing section or key: the default, or ""
      {kShort, "B", "Short", "dflt", 64, 4, "dflt", 5},
      {kShort, "A", "Missing", nullptr, 64, 0, "", 5},
      // 33: lists: "[]" is too short and "[x" has no "]"; keys are trimmed and
      // lines without a key part skipped
      {kList, nullptr, "Alpha", nullptr, 64, 14, "One|Two|Three|", 5},
      {kList, "One", nullptr, nullptr, 64, 11, "Alpha|Beta|", 5},
      {kList, "Three", nullptr, nullptr, 64, 0, "", 5},
      // 36: a name fits with its zero and the final one: "Alpha" needs 7
      // units; the first name that does not fit ends the list
      {kList, "One", nullptr, nullptr, 7, 6, "Alpha|", 5},
      {kList, "One", nullptr, nullptr, 6, 0, "", 5},
      {"[LongName]\r\n[A]\r\n", nullptr, nullptr, nullptr, 8, 0, "", 5},
  };
  TempDir dir;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    IniFile ini;
    if (c.text != nullptr) {
      ASSERT_EQ(1, ini.IniOpen(WriteIni(dir, c.text).c_str(), GENERIC_READ, 0)) << "row " << i;
    }
    const OptionalText section(c.section), key(c.key), dflt(c.default_text);
    std::vector<WCHAR> dest(128, 0x7777);  // a guard past the terminator the reader writes
    dest[0] = TEXT('~');
    dest[1] = dest[127] = 0;
    const int result = ini.IniGetString(section.get(), key.get(), dflt.get(), dest.data(), c.size);
    EXPECT_EQ(c.result, result) << "row " << i;
    EXPECT_EQ(c.dest, Shown(dest, result)) << "row " << i;
    EXPECT_TRUE(result < 0 || dest[result] == 0) << "row " << i << ": no final zero";
    EXPECT_EQ(c.number, ini.IniGetInt(section.get(), key.get(), 5)) << "row " << i;
  }
}

TEST(IniReader_Hint, FindsSectionsInAnyOrder) {
  TempDir dir;
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen(WriteIni(dir,
                                    "[A]\r\nK=a1\r\n[B]\r\nK=b\r\n[A]\r\nK=a2\r\n[C]\r\n"
                                    "K=c\r\n")
                               .c_str(),
                           GENERIC_READ, 0));
  struct Step {
    const char* section;
    const char* expected;
    int header_line;  // where the hint ends; -1: where it was
  } const steps[] = {
      {"C", "c", 6},
      // From [C] nothing follows; the second pass from the start finds the first [A].
      {"A", "a1", 0},
      {"B", "b", 2},
      // From [B] on, the first [A] is the second one.
      {"A", "a2", 4},
      {"B", "b", 2},
      {"Missing", "", -1},
  };
  for (const Step& s : steps) {
    const WCHAR* before = ini.SectionHint();
    WCHAR dest[16];
    ini.IniGetString(W(s.section).c_str(), TEXT("K"), nullptr, dest, 16);
    EXPECT_EQ(s.expected, ToUtf8(dest)) << s.section;
    const WCHAR* line = s.header_line < 0 ? before : ini.TextStart();
    for (int n = 0; n < s.header_line; ++n) line = wcschr(line, TEXT('\n')) + 1;
    EXPECT_EQ(line, ini.SectionHint()) << s.section;
  }
}

TEST(IniReader_Records, ParseHexByteAcceptsBothCases) {
  const struct {
    const char* digits;
    int byte;  // -1: refused
  } cases[] = {{"00", 0x00}, {"Ff", 0xFF}, {"0a", 0x0A}, {"9F", 0x9F},
               {"G0", -1},   {"0g", -1},   {" 1", -1},   {"/:", -1}};
  for (const auto& c : cases) {
    BYTE byte = 0;
    const int result = ParseHexByte(W(c.digits).c_str(), &byte);
    EXPECT_EQ(c.byte < 0 ? 0 : 1, result) << c.digits;
    EXPECT_TRUE(result == 0 || byte == c.byte) << c.digits;
  }
}

}  // namespace
