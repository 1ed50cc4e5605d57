// Writer edits: the lines produced, room, access and byte records. That
// everything written reads back is the writer fuzz target's check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ini/ini_test_util.h"

using ini_test::OptionalText;
using ini_test::Text;
using ini_test::W;
using test_support::TempDir;

namespace {

// One edit: section, key and value (nullptr: none), and the result.
struct Edit {
  const char* section;
  const char* key;
  const char* value;
  int result;
};

TEST(IniWriter_Edits, ProduceExactText) {
  const struct {
    const char* name;
    std::vector<Edit> edits;
    const char* text;  // after the edits
  } cases[] = {
      {"new sections; a new key after the last entry of its section",
       {{"A", "k", "1", 1}, {"B", "k", "2", 1}, {"a", "n", "3", 1}},
       "[A]\r\nk=1\r\nn=3\r\n[B]\r\nk=2\r\n"},
      {"a shorter value moves the rest back; the key takes the new spelling",
       {{"A", "k", "long value", 1}, {"A", "z", "9", 1}, {"A", "K", "s", 1}},
       "[A]\r\nK=s\r\nz=9\r\n"},
      {"a longer value moves the rest forward",
       {{"A", "k", "s", 1}, {"A", "z", "9", 1}, {"A", "k", "long value", 1}},
       "[A]\r\nk=long value\r\nz=9\r\n"},
      {"blanks at either end are quoted; an empty value is kept",
       {{"A", "l", "  x", 1}, {"A", "t", "x\t", 1}, {"A", "m", "a b", 1}, {"A", "e", "", 1}},
       "[A]\r\nl=\"  x\"\r\nt=\"x\t\"\r\nm=a b\r\ne=\r\n"},
      {"delete a key, and a missing one",
       {{"A", "k", "1", 1}, {"A", "z", "2", 1}, {"A", "k", nullptr, 1}, {"A", "x", nullptr, 1}},
       "[A]\r\nz=2\r\n"},
      {"delete a key of a missing section: its header is added",
       {{"A", "x", nullptr, 1}},
       "[A]\r\n"},
      {"delete a section up to the next header, and a missing one",
       {{"A", "k", "1", 1},
        {"B", "k", "2", 1},
        {"C", "k", "3", 1},
        {"B", nullptr, nullptr, 1},
        {"D", nullptr, nullptr, 1}},
       "[A]\r\nk=1\r\n[C]\r\nk=3\r\n"},
      {"delete the last section with an empty key",
       {{"A", "k", "1", 1}, {"B", "k", "2", 1}, {"B", "", nullptr, 1}},
       "[A]\r\nk=1\r\n"},
      {"an empty section name fails", {{"", "k", "1", 0}}, ""},
      // A value holding line breaks brings a blank and a comment line into
      // the section: a new key still lands right after the last entry.
      {"trailing blank and comment lines stay behind",
       {{"A", "k", "1\r\n\r\n;c", 1}, {"B", "k", "2", 1}, {"A", "n", "3", 1}},
       "[A]\r\nk=1\r\nn=3\r\n\r\n;c\r\n[B]\r\nk=2\r\n"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    IniFile ini;
    ASSERT_EQ(1, ini.IniOpen((dir / TEXT("w.ini")).c_str(), GENERIC_WRITE, kIniWriteRoom));
    for (size_t i = 0; i < c.edits.size(); ++i) {
      const Edit& e = c.edits[i];
      const OptionalText key(e.key), value(e.value);
      EXPECT_EQ(e.result, ini.IniSetString(W(e.section).c_str(), key.get(), value.get()))
          << c.name << ", edit " << i;
      EXPECT_EQ(ini.TextStart(), ini.SectionHint()) << c.name << ": hint after a write";
    }
    EXPECT_EQ(c.text, Text(ini)) << c.name;
    EXPECT_EQ(2u + 2u * static_cast<DWORD>(ini.TextEnd() - ini.TextStart()), ini.UsedLength())
        << c.name;
  }
}

TEST(IniWriter_Room, AnEditThatDoesNotFitChangesNothing) {
  TempDir dir;
  IniFile ini;
  // 2 (mark) + 20 ("[option]" CR LF) + 10 ("a=1" CR LF) = 32 bytes used.
  ASSERT_EQ(1, ini.IniOpen((dir / TEXT("small.ini")).c_str(), GENERIC_WRITE, 40));
  ASSERT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("1")));
  // Exactly fitting: growing "a=1" to "a=12345" takes the last 8 bytes.
  EXPECT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("12345")));
  EXPECT_EQ(40u, ini.UsedLength());
  // One character more does not fit, and neither does a new key.
  EXPECT_EQ(0, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("123456")));
  EXPECT_EQ(0, ini.IniSetString(TEXT("option"), TEXT("b"), TEXT("1")));
  EXPECT_EQ(0, ini.IniSetRecord(TEXT("option"), TEXT("r"), reinterpret_cast<const BYTE*>("x"), 1));
  EXPECT_EQ("[option]\r\na=12345\r\n", Text(ini));
  EXPECT_EQ(40u, ini.UsedLength());
  // Shrinking always fits; then a new section fits but its key does not:
  // the header stays, as the call had already added it.
  EXPECT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), nullptr));
  EXPECT_EQ(0, ini.IniSetString(TEXT("B"), TEXT("long"), TEXT("value")));
  EXPECT_EQ("[option]\r\n[B]\r\n", Text(ini));
}

TEST(IniWriter_Access, ReadersAndClosedFilesAreNotWritten) {
  TempDir dir;
  IniFile ini;
  EXPECT_EQ(0, ini.IniSetString(TEXT("A"), TEXT("k"), TEXT("2"))) << "closed";
  ASSERT_EQ(1, ini.IniOpen(ini_test::WriteIni(dir, "[A]\r\nk=1\r\n").c_str(), GENERIC_READ, 0));
  EXPECT_EQ(0, ini.IniSetString(TEXT("A"), TEXT("k"), TEXT("2"))) << "open for reading";
  EXPECT_EQ(0, ini.IniSetRecord(TEXT("A"), TEXT("k"), reinterpret_cast<const BYTE*>("x"), 1));
  EXPECT_EQ(1, ini.IniGetInt(TEXT("A"), TEXT("k"), 0));
}

TEST(IniWriter_Records, EncodeWithChecksum) {
  const struct {
    std::vector<BYTE> bytes;
    const char* value;
  } cases[] = {
      {{0x01, 0x02, 0xFF}, "0102FF02"},
      {{}, "00"},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x00, 0x00, 0x00}, "FFFFFFFF100000000C"},
      {{0xAB}, "ABAB"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    IniFile ini;
    ASSERT_EQ(1, ini.IniOpen((dir / TEXT("r.ini")).c_str(), GENERIC_WRITE, kIniWriteRoom));
    // An empty record still needs bytes: no bytes at all means "delete".
    const BYTE none = 0;
    ASSERT_EQ(1,
              ini.IniSetRecord(TEXT("option"), TEXT("R"), c.bytes.empty() ? &none : c.bytes.data(),
                               static_cast<DWORD>(c.bytes.size())));
    EXPECT_EQ(std::string("[option]\r\nR=") + c.value + "\r\n", Text(ini)) << c.value;
    ASSERT_EQ(1, ini.IniSetRecord(TEXT("option"), TEXT("R"), nullptr, 0));
    EXPECT_EQ("[option]\r\n", Text(ini)) << c.value;
  }
}

}  // namespace
