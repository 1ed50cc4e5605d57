// Opening and closing: text range, byte-order mark, truncation at close,
// sharing, and the failure paths.
#include <gtest/gtest.h>

#include <set>
#include <string>

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

TEST(IniOpen_Reading, TextRangeAndByteOrderMark) {
  const struct {
    const char* name;
    Bytes bytes;
    int result;
    DWORD used_length;
    const char* text;  // the text range, as UTF-8
  } cases[] = {
      {"empty file: empty text, no mark added", {}, 1, 0, ""},
      {"odd size", {0x41, 0x00, 0x42}, 0, 0, ""},
      {"mark only", {0xFF, 0xFE}, 1, 2, ""},
      {"no mark: read from the first byte", {0x41, 0x00, 0x42, 0x00}, 1, 4, "AB"},
      {"a zero unit ends the text", {0xFF, 0xFE, 0x41, 0x00, 0x00, 0x00, 0x42, 0x00}, 1, 4, "A"},
      {"big-endian mark is text", {0xFE, 0xFF, 0x41, 0x00}, 1, 4, "\uFFFEA"},
  };
  TempDir dir;
  const WString path = dir / TEXT("open.ini");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFileBytes(path, c.bytes));
    IniFile ini;
    EXPECT_EQ(c.result, ini.IniOpen(path.c_str(), GENERIC_READ, 0)) << c.name;
    EXPECT_EQ(c.used_length, ini.UsedLength()) << c.name;
    EXPECT_EQ(c.text, Text(ini)) << c.name;
  }
  // Several pages: a reader maps the whole file, whatever room it is given.
  ASSERT_TRUE(WriteFileBytes(path, test_support::Utf16Bytes(WString(6000, TEXT('A')))));
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(std::string(6000, 'A'), Text(ini));
}

// A writer starts from an empty file with the room reserved, and closing it
// (reopening closes too) cuts the file to the mark and the text.
TEST(IniOpen_Writing, StartsEmptyAndIsCutAtClose) {
  TempDir dir;
  const WString path = WriteIni(dir, "[option]\r\noption=0102FF02\r\n");
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
  EXPECT_EQ(kIniWriteRoom, ini.Capacity());
  ASSERT_EQ(1, ini.IniSetString(TEXT("A"), TEXT("K"), TEXT("1")));
  // A writer still holding the file would keep this reader out.
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(0u, ini.Capacity());  // a reader has no room
  Bytes after;
  ASSERT_TRUE(ReadFileBytes(path, &after));
  EXPECT_EQ(test_support::Utf16Bytes(TEXT("[A]\r\nK=1\r\n")), after);
  ASSERT_EQ(1, ini.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
  EXPECT_NE(0, ini.IniClose());
  EXPECT_EQ(0u, ini.Capacity() + ini.UsedLength());
  BYTE memory[4] = {};
  EXPECT_EQ(0, ini.IniOpenMemory(memory, 4, GENERIC_READ | GENERIC_WRITE, 4));  // neither alone
  EXPECT_EQ(0, ini.IniOpenMemory(memory, 0, GENERIC_WRITE, 0));  // a writer without room
}

// Refused: an access other than reading or writing, a missing file for
// reading, a writer beside readers and a reader beside a writer.
TEST(IniOpen_Refusals, AccessMissingFileAndSharing) {
  TempDir dir;
  const WString path = WriteIni(dir, "[A]\r\nK=1\r\n");
  IniFile reader1, reader2, writer;
  EXPECT_EQ(0, writer.IniOpen(path.c_str(), 0, kIniWriteRoom));
  EXPECT_EQ(0, writer.IniOpen(path.c_str(), GENERIC_READ | GENERIC_WRITE, kIniWriteRoom));
  EXPECT_EQ(0, reader1.IniOpen((dir / TEXT("missing.ini")).c_str(), GENERIC_READ, 0));
  EXPECT_FALSE(reader1.IsOpen());
  EXPECT_EQ(0, reader1.IniClose()) << "nothing was open";
  ASSERT_EQ(1, reader1.IniOpen(path.c_str(), GENERIC_READ, 0));
  EXPECT_EQ(1, reader2.IniOpen(path.c_str(), GENERIC_READ, 0)) << "readers share";
  EXPECT_EQ(0, writer.IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
  EXPECT_EQ(1, reader1.IniGetInt(TEXT("A"), TEXT("K"), 0)) << "a refused opening destroys nothing";
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
    DWORD error = 0;
    const long calls = fault_loop::ForEachFailedCall(
        [&] { opened = ini.IniOpen(path.c_str(), access, kIniWriteRoom), error = GetLastError(); },
        [&](long n, bool completed) {
          SCOPED_TRACE("call " + std::to_string(n));
          // A failed call the layer can do without (a stat) still opens; a
          // failure says why, whatever the cleanup after it did.
          EXPECT_EQ(opened != 0, ini.IsOpen());
          EXPECT_TRUE(opened || error != ERROR_SUCCESS);
          EXPECT_TRUE(opened || !completed);
          ini.IniClose();
          Bytes after;
          ASSERT_TRUE(ReadFileBytes(path, &after));
          const std::set<size_t> sizes = access == GENERIC_READ ? std::set<size_t>{12}
                                         : opened               ? std::set<size_t>{2}
                                                                : std::set<size_t>{12, 0};
          EXPECT_EQ(1u, sizes.count(after.size())) << after.size();
          // Nothing is held: an exclusive opening succeeds (and closes again).
          EXPECT_EQ(1, IniFile().IniOpen(path.c_str(), GENERIC_WRITE, kIniWriteRoom));
          path = WriteIni(dir, "[A]\r\n");
        });
    EXPECT_GT(calls, 5);
  }
}

// The view is written to the disk by its flush alone (closing the file does
// not reach it): a failed flush must reach the caller, who then keeps the
// old file.
TEST(IniOpen_Faults, AFailedFlushOfTheViewFailsTheClose) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  TempDir dir;
  IniFile ini;
  ASSERT_EQ(1, ini.IniOpen((dir / TEXT("w.ini")).c_str(), GENERIC_WRITE, kIniWriteRoom));
  ASSERT_EQ(1, ini.IniSetString(TEXT("A"), TEXT("k"), TEXT("v")));
  platform_fault::FailNthCall(1);  // the flush is the first call of the close
  EXPECT_EQ(FALSE, ini.IniClose());
  platform_fault::Reset();
}

}  // namespace
