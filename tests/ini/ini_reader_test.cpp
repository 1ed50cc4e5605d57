// Reading rules: format, hint, values, integers, lists, bounds and results.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ini/ini_test_util.h"

using ini_test::OptionalText;
using ini_test::W;
using ini_test::WriteIni;
using test_support::TempDir;
using test_support::ToUtf8;
using test_support::WString;

namespace {

struct GetCase {
  const char* text;
  const char* section;
  const char* key;
  const char* default_text;  // nullptr: none
  int size;
  int result;
  const char* dest;
};

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
    "Eq= a=b \r\n"
    "\r\n"
    "[ option ]\r\n"
    "Hidden=1\r\n"
    "[Other] ; note\r\n"
    "Key=other\r\n";

TEST(IniReader_Format, ValuesFollowTheLineRules) {
  const GetCase cases[] = {
      // 0: case-insensitive section and key, blanks trimmed
      {kBody, "option", "fontsize", nullptr, 64, 2, "12"},
      {kBody, "OPTION", "FONTSIZE", "d", 64, 2, "12"},
      // 2: a longer key never matches a shorter name, nor the reverse
      {kBody, "Option", "FontSizeX", nullptr, 64, 1, "3"},
      {kBody, "Option", "FontSiz", "none", 64, 4, "none"},
      // 4: comments and indented comment-like lines
      {kBody, "Option", "Name", "dflt", 64, 4, "dflt"},
      {kBody, "Option", ";Name", "dflt", 64, 24, "not a comment, not a key"},
      // 6: quotes
      {kBody, "Option", "Quoted", nullptr, 64, 8, "  a  b  "},
      {kBody, "Option", "TwoQuotes", "x", 64, 0, ""},
      {kBody, "Option", "OneQuote", nullptr, 64, 1, "\""},
      // 9: a ";" inside a value belongs to it
      {kBody, "Option", "Semi", nullptr, 64, 3, "a;b"},
      // 10: empty and blank values give 0 characters, not the default
      {kBody, "Option", "Empty", "d", 64, 0, ""},
      {kBody, "Option", "Blanks", "d", 64, 0, ""},
      // 12: the first duplicate wins; the value runs from the first "="
      {kBody, "Option", "Dup", nullptr, 64, 5, "first"},
      {kBody, "Option", "Eq", nullptr, 64, 3, "a=b"},
      // 14: blanks inside brackets make no header; text after "]" is allowed
      {kBody, "option", "Hidden", "no", 64, 2, "no"},
      {kBody, "Other", "Key", nullptr, 64, 5, "other"},
      // 16: a line starting with "[" ends the section even if malformed
      {"[A]\r\n[other\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d"},
      // 17: a leading blank before "[" makes no header
      {" [A]\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d"},
      // 18: LF-only line ends, and a last line without LF
      {"[A]\nKey=lf\nLast=end", "A", "Last", nullptr, 64, 3, "end"},
      // 19: CR-only line ends make one line: the header matches, no key after it
      {"[A]\rKey=1\r", "A", "Key", "d", 64, 1, "d"},
      // 20: a header that ends the text has an empty body
      {"Key=1\r\n[A]", "A", "Key", "d", 64, 1, "d"},
      // 21: a CR not before LF is part of the value
      {"[A]\r\nKey=a\rb\r\n", "A", "Key", nullptr, 64, 3, "a\rb"},
      // 22: "]" must directly follow the name
      {"[AB]\r\nKey=1\r\n", "A", "Key", "d", 64, 1, "d"},
      // 23: non-ASCII values come through unchanged
      {"[A]\r\nFont=宋体\r\n", "A", "Font", nullptr, 64, 2, "宋体"},
  };
  TempDir dir;
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const GetCase& c = cases[i];
    IniFile ini;
    ASSERT_EQ(1, ini.IniOpen(WriteIni(dir, c.text).c_str(), GENERIC_READ, 0)) << "row " << i;
    const OptionalText dflt(c.default_text);
    std::vector<WCHAR> dest(static_cast<size_t>(c.size) + 1, 0x7777);
    const int result =
        ini.IniGetString(W(c.section).c_str(), W(c.key).c_str(), dflt.get(), dest.data(), c.size);
    EXPECT_EQ(c.result, result) << "row " << i << " [" << c.section << "] " << c.key;
    EXPECT_EQ(std::string(c.dest), ToUtf8(WString(dest.data()))) << "row " << i;
  }
}

TEST(IniReader_Integers, ConvertLikeWtolOrGiveTheDefault) {
  struct Case {
    std::string value_line;
    int expected;  // the default is 5
  } cases[] = {
      {"Size=12", 12},
      {"  Size  =  12  ", 12},
      {"Size=12abc", 12},
      {"Size=0x10", 0},
      {"Size=-7", -7},
      {"Size=+8", 8},
      {"Size=", 5},
      {"Size=   ", 5},
      {"Size=abc", 0},
      {"Size=\"42\"", 42},
      {"Other=1", 5},
      // 11: quotes are dropped after the empty check: "" converts, to 0
      {"Size=\"\"", 0},
      // 12: the value is cut to 31 characters before conversion
      {"Size=" + std::string(31, '0') + "1", 0},
      {"Size=" + std::string(30, '0') + "1", 1},
  };
  TempDir dir;
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    IniFile ini;
    const std::string text = "[A]\r\n" + cases[i].value_line + "\r\n";
    ASSERT_EQ(1, ini.IniOpen(WriteIni(dir, text).c_str(), GENERIC_READ, 0));
    EXPECT_EQ(cases[i].expected, ini.IniGetInt(TEXT("A"), TEXT("Size"), 5))
        << "row " << i << ": " << cases[i].value_line;
    if (i == 0) {
      EXPECT_EQ(9, ini.IniGetInt(nullptr, TEXT("Size"), 9));
      EXPECT_EQ(9, ini.IniGetInt(TEXT("A"), nullptr, 9));
      EXPECT_EQ(9, ini.IniGetInt(TEXT("B"), TEXT("Size"), 9));
      ini.IniClose();
      EXPECT_EQ(9, ini.IniGetInt(TEXT("A"), TEXT("Size"), 9)) << "nothing open";
    }
  }
}

TEST(IniReader_Bounds, ResultsAndDestination) {
  TempDir dir;
  const std::string hundred(100, 'v');
  const WString path = WriteIni(dir, "[A]\r\nLong=" + hundred + "\r\nShort=abc\r\n");
  struct Case {
    bool open;
    const char* section;
    const char* key;
    const char* default_text;
    bool with_dest;
    int size;
    int result;
    const char* dest;
  } cases[] = {
      // 0: a value is cut to size - 1 characters
      {true, "A", "Long", nullptr, true, 64, 63, nullptr},
      {true, "A", "Short", nullptr, true, 4, 3, "abc"},  // exactly fitting
      {true, "A", "Short", nullptr, true, 3, 2, "ab"},   // one too small
      {true, "A", "Short", nullptr, true, 1, 0, ""},
      // 4: no file open: -1 with the default in place, cut to the size
      {false, "A", "Short", "dflt", true, 64, -1, "dflt"},
      {false, "A", "Short", "dflt", true, 3, -1, "df"},
      // 6: bad destination
      {true, "A", "Short", "dflt", true, 0, -2, "~"},
      {true, "A", "Short", nullptr, false, 64, -2, nullptr},
      // 8: a default that does not fit: -3, destination holds it cut
      {true, "A", "Short", "dflt", true, 4, -3, "dfl"},
      {true, "A", "Short", "dfl", true, 4, 3, "abc"},
      // 10: missing section or key: the default, or "" without one
      {true, "B", "Short", "dflt", true, 64, 4, "dflt"},
      {true, "A", "Missing", nullptr, true, 64, 0, ""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const auto& c = cases[i];
    IniFile ini;
    if (c.open) {
      ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_READ, 0));
    }
    const OptionalText dflt(c.default_text);
    WCHAR dest[128];
    dest[0] = TEXT('~');
    dest[1] = 0;
    const int result = ini.IniGetString(W(c.section).c_str(), W(c.key).c_str(), dflt.get(),
                                        c.with_dest ? dest : nullptr, c.size);
    EXPECT_EQ(c.result, result) << "row " << i;
    if (c.dest != nullptr) {
      EXPECT_EQ(std::string(c.dest), ToUtf8(dest)) << "row " << i;
    } else if (c.with_dest) {
      EXPECT_EQ(hundred.substr(0, 63), ToUtf8(dest)) << "row " << i;
    }
  }
}

TEST(IniReader_Hint, FindsSectionsInAnyOrder) {
  TempDir dir;
  const WString path = WriteIni(dir,
                                "[A]\r\nK=a1\r\n"
                                "[B]\r\nK=b\r\n"
                                "[A]\r\nK=a2\r\n"
                                "[C]\r\nK=c\r\n");
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(ini.TextStart(), ini.SectionHint());
  struct Step {
    const char* section;
    const char* expected;
    int header_line;  // which line the hint ends on
  } steps[] = {
      {"C", "c", 6},
      // Searching from the hint first finds nothing after [C]; the second
      // pass from the start finds the first [A].
      {"A", "a1", 0},
      {"B", "b", 2},
      // From [B] on, the first [A] at or after the hint is the second one.
      {"A", "a2", 4},
      {"B", "b", 2},
  };
  for (const Step& s : steps) {
    WCHAR dest[16];
    ini.IniGetString(W(s.section).c_str(), TEXT("K"), nullptr, dest, 16);
    EXPECT_EQ(std::string(s.expected), ToUtf8(dest)) << "section " << s.section;
    const WCHAR* line = ini.TextStart();
    for (int n = 0; n < s.header_line; ++n) line = wcschr(line, TEXT('\n')) + 1;
    EXPECT_EQ(line, ini.SectionHint()) << "section " << s.section;
  }
  // A failed search leaves the hint where it was.
  const WCHAR* before = ini.SectionHint();
  WCHAR dest[16];
  ini.IniGetString(TEXT("Missing"), TEXT("K"), nullptr, dest, 16);
  EXPECT_EQ(before, ini.SectionHint());
}

struct ListCase {
  const char* text;
  const char* section;  // nullptr: list sections
  int size;
  int result;
  std::vector<std::string> names;
};

TEST(IniReader_Lists, NamesFitOrEndTheList) {
  const char kText[] =
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
  const ListCase cases[] = {
      // 0: sections; "[]" is too short and "[x" has no "]"
      {kText, nullptr, 64, 14, {"One", "Two", "Three"}},
      // 1: keys trimmed; lines without a key part are skipped
      {kText, "One", 64, 11, {"Alpha", "Beta"}},
      // 2: "Alpha" needs 0 + 5 + 2 = 7 units
      {kText, "One", 7, 6, {"Alpha"}},
      {kText, "One", 6, 0, {}},
      // 4: the first name that does not fit ends the list
      {"[LongName]\r\n[A]\r\n", nullptr, 8, 0, {}},
      {kText, "Three", 64, 0, {}},
      {kText, "Missing", 64, 0, {}},
  };
  TempDir dir;
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const ListCase& c = cases[i];
    IniFile ini;
    ASSERT_EQ(1, ini.IniOpen(WriteIni(dir, c.text).c_str(), GENERIC_READ, 0));
    std::vector<WCHAR> dest(static_cast<size_t>(c.size) + 1, 0x7777);
    const WString section = c.section ? W(c.section) : WString();
    const int result = ini.IniGetString(c.section ? section.c_str() : nullptr, nullptr, nullptr,
                                        dest.data(), c.size);
    EXPECT_EQ(c.result, result) << "row " << i;
    std::vector<std::string> names;
    for (int p = 0; p < result; p += static_cast<int>(wcslen(dest.data() + p)) + 1) {
      names.push_back(ToUtf8(dest.data() + p));
    }
    EXPECT_EQ(c.names, names) << "row " << i;
    EXPECT_EQ(0, dest[static_cast<size_t>(result)]) << "row " << i << ": final zero";
  }
}

TEST(IniReader_Records, ParseHexByteAcceptsBothCases) {
  struct Case {
    const char* digits;
    int result;
    int byte;
  } cases[] = {
      {"00", 1, 0x00}, {"FF", 1, 0xFF}, {"ff", 1, 0xFF}, {"0a", 1, 0x0A}, {"A0", 1, 0xA0},
      {"9f", 1, 0x9F}, {"G0", 0, -1},   {"0g", 0, -1},   {" 1", 0, -1},   {"-1", 0, -1},
  };
  for (const Case& c : cases) {
    const WString digits = W(c.digits);
    BYTE byte = 0;
    EXPECT_EQ(c.result, ParseHexByte(digits.c_str(), &byte)) << c.digits;
    if (c.result == 1) {
      EXPECT_EQ(c.byte, byte) << c.digits;
    }
  }
}

}  // namespace
