// Opening and closing: text range, byte-order mark, truncation at close,
// sharing, and the failure paths.
#include <gtest/gtest.h>

#include <set>

#include "platform/fault.h"
#include "tests/fault_loop.h"
#include "tests/ini/ini_test_util.h"

using ini_test::Text;
using ini_test::WriteIni;
using test_support::Bytes;
using test_support::ReadFileBytes;
using test_support::TempDir;
using test_support::WriteFileBytes;
using test_support::WString;

namespace {

struct OpenCase {
  const char* name;
  Bytes bytes;
  int result;
  DWORD used_length;
  const char* text;  // the text range, as UTF-8
};

TEST(IniOpen_Reading, TextRangeAndByteOrderMark) {
  const OpenCase cases[] = {
      {"empty file: empty text, no mark added", {}, 1, 0, ""},
      {"odd size", {0x41, 0x00, 0x42}, 0, 0, ""},
      {"mark only", {0xFF, 0xFE}, 1, 2, ""},
      {"mark counted in used length", {0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}, 1, 6, "AB"},
      {"no mark: read from the first byte", {0x41, 0x00, 0x42, 0x00}, 1, 4, "AB"},
      {"a zero unit ends the text", {0xFF, 0xFE, 0x41, 0x00, 0x00, 0x00, 0x42, 0x00}, 1, 4, "A"},
      {"zero as the first unit", {0x00, 0x00, 0x41, 0x00}, 1, 0, ""},
      {"big-endian mark is text",
       {0xFE, 0xFF, 0x41, 0x00},
       1,
       4,
       "\xEF\xBF\xBE"
       "A"},
  };
  TempDir dir;
  for (const OpenCase& c : cases) {
    const WString path = dir / TEXT("open.ini");
    ASSERT_TRUE(WriteFileBytes(path, c.bytes));
    IniFile ini;
    EXPECT_EQ(c.result, ini.IniOpen(path.c_str(), GENERIC_READ, 0)) << c.name;
    EXPECT_EQ(c.result == 1, ini.IsOpen()) << c.name;
    if (c.result != 1) continue;
    EXPECT_EQ(c.used_length, ini.UsedLength()) << c.name;
    EXPECT_EQ(0u, ini.Capacity()) << c.name;
    EXPECT_EQ(c.text, Text(ini)) << c.name;
    EXPECT_EQ(ini.TextStart(), ini.SectionHint()) << c.name;
    // Reading never changes the file.
    ini.IniClose();
    Bytes after;
    ASSERT_TRUE(ReadFileBytes(path, &after));
    EXPECT_EQ(c.bytes, after) << c.name;
  }
}

TEST(IniOpen_Reading, MissingFileLeavesDefaults) {
  TempDir dir;
  IniFile ini;
  EXPECT_EQ(0, ini.IniOpen((dir / TEXT("missing.ini")).c_str(), GENERIC_READ, 0));
  EXPECT_EQ(0, ini.IniOpen((dir / TEXT("no\\such\\dir.ini")).c_str(), GENERIC_READ, 0));
  EXPECT_FALSE(ini.IsOpen());
  WCHAR dest[16] = {0};
  EXPECT_EQ(kIniNoFile, ini.IniGetString(TEXT("A"), TEXT("B"), TEXT("dflt"), dest, 16));
  EXPECT_EQ(WString(TEXT("dflt")), WString(dest));
  EXPECT_EQ(0, ini.IniClose());
}

TEST(IniOpen_Access, OnlyReadOrWrite) {
  TempDir dir;
  const WString path = WriteIni(dir, "[A]\r\n");
  const DWORD bad[] = {0, GENERIC_READ | GENERIC_WRITE, 0x10000000u};
  for (DWORD access : bad) {
    IniFile ini;
    EXPECT_EQ(0, ini.IniOpen(path.c_str(), access, kIniWriteRoom)) << std::hex << access;
    EXPECT_FALSE(ini.IsOpen());
  }
  Bytes after;
  ASSERT_TRUE(ReadFileBytes(path, &after));
  EXPECT_EQ(12u, after.size()) << "a refused access must not touch the file";
}

TEST(IniOpen_Writing, StartsEmptyWithMarkAndCutsAtClose) {
  TempDir dir;
  const WString path = WriteIni(dir, "[option]\r\noption=0102FF02\r\n");
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
  EXPECT_EQ(2u, ini.UsedLength());
  EXPECT_EQ(kIniWriteRoom, ini.Capacity());
  EXPECT_EQ("", Text(ini));
  EXPECT_EQ(ini.TextStart(), ini.TextEnd());
  EXPECT_NE(0, ini.IniClose());
  Bytes after;
  ASSERT_TRUE(ReadFileBytes(path, &after));
  EXPECT_EQ(Bytes({0xFF, 0xFE}), after);
}

TEST(IniOpen_Writing, ReopeningClosesAndCutsFirst) {
  TempDir dir;
  const WString first = dir / TEXT("first.ini");
  const WString second = WriteIni(dir, "[B]\r\nK=2\r\n", true, "second.ini");
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen(first.c_str(), GENERIC_WRITE, kIniWriteRoom));
  ASSERT_EQ(1, ini.IniSetString(TEXT("A"), TEXT("K"), TEXT("1")));
  ASSERT_EQ(1, ini.IniOpen(second.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(2, ini.IniGetInt(TEXT("B"), TEXT("K"), 0));
  Bytes after;
  ASSERT_TRUE(ReadFileBytes(first, &after));
  EXPECT_EQ(2u + 2u * 10u, after.size()) << "[A] and K=1 with the mark, nothing more";
}

TEST(IniOpen_Sharing, WriterHoldsTheFileAlone) {
  TempDir dir;
  const WString path = WriteIni(dir, "[A]\r\nK=1\r\n");
  IniFile reader1;
  IniFile reader2;
  ASSERT_EQ(1, reader1.IniOpen(path.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(1, reader2.IniOpen(path.c_str(), GENERIC_READ, 0)) << "readers share";
  IniFile writer;
  EXPECT_EQ(0, writer.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
  EXPECT_EQ(1, reader1.IniGetInt(TEXT("A"), TEXT("K"), 0)) << "a refused writer destroys nothing";
  reader1.IniClose();
  reader2.IniClose();
  ASSERT_EQ(1, writer.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
  EXPECT_EQ(0, reader1.IniOpen(path.c_str(), GENERIC_READ, 0)) << "no reader while writing";
}

// Every system call of an opening fails in turn (our own POSIX layer counts
// them; on Windows this is skipped). A failed opening holds nothing, and a
// failed opening for writing never leaves the reserved room behind.
TEST(IniOpen_Faults, EveryFailedCallReleasesWhatItHeld) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  TempDir dir;
  for (const DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
    SCOPED_TRACE(access == GENERIC_READ ? "reading" : "writing");
    WString path = WriteIni(dir, "[A]\r\n");
    IniFile ini;
    int opened = 0;
    const long calls = fault_loop::ForEachFailedCall(
        [&] { opened = ini.IniOpen(path.c_str(), access, kIniWriteRoom); },
        [&](long n, bool completed) {
          // A failed call the layer can do without (a stat) still opens.
          EXPECT_EQ(opened != 0, ini.IsOpen()) << "call " << n;
          EXPECT_TRUE(opened || !completed) << "call " << n;
          ini.IniClose();
          Bytes after;
          ASSERT_TRUE(ReadFileBytes(path, &after));
          const std::set<size_t> sizes = access == GENERIC_READ ? std::set<size_t>{12}
                                         : opened               ? std::set<size_t>{2}
                                                                : std::set<size_t>{12, 0};
          EXPECT_EQ(1u, sizes.count(after.size())) << "call " << n << ": " << after.size();
          IniFile exclusive;
          EXPECT_EQ(1, exclusive.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom))
              << "call " << n;
          exclusive.IniClose();
          path = WriteIni(dir, "[A]\r\n");
        });
    EXPECT_GT(calls, 5);
  }
}

}  // namespace
