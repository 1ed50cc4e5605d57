// Writer edits: the lines produced, room, access and byte records. That
// everything written reads back is the writer fuzz target's check.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/ini/ini_test_util.h"

using ini_test::MemoryIni;
using ini_test::OptionalText;
using ini_test::Text;
using ini_test::W;

namespace {

TEST(IniWriter_Edits, ProduceExactText) {
  struct Edit {
    const char *section, *key, *value;  // key and value nullptr: none
  };
  const struct {
    std::vector<Edit> edits;
    const char* text;  // after the edits
  } cases[] = {
      // 0: new sections; a new key after the last entry of its section
      {{{"A", "k", "1"}, {"B", "k", "2"}, {"a", "n", "3"}}, "[A]\r\nk=1\r\nn=3\r\n[B]\r\nk=2\r\n"},
      // 1: a shorter value moves the rest back; the key takes the new spelling
      {{{"A", "k", "long value"}, {"A", "z", "9"}, {"A", "K", "s"}}, "[A]\r\nK=s\r\nz=9\r\n"},
      // 2: a longer value moves the rest forward
      {{{"A", "k", "s"}, {"A", "z", "9"}, {"A", "k", "long value"}},
       "[A]\r\nk=long value\r\nz=9\r\n"},
      // 3: blanks at either end are quoted, a lone one too; an empty value is kept
      {{{"A", "l", "  x"}, {"A", "t", "x\t"}, {"A", "s", " "}, {"A", "m", "a b"}, {"A", "e", ""}},
       "[A]\r\nl=\"  x\"\r\nt=\"x\t\"\r\ns=\" \"\r\nm=a b\r\ne=\r\n"},
      // 4: delete a key, and a missing one
      {{{"A", "k", "1"}, {"A", "z", "2"}, {"A", "k", nullptr}, {"A", "x", nullptr}},
       "[A]\r\nz=2\r\n"},
      // 5: deleting a key of a missing section adds its header; deleting a
      // missing section does nothing
      {{{"A", "x", nullptr}, {"D", nullptr, nullptr}}, "[A]\r\n"},
      // 6: an empty key deletes a section up to the next header; the last
      // section goes up to the end
      {{{"A", "k", "1"}, {"B", "k", "2"}, {"A", "", nullptr}}, "[B]\r\nk=2\r\n"},
      {{{"A", "k", "1"}, {"B", "k", "2"}, {"B", nullptr, nullptr}}, "[A]\r\nk=1\r\n"},
      // 8: a value holding line breaks brings a blank and a comment line into
      // the section: a new key still lands right after the last entry
      {{{"A", "k", "1\r\n\r\n;c"}, {"B", "k", "2"}, {"A", "n", "3"}},
       "[A]\r\nk=1\r\nn=3\r\n\r\n;c\r\n[B]\r\nk=2\r\n"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    MemoryIni ini(256u);
    for (const Edit& e : cases[i].edits) {
      const OptionalText key(e.key), value(e.value);
      EXPECT_EQ(1, ini.IniSetString(W(e.section).c_str(), key.get(), value.get()));
    }
    EXPECT_EQ(cases[i].text, Text(ini));
    EXPECT_EQ(2u + 2u * static_cast<DWORD>(ini.TextEnd() - ini.TextStart()), ini.UsedLength());
  }
}

TEST(IniWriter_Room, AnEditThatDoesNotFitChangesNothing) {
  // 2 (mark) + 20 ("[option]" CR LF) + 10 ("a=1" CR LF) = 32 bytes used.
  MemoryIni ini(40u);
  ASSERT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("1")));
  // Exactly fitting: growing "a=1" to "a=12345" takes the last 8 bytes. One
  // character more does not fit, and neither does a new key or section.
  EXPECT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("12345")));
  EXPECT_EQ(0, ini.IniSetString(TEXT("option"), TEXT("a"), TEXT("123456")));
  EXPECT_EQ(0, ini.IniSetString(TEXT("option"), TEXT("b"), TEXT("1")));
  EXPECT_EQ(0, ini.IniSetString(TEXT("C"), TEXT("c"), TEXT("1")));
  EXPECT_EQ(0, ini.IniSetString(TEXT(""), TEXT("c"), TEXT("1"))) << "a section needs a name";
  EXPECT_EQ("[option]\r\na=12345\r\n", Text(ini));
  EXPECT_EQ(40u, ini.UsedLength());
  // Shrinking always fits; then a new section fits but its key does not:
  // the header stays, as the call had already added it.
  EXPECT_EQ(1, ini.IniSetString(TEXT("option"), TEXT("a"), nullptr));
  EXPECT_EQ(0, ini.IniSetString(TEXT("B"), TEXT("long"), TEXT("value")));
  EXPECT_EQ("[option]\r\n[B]\r\n", Text(ini));
  EXPECT_NE(0, ini.IniClose());  // memory is the caller's: nothing to flush or unmap
}

// A reader's capacity is 0, yet a value of the same length would fit.
TEST(IniWriter_Access, ReadersAreNotWritten) {
  MemoryIni reader("[A]\r\nk=1\r\n");
  EXPECT_EQ(0, reader.IniSetString(TEXT("A"), TEXT("k"), TEXT("2")));
  EXPECT_EQ(0, reader.IniSetRecord(TEXT("A"), TEXT("k"), reinterpret_cast<const BYTE*>("2"), 1));
  EXPECT_EQ(1, reader.IniGetInt(TEXT("A"), TEXT("k"), 0));
}

TEST(IniWriter_Records, EncodeWithChecksum) {
  MemoryIni ini(256u);
  const BYTE bytes[] = {0x01, 0x02, 0xFF};
  ASSERT_EQ(1, ini.IniSetRecord(TEXT("option"), TEXT("R"), bytes, 3));
  // An empty record still needs bytes: no bytes at all means "delete".
  ASSERT_EQ(1, ini.IniSetRecord(TEXT("option"), TEXT("E"), bytes, 0));
  EXPECT_EQ("[option]\r\nR=0102FF02\r\nE=00\r\n", Text(ini));
  ASSERT_EQ(1, ini.IniSetRecord(TEXT("option"), TEXT("R"), nullptr, 0));
  EXPECT_EQ("[option]\r\nE=00\r\n", Text(ini));
  EXPECT_EQ(0, ini.IniSetRecord(TEXT(""), TEXT("R"), bytes, 3));
}

}  // namespace
