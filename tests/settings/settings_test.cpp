// The recognition settings file: defaults at their documented offsets,
// damaged records, the registry's hot key, the locale's languages, and the
// write-back byte for byte, whole at every failed call.
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "paths/path_utils.h"
#include "platform/fault.h"
#include "platform/test_hooks.h"
#include "settings/settings_replace.h"
#include "tests/fault_loop.h"
#include "tests/shared/test_env.h"
#include "tests/test_support.h"

using test_support::Bytes;
using test_support::FirstDifference;
using test_support::FromUtf8;
using test_support::WString;

namespace {

Bytes Utf16(const std::string& text) { return test_support::Utf16Bytes(FromUtf8(text)); }

Bytes BytesOf(const void* base, size_t offset, size_t count) {
  const auto* p = static_cast<const uint8_t*>(base) + offset;
  return Bytes(p, p + count);
}

// Upper-case digits of every byte, then of their sum modulo 256.
std::string RecordText(const Bytes& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  unsigned sum = 0;
  for (uint8_t b : bytes) {
    text += {kHex[b >> 4], kHex[b & 15]};
    sum += b;
  }
  return text + kHex[(sum >> 4) & 15] + kHex[sum & 15];
}

// Every record in the file's order, with values that differ from every
// default, and zeros where the entry defaults leave bytes alone, so that a
// rejected record is its defaults exactly.
struct Record {
  std::string key;
  size_t offset;
  Bytes value;
};
std::vector<Record> Records() {
  Bytes header(92), chinese(172), latin(172);
  for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(0xA0 + i);
  for (size_t i = 0; i < chinese.size(); ++i) {
    const bool untouched = (i >= 16 && i < 20) || (i >= 28 && i < 44) || i >= 140;
    chinese[i] = untouched ? 0 : static_cast<uint8_t>(i * 7 + 1);
    latin[i] = untouched ? 0 : static_cast<uint8_t>(i * 5 + 3);
  }
  return {{"option", 0, header},
          {"SCRange", 92, chinese},
          {"LatinRange", 264, latin},
          {"NumRange", 952, {0x78, 0x56, 0x34, 0x12}},
          {"Extend", 1996, {7, 0, 0, 0, 24, 0, 0, 0}}};
}

// The file as the write-back writes it for the block: every record but
// "NumRange".
std::string RecordsText(const PreferenceBlock* block) {
  std::string text = "[option]\r\n";
  for (const Record& r : Records()) {
    if (r.key != "NumRange")
      text += r.key + "=" + RecordText(BytesOf(block, r.offset, r.value.size())) + "\r\n";
  }
  return text;
}

// A section of the test's own holding a fresh block; data files in a
// folder of the test's own; an empty registry.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : registry_(dir_) {}
  void SetUp() override {
    ASSERT_TRUE(section_.Open(test_env::UniqueName("reco-settings-test").c_str()));
  }
  void TearDown() override { section_.Release(); }

  PreferenceBlock* Block() { return section_.Block(); }
  // The data directory as start-up leaves it: ending in a backslash.
  WString DataDir() const { return dir_.Path() + TEXT("\\data\\"); }
  WString SettingsFile() const { return DataDir() + TEXT("Config\\Settings.ini"); }

  // Writes `lines` as the settings file unless empty, then loads into a block
  // made all zeros again, as a new section is.
  void Load(const std::string& lines = "") {
    if (!lines.empty()) {
      ASSERT_EQ(1, CreateDirectoryTree(SettingsFile().c_str()));
      ASSERT_TRUE(test_support::WriteFileBytes(SettingsFile(), Utf16(lines)));
    }
    std::memset(Block(), 0, sizeof(PreferenceBlock));
    LoadRecoSettings(&section_, DataDir().c_str());
  }

  test_support::TempDir dir_;
  test_env::TestRegistry registry_;
  PreferenceSection section_;
};

TEST_F(SettingsTest, Settings_DefaultsWithoutAFile) {
#if defined(_WIN32)
  // Wine fixes the user's language when the process starts.
  const std::pair<const char*, bool> cases[] = {{nullptr, GetUserDefaultLangID() == 2052}};
#else
  // Only Simplified Chinese is told apart.
  const std::pair<const char*, bool> cases[] = {{"zh_CN.UTF-8", true}, {"zh_TW.UTF-8", false}};
#endif
  for (const auto& [locale, chinese] : cases) {
    SCOPED_TRACE(chinese);
    test_env::ScopedEnv all("LC_ALL", locale);
    Load();
    // The folder is made, so that the write-back can create the file; the file is not.
    EXPECT_FALSE(test_support::PathExists(SettingsFile()));
    // The header word by word, the hot key at 72; the Chinese entry at 92,
    // the Latin one at 264, by entry offset (52 holds "宋体"); the words after.
    // clang-format off
    const uint32_t header[23] = {0, 0, 15, 2, 30, 0x0A30C000, 300, 6, 0, 0, 0, 1, chinese ? 0u : 1u,
                                 chinese ? 2052u : 1033u, 0, 0, 20, 0, 96, 0, 0, 0, 0};
    const uint32_t entries[][3] = {
        {0, 2052, 1033}, {4, 0x1000, 0x101}, {8, 0x1001, 0x101}, {12, 0x08400701, 0x4307},
        {16, 0, 1}, {20, 3, 3}, {24, 0, 0}, {44, 0, 0}, {48, 3, 1}, {52, 0x4F535B8B, 0x4F535B8B},
        {56, 0, 0}, {116, 0, 0}, {124, 0, 0}, {128, 80, 80}, {132, 0, 0}, {136, 0, 0}};
    // clang-format on
    std::vector<std::pair<size_t, uint32_t>> words = {
        {952, 0x300000}, {1996, 0xFFFFFFFF}, {2000, 16}};
    for (size_t i = 0; i < 23; ++i) words.push_back({4 * i, header[i]});
    for (const auto& e : entries)
      words.insert(words.end(), {{92 + e[0], e[1]}, {264 + e[0], e[2]}});
    for (const auto& word : words) {
      uint32_t value = 0;
      std::memcpy(&value, reinterpret_cast<const uint8_t*>(Block()) + word.first, 4);
      EXPECT_EQ(word.second, value) << "block offset " << word.first;
    }
  }
  // The load clears the server's first unit and words 1988 and 1992 whatever
  // they held; each record's defaults touch that record alone.
  Block()->ServerData[0] = 7;
  Block()->Word1988 = Block()->Word1992 = 7;
  LoadRecoSettings(&section_, DataDir().c_str());
  EXPECT_EQ(0, Block()->ServerData[0] + Block()->Word1988 + Block()->Word1992);
  std::memset(Block(), 0, sizeof(PreferenceBlock));
  SetRecordDefaults(kOptionRecord, Block());
  EXPECT_EQ(0u, Block()->Entries[0].LangId) << "the header's defaults reached the next record";
  SetRecordDefaults(kChineseRangeRecord, Block());
  EXPECT_EQ(0u, Block()->Entries[1].LangId) << "an entry's defaults reached the next one";
  SetRecordDefaults(kNumRangeRecord, Block());
  EXPECT_EQ(0u, Block()->ExtendSize) << "NumRange's default reached the extension pair";
  // The whole word is compared: 2052 with a nonzero upper half is not 2052.
  Block()->Entries[0].LangId = 0x10804;
  EXPECT_EQ(nullptr, FindLanguageEntry(Block(), 2052));
  Block()->Entries[3].LangId = 2052;
  EXPECT_EQ(&Block()->Entries[3], FindLanguageEntry(Block(), 2052));
}

TEST_F(SettingsTest, Settings_HotkeyFromTheRegistryOrTheFile) {
  const auto set = [](DWORD type, const Bytes& data) {
    return test_env::TestRegistry::Set(TEXT("Software\\Telvar\\QXLUM\\VEQ"), TEXT("Hotkey"), type,
                                       data.data(), static_cast<DWORD>(data.size()));
  };
  // A value longer than four bytes is not read.
  ASSERT_TRUE(set(REG_SZ, {'7', 0, '0', 0, 0, 0}));
  Load();
  EXPECT_EQ(96u, Block()->Header.Hotkey);
  // Up to four bytes, whatever the type.
  ASSERT_TRUE(set(REG_BINARY, {1, 2, 3}));
  Load();
  EXPECT_EQ(0x030201u, Block()->Header.Hotkey);
  // Zero in the file's record is 96, not the registry's.
  Load("[option]\r\noption=" + RecordText(Bytes(92)) + "\r\n");
  EXPECT_EQ(96u, Block()->Header.Hotkey);
}

TEST_F(SettingsTest, Settings_DamagedRecordTakesItsOwnDefaultsOnly) {
  const std::vector<Record> records = Records();
  Load();  // what each record becomes when rejected
  std::vector<Bytes> defaults;
  for (const Record& r : records) defaults.push_back(BytesOf(Block(), r.offset, r.value.size()));

  struct Case {
    void (*damage)(std::string*);
    bool accepted;
  };
  const Case cases[] = {
      {[](std::string*) {}, true},
      {[](std::string* t) { *t += "00"; }, true},                 // cut to 2N + 2 digits when read
      {[](std::string* t) { t->resize(t->size() - 2); }, false},  // 2N digits: no checksum
      {[](std::string* t) { t->back() = t->back() == '0' ? '1' : '0'; }, false},  // checksum
      {[](std::string* t) { (*t)[t->size() - 3] = 'G'; }, false},  // a bad digit, last byte
      {[](std::string* t) { t->clear(); }, false},                 // empty: as if missing
  };
  for (size_t damaged = 0; damaged < records.size(); ++damaged) {
    for (size_t row = 0; row < std::size(cases); ++row) {
      SCOPED_TRACE("row " + std::to_string(row));
      std::string lines = "[option]\r\n";
      for (size_t k = 0; k < records.size(); ++k) {
        std::string text = RecordText(records[k].value);
        if (k == damaged) cases[row].damage(&text);
        lines += records[k].key + "=" + text + "\r\n";
      }
      Load(lines);
      for (size_t k = 0; k < records.size(); ++k) {
        const Bytes& expected =
            k != damaged || cases[row].accepted ? records[k].value : defaults[k];
        EXPECT_EQ("",
                  FirstDifference(BytesOf(Block(), records[k].offset, expected.size()), expected))
            << "damaged " << records[damaged].key << ", checking " << records[k].key;
      }
    }
  }
}

TEST_F(SettingsTest, Settings_WriteBackReplacesItsRecordsAndKeepsEveryOtherLine) {
  Load();
  // What the server would change, and the last byte of the Latin entry.
  Block()->Header.Word60 = 0x01020304;
  Block()->Entries[1].Reserved140[31] = 0xEE;
  const auto line = [&](const char* key, size_t offset, size_t count) {
    return std::string(key) + "=" + RecordText(BytesOf(Block(), offset, count)) + "\r\n";
  };
  const std::string option = line("option", 0, 92), chinese = line("SCRange", 92, 172),
                    latin = line("LatinRange", 264, 172), extend = line("Extend", 1996, 8);
  const auto written = [&](const std::string& expected) {
    WriteBackSettings(&section_);
    Bytes file;
    EXPECT_TRUE(test_support::ReadFileBytes(SettingsFile(), &file));
    return FirstDifference(file, Utf16(expected));
  };
  EXPECT_EQ("", written(RecordsText(Block())));  // no file yet: the standard 1,896 bytes
  struct Case {
    Bytes old_file;
    std::string expected;
  };
  const Case cases[] = {
      // 0: records replaced where they stand, the missing ones added after them.
      {Utf16("[option]\r\nNumRange=0000300030\r\nSCRange=00\r\n"),
       "[option]\r\nNumRange=0000300030\r\n" + chinese + option + latin + extend},
      // 1: comments, blank lines, an empty and a repeated section, blanks
      // and quotes, a key that looks like a comment: all kept as they stood.
      {Utf16("; note\n\n[Empty]\n[OPTION]\nextend=1\n# c\n\n[User]\nName = \" a \"\n ;odd=1\n"
             "[option]\nSCRange=1\n[User]\nK=2"),
       "; note\n\n[Empty]\n[OPTION]\n" + extend + option + chinese + latin +
           "# c\n\n[User]\nName = \" a \"\n ;odd=1\n[option]\nSCRange=1\n[User]\nK=2"},
      // 2: no section of its own, no line break at the end.
      {Utf16("[User]\nK=1"), "[User]\nK=1\r\n[option]\r\n" + option + chinese + latin + extend},
      {{0x41, 0x00, 0x42}, RecordsText(Block())},  // 3: odd size: nothing any load could read
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    ASSERT_TRUE(test_support::WriteFileBytes(SettingsFile(), cases[row].old_file));
    EXPECT_EQ("", written(cases[row].expected)) << "row " << row;
  }
}

// Another program holds the settings file: at start the load does not see
// it, at exit the replacement is refused. Nothing the person had or chose
// is lost, and the next start finds what was confirmed.
TEST_F(SettingsTest, Settings_HeldFileLosesNothing) {
  std::string old_text = "; kept\r\n[option]\r\n";
  for (const Record& r : Records()) old_text += r.key + "=" + RecordText(r.value) + "\r\n";
  const Bytes old_file = Utf16(old_text);
  const auto hold = [&](DWORD share) {
    return CreateFileW(SettingsFile().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  const auto file_bytes = [](const WString& path, Bytes bytes = {}) {
    return test_support::ReadFileBytes(path, &bytes), bytes;
  };
  // Held with share mode 0 while the tool starts: every record takes its
  // defaults, and none of them may reach the file.
  Load(old_text);
  HANDLE holder = hold(0);
  Load();
  CloseHandle(holder);
  WriteBackSettings(&section_);
  EXPECT_EQ("", FirstDifference(file_bytes(SettingsFile()), old_file)) << "closed unconfirmed";
  // A confirmed Latin entry is written; the other records stay as the file has them.
  Block()->Entries[1].FontSize = 0x33;
  NoteRecordConfirmed(kLatinRangeRecord);
  WriteBackSettings(&section_);
  const Record latin = Records()[2];
  const std::string latin_line = latin.key + "=" + RecordText(latin.value);
  const std::string confirmed_line = "LatinRange=" + RecordText(BytesOf(Block(), 264, 172));
  std::string expected = old_text;
  expected.replace(expected.find(latin_line), latin_line.size(), confirmed_line);
  EXPECT_EQ("", FirstDifference(file_bytes(SettingsFile()), Utf16(expected)));

  // Held without share-delete at exit, twice: the newest complete file
  // waits beside it, the load reads it, and the next start puts it in place.
  Load(old_text);
  SettingsFiles files;
  ASSERT_TRUE(MakeSettingsFiles(SettingsFile().c_str(), &files));
  EXPECT_EQ(DataDir() + TEXT("Config\\Settings.new"), files.pending);
  holder = hold(FILE_SHARE_READ);
  Block()->Entries[0].FontSize = 0x44;
  EXPECT_EQ(kSettingsPending, WriteSettingsFile(files.file, Block()));
  Block()->Entries[0].FontSize = 0x55;
  EXPECT_EQ(kSettingsPending, WriteSettingsFile(files.file, Block()));
  EXPECT_EQ("", FirstDifference(file_bytes(files.file), old_file));
  EXPECT_EQ(files.pending, WString(CurrentSettingsFile(files)));
  CloseHandle(holder);
  const Bytes pending = file_bytes(files.pending);
  Load();
  EXPECT_EQ(0x55u, Block()->Entries[0].FontSize);
  EXPECT_EQ("", FirstDifference(file_bytes(files.file), pending));
  EXPECT_FALSE(test_support::PathExists(files.pending));
  // On a volume without DeleteAndRenameFile, an old file left aside by an
  // earlier replacement does not stand in the way of the next.
  platform_test::SetDeleteAndRenameSupported(false);
  ASSERT_TRUE(test_support::WriteFileBytes(files.file_aside, old_file));
  EXPECT_EQ(1, WriteSettingsFile(files.file, Block()));
  platform_test::SetDeleteAndRenameSupported(true);
  EXPECT_FALSE(test_support::PathExists(files.file_aside));
}

// Every system call of the write-back fails in turn, and the process is
// ended at each in turn, with DeleteAndRenameFile and with the moves of a
// volume without it, over a settings file and over a pending one: before
// the commit a load finds the old bytes exactly, from it on the new ones,
// and the recovery of the next start leaves the settings file alone with
// them.
TEST_F(SettingsTest, Settings_WriteBackIsOldThenNewAtEveryCall) {
  if (!platform_fault::FaultHookAvailable()) GTEST_SKIP() << "no fault hook on this platform";
  Load();
  SettingsFiles files;
  ASSERT_TRUE(MakeSettingsFiles(SettingsFile().c_str(), &files));
  const Bytes old_file = Utf16("; note\r\n[option]\r\nNumRange=0000300030\r\n[User]\r\nK=V\r\n");
  const WString names[] = {files.file, files.temp, files.pending, files.file_aside,
                           files.pending_aside};
  for (const bool supported : {true, false}) {
    for (const WCHAR* old_name : {files.file, files.pending}) {
      SCOPED_TRACE(std::string(supported ? "DeleteAndRenameFile" : "moves") + ", old file " +
                   test_support::ToUtf8(old_name));
      const auto reset = [&] {
        for (const WString& name : names) DeleteFileW(name.c_str());
        ASSERT_TRUE(test_support::WriteFileBytes(old_name, old_file));
        // An older settings file under a pending one.
        ASSERT_TRUE(old_name == files.file || test_support::WriteFileBytes(files.file, {1, 2}));
      };
      platform_test::SetDeleteAndRenameSupported(supported);
      reset();
      ASSERT_EQ(1, WriteSettingsFile(files.file, Block()));
      Bytes new_file;
      ASSERT_TRUE(test_support::ReadFileBytes(files.file, &new_file));
      reset();
      bool committed = false;
      int result = 0;
      const auto check = [&](long n, bool) {
        Bytes current;
        ASSERT_TRUE(test_support::ReadFileBytes(CurrentSettingsFile(files), &current));
        // A failed call either stopped the write-back before its commit
        // (result 0) or was got over; a crash cannot be got over.
        committed = result != 0 && (result > 0 || committed || current == new_file);
        EXPECT_EQ("", FirstDifference(current, committed ? new_file : old_file)) << "call " << n;
        RecoverSettingsFiles(files, 0);
        Bytes settled;
        ASSERT_TRUE(test_support::ReadFileBytes(files.file, &settled));
        EXPECT_EQ(current, settled) << "call " << n;
        for (const WString& name : names) {
          EXPECT_TRUE(name == files.file || !test_support::PathExists(name))
              << "call " << n << ": " << test_support::ToUtf8(name) << " is left";
        }
        reset();
      };
      const auto write_back = [&] { result = WriteSettingsFile(files.file, Block()); };
      const long calls = fault_loop::ForEachFailedCall(write_back, check);
      EXPECT_GE(calls, 20);
      EXPECT_TRUE(committed);
      committed = false;
      result = -1;
      EXPECT_EQ(calls,
                fault_loop::ForEachCrash([&] { WriteSettingsFile(files.file, Block()); }, check));
      EXPECT_TRUE(committed);
    }
  }
  platform_test::SetDeleteAndRenameSupported(true);
}

TEST(Settings_NoView, LoadAndWriteBackAreHarmless) {
  PreferenceSection unopened;
  WriteBackSettings(&unopened);
  LoadRecoSettings(nullptr, nullptr);
  EXPECT_EQ(nullptr, FindLanguageEntry(nullptr, 2052));
}

}  // namespace
