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
using test_support::WString;

namespace {

// One edit: section, key (nullptr: none), value (nullptr: none), result.
struct Edit {
  const char* section;
  const char* key;
  const char* value;
  int result;
};

struct EditCase {
  const char* name;
  std::vector<Edit> edits;
  const char* text;  // the text after the edits
};

TEST(IniWriter_Edits, ProduceExactText) {
  const EditCase cases[] = {
      {"new section and key", {{"option", "option", "V", 1}}, "[option]\r\noption=V\r\n"},
      {"second section after the first",
       {{"A", "k", "1", 1}, {"B", "k", "2", 1}},
       "[A]\r\nk=1\r\n[B]\r\nk=2\r\n"},
      {"new key after the last entry of its section",
       {{"A", "k", "1", 1}, {"B", "k", "2", 1}, {"a", "n", "3", 1}},
       "[A]\r\nk=1\r\nn=3\r\n[B]\r\nk=2\r\n"},
      {"shorter value moves the rest back",
       {{"A", "k", "long value", 1}, {"A", "z", "9", 1}, {"A", "K", "s", 1}},
       "[A]\r\nK=s\r\nz=9\r\n"},
      {"longer value moves the rest forward",
       {{"A", "k", "s", 1}, {"A", "z", "9", 1}, {"A", "k", "long value", 1}},
       "[A]\r\nk=long value\r\nz=9\r\n"},
      {"blanks at either end are quoted",
       {{"A", "l", "  x", 1}, {"A", "t", "x\t", 1}, {"A", "m", "a b", 1}},
       "[A]\r\nl=\"  x\"\r\nt=\"x\t\"\r\nm=a b\r\n"},
      {"empty value", {{"A", "k", "", 1}}, "[A]\r\nk=\r\n"},
      {"delete a key",
       {{"A", "k", "1", 1}, {"A", "z", "2", 1}, {"A", "k", nullptr, 1}},
       "[A]\r\nz=2\r\n"},
      {"delete a missing key changes nothing",
       {{"A", "k", "1", 1}, {"A", "x", nullptr, 1}},
       "[A]\r\nk=1\r\n"},
      {"delete a key of a missing section adds its header", {{"A", "x", nullptr, 1}}, "[A]\r\n"},
      {"delete a section up to the next header",
       {{"A", "k", "1", 1}, {"B", "k", "2", 1}, {"C", "k", "3", 1}, {"B", nullptr, nullptr, 1}},
       "[A]\r\nk=1\r\n[C]\r\nk=3\r\n"},
      {"delete the last section",
       {{"A", "k", "1", 1}, {"B", "k", "2", 1}, {"B", "", nullptr, 1}},
       "[A]\r\nk=1\r\n"},
      {"delete a missing section",
       {{"A", "k", "1", 1}, {"B", nullptr, nullptr, 1}},
       "[A]\r\nk=1\r\n"},
      {"empty section name fails", {{"", "k", "1", 0}}, ""},
      // A value holding line breaks brings a blank and a comment line into
      // the section: a new key still lands right after the last entry.
      {"trailing blank and comment lines stay behind",
       {{"A", "k", "1\r\n\r\n;c", 1}, {"B", "k", "2", 1}, {"A", "n", "3", 1}},
       "[A]\r\nk=1\r\nn=3\r\n\r\n;c\r\n[B]\r\nk=2\r\n"},
      {"key case and blanks are not kept on replace",
       {{"A", "Key", "1", 1}, {"A", "KEY", "2", 1}},
       "[A]\r\nKEY=2\r\n"},
  };
  TempDir dir;
  for (const EditCase& c : cases) {
    IniFile ini;
    ASSERT_EQ(1, ini.IniOpen((dir / TEXT("w.ini")).c_str(), GENERIC_WRITE, kIniWriteRoom));
    for (size_t i = 0; i < c.edits.size(); ++i) {
      const Edit& e = c.edits[i];
      const OptionalText key(e.key);
      const OptionalText value(e.value);
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
  ASSERT_EQ(32u, ini.UsedLength());
  // Exactly fitting: growing "a=1" to "a=12345" takes the last 8 bytes.
  EXPECT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("12345")));
  EXPECT_EQ(40u, ini.UsedLength());
  const std::string full = Text(ini);
  // One character more does not fit, and neither does a new key.
  EXPECT_EQ(0, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("123456")));
  EXPECT_EQ(0, ini.IniSetString(TEXT("option"), TEXT("b"), TEXT("1")));
  EXPECT_EQ(0, ini.IniSetRecord(TEXT("option"), TEXT("r"), reinterpret_cast<const BYTE*>("x"), 1));
  EXPECT_EQ(full, Text(ini));
  EXPECT_EQ(40u, ini.UsedLength());
  // Shrinking always fits; then a new section fits but its key does not:
  // the header stays, as the call had already added it.
  EXPECT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), nullptr));
  EXPECT_EQ(22u, ini.UsedLength());
  EXPECT_EQ(0, ini.IniSetString(TEXT("B"), TEXT("long"), TEXT("value")));
  EXPECT_EQ("[option]\r\n[B]\r\n", Text(ini));
}

TEST(IniWriter_Access, ReadersAndClosedFilesAreNotWritten) {
  TempDir dir;
  const WString path = ini_test::WriteIni(dir, "[A]\r\nk=1\r\n");
  IniFile ini;
  EXPECT_EQ(0, ini.IniSetString(TEXT("A"), TEXT("k"), TEXT("2")));
  EXPECT_EQ(0, ini.IniSetRecord(TEXT("A"), TEXT("k"), reinterpret_cast<const BYTE*>("x"), 1));
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(0, ini.IniSetString(TEXT("A"), TEXT("k"), TEXT("2")));
  EXPECT_EQ(0, ini.IniSetRecord(TEXT("A"), TEXT("k"), reinterpret_cast<const BYTE*>("x"), 1));
  EXPECT_EQ(1, ini.IniGetInt(TEXT("A"), TEXT("k"), 0));
}

TEST(IniWriter_Records, EncodeWithChecksum) {
  struct Case {
    std::vector<BYTE> bytes;
    const char* value;
  } cases[] = {
      {{0x01, 0x02, 0xFF}, "0102FF02"},
      {{}, "00"},
      {{0x00, 0x00, 0x30, 0x00}, "0000300030"},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x00, 0x00, 0x00}, "FFFFFFFF100000000C"},
      {{0xAB}, "ABAB"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    IniFile ini;
    ASSERT_EQ(1, ini.IniOpen((dir / TEXT("r.ini")).c_str(), GENERIC_WRITE, kIniWriteRoom));
    // An empty record still needs bytes: no bytes at all means "delete".
    const BYTE none = 0;
    ASSERT_EQ(1,
              ini.IniSetRecord(TEXT("option"), TEXT("R"), c.bytes.empty() ? &none : c.bytes.data(),
                               static_cast<DWORD>(c.bytes.size())));
    EXPECT_EQ(std::string("[option]\r\nR=") + c.value + "\r\n", Text(ini)) << c.value;
    // No bytes deletes the key.
    ASSERT_EQ(1, ini.IniSetRecord(TEXT("option"), TEXT("R"), nullptr, 0));
    EXPECT_EQ("[option]\r\n", Text(ini)) << c.value;
  }
}

}  // namespace
